#pragma once
// The output of `orvex-hap`: the movie is written to a temporary file beside OUT.mov and moved
// into place only when it is complete, so a failed or aborted run never leaves a truncated movie
// under the output name. Without overwrite, an existing OUT.mov is never replaced, also when it
// appears while encoding. Only regular files are replaced: a directory, device, FIFO or socket
// under the output name (or at the end of a symbolic link there) is refused even with overwrite.
// A symbolic link is itself an existing name: with overwrite it is replaced, not written through.

#include <string>

class FileError;

namespace orvex_cli {

class TempOutput {
 public:
  // Checks the output name (check_output_writable) and creates the temporary file
  // ".orvex-XXXXXX" in the output's folder, which must exist and be writable; registers it for
  // removal when a signal ends the process. Throws std::runtime_error.
  TempOutput(const std::string& output, bool overwrite);
  // Removes the temporary file unless commit() succeeded.
  ~TempOutput();
  TempOutput(const TempOutput&) = delete;
  TempOutput& operator=(const TempOutput&) = delete;

  // The name the movie writer must open: the file created here, byte for byte.
  const std::string& temp_path() const { return temp_path_; }
  // Writes the finished movie through to the disk and moves it to the output name. Throws
  // std::runtime_error.
  void commit();

 private:
  std::string output_;
  std::string temp_path_;
  bool overwrite_;
  bool committed_ = false;
};

// Throws when `output` exists and may not be replaced (without overwrite, or not a regular
// file), when it is a directory, or when its name cannot be looked up.
void check_output_writable(const std::string& output, bool overwrite);

// The line for a failed write of the movie: "cannot write OUT: " and the system's reason.
std::string write_failure_message(const std::string& output, const FileError& error);

}  // namespace orvex_cli
