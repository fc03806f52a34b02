#pragma once
// Signal handling of `orvex-hap`. The first SIGINT, SIGTERM or SIGHUP only raises a flag: the
// encoder stops reading input and finishes a playable movie. The second removes the temporary
// output file (if one is registered), says so and ends the process at once with status 130.
// Every other signal that ends the process by default (SIGQUIT, SIGUSR1, SIGALRM, SIGABRT,
// SIGSEGV, ...) removes the temporary file first and then takes its default action. SIGPIPE and
// SIGXFSZ are ignored: a closed reader of standard error or a file-size limit becomes a write
// error that the code sees, never the end of the process. Signals ignored when the process
// started (nohup, background jobs) stay ignored.

namespace orvex_cli {

// Installs the handlers. Call once, from the main thread, before other threads exist.
void install_interrupt_handlers();

// True once the first interrupt arrived. Safe from any thread.
bool interrupt_requested();

// The file to remove when a signal ends the process (nullptr: none). The string must stay alive
// while it is registered.
void set_abort_cleanup_path(const char* path);

}  // namespace orvex_cli
