#include "cli/StopSignals.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace tessarine {
namespace {

volatile std::sig_atomic_t g_stopSignal = 0;
volatile std::sig_atomic_t g_terminal = 0;

// A terminal may show the progress line: the message starts on a line of its own.
constexpr char kTerminalMessage[] =
    "\nStopping after the file in progress (press Ctrl-C again to end at once)\n";
constexpr char kLogMessage[] = "Stopping after the file in progress (a second signal ends at once)\n";

extern "C" void OnStopSignal(int signal) {
  if (g_stopSignal != 0) {
    // The second: end as the signal would have without us. It is delivered once we return.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
    return;
  }
  g_stopSignal = signal;
  const int saved = errno;
  if (g_terminal != 0) {
    [[maybe_unused]] const ssize_t n = ::write(STDERR_FILENO, kTerminalMessage, sizeof kTerminalMessage - 1);
  } else {
    [[maybe_unused]] const ssize_t n = ::write(STDERR_FILENO, kLogMessage, sizeof kLogMessage - 1);
  }
  errno = saved;
}

constexpr int kSignals[] = {SIGINT, SIGTERM};
struct sigaction g_previous[2];
bool g_installed[2] = {};

}  // namespace

StopOnSignals::StopOnSignals() {
  g_stopSignal = 0;
  g_terminal = ::isatty(STDERR_FILENO) == 1 ? 1 : 0;
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  for (int signal : kSignals) sigaddset(&action.sa_mask, signal);
  // Interrupted system calls are restarted: a stop must never look like a failed read or a lost
  // connection.
  action.sa_flags = SA_RESTART;
  for (int i = 0; i < 2; ++i) g_installed[i] = ::sigaction(kSignals[i], &action, &g_previous[i]) == 0;
}

StopOnSignals::~StopOnSignals() {
  for (int i = 0; i < 2; ++i) {
    if (g_installed[i]) ::sigaction(kSignals[i], &g_previous[i], nullptr);
    g_installed[i] = false;
  }
}

bool StopOnSignals::Requested() { return g_stopSignal != 0; }

int StopOnSignals::StoppedStatus() { return 128 + (g_stopSignal != 0 ? static_cast<int>(g_stopSignal) : SIGINT); }

}  // namespace tessarine
