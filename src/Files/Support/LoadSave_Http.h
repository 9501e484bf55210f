// Asynchronous requests: HTTP transfers, sprites from URLs and asynchronous dialogs all enter one
// request list. Requests that need the network are served by worker threads, at most
// HTTP_WORKERS at once; the others wait and start oldest first as workers come free. Every other
// request completes on the main thread. Each step's asynchronous pass hands complete requests
// back on the main thread (Run_AsyncPass), in the order they completed (those complete by the
// same pass oldest first): the request's process function fills async_load and names the
// asynchronous event to raise.
//
// Threads: the list, the ids and every request's state belong to the main thread. A worker
// touches only the request it serves (body, status, bytes read; it reads the request's own copy
// of the limits) and its own error slot, and the main thread reads them only after the worker
// has ended.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>

// States of a request.
enum {
    REQUEST_RUNNING = 1,   // just made, being served, or waiting for the main thread (dialogs)
    REQUEST_COMPLETE = 7,  // delivered by the next asynchronous pass
    REQUEST_WAITING = 9,   // waiting for the worker
};

// Transfers that run at once. Enough that a stalled request does not hold the ones behind it;
// few enough to bound the threads and connections a game can open.
constexpr int HTTP_WORKERS = 4;

// What a failed transfer leaves for the main thread to report: the name of the step that failed
// and the reason.
struct HttpError {
    const char* function = nullptr;
    std::string message;
};

// HTTP transfers. TLS follows the URL's scheme; redirects are followed; a connection that cannot
// be made in time, a transfer that stalls and one that is not over by its deadline fail; the body
// grows as it arrives up to a cap.
struct HttpLimits {
    int64_t maxBody;       // bytes; a longer answer fails (a Content-Length above it at once)
    long connectSeconds;   // to make the connection
    long stallSeconds;     // a transfer that moves no byte for this long fails
    long deadlineSeconds;  // the whole request, from its start to the last byte, redirects included
    long maxRedirects;
};
// The limits a new request takes (tests shorten them); changed on the main thread only.
extern HttpLimits LoadSave_HttpLimits;

class HTTP_REQ_CONTEXT;

// Called on the main thread when the request is delivered, with the address of async_load (-1 on
// entry); it may store a map index there, which the delivery destroys after the event. It returns
// the number of the asynchronous other event to raise; a number below 60 raises none.
typedef int (*RequestProcess)(HTTP_REQ_CONTEXT* request, void* userData, int* asyncMap);
// Called once when the request is destroyed, delivered or not (frees what userData holds).
typedef void (*RequestCleanup)(HTTP_REQ_CONTEXT* request);
// The worker's part, run on the worker thread: 0 when the request is complete, -1 when it failed
// (the reason in *error). It returns soon once *abort holds.
typedef int (*RequestWork)(HTTP_REQ_CONTEXT* request, const std::atomic<bool>& abort, HttpError* error);

// One request. Another kind of request derives from it (adding its own fields), or uses it as it
// is with its own process function.
class HTTP_REQ_CONTEXT {
public:
    // Takes the next request id and enters the list. url may be null (requests without one).
    HTTP_REQ_CONTEXT(const char* url, RequestProcess process, RequestCleanup cleanup, void* userData);
    // Leaves the list, calls the cleanup function and frees the URL, the post text and the body.
    // The request that the worker serves ends the worker first (its transfer is aborted).
    virtual ~HTTP_REQ_CONTEXT();
    HTTP_REQ_CONTEXT(const HTTP_REQ_CONTEXT&) = delete;
    HTTP_REQ_CONTEXT& operator=(const HTTP_REQ_CONTEXT&) = delete;

    // Marks a request that completes on the main thread (a closed dialog) for the next delivery.
    void Complete() { state = REQUEST_COMPLETE; }

    HTTP_REQ_CONTEXT* next = nullptr;  // the list runs from the newest request to the oldest
    int state = REQUEST_RUNNING;
    RequestProcess process;
    RequestCleanup cleanup;
    void* userData;
    RequestWork work = nullptr;  // set for requests that the worker serves
    char* url = nullptr;  // as the caller gave it
    int id;
    char* post = nullptr;  // the text a POST sends, null for a GET
    HttpLimits limits = LoadSave_HttpLimits;  // as they were when the request was made
    // Filled by the worker: the answer's status code and body. A buffer always has room for a
    // zero byte behind its bytesRead bytes.
    int httpStatus = 200;
    uint8_t* buffer = nullptr;  // the C heap
    int64_t bufferSize = 0;
    int64_t bytesRead = 0;

    // The body as text (ending at its first zero byte); "" without a body.
    const char* BodyText();
};

// The id the next request takes (0 at start; every request takes one).
extern int RequestIdCounter;

// Starts the request on a free worker, else lets it wait (it starts after every older waiting
// request). A worker that cannot be made completes the request as a failure.
void RequestList_Serve(HTTP_REQ_CONTEXT* request, RequestWork work);
// Called once per step by the asynchronous pass: for each worker that has ended, reports its
// error and completes its request; then starts the oldest waiting requests on the free workers.
void LoadSave_HttpPoll();
// The oldest complete request, taken out of the list (the caller delivers and deletes it); null
// when none is complete.
HTTP_REQ_CONTEXT* RequestList_TakeComplete();
// Destroys a request (it leaves the list first).
void RequestList_Delete(HTTP_REQ_CONTEXT* request);
// The number of requests in the list.
int RequestList_Count();
// Shut-down: ends the workers (transfers in progress are aborted), destroys every request and
// resets the ids.
void RequestList_Free();

// Starts (or queues) a GET or a form POST of the text. The request takes ownership of userData:
// cleanup runs when the request ends, whatever happens. The result is the request's id, or -1
// when no request could be made (reported on the console, the request already destroyed).
// A failed transfer reports one console line and is delivered all the same: without a body, and
// with the HTTP status 0 when no answer came at all (the host could not be reached, or did not
// answer in time).
int LoadSave_HttpGet(const char* url, RequestProcess process, RequestCleanup cleanup, void* userData);
int LoadSave_HttpPost(const char* url, const char* text, RequestProcess process, RequestCleanup cleanup,
                      void* userData);

// The URL as a browser sends it: spaces and control characters around it dropped, tabs and line
// breaks in it dropped; in the path a backslash is a "/"; in the path, query and fragment every
// space, control character, non-ASCII byte (so UTF-8 text becomes its percent-escapes) and other
// character that may not stand there bare is percent-escaped. Escapes already there are kept.
std::string LoadSave_CanonicaliseUrl(const char* url);
