// Packs a game that, behind a request whose answer only drips in, asks a server on 127.0.0.1 with
// URLs holding spaces and non-ASCII text, and a port where nothing listens; runs it and checks
// what the server saw and the events the game got: the dripping request holds none of them. Then
// plays a game whose libcurl cannot be loaded: its requests fail at once.
// Usage: http_requests RUNNER PACKER WORK_FOLDER
#include "HttpServer.h"
#include "PackedGame.h"

#include <algorithm>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::cerr << "usage: http_requests RUNNER PACKER WORK_FOLDER\n";
        return 2;
    }
    HttpServer server;
    server.On("/drip", [](HttpServer& s, int socket, const HttpServer::Request&) {
        s.Send(socket, "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n");
        while (!s.Stopping() && send(socket, "x", 1, MSG_NOSIGNAL) == 1) std::this_thread::sleep_for(std::chrono::milliseconds(200));
    });
    const std::string got = "/a%20path/caf%C3%A9?q=two%20words&name=Zo%C3%AB";
    const std::string posted = "/post%20box?x=a%20b";
    server.Answer(got, 200, "fetched");
    server.On(posted, [](HttpServer& s, int socket, const HttpServer::Request& r) {
        s.Send(socket, "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(r.body.size()) + "\r\n\r\n" + r.body);
    });
    int closed;
    {
        HttpServer gone;
        closed = std::stoi(gone.Url("").substr(17));
    }
    const std::string base = server.Url("");
    const std::string nowhere = "http://127.0.0.1:" + std::to_string(closed) + "/never";
    const std::string expected = "GET " + base + "/a path/café?q=two words&name=Zoë gave result [fetched], http status 200, status 0\n"
                                 "POST " + base + "/post box?x=a b gave result [k=v w], http status 200, status 0\n"
                                 "GET " + nowhere + " gave result [], http status 0, status -1\n";
    const std::string create = "drip = http_get('" + base + "/drip');"
                               " got = http_get('" + base + "/a path/café?q=two words&name=Zoë');"
                               " posted = http_post_string('" + base + "/post box?x=a b', 'k=v w');"
                               " never = http_get('" + nowhere + "'); lines = ds_map_create();";
    // Each event keeps its line by request; once the three that can end have, they are printed in
    // the order the requests were made. The frame limit ends a game whose events never come.
    const std::string answered =
        "var id, text; id = ds_map_find_value(async_load, 'id');"
        " text = ds_map_find_value(async_load, 'url') + ' gave result [' + ds_map_find_value(async_load, 'result')"
        " + '], http status ' + string(ds_map_find_value(async_load, 'http_status'))"
        " + ', status ' + string(ds_map_find_value(async_load, 'status'));"
        " if (id == drip) show_debug_message('the dripping request ended: ' + text); else ds_map_add(lines, id, text);"
        " if (ds_map_size(lines) == 3) {"
        " show_debug_message('GET ' + ds_map_find_value(lines, got));"
        " show_debug_message('POST ' + ds_map_find_value(lines, posted));"
        " show_debug_message('GET ' + ds_map_find_value(lines, never)); game_end(); }";
    PackedGameRun run;
    int failures = PlayClient(argv[1], argv[2], argv[3],
                              R"([{"type": "create", "code": ")" + create + R"("},
                                  {"type": "other", "number": 62, "code": ")" + answered + R"("}])",
                              expected, &run);
    std::vector<std::string> paths;
    for (const HttpServer::Request& r : server.Received()) paths.push_back(r.method + " " + r.path);
    std::sort(paths.begin(), paths.end());
    std::vector<std::string> wanted = {"GET /drip", "GET " + got, "POST " + posted};
    std::sort(wanted.begin(), wanted.end());
    if (paths != wanted) {
        std::cerr << "the server saw:\n";
        for (const std::string& p : paths) std::cerr << "  " << p << "\n";
        failures++;
    }

    // Without a loadable libcurl (here a "libcurl.so.4" that is the runner itself, which cannot be
    // opened as a library) a request fails at once with -1, and the game goes on.
    namespace fs = std::filesystem;
    fs::path fake = fs::path(argv[3]).parent_path() / "requests_without_curl_lib";
    fs::remove_all(fake);
    fs::create_directories(fake);
    fs::create_symlink(fs::absolute(argv[1]), fake / "libcurl.so.4");
    setenv("LD_LIBRARY_PATH", fake.c_str(), 1);
    PackedGameRun without;
    failures += PlayClient(argv[1], argv[2], fs::path(argv[3]).string() + "_without_curl",
                           R"([{"type": "create", "code": "a = http_get(')" + base + R"(/one'); b = http_post_string(')" +
                               base + R"(/two', 'k=v'); show_debug_message('requests without libcurl: ' + string(a) + ' ' + string(b)); game_end();"}])",
                           "requests without libcurl: -1 -1\n", &without);
    unsetenv("LD_LIBRARY_PATH");
    return failures ? 1 : 0;
}
