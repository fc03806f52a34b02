// Shows the options dialog for a screenshot: opens it on the default options, writes the window's
// screen rectangle ("x y width height") to the file named on the command line once the window is
// drawn, and closes the dialog when that file has been removed (or after a minute).

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "host/options_dialog.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: orvex-dialog-preview READY_FILE\n");
    return 2;
  }
  const char* ready_file = argv[1];
  std::thread shooter([ready_file] {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    HWND window = nullptr;
    while (!window && std::chrono::steady_clock::now() < deadline) {
      window = FindWindowW(L"DialogClass", L"Orvex HAP Video Options 1.7.2.4");
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!window) return;
    SendMessageW(window, WM_NULL, 0, 0);  // answered once the dialog's loop runs
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    RECT r{};
    GetWindowRect(window, &r);
    if (FILE* f = std::fopen(ready_file, "w")) {
      std::fprintf(f, "%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
      std::fclose(f);
    }
    while (std::chrono::steady_clock::now() < deadline) {
      if (FILE* f = std::fopen(ready_file, "r")) {
        std::fclose(f);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      } else {
        break;
      }
    }
    PostMessageW(window, WM_CLOSE, 0, 0);
  });
  uint32_t codec = 0, chunk_count = 8, frame_mode = 1;
  uint8_t snappy = 1;
  int32_t quality = 2;
  run_options_dialog(codec, snappy, chunk_count, quality, frame_mode);
  shooter.join();
  return 0;
}
