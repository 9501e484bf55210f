#include "Support/LoadSave_Http.h"

#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Support/Linux/LoadSave_Http_Curl.h"

#include <cstdlib>
#include <system_error>
#include <thread>

int RequestIdCounter = 0;
HttpLimits LoadSave_HttpLimits = {128 << 20, 15, 30, 10};

namespace {
HTTP_REQ_CONTEXT* RequestList = nullptr;

// The one worker thread and what it reports back. WorkerDone is the hand-over: the worker writes
// its request, WorkerExit and PendingError before it sets the flag, and the main thread reads them
// only after seeing it.
std::thread Worker;
HTTP_REQ_CONTEXT* CurrentRequest = nullptr;
std::atomic<bool> WorkerDone{false};
std::atomic<bool> WorkerAbort{false};
int WorkerExit = 0;
HttpError PendingError;

void Work(HTTP_REQ_CONTEXT* request)
{
    WorkerExit = request->work(request, WorkerAbort, &PendingError);
    WorkerDone.store(true, std::memory_order_release);
}

void ReportPendingError()
{
    if (!PendingError.function) return;
    Console_Warnings->Output("%s: %s\n", PendingError.function, PendingError.message.c_str());
    PendingError = HttpError();
}

// Waits for the worker to end (aborting it when asked) and takes back its request; null when no
// worker runs.
HTTP_REQ_CONTEXT* JoinWorker(bool abort)
{
    if (!Worker.joinable()) return nullptr;
    if (abort) WorkerAbort = true;
    Worker.join();
    WorkerAbort = false;
    WorkerDone = false;
    HTTP_REQ_CONTEXT* request = CurrentRequest;
    CurrentRequest = nullptr;
    return request;
}

// A request the worker is done with: complete, or failed (delivered empty, or destroyed).
// False when it was destroyed.
bool Finish(HTTP_REQ_CONTEXT* request, int exitCode)
{
    if (exitCode != 0) {
        if (!request->deliverOnFailure) {
            delete request;
            return false;
        }
        request->bytesRead = 0;
    }
    request->state = REQUEST_COMPLETE;
    return true;
}

// Starts the worker on the request; a thread that cannot be made fails the request.
bool Start(HTTP_REQ_CONTEXT* request)
{
    request->state = REQUEST_RUNNING;
    CurrentRequest = request;
    try {
        Worker = std::thread(Work, request);
    } catch (const std::system_error& e) {
        CurrentRequest = nullptr;
        Console_Warnings->Output("Create Http Thread: %s\n", e.what());
        return Finish(request, -1);
    }
    return true;
}

// The oldest waiting request (the last in the list), or null.
HTTP_REQ_CONTEXT* OldestWaiting()
{
    HTTP_REQ_CONTEXT* oldest = nullptr;
    for (HTTP_REQ_CONTEXT* r = RequestList; r; r = r->next)
        if (r->state == REQUEST_WAITING) oldest = r;
    return oldest;
}

void Unlink(HTTP_REQ_CONTEXT* request)
{
    for (HTTP_REQ_CONTEXT** link = &RequestList; *link; link = &(*link)->next) {
        if (*link == request) {
            *link = request->next;
            request->next = nullptr;
            return;
        }
    }
}
}

HTTP_REQ_CONTEXT::HTTP_REQ_CONTEXT(const char* url, RequestProcess process, RequestCleanup cleanup, void* userData)
    : process(process), cleanup(cleanup), userData(userData), url(url ? MemStrDup(url) : nullptr), id(RequestIdCounter++)
{
    next = RequestList;
    RequestList = this;
}

HTTP_REQ_CONTEXT::~HTTP_REQ_CONTEXT()
{
    if (this == CurrentRequest) {
        JoinWorker(true);
        PendingError = HttpError();
    }
    Unlink(this);
    if (cleanup) cleanup(this);
    MemFree(url);
    MemFree(post);
    free(buffer);
}

const char* HTTP_REQ_CONTEXT::BodyText()
{
    if (!buffer) return "";
    buffer[bytesRead] = 0;
    return (const char*)buffer;
}

bool RequestList_Serve(HTTP_REQ_CONTEXT* request, RequestWork work)
{
    request->work = work;
    if (!Worker.joinable()) return Start(request);
    request->state = REQUEST_WAITING;
    return true;
}

void LoadSave_HttpPoll()
{
    if (Worker.joinable()) {
        if (!WorkerDone.load(std::memory_order_acquire)) return;
        HTTP_REQ_CONTEXT* request = JoinWorker(false);
        ReportPendingError();
        Finish(request, WorkerExit);
    }
    // Also after the served request was destroyed, which ends the worker without a report.
    while (!Worker.joinable()) {
        HTTP_REQ_CONTEXT* waiting = OldestWaiting();
        if (!waiting) break;
        Start(waiting);
    }
}

HTTP_REQ_CONTEXT* RequestList_TakeComplete()
{
    HTTP_REQ_CONTEXT* oldest = nullptr;
    for (HTTP_REQ_CONTEXT* r = RequestList; r; r = r->next)
        if (r->state == REQUEST_COMPLETE) oldest = r;
    if (oldest) Unlink(oldest);
    return oldest;
}

void RequestList_Delete(HTTP_REQ_CONTEXT* request)
{
    delete request;
}

int RequestList_Count()
{
    int count = 0;
    for (HTTP_REQ_CONTEXT* r = RequestList; r; r = r->next) count++;
    return count;
}

void RequestList_Free()
{
    JoinWorker(true);
    PendingError = HttpError();
    while (RequestList) delete RequestList;
    RequestIdCounter = 0;
    LoadSave_HttpCloseSession();
}

namespace {
int Request(const char* url, const char* post, RequestProcess process, RequestCleanup cleanup, void* userData,
            bool deliverOnFailure)
{
    HTTP_REQ_CONTEXT* request = new HTTP_REQ_CONTEXT(url, process, cleanup, userData);
    request->deliverOnFailure = deliverOnFailure;
    if (post) request->post = MemStrDup(post);
    if (!url || (post && !request->post) || !LoadSave_HttpOpenSession()) {
        delete request;
        return -1;
    }
    int id = request->id;
    return RequestList_Serve(request, LoadSave_HttpTransfer) ? id : -1;
}
}

int LoadSave_HttpGet(const char* url, RequestProcess process, RequestCleanup cleanup, void* userData, bool deliverOnFailure)
{
    return Request(url, nullptr, process, cleanup, userData, deliverOnFailure);
}

int LoadSave_HttpPost(const char* url, const char* text, RequestProcess process, RequestCleanup cleanup, void* userData)
{
    return Request(url, text ? text : "", process, cleanup, userData, false);
}
