#pragma once
// The options dialog as the options callback calls it: five values in, and on Ok the five values
// the user chose written back. Only one dialog can be open in a process at a time.

#include <cstdint>

// Shows the dialog on the stored values and waits until the user closes it. Returns 1 when the
// user pressed Ok (the five values now hold the choices) and 0 when the dialog was cancelled,
// closed, or could not be shown (the values are untouched). Builds without a window toolkit
// return 0 at once. Call on the host's user-interface thread.
int run_options_dialog(uint32_t& codec, uint8_t& snappy, uint32_t& chunk_count, int32_t& quality,
                       uint32_t& frame_mode);
