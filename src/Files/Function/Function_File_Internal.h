// What the files of the file, INI and registry built-ins share: every handler (the registrar
// names them all), the writer behind every file a script writes, and the folder lookups.
#pragma once
#include "Code/Function.h"
#include "Support/LoadSave.h"

#include <cstdint>
#include <string>

#define FILE_BUILTIN(name) void F_##name(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)

// Binary files (Function_File_Binary.cpp).
FILE_BUILTIN(file_bin_open);
FILE_BUILTIN(file_bin_rewrite);
FILE_BUILTIN(file_bin_close);
FILE_BUILTIN(file_bin_position);
FILE_BUILTIN(file_bin_size);
FILE_BUILTIN(file_bin_seek);
FILE_BUILTIN(file_bin_read_byte);
FILE_BUILTIN(file_bin_write_byte);

// Numbered text files and the unnumbered file (Function_File_Text.cpp).
FILE_BUILTIN(file_text_open_read);
FILE_BUILTIN(file_text_open_write);
FILE_BUILTIN(file_text_open_append);
FILE_BUILTIN(file_text_close);
FILE_BUILTIN(file_text_read_string);
FILE_BUILTIN(file_text_read_real);
FILE_BUILTIN(file_text_readln);
FILE_BUILTIN(file_text_eof);
FILE_BUILTIN(file_text_eoln);
FILE_BUILTIN(file_text_write_string);
FILE_BUILTIN(file_text_write_real);
FILE_BUILTIN(file_text_writeln);
FILE_BUILTIN(file_open_read);
FILE_BUILTIN(file_open_write);
FILE_BUILTIN(file_open_append);
FILE_BUILTIN(file_close);
FILE_BUILTIN(file_read_string);
FILE_BUILTIN(file_read_real);
FILE_BUILTIN(file_readln);
FILE_BUILTIN(file_eof);
FILE_BUILTIN(file_write_string);
FILE_BUILTIN(file_write_real);
FILE_BUILTIN(file_writeln);

// File management and search (Function_File_Manage.cpp).
FILE_BUILTIN(file_exists);
FILE_BUILTIN(file_delete);
FILE_BUILTIN(file_rename);
FILE_BUILTIN(file_copy);
FILE_BUILTIN(directory_exists);
FILE_BUILTIN(directory_create);
FILE_BUILTIN(file_find_first);
FILE_BUILTIN(file_find_next);
FILE_BUILTIN(file_find_close);
FILE_BUILTIN(file_attributes);

// File names, programs, the command line and the environment (Function_File_Names.cpp).
FILE_BUILTIN(filename_name);
FILE_BUILTIN(filename_path);
FILE_BUILTIN(filename_dir);
FILE_BUILTIN(filename_drive);
FILE_BUILTIN(filename_ext);
FILE_BUILTIN(filename_change_ext);
FILE_BUILTIN(execute_program);
FILE_BUILTIN(execute_shell);
FILE_BUILTIN(parameter_count);
FILE_BUILTIN(parameter_string);
FILE_BUILTIN(environment_get_variable);

// The run's registry and the current INI file (Function_Ini.cpp).
FILE_BUILTIN(registry_write_string);
FILE_BUILTIN(registry_write_real);
FILE_BUILTIN(registry_read_string);
FILE_BUILTIN(registry_read_real);
FILE_BUILTIN(registry_exists);
FILE_BUILTIN(registry_write_string_ext);
FILE_BUILTIN(registry_write_real_ext);
FILE_BUILTIN(registry_read_string_ext);
FILE_BUILTIN(registry_read_real_ext);
FILE_BUILTIN(registry_exists_ext);
FILE_BUILTIN(registry_set_root);
FILE_BUILTIN(ini_open);
FILE_BUILTIN(ini_close);
FILE_BUILTIN(ini_read_string);
FILE_BUILTIN(ini_read_real);
FILE_BUILTIN(ini_write_string);
FILE_BUILTIN(ini_write_real);
FILE_BUILTIN(ini_key_exists);
FILE_BUILTIN(ini_section_exists);
FILE_BUILTIN(ini_key_delete);
FILE_BUILTIN(ini_section_delete);

#undef FILE_BUILTIN

// Each part's shut-down: open files are written and closed, the INI file flushed, lists freed.
void File_Binary_CloseAll();
void File_Text_CloseAll();
void File_Search_Free();
void File_Ini_Free();

// The largest file a script can write (bytes); a write beyond it is refused with a warning.
constexpr int64_t FILE_MAX_WRITE = 256 << 20;

// A file a script writes. Its bytes stay in memory and are written whole when it is closed (a
// new file that takes the name), so a file is never left half written and the old one stays as
// it was until then. A new file is created empty at once, as the opening of a file would.
class CWriteFile {
public:
    // Opens the name in that folder (its folders created in the save folder) starting from the
    // bytes of `initial` (null for none; closed here). Null when the file cannot be written there.
    // The file is written at close when it was changed, or when the open truncated an existing
    // file or gave a new one its bytes.
    static CWriteFile* Open(LoadSaveFolder where, const char* name, LoadSaveFile* initial, bool truncate);
    // Writes the file when that is needed; false, with a warning line, when the writing failed.
    bool Commit();

    // Writes at the position, filling a gap past the end with zero bytes; false (nothing
    // written, one warning) beyond FILE_MAX_WRITE.
    bool Write(const void* bytes, int64_t count);
    // Appends text, turning each LF that no CR precedes into CR LF.
    bool WriteText(const char* text);
    // The byte at the position, moving past it; -1 at or past the end.
    int ReadByte();
    // Clamped to 0..FILE_MAX_WRITE; the position may lie past the end.
    void Seek(int64_t position);
    // Empties the file; the position goes back to 0.
    void Clear();
    int64_t Position() const { return m_position; }
    int64_t Size() const { return (int64_t)m_bytes.size(); }

private:
    LoadSaveFolder m_where = LOADSAVE_SAVE;
    std::string m_name;  // as the script gave it, mapped again when written
    std::string m_bytes;
    int64_t m_position = 0;
    bool m_changed = false;
    bool m_warned = false;
};

// Where a name is read from: the save folder when it is a file there, else the program folder
// when it is a file there. False when in neither.
bool File_Locate(const char* name, LoadSaveFolder* where);
// Closes a file of either kind, writing a written one; both become null.
void File_Close(LoadSaveFile*& reader, CWriteFile*& writer);
// The file that name reads, from the folder File_Locate finds.
LoadSaveFile* File_OpenForReading(const char* name, const char* mode);
