// Text files: slots 1 to 31 and the unnumbered file (slot 0).
//
// Text is written as the game's files are on every system it runs on: each LF that no CR
// precedes becomes CR LF. Numbered files are read byte for byte (file_text_readln returns the line
// end as it stands); the unnumbered file reads CR LF as LF, so its reads stop at either.
#include "Base/Console.h"
#include "Base/String.h"
#include "Code/Error.h"
#include "Function/Function_File_Internal.h"
#include "Variable/Arguments.h"

#include <cstring>

namespace {

constexpr int kSlots = 32;

struct TextSlot {
    int kind;              // 0 free, 1 reading, 2 writing
    LoadSaveFile* reader;  // kind 1
    CWriteFile* writer;    // kind 2
};

TextSlot g_slots[kSlots];
TextSlot& g_unnumbered = g_slots[0];

const char* kNotForReading = "File is not opened for reading.";
const char* kNotForWriting = "File not opened for writing.";

void Close(TextSlot& slot)
{
    File_Close(slot.reader, slot.writer);
    slot = TextSlot{};
}

// A file opened for writing in the save folder, keeping its content when appending.
CWriteFile* OpenWriter(const char* name, bool append)
{
    return CWriteFile::Open(LOADSAVE_SAVE, name, append ? LoadSave_FOpenSave(name, "rb") : nullptr, !append);
}

void CannotOpen(const char* name)
{
    Console_Warnings->Output("ERROR!!! :: Failed to open file: %s\n", name);
}

// The first free numbered slot, or 0 after reporting that none is left.
int FreeSlot()
{
    for (int i = 1; i < kSlots; i++)
        if (g_slots[i].kind == 0) return i;
    Error_Show_Action("Cannot open another file (maximum exceeded).", false);
    return 0;
}

void OpenForWriting(TaggedValue* result, const TaggedValue& name, bool append)
{
    result->SetReal(-1.0);
    int index = FreeSlot();
    if (!index) return;
    CWriteFile* writer = OpenWriter(Arg_S(name), append);
    if (!writer) {
        CannotOpen(Arg_S(name));
        return;
    }
    g_slots[index] = TextSlot{2, nullptr, writer};
    result->SetReal(index);
}

LoadSaveFile* Reader(const TaggedValue& slot)
{
    int i = Arg_I(slot);
    if (i >= 1 && i < kSlots && g_slots[i].kind == 1) return g_slots[i].reader;
    Error_Show_Action(kNotForReading, false);
    return nullptr;
}

CWriteFile* Writer(const TaggedValue& slot)
{
    int i = Arg_I(slot);
    if (i >= 1 && i < kSlots && g_slots[i].kind == 2) return g_slots[i].writer;
    Error_Show_Action(kNotForWriting, false);
    return nullptr;
}

LoadSaveFile* UnnumberedReader(const char* error = "File not opened for reading.")
{
    if (g_unnumbered.kind == 1) return g_unnumbered.reader;
    Error_Show_Action(error, false);
    return nullptr;
}

CWriteFile* UnnumberedWriter()
{
    if (g_unnumbered.kind == 2) return g_unnumbered.writer;
    Error_Show_Action(kNotForWriting, false);
    return nullptr;
}

// The text up to the end of the file or the next CR or LF, which is left unread.
void ReadToLineEnd(TaggedValue* result, LoadSaveFile* file)
{
    const char* start = (const char*)file->bytes + file->position;
    int64_t n = 0;
    while (file->position + n < file->size && start[n] != '\r' && start[n] != '\n') n++;
    file->position += n;
    result->SetString(start, (size_t)n);
}

// The text through the next LF (kept) or to the end of the file.
void ReadLine(TaggedValue* result, LoadSaveFile* file)
{
    const char* start = (const char*)file->bytes + file->position;
    int64_t left = file->size - file->position;
    const char* lf = (const char*)memchr(start, '\n', (size_t)left);
    int64_t n = lf ? lf - start + 1 : left;
    file->position += n;
    result->SetString(start, (size_t)n);
}

void WriteReal(CWriteFile* file, const char* format, double value)
{
    char text[512];  // room for any real in these formats
    String_FromReal(text, sizeof text, format, value);
    file->WriteText(text);
}

// Reads CR LF as LF, as a text-mode read does.
void JoinLineEnds(LoadSaveFile* file)
{
    int64_t out = 0;
    for (int64_t i = 0; i < file->size; i++) {
        if (file->bytes[i] == '\r' && i + 1 < file->size && file->bytes[i + 1] == '\n') continue;
        file->bytes[out++] = file->bytes[i];
    }
    file->size = out;
    file->bytes[out] = 0;
}

}  // namespace

void File_Text_CloseAll()
{
    for (TextSlot& slot : g_slots)
        if (slot.kind) Close(slot);
}

void F_file_text_open_read(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(-1.0);
    int index = FreeSlot();
    if (!index) return;
    if (!args[0].IsString()) {
        Console_Warnings->Output("ERROR!!! :: wrong type for filename\n");
        return;
    }
    LoadSaveFile* reader = File_OpenForReading(Arg_S(args[0]), "rt");
    if (!reader) {
        CannotOpen(Arg_S(args[0]));
        return;
    }
    g_slots[index] = TextSlot{1, reader, nullptr};
    result->SetReal(index);
}

void F_file_text_open_write(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    OpenForWriting(result, args[0], false);
}

void F_file_text_open_append(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    OpenForWriting(result, args[0], true);
}

void F_file_text_close(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    int i = Arg_I(args[0]);
    if (i < 1 || i >= kSlots) Error_Show_Action("Trying to close unexisting text file.", false);
    else if (g_slots[i].kind) Close(g_slots[i]);
}

void F_file_text_read_string(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    if (LoadSaveFile* file = Reader(args[0])) ReadToLineEnd(result, file);
}

void F_file_text_read_real(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    if (LoadSaveFile* file = Reader(args[0])) result->SetReal(LoadSave_FReadReal(file));
}

void F_file_text_readln(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    if (LoadSaveFile* file = Reader(args[0])) ReadLine(result, file);
}

void F_file_text_eof(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    if (LoadSaveFile* file = Reader(args[0])) result->SetReal(LoadSave_FEof(file) ? 1.0 : 0.0);
}

void F_file_text_eoln(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    if (LoadSaveFile* file = Reader(args[0])) result->SetReal(LoadSave_FEoln(file) ? 1.0 : 0.0);
}

void F_file_text_write_string(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    CWriteFile* file = Writer(args[0]);
    if (file && args[1].IsString()) file->WriteText(Arg_S(args[1]));
}

void F_file_text_write_real(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    if (CWriteFile* file = Writer(args[0])) WriteReal(file, "%g ", args[1].GetReal());
}

void F_file_text_writeln(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    if (CWriteFile* file = Writer(args[0])) file->WriteText("\n");
}

// The unnumbered file: each open closes the file open before; a failed open leaves none open.
void F_file_open_read(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Close(g_unnumbered);
    if (LoadSaveFile* reader = File_OpenForReading(Arg_S(args[0]), "rt")) {
        JoinLineEnds(reader);
        g_unnumbered = TextSlot{1, reader, nullptr};
    }
}

void F_file_open_write(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Close(g_unnumbered);
    if (CWriteFile* writer = OpenWriter(Arg_S(args[0]), false)) g_unnumbered = TextSlot{2, nullptr, writer};
}

void F_file_open_append(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Close(g_unnumbered);
    if (CWriteFile* writer = OpenWriter(Arg_S(args[0]), true)) g_unnumbered = TextSlot{2, nullptr, writer};
}

void F_file_close(TaggedValue*, CInstance*, CInstance*, int, TaggedValue*)
{
    Close(g_unnumbered);
}

void F_file_read_string(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*)
{
    LoadSaveFile* file = UnnumberedReader();
    if (!file) return;
    ReadToLineEnd(result, file);
    LoadSave_FGetC(file);  // the line end
}

void F_file_read_real(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*)
{
    if (LoadSaveFile* file = UnnumberedReader()) result->SetReal(LoadSave_FReadReal(file));
}

void F_file_readln(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*)
{
    if (LoadSaveFile* file = UnnumberedReader()) ReadLine(result, file);
}

void F_file_eof(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*)
{
    if (LoadSaveFile* file = UnnumberedReader(kNotForReading)) result->SetReal(LoadSave_FEof(file) ? 1.0 : 0.0);
}

void F_file_write_string(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    CWriteFile* file = UnnumberedWriter();
    if (file && args[0].IsString()) file->WriteText(Arg_S(args[0]));
}

void F_file_write_real(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    if (CWriteFile* file = UnnumberedWriter()) WriteReal(file, "%10.4f", args[0].GetReal());
}

void F_file_writeln(TaggedValue*, CInstance*, CInstance*, int, TaggedValue*)
{
    if (CWriteFile* file = UnnumberedWriter()) file->WriteText("\n");
}
