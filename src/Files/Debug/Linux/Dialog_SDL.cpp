// The system provider: SDL message boxes for messages and questions. Prompts and file dialogs
// are drawn in the game window and come with the graphics device; until then they answer at once.
#include "Debug/Dialog.h"

#include "Base/Console.h"
#include "Base/MemoryManager.h"

#include <SDL2/SDL.h>
#include <string>

namespace {

// Text made from '#' carries CR; message boxes break lines at LF.
std::string BoxText(const char* text)
{
    std::string out;
    for (const char* p = text; *p; p++) {
        if (*p == '\r') {
            out += '\n';
            if (p[1] == '\n') p++;
        } else {
            out += *p;
        }
    }
    return out;
}

class TSDLDialogs : public TDialogProvider {
public:
    void Message(const char* caption, const char* text) override
    {
        std::string body = BoxText(text);
        if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption, body.c_str(), SDL_GL_GetCurrentWindow()) != 0)
            Console_Warnings->Output("%s\n", body.c_str());
    }

    bool Question(const char* caption, const char* question) override
    {
        std::string body = BoxText(question);
        const SDL_MessageBoxButtonData buttons[] = {
            {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "No"},
            {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
        };
        SDL_MessageBoxData box = {SDL_MESSAGEBOX_INFORMATION, SDL_GL_GetCurrentWindow(), caption, body.c_str(), 2, buttons, nullptr};
        int pressed = 0;
        if (SDL_ShowMessageBox(&box, &pressed) != 0) {
            Console_Warnings->Output("Cannot show the question \"%s\" (%s); answered no\n", body.c_str(), SDL_GetError());
            return false;
        }
        return pressed == 1;
    }

    bool Prompt(const char* caption, const char* prompt, const char* defaultText, char** outText) override
    {
        Console_Warnings->Output("Text prompts are not available yet; \"%s\" answered with its default \"%s\"\n", prompt, defaultText);
        *outText = MemStrDup(defaultText);
        return true;
    }

    bool Login(const char* caption, const char* defaultUser, const char* defaultPassword, char** outUser,
               char** outPassword) override
    {
        Console_Warnings->Output("Login prompts are not available yet; answered with the default user \"%s\"\n", defaultUser);
        *outUser = MemStrDup(defaultUser);
        *outPassword = MemStrDup(defaultPassword);
        return true;
    }

    bool FileName(bool save, const char* filter, const char* defaultName, const char* folder, const char* title,
                  char** outName) override
    {
        Console_Warnings->Output("File dialogs are not available yet; the %s dialog was cancelled\n", save ? "save" : "open");
        return false;
    }
};

}  // namespace

TDialogProvider* Dialog_CreateSystem() { return new TSDLDialogs(); }
