// Signal handlers: only async-signal-safe calls (store, unlink, write, _exit) in the handler.
#include "cli/interrupt.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

namespace orvex_cli {
namespace {

std::atomic<int> g_interrupts{0};
std::atomic<const char*> g_cleanup_path{nullptr};

extern "C" void on_interrupt(int) {
  if (g_interrupts.fetch_add(1) == 0) {
    static const char kMsg[] =
        "\norvex-hap: interrupted, finishing the movie (Ctrl-C again to abort)\n";
    [[maybe_unused]] ssize_t n = write(STDERR_FILENO, kMsg, sizeof kMsg - 1);
    return;
  }
  if (const char* path = g_cleanup_path.load()) unlink(path);
  // Ends a progress line that may be drawn and says what happened.
  static const char kAborted[] = "\norvex-hap: aborted, no movie written\n";
  [[maybe_unused]] ssize_t n = write(STDERR_FILENO, kAborted, sizeof kAborted - 1);
  _exit(130);
}

}  // namespace

void install_interrupt_handlers() {
  struct sigaction sa;
  std::memset(&sa, 0, sizeof sa);
  sa.sa_handler = on_interrupt;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = 0;  // no SA_RESTART: a blocking read of the input returns and sees the flag
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  signal(SIGXFSZ, SIG_IGN);
}

bool interrupt_requested() {
  return g_interrupts.load() > 0;
}

void set_abort_cleanup_path(const char* path) {
  g_cleanup_path.store(path);
}

}  // namespace orvex_cli
