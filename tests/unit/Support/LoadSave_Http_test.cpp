// HTTP transfers against a server in the test process: what arrives, byte for byte, how broken,
// stalled, dripping, oversized and refused answers end, how many run at once, and the URL that
// goes out.
#include "../Base/CapturedWarnings.h"
#include "HttpServer.h"
#include "Run/Run_Main.h"
#include "Support/LoadSave_Http.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <sstream>

namespace {

using namespace std::chrono_literals;

struct Delivered {
    int id;
    int httpStatus;
    std::string body;
};
std::vector<Delivered> g_delivered;

// The delivery of request id (the test fails when there is none).
const Delivered& Of(int id)
{
    for (const Delivered& d : g_delivered)
        if (d.id == id) return d;
    ADD_FAILURE() << "request " << id << " was not delivered";
    static const Delivered none{-1, -1, ""};
    return none;
}

// The console's lines in sorted order: requests that run at once may fail in any order.
std::vector<std::string> SortedLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    return lines;
}
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
    int Get(const std::string& url) { return LoadSave_HttpGet(url.c_str(), Keep, Cleaned, nullptr); }
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
    const std::string over = "InternetReadFile: the answer is longer than 2097152 bytes";
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
        EXPECT_EQ(Of(i).httpStatus, 200);
        EXPECT_TRUE(Of(i).body == cases[i].body) << cases[i].path << ": " << Of(i).body.size() << " bytes";
    }
    std::vector<int> cleaned = g_cleaned;
    std::sort(cleaned.begin(), cleaned.end());
    EXPECT_EQ(cleaned, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    std::vector<std::string> lines = SortedLines(warnings.text);
    ASSERT_EQ(lines.size(), 3u) << warnings.text;
    EXPECT_EQ(std::count(lines.begin(), lines.end(), over), 2) << warnings.text;
    EXPECT_TRUE(std::all_of(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("InternetReadFile: ", 0) == 0; }));
}

// A request that fails, with or without an answer, still raises its event: without a body, and
// with the status 0 when no answer came at all.
TEST_F(HttpTransfer, AFailedRequestGivesOneLineAndAnEventWithoutABody)
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
    EXPECT_EQ(Get(server.Url("/reset")), 3);
    EXPECT_EQ(Get(server.Url("/", "https")), 4);  // TLS on any port when the scheme says so
    EXPECT_EQ(Get(server.Url("/hello")), 5);
    ASSERT_NO_FATAL_FAILURE(Settle());
    ASSERT_EQ(g_delivered.size(), 4u);
    for (int id : {2, 3, 4}) {
        EXPECT_EQ(Of(id).httpStatus, 0) << id;
        EXPECT_EQ(Of(id).body, "") << id;
    }
    EXPECT_EQ(Of(5).body, "hello");
    EXPECT_EQ(g_cleaned.size(), 6u);
    std::vector<HttpServer::Request> received = server.Received();
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(std::count_if(received.begin(), received.end(), [](const HttpServer::Request& r) { return r.tls; }), 1);
    std::vector<std::string> lines = SortedLines(warnings.text);
    ASSERT_EQ(lines.size(), 3u) << warnings.text;
    for (size_t i = 0; i < 3; i++) {
        const char* step = i == 0 ? "HttpSendRequest: " : i == 1 ? "HttpSendRequest: " : "InternetConnect: ";
        EXPECT_EQ(lines[i].rfind(step, 0), 0u) << lines[i];
    }
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
    EXPECT_EQ(Of(0).httpStatus, 200);
    EXPECT_EQ(Of(0).body, "hello");
    EXPECT_EQ(Of(1).httpStatus, 0);
    EXPECT_EQ(Of(1).body, "bare bytes");
    EXPECT_EQ(Of(2).body, "");  // a redirect out of HTTP is not followed
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
    ASSERT_NO_FATAL_FAILURE(Settle());
    ASSERT_EQ(g_delivered.size(), 2u);
    EXPECT_EQ(Of(0).httpStatus, 200);
    EXPECT_EQ(Of(0).body, "");
    EXPECT_EQ(Of(1).httpStatus, 0);
    std::vector<std::string> lines = SortedLines(warnings.text);
    ASSERT_EQ(lines.size(), 2u) << warnings.text;
    EXPECT_EQ(lines[0].rfind("HttpSendRequest: ", 0), 0u) << warnings.text;
    EXPECT_EQ(lines[1].rfind("InternetReadFile: ", 0), 0u) << warnings.text;

    // At shut-down: the transfers in flight are aborted and every request freed.
    LoadSave_HttpLimits.stallSeconds = 30;
    g_cleaned.clear();
    Get(server.Url("/stall"));
    Get(server.Url("/stall"));
    for (auto until = std::chrono::steady_clock::now() + 10s; server.Received().size() < 4 && std::chrono::steady_clock::now() < until;)
        std::this_thread::sleep_for(1ms);
    RequestList_Free();
    EXPECT_EQ(RequestList_Count(), 0);
    EXPECT_EQ(g_cleaned, (std::vector<int>{3, 2}));
}

// A server that drips its answer a byte at a time holds no request behind it, and its own request
// ends at the deadline it was made with.
TEST_F(HttpTransfer, ADrippingAnswerEndsAtItsDeadlineAndHoldsNoOtherRequest)
{
    TCapturedWarnings warnings;
    server.On("/drip", [](HttpServer& s, int socket, const HttpServer::Request&) {
        s.Send(socket, WithLength("1000", ""));
        while (!s.Stopping() && send(socket, "x", 1, MSG_NOSIGNAL) == 1) std::this_thread::sleep_for(100ms);
    });
    server.Answer("/hello", 200, "hello");
    int endless = Get(server.Url("/drip"));  // the default deadline, a minute
    LoadSave_HttpLimits.deadlineSeconds = 1;
    int timed = Get(server.Url("/drip"));
    int good = Get(server.Url("/hello"));
    for (auto until = std::chrono::steady_clock::now() + 10s; g_delivered.size() < 2 && std::chrono::steady_clock::now() < until;) {
        Run_AsyncPass();
        std::this_thread::sleep_for(1ms);
    }
    ASSERT_EQ(g_delivered.size(), 2u);
    EXPECT_EQ(g_delivered[0].id, good);
    EXPECT_EQ(g_delivered[0].body, "hello");
    EXPECT_EQ(g_delivered[1].id, timed);
    EXPECT_EQ(g_delivered[1].body, "");
    EXPECT_EQ(warnings.text.rfind("InternetReadFile: Operation timed out", 0), 0u) << warnings.text;
    EXPECT_EQ(RequestList_Count(), 1) << "request " << endless << " still drips";
}

// A request reads only the limits it was made with, so changing them never races a transfer.
TEST_F(HttpTransfer, ARequestKeepsTheLimitsItWasMadeWith)
{
    TCapturedWarnings warnings;
    server.Answer("/long", 200, std::string(100, 'x'));
    LoadSave_HttpLimits.maxBody = 10;
    Get(server.Url("/long"));
    LoadSave_HttpLimits.maxBody = 1000;
    Get(server.Url("/long"));
    ASSERT_NO_FATAL_FAILURE(Settle());
    EXPECT_EQ(Of(0).body, "");
    EXPECT_EQ(Of(1).body, std::string(100, 'x'));
    EXPECT_EQ(warnings.text, "InternetReadFile: the answer is longer than 10 bytes\n");
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
    RequestList_Serve(served, Endless);
    int next = Get(server.Url("/hello"));
    RequestList_Delete(served);
    ASSERT_NO_FATAL_FAILURE(Settle());
    ASSERT_EQ(g_delivered.size(), 1u);
    EXPECT_EQ(g_delivered[0].id, next);
}

// Memory running out on a worker fails that request with a line; the program and the next request
// go on.
int RunsOutOfMemory(HTTP_REQ_CONTEXT*, const std::atomic<bool>&, HttpError*) { throw std::bad_alloc(); }

TEST_F(HttpTransfer, AWorkerOutOfMemoryFailsOnlyItsRequest)
{
    TCapturedWarnings warnings;
    server.Answer("/hello", 200, "hello");
    HTTP_REQ_CONTEXT* starved = new HTTP_REQ_CONTEXT("http://unused/", Keep, Cleaned, nullptr);
    int failed = starved->id;
    RequestList_Serve(starved, RunsOutOfMemory);
    int next = Get(server.Url("/hello"));
    ASSERT_NO_FATAL_FAILURE(Settle());
    ASSERT_EQ(g_delivered.size(), 2u);
    EXPECT_EQ(Of(failed).body, "");
    EXPECT_EQ(Of(next).body, "hello");
    EXPECT_EQ(warnings.text, "InternetReadFile: out of memory\n");
}

// Transfers run a few at once; the rest wait and start oldest first as workers come free.
TEST_F(HttpTransfer, AtMostAFewRunAtOnceAndTheOldestWaitingStartsNext)
{
    std::vector<HTTP_REQ_CONTEXT*> requests;
    for (int i = 0; i < HTTP_WORKERS + 2; i++) {
        requests.push_back(new HTTP_REQ_CONTEXT("http://unused/", Keep, Cleaned, nullptr));
        RequestList_Serve(requests.back(), Endless);
    }
    for (int i = 0; i < HTTP_WORKERS + 2; i++)
        EXPECT_EQ(requests[(size_t)i]->state, i < HTTP_WORKERS ? REQUEST_RUNNING : REQUEST_WAITING) << i;
    RequestList_Delete(requests[1]);
    // One made now waits behind the older ones, though a worker is free until the next pass.
    HTTP_REQ_CONTEXT* late = new HTTP_REQ_CONTEXT("http://unused/", Keep, Cleaned, nullptr);
    RequestList_Serve(late, Endless);
    EXPECT_EQ(late->state, REQUEST_WAITING);
    LoadSave_HttpPoll();
    EXPECT_EQ(requests[HTTP_WORKERS]->state, REQUEST_RUNNING);
    EXPECT_EQ(requests[HTTP_WORKERS + 1]->state, REQUEST_WAITING);
    EXPECT_EQ(late->state, REQUEST_WAITING);
}

// What a browser sends for what a game wrote: unsafe bytes of the path, query and fragment
// escaped, escapes already there kept, the scheme and host as written.
TEST(HttpUrl, UrlsAreEscapedAsABrowserWould)
{
    const std::pair<const char*, const char*> cases[] = {
        {"http://h/a b/c d.txt", "http://h/a%20b/c%20d.txt"},
        {"http://h/x?q=two words&name=Zo\xC3\xAB", "http://h/x?q=two%20words&name=Zo%C3%AB"},
        {"https://h:8080/\xE6\x97\xA5?a=%20b&c=%zz", "https://h:8080/%E6%97%A5?a=%20b&c=%zz"},
        {"http://h/a\"<>`{}^|b?c\"<>'`{}d#e f`g", "http://h/a%22%3C%3E%60%7B%7D^|b?c%22%3C%3E%27`{}d#e%20f%60g"},
        {"  http://h/a\tb\r\nc?x y \x01", "http://h/abc?x%20y"},
        {"http://h\\dir\\file.txt?a\\b", "http://h/dir/file.txt?a\\b"},
        {"http://h/x?q=a?b#c#d", "http://h/x?q=a?b#c#d"},
        {"http://h", "http://h"},
        {"http://h?x=\x7F", "http://h?x=%7F"},
    };
    for (const auto& c : cases) EXPECT_EQ(LoadSave_CanonicaliseUrl(c.first), c.second) << c.first;
}

// Random tails after a host, of every byte but NUL and '%': what goes out holds no byte that may
// not stand bare, reads back (escapes undone) as the game's text less what a browser drops, and
// comes out the same when sent through again.
TEST(HttpUrl, AnyTextAfterTheHostGoesOutEscapedAndReadsBack)
{
    unsigned seed = 12345;
    auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    const std::string host = "http://h";
    for (int round = 0; round < 3000; round++) {
        std::string tail(1, "/?#\\"[next() % 4]);  // what ends the host
        for (unsigned n = next() % 24; n > 0; n--) {
            // Mostly the bytes that need care: separators, quotes, controls and high bytes.
            static const char care[] = " \t\r\n/\\?#\"<>`{}'^|~\x01\x7F\x80\xC3\xA9\xFF";
            char c = next() % 2 ? care[next() % (sizeof care - 1)] : (char)(1 + next() % 255);
            if (c != '%') tail += c;
        }
        std::string sent = LoadSave_CanonicaliseUrl((host + tail).c_str());
        ASSERT_EQ(sent.compare(0, host.size(), host), 0) << tail;
        for (size_t i = host.size(); i < sent.size(); i++)
            ASSERT_TRUE(sent[i] > 0x20 && sent[i] < 0x7F && !strchr("\"<>", sent[i])) << tail << " -> " << sent;
        // What the browser drops: tabs and line breaks, blanks and controls at the end, and a
        // backslash of the path is a slash.
        std::string kept;
        for (char c : tail)
            if (c != '\t' && c != '\r' && c != '\n') kept += c;
        while (!kept.empty() && (unsigned char)kept.back() <= 0x20) kept.pop_back();
        size_t pathEnd = std::min(kept.find_first_of("?#"), kept.size());
        std::replace(kept.begin(), kept.begin() + (long)pathEnd, '\\', '/');
        // Every '%' that goes out begins an escape: the tails hold none of their own.
        std::string read = sent.substr(host.size());
        for (size_t at = read.find('%'); at != std::string::npos; at = read.find('%', at + 1)) {
            ASSERT_TRUE(at + 2 < read.size() && isxdigit((unsigned char)read[at + 1]) && isxdigit((unsigned char)read[at + 2]))
                << sent;
            read.replace(at, 3, 1, (char)std::stoi(read.substr(at + 1, 2), nullptr, 16));
        }
        EXPECT_EQ(read, kept) << tail;
        EXPECT_EQ(LoadSave_CanonicaliseUrl(sent.c_str()), sent) << tail;
    }
}

}  // namespace
