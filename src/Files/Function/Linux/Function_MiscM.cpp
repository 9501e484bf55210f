// The miscellaneous built-ins that reach the system: the window's handle and title, the clipboard
// (SDL, UTF-8 text) and the program's priority.
#include "Function/Function_Misc.h"
#include "IO/Window.h"
#include "Variable/Arguments.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <sys/resource.h>
#include <unistd.h>

void F_window_handle(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*)
{
    // The X11 window id; 0 without a window or on a display without numeric window ids.
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!MainWindow || !SDL_GetWindowWMInfo(MainWindow, &info)) return;
#if defined(SDL_VIDEO_DRIVER_X11)
    if (info.subsystem == SDL_SYSWM_X11) result->SetReal((double)(uint32_t)info.info.x11.window);
#endif
}

void F_set_program_priority(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    // Priorities -3 (idle) to 3 (time critical) as nice values of the calling thread; any other
    // value is normal. Without privileges a thread may only lower its priority: a refused change
    // leaves the priority as it was.
    static const int kNice[7] = {19, 10, 5, 0, -5, -10, -15};
    int priority = Arg_I(args[0]);
    if (priority < -3 || priority > 3) priority = 0;
    setpriority(PRIO_PROCESS, (id_t)gettid(), kNice[priority + 3]);
}

void F_set_application_title(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    // Only the window's title: the stored caption stays, so the frame does not set it back.
    if (args[0].IsString() && MainWindow) SDL_SetWindowTitle(MainWindow, args[0].GetString());
}

namespace {

// SDL answers that an empty text is no text: the runner remembers that it placed one, until
// another program takes the clipboard or the video subsystem (and the clipboard with it) goes.
bool EmptyTextPlaced = false;

int ClipboardTaken(void*, SDL_Event* event)
{
    if (event->type == SDL_CLIPBOARDUPDATE) EmptyTextPlaced = false;
    return 1;
}

}  // namespace

void F_clipboard_has_text(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*)
{
    if (!SDL_WasInit(SDL_INIT_VIDEO)) EmptyTextPlaced = false;
    result->SetReal(SDL_HasClipboardText() || EmptyTextPlaced ? 1.0 : 0.0);
}

void F_clipboard_get_text(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*)
{
    char* text = SDL_HasClipboardText() ? SDL_GetClipboardText() : nullptr;
    result->SetString(text ? text : "");
    SDL_free(text);
}

void F_clipboard_set_text(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    const char* text = args[0].GetString();
    bool placed = SDL_SetClipboardText(text) == 0;
    EmptyTextPlaced = placed && (!text || !*text);
    // The watch goes when the event loop stops, so it is set again with each empty text.
    SDL_DelEventWatch(ClipboardTaken, nullptr);
    if (EmptyTextPlaced) SDL_AddEventWatch(ClipboardTaken, nullptr);
}
