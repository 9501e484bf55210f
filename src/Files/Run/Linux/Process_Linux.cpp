// Starting programs with fork and exec (no shell), and the game's folder.
#include "Run/Process.h"

#include "Base/Console.h"
#include "Base/Stop.h"
#include "Base/Timer.h"
#include "Support/LoadSave.h"
#include "Support/Linux/LoadSave_Linux.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

std::string SlashPath(const char* path)
{
    std::string s(path ? path : "");
    for (char& c : s)
        if (c == '\\') c = '/';
    return s;
}

void ReportAndExit(int fd, int error)
{
    ssize_t ignored = write(fd, &error, sizeof error);
    (void)ignored;
    _exit(127);
}

// In the child: every descriptor above 2 closes when the program starts, whoever opened it (the
// runner's own are close-on-exec already; libraries' may not be). Only calls that are safe
// between fork and exec.
void CloseOnExecAll()
{
#ifdef CLOSE_RANGE_CLOEXEC
    if (close_range(3, ~0u, CLOSE_RANGE_CLOEXEC) == 0) return;
#endif
    long last = sysconf(_SC_OPEN_MAX);
    if (last < 0 || last > 1 << 20) last = 1 << 20;
    for (int fd = 3; fd < last; fd++) {
        int flags = fcntl(fd, F_GETFD);
        if (flags >= 0 && !(flags & FD_CLOEXEC)) fcntl(fd, F_SETFD, flags | FD_CLOEXEC);
    }
}

// Runs argv in directory. Detached programs are started by an intermediate child that exits at
// once, so no zombie is left; the exec failure of either comes back through a close-on-exec pipe.
bool Spawn(std::vector<std::string> argv, const char* directory, bool wait)
{
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

    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return false;
    }
    if (pid == 0) {
        close(fds[0]);
        CloseOnExecAll();
        if (!wait) {
            pid_t inner = fork();
            if (inner < 0) ReportAndExit(fds[1], errno);
            if (inner > 0) _exit(0);
        }
        if (!dir.empty() && chdir(dir.c_str()) != 0) ReportAndExit(fds[1], errno);
        execvp(args[0], args.data());
        ReportAndExit(fds[1], errno);
    }
    close(fds[1]);
    int error = 0;
    ssize_t got;
    do got = read(fds[0], &error, sizeof error);
    while (got < 0 && errno == EINTR);
    close(fds[0]);
    bool started = got == 0;
    if (!started) Console_Warnings->Output("Cannot start \"%s\": %s\n", argv[0].c_str(), strerror(error));
    int status;
    if (!wait || !started) {
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
        return started;
    }
    // A stop signal ends the wait; the program goes on by itself.
    for (;;) {
        pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid || (r < 0 && errno != EINTR) || Stop_Requested()) break;
        if (Timer_PumpHook) Timer_PumpHook();
        usleep(50 * 1000);
    }
    return true;
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

const char* GetGameDirectory()
{
    const char* folder = LoadSave_GetProgramFolder();
    if (*folder) return folder;
    static std::string current;
    current = LoadSave_CurrentFolder();
    return current.c_str();
}
