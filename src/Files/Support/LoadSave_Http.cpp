#include "Support/LoadSave_Http.h"

#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Support/LoadSave_HttpTransfer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <thread>

int RequestIdCounter = 0;
HttpLimits LoadSave_HttpLimits = {128 << 20, 15, 30, 60, 10};

namespace {
HTTP_REQ_CONTEXT* RequestList = nullptr;

// A worker thread and what it reports back. done is the hand-over: the worker writes its request,
// exitCode and error before it sets the flag, and the main thread reads them only after seeing it.
struct Worker {
    std::thread thread;
    HTTP_REQ_CONTEXT* request = nullptr;
    std::atomic<bool> done{false};
    std::atomic<bool> abort{false};
    int exitCode = 0;
    HttpError error;
};
Worker Workers[HTTP_WORKERS];

// Memory that runs out on the worker fails its request; an exception leaving a thread would end
// the program.
void Work(Worker* worker, HTTP_REQ_CONTEXT* request)
{
    int exitCode = -1;
    if (!MemoryManager_Try([&] { exitCode = request->work(request, worker->abort, &worker->error); })) {
        MemoryManager_TakeFailure();
        worker->error.function = "InternetReadFile";
        worker->error.message = "out of memory";
    }
    worker->exitCode = exitCode;
    worker->done.store(true, std::memory_order_release);
}

void ReportError(Worker& worker)
{
    if (!worker.error.function) return;
    Console_Warnings->Output("%s: %s\n", worker.error.function, worker.error.message.c_str());
    worker.error = HttpError();
}

// Waits for the worker to end (aborting it when asked) and takes back its request.
HTTP_REQ_CONTEXT* JoinWorker(Worker& worker, bool abort)
{
    if (abort) worker.abort = true;
    worker.thread.join();
    worker.abort = false;
    worker.done = false;
    HTTP_REQ_CONTEXT* request = worker.request;
    worker.request = nullptr;
    return request;
}

Worker* WorkerOf(const HTTP_REQ_CONTEXT* request)
{
    for (Worker& w : Workers)
        if (w.thread.joinable() && w.request == request) return &w;
    return nullptr;
}

Worker* FreeWorker()
{
    for (Worker& w : Workers)
        if (!w.thread.joinable()) return &w;
    return nullptr;
}

// A request the worker is done with: complete, without a body when the worker failed.
void Finish(HTTP_REQ_CONTEXT* request, int exitCode)
{
    if (exitCode != 0) request->bytesRead = 0;
    request->state = REQUEST_COMPLETE;
}

// Starts the worker on the request; a thread that cannot be made fails the request.
void Start(Worker& worker, HTTP_REQ_CONTEXT* request)
{
    request->state = REQUEST_RUNNING;
    worker.request = request;
    try {
        worker.thread = std::thread(Work, &worker, request);
    } catch (const std::system_error& e) {
        worker.request = nullptr;
        Console_Warnings->Output("Create Http Thread: %s\n", e.what());
        Finish(request, -1);
    }
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
    if (Worker* worker = WorkerOf(this)) {
        JoinWorker(*worker, true);
        worker->error = HttpError();
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

void RequestList_Serve(HTTP_REQ_CONTEXT* request, RequestWork work)
{
    request->work = work;
    // Behind requests already waiting, even when a worker is free (its request was destroyed
    // since the last pass).
    Worker* worker = OldestWaiting() ? nullptr : FreeWorker();
    if (worker) Start(*worker, request);
    else request->state = REQUEST_WAITING;
}

void LoadSave_HttpPoll()
{
    for (Worker& w : Workers) {
        if (!w.thread.joinable() || !w.done.load(std::memory_order_acquire)) continue;
        HTTP_REQ_CONTEXT* request = JoinWorker(w, false);
        ReportError(w);
        Finish(request, w.exitCode);
    }
    // Also the workers of served requests that were destroyed, which end without a report.
    for (Worker* w; (w = FreeWorker());) {
        HTTP_REQ_CONTEXT* waiting = OldestWaiting();
        if (!waiting) break;
        Start(*w, waiting);
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
    for (Worker& w : Workers) {
        if (w.thread.joinable()) JoinWorker(w, true);
        w.error = HttpError();
    }
    while (RequestList) delete RequestList;
    RequestIdCounter = 0;
    LoadSave_HttpCloseSession();
}

namespace {
int Request(const char* url, const char* post, RequestProcess process, RequestCleanup cleanup, void* userData)
{
    HTTP_REQ_CONTEXT* request = new HTTP_REQ_CONTEXT(url, process, cleanup, userData);
    if (post) request->post = MemStrDup(post);
    if (!url || (post && !request->post) || !LoadSave_HttpOpenSession()) {
        delete request;
        return -1;
    }
    RequestList_Serve(request, LoadSave_HttpTransfer);
    return request->id;
}
}

int LoadSave_HttpGet(const char* url, RequestProcess process, RequestCleanup cleanup, void* userData)
{
    return Request(url, nullptr, process, cleanup, userData);
}

int LoadSave_HttpPost(const char* url, const char* text, RequestProcess process, RequestCleanup cleanup, void* userData)
{
    return Request(url, text ? text : "", process, cleanup, userData);
}

namespace {
// Appends the part with every byte that may not stand bare in it escaped; a '%' that begins an
// escape is kept, a stray one too (as browsers keep it).
void AppendEscaped(std::string& out, const std::string& part, const char* unsafe)
{
    static const char digits[] = "0123456789ABCDEF";
    for (char c : part) {
        unsigned char b = (unsigned char)c;
        if (b <= 0x20 || b >= 0x7F || strchr(unsafe, c)) {
            out += '%';
            out += digits[b >> 4];
            out += digits[b & 15];
        } else {
            out += c;
        }
    }
}
}

std::string LoadSave_CanonicaliseUrl(const char* url)
{
    std::string text;
    for (const char* c = url ? url : ""; *c; c++)
        if (*c != '\t' && *c != '\r' && *c != '\n') text += *c;
    size_t begin = 0, end = text.size();
    while (begin < end && (unsigned char)text[begin] <= 0x20) begin++;
    while (end > begin && (unsigned char)text[end - 1] <= 0x20) end--;
    text = text.substr(begin, end - begin);
    // The scheme and the host stay as they are; what follows them is escaped part by part.
    size_t scheme = text.find("://");
    size_t pathAt = scheme == std::string::npos ? 0 : text.find_first_of("/\\?#", scheme + 3);
    if (pathAt == std::string::npos) return text;
    size_t fragmentAt = std::min(text.find('#', pathAt), text.size());
    size_t queryAt = std::min(text.find('?', pathAt), fragmentAt);
    std::string path = text.substr(pathAt, queryAt - pathAt);
    for (char& c : path)
        if (c == '\\') c = '/';
    std::string out = text.substr(0, pathAt);
    AppendEscaped(out, path, "\"<>`{}");
    if (queryAt < fragmentAt) AppendEscaped(out += '?', text.substr(queryAt + 1, fragmentAt - queryAt - 1), "\"<>'");
    if (fragmentAt < text.size()) AppendEscaped(out += '#', text.substr(fragmentAt + 1), "\"<>`");
    return out;
}
