#include "QuietTerminal.h"

#include <termios.h>

#include <cerrno>
#include <csignal>
#include <iterator>

namespace {

// The terminal settings to put back when a signal arrives while echo is off.
int g_quietTty = -1;
termios g_savedTermios{};
termios g_quietTermios{};
constexpr int kEchoSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP};
struct sigaction g_previousActions[std::size(kEchoSignals)];

void OnSignalWhileQuiet(int sig);

void CatchSignalsWhileQuiet() {
    struct sigaction action {};
    action.sa_handler = OnSignalWhileQuiet;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < std::size(kEchoSignals); ++i)
        sigaction(kEchoSignals[i], &action, nullptr);
}

// Gives the terminal its echo back, then lets the signal do what it would have done. A stop
// (Ctrl+Z) comes back here when the program continues, and echo goes off again.
void OnSignalWhileQuiet(int sig) {
    const int savedErrno = errno;
    if (g_quietTty >= 0)
        tcsetattr(g_quietTty, TCSANOW, &g_savedTermios);
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(sig, &fallback, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, sig);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
    raise(sig);
    // Only a stop returns here, once the program is continued.
    CatchSignalsWhileQuiet();
    if (g_quietTty >= 0)
        tcsetattr(g_quietTty, TCSANOW, &g_quietTermios);
    errno = savedErrno;
}

} // namespace

QuietTerminal::QuietTerminal(int fd) {
    if (tcgetattr(fd, &g_savedTermios) != 0)
        return;
    g_quietTermios = g_savedTermios;
    g_quietTermios.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    g_quietTermios.c_lflag |= ECHONL;
    for (size_t i = 0; i < std::size(kEchoSignals); ++i)
        sigaction(kEchoSignals[i], nullptr, &g_previousActions[i]);
    g_quietTty = fd;
    CatchSignalsWhileQuiet();
    tcsetattr(fd, TCSAFLUSH, &g_quietTermios);
}

QuietTerminal::~QuietTerminal() {
    if (g_quietTty < 0)
        return;
    tcsetattr(g_quietTty, TCSAFLUSH, &g_savedTermios);
    g_quietTty = -1;
    for (size_t i = 0; i < std::size(kEchoSignals); ++i)
        sigaction(kEchoSignals[i], &g_previousActions[i], nullptr);
}
