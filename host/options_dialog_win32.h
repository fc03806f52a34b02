#pragma once
// The Win32 side of the options dialog: the DPI the window is scaled for. The window itself is
// opened by run_options_dialog (host/options_dialog.h). Windows builds only.

#ifdef _WIN32
#include <windows.h>

// Dots per inch used to scale the dialog: the per-window query where the system has it (looked
// up once per process) and a window is given, never below 96; otherwise the device context's
// logical pixels per inch, queried until both axes are positive and then kept; 96 without them.
// Call on the dialog's thread.
int dialog_dpi(HWND window);
#endif
