#include "Base/Stop.h"

#include <initializer_list>

volatile sig_atomic_t Stop_Signal = 0;

namespace {

void Note(int signal)
{
    if (!Stop_Signal) Stop_Signal = signal;
}

void Install(int signal)
{
    struct sigaction old;
    if (sigaction(signal, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) return;
    struct sigaction action = {};
    action.sa_handler = Note;
    sigemptyset(&action.sa_mask);
    // Calls under way go on (libraries need not expect EINTR); the second signal is the default's.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    sigaction(signal, &action, nullptr);
}

}  // namespace

void Stop_Install(bool window)
{
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) Install(signal);
    if (window) Install(SIGQUIT);
}

void Stop_Finish()
{
    int signal = Stop_Signal;
    if (!signal) return;
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
    raise(signal);
}
