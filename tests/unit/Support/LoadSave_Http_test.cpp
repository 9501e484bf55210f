// HTTP transfers against a server in the test process: what arrives, byte for byte, and how
// broken, stalled, oversized and refused answers end.
#include "../Base/CapturedWarnings.h"
#include "HttpServer.h"
#include "Run/Run_Main.h"
#include "Support/LoadSave_Http.h"

#include <gtest/gtest.h>

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
    for (char& c : s) {
        x = x * 1103515245u + 12345u;
        c = (char)(x >> 24);
    }
    return s;
}

std::string Chunked(const std::string& body)
{
    std::string out;
    size_t sizes[] = {1, 7, 4096, 65536, 100000};
    for (size_t at = 0, i = 0; at < body.size(); i++) {
        size_t n = std::min(sizes[i % 5], body.size() - at);
        char head[32];
        snprintf(head, sizeof head, "%zx\r\n", n);
        out += head + body.substr(at, n) + "\r\n";
        at += n;
    }
    return out + "0\r\n\r\n";
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
    // Runs asynchronous passes until `count` requests were delivered and the list is empty, or
    // until ten seconds have passed.
    static bool Settle(size_t count)
    {
        for (auto until = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < until;) {
            Run_AsyncPass();
            if (g_delivered.size() >= count && RequestList_Count() == 0) return g_delivered.size() == count;
            std::this_thread::sleep_for(1ms);
        }
        return false;
    }
    HttpServer server;
    HttpLimits saved;
};

TEST_F(HttpTransfer, LargeBodiesArriveByteForByte)
{
    const std::string body = Bytes(1 << 20);
    server.Answer("/length", 200, body);
    server.On("/chunked", [&](HttpServer& s, int socket, const HttpServer::Request&) {
        s.Send(socket, "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" + Chunked(body));
    });
    // A length shorter than what follows: the length counts.
    server.On("/longer", [&](HttpServer& s, int socket, const HttpServer::Request&) {
        s.Send(socket, "HTTP/1.1 200 OK\r\nContent-Length: 1048576\r\n\r\n" + body + "trailing bytes");
    });
    ASSERT_EQ(Get(server.Url("/length")), 0);
    ASSERT_EQ(Get(server.Url("/chunked")), 1);
    ASSERT_EQ(Get(server.Url("/longer")), 2);
    ASSERT_TRUE(Settle(3));
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(g_delivered[i].id, i);
        EXPECT_EQ(g_delivered[i].httpStatus, 200);
        EXPECT_TRUE(g_delivered[i].body == body) << i << ": " << g_delivered[i].body.size() << " bytes";
    }
    EXPECT_EQ(g_cleaned, (std::vector<int>{0, 1, 2}));
}

TEST_F(HttpTransfer, AnAnswerCutShortCompletesWithoutABody)
{
    TCapturedWarnings warnings;
    server.On("/short", [](HttpServer& s, int socket, const HttpServer::Request&) {
        s.Send(socket, "HTTP/1.1 200 OK\r\nContent-Length: 2097152\r\n\r\n" + Bytes(1 << 20));
    });
    ASSERT_GE(Get(server.Url("/short")), 0);
    ASSERT_TRUE(Settle(1));
    EXPECT_EQ(g_delivered[0].body, "");
    EXPECT_EQ(g_delivered[0].httpStatus, 200);
    EXPECT_EQ(warnings.text.rfind("InternetReadFile: ", 0), 0u) << warnings.text;
    EXPECT_EQ(std::count(warnings.text.begin(), warnings.text.end(), '\n'), 1);
}

TEST_F(HttpTransfer, BodiesOverTheCapFailWithoutGrowingPastIt)
{
    TCapturedWarnings warnings;
    LoadSave_HttpLimits.maxBody = 300000;
    server.On("/chunked", [](HttpServer& s, int socket, const HttpServer::Request&) {
        s.Send(socket, "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" + Chunked(Bytes(300001)));
    });
    // A length far beyond memory is refused before any body arrives.
    server.On("/vast", [](HttpServer& s, int socket, const HttpServer::Request&) {
        s.Send(socket, "HTTP/1.1 200 OK\r\nContent-Length: 1000000000000\r\n\r\nabc");
    });
    server.Answer("/fits", 200, Bytes(300000));
    Get(server.Url("/chunked"));
    Get(server.Url("/vast"));
    Get(server.Url("/fits"));
    ASSERT_TRUE(Settle(3));
    EXPECT_EQ(g_delivered[0].body, "");
    EXPECT_EQ(g_delivered[1].body, "");
    EXPECT_EQ(g_delivered[2].body, Bytes(300000));
    EXPECT_EQ(warnings.text, "InternetReadFile: the answer is longer than 300000 bytes\n"
                             "InternetReadFile: the answer is longer than 300000 bytes\n");
}

TEST_F(HttpTransfer, ARefusedConnectionGivesNoEventAndOneLine)
{
    TCapturedWarnings warnings;
    int closed;
    {
        HttpServer gone;
        std::string url = gone.Url("/");
        closed = std::stoi(url.substr(url.rfind(':') + 1));
    }
    server.Answer("/hello", 200, "hello");
    ASSERT_EQ(Get("http://127.0.0.1:" + std::to_string(closed) + "/"), 0);
    ASSERT_EQ(Get(server.Url("/hello")), 1);
    ASSERT_TRUE(Settle(1));
    EXPECT_EQ(g_delivered[0].id, 1);
    EXPECT_EQ(g_delivered[0].body, "hello");
    EXPECT_EQ(g_cleaned, (std::vector<int>{0, 1}));
    EXPECT_EQ(warnings.text.rfind("InternetConnect: ", 0), 0u) << warnings.text;
    EXPECT_EQ(std::count(warnings.text.begin(), warnings.text.end(), '\n'), 1);
}

TEST_F(HttpTransfer, AFailureCanStillBeDeliveredEmpty)
{
    TCapturedWarnings warnings;
    server.On("/reset", [](HttpServer&, int, const HttpServer::Request&) {});  // closes at once
    Get(server.Url("/reset"), true);
    ASSERT_TRUE(Settle(1));
    EXPECT_EQ(g_delivered[0].body, "");
    EXPECT_EQ(warnings.text.rfind("HttpSendRequest: ", 0), 0u) << warnings.text;
}

TEST_F(HttpTransfer, TlsFollowsTheSchemeNotThePort)
{
    TCapturedWarnings warnings;
    Get(server.Url("/", "https"));
    for (auto until = std::chrono::steady_clock::now() + 10s; RequestList_Count() && std::chrono::steady_clock::now() < until;) {
        Run_AsyncPass();
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_EQ(RequestList_Count(), 0);
    EXPECT_TRUE(g_delivered.empty());
    std::vector<HttpServer::Request> received = server.Received();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_TRUE(received[0].tls);
    EXPECT_EQ(warnings.text.rfind("HttpSendRequest: ", 0), 0u) << warnings.text;
}

TEST_F(HttpTransfer, RedirectsAnswersWithoutAStatusLineAndOtherSchemes)
{
    server.On("/moved", [](HttpServer& s, int socket, const HttpServer::Request&) {
        s.Send(socket, "HTTP/1.1 302 Found\r\nLocation: /hello\r\nContent-Length: 4\r\n\r\ngone");
    });
    server.Answer("/hello", 200, "hello");
    server.On("/old", [](HttpServer& s, int socket, const HttpServer::Request&) { s.Send(socket, "bare bytes"); });
    server.On("/file", [](HttpServer& s, int socket, const HttpServer::Request&) {
        s.Send(socket, "HTTP/1.1 302 Found\r\nLocation: file:///etc/passwd\r\nContent-Length: 0\r\n\r\n");
    });
    {
        TCapturedWarnings warnings;
        Get(server.Url("/moved"));
        Get(server.Url("/old"));
        Get(server.Url("/file"));
        ASSERT_TRUE(Settle(3));
        EXPECT_NE(warnings.text.find("InternetReadFile: "), std::string::npos);
    }
    EXPECT_EQ(g_delivered[0].httpStatus, 200);
    EXPECT_EQ(g_delivered[0].body, "hello");
    EXPECT_EQ(g_delivered[1].httpStatus, 0);
    EXPECT_EQ(g_delivered[1].body, "bare bytes");
    EXPECT_EQ(g_delivered[2].body, "");  // a redirect to a file is not followed
}

TEST_F(HttpTransfer, AStalledTransferEndsAfterItsTimeout)
{
    TCapturedWarnings warnings;
    LoadSave_HttpLimits.stallSeconds = 1;
    server.On("/stall", [](HttpServer& s, int socket, const HttpServer::Request&) {
        s.Send(socket, "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nx");
        s.Stalled();
    });
    server.On("/silent", [](HttpServer& s, int, const HttpServer::Request&) { s.Stalled(); });
    Get(server.Url("/stall"));
    Get(server.Url("/silent"));
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(Settle(1));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 8s);
    EXPECT_EQ(g_delivered[0].body, "");
    EXPECT_EQ(warnings.text.substr(0, 18), "InternetReadFile: ");
    EXPECT_NE(warnings.text.find("\nHttpSendRequest: "), std::string::npos) << warnings.text;
}

TEST_F(HttpTransfer, ShutDownEndsATransferInFlightAndFreesEverything)
{
    server.On("/stall", [](HttpServer& s, int socket, const HttpServer::Request&) {
        s.Send(socket, "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nsome");
        s.Stalled();
    });
    Get(server.Url("/stall"));
    Get(server.Url("/stall"));
    for (auto until = std::chrono::steady_clock::now() + 10s; server.Received().empty() && std::chrono::steady_clock::now() < until;)
        std::this_thread::sleep_for(1ms);
    ASSERT_EQ(server.Received().size(), 1u);
    auto start = std::chrono::steady_clock::now();
    RequestList_Free();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    EXPECT_EQ(RequestList_Count(), 0);
    EXPECT_EQ(g_cleaned, (std::vector<int>{1, 0}));
    EXPECT_TRUE(g_delivered.empty());
}

}  // namespace
