#pragma once
// The output of `orvex-hap`: the movie is written to a temporary file beside OUT.mov and moved
// into place only when it is complete, so a failed or aborted run never leaves a truncated movie
// under the output name. Without overwrite, an existing OUT.mov is never replaced, also when it
// appears while encoding.

#include <string>

namespace orvex_cli {

class TempOutput {
 public:
  // Refuses an existing output unless `overwrite`, and an output that is a directory; creates
  // the temporary file in the output's folder (which must exist). Throws std::runtime_error.
  TempOutput(const std::string& output, bool overwrite);
  // Removes the temporary file unless commit() succeeded.
  ~TempOutput();
  TempOutput(const TempOutput&) = delete;
  TempOutput& operator=(const TempOutput&) = delete;

  const std::string& temp_path() const { return temp_path_; }
  // Moves the finished movie to the output name. Throws std::runtime_error.
  void commit();

 private:
  std::string output_;
  std::string temp_path_;
  bool overwrite_;
  bool committed_ = false;
};

// Throws when `output` exists and may not be replaced, or is a directory.
void check_output_writable(const std::string& output, bool overwrite);

}  // namespace orvex_cli
