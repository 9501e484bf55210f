// The runner stopped from outside. A stop signal ends a game that holds open files as the end of
// the game does, without its end events: the files are written and closed, the runner ends by the
// signal. A kill in the middle of a save leaves a temporary file that no game sees and the next
// start removes.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// A runner started on a packed game with a save folder of its own, its output going to files.
class Runner {
public:
    Runner(const std::string& game, const fs::path& work, bool headless, std::vector<std::string> env = {})
        : m_out(work / "out.txt"), m_err(work / "err.txt")
    {
        fs::create_directories(work);
        std::string runner = RUNNER, path = std::string(GAMES) + "/" + game + ".win";
        env.push_back("XDG_DATA_HOME=" + (work / "data").string());
        if (headless) env.push_back("RUNNER_HEADLESS=1");
        m_pid = fork();
        if (m_pid == 0) {
            // A group of its own, so that what it starts goes with it; signals as a shell leaves
            // them; no core files.
            setpgid(0, 0);
            for (int s : {SIGTERM, SIGINT, SIGHUP, SIGQUIT}) signal(s, SIG_DFL);
            sigset_t none;
            sigemptyset(&none);
            sigprocmask(SIG_SETMASK, &none, nullptr);
            struct rlimit noCore = {0, 0};
            setrlimit(RLIMIT_CORE, &noCore);
            int out = open(m_out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            int err = open(m_err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(out, 1);
            dup2(err, 2);
            for (const std::string& e : env) putenv(strdup(e.c_str()));
            setenv("ALSOFT_DRIVERS", "null", 1);
            execl(runner.c_str(), runner.c_str(), "-game", path.c_str(), (char*)nullptr);
            _exit(127);
        }
    }
    ~Runner()
    {
        if (m_pid > 0) {
            killpg(m_pid, SIGKILL);
            if (!m_ended) waitpid(m_pid, nullptr, 0);
        }
    }
    // Whether standard output holds the line within the seconds given.
    bool Says(const std::string& line, double seconds = 20) const
    {
        for (auto end = Clock::now() + Seconds(seconds); Clock::now() < end;) {
            if (("\n" + Out()).find("\n" + line + "\n") != std::string::npos) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }
    void Send(int signal) const { kill(m_pid, signal); }
    // The wait status once the runner ended, or -1 when it runs on after the seconds given.
    int Ended(double seconds = 20)
    {
        int status;
        for (auto end = Clock::now() + Seconds(seconds); Clock::now() < end;) {
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_ended = true;
                return status;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return -1;
    }
    std::string Out() const { return ReadAll(m_out); }
    std::string Err() const { return ReadAll(m_err); }

private:
    using Clock = std::chrono::steady_clock;
    static Clock::duration Seconds(double s) { return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(s)); }
    pid_t m_pid = -1;
    bool m_ended = false;
    fs::path m_out, m_err;
};

fs::path Work(const std::string& name)
{
    fs::path work = fs::path(WORK) / name;
    fs::remove_all(work);
    return work;
}

// Starts the game that keeps files open, sends the signal once it is ready (and the wait given
// after), and expects it ended by that signal, without the end events, its files whole.
void StopOnceReady(const std::string& name, int signal, bool headless, std::vector<std::string> env = {},
                   int waitMs = 0)
{
    fs::path work = Work(name);
    Runner r("process_stop", work, headless, std::move(env));
    ASSERT_TRUE(r.Says("ready")) << r.Err();
    std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
    r.Send(signal);
    int status = r.Ended();
    ASSERT_NE(status, -1) << "the runner did not end after signal " << signal;
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << "status " << status << "\n" << r.Err();
    EXPECT_EQ(r.Out(), "ready\n") << "no room end or game end event runs";
    EXPECT_NE(r.Err().find("Stopped by signal " + std::to_string(signal) + "."), std::string::npos) << r.Err();
    fs::path saves = work / "data" / "process_stop";
    EXPECT_EQ(ReadAll(saves / "text.txt"), "written before the signal");
    EXPECT_EQ(ReadAll(saves / "data.bin"), "A");
    EXPECT_NE(ReadAll(saves / "game.ini").find("level=7"), std::string::npos) << ReadAll(saves / "game.ini");
    EXPECT_TRUE(fs::exists(saves / "achievementcache.dat"));
}

}  // namespace

TEST(StopSignals, EndAHeadlessGameWithItsFilesWritten)
{
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) StopOnceReady("stop_" + std::to_string(signal), signal, true);
}

// The wait for a program ends at the signal; the program goes on by itself.
TEST(StopSignals, EndAWaitToo)
{
    StopOnceReady("stop_wait", SIGTERM, true, {"STOP_TEST_WAIT=1"}, 100);
}

// In a window SIGQUIT stops the game too (headless it keeps its core dump).
TEST(StopSignals, QuitStopsAGameInAWindow)
{
    if (!getenv("DISPLAY")) GTEST_SKIP() << "no display for a window";
    StopOnceReady("stop_window", SIGQUIT, false);
}

// A kill lands in a save (while a file beside save.txt is there) and leaves that file behind; the
// next start removes it, and no listing of the game ever shows it.
TEST(InterruptedSaves, LeaveNothingAfterTheNextStart)
{
    fs::path work = Work("save_loop");
    fs::path saves = work / "data" / "process_save_loop" / "saves";
    auto leftovers = [&] {
        std::vector<std::string> names;
        std::error_code error;
        for (fs::directory_iterator e(saves, error), end; !error && e != end; e.increment(error))
            if (e->path().filename() != "save.txt") names.push_back(e->path().filename().string());
        return names;
    };
    bool left = false;
    for (int attempt = 0; attempt < 20 && !left; attempt++) {
        Runner r("process_save_loop", work, true, {"RUNNER_NO_WAIT=1"});
        for (auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
             leftovers().empty() && std::chrono::steady_clock::now() < end;)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        r.Send(SIGKILL);
        ASSERT_NE(r.Ended(), -1);
        left = !leftovers().empty();
    }
    ASSERT_TRUE(left) << "no kill landed inside a save";
    std::vector<std::string> before = leftovers();

    std::ofstream(saves / "done").close();
    Runner r("process_save_loop", work, true, {"RUNNER_NO_WAIT=1"});
    int status = r.Ended();
    ASSERT_NE(status, -1);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << r.Err();
    // save.txt is there unless the kill landed in the first save.
    std::string listed = fs::exists(saves / "save.txt") ? "listed: done\nlisted: save.txt\n" : "listed: done\n";
    EXPECT_EQ(r.Out(), listed) << "left before: " << before[0];
    std::vector<std::string> after = leftovers();
    EXPECT_EQ(after, std::vector<std::string>{"done"});
}
