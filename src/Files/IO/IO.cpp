// Keyboard, mouse and typing state, and the step boundary that fixes what a step reads.
#include "IO/IO.h"

#include "Base/UTF8.h"

#include <cstring>

IO_RawMouse RawMouse;

namespace {

// What the platform reported: held now, and the edges seen since the last step started.
bool liveKey[IO_KEY_COUNT];
uint8_t pendingKey[IO_KEY_COUNT];
bool liveMouse[IO_MOUSE_DEVICES][IO_MOUSE_BUTTONS];
uint8_t pendingMouse[IO_MOUSE_DEVICES][IO_MOUSE_BUTTONS];
uint8_t pendingWheel[IO_MOUSE_DEVICES];
bool virtualHeld[IO_KEY_COUNT];
// The keyboard as the system sees it (keyboard_check_direct), before the key map: held now, and
// pressed since the key was last asked about.
bool directHeld[IO_KEY_COUNT];
bool directPressed[IO_KEY_COUNT];

IO_StepState step;
int lastKey;
int lastButton[IO_MOUSE_DEVICES];
char lastChar[IO_CHAR_BYTES + 1];
bool liveInput = true;

int keyMap[IO_KEY_COUNT];
bool keyMapReady;

// The typed text, UTF-8, at most IO_TYPED_MAX characters of at most 4 bytes, and its count of
// characters.
char typed[IO_TYPED_MAX * 4 + 1];
size_t typedLength;
size_t typedCharacters;

bool KeyValid(int key) { return key >= 0 && key < IO_KEY_COUNT; }
bool MouseValid(int button, int device)
{
    return button >= 1 && button <= IO_MOUSE_BUTTONS && device >= 0 && device < IO_MOUSE_DEVICES;
}
bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

void KeyMapEnsure()
{
    if (keyMapReady) return;
    for (int i = 0; i < IO_KEY_COUNT; i++) keyMap[i] = i;
    keyMapReady = true;
}

void TypedEmpty()
{
    typedLength = typedCharacters = 0;
    typed[0] = 0;
}

void TypedDropFirst()
{
    size_t cut = 1;
    while (cut < typedLength && IsContinuation((unsigned char)typed[cut])) cut++;
    typedCharacters -= !IsContinuation((unsigned char)typed[0]);
    memmove(typed, typed + cut, typedLength - cut);
    typedLength -= cut;
    typed[typedLength] = 0;
}

// The bytes of the character (or stray byte) that text starts with, at most IO_CHAR_BYTES.
size_t CharBytes(const char* text)
{
    size_t n = 1;
    while (n < IO_CHAR_BYTES && text[n] && IsContinuation((unsigned char)text[n])) n++;
    return n;
}

// Appends one UTF-8 character and keeps the newest IO_TYPED_MAX characters, within the buffer's
// bytes.
void TypedAppendChar(const char* c, size_t n)
{
    while (typedLength > 0 && (typedCharacters >= (size_t)IO_TYPED_MAX || typedLength + n >= sizeof typed)) TypedDropFirst();
    memcpy(typed + typedLength, c, n);
    typedLength += n;
    typed[typedLength] = 0;
    typedCharacters += !IsContinuation((unsigned char)c[0]);
}

// A stray byte (a text a game read from a binary file) becomes U+FFFD, so the buffer stays text
// that a recording of it can be played back from. Only the text's last bytes can stay in the
// buffer: a longer text is read from a character near its end.
void TypedAppend(const char* text)
{
    size_t length = strlen(text), from = 0;
    if (length >= sizeof typed) {
        from = length - (sizeof typed - 1);
        for (int k = 1; k < IO_CHAR_BYTES && IsContinuation((unsigned char)text[from]); k++) from++;
    }
    text += from;
    for (size_t i = 0; text[i];) {
        size_t n = CharBytes(text + i);
        if (UTF8_Valid(text + i, n)) TypedAppendChar(text + i, n);
        else TypedAppendChar("\xEF\xBF\xBD", 3);
        i += n;
    }
}

bool InsideButton(const IO_VirtualButton& b, int x, int y)
{
    return x >= b.x && x < b.right && y >= b.y && y < b.bottom;
}

// Keys held through a virtual button by mouse button 1 of any device.
void VirtualButtonsHeld(bool held[IO_KEY_COUNT])
{
    memset(held, 0, IO_KEY_COUNT);
    for (int i = 0; i < IO_VirtualButtonCount; i++) {
        const IO_VirtualButton& b = IO_VirtualButtons[i];
        if (!(b.flags & IO_VB_IN_USE) || !KeyValid(b.key)) continue;
        for (int d = 0; d < IO_MOUSE_DEVICES; d++)
            if (liveMouse[d][0] && InsideButton(b, RawMouse.x[d], RawMouse.y[d])) held[b.key] = true;
    }
}

void DirectKey(int key, bool down)
{
    if (down && !directHeld[key]) directPressed[key] = true;
    directHeld[key] = down;
}

}  // namespace

void IO_Clear()
{
    memset(liveKey, 0, sizeof liveKey);
    memset(pendingKey, 0, sizeof pendingKey);
    memset(liveMouse, 0, sizeof liveMouse);
    memset(pendingMouse, 0, sizeof pendingMouse);
    memset(pendingWheel, 0, sizeof pendingWheel);
    memset(step.key, 0, sizeof step.key);
    memset(step.mouse, 0, sizeof step.mouse);
    memset(step.wheel, 0, sizeof step.wheel);
    TypedEmpty();
}

void IO_Start_Step()
{
    bool held[IO_KEY_COUNT];
    VirtualButtonsHeld(held);
    for (int k = 0; k < IO_KEY_COUNT; k++) {
        uint8_t s = pendingKey[k];
        if (liveKey[k] || held[k]) s |= IO_DOWN;
        if (!liveKey[k] && held[k] && !virtualHeld[k]) {
            s |= IO_PRESSED;
            lastKey = k;
        }
        if (!liveKey[k] && !held[k] && virtualHeld[k]) s |= IO_RELEASED;
        step.key[k] = s;
        virtualHeld[k] = held[k];
    }
    for (int d = 0; d < IO_MOUSE_DEVICES; d++) {
        for (int b = 0; b < IO_MOUSE_BUTTONS; b++)
            step.mouse[d][b] = pendingMouse[d][b] | (liveMouse[d][b] ? IO_DOWN : 0);
        step.wheel[d] = pendingWheel[d];
    }
    memset(pendingKey, 0, sizeof pendingKey);
    memset(pendingMouse, 0, sizeof pendingMouse);
    memset(pendingWheel, 0, sizeof pendingWheel);
}

bool IO_KeyDown(int key) { return KeyValid(key) && (step.key[key] & IO_DOWN); }
bool IO_KeyPressed(int key) { return KeyValid(key) && (step.key[key] & IO_PRESSED); }
bool IO_KeyReleased(int key) { return KeyValid(key) && (step.key[key] & IO_RELEASED); }

bool IO_KeyCheck(int key, uint8_t state)
{
    if (key == 0 || key == 1) {
        bool any = false;
        for (int k = 0; k < IO_KEY_COUNT && !any; k++) any = step.key[k] & state;
        return key == 1 ? any : !any;
    }
    return KeyValid(key) && (step.key[key] & state);
}

void IO_KeyClear(int key)
{
    if (!KeyValid(key)) return;
    step.key[key] = 0;
    pendingKey[key] = 0;
    liveKey[key] = false;
}

int IO_GetLastKey() { return lastKey; }
void IO_SetLastKey(int key) { lastKey = key; }
int IO_GetKey() { return IO_KeyDown(lastKey) ? lastKey : 0; }

const char* IO_GetLastChar() { return lastChar; }

void IO_SetLastChar(const char* text)
{
    size_t n = text && *text ? CharBytes(text) : 0;
    // A stray byte becomes U+FFFD, as in the typed text.
    if (n && !UTF8_Valid(text, n)) text = "\xEF\xBF\xBD", n = 3;
    memset(lastChar, 0, sizeof lastChar);  // zero-padded, so that step states compare whole
    memcpy(lastChar, text, n);
}

void IO_KeyMap_Set(int key, int target)
{
    if (!KeyValid(key)) return;
    KeyMapEnsure();
    keyMap[key] = target;
}

int IO_KeyMap_Get(int key)
{
    if (!KeyValid(key)) return key;
    KeyMapEnsure();
    return keyMap[key];
}

void IO_KeyMap_Reset()
{
    keyMapReady = false;
    KeyMapEnsure();
}

bool IO_MouseDown(int button, int device) { return MouseValid(button, device) && (step.mouse[device][button - 1] & IO_DOWN); }
bool IO_MousePressed(int button, int device) { return MouseValid(button, device) && (step.mouse[device][button - 1] & IO_PRESSED); }
bool IO_MouseReleased(int button, int device) { return MouseValid(button, device) && (step.mouse[device][button - 1] & IO_RELEASED); }

bool IO_MouseCheck(int button, int device, uint8_t state)
{
    if (device < 0 || device >= IO_MOUSE_DEVICES) return false;
    if (button == -1 || button == 0) {
        bool any = false;
        for (int b = 0; b < IO_MOUSE_BUTTONS; b++) any = any || (step.mouse[device][b] & state);
        return button == -1 ? any : !any;
    }
    return MouseValid(button, device) && (step.mouse[device][button - 1] & state);
}

bool IO_MouseWheelUp(int device) { return device >= 0 && device < IO_MOUSE_DEVICES && (step.wheel[device] & IO_WHEEL_UP); }
bool IO_MouseWheelDown(int device) { return device >= 0 && device < IO_MOUSE_DEVICES && (step.wheel[device] & IO_WHEEL_DOWN); }

void IO_MouseClear(int button, int device)
{
    if (!MouseValid(button, device)) return;
    step.mouse[device][button - 1] = 0;
    pendingMouse[device][button - 1] = 0;
    liveMouse[device][button - 1] = false;
}

int IO_GetMouseButton(int device)
{
    for (int b = 1; b <= IO_MOUSE_BUTTONS; b++)
        if (IO_MouseDown(b, device)) return b;
    return 0;
}

int IO_GetMouseLastButton(int device)
{
    return device >= 0 && device < IO_MOUSE_DEVICES ? lastButton[device] : 0;
}

void IO_SetMouseLastButton(int device, int button)
{
    if (device >= 0 && device < IO_MOUSE_DEVICES) lastButton[device] = button;
}

const char* IO_GetTypedText() { return typed; }

void IO_SetTypedText(const char* text)
{
    TypedEmpty();
    if (text) TypedAppend(text);
}

bool IO_KeyDirect(int key)
{
    if (!KeyValid(key)) return false;
    bool on = directHeld[key] || directPressed[key];
    directPressed[key] = false;
    return on;
}

bool IO_KeyDirectHeld(int key) { return KeyValid(key) && directHeld[key]; }

void IO_Event_SyntheticKey(int key, bool down)
{
    if (!KeyValid(key)) return;
    DirectKey(key, down);
    IO_Event_Key(key, down);
}

void IO_Event_Key(int key, bool down)
{
    if (!liveInput || !KeyValid(key)) return;
    DirectKey(key, down);
    int k = IO_KeyMap_Get(key);
    if (!KeyValid(k)) return;
    if (down) {
        if (!liveKey[k]) pendingKey[k] |= IO_PRESSED;
        liveKey[k] = true;
        lastKey = k;
    } else if (liveKey[k]) {
        liveKey[k] = false;
        pendingKey[k] |= IO_RELEASED;
    }
}

void IO_Event_KeyRepeat(int key)
{
    if (!liveInput || !KeyValid(key)) return;
    int k = IO_KeyMap_Get(key);
    if (KeyValid(k)) lastKey = k;
}

void IO_Event_Text(const char* utf8)
{
    if (!liveInput || !utf8 || !*utf8) return;
    TypedAppend(utf8);
    const char* last = utf8;
    for (const char* c = utf8; *c; c += CharBytes(c)) last = c;
    IO_SetLastChar(last);
}

void IO_Event_Backspace()
{
    if (!liveInput || typedLength == 0) return;
    do typedLength--;
    while (typedLength > 0 && IsContinuation((unsigned char)typed[typedLength]));
    typedCharacters -= !IsContinuation((unsigned char)typed[typedLength]);
    typed[typedLength] = 0;
}

void IO_Event_MouseButton(int device, int button, bool down)
{
    if (!liveInput || !MouseValid(button, device)) return;
    bool& live = liveMouse[device][button - 1];
    if (down) {
        if (!live) pendingMouse[device][button - 1] |= IO_PRESSED;
        live = true;
        lastButton[device] = button;
    } else if (live) {
        live = false;
        pendingMouse[device][button - 1] |= IO_RELEASED;
    }
}

void IO_Event_MouseMove(int device, int x, int y)
{
    if (!liveInput || device < 0 || device >= IO_MOUSE_DEVICES) return;
    RawMouse.x[device] = x;
    RawMouse.y[device] = y;
}

void IO_Event_MouseWheel(int device, int steps)
{
    if (!liveInput || device < 0 || device >= IO_MOUSE_DEVICES || steps == 0) return;
    pendingWheel[device] |= steps > 0 ? IO_WHEEL_UP : IO_WHEEL_DOWN;
}

void IO_SetLiveInput(bool on) { liveInput = on; }

void IO_GetStepState(IO_StepState* out)
{
    *out = step;
    for (int d = 0; d < IO_MOUSE_DEVICES; d++) {
        out->mouseX[d] = RawMouse.x[d];
        out->mouseY[d] = RawMouse.y[d];
        out->lastButton[d] = lastButton[d];
    }
    out->lastKey = lastKey;
    memcpy(out->lastChar, lastChar, sizeof lastChar);
}

void IO_SetStepState(const IO_StepState& state)
{
    step = state;
    // The keyboard_check_direct of a replay sees the keys of the replayed steps.
    for (int k = 0; k < IO_KEY_COUNT; k++) {
        DirectKey(k, state.key[k] & IO_DOWN);
        if (state.key[k] & IO_PRESSED) directPressed[k] = true;
    }
    for (int d = 0; d < IO_MOUSE_DEVICES; d++) {
        RawMouse.x[d] = state.mouseX[d];
        RawMouse.y[d] = state.mouseY[d];
        lastButton[d] = state.lastButton[d];
    }
    lastKey = state.lastKey;
    IO_SetLastChar(state.lastChar);
}
