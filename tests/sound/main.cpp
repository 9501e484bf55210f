// The sound tests record through OpenAL Soft's wave back end into a file of this process's own,
// set up before anything opens OpenAL.
#include "Recording.h"

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {
std::string Path;
}

const std::string& RecordingPath() { return Path; }

int main(int argc, char** argv)
{
    std::string base = "/tmp/sound_tests_" + std::to_string(getpid());
    Path = base + ".wav";
    std::string conf = base + ".conf";
    FILE* f = fopen(conf.c_str(), "w");
    if (!f) return 1;
    fprintf(f, "[wave]\nfile=%s\n", Path.c_str());
    fclose(f);
    setenv("ALSOFT_DRIVERS", "wave", 1);
    setenv("ALSOFT_CONF", conf.c_str(), 1);
    ::testing::InitGoogleTest(&argc, argv);
    int status = RUN_ALL_TESTS();
    unlink(conf.c_str());
    unlink(Path.c_str());
    return status;
}
