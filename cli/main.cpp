// orvex-hap: the command-line Hap encoder.
#include <malloc.h>

#include <cstdio>
#include <exception>
#include <new>
#include <stdexcept>
#include <string>

#include "VIDEO/file_io.h"
#include "cli/cli_options.h"
#include "cli/encode_command.h"
#include "cli/inspect_commands.h"
#include "cli/interrupt.h"
#include "cli/output_file.h"
#include "cli/standard_streams.h"

namespace {

int fail(int status, const std::string& message) {
  std::fflush(stdout);
  std::fprintf(stderr, "orvex-hap: error: %s\n", message.c_str());
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace orvex_cli;
  // Frames are buffers of megabytes, allocated and freed for every frame (the demuxer's packets,
  // the textures): keep them in the heap instead of mapping fresh pages each time, which costs
  // a page fault per 4 KiB and, for fast encodes, more than the compression.
  mallopt(M_MMAP_THRESHOLD, 256 << 20);
  mallopt(M_TRIM_THRESHOLD, 1024 << 20);
  std::string output;
  try {
    open_closed_standard_streams();
    if (argc > 1 && is_inspect_command(argv[1])) return run_inspect_command(argc, argv);
    ParsedCommandLine parsed = parse_cli_options(argc, argv);
    if (!parsed.options) return parsed.exit_status;
    output = parsed.options->output;
    install_interrupt_handlers();
    return run_encode(*parsed.options);
  } catch (const UsageError& e) {
    return fail(2, e.what());
  } catch (const std::bad_alloc&) {
    return fail(1, "out of memory");
  } catch (const FileError& e) {
    // Only the movie is written through the file layer.
    return fail(1, write_failure_message(output, e));
  } catch (const std::exception& e) {
    return fail(1, e.what());
  }
}
