#pragma once
// Ctrl-C handling of `orvex-hap`. The first SIGINT (or SIGTERM) only raises a flag: the encoder
// stops reading input and finishes a playable movie. The second removes the temporary output
// file (if one was registered), says so and ends the process at once with status 130.

namespace orvex_cli {

// Installs the handlers; also ignores SIGXFSZ so that a file-size limit becomes a write error.
void install_interrupt_handlers();

// True once the first interrupt arrived. Safe from any thread.
bool interrupt_requested();

// The file to remove when a second interrupt aborts (nullptr: none). The string must stay alive
// while it is registered.
void set_abort_cleanup_path(const char* path);

}  // namespace orvex_cli
