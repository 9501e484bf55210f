// Input state: keyboard, five mouse devices, the typing buffer and the virtual on-screen buttons.
// The platform layer feeds events at any time; IO_Start_Step turns what arrived since the last
// step into the state a step reads, so every event of a step sees the same input.
#pragma once
#include <cstdint>

constexpr int IO_KEY_COUNT = 256;
constexpr int IO_MOUSE_DEVICES = 5;
constexpr int IO_MOUSE_BUTTONS = 3;  // 1 left, 2 right, 3 middle
constexpr int IO_TYPED_MAX = 1024;   // characters kept in the typing buffer
constexpr int IO_CHAR_BYTES = 4;     // the longest character of typed text, in bytes

// Bits of a key or button in the step state.
enum : uint8_t { IO_DOWN = 1, IO_PRESSED = 2, IO_RELEASED = 4 };
// Bits of a device's wheel in the step state.
enum : uint8_t { IO_WHEEL_UP = 1, IO_WHEEL_DOWN = 2 };

// What a step reads; recording and playback save and restore exactly this (and the typed text).
struct IO_StepState {
    uint8_t key[IO_KEY_COUNT];
    uint8_t mouse[IO_MOUSE_DEVICES][IO_MOUSE_BUTTONS];
    uint8_t wheel[IO_MOUSE_DEVICES];
    int32_t mouseX[IO_MOUSE_DEVICES];
    int32_t mouseY[IO_MOUSE_DEVICES];
    int32_t lastKey;
    int32_t lastButton[IO_MOUSE_DEVICES];
    char lastChar[IO_CHAR_BYTES + 1];  // the last character typed, UTF-8, NUL-ended ("" none)
};

// Mouse positions per device in window coordinates.
struct IO_RawMouse {
    int x[IO_MOUSE_DEVICES];
    int y[IO_MOUSE_DEVICES];
};
extern IO_RawMouse RawMouse;

void IO_Clear();
void IO_Start_Step();

bool IO_KeyDown(int key);
bool IO_KeyPressed(int key);
bool IO_KeyReleased(int key);
// The keyboard rule of the built-ins and keyboard events: 0 is true when no key is in the asked
// state (IO_DOWN, IO_PRESSED or IO_RELEASED), 1 when any is, 2..255 that key; others false.
bool IO_KeyCheck(int key, uint8_t state);
void IO_KeyClear(int key);
int IO_GetLastKey();
void IO_SetLastKey(int key);
// keyboard_key: the last key pressed while it is still held, else 0.
int IO_GetKey();
// keyboard_lastchar: the last character typed (shared storage); setting keeps the first character
// of the text ("" for none).
const char* IO_GetLastChar();
void IO_SetLastChar(const char* text);

void IO_KeyMap_Set(int key, int target);
int IO_KeyMap_Get(int key);
void IO_KeyMap_Reset();

bool IO_MouseDown(int button, int device);
bool IO_MousePressed(int button, int device);
bool IO_MouseReleased(int button, int device);
// The mouse rule: -1 any of the three buttons in the asked state, 0 none, 1..3 that button.
bool IO_MouseCheck(int button, int device, uint8_t state);
bool IO_MouseWheelUp(int device);
bool IO_MouseWheelDown(int device);
void IO_MouseClear(int button, int device);
int IO_GetMouseButton(int device);
int IO_GetMouseLastButton(int device);
void IO_SetMouseLastButton(int device, int button);

// keyboard_check_direct: whether the key (before the key map) is held now or was pressed since
// the last time it was asked about; the asking forgets that press.
bool IO_KeyDirect(int key);
// Whether the key is held now, as keyboard_check_direct sees it; forgets nothing.
bool IO_KeyDirectHeld(int key);
// Num Lock as the system reports it. Setting it changes the system's state where the platform
// lets the runner (the X keyboard extension); elsewhere the runner reports the state set until the
// player presses Num Lock.
bool IO_NumLock_Get();
void IO_NumLock_Set(bool on);

// keyboard_string: the text typed so far (shared storage, valid until the next change).
const char* IO_GetTypedText();
void IO_SetTypedText(const char* text);

// Events from the platform layer. Keys are virtual-key numbers before the key map.
void IO_Event_Key(int key, bool down);
void IO_Event_KeyRepeat(int key);
// A key event the game made (keyboard_key_press, keyboard_key_release): keyboard_check_direct sees
// it at once, and the next step as a key event, as the player's own.
void IO_Event_SyntheticKey(int key, bool down);
void IO_Event_Text(const char* utf8);
void IO_Event_Backspace();
void IO_Event_MouseButton(int device, int button, bool down);
void IO_Event_MouseMove(int device, int x, int y);
void IO_Event_MouseWheel(int device, int steps);  // positive: away from the user

// While playback runs, live events are ignored and the state comes from the recording.
void IO_SetLiveInput(bool on);
void IO_GetStepState(IO_StepState* out);
void IO_SetStepState(const IO_StepState& state);

// Virtual on-screen buttons: while mouse button 1 of a device is held inside one, its key is held.
struct IO_VirtualButton {
    uint16_t flags;  // bit 0 in use, bit 1 shown
    uint16_t index;  // own index
    int32_t x, y, right, bottom, width, height;
    int32_t reserved[3];
    int32_t key;
};
static_assert(sizeof(IO_VirtualButton) == 44, "virtual button records are 44 bytes");
constexpr uint16_t IO_VB_IN_USE = 1, IO_VB_SHOWN = 2;

extern IO_VirtualButton IO_VirtualButtons[];
extern const int IO_VirtualButtonCount;
IO_VirtualButton* IO_VirtualButton_FindFree();
void IO_VirtualButton_Delete(int index);
// Takes a free record for a button in window coordinates that holds `key`; null when none is free.
IO_VirtualButton* IO_VirtualButton_Add(int x, int y, int width, int height, int key);
// Reads the buttons of the "IO_VIRTUAL_BUTTONS" section of options.ini: each key's value is
// "x,y,width,height,key" (integers; width and height above 0, key 0..255) and adds a shown button,
// in the file's order. A wrong value is reported on the warnings console and skipped.
class IniFile;
void IO_VirtualButton_ReadOptions(IniFile& options);
// Draws the shown buttons over the frame in window coordinates (a translucent box with an edge).
void IO_VirtualButtons_Draw();
