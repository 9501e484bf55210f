// The asynchronous dialogs: requests of the request list that wait in a queue of their own until
// the asynchronous pass shows them, one a step, oldest first, through the dialog provider; the
// pass then delivers the closed one as the asynchronous dialog event with its outcome in
// async_load (keys in docs/dialogs.md).
#include "Debug/Dialog.h"

#include "Base/MemoryManager.h"
#include "Base/String.h"
#include "Support/DataStructures.h"
#include "Support/LoadSave_Http.h"

#include <algorithm>
#include <deque>
#include <string>

namespace {

constexpr int EVENT_ASYNC_DIALOG = 63;

enum DialogKind { DIALOG_MESSAGE, DIALOG_QUESTION, DIALOG_STRING, DIALOG_LOGIN };

class CDialogRequest;
// Dialogs not shown yet, oldest first. A request leaves it when shown or destroyed.
std::deque<CDialogRequest*> Waiting;

int ToMap(HTTP_REQ_CONTEXT* request, void*, int* asyncMap);

class CDialogRequest : public HTTP_REQ_CONTEXT {
public:
    CDialogRequest(DialogKind kind, const char* caption, const char* text, const char* value)
        : HTTP_REQ_CONTEXT(nullptr, ToMap, nullptr, nullptr), kind(kind), caption(caption ? caption : ""),
          text(text ? text : ""), value(value ? value : "")
    {
        Waiting.push_back(this);
    }
    ~CDialogRequest() override { Waiting.erase(std::remove(Waiting.begin(), Waiting.end(), this), Waiting.end()); }

    // Shows the dialog and keeps its outcome.
    void Show()
    {
        switch (kind) {
        case DIALOG_MESSAGE:
            Dialog_ShowMessage(text.c_str(), caption.c_str());
            status = true;
            break;
        case DIALOG_QUESTION:
            status = InputQuery_Question(caption.c_str(), text.c_str());
            break;
        case DIALOG_STRING: {
            char* answer = nullptr;
            status = InputQuery_Modal(caption.c_str(), text.c_str(), value.c_str(), &answer);
            value = status && answer ? answer : "";
            MemFree(answer);
            break;
        }
        case DIALOG_LOGIN: {
            char *user = nullptr, *password = nullptr;
            status = InputQuery_Login(caption.c_str(), text.c_str(), value.c_str(), &user, &password);
            text = status && user ? user : "";
            value = status && password ? password : "";
            MemFree(user), MemFree(password);
            break;
        }
        }
    }

    DialogKind kind;
    std::string caption;
    std::string text;   // the message, question or prompt; the user name of a login
    std::string value;  // the default and then the typed text; the password of a login
    bool status = false;
};

int ToMap(HTTP_REQ_CONTEXT* request, void*, int* asyncMap)
{
    CDialogRequest* d = static_cast<CDialogRequest*>(request);
    double id = d->id, status = d->status ? 1 : 0;
    switch (d->kind) {
    case DIALOG_MESSAGE:
        *asyncMap = CDS_Map_CreateFromList(2, "id", id, nullptr, "status", status, nullptr);
        break;
    case DIALOG_QUESTION:
        *asyncMap = CDS_Map_CreateFromList(4, "id", id, nullptr, "status", status, nullptr, "result", status, nullptr,
                                           "value", status, nullptr);
        break;
    case DIALOG_STRING:
        *asyncMap = CDS_Map_CreateFromList(4, "id", id, nullptr, "status", status, nullptr, "result", 0.0,
                                           d->value.c_str(), "value", String_ToReal(d->value.c_str(), nullptr), nullptr);
        break;
    case DIALOG_LOGIN:
        *asyncMap = CDS_Map_CreateFromList(4, "id", id, nullptr, "status", status, nullptr, "username", 0.0,
                                           d->text.c_str(), "password", 0.0, d->value.c_str());
        break;
    }
    return EVENT_ASYNC_DIALOG;
}

int Queue(DialogKind kind, const char* caption, const char* text, const char* value)
{
    return (new CDialogRequest(kind, caption, text, value))->id;
}

}  // namespace

int InputQuery_ShowMessageAsync(const char* caption, const char* text)
{
    return Queue(DIALOG_MESSAGE, caption, text, nullptr);
}

int InputQuery_ShowQuestionAsync(const char* caption, const char* question)
{
    return Queue(DIALOG_QUESTION, caption, question, nullptr);
}

int InputQuery_GetStringAsync(const char* caption, const char* prompt, const char* defaultText)
{
    return Queue(DIALOG_STRING, caption, prompt, defaultText);
}

int InputQuery_GetLoginAsync(const char* caption, const char* user, const char* password)
{
    return Queue(DIALOG_LOGIN, caption, user, password);
}

void Dialog_AsyncShowNext()
{
    if (Waiting.empty()) return;
    CDialogRequest* next = Waiting.front();
    Waiting.pop_front();
    next->Show();
    next->Complete();
}
