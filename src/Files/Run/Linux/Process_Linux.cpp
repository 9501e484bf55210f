// Starting programs with posix_spawn (no shell, and nothing run in a forked copy of the runner's
// threads), and the game's folder.
#include "Run/Process.h"

#include "Base/Console.h"
#include "Base/Stop.h"
#include "Base/Timer.h"
#include "Support/LoadSave.h"
#include "Support/LoadSave_Place.h"

#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

std::string SlashPath(const char* path)
{
    std::string s(path ? path : "");
    for (char& c : s)
        if (c == '\\') c = '/';
    return s;
}

// Programs not waited for whose reaping thread could not be made; reaped at later starts.
std::vector<pid_t> Unreaped;

void ReapEnded()
{
    for (size_t i = 0; i < Unreaped.size();) {
        int status;
        if (waitpid(Unreaped[i], &status, WNOHANG) != 0) Unreaped.erase(Unreaped.begin() + (long)i);
        else i++;
    }
}

// Runs argv in directory, with the signals at their defaults and unblocked, and no descriptor of
// the runner's but standard input, output and error. A program the runner does not wait for is
// reaped by a thread of its own, so no zombie is left.
bool Spawn(std::vector<std::string> argv, const char* directory, bool wait)
{
    ReapEnded();
    if (argv.empty() || argv[0].empty()) return false;
    std::string dir = SlashPath(directory);
    // A relative program path names a file from the runner's current folder, not the new one.
    if (!dir.empty() && argv[0].find('/') != std::string::npos && argv[0][0] != '/') {
        std::error_code ec;
        argv[0] = std::filesystem::absolute(argv[0], ec).string();
    }
    std::vector<char*> args;
    for (std::string& a : argv) args.push_back(a.data());
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    // Libraries' descriptors may lack close-on-exec; the runner's own have it.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    if (!dir.empty()) posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
    pid_t pid = 0;
    int error = posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error != 0) {
        Console_Warnings->Output("Cannot start \"%s\": %s\n", argv[0].c_str(), strerror(error));
        return false;
    }
    if (!wait) {
        try {
            std::thread([pid] {
                int ended;
                while (waitpid(pid, &ended, 0) < 0 && errno == EINTR) {}
            }).detach();
        } catch (const std::system_error&) {
            Unreaped.push_back(pid);
        }
        return true;
    }
    // A stop signal ends the wait; the program goes on by itself.
    for (;;) {
        int status;
        pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid || (r < 0 && errno != EINTR) || Stop_Requested()) break;
        if (Timer_PumpHook) Timer_PumpHook();
        usleep(50 * 1000);
    }
    return true;
}

// The scheme an address begins with, in lower case ("http" of "HTTP://x"); "" when it has none.
// A single letter before the colon is a drive ("C:\\x"), not a scheme.
std::string Scheme(const std::string& text)
{
    size_t colon = text.find(':');
    if (colon == std::string::npos || colon < 2 || !isalpha((unsigned char)text[0])) return "";
    std::string scheme;
    for (size_t i = 0; i < colon; i++) {
        char c = text[i];
        if (!isalnum((unsigned char)c) && c != '+' && c != '-' && c != '.') return "";
        scheme += (char)tolower((unsigned char)c);
    }
    return scheme;
}

// The local file a file: address names ("file:///a%20b", "file://localhost/a b" or "file:/a b").
std::string FileOfAddress(const std::string& address)
{
    std::string rest = address.substr(5);
    if (rest.compare(0, 2, "//") == 0) {
        size_t slash = rest.find('/', 2);
        rest = slash == std::string::npos ? "/" : rest.substr(slash);
    }
    rest = rest.substr(0, rest.find_first_of("?#"));
    std::string path;
    for (size_t i = 0; i < rest.size(); i++) {
        if (rest[i] == '%' && i + 2 < rest.size() && isxdigit((unsigned char)rest[i + 1]) &&
            isxdigit((unsigned char)rest[i + 2])) {
            path += (char)std::stoi(rest.substr(i + 1, 2), nullptr, 16);
            i += 2;
        } else {
            path += rest[i];
        }
    }
    return path;
}

// A regular file (through links) with an execute bit: what xdg-open might run.
bool IsProgram(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0111);
}

}  // namespace

bool Execute_Program(const char* program, const char* arguments, const char* directory, bool wait)
{
    std::vector<std::string> argv{SlashPath(program)};
    char** split;
    int count = Process_SplitArguments(arguments, &split);
    for (int i = 0; i < count; i++) argv.push_back(split[i]);
    Process_FreeArguments(split, count);
    return Spawn(argv, directory, wait);
}

bool Execute_Shell(const char* file, const char* parameters, const char* directory)
{
    std::string path = SlashPath(file);
    if (path.empty()) return false;
    std::string full = path;
    if (directory && *directory && path[0] != '/') full = SlashPath(directory) + "/" + path;
    if (full.find('/') == std::string::npos) full = "./" + full;  // a file here, not one on the PATH
    struct stat st;
    if (stat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(full.c_str(), X_OK) == 0)
        return Execute_Program(full.c_str(), parameters, directory, false);
    // A name that begins with '-' is a file of the folder, never an option of xdg-open.
    if (path[0] == '-') path = "./" + path;
    return Spawn({"xdg-open", path}, directory, false);
}

bool Execute_OpenAddress(const char* address)
{
    // An address beginning with '-' would be an option of xdg-open.
    if (!address || !*address || *address == '-') return false;
    return Spawn({"xdg-open", address}, nullptr, false);
}

bool Execute_OpenWebpage(const char* name)
{
    std::string text = name ? name : "";
    std::string scheme = Scheme(text);
    if (scheme == "http" || scheme == "https" || scheme == "ftp" || scheme == "mailto")
        return Execute_OpenAddress(text.c_str());
    std::string file;
    if (scheme == "file") {
        file = FileOfAddress(text);
    } else if (scheme.empty() && !text.empty()) {
        text = SlashPath(text.c_str());
        // A name that begins with '-' is a file of the folder, never an option of xdg-open.
        if (text[0] == '-') text = "./" + text;
        file = text;
    } else {
        return false;  // another scheme's handler may be any program
    }
    if (IsProgram(file)) return false;
    return Spawn({"xdg-open", text}, nullptr, false);
}

const char* GetGameDirectory()
{
    const char* folder = LoadSave_GetProgramFolder();
    if (*folder) return folder;
    static std::string current;
    current = LoadSave_CurrentFolder();
    return current.c_str();
}
