// The registrar of the file, registry and INI built-ins, their shut-down, and the folder lookups
// every one of them makes of the names scripts pass.
//
// Where files live: a name is read from the save folder when it is a file there, else from the
// program folder; it is written in the save folder (file_bin_open alone keeps a file that exists
// only in the program folder where it is). The unnumbered file functions follow the same rules.
// Names pass through the folder mapping (Support/LoadSave.h), which also admits the exact names a
// file dialog returned and refuses a name that would mean one of the folders itself.
#include "Function/Function_File.h"
#include "Function/Function_File_Internal.h"

namespace {

#define ENTRY FUNCTION_ENTRY

const FunctionEntry kFiles[] = {
    ENTRY(file_bin_open, 2),
    ENTRY(file_bin_rewrite, 1),
    ENTRY(file_bin_close, 1),
    ENTRY(file_bin_position, 1),
    ENTRY(file_bin_size, 1),
    ENTRY(file_bin_seek, 2),
    ENTRY(file_bin_read_byte, 1),
    ENTRY(file_bin_write_byte, 2),
    ENTRY(file_text_open_read, 1),
    ENTRY(file_text_open_write, 1),
    ENTRY(file_text_open_append, 1),
    ENTRY(file_text_close, 1),
    ENTRY(file_text_read_string, 1),
    ENTRY(file_text_read_real, 1),
    ENTRY(file_text_readln, 1),
    ENTRY(file_text_eof, 1),
    ENTRY(file_text_eoln, 1),
    ENTRY(file_text_write_string, 2),
    ENTRY(file_text_write_real, 2),
    ENTRY(file_text_writeln, 1),
    ENTRY(file_open_read, 1),
    ENTRY(file_open_write, 1),
    ENTRY(file_open_append, 1),
    ENTRY(file_close, 0),
    ENTRY(file_read_string, 0),
    ENTRY(file_read_real, 0),
    ENTRY(file_readln, 0),
    ENTRY(file_eof, 0),
    ENTRY(file_write_string, 1),
    ENTRY(file_write_real, 1),
    ENTRY(file_writeln, 0),
    ENTRY(file_exists, 1),
    ENTRY(file_delete, 1),
    ENTRY(file_rename, 2),
    ENTRY(file_copy, 2),
    ENTRY(directory_exists, 1),
    ENTRY(directory_create, 1),
    ENTRY(file_find_first, 2),
    ENTRY(file_find_next, 0),
    ENTRY(file_find_close, 0),
    ENTRY(file_attributes, 2),
    ENTRY(filename_name, 1),
    ENTRY(filename_path, 1),
    ENTRY(filename_dir, 1),
    ENTRY(filename_drive, 1),
    ENTRY(filename_ext, 1),
    ENTRY(filename_change_ext, 2),
    ENTRY(execute_program, 3),
    ENTRY(execute_shell, 2),
    ENTRY(parameter_count, 0),
    ENTRY(parameter_string, 1),
    ENTRY(environment_get_variable, 1),
};

const FunctionEntry kRegistry[] = {
    ENTRY(registry_write_string, 2),
    ENTRY(registry_write_real, 2),
    ENTRY(registry_read_string, 1),
    ENTRY(registry_read_real, 1),
    ENTRY(registry_exists, 1),
    ENTRY(registry_write_string_ext, 3),
    ENTRY(registry_write_real_ext, 3),
    ENTRY(registry_read_string_ext, 2),
    ENTRY(registry_read_real_ext, 2),
    ENTRY(registry_exists_ext, 2),
    ENTRY(registry_set_root, 1),
};

const FunctionEntry kIni[] = {
    ENTRY(ini_open, 1),
    ENTRY(ini_close, 0),
    ENTRY(ini_read_string, 3),
    ENTRY(ini_read_real, 3),
    ENTRY(ini_write_string, 3),
    ENTRY(ini_write_real, 3),
    ENTRY(ini_key_exists, 2),
    ENTRY(ini_section_exists, 1),
    ENTRY(ini_key_delete, 2),
    ENTRY(ini_section_delete, 1),
};

#undef ENTRY

}  // namespace

void Function_File_Init()
{
    Function_AddTable(kFiles);
    Function_AddTable(kRegistry);
    Function_AddTable(kIni);
}

void Function_File_Free()
{
    File_Binary_CloseAll();
    File_Text_CloseAll();
    File_Search_Free();
    File_Ini_Free();
}

bool File_Locate(const char* name, LoadSaveFolder* where)
{
    *where = LoadSave_SaveFileExists(name) ? LOADSAVE_SAVE : LOADSAVE_BUNDLE;
    return *where == LOADSAVE_SAVE || LoadSave_BundleFileExists(name);
}

void File_Close(LoadSaveFile*& reader, CWriteFile*& writer)
{
    LoadSave_FClose(reader);
    if (writer) writer->Commit();
    delete writer;
    reader = nullptr;
    writer = nullptr;
}

LoadSaveFile* File_OpenForReading(const char* name, const char* mode)
{
    LoadSaveFolder where;
    if (!File_Locate(name, &where)) return nullptr;
    return where == LOADSAVE_SAVE ? LoadSave_FOpenSave(name, mode) : LoadSave_FOpenBundle(name, mode);
}
