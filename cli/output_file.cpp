// Temporary output file and the final rename.
#include "cli/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace orvex_cli {
namespace {

[[noreturn]] void fail_errno(const std::string& what, int err) {
  throw std::runtime_error(what + ": " + std::strerror(err));
}

std::string exists_message(const std::string& output) {
  return "'" + output + "' already exists (use -y to overwrite)";
}

}  // namespace

void check_output_writable(const std::string& output, bool overwrite) {
  struct stat st;
  if (stat(output.c_str(), &st) != 0) return;
  if (S_ISDIR(st.st_mode)) throw std::runtime_error("'" + output + "' is a directory");
  if (!overwrite) throw std::runtime_error(exists_message(output));
}

TempOutput::TempOutput(const std::string& output, bool overwrite)
    : output_(output), overwrite_(overwrite) {
  check_output_writable(output, overwrite);
  const size_t slash = output.rfind('/');
  const std::string dir = slash == std::string::npos ? "" : output.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? output : output.substr(slash + 1);
  std::string pattern = dir + "." + name + ".orvex-XXXXXX";
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  const int fd = mkstemp(buf.data());
  if (fd < 0) fail_errno("cannot create '" + output + "'", errno);
  // mkstemp makes the file private; give it the mode a newly created file would have.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  close(fd);
  temp_path_ = buf.data();
}

TempOutput::~TempOutput() {
  if (!committed_) unlink(temp_path_.c_str());
}

void TempOutput::commit() {
  if (overwrite_) {
    if (rename(temp_path_.c_str(), output_.c_str()) != 0) {
      fail_errno("cannot rename the movie to '" + output_ + "'", errno);
    }
  } else {
    // link() refuses an existing name, so a file that appeared meanwhile is kept.
    if (link(temp_path_.c_str(), output_.c_str()) != 0) {
      const int err = errno;
      if (err == EEXIST) throw std::runtime_error(exists_message(output_));
      // File systems without hard links: check, then rename.
      check_output_writable(output_, false);
      if (rename(temp_path_.c_str(), output_.c_str()) != 0) {
        fail_errno("cannot rename the movie to '" + output_ + "'", errno);
      }
    } else {
      unlink(temp_path_.c_str());
    }
  }
  committed_ = true;
}

}  // namespace orvex_cli
