// The system provider: SDL message boxes for messages and questions, and the prompts (text,
// login, file names, errors) drawn in the game window, fed by the window's events.
#include "Debug/Dialog.h"

#include "Base/Console.h"
#include "Base/Stop.h"
#include "Base/MemoryManager.h"
#include "Debug/Prompt.h"
#include "IO/Linux/IO_SDL.h"
#include "IO/Window.h"

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
    // Without the game's window (headless) a message goes to the console and a question is
    // answered no: a box of its own could wait for a player who is not there.
    void Message(const char* caption, const char* text) override
    {
        std::string body = BoxText(text);
        if (!MainWindow || SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption, body.c_str(), MainWindow) != 0)
            Console_Warnings->Output("%s\n", body.c_str());
        else
            Window_FocusTakenByOwnWindow();
    }

    bool Question(const char* caption, const char* question) override
    {
        std::string body = BoxText(question);
        const SDL_MessageBoxButtonData buttons[] = {
            {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "No"},
            {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
        };
        SDL_MessageBoxData box = {SDL_MESSAGEBOX_INFORMATION, MainWindow, caption, body.c_str(), 2, buttons, nullptr};
        int pressed = 0;
        if (!MainWindow || SDL_ShowMessageBox(&box, &pressed) != 0) {
            Console_Warnings->Output("Cannot show the question \"%s\" (%s); answered no\n", body.c_str(),
                                     MainWindow ? SDL_GetError() : "no window");
            return false;
        }
        Window_FocusTakenByOwnWindow();
        return pressed == 1;
    }

    bool Prompt(const char* caption, const char* prompt, const char* defaultText, char** outText) override
    {
        CPrompt p = CPrompt::Text(caption, prompt, defaultText);
        if (!Run(p)) return false;
        *outText = MemStrDup(p.Field(0).Text().c_str());
        return true;
    }

    bool Login(const char* caption, const char* defaultUser, const char* defaultPassword, char** outUser,
               char** outPassword) override
    {
        CPrompt p = CPrompt::Login(caption, defaultUser, defaultPassword);
        if (!Run(p)) return false;
        *outUser = MemStrDup(p.Field(0).Text().c_str());
        *outPassword = MemStrDup(p.Field(1).Text().c_str());
        return true;
    }

    bool FileName(bool save, const char* filter, const char* defaultName, const char* folder, const char* title,
                  char** outName) override
    {
        CPrompt p = CPrompt::File(save, title, filter, defaultName, folder);
        if (!Run(p)) return false;
        *outName = MemStrDup(p.Chosen().c_str());
        return true;
    }

    bool Error(const char* caption, const char* report, int more, bool fatal) override
    {
        // A window the player is closing ends the game its own way, with the end events.
        if (Window_Quit) return true;
        CPrompt p = CPrompt::Error(caption, report, more, fatal);
        return Run(p);
    }

private:
    // Shows the prompt in the game window until the player accepts or cancels it; the game does
    // not step meanwhile. Closing the window cancels it and ends the game as the pump would; a
    // stop signal cancels it.
    static bool Run(CPrompt& prompt)
    {
        if (Window_Quit || Stop_Requested()) return false;
        CPromptScreen screen;
        if (!MainWindow || !screen.Ready()) {
            const std::string& what = prompt.Message().empty() ? prompt.Caption() : prompt.Message();
            Console_Warnings->Output("No window to show the prompt \"%s\" in; it was cancelled\n", what.c_str());
            return false;
        }
        while (prompt.Outcome() == PROMPT_OPEN) {
            if (Stop_Requested()) {
                prompt.Cancel();
                break;
            }
            screen.Show(prompt);
            if (Dialog_PromptFrameHook) Dialog_PromptFrameHook();
            SDL_Event event;
            if (!SDL_WaitEventTimeout(&event, 100)) continue;
            do Handle(prompt, event);
            while (prompt.Outcome() == PROMPT_OPEN && SDL_PollEvent(&event));
        }
        return prompt.Outcome() == PROMPT_ACCEPTED;
    }

    static void Handle(CPrompt& prompt, const SDL_Event& event)
    {
        switch (event.type) {
        case SDL_QUIT:
            Window_Quit = true;
            prompt.Cancel();
            break;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
                Window_Quit = true;
                prompt.Cancel();
            } else if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
                WindowFocus = 1;
            } else if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
                WindowFocus = 0;
            }
            break;
        case SDL_KEYDOWN: {
            SDL_Keymod mods = (SDL_Keymod)event.key.keysym.mod;
            if ((mods & KMOD_CTRL) && event.key.keysym.sym == SDLK_v) {
                char* clip = SDL_GetClipboardText();
                prompt.Type(clip);
                SDL_free(clip);
                break;
            }
            prompt.Key(IO_SDL_KeyToVirtual(event.key.keysym.sym), (mods & KMOD_SHIFT) != 0);
            break;
        }
        case SDL_TEXTINPUT:
            prompt.Type(event.text.text);
            break;
        default:
            break;
        }
    }
};

}  // namespace

TDialogProvider* Dialog_CreateSystem() { return new TSDLDialogs(); }
