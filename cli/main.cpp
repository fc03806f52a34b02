// orvex-hap: the command-line Hap encoder.
#include <cstdio>
#include <exception>
#include <new>
#include <stdexcept>

#include "cli/cli_options.h"
#include "cli/encode_command.h"
#include "cli/inspect_commands.h"
#include "cli/interrupt.h"

int main(int argc, char** argv) {
  using namespace orvex_cli;
  try {
    if (argc > 1 && is_inspect_command(argv[1])) return run_inspect_command(argc, argv);
    ParsedCommandLine parsed = parse_cli_options(argc, argv);
    if (!parsed.options) return parsed.exit_status;
    install_interrupt_handlers();
    return run_encode(*parsed.options);
  } catch (const UsageError& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "orvex-hap: error: %s\n", e.what());
    return 2;
  } catch (const std::bad_alloc&) {
    std::fflush(stdout);
    std::fprintf(stderr, "orvex-hap: error: out of memory\n");
    return 1;
  } catch (const std::exception& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "orvex-hap: error: %s\n", e.what());
    return 1;
  }
}
