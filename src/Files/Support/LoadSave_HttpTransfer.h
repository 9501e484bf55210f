// The HTTP requests' sessions and transfers, done by their libcurl half.
#pragma once
#include "Support/LoadSave_Http.h"

// Makes libcurl ready (on the main thread, before the first transfer); false after reporting
// the failure on the console.
bool LoadSave_HttpOpenSession();
// Releases libcurl once no transfer runs (shut-down).
void LoadSave_HttpCloseSession();
// One transfer on the worker thread (a RequestWork): -1 when no answer came, or one came but could
// not be read whole (a broken connection, a stall, the deadline, a body over the cap).
int LoadSave_HttpTransfer(HTTP_REQ_CONTEXT* request, const std::atomic<bool>& abort, HttpError* error);
