// The request list without a network: the worker runs a work function of the test's own.
#include "../Base/CapturedWarnings.h"
#include "Support/LoadSave_Http.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

// What the work functions saw: the ids in the order they ran, and how many ran at once.
std::mutex g_lock;
std::vector<int> g_served;
std::atomic<int> g_running{0};
std::atomic<int> g_mostAtOnce{0};
std::atomic<bool> g_release{false};
std::vector<int> g_cleaned;

int Gated(HTTP_REQ_CONTEXT* request, const std::atomic<bool>& abort, HttpError*)
{
    int now = ++g_running;
    int most = g_mostAtOnce;
    while (now > most && !g_mostAtOnce.compare_exchange_weak(most, now)) {}
    while (!g_release && !abort) std::this_thread::sleep_for(1ms);
    {
        std::lock_guard<std::mutex> guard(g_lock);
        g_served.push_back(request->id);
    }
    request->buffer = (uint8_t*)malloc(4);
    memcpy(request->buffer, "abc", 4);
    request->bytesRead = 3;
    g_running--;
    return abort ? -1 : 0;
}

int Failing(HTTP_REQ_CONTEXT*, const std::atomic<bool>&, HttpError* error)
{
    error->function = "HttpSendRequest";
    error->message = "the server went away";
    return -1;
}

// Waits forever unless aborted.
int Stalled(HTTP_REQ_CONTEXT*, const std::atomic<bool>& abort, HttpError*)
{
    while (!abort) std::this_thread::sleep_for(1ms);
    return -1;
}

void Cleaned(HTTP_REQ_CONTEXT* request) { g_cleaned.push_back(request->id); }

class RequestListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RequestList_Free();
        g_served.clear();
        g_cleaned.clear();
        g_running = 0;
        g_mostAtOnce = 0;
        g_release = false;
    }
    void TearDown() override
    {
        g_release = true;
        RequestList_Free();
    }
    static HTTP_REQ_CONTEXT* Made(const char* url = "http://host/")
    {
        return new HTTP_REQ_CONTEXT(url, nullptr, Cleaned, nullptr);
    }
    // Polls until a complete request can be taken (or a few seconds pass).
    static HTTP_REQ_CONTEXT* NextComplete()
    {
        for (auto until = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < until;) {
            LoadSave_HttpPoll();
            if (HTTP_REQ_CONTEXT* r = RequestList_TakeComplete()) return r;
            std::this_thread::sleep_for(1ms);
        }
        return nullptr;
    }
};

TEST_F(RequestListTest, ServesOneRequestAtATimeOldestFirst)
{
    HTTP_REQ_CONTEXT* a = Made();
    HTTP_REQ_CONTEXT* b = Made();
    HTTP_REQ_CONTEXT* c = Made();
    EXPECT_EQ(a->id, 0);
    EXPECT_EQ(b->id, 1);
    EXPECT_EQ(c->id, 2);
    EXPECT_STREQ(a->url, "http://host/");
    ASSERT_TRUE(RequestList_Serve(a, Gated));
    ASSERT_TRUE(RequestList_Serve(b, Gated));
    ASSERT_TRUE(RequestList_Serve(c, Gated));
    EXPECT_EQ(a->state, REQUEST_RUNNING);
    EXPECT_EQ(b->state, REQUEST_WAITING);
    EXPECT_EQ(c->state, REQUEST_WAITING);
    // Nothing completes while the worker holds the first request.
    std::this_thread::sleep_for(20ms);
    LoadSave_HttpPoll();
    EXPECT_EQ(RequestList_TakeComplete(), nullptr);
    g_release = true;
    for (HTTP_REQ_CONTEXT* expected : {a, b, c}) {
        HTTP_REQ_CONTEXT* r = NextComplete();
        ASSERT_EQ(r, expected);
        EXPECT_EQ(r->bytesRead, 3);
        EXPECT_STREQ((const char*)r->buffer, "abc");
        RequestList_Delete(r);
    }
    EXPECT_EQ(g_served, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(g_mostAtOnce, 1);
    EXPECT_EQ(g_cleaned, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(RequestList_Count(), 0);
}

TEST_F(RequestListTest, AFailedRequestIsReportedAndDroppedUnlessItAsksForDelivery)
{
    TCapturedWarnings warnings;
    HTTP_REQ_CONTEXT* dropped = Made();
    HTTP_REQ_CONTEXT* delivered = Made();
    delivered->deliverOnFailure = true;
    HTTP_REQ_CONTEXT* after = Made();
    ASSERT_TRUE(RequestList_Serve(dropped, Failing));
    ASSERT_TRUE(RequestList_Serve(delivered, Failing));
    g_release = true;
    ASSERT_TRUE(RequestList_Serve(after, Gated));
    HTTP_REQ_CONTEXT* r = NextComplete();
    ASSERT_EQ(r, delivered);
    EXPECT_EQ(r->bytesRead, 0);
    RequestList_Delete(r);
    // The cleanup of a dropped request still runs.
    EXPECT_EQ(g_cleaned, (std::vector<int>{0, 1}));
    r = NextComplete();
    ASSERT_EQ(r, after);  // the list goes on after failures
    RequestList_Delete(r);
    EXPECT_EQ(warnings.text, "HttpSendRequest: the server went away\nHttpSendRequest: the server went away\n");
}

TEST_F(RequestListTest, RequestsWithoutWorkCompleteOnTheMainThread)
{
    HTTP_REQ_CONTEXT* served = Made();
    HTTP_REQ_CONTEXT* dialog = Made(nullptr);
    EXPECT_EQ(dialog->url, nullptr);
    ASSERT_TRUE(RequestList_Serve(served, Stalled));
    LoadSave_HttpPoll();
    EXPECT_EQ(RequestList_TakeComplete(), nullptr);
    dialog->Complete();
    EXPECT_EQ(RequestList_TakeComplete(), dialog);
    RequestList_Delete(dialog);
    EXPECT_EQ(RequestList_Count(), 1);
}

TEST_F(RequestListTest, FreeingEndsAStalledWorkerAndEveryRequest)
{
    HTTP_REQ_CONTEXT* stalled = Made();
    HTTP_REQ_CONTEXT* waiting = Made();
    HTTP_REQ_CONTEXT* complete = Made(nullptr);
    ASSERT_TRUE(RequestList_Serve(stalled, Stalled));
    ASSERT_TRUE(RequestList_Serve(waiting, Stalled));
    complete->Complete();
    auto start = std::chrono::steady_clock::now();
    RequestList_Free();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    EXPECT_EQ(RequestList_Count(), 0);
    EXPECT_EQ(g_cleaned.size(), 3u);
    EXPECT_EQ(Made()->id, 0);  // ids start again
}

TEST_F(RequestListTest, DeletingTheServedRequestEndsTheWorker)
{
    HTTP_REQ_CONTEXT* stalled = Made();
    HTTP_REQ_CONTEXT* next = Made();
    ASSERT_TRUE(RequestList_Serve(stalled, Stalled));
    ASSERT_TRUE(RequestList_Serve(next, Gated));
    RequestList_Delete(stalled);
    EXPECT_EQ(g_cleaned, (std::vector<int>{0}));
    g_release = true;
    EXPECT_EQ(NextComplete(), next);  // the next poll starts the waiting request
    RequestList_Delete(next);
}

}  // namespace
