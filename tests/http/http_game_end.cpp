// Packs a game that asks a server on 127.0.0.1 for two answers, the second of which never comes,
// and ends a third of a second after the first arrives; runs it and checks that the runner ends at once and cleanly.
// Usage: http_game_end RUNNER PACKER WORK_FOLDER
#include "HttpServer.h"
#include "PackedGame.h"

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
    PackedGameRun run;
    int failures = PlayClient(argv[1], argv[2], argv[3], R"([
    {"type": "create", "code": "http_get(')" + server.Url("/hello") + R"('); http_get(')" + server.Url("/stall") + R"(');"},
    {"type": "other", "number": 62, "code": "show_debug_message(ds_map_find_value(async_load, 'result')); alarm[0] = 10;"},
    {"type": "alarm", "number": 0, "code": "game_end();"},
    {"type": "other", "number": "game_end", "code": "show_debug_message('game end');"}])",
                              "hello\ngame end\n", &run);
    std::vector<HttpServer::Request> received = server.Received();
    if (received.size() != 2 || (received[0].path != "/stall" && received[1].path != "/stall")) {
        std::cerr << "the stalled request never reached the server\n";
        failures++;
    }
    // At 30 frames a second the game itself takes about half a second; the stalled transfer must
    // not hold the end back.
    if (run.seconds > 5) {
        std::cerr << "the runner took " << run.seconds << " s to end\n";
        failures++;
    }
    return failures ? 1 : 0;
}
