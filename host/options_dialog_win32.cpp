// The options dialog as a Win32 window: creates the controls, mirrors the model's state into them
// and feeds every user action back to the model (host/options_dialog_model.h holds the rules).
// The window and its controls are Unicode windows; the message loop uses the ANSI calls, which
// the system converts for them.

#ifdef _WIN32

#include <windows.h>
// The common controls header needs the Windows header first.
#include <commctrl.h>

#include <optional>
#include <string>

#include "HAP/hap_variants.h"
#include "host/options_dialog.h"
#include "host/options_dialog_model.h"
#include "host/options_dialog_win32.h"

namespace {

constexpr wchar_t kClassName[] = L"DialogClass";
constexpr wchar_t kTitle[] = L"Orvex HAP Video Options 1.7.2.4";
constexpr DWORD kWindowExStyle = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST;  // 9
constexpr DWORD kWindowStyle = WS_VISIBLE | WS_CAPTION | WS_SYSMENU;   // 0x10C80000

// Process-wide: one dialog at a time, used only by the thread that opened it.
struct DialogState {
  DialogValues values;
  bool closed = true;
  int result = 0;
  std::optional<OptionsDialogModel> model;
  HWND window = nullptr;
  HWND controls[kDialogControlCount] = {};
};
DialogState g_dialog;

HWND control(DialogControl c) {
  return g_dialog.controls[static_cast<int>(c)];
}

// Every text of the dialog is ASCII.
std::wstring widen(const std::string& s) {
  return std::wstring(s.begin(), s.end());
}

// The control's text; characters outside ASCII become '?', which no number contains.
std::string read_text(HWND h) {
  const int length = GetWindowTextLengthW(h);
  std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
  wide.resize(static_cast<size_t>(GetWindowTextW(h, wide.data(), length + 1)));
  std::string text;
  for (wchar_t c : wide) text.push_back(c < 128 ? static_cast<char>(c) : '?');
  return text;
}

void set_text(HWND h, const std::string& text) {
  SetWindowTextW(h, widen(text).c_str());
}

void set_check(DialogControl c, bool checked) {
  SendMessageW(control(c), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

// The module holding this code (the plug-in library, not the host's executable) owns the class.
HINSTANCE module_instance() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&module_instance), &module);
  return module;
}

void lay_out(HWND window) {
  const DialogLayout layout = dialog_layout(dialog_dpi(window));
  for (int i = 0; i < kDialogControlCount; ++i) {
    const DialogRect& r = layout.controls[i];
    MoveWindow(g_dialog.controls[i], r.x, r.y, r.width, r.height, TRUE);
  }
  set_text(control(DialogControl::QualityName), g_dialog.model->quality_name());
  SendMessageW(control(DialogControl::QualitySlider), TBM_SETPOS, TRUE,
               g_dialog.model->slider_position());
}

void on_create(HWND window) {
  g_dialog.window = window;
  const OptionsDialogModel& model = *g_dialog.model;
  const DialogRect r = dialog_window_rect(dialog_dpi(window), GetSystemMetrics(SM_CXSCREEN),
                                          GetSystemMetrics(SM_CYSCREEN));
  SetWindowPos(window, nullptr, r.x, r.y, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);

  const HINSTANCE instance = module_instance();
  const auto font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
  for (int i = 0; i < kDialogControlCount; ++i) {
    const DialogControlSpec& control = dialog_control_spec(static_cast<DialogControl>(i));
    const std::wstring text = control.text ? widen(control.text) : std::wstring();
    HWND h = CreateWindowExW(
        0, widen(control.class_name).c_str(), control.text ? text.c_str() : nullptr,
        WS_CHILD | WS_VISIBLE | control.style, 0, 0, 0, 0, window,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), instance, nullptr);
    g_dialog.controls[i] = h;
    SendMessageW(h, WM_SETFONT, font, FALSE);
  }

  HWND list = control(DialogControl::CodecList);
  for (const HapVariant& variant : kHapVariants) {  // in codec order: the index is the codec
    SendMessageW(list, CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(widen(variant.dialog_label).c_str()));
  }
  if (model.codec_was_invalid()) OutputDebugStringA("Codec invalide, HAP force\n");
  SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(model.codec_selection()), 0);

  set_text(control(DialogControl::ChunkField), model.chunk_text());
  set_check(DialogControl::SnappyBox, model.snappy_checked());
  EnableWindow(control(DialogControl::ChunkField), model.chunk_field_enabled());

  SendMessageW(control(DialogControl::QualitySlider), TBM_SETRANGE, TRUE, MAKELPARAM(1, 3));
  EnableWindow(control(DialogControl::QualitySlider), model.slider_enabled());
  EnableWindow(control(DialogControl::QualityName), TRUE);
  set_check(DialogControl::FrameModeBox, model.frame_mode_checked());
  lay_out(window);
}

// Ends the dialog; the window is gone when this returns.
void finish(int result) {
  g_dialog.closed = true;
  g_dialog.result = result;
  DestroyWindow(g_dialog.window);
  // The loop tests the flag only after a posted message; when the end came through a sent one
  // (another thread's SendMessage), this empty message lets it see the flag at once.
  PostMessageW(nullptr, WM_NULL, 0, 0);
}

void on_ok() {
  OptionsDialogModel& model = *g_dialog.model;
  // The list and the field are read as they stand now, whatever notifications came before.
  model.select_codec(
      static_cast<int>(SendMessageW(control(DialogControl::CodecList), CB_GETCURSEL, 0, 0)));
  model.chunk_text_changed(read_text(control(DialogControl::ChunkField)));
  g_dialog.values = model.accept();
  finish(1);
}

void on_chunk_field(WORD notification) {
  OptionsDialogModel& model = *g_dialog.model;
  HWND field = control(DialogControl::ChunkField);
  if (notification == EN_SETFOCUS) return;
  bool corrected = model.chunk_text_changed(read_text(field));
  if (notification == EN_KILLFOCUS) corrected = model.chunk_focus_lost() || corrected;
  // Writing the text back notifies again with a valid count, which changes nothing more.
  if (corrected) set_text(field, model.chunk_text());
}

// Returns true when the command ended the dialog.
bool on_command(WORD id, WORD notification, HWND from) {
  OptionsDialogModel& model = *g_dialog.model;
  if (from == nullptr) return false;  // menus and accelerators: the dialog has none
  switch (id) {
    case kIdOk:
      if (from != control(DialogControl::OkButton)) return false;
      on_ok();
      return true;
    case kIdCancel:
      finish(0);
      return true;
    case kIdSnappyBox:
      if (notification != BN_CLICKED) return false;
      model.toggle_snappy();
      set_check(DialogControl::SnappyBox, model.snappy_checked());
      EnableWindow(control(DialogControl::ChunkField), model.chunk_field_enabled());
      return false;
    case kIdFrameModeBox:
      if (notification != BN_CLICKED) return false;
      model.toggle_frame_mode();
      set_check(DialogControl::FrameModeBox, model.frame_mode_checked());
      return false;
    case kIdCodecList:
      model.select_codec(static_cast<int>(SendMessageW(from, CB_GETCURSEL, 0, 0)));
      EnableWindow(control(DialogControl::QualitySlider), model.slider_enabled());
      EnableWindow(control(DialogControl::QualityName), TRUE);
      return false;
    case kIdChunkField:
      on_chunk_field(notification);
      return false;
    default:
      return false;
  }
}

void on_slider_moved() {
  OutputDebugStringA("HSCROLL\n");
  OutputDebugStringA("Sldier Changed\n");
  OptionsDialogModel& model = *g_dialog.model;
  model.slider_moved(
      static_cast<int>(SendMessageW(control(DialogControl::QualitySlider), TBM_GETPOS, 0, 0)));
  set_text(control(DialogControl::QualityName), model.quality_name());
}

void on_dpi_changed(HWND window) {
  // The suggested rectangle is not used: the size follows from the new DPI, the place stays.
  const int dpi = dialog_dpi(window);
  SetWindowPos(window, nullptr, 0, 0, dialog_scale(380, dpi), dialog_scale(330, dpi),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  lay_out(window);
}

// Returns true when the message ended the dialog (the window no longer exists).
bool handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      on_create(window);
      return false;
    case WM_CLOSE:
      finish(0);
      return true;
    case WM_COMMAND:
      return on_command(LOWORD(wparam), HIWORD(wparam), reinterpret_cast<HWND>(lparam));
    case WM_HSCROLL:
      on_slider_moved();
      return false;
    case WM_DPICHANGED:
      on_dpi_changed(window);
      return false;
    case WM_DESTROY:
      g_dialog.window = nullptr;
      for (HWND& h : g_dialog.controls) h = nullptr;
      return false;
    default:
      return false;
  }
}

LRESULT CALLBACK dialog_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  bool ended = false;
  // Nothing may unwind into the system's dispatcher: a failure here cancels the dialog.
  try {
    if (g_dialog.model) ended = handle(window, message, wparam, lparam);
  } catch (...) {
    if (g_dialog.window) finish(0);
    ended = true;
  }
  return ended ? 0 : DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int dialog_dpi(HWND window) {
  using DpiQuery = UINT(WINAPI*)(HWND);
  static const DpiQuery query = [] {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    FARPROC proc = user32 ? GetProcAddress(user32, "GetDpiForWindow") : nullptr;
    // Through the generic function pointer type, which converts to any other without warnings.
    return reinterpret_cast<DpiQuery>(reinterpret_cast<void (*)()>(proc));
  }();
  if (query && window) return dialog_dpi_choice(true, query(window), 0, 0);

  static int logpixels_x = 0, logpixels_y = 0;
  if (logpixels_x <= 0 || logpixels_y <= 0) {
    if (HDC dc = GetDC(window)) {
      logpixels_x = GetDeviceCaps(dc, LOGPIXELSX);
      logpixels_y = GetDeviceCaps(dc, LOGPIXELSY);
      ReleaseDC(window, dc);
    }
  }
  return dialog_dpi_choice(false, 0, logpixels_x, logpixels_y);
}

int run_options_dialog(uint32_t& codec, uint8_t& snappy, uint32_t& chunk_count, int32_t& quality,
                       uint32_t& frame_mode) {
  if (!g_dialog.closed) return 0;  // already open further up this thread's stack
  g_dialog.values = DialogValues{codec, snappy, chunk_count, quality, frame_mode};
  g_dialog.result = 0;
  g_dialog.model.emplace(g_dialog.values);
  g_dialog.closed = false;

  // The trackbar needs the bar classes besides the list-view ones.
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);

  const HINSTANCE instance = module_instance();
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = dialog_procedure;
  window_class.hInstance = instance;
  window_class.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  window_class.lpszClassName = kClassName;
  RegisterClassExW(&window_class);

  HWND window = CreateWindowExW(kWindowExStyle, kClassName, kTitle, kWindowStyle, 100, 100, 240,
                                330, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) g_dialog.closed = true;

  MSG message;
  while (!g_dialog.closed) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) {
      // A quit request belongs to the host's own loop: pass it on and cancel.
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (got == -1) break;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  if (g_dialog.window) DestroyWindow(g_dialog.window);
  UnregisterClassW(kClassName, instance);
  g_dialog.closed = true;
  g_dialog.model.reset();

  if (g_dialog.result == 1) {
    codec = g_dialog.values.codec;
    snappy = g_dialog.values.snappy;
    chunk_count = g_dialog.values.chunk_count;
    quality = g_dialog.values.quality;
    frame_mode = g_dialog.values.frame_mode;
  }
  return g_dialog.result;
}

#endif  // _WIN32
