// HTTP transfers against a server in the test process: what arrives, byte for byte, and how
// broken, stalled, oversized and refused answers end.
#include "../Base/CapturedWarnings.h"
#include "HttpServer.h"
#include "Run/Run_Main.h"
#include "Support/LoadSave_Http.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using namespace std::chrono_literals;

struct Delivered {
    int id;
    int httpStatus;
    std::string body;
};
std::vector<Delivered> g_delivered;
std::vector<int> g_cleaned;

int Keep(HTTP_REQ_CONTEXT* request, void*, int*)
{
    g_delivered.push_back({request->id, request->httpStatus, std::string((const char*)request->buffer, (size_t)request->bytesRead)});
    return 0;
}

void Cleaned(HTTP_REQ_CONTEXT* request) { g_cleaned.push_back(request->id); }

// n bytes of every value, zero bytes included.
std::string Bytes(size_t n)
{
    std::string s(n, '\0');
    uint32_t x = 12345;
    for (char& c : s) c = (char)((x = x * 1103515245u + 12345u) >> 24);
    return s;
}

std::string Chunked(const std::string& body)
{
    std::string out = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
    const size_t sizes[] = {1, 7, 4096, 65536, 100000};
    for (size_t at = 0, i = 0; at < body.size(); at += sizes[i++ % 5]) {
        std::string chunk = body.substr(at, sizes[i % 5]);
        char head[32];
        snprintf(head, sizeof head, "%zx\r\n", chunk.size());
        out += head + chunk + "\r\n";
    }
    return out + "0\r\n\r\n";
}

std::string WithLength(const char* length, const std::string& body)
{
    return std::string("HTTP/1.1 200 OK\r\nContent-Length: ") + length + "\r\n\r\n" + body;
}

class HttpTransfer : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("no_proxy", "127.0.0.1", 1);
        RequestList_Free();
        g_delivered.clear();
        g_cleaned.clear();
        saved = LoadSave_HttpLimits;
    }
    void TearDown() override
    {
        RequestList_Free();
        LoadSave_HttpLimits = saved;
    }
    int Get(const std::string& url, bool deliverOnFailure = false)
    {
        return LoadSave_HttpGet(url.c_str(), Keep, Cleaned, nullptr, deliverOnFailure);
    }
    // Answers the path with exactly these bytes.
    void Raw(const std::string& path, const std::string& bytes)
    {
        server.On(path, [bytes](HttpServer& s, int socket, const HttpServer::Request&) { s.Send(socket, bytes); });
    }
    // Runs asynchronous passes until no request is left (ten seconds at most).
    static void Settle()
    {
        for (auto until = std::chrono::steady_clock::now() + 10s; RequestList_Count() && std::chrono::steady_clock::now() < until;) {
            Run_AsyncPass();
            std::this_thread::sleep_for(1ms);
        }
        ASSERT_EQ(RequestList_Count(), 0);
    }
    HttpServer server;
    HttpLimits saved;
};

TEST_F(HttpTransfer, BodiesArriveWholeOrNotAtAll)
{
    TCapturedWarnings warnings;
    LoadSave_HttpLimits.maxBody = 2 << 20;
    const std::string body = Bytes(1 << 20);
    const std::string over = "InternetReadFile: the answer is longer than 2097152 bytes\n";
    const struct {
        const char* path;
        std::string answer;
        std::string body;
    } cases[] = {
        {"/length", WithLength("1048576", body), body},
        {"/chunked", Chunked(body), body},
        {"/longer", WithLength("1048576", body + "bytes beyond the length"), body},
        {"/short", WithLength("2000000", body), ""},    // the connection closes early
        {"/over", Chunked(Bytes((2 << 20) + 1)), ""},   // grows up to the cap, no further
        {"/vast", WithLength("1000000000000", "abc"), ""},  // refused before any byte
    };
    for (const auto& c : cases) {
        Raw(c.path, c.answer);
        Get(server.Url(c.path));
    }
    ASSERT_NO_FATAL_FAILURE(Settle());
    ASSERT_EQ(g_delivered.size(), 6u);
    for (int i = 0; i < 6; i++) {
        EXPECT_EQ(g_delivered[i].id, i);
        EXPECT_EQ(g_delivered[i].httpStatus, 200);
        EXPECT_TRUE(g_delivered[i].body == cases[i].body) << cases[i].path << ": " << g_delivered[i].body.size() << " bytes";
    }
    EXPECT_EQ(g_cleaned, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    ASSERT_EQ(std::count(warnings.text.begin(), warnings.text.end(), '\n'), 3) << warnings.text;
    EXPECT_EQ(warnings.text.rfind("InternetReadFile: ", 0), 0u);
    EXPECT_EQ(warnings.text.substr(warnings.text.find('\n') + 1), over + over);
}

TEST_F(HttpTransfer, AFailedRequestGivesOneLineAndNoEventUnlessAskedFor)
{
    TCapturedWarnings warnings;
    int closed;
    {
        HttpServer gone;
        closed = std::stoi(gone.Url("").substr(17));
    }
    server.On("/reset", [](HttpServer&, int, const HttpServer::Request&) {});  // closes without an answer
    server.Answer("/hello", 200, "hello");
    // No request without a URL; what the caller handed over is freed all the same.
    EXPECT_EQ(LoadSave_HttpGet(nullptr, Keep, Cleaned, nullptr), -1);
    EXPECT_EQ(LoadSave_HttpPost(nullptr, "a=1", Keep, Cleaned, nullptr), -1);
    EXPECT_EQ(g_cleaned.size(), 2u);
    EXPECT_EQ(Get("http://127.0.0.1:" + std::to_string(closed) + "/"), 2);
    EXPECT_EQ(Get(server.Url("/reset"), true), 3);
    EXPECT_EQ(Get(server.Url("/", "https")), 4);  // TLS on any port when the scheme says so
    EXPECT_EQ(Get(server.Url("/hello")), 5);
    ASSERT_NO_FATAL_FAILURE(Settle());
    ASSERT_EQ(g_delivered.size(), 2u);
    EXPECT_EQ(g_delivered[0].id, 3);
    EXPECT_EQ(g_delivered[0].body, "");
    EXPECT_EQ(g_delivered[1].body, "hello");
    EXPECT_EQ(g_cleaned.size(), 6u);
    std::vector<HttpServer::Request> received = server.Received();
    ASSERT_EQ(received.size(), 3u);
    EXPECT_TRUE(received[1].tls);
    std::istringstream lines(warnings.text);
    for (const char* step : {"InternetConnect: ", "HttpSendRequest: ", "HttpSendRequest: "}) {
        std::string line;
        ASSERT_TRUE(std::getline(lines, line)) << warnings.text;
        EXPECT_EQ(line.rfind(step, 0), 0u) << line;
    }
    EXPECT_TRUE(lines.peek() == EOF) << warnings.text;
}

TEST_F(HttpTransfer, RedirectsAnswersWithoutAStatusLineAndOtherSchemes)
{
    TCapturedWarnings warnings;
    Raw("/moved", "HTTP/1.1 302 Found\r\nLocation: /hello\r\nContent-Length: 4\r\n\r\ngone");
    server.Answer("/hello", 200, "hello");
    Raw("/old", "bare bytes");
    Raw("/file", "HTTP/1.1 302 Found\r\nLocation: file:///etc/passwd\r\nContent-Length: 0\r\n\r\n");
    Get(server.Url("/moved"));
    Get(server.Url("/old"));
    Get(server.Url("/file"));
    ASSERT_NO_FATAL_FAILURE(Settle());
    ASSERT_EQ(g_delivered.size(), 3u);
    EXPECT_EQ(g_delivered[0].httpStatus, 200);
    EXPECT_EQ(g_delivered[0].body, "hello");
    EXPECT_EQ(g_delivered[1].httpStatus, 0);
    EXPECT_EQ(g_delivered[1].body, "bare bytes");
    EXPECT_EQ(g_delivered[2].body, "");  // a redirect out of HTTP is not followed
    EXPECT_EQ(warnings.text.rfind("InternetReadFile: ", 0), 0u) << warnings.text;
}

TEST_F(HttpTransfer, StalledTransfersEndAfterTheirTimeoutOrAtShutDown)
{
    TCapturedWarnings warnings;
    LoadSave_HttpLimits.stallSeconds = 1;
    server.On("/stall", [](HttpServer& s, int socket, const HttpServer::Request&) {
        s.Send(socket, WithLength("100", "x"));
        s.Stalled();
    });
    server.On("/silent", [](HttpServer& s, int, const HttpServer::Request&) { s.Stalled(); });
    Get(server.Url("/stall"));
    Get(server.Url("/silent"));
    auto start = std::chrono::steady_clock::now();
    ASSERT_NO_FATAL_FAILURE(Settle());
    EXPECT_LT(std::chrono::steady_clock::now() - start, 8s);
    ASSERT_EQ(g_delivered.size(), 1u);
    EXPECT_EQ(g_delivered[0].body, "");
    EXPECT_EQ(warnings.text.rfind("InternetReadFile: ", 0), 0u) << warnings.text;
    EXPECT_NE(warnings.text.find("\nHttpSendRequest: "), std::string::npos) << warnings.text;

    // At shut-down: the transfer in flight is aborted and every request freed.
    LoadSave_HttpLimits.stallSeconds = 30;
    g_cleaned.clear();
    Get(server.Url("/stall"));
    Get(server.Url("/stall"));
    for (auto until = std::chrono::steady_clock::now() + 10s; server.Received().size() < 3 && std::chrono::steady_clock::now() < until;)
        std::this_thread::sleep_for(1ms);
    start = std::chrono::steady_clock::now();
    RequestList_Free();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    EXPECT_EQ(RequestList_Count(), 0);
    EXPECT_EQ(g_cleaned, (std::vector<int>{3, 2}));
}

// Destroying the request that the worker serves ends the worker; the next one then starts.
int Endless(HTTP_REQ_CONTEXT*, const std::atomic<bool>& abort, HttpError*)
{
    while (!abort) std::this_thread::sleep_for(1ms);
    return -1;
}

TEST_F(HttpTransfer, DestroyingTheServedRequestFreesTheWorker)
{
    server.Answer("/hello", 200, "hello");
    HTTP_REQ_CONTEXT* served = new HTTP_REQ_CONTEXT("http://unused/", Keep, Cleaned, nullptr);
    ASSERT_TRUE(RequestList_Serve(served, Endless));
    int next = Get(server.Url("/hello"));
    RequestList_Delete(served);
    ASSERT_NO_FATAL_FAILURE(Settle());
    ASSERT_EQ(g_delivered.size(), 1u);
    EXPECT_EQ(g_delivered[0].id, next);
}

}  // namespace
