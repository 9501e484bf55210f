#include "Support/LoadSave_HttpTransfer.h"

#include "Base/Console.h"

#include <curl/curl.h>
#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <type_traits>

namespace {
bool SessionOpen = false;

// libcurl is opened on the first request rather than linked: it brings some 25 libraries of its
// own (TLS, compression, directories...) whose loading and symbol binding took about half of every
// start of the runner, game or no HTTP at all.
struct CurlLibrary {
    decltype(&curl_global_init) global_init;
    decltype(&curl_global_cleanup) global_cleanup;
    decltype(&curl_easy_init) easy_init;
    decltype(&curl_easy_setopt) easy_setopt;
    decltype(&curl_easy_perform) easy_perform;
    decltype(&curl_easy_getinfo) easy_getinfo;
    decltype(&curl_easy_strerror) easy_strerror;
    decltype(&curl_easy_cleanup) easy_cleanup;
    decltype(&curl_slist_append) slist_append;
    decltype(&curl_slist_free_all) slist_free_all;
};
CurlLibrary Curl;

// Opens libcurl once a run (never closed: its TLS library keeps state until the process ends);
// a failure is told once, and every request after it fails at once.
bool Curl_Open()
{
    static int state = 0;  // 0 not tried, 1 open, -1 failed
    if (state) return state > 0;
    state = -1;
    void* lib = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
    if (!lib) {
        Console_Warnings->Output("InternetOpen: libcurl.so.4 could not be loaded: %s\n", dlerror());
        return false;
    }
    bool found = true;
    auto bind = [&](auto& fn, const char* name) {
        fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(dlsym(lib, name));
        if (!fn) found = false;
    };
    bind(Curl.global_init, "curl_global_init");
    bind(Curl.global_cleanup, "curl_global_cleanup");
    bind(Curl.easy_init, "curl_easy_init");
    bind(Curl.easy_setopt, "curl_easy_setopt");
    bind(Curl.easy_perform, "curl_easy_perform");
    bind(Curl.easy_getinfo, "curl_easy_getinfo");
    bind(Curl.easy_strerror, "curl_easy_strerror");
    bind(Curl.easy_cleanup, "curl_easy_cleanup");
    bind(Curl.slist_append, "curl_slist_append");
    bind(Curl.slist_free_all, "curl_slist_free_all");
    if (!found) {
        Console_Warnings->Output("InternetOpen: libcurl.so.4 lacks a function the runner calls\n");
        dlclose(lib);
        return false;
    }
    state = 1;
    return true;
}

// What the callbacks of one transfer share.
struct Transfer {
    HTTP_REQ_CONTEXT* request;
    const std::atomic<bool>* abort;
    int64_t cap;
    bool answered = false;  // a byte of an answer (its status line, a header or the body) arrived
    bool tooLarge = false;
    bool outOfMemory = false;
};

constexpr int64_t FIRST_BUFFER = 0x20000;

// Room for `need` bytes, growing by doubling and never past the cap (plus the zero byte).
bool Reserve(Transfer* t, int64_t need)
{
    HTTP_REQ_CONTEXT* r = t->request;
    if (need <= r->bufferSize) return true;
    int64_t size = std::min(std::max({need, r->bufferSize * 2, FIRST_BUFFER}), t->cap + 1);
    void* grown = realloc(r->buffer, (size_t)size);
    if (!grown) {
        t->outOfMemory = true;
        return false;
    }
    r->buffer = (uint8_t*)grown;
    r->bufferSize = size;
    return true;
}

size_t OnBody(char* data, size_t size, size_t count, void* user)
{
    Transfer* t = (Transfer*)user;
    HTTP_REQ_CONTEXT* r = t->request;
    size_t n = size * count;
    t->answered = true;
    if ((int64_t)n > t->cap - r->bytesRead) {
        t->tooLarge = true;
        return 0;  // anything but n ends the transfer
    }
    if (!Reserve(t, r->bytesRead + (int64_t)n + 1)) return 0;
    memcpy(r->buffer + r->bytesRead, data, n);
    r->bytesRead += (int64_t)n;
    r->buffer[r->bytesRead] = 0;
    return n;
}

size_t OnHeader(char* data, size_t size, size_t count, void* user)
{
    Transfer* t = (Transfer*)user;
    t->answered = true;
    // Each answer of a redirect chain starts with its status line; only the last one's body counts.
    if (size * count >= 5 && !memcmp(data, "HTTP/", 5)) t->request->bytesRead = 0;
    return size * count;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return ((Transfer*)user)->abort->load() ? 1 : 0;
}

// The step a failure belongs to, in the names the console has always used.
const char* FailedStep(CURLcode code, const Transfer& t, CURL* curl)
{
    if (t.answered) return "InternetReadFile";
    switch (code) {
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL: return "InternetCanonicalizeUrl";
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT: return "InternetConnect";
    case CURLE_OPERATION_TIMEDOUT: {
        curl_off_t connected = 0;
        Curl.easy_getinfo(curl, CURLINFO_CONNECT_TIME_T, &connected);
        return connected > 0 ? "HttpSendRequest" : "InternetConnect";
    }
    default: return "HttpSendRequest";
    }
}
}

bool LoadSave_HttpOpenSession()
{
    if (SessionOpen) return true;
    if (!Curl_Open()) return false;
    CURLcode code = Curl.global_init(CURL_GLOBAL_DEFAULT);
    if (code != CURLE_OK) {
        Console_Warnings->Output("InternetOpen: %s\n", Curl.easy_strerror(code));
        return false;
    }
    SessionOpen = true;
    return true;
}

void LoadSave_HttpCloseSession()
{
    if (!SessionOpen) return;
    Curl.global_cleanup();
    SessionOpen = false;
}

int LoadSave_HttpTransfer(HTTP_REQ_CONTEXT* request, const std::atomic<bool>& abort, HttpError* error)
{
    CURL* curl = Curl.easy_init();
    if (!curl) {
        error->function = "InternetOpen";
        error->message = "libcurl could not start a transfer";
        return -1;
    }
    const HttpLimits& limits = request->limits;
    Transfer t{request, &abort, limits.maxBody};
    char reason[CURL_ERROR_SIZE] = "";
    curl_slist* headers = nullptr;
    std::string url = LoadSave_CanonicaliseUrl(request->url);
    Curl.easy_setopt(curl, CURLOPT_URL, url.c_str());
    Curl.easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    Curl.easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    Curl.easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    Curl.easy_setopt(curl, CURLOPT_MAXREDIRS, limits.maxRedirects);
    Curl.easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, limits.connectSeconds);
    Curl.easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    Curl.easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, limits.stallSeconds);
    Curl.easy_setopt(curl, CURLOPT_TIMEOUT, limits.deadlineSeconds);
    Curl.easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, (curl_off_t)limits.maxBody);
    Curl.easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    Curl.easy_setopt(curl, CURLOPT_HTTP09_ALLOWED, 1L);
    Curl.easy_setopt(curl, CURLOPT_USERAGENT, "Brivane HTTP");
    Curl.easy_setopt(curl, CURLOPT_ERRORBUFFER, reason);
    Curl.easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnBody);
    Curl.easy_setopt(curl, CURLOPT_WRITEDATA, &t);
    Curl.easy_setopt(curl, CURLOPT_HEADERFUNCTION, OnHeader);
    Curl.easy_setopt(curl, CURLOPT_HEADERDATA, &t);
    Curl.easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, OnProgress);
    Curl.easy_setopt(curl, CURLOPT_XFERINFODATA, &t);
    Curl.easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    if (request->post) {
        headers = Curl.slist_append(headers, "Content-Type: application/x-www-form-urlencoded");
        headers = Curl.slist_append(headers, "Expect:");
        Curl.easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
        Curl.easy_setopt(curl, CURLOPT_POSTFIELDS, request->post);
        Curl.easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, (curl_off_t)strlen(request->post));
    }
    CURLcode code = Curl.easy_perform(curl);
    long status = 0;
    Curl.easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    request->httpStatus = (int)status;
    if (code != CURLE_OK && !abort) {
        error->function = FailedStep(code, t, curl);
        if (t.tooLarge || code == CURLE_FILESIZE_EXCEEDED)
            error->message = "the answer is longer than " + std::to_string(limits.maxBody) + " bytes";
        else if (t.outOfMemory)
            error->message = "out of memory for the answer";
        else
            error->message = reason[0] ? reason : Curl.easy_strerror(code);
    }
    Curl.slist_free_all(headers);
    Curl.easy_cleanup(curl);
    return code == CURLE_OK ? 0 : -1;
}
