// The libcurl half of the HTTP requests.
#pragma once
#include "Support/LoadSave_Http.h"

// Makes libcurl ready (on the main thread, before the first transfer); false after reporting
// the failure on the console.
bool LoadSave_HttpOpenSession();
// Releases libcurl once no transfer runs (shut-down).
void LoadSave_HttpCloseSession();
// One transfer on the worker thread (a RequestWork). A transfer that received an answer but
// could not read all of it (a broken connection, a stall, a body over the cap) still completes,
// without a body, after reporting the failure.
int LoadSave_HttpTransfer(HTTP_REQ_CONTEXT* request, const std::atomic<bool>& abort, HttpError* error);
