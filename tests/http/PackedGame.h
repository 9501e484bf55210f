// Packs a game written by the test and runs it headless, at the room's speed, against a test
// server on 127.0.0.1; keeps what it printed, its exit status and how long it took.
#pragma once
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

struct PackedGameRun {
    std::string output;  // standard output
    int status = -1;     // the exit status; -1 when it ended otherwise
    double seconds = 0;
};

// A game of one room holding one instance of obj_client, whose events are given (the JSON of its
// event list): written as WORK/game/game.json, packed into WORK/game.win with the packer and run
// with the runner for at most 300 frames. The number of failures found (each told on standard
// error): the packer failing, an exit status other than 0, an output other than expected.
inline int PlayClient(const char* runner, const char* packer, const std::filesystem::path& work,
                      const std::string& events, const std::string& expected, PackedGameRun* run)
{
    namespace fs = std::filesystem;
    fs::remove_all(work);
    fs::create_directories(work / "game");
    std::ofstream(work / "game" / "game.json")
        << R"({"name": "client", "objects": [{"name": "obj_client", "events": )" << events
        << R"(}], "rooms": [{"name": "rm_only", "instances": [{"x": 0, "y": 0, "object": "obj_client"}]}]})";
    std::string game = (work / "game.win").string();
    std::string pack = std::string("'") + packer + "' '" + (work / "game").string() + "' '" + game + "'";
    if (system(pack.c_str()) != 0) {
        std::cerr << "the packer failed: " << pack << "\n";
        return 1;
    }
    setenv("RUNNER_HEADLESS", "1", 1);
    setenv("RUNNER_MAX_FRAMES", "300", 1);
    setenv("XDG_DATA_HOME", (work / "data").c_str(), 1);
    setenv("no_proxy", "127.0.0.1", 1);
    std::string command = std::string("'") + runner + "' -game '" + game + "'";
    auto start = std::chrono::steady_clock::now();
    FILE* out = popen(command.c_str(), "r");
    char buffer[256];
    while (out && fgets(buffer, sizeof buffer, out)) run->output += buffer;
    int ended = out ? pclose(out) : -1;
    run->status = ended != -1 && WIFEXITED(ended) ? WEXITSTATUS(ended) : -1;
    run->seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    int failures = 0;
    if (run->status != 0) {
        std::cerr << "the runner ended with status " << run->status << " (4: the frame limit)\n";
        failures++;
    }
    if (run->output != expected) {
        std::cerr << "standard output:\n" << run->output << "expected:\n" << expected;
        failures++;
    }
    return failures;
}
