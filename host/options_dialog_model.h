#pragma once
// The options dialog without a window toolkit: the five values it edits, what each control shows
// and enables, what each user event changes, what Ok writes back, and where every control sits
// at a given DPI. The Win32 view (options_dialog_win32.cpp) only mirrors this state into controls.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// The five values of the output options that the dialog edits; numbering as in the options
// record: codec 0 Hap .. 5 Hap R, Snappy switch 1 on, chunk count 1..64, quality 1 Fast,
// 2 Normal, 3 Slow, frame mode 1 several frames at a time, 2 one frame at a time.
struct DialogValues {
  uint32_t codec = 0;
  uint8_t snappy = 1;
  uint32_t chunk_count = 8;
  int32_t quality = 2;
  uint32_t frame_mode = 1;

  bool operator==(const DialogValues&) const = default;
};

// The eleven controls in creation order.
enum class DialogControl {
  CodecLabel,
  CodecList,
  SnappyBox,
  ChunkLabel,
  ChunkField,
  QualityLabel,
  QualityName,
  QualitySlider,
  FrameModeBox,
  OkButton,
  CancelButton,
};
inline constexpr int kDialogControlCount = 11;

// Command identifiers the controls report with (the three labels share 1 with Ok; static
// controls send no commands, so the window procedure never confuses them).
enum DialogControlId : int {
  kIdOk = 1,
  kIdCancel = 2,
  kIdSnappyBox = 3,
  kIdChunkField = 6,
  kIdCodecList = 7,
  kIdFrameModeBox = 11,
  kIdQualitySlider = 13,
  kIdQualityName = 14,
};

// How a control is made: its window class, initial text (nullptr for none), command id and the
// kind-specific style bits, as raw Win32 style values so the view needs no translation.
struct DialogControlSpec {
  const char* class_name;
  const char* text;
  int id;
  uint32_t style;
};
const DialogControlSpec& dialog_control_spec(DialogControl control);

inline constexpr const char* kDialogClassName = "DialogClass";
inline constexpr const char* kDialogTitle = "Orvex HAP Video Options 1.7.2.4";
// The codec list shows the dialog_label of every entry of kHapVariants; the index is the codec.
// "Fast", "Normal" or "Slow"; any quality other than 1 or 3 reads "Normal".
const char* dialog_quality_name(int32_t quality);

// Win32 MulDiv(length, dpi, 96): rounded to nearest, halves away from zero.
int dialog_scale(int length, int dpi);

// DPI used for scaling. `window_query` tells whether the per-window DPI query exists and a window
// was given (then `window_dpi` is its answer, raised to at least 96); otherwise the device
// context's logical pixels per inch decide: the horizontal value when both are positive, else 96.
int dialog_dpi_choice(bool window_query, unsigned window_dpi, int logpixels_x, int logpixels_y);

struct DialogRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool operator==(const DialogRect&) const = default;
};

// Window size and control rectangles (client coordinates) at `dpi`.
struct DialogLayout {
  int window_width = 0;
  int window_height = 0;
  std::array<DialogRect, kDialogControlCount> controls{};
  const DialogRect& operator[](DialogControl c) const { return controls[static_cast<int>(c)]; }
};
DialogLayout dialog_layout(int dpi);

// Window rectangle at creation: the DPI-scaled size centred on a screen of the given size
// (each half rounded toward zero).
DialogRect dialog_window_rect(int dpi, int screen_width, int screen_height);

// The dialog's state between opening and Ok/Cancel. Construction applies the opening rules to
// the stored values; each event method applies one user action and reports what the view must
// redraw. `accept` is Ok: the values to store, built from the controls' state and the values
// that the controls do not cover.
class OptionsDialogModel {
 public:
  explicit OptionsDialogModel(const DialogValues& stored);

  // What the controls show.
  int codec_selection() const { return codec_selection_; }
  bool codec_was_invalid() const { return codec_was_invalid_; }
  bool snappy_checked() const { return snappy_checked_; }
  const std::string& chunk_text() const { return chunk_text_; }
  bool chunk_field_enabled() const { return snappy_checked_; }
  bool slider_enabled() const { return slider_enabled_; }
  int slider_position() const;
  const char* quality_name() const { return dialog_quality_name(quality_); }
  bool frame_mode_checked() const { return frame_mode_checked_; }

  // Events. `select_codec` takes the list's current selection (-1 for none).
  void select_codec(int selection);
  void toggle_snappy() { snappy_checked_ = !snappy_checked_; }
  void toggle_frame_mode() { frame_mode_checked_ = !frame_mode_checked_; }
  // The field's text changed (typing, pasting, or a programmatic set). Returns true when the
  // model corrected the text, which the view then writes back into the field.
  bool chunk_text_changed(std::string_view text);
  // The field lost the keyboard focus; same contract as chunk_text_changed.
  bool chunk_focus_lost();
  // The slider reports its position.
  void slider_moved(int position);

  DialogValues accept() const;

 private:
  DialogValues stored_;
  int codec_selection_ = 0;
  bool codec_was_invalid_ = false;
  bool snappy_checked_ = false;
  std::string chunk_text_;
  bool slider_enabled_ = false;
  int32_t quality_ = 2;
  bool frame_mode_checked_ = true;
};

// The chunk field's text as a number: digits only (surrounding spaces allowed), saturating far
// above 64 so that a very long number still reads as "too many". Returns -1 for no number.
long long dialog_parse_chunk_text(std::string_view text);
