#pragma once
// Drives the options dialog's real window from a second thread, with the messages that a user's
// clicks and keystrokes produce, while the test's thread sits in the dialog's message loop.

#include <windows.h>

#include <functional>
#include <string>

#include "host/options_dialog_model.h"

namespace orvex_test {

// The open dialog as the test sees it.
struct Dialog {
  HWND window = nullptr;

  HWND item(int id) const { return GetDlgItem(window, id); }
  HWND ok() const { return FindWindowExW(window, nullptr, L"Button", L"Ok"); }
  HWND chunk_field() const { return item(kIdChunkField); }
  HWND slider() const { return item(kIdQualitySlider); }
  HWND codec_list() const { return item(kIdCodecList); }

  static std::string text(HWND h);
  std::string chunk_text() const { return text(chunk_field()); }
  std::string quality_name() const { return text(item(kIdQualityName)); }
  bool checked(int id) const;
  int selection() const;
  int slider_position() const;

  // What a user does; each control reports to the window as it does for real input.
  void type_chunks(const wchar_t* text) const;
  void leave_chunk_field() const;
  void click(HWND button) const;
  void select_codec(int index) const;
  void press_slider_key(WPARAM key) const;
  void close_box() const;
};

// Runs `open` (which shows the dialog and returns when it ends) on this thread and `user` on a
// second thread once the dialog's window is complete; `user` should end the dialog. Returns
// false when the window never appeared, in which case `user` did not run.
bool with_dialog(const std::function<void()>& open, const std::function<void(const Dialog&)>& user);

}  // namespace orvex_test
