// Closed standard descriptors reopened on /dev/null.
#include "cli/standard_streams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

namespace orvex_cli {

void open_closed_standard_streams() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    const int opened = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (opened < 0) {
      throw std::runtime_error(std::string("cannot open /dev/null: ") + std::strerror(errno));
    }
    // open() returns the lowest free descriptor, which is `fd` as those below it are open.
    if (opened != fd) {
      dup2(opened, fd);
      close(opened);
    }
  }
}

}  // namespace orvex_cli
