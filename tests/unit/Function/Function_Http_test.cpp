// The HTTP built-ins in a running game against a server in the test process, and their
// registration.
#include "BuiltinCall.h"
#include "HttpGame.h"

#include <cmath>

namespace {

// The event that prints every entry of the request's map.
const char* const kPrintMap =
    "show_debug_message(string(ds_map_find_value(async_load, 'id')) + '|' + ds_map_find_value(async_load, 'url') + '|' +"
    " ds_map_find_value(async_load, 'result') + '|' + string(ds_map_find_value(async_load, 'http_status')) + '|' +"
    " string(ds_map_find_value(async_load, 'status')) + '|' + string(ds_map_size(async_load)));";

using HttpBuiltins = HttpGame;

// A built-in called by name from outside any event.
TaggedValue Call(const char* name, std::vector<TaggedValue> args)
{
    int id = -1;
    EXPECT_TRUE(Function_Find(name, &id)) << name;
    TaggedValue result;
    Function_Get(id)->handler(&result, nullptr, nullptr, (int)args.size(), args.data());
    return result;
}

// Requests of one step take consecutive ids and run at once (a few at most); each answer comes
// as its event's map, which is destroyed after the event.
TEST_F(HttpBuiltins, EachAnswerComesAsAMap)
{
    server.Answer("/hello", 200, "hello");
    server.Answer("/missing", 404, "missing");
    server.Answer("/empty", 200, "");
    server.Answer("/zero", 200, std::string("ab\0cd", 5));
    ASSERT_NO_FATAL_FAILURE(Play({{{0, 0}, "a = http_get('URL/hello'); b = http_get('URL/missing'); c = http_get('URL/empty');"
                                           " d = http_get('URL/zero'); show_debug_message(string(a) + string(b) + string(c) + string(d));"},
                                  {{7, 62}, kPrintMap}}));
    EXPECT_EQ(SortedLines(5), (std::vector<std::string>{"0123",
                                                        "0|" + server.Url("/hello") + "|hello|200|0|5",
                                                        "1|" + server.Url("/missing") + "|missing|404|0|5",
                                                        "2|" + server.Url("/empty") + "||200|-1|5",
                                                        "3|" + server.Url("/zero") + "|ab|200|0|5"}));
    EXPECT_EQ(DS_Map_Find(0), nullptr);
    EXPECT_EQ(async_load, -1);
    EXPECT_EQ(RequestList_Count(), 0);
    std::vector<HttpServer::Request> received = server.Received();
    ASSERT_EQ(received.size(), 4u);
    EXPECT_EQ(received[0].headers["user-agent"], "Brivane HTTP");
    EXPECT_LE(server.MostAtOnce(), HTTP_WORKERS);
}

TEST_F(HttpBuiltins, PostSendsTheTextAsAForm)
{
    server.On("/echo", [](HttpServer& s, int socket, const HttpServer::Request& r) {
        s.Send(socket, "HTTP/1.1 201 Created\r\nContent-Length: " + std::to_string(r.body.size()) + "\r\n\r\n" + r.body);
    });
    ASSERT_NO_FATAL_FAILURE(Play({{{0, 0}, "http_post_string('URL/echo', 'name=a%20b&score=10');"},
                                  {{7, 62}, "show_debug_message(ds_map_find_value(async_load, 'result') + ' ' + string(ds_map_find_value(async_load, 'http_status')));"}}));
    EXPECT_EQ(Lines(1), "name=a%20b&score=10 201\n");
    std::vector<HttpServer::Request> received = server.Received();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].method, "POST");
    EXPECT_EQ(received[0].headers["content-type"], "application/x-www-form-urlencoded");
    EXPECT_EQ(received[0].body, "name=a%20b&score=10");

    // A text far longer than the answer buffer goes out whole.
    std::string text(300000, 'x');
    for (size_t i = 0; i < text.size(); i += 7) text[i] = (char)('a' + i % 26);
    Call("http_post_string", {TaggedValue(server.Url("/echo").c_str()), TaggedValue(text.c_str())});
    ASSERT_NO_FATAL_FAILURE(Settle());
    ASSERT_EQ(server.Received().size(), 2u);
    EXPECT_TRUE(server.Received()[1].body == text);
}

TEST_F(HttpBuiltins, OnlyStringUrlsOfTheTwoSchemesStartRequests)
{
    ASSERT_NO_FATAL_FAILURE(Play({}));
    for (const TaggedValue& url : {S("HTTP://127.0.0.1/"), S("ftp://127.0.0.1/"), S("http:/x"), S(""), TaggedValue(3.0)}) {
        EXPECT_EQ(Call("http_get", {url}).GetReal(), -1);
        EXPECT_EQ(Call("http_post_string", {url, S("a=1")}).GetReal(), -1);
    }
    EXPECT_EQ(RequestList_Count(), 0);
    // No id was used up.
    EXPECT_EQ(Call("http_get", {TaggedValue(server.Url("/").c_str())}).GetReal(), 0);
    EXPECT_EQ(Call("http_get", {TaggedValue(server.Url("/", "https").c_str())}).GetReal(), 1);
}

class HttpRegistration : public BuiltinTest {
protected:
    void Register() override { Function_Http_Init(); }
    void TearDown() override
    {
        RequestList_Free();
        DS_FreeAll();
        BuiltinTest::TearDown();
    }
};

TEST_F(HttpRegistration, RegistersTheFamilyInOrder)
{
    ASSERT_EQ(Function_Count(), 4);
    const std::pair<const char*, int> expected[] = {{"http_post_string", 2}, {"http_get", 1}, {"json_encode", 1}, {"json_decode", 1}};
    for (int i = 0; i < 4; i++) {
        EXPECT_STREQ(Function_Get(i)->name, expected[i].first);
        EXPECT_EQ(Function_Get(i)->argc, expected[i].second);
    }
}

TEST_F(HttpRegistration, HostileArgumentsAreHarmless)
{
    setenv("no_proxy", "127.0.0.1", 1);
    const TaggedValue patterns[] = {TaggedValue(0.0), TaggedValue((double)NAN), TaggedValue(1e300), TaggedValue(-1e300),
                                    TaggedValue(-1.0), TaggedValue(123456.0), S("http://127.0.0.1:1/\r\nX: y"),
                                    S("https://"), S("{\"a\":"), S("\"}{\"")};
    for (const TaggedValue& p : patterns)
        for (int id = 0; id < Function_Count(); id++) Call(Function_Get(id)->name, {p, p});
    EXPECT_TRUE(Errors().empty());
    EXPECT_EQ(Text("json_encode", {1e300}), "");
    EXPECT_EQ(Real("json_decode", {S("\"")}), -1);
}

}  // namespace
