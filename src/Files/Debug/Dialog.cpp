// Dispatch to the dialog provider chosen at start-up.
#include "Debug/Dialog.h"

#include "Base/Console.h"

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

namespace {

std::unique_ptr<TDialogProvider> chosen;
TDialogProvider* current;

const char* NoCaption() { return ""; }

TDialogProvider* Provider()
{
    if (!current) Dialog_Init();
    return current;
}

}  // namespace

const char* (*Dialog_CaptionHook)() = NoCaption;

void Dialog_Init()
{
    const char* script = getenv("RUNNER_DIALOGS");
    if (script && *script) {
        std::ifstream in(script, std::ios::binary);
        std::stringstream text;
        if (in) text << in.rdbuf();
        else Console_Warnings->Output("dialog script: cannot read \"%s\"; every question and prompt will fail\n", script);
        chosen.reset(Dialog_CreateScripted(text.str().c_str()));
    } else {
        chosen.reset(Dialog_CreateSystem());
    }
    current = chosen.get();
    ShowMessage_Hook = Dialog_ShowMessage;
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
    return Provider()->FileName(save, filter ? filter : "", defaultName ? defaultName : "", folder ? folder : "",
                                title ? title : "", outName);
}

void Dialog_ShowMessage(const char* text)
{
    const char* caption = Dialog_CaptionHook();
    Provider()->Message(caption ? caption : "", text ? text : "");
}
