// The one dialog provider: every modal message, question, text and login prompt and file-name
// dialog of the runner goes through it. The system provider shows them to the player; the scripted provider (tests) answers
// them from a file named by the environment variable RUNNER_DIALOGS, logs each one to standard
// error and fails at once, with an error line, when it has no answer.
#pragma once

class TDialogProvider {
public:
    virtual ~TDialogProvider() = default;
    virtual void Message(const char* caption, const char* text) = 0;
    // True for yes.
    virtual bool Question(const char* caption, const char* question) = 0;
    // True with *outText a new string (MemFree it) when the player confirms; false on cancel.
    virtual bool Prompt(const char* caption, const char* prompt, const char* defaultText, char** outText) = 0;
    // True with the two new strings when the player confirms.
    virtual bool Login(const char* caption, const char* defaultUser, const char* defaultPassword, char** outUser,
                       char** outPassword) = 0;
    // Asks for a file to open (an existing one) or to save; true with *outName a new string.
    virtual bool FileName(bool save, const char* filter, const char* defaultName, const char* folder, const char* title,
                          char** outName) = 0;
    // Shows a run-time error report, with the number of further reports it stands for; true when
    // the player goes on (never after a fatal one), false when the game is to end.
    virtual bool Error(const char* caption, const char* report, int more, bool fatal) = 0;
    // Whether a dialog waits for a player (the scripted provider answers at once).
    virtual bool Waits() const { return true; }
};

// Chooses the provider from the environment and routes ShowMessage through it.
void Dialog_Init();
// Replaces the provider (owned by the caller; null restores the choice of Dialog_Init).
void Dialog_SetProvider(TDialogProvider* provider);
// The caption of messages (the window caption once the window exists).
extern const char* (*Dialog_CaptionHook)();
// True when the dialogs come from RUNNER_DIALOGS (no window is needed to answer them).
bool Dialog_Scripted();
// Called each time an in-window prompt has been drawn and shown (tests look at it then).
extern void (*Dialog_PromptFrameHook)();

// The system's message boxes (Linux half).
TDialogProvider* Dialog_CreateSystem();
// Answers, one a line: "yes", "no", "ok" (accept the default text or login), "text:TEXT",
// "login:USER:PASSWORD", "file:NAME", "cancel". Messages take no answer.
TDialogProvider* Dialog_CreateScripted(const char* answers);

bool InputQuery_Modal(const char* caption, const char* prompt, const char* defaultText, char** outText);
bool InputQuery_Question(const char* caption, const char* question);
bool InputQuery_Login(const char* caption, const char* defaultUser, const char* defaultPassword, char** outUser,
                      char** outPassword);
bool Dialog_FileName(bool save, const char* filter, const char* defaultName, const char* folder, const char* title,
                     char** outName);
// A message with that caption (null: the window caption).
void Dialog_ShowMessage(const char* text, const char* caption = nullptr);

// The error dialog (docs/dialogs.md). The shell installs Dialog_ErrorReported as the run-time error
// reporter's display: each report goes to standard error and is kept for the dialog of its step.
void Dialog_ErrorReported(const char* report, bool fatal);
// Once a step: the step's reports, one dialog for them all (the first fatal one, else the first,
// with the number of the others), when the game has a window and may wait for the player (the
// scripted provider always answers); the reports are then forgotten. False when the game is to
// end: the player chose so, or the report was fatal.
bool Dialog_ErrorsOfStep(bool window, bool mayWait);

// The asynchronous dialogs: each queues a request and returns its id at once. The dialogs are
// shown one at a time, oldest first, in the step's asynchronous pass; when one closes, the
// asynchronous dialog event hands its outcome to the game in async_load (docs/dialogs.md).
int InputQuery_ShowMessageAsync(const char* caption, const char* text);
int InputQuery_ShowQuestionAsync(const char* caption, const char* question);
int InputQuery_GetStringAsync(const char* caption, const char* prompt, const char* defaultText);
int InputQuery_GetLoginAsync(const char* caption, const char* user, const char* password);
// The asynchronous pass shows the oldest waiting dialog (at most one a step) and completes its
// request, which the pass then delivers.
void Dialog_AsyncShowNext();
