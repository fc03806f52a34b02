// Signal handlers: only async-signal-safe calls (atomic load and store, unlink, write, sigaction,
// raise, _exit) in the handlers.
#include "cli/interrupt.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

namespace orvex_cli {
namespace {

std::atomic<int> g_interrupts{0};
std::atomic<const char*> g_cleanup_path{nullptr};

void remove_temporary_file() {
  if (const char* path = g_cleanup_path.exchange(nullptr)) unlink(path);
}

extern "C" void on_interrupt(int) {
  if (g_interrupts.fetch_add(1) == 0) {
    static const char kMsg[] =
        "\norvex-hap: interrupted, finishing the movie (Ctrl-C again to abort)\n";
    [[maybe_unused]] ssize_t n = write(STDERR_FILENO, kMsg, sizeof kMsg - 1);
    return;
  }
  remove_temporary_file();
  // Ends a progress line that may be drawn and says what happened.
  static const char kAborted[] = "\norvex-hap: aborted, no movie written\n";
  [[maybe_unused]] ssize_t n = write(STDERR_FILENO, kAborted, sizeof kAborted - 1);
  _exit(130);
}

// Installed with SA_RESETHAND, so the signal's default action is back when this runs. A fault
// (SIGSEGV, SIGBUS, SIGFPE, SIGILL) repeats when the handler returns and then takes it; any other
// signal is raised again (SA_NODEFER lets it through at once).
extern "C" void on_fatal_signal(int sig) {
  remove_temporary_file();
  if (sig != SIGSEGV && sig != SIGBUS && sig != SIGFPE && sig != SIGILL) raise(sig);
}

bool ignored_at_start(int sig) {
  struct sigaction current;
  return sigaction(sig, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

bool default_at_start(int sig) {
  struct sigaction current;
  return sigaction(sig, nullptr, &current) == 0 && !(current.sa_flags & SA_SIGINFO) &&
         current.sa_handler == SIG_DFL;
}

void install(int sig, void (*handler)(int), int flags) {
  struct sigaction sa;
  std::memset(&sa, 0, sizeof sa);
  sa.sa_handler = handler;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = flags;
  sigaction(sig, &sa, nullptr);
}

}  // namespace

void install_interrupt_handlers() {
  // No SA_RESTART: a blocking read of the input returns and sees the flag.
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
    if (!ignored_at_start(sig)) install(sig, on_interrupt, 0);
  }
  install(SIGPIPE, SIG_IGN, 0);
  install(SIGXFSZ, SIG_IGN, 0);
  // Signals whose default action ends the process. Those with a handler already (a sanitizer's,
  // a profiler's) are left to it.
  for (int sig : {SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU, SIGSYS, SIGTRAP,
                  SIGPOLL, SIGPWR, SIGSTKFLT, SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL}) {
    if (default_at_start(sig)) install(sig, on_fatal_signal, SA_RESETHAND | SA_NODEFER);
  }
  for (int sig = SIGRTMIN; sig <= SIGRTMAX; ++sig) {
    if (default_at_start(sig)) install(sig, on_fatal_signal, SA_RESETHAND | SA_NODEFER);
  }
}

bool interrupt_requested() {
  return g_interrupts.load() > 0;
}

void set_abort_cleanup_path(const char* path) {
  g_cleanup_path.store(path);
}

}  // namespace orvex_cli
