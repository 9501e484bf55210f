// Binary files in slots 1 to 31: read whole into memory (mode 0), or written (mode 1) or read
// and written (mode 2) through a CWriteFile.
#include "Base/Console.h"
#include "Code/Error.h"
#include "Function/Function_File_Internal.h"
#include "Variable/Arguments.h"

#include <cmath>
#include <string>

namespace {

constexpr int kSlots = 32;  // slot 0 is never used

struct BinarySlot {
    bool used;
    int kind;              // 0 read, 1 write, 2 read and write
    std::string name;      // as the script gave it
    LoadSaveFile* reader;  // kind 0
    CWriteFile* writer;    // kinds 1 and 2
};

BinarySlot g_slots[kSlots];

BinarySlot* Slot(const TaggedValue& value, const char* error)
{
    int i = Arg_I(value);
    if (i >= 1 && i < kSlots && g_slots[i].used) return &g_slots[i];
    Error_Show_Action(error, false);
    return nullptr;
}

void Close(BinarySlot& slot)
{
    File_Close(slot.reader, slot.writer);
    slot = BinarySlot{};
}

const char* kNotOpened = "File is not opened.";

}  // namespace

void File_Binary_CloseAll()
{
    for (BinarySlot& slot : g_slots)
        if (slot.used) Close(slot);
}

void F_file_bin_open(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(-1.0);
    int index = 1;
    while (index < kSlots && g_slots[index].used) index++;
    if (index == kSlots) {
        Error_Show_Action("Cannot open another file (maximum exceeded).", false);
        return;
    }
    const char* name = Arg_S(args[0]);
    int mode = Arg_I(args[1]);
    int kind = mode == 0 || mode == 1 ? mode : 2;
    // A file only in the program folder is used where it is; any other is the save folder's. A
    // name an open dialog returned is read where it is, never written.
    LoadSaveFolder where;
    bool found = File_Locate(name, &where);
    if (!found || (kind != 0 && where == LOADSAVE_BUNDLE && LoadSave_IsDialogFile(false, name))) where = LOADSAVE_SAVE;
    BinarySlot slot{true, kind, name, nullptr, nullptr};
    if (kind == 0) slot.reader = File_OpenForReading(name, "rb");
    else slot.writer = CWriteFile::Open(where, name, kind == 2 ? File_OpenForReading(name, "rb") : nullptr, kind == 1);
    if (!slot.reader && !slot.writer) {
        Console_Warnings->Output("Error opening binary file %s\n", name);
        return;
    }
    g_slots[index] = slot;
    result->SetReal(index);
}

// Empties the file and goes on writing it from the start; a file open for reading becomes one
// open for writing in the save folder.
void F_file_bin_rewrite(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    BinarySlot* slot = Slot(args[0], "Trying to rewrite unopened file.");
    if (!slot) return;
    if (slot->writer) {
        slot->writer->Clear();
        return;
    }
    CWriteFile* writer = CWriteFile::Open(LOADSAVE_SAVE, slot->name.c_str(), nullptr, true);
    if (!writer) {
        Console_Warnings->Output("Error opening binary file %s\n", slot->name.c_str());
        return;
    }
    LoadSave_FClose(slot->reader);
    slot->reader = nullptr;
    slot->writer = writer;
    slot->kind = 1;
}

void F_file_bin_close(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    if (BinarySlot* slot = Slot(args[0], "Trying to close unopened file.")) Close(*slot);
}

void F_file_bin_position(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    if (BinarySlot* slot = Slot(args[0], kNotOpened))
        result->SetReal((double)(slot->reader ? LoadSave_FTell(slot->reader) : slot->writer->Position()));
}

void F_file_bin_size(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    if (BinarySlot* slot = Slot(args[0], kNotOpened))
        result->SetReal((double)(slot->reader ? slot->reader->size : slot->writer->Size()));
}

// A position before the start is the start; a read-only file stops at its end, a written one
// may be positioned past it (a write there fills the gap with zero bytes).
void F_file_bin_seek(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    BinarySlot* slot = Slot(args[0], kNotOpened);
    if (!slot) return;
    double wanted = std::nearbyint(args[1].GetReal());
    int64_t limit = slot->reader ? slot->reader->size : FILE_MAX_WRITE;
    int64_t position = !(wanted > 0) ? 0 : wanted >= (double)limit ? limit : (int64_t)wanted;
    if (slot->reader) LoadSave_FSeek(slot->reader, position, 0);
    else slot->writer->Seek(position);
}

void F_file_bin_read_byte(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    BinarySlot* slot = Slot(args[0], kNotOpened);
    if (!slot) return;
    int byte = slot->kind == 1 ? -1 : slot->reader ? LoadSave_FGetC(slot->reader) : slot->writer->ReadByte();
    if (byte < 0) Error_Show_Action("Error reading byte.", false);
    else result->SetReal(byte);
}

void F_file_bin_write_byte(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    BinarySlot* slot = Slot(args[0], kNotOpened);
    if (!slot || !slot->writer) return;
    unsigned char byte = (unsigned char)(Arg_I(args[1]) & 0xFF);
    slot->writer->Write(&byte, 1);
}
