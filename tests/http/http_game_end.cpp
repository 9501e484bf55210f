// Packs a game that asks a server on 127.0.0.1 for two answers, the second of which never comes,
// and ends a third of a second after the first arrives; runs it and checks that the runner ends at once and cleanly.
// Usage: http_game_end RUNNER PACKER WORK_FOLDER
#include "HttpServer.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

namespace fs = std::filesystem;

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::cerr << "usage: http_game_end RUNNER PACKER WORK_FOLDER\n";
        return 2;
    }
    HttpServer server;
    server.Answer("/hello", 200, "hello");
    server.On("/stall", [](HttpServer& s, int socket, const HttpServer::Request&) {
        s.Send(socket, "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\npart");
        s.Stalled();
    });
    fs::path work = argv[3];
    fs::remove_all(work);
    fs::create_directories(work / "game");
    std::ofstream(work / "game" / "game.json") << R"({
  "name": "http_game_end",
  "objects": [{"name": "obj_client", "events": [
    {"type": "create", "code": "http_get(')" << server.Url("/hello") << R"('); http_get(')" << server.Url("/stall") << R"(');"},
    {"type": "other", "number": 62, "code": "show_debug_message(ds_map_find_value(async_load, 'result')); alarm[0] = 10;"},
    {"type": "alarm", "number": 0, "code": "game_end();"},
    {"type": "other", "number": "game_end", "code": "show_debug_message('game end');"}]}],
  "rooms": [{"name": "rm_only", "instances": [{"x": 0, "y": 0, "object": "obj_client"}]}]
})";
    std::string game = (work / "game.win").string();
    std::string pack = std::string("'") + argv[2] + "' '" + (work / "game").string() + "' '" + game + "'";
    if (system(pack.c_str()) != 0) {
        std::cerr << "the packer failed: " << pack << "\n";
        return 1;
    }
    setenv("RUNNER_HEADLESS", "1", 1);
    setenv("RUNNER_MAX_FRAMES", "300", 1);
    setenv("XDG_DATA_HOME", (work / "data").c_str(), 1);
    setenv("no_proxy", "127.0.0.1", 1);
    std::string run = std::string("'") + argv[1] + "' -game '" + game + "'";
    auto start = std::chrono::steady_clock::now();
    FILE* out = popen(run.c_str(), "r");
    std::string text;
    char buffer[256];
    while (out && fgets(buffer, sizeof buffer, out)) text += buffer;
    int status = out ? pclose(out) : -1;
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    int failures = 0;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::cerr << "the runner ended with status " << status << "\n";
        failures++;
    }
    if (text != "hello\ngame end\n") {
        std::cerr << "standard output:\n" << text << "expected:\nhello\ngame end\n";
        failures++;
    }
    std::vector<HttpServer::Request> received = server.Received();
    if (received.size() != 2 || received[1].path != "/stall") {
        std::cerr << "the stalled request never reached the server\n";
        failures++;
    }
    // At 30 frames a second the game itself takes about half a second; the stalled transfer must
    // not hold the end back.
    if (seconds > 5) {
        std::cerr << "the runner took " << seconds << " s to end\n";
        failures++;
    }
    return failures ? 1 : 0;
}
