// Driving the options dialog's real window from a second thread.
#include "tests/windows/dialog_driver.h"

// The common controls header needs the Windows header first.
#include <commctrl.h>

#include <chrono>
#include <thread>

namespace orvex_test {

std::string Dialog::text(HWND h) {
  wchar_t buffer[256] = {};
  GetWindowTextW(h, buffer, 256);
  std::string out;
  for (const wchar_t* p = buffer; *p; ++p) out.push_back(static_cast<char>(*p));
  return out;
}

bool Dialog::checked(int id) const {
  return SendMessageW(item(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}
int Dialog::selection() const {
  return static_cast<int>(SendMessageW(codec_list(), CB_GETCURSEL, 0, 0));
}
int Dialog::slider_position() const {
  return static_cast<int>(SendMessageW(slider(), TBM_GETPOS, 0, 0));
}

void Dialog::type_chunks(const wchar_t* text) const {
  SendMessageW(chunk_field(), EM_SETSEL, 0, -1);
  SendMessageW(chunk_field(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
}
void Dialog::leave_chunk_field() const {
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(kIdChunkField, EN_KILLFOCUS),
               reinterpret_cast<LPARAM>(chunk_field()));
}
void Dialog::click(HWND button) const {
  SendMessageW(button, BM_CLICK, 0, 0);
}
void Dialog::select_codec(int index) const {
  SendMessageW(codec_list(), CB_SETCURSEL, index, 0);
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(kIdCodecList, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(codec_list()));
}
void Dialog::press_slider_key(WPARAM key) const {
  SendMessageW(slider(), WM_KEYDOWN, key, 0);
  SendMessageW(slider(), WM_KEYUP, key, 0);
}
void Dialog::close_box() const {
  SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
}

bool with_dialog(const std::function<void()>& open,
                 const std::function<void(const Dialog&)>& user) {
  bool driven = false;
  std::thread driver([&] {
    Dialog dialog;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!dialog.window && std::chrono::steady_clock::now() < deadline) {
      dialog.window = FindWindowW(L"DialogClass", L"Orvex HAP Video Options 1.7.2.4");
      if (!dialog.window) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!dialog.window) return;
    // The window exists from the start of its creation; a sent message is answered only once the
    // dialog's thread is back in its message loop, that is once every control is made.
    SendMessageW(dialog.window, WM_NULL, 0, 0);
    user(dialog);
    driven = true;
    // Whatever the actions did, make sure the dialog ends.
    if (IsWindow(dialog.window)) PostMessageW(dialog.window, WM_CLOSE, 0, 0);
  });
  open();
  driver.join();
  return driven;
}

}  // namespace orvex_test
