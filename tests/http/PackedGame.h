// Packs a game folder written by the test and runs it headless, at the room's speed, against a
// test server on 127.0.0.1; keeps what it printed, its exit status and how long it took.
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

// Writes gameJson as WORK/game/game.json, packs it into WORK/game.win with the packer and runs it
// with the runner (at most maxFrames frames); false when the packer fails.
inline bool PackAndRun(const char* runner, const char* packer, const std::filesystem::path& work,
                       const std::string& gameJson, int maxFrames, PackedGameRun* run)
{
    namespace fs = std::filesystem;
    fs::remove_all(work);
    fs::create_directories(work / "game");
    std::ofstream(work / "game" / "game.json") << gameJson;
    std::string game = (work / "game.win").string();
    std::string pack = std::string("'") + packer + "' '" + (work / "game").string() + "' '" + game + "'";
    if (system(pack.c_str()) != 0) {
        std::cerr << "the packer failed: " << pack << "\n";
        return false;
    }
    setenv("RUNNER_HEADLESS", "1", 1);
    setenv("RUNNER_MAX_FRAMES", std::to_string(maxFrames).c_str(), 1);
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
    return true;
}
