// Asynchronous requests: HTTP transfers, sprites from URLs and asynchronous dialogs all enter one
// request list. A request that needs the network is served by the one worker thread, oldest
// first; every other request completes on the main thread. Each step's asynchronous pass hands
// complete requests back on the main thread (Run_AsyncPass): the request's process function fills
// async_load and names the asynchronous event to raise.
//
// Threads: the list, the ids and every request's state belong to the main thread. The worker
// touches only the request it serves (body, status, bytes read) and the pending-error slot, and
// the main thread reads them only after the worker has ended.
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

// What a failed transfer leaves for the main thread to report: the name of the step that failed
// and the reason.
struct HttpError {
    const char* function = nullptr;
    std::string message;
};

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
    char* url = nullptr;
    int id;
    // A failure of the worker still delivers the request, with no body (sprites from URLs);
    // otherwise a failed request is destroyed without an event.
    bool deliverOnFailure = false;
    char* post = nullptr;  // the text a POST sends, null for a GET
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

// Starts the request on the worker when it is free, else lets it wait (it starts after every
// older waiting request). False when the request failed at once and was destroyed.
bool RequestList_Serve(HTTP_REQ_CONTEXT* request, RequestWork work);
// Called once per step by the asynchronous pass: when the worker has ended, reports its error,
// completes or drops its request, and starts the oldest waiting one.
void LoadSave_HttpPoll();
// The oldest complete request, taken out of the list (the caller delivers and deletes it); null
// when none is complete.
HTTP_REQ_CONTEXT* RequestList_TakeComplete();
// Destroys a request (it leaves the list first).
void RequestList_Delete(HTTP_REQ_CONTEXT* request);
// The number of requests in the list.
int RequestList_Count();
// Shut-down: ends the worker (a transfer in progress is aborted), destroys every request and
// resets the ids.
void RequestList_Free();

// HTTP transfers. TLS follows the URL's scheme; redirects are followed; a connection that cannot
// be made in time and a transfer that stalls fail; the body grows as it arrives up to a cap.
struct HttpLimits {
    int64_t maxBody;      // bytes; a longer answer fails (a Content-Length above it at once)
    long connectSeconds;  // to make the connection
    long stallSeconds;    // a transfer that moves no byte for this long fails
    long maxRedirects;
};
extern HttpLimits LoadSave_HttpLimits;

// Starts (or queues) a GET or a form POST of the text. The request takes ownership of userData:
// cleanup runs when the request ends, whatever happens. The result is the request's id, or -1
// when no request could be made (reported on the console, the request already destroyed).
// A failed transfer reports one console line and raises no event, unless deliverOnFailure asks
// for delivery without a body.
int LoadSave_HttpGet(const char* url, RequestProcess process, RequestCleanup cleanup, void* userData,
                     bool deliverOnFailure = false);
int LoadSave_HttpPost(const char* url, const char* text, RequestProcess process, RequestCleanup cleanup,
                      void* userData);
