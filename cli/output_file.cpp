// Temporary output file and the final rename.
#include "cli/output_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "VIDEO/file_io.h"
#include "cli/interrupt.h"

namespace orvex_cli {
namespace {

[[noreturn]] void fail_errno(const std::string& what, int err) {
  throw std::runtime_error(what + ": " + std::strerror(err));
}

std::string exists_message(const std::string& output) {
  return "'" + output + "' already exists (use -y to overwrite)";
}

// Blocks every signal while alive, so that a file is never created without being registered
// for removal.
class SignalsBlocked {
 public:
  SignalsBlocked() {
    sigset_t all;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &saved_);
  }
  ~SignalsBlocked() { pthread_sigmask(SIG_SETMASK, &saved_, nullptr); }

 private:
  sigset_t saved_;
};

}  // namespace

void check_output_writable(const std::string& output, bool overwrite) {
  struct stat st;
  if (lstat(output.c_str(), &st) != 0) {
    if (errno == ENOENT) return;  // a free name; the folder is checked when the file is created
    fail_errno("cannot create '" + output + "'", errno);
  }
  struct stat target;
  if (S_ISLNK(st.st_mode) && stat(output.c_str(), &target) == 0) st = target;
  if (S_ISDIR(st.st_mode)) throw std::runtime_error("'" + output + "' is a directory");
  if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) {
    throw std::runtime_error("'" + output +
                             "' is not a regular file (devices, FIFOs and sockets are never "
                             "replaced)");
  }
  if (!overwrite) throw std::runtime_error(exists_message(output));
}

TempOutput::TempOutput(const std::string& output, bool overwrite)
    : output_(output), overwrite_(overwrite) {
  check_output_writable(output, overwrite);
  // A short name of its own: a name the length of the output's and more would pass the folder's
  // name length limit for long output names.
  const size_t slash = output.rfind('/');
  const std::string dir = slash == std::string::npos ? "" : output.substr(0, slash + 1);
  const std::string pattern = dir + ".orvex-XXXXXX";
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  {
    const SignalsBlocked blocked;
    const int fd = mkstemp(buf.data());
    if (fd < 0) fail_errno("cannot create '" + output + "'", errno);
    temp_path_ = buf.data();
    set_abort_cleanup_path(temp_path_.c_str());
    // mkstemp makes the file private; give it the mode a newly created file would have.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    close(fd);
  }
}

TempOutput::~TempOutput() {
  set_abort_cleanup_path(nullptr);
  if (!committed_) unlink(temp_path_.c_str());
}

void TempOutput::commit() {
  // The movie reaches the disk before it takes the output name: a crash or power loss after the
  // rename must not leave an output whose data was never written.
  const int fd = open(temp_path_.c_str(), O_RDONLY);
  if (fd < 0 || fsync(fd) != 0) {
    const int err = errno;
    if (fd >= 0) close(fd);
    fail_errno("cannot write '" + output_ + "'", err);
  }
  close(fd);
  if (overwrite_) {
    // Checked again just before: a device or FIFO that took the name meanwhile is not replaced.
    check_output_writable(output_, true);
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
  set_abort_cleanup_path(nullptr);
}

std::string write_failure_message(const std::string& output, const FileError& error) {
  const int err = error.error_number();
  return "cannot write '" + output + "': " + (err != 0 ? std::strerror(err) : error.what());
}

}  // namespace orvex_cli
