// A game's file of any bytes, read through the text, unnumbered and binary file built-ins in an
// order the input chooses: every read stays inside the file and ends, and reading line by line
// gives back every byte (after a byte-order mark; the unnumbered file joins CR LF into LF).
#include "Code/Function.h"
#include "Function/Function_File.h"
#include "Support/LoadSave.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string g_root;  // the program folder, which holds the save folder
std::string g_save;  // the save folder, with a trailing "/"

TaggedValue Call(const char* name, std::vector<TaggedValue> args = {})
{
    int id = -1;
    if (!Function_Find(name, &id)) abort();
    const RFunction* f = Function_Get(id);
    while ((int)args.size() < f->argc) args.emplace_back(0.0);
    TaggedValue result;
    f->handler(&result, nullptr, nullptr, (int)args.size(), args.data());
    return result;
}

bool Setup()
{
    // In memory when the machine has a memory file system: writing a file each run is then cheap.
    char shm[] = "/dev/shm/fuzz_textfile_XXXXXX", tmp[] = "/tmp/fuzz_textfile_XXXXXX";
    const char* folder = mkdtemp(shm);
    if (!folder) folder = mkdtemp(tmp);
    if (!folder) abort();
    g_root = folder;
    atexit([] { std::filesystem::remove_all(g_root); });
    setenv("XDG_DATA_HOME", folder, 1);
    LoadSave_SetGameName("Fuzz");
    LoadSave_SetProgramFolder(folder);
    g_save = LoadSave_GetSaveFolder();
    std::filesystem::create_directories(g_save);
    Function_File_Init();
    return true;
}

// Reads to the end with readln; the lines joined must be `expected` (null: a NUL byte cut them).
void ReadLines(const char* readln, const char* eof, std::vector<TaggedValue> slot, const std::string* expected,
               size_t limit)
{
    std::string joined;
    size_t steps = 0;
    while (Call(eof, slot).GetReal() == 0) {
        joined += Call(readln, slot).GetString();
        if (++steps > limit) abort();  // a read that does not move on
    }
    if (expected && joined != *expected) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool ready = Setup();
    (void)ready;
    std::string bytes((const char*)data, size);
    FILE* f = fopen((g_save + "in.txt").c_str(), "wb");
    if (!f || fwrite(data, 1, size, f) != size) abort();
    fclose(f);
    bool plain = memchr(data, 0, size) == nullptr;  // a NUL ends a script's string
    std::string text = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? bytes.substr(3) : bytes;

    // Numbered: reads chosen by the bytes themselves, then the rest line by line.
    TaggedValue slot = Call("file_text_open_read", {TaggedValue("in.txt")});
    if (slot.GetReal() != 1) abort();
    for (size_t i = 0; i < size && i < 64; i++) {
        switch (data[i] % 4) {
        case 0: Call("file_text_read_string", {slot}); break;
        case 1: Call("file_text_read_real", {slot}); break;
        case 2: Call("file_text_eoln", {slot}); break;
        default: Call("file_text_readln", {slot}); break;
        }
    }
    Call("file_text_close", {slot});
    slot = Call("file_text_open_read", {TaggedValue("in.txt")});
    ReadLines("file_text_readln", "file_text_eof", {slot}, plain ? &text : nullptr, size + 1);
    Call("file_text_close", {slot});

    // The unnumbered file.
    Call("file_open_read", {TaggedValue("in.txt")});
    for (size_t i = 0; i < size && i < 64; i++) {
        if (data[i] % 3 == 0) Call("file_read_string");
        else if (data[i] % 3 == 1) Call("file_read_real");
        else Call("file_readln");
    }
    Call("file_open_read", {TaggedValue("in.txt")});
    std::string joined;
    for (size_t i = 0; i < text.size(); i++)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) joined += text[i];
    ReadLines("file_readln", "file_eof", {}, plain ? &joined : nullptr, size + 1);
    Call("file_close");

    // Binary: every byte as it is.
    slot = Call("file_bin_open", {TaggedValue("in.txt"), 0.0});
    if (Call("file_bin_size", {slot}).GetReal() != (double)size) abort();
    for (size_t i = 0; i < size; i++)
        if (Call("file_bin_read_byte", {slot}).GetReal() != data[i]) abort();
    Call("file_bin_close", {slot});
    return 0;
}
