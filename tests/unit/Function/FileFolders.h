// A fresh program folder and save folder for the file built-ins, beside a sentinel folder that
// no built-in may read or change:
//   root/prog/          the program folder
//   root/xdg/Game/      the save folder (XDG_DATA_HOME is root/xdg)
//   root/outside/       secret.txt and more, each holding "SENTINEL"
#pragma once
#include "BuiltinCall.h"
#include "Base/MemoryManager.h"
#include "Function/Function_File.h"
#include "Support/LoadSave.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

class FileFolders : public BuiltinTest {
protected:
    void Register() override { Function_File_Init(); }
    void SetUp() override
    {
        BuiltinTest::SetUp();
        root = fs::canonical(fs::temp_directory_path()) / ("files_" + std::to_string(getpid()));
        fs::remove_all(root);
        prog = root / "prog";
        save = root / "xdg" / "Game";
        fs::create_directories(prog);
        fs::create_directories(save);
        Put(root / "outside" / "secret.txt", "SENTINEL");
        Put(root / "outside" / "sub" / "deep.txt", "SENTINEL");
        Put(root / "xdg" / "beside.txt", "SENTINEL");
        Put(root / "secret.txt", "SENTINEL");
        setenv("XDG_DATA_HOME", (root / "xdg").c_str(), 1);
        LoadSave_SetGameName("Game");
        LoadSave_SetProgramFolder(prog.c_str());
    }
    void TearDown() override
    {
        Function_File_Free();
        OpenDialogFiles.Clear();
        SaveDialogFiles.Clear();
        LoadSave_SetProgramFolder("");
        fs::remove_all(root);
        BuiltinTest::TearDown();
    }

    static void Put(const fs::path& path, const std::string& bytes)
    {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string Get(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }
    // Every file and folder under root outside the two game folders, with the files' bytes.
    std::map<std::string, std::string> Sentinels() const
    {
        std::map<std::string, std::string> tree;
        for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
            const fs::path& p = it->path();
            if (p == prog || p == save) {
                it.disable_recursion_pending();
                continue;
            }
            tree[p.string()] = it->is_regular_file() ? Get(p) : "<folder>";
        }
        return tree;
    }

    fs::path root, prog, save;
};
