// Builds without a window toolkit have no options dialog: the request is answered as cancelled,
// so the stored options stay as they are and the host is told the user did nothing.

#ifndef _WIN32

#include "host/options_dialog.h"

int run_options_dialog(uint32_t&, uint8_t&, uint32_t&, int32_t&, uint32_t&) {
  return 0;
}

#endif
