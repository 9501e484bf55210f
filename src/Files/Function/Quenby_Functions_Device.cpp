// The service built-ins that reach this machine: virtual on-screen keys, web addresses, the
// alpha-blend and texture flushes, device and OS queries, digests and base64.
#include "Function/Quenby_Functions.h"
#include "Function/Quenby_FunctionsM.h"
#include "Function/Quenby_Functions_Internal.h"

#include "Base/Digest.h"
#include "Base/MemoryManager.h"
#include "Base/Clock.h"
#include "Base/UTF8.h"
#include "Variable/Arguments.h"
#include "Code/Error.h"
#include "Graphics_API/GR_Batch.h"
#include "Graphics_API/GR_Device.h"
#include "Graphics_API/GR_Display.h"
#include "Graphics_API/GR_Texture.h"
#include "IO/IO.h"
#include "Run/Process.h"
#include "Room/View.h"
#include "Support/LoadSave.h"

#include <climits>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int DISPLAY_DPI = 96;

int GuiWidth = -1, GuiHeight = -1;

// The record a handle names, or null with the error reported (a record not in use is no key).
IO_VirtualButton* KeyOfHandle(int argc, const TaggedValue* args)
{
    if (argc < 1 || !args[0].IsReal()) {
        Error_Show_Action("Illegal argument", false);
        return nullptr;
    }
    int64_t index = (int64_t)Arg_I(args[0]) - 1;
    if (index < 0 || index >= IO_VirtualButtonCount || !(IO_VirtualButtons[index].flags & IO_VB_IN_USE)) {
        Error_Show_Action("Illegal virtual key handle", false);
        return nullptr;
    }
    return &IO_VirtualButtons[index];
}

// Opens the first argument as url_open does, when the handler has its count.
void OpenAddress(int argc, const TaggedValue* args, int wanted)
{
    if (!Quenby_CheckCount(argc, wanted) || !Quenby_CheckKinds(1, args, VALUE_STRING)) return;
    std::string address = Arg_S(args[0]);
    for (char& c : address)
        if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
    if (address.compare(0, 7, "http://") != 0 && address.compare(0, 7, "https:/") != 0) return;
    GR_Display_Leave_Fullscreen();
    Execute_OpenAddress(address.c_str());
}

bool DeviceIndex(const TaggedValue& value, int* device)
{
    *device = Arg_I(value);
    return *device >= 0 && *device < IO_MOUSE_DEVICES;
}

void MouseCheck(TaggedValue* result, const TaggedValue* args, uint8_t state)
{
    int device;
    if (DeviceIndex(args[0], &device)) result->SetReal(IO_MouseCheck(Arg_I(args[1]), device, state));
}

std::string Hex(const unsigned char* bytes, size_t count)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (size_t i = 0; i < count; i++) {
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 15];
    }
    return out;
}

// The text as UTF-16, low byte first: one unit a character of up to 16 bits. A sequence cut
// short by the end of the text counts byte by byte, so nothing past the text is read.
std::vector<unsigned char> Utf16(const char* text)
{
    std::vector<unsigned char> out;
    for (const char* p = text; *p;) {
        unsigned int c = UTF8_GetChar(&p);
        out.push_back((unsigned char)(c & 0xFF));
        out.push_back((unsigned char)(c >> 8 & 0xFF));
    }
    return out;
}

std::string Md5(const void* bytes, size_t length)
{
    MD5Context context;
    MD5_Init(&context);
    MD5_Update(&context, bytes, length);
    MD5_Final(&context);
    return Hex(context.digest, sizeof context.digest);
}

std::string Sha1(const void* bytes, size_t length)
{
    SHA1Context context;
    SHA1_Reset(&context);
    char text[41] = "";
    if (SHA1_Input(&context, bytes, length) && SHA1_Result(&context))
        for (int i = 0; i < 5; i++) snprintf(text + i * 8, 9, "%08x", context.Message_Digest[i]);
    return text;
}

// A digest of the file from the save folder, else from the program folder; "" when in neither.
std::string FileDigest(const char* name, std::string (*digest)(const void*, size_t))
{
    int64_t size = 0;
    unsigned char* bytes = LoadSave_ReadSaveFile(name, &size);
    if (!bytes) bytes = LoadSave_ReadBundleFile(name, &size);
    if (!bytes) return "";
    std::string text = digest(bytes, (size_t)size);
    MemFree(bytes);
    return text;
}

bool OneString(int argc, const TaggedValue* args) { return argc == 1 && args[0].IsString(); }

enum DigestSource { BYTES, UTF16, FILE_BYTES };

void Digest(TaggedValue* result, int argc, const TaggedValue* args, DigestSource source,
            std::string (*digest)(const void*, size_t))
{
    result->SetString("");
    if (!OneString(argc, args)) return;
    if (source == BYTES) {
        result->SetString(digest(args[0].GetString(), args[0].GetLength()).c_str());
    } else if (source == UTF16) {
        std::vector<unsigned char> units = Utf16(args[0].GetString());
        result->SetString(digest(units.data(), units.size()).c_str());
    } else {
        result->SetString(FileDigest(args[0].GetString(), digest).c_str());
    }
}

QUENBY_BUILTIN(virtual_key_add)
{
    if (!Quenby_CheckCount(argc, 5) || !Quenby_CheckKinds(argc, args, VALUE_REAL)) return;
    IO_VirtualButton* key = IO_VirtualButton_Add(Arg_I(args[0]), Arg_I(args[1]), Arg_I(args[2]), Arg_I(args[3]), Arg_I(args[4]));
    if (key) result->SetReal(key->index + 1);
}

QUENBY_BUILTIN(virtual_key_delete)
{
    if (IO_VirtualButton* key = KeyOfHandle(argc, args)) IO_VirtualButton_Delete(key->index);
}

QUENBY_BUILTIN(virtual_key_show)
{
    if (IO_VirtualButton* key = KeyOfHandle(argc, args)) key->flags |= IO_VB_SHOWN;
}

QUENBY_BUILTIN(virtual_key_hide)
{
    if (IO_VirtualButton* key = KeyOfHandle(argc, args)) key->flags &= (uint16_t)~IO_VB_SHOWN;
}

// The target and the options of the longer forms are not used.
QUENBY_BUILTIN(url_open) { OpenAddress(argc, args, 1); }
QUENBY_BUILTIN(url_open_ext) { OpenAddress(argc, args, 2); }
QUENBY_BUILTIN(url_open_full) { OpenAddress(argc, args, 3); }
QUENBY_BUILTIN(url_get_domain) { result->SetString("localhost"); }

QUENBY_BUILTIN(draw_enable_alphablend)
{
    if (!args[0].IsReal()) {
        Error_Show_Action("Illegal argument type: true/false expected", false);
        return;
    }
    GR_Batch_Flush();
    GR_D3D_Set_Render_State(GR_RS_ALPHABLEND, Arg_I(args[0]) != 0);
}

QUENBY_BUILTIN(draw_texture_flush)
{
    GR_Batch_Flush();
    GR_Texture_Flush();
}

QUENBY_BUILTIN(Quenby_GetPlatform) { result->SetReal(OS_LINUX); }
QUENBY_BUILTIN(get_timer) { result->SetReal((double)Clock_SinceStart()); }
QUENBY_BUILTIN(device_mouse_check_button) { MouseCheck(result, args, IO_DOWN); }
QUENBY_BUILTIN(device_mouse_check_button_pressed) { MouseCheck(result, args, IO_PRESSED); }
QUENBY_BUILTIN(device_mouse_check_button_released) { MouseCheck(result, args, IO_RELEASED); }

QUENBY_BUILTIN(device_mouse_x)
{
    int device;
    if (DeviceIndex(args[0], &device)) result->SetReal(Mouse_GetRoomX(device));
}

QUENBY_BUILTIN(device_mouse_y)
{
    int device;
    if (DeviceIndex(args[0], &device)) result->SetReal(Mouse_GetRoomY(device));
}

QUENBY_BUILTIN(device_mouse_raw_x)
{
    int device;
    if (DeviceIndex(args[0], &device)) result->SetReal(RawMouse.x[device]);
}

QUENBY_BUILTIN(device_mouse_raw_y)
{
    int device;
    if (DeviceIndex(args[0], &device)) result->SetReal(RawMouse.y[device]);
}

QUENBY_BUILTIN(os_get_language) { result->SetString(Quenby_Language().c_str()); }
QUENBY_BUILTIN(display_get_dpi) { result->SetReal(DISPLAY_DPI); }

QUENBY_BUILTIN(display_set_gui_size)
{
    GuiWidth = Arg_I(args[0]);
    GuiHeight = Arg_I(args[1]);
}

QUENBY_BUILTIN(display_get_gui_width) { result->SetReal(GuiWidth < 0 ? GR_D3D_Get_Backbuffer_Width() : GuiWidth); }
QUENBY_BUILTIN(display_get_gui_height) { result->SetReal(GuiHeight < 0 ? GR_D3D_Get_Backbuffer_Height() : GuiHeight); }
QUENBY_BUILTIN(os_is_network_connected) { result->SetReal(Quenby_NetworkConnected()); }
QUENBY_BUILTIN(os_is_paused) { result->SetReal(Quenby_IsPaused()); }

QUENBY_BUILTIN(base64_encode)
{
    result->SetString("");
    if (!OneString(argc, args)) return;
    size_t length = args[0].GetLength();
    if (length > (size_t)INT_MAX / 2) return;
    std::vector<char> text(length / 3 * 4 + 5);
    Base64_Encode(args[0].GetString(), (int)length, text.data());
    result->SetString(text.data());
}

// The decoded bytes up to the first zero byte.
QUENBY_BUILTIN(base64_decode)
{
    result->SetString("");
    if (!OneString(argc, args)) return;
    size_t length = args[0].GetLength();
    if (length > (size_t)INT_MAX / 2) return;
    std::vector<unsigned char> bytes(length * 3 / 4 + 68);
    Base64_Decode(args[0].GetString(), (int)length, bytes.data());
    result->SetString((const char*)bytes.data());
}

QUENBY_BUILTIN(md5_string_utf8) { Digest(result, argc, args, BYTES, Md5); }
QUENBY_BUILTIN(md5_string_unicode) { Digest(result, argc, args, UTF16, Md5); }
QUENBY_BUILTIN(md5_file) { Digest(result, argc, args, FILE_BYTES, Md5); }
QUENBY_BUILTIN(sha1_string_utf8) { Digest(result, argc, args, BYTES, Sha1); }
QUENBY_BUILTIN(sha1_string_unicode) { Digest(result, argc, args, UTF16, Sha1); }
QUENBY_BUILTIN(sha1_file) { Digest(result, argc, args, FILE_BYTES, Sha1); }

#define ENTRY FUNCTION_ENTRY

const FunctionEntry kVirtualKeys[] = {
    ENTRY(virtual_key_add, 5),
    {"Quenby_AddVirtualKey", F_virtual_key_add, 5},
    ENTRY(virtual_key_delete, 1),
    {"Quenby_DeleteVirtualKey", F_virtual_key_delete, 1},
    ENTRY(virtual_key_show, 1),
    {"Quenby_ShowVirtualKey", F_virtual_key_show, 1},
    ENTRY(virtual_key_hide, 1),
    {"Quenby_HideVirtualKey", F_virtual_key_hide, 1},
};

const FunctionEntry kAddresses[] = {
    ENTRY(url_open, 1),
    {"Quenby_OpenURL", F_url_open, 1},
    ENTRY(url_open_ext, 2),
    {"Quenby_OpenURL_ext", F_url_open_ext, 2},
    ENTRY(url_open_full, 3),
    {"Quenby_OpenURL_full", F_url_open_full, 3},
    ENTRY(url_get_domain, 1),
};

const FunctionEntry kDrawing[] = {
    ENTRY(draw_enable_alphablend, 1),
    {"Quenby_EnableAlphaBlend", F_draw_enable_alphablend, 1},
    ENTRY(draw_texture_flush, 0),
};

// The tilt, the keypad and the processor details are never known here: 0.
const FunctionEntry kDevice[] = {
    ENTRY(Quenby_GetPlatform, 0),
    {"Quenby_GetDevice", F_Quenby_MinusOne, 0},
    {"Quenby_GetCPUDetails", F_Counted<0>, 0},
    ENTRY(get_timer, 0),
    {"Quenby_GetTimer", F_get_timer, 0},
    {"device_get_tilt_x", F_Counted<0>, 0},
    {"device_get_tilt_y", F_Counted<0>, 0},
    {"device_get_tilt_z", F_Counted<0>, 0},
    {"Quenby_GetTiltX", F_Counted<0>, 0},
    {"Quenby_GetTiltY", F_Counted<0>, 0},
    {"Quenby_GetTiltZ", F_Counted<0>, 0},
    {"device_is_keypad_open", F_Counted<0>, 0},
    {"Quenby_IsKeypadOpen", F_Counted<0>, 0},
    {"device_ios_get_imagename", F_Quenby_MinusOne, 0},
    {"Quenby_SelectPicture", F_Quenby_MinusOne, 0},
    {"device_ios_get_image", F_Quenby_MinusOne, 0},
    {"Quenby_GetPictureSprite", F_Quenby_MinusOne, 0},
    ENTRY(device_mouse_check_button, 2),
    ENTRY(device_mouse_check_button_pressed, 2),
    ENTRY(device_mouse_check_button_released, 2),
    {"Quenby_MouseCheckButton", F_device_mouse_check_button, 2},
    {"Quenby_MouseCheckButtonPressed", F_device_mouse_check_button_pressed, 2},
    {"Quenby_MouseCheckButtonReleased", F_device_mouse_check_button_released, 2},
    ENTRY(device_mouse_x, 1),
    ENTRY(device_mouse_y, 1),
    {"Quenby_MouseX", F_device_mouse_x, 1},
    {"Quenby_MouseY", F_device_mouse_y, 1},
    ENTRY(device_mouse_raw_x, 1),
    ENTRY(device_mouse_raw_y, 1),
    {"Quenby_MouseXRaw", F_device_mouse_raw_x, 1},
    {"Quenby_MouseYRaw", F_device_mouse_raw_y, 1},
    ENTRY(os_get_language, 0),
    {"display_get_dpi_x", F_display_get_dpi, 0},
    {"display_get_dpi_y", F_display_get_dpi, 0},
    ENTRY(display_set_gui_size, 2),
    ENTRY(display_get_gui_width, 0),
    ENTRY(display_get_gui_height, 0),
    ENTRY(os_is_network_connected, 0),
    ENTRY(os_is_paused, 0),
    {"Quenby_OSPauseEvent", F_os_is_paused, 0},
    {"os_powersave_enable", F_CountedReals<1>, 1},
    {"os_lock_orientation", F_CountedReals<1>, 1},
};

const FunctionEntry kDigests[] = {
    ENTRY(base64_encode, 1),
    ENTRY(base64_decode, 1),
    ENTRY(md5_string_utf8, 1),
    ENTRY(md5_string_unicode, 1),
    ENTRY(md5_file, 1),
    ENTRY(sha1_string_utf8, 1),
    ENTRY(sha1_string_unicode, 1),
    ENTRY(sha1_file, 1),
};

#undef ENTRY

}  // namespace

void Quenby_AddVirtualKeys() { Function_AddTable(kVirtualKeys); }
void Quenby_AddAddresses() { Function_AddTable(kAddresses); }
void Quenby_AddDrawing() { Function_AddTable(kDrawing); }
void Quenby_AddDevice() { Function_AddTable(kDevice); }
void Quenby_AddDigests() { Function_AddTable(kDigests); }
