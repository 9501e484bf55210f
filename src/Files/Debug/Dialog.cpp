// Dispatch to the dialog provider chosen at start-up.
#include "Debug/Dialog.h"

#include "Base/Console.h"
#include "Code/Error.h"
#include "Debug/Prompt.h"

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

namespace {

std::unique_ptr<TDialogProvider> chosen;
TDialogProvider* current;
bool scripted;

const char* NoCaption() { return ""; }

TDialogProvider* Provider()
{
    if (!current) Dialog_Init();
    return current;
}

}  // namespace

const char* (*Dialog_CaptionHook)() = NoCaption;
void (*Dialog_PromptFrameHook)() = nullptr;

bool Dialog_Scripted()
{
    Provider();
    return scripted;
}

void Dialog_Init()
{
    const char* script = getenv("RUNNER_DIALOGS");
    scripted = script && *script;
    if (scripted) {
        std::ifstream in(script, std::ios::binary);
        std::stringstream text;
        if (in) text << in.rdbuf();
        else Console_Warnings->Output("dialog script: cannot read \"%s\"; every question and prompt will fail\n", script);
        chosen.reset(Dialog_CreateScripted(text.str().c_str()));
    } else {
        chosen.reset(Dialog_CreateSystem());
    }
    current = chosen.get();
    ShowMessage_Hook = [](const char* text) { Dialog_ShowMessage(text); };
}

void Dialog_SetProvider(TDialogProvider* provider)
{
    current = provider ? provider : chosen.get();
}

bool InputQuery_Modal(const char* caption, const char* prompt, const char* defaultText, char** outText)
{
    *outText = nullptr;
    return Provider()->Prompt(caption ? caption : "", prompt ? prompt : "", defaultText ? defaultText : "", outText);
}

bool InputQuery_Question(const char* caption, const char* question)
{
    return Provider()->Question(caption ? caption : "", question ? question : "");
}

bool InputQuery_Login(const char* caption, const char* defaultUser, const char* defaultPassword, char** outUser,
                      char** outPassword)
{
    *outUser = *outPassword = nullptr;
    return Provider()->Login(caption ? caption : "", defaultUser ? defaultUser : "", defaultPassword ? defaultPassword : "",
                             outUser, outPassword);
}

bool Dialog_FileName(bool save, const char* filter, const char* defaultName, const char* folder, const char* title,
                     char** outName)
{
    *outName = nullptr;
    // The save dialog's default extension, as the console has always shown it.
    std::string extension = save ? Prompt_DefaultExtensionText(filter) : "";
    if (!extension.empty()) Console_Debug->Output("pDefExt = %s\n", extension.c_str());
    return Provider()->FileName(save, filter ? filter : "", defaultName ? defaultName : "", folder ? folder : "",
                                title ? title : "", outName);
}

namespace {

struct {
    std::string report;  // the first fatal report of the step, else its first
    bool fatal = false;
    int count = 0;
} stepErrors;

}  // namespace

void Dialog_ErrorReported(const char* report, bool fatal)
{
    Error_Print(report);
    if (stepErrors.count++ == 0 || (fatal && !stepErrors.fatal)) {
        stepErrors.report = report;
        stepErrors.fatal = fatal;
    }
}

bool Dialog_ErrorsOfStep(bool window, bool mayWait)
{
    if (stepErrors.count == 0) return true;
    std::string report = std::move(stepErrors.report);
    bool fatal = stepErrors.fatal;
    int more = stepErrors.count - 1;
    stepErrors = {};
    if (!window || (Provider()->Waits() && !mayWait)) return !fatal;
    const char* caption = Dialog_CaptionHook();
    return Provider()->Error(caption ? caption : "", report.c_str(), more, fatal) && !fatal;
}

void Dialog_ShowMessage(const char* text, const char* caption)
{
    if (!caption) caption = Dialog_CaptionHook();
    Provider()->Message(caption ? caption : "", text ? text : "");
}
