// Rules of the options dialog, independent of any window toolkit.

#include "host/options_dialog_model.h"

#include "host/options_record.h"

namespace {

// Win32 style bits used by the controls (values of the platform headers, kept here so that this
// file builds everywhere).
constexpr uint32_t kComboDropDownList = 0x0003;  // CBS_DROPDOWNLIST
constexpr uint32_t kButtonCheckBox = 0x0002;     // BS_CHECKBOX: the procedure sets the mark
constexpr uint32_t kButtonPush = 0x0000;         // BS_PUSHBUTTON
// WS_BORDER | ES_NUMBER | ES_AUTOHSCROLL: the field is narrower than two digits of the dialog's
// font, and without horizontal scrolling the edit control refuses every character that does not
// fit, so that no count above 9 could be typed.
constexpr uint32_t kEditBorderDigits = 0x00800000 | 0x2000 | 0x0080;
constexpr uint32_t kTrackbarAutoTicks = 0x0001;  // TBS_AUTOTICKS

// Indexed by DialogControl.
constexpr DialogControlSpec kControls[kDialogControlCount] = {
    {"Static", "Codec", 1, 0},
    {"Combobox", nullptr, kIdCodecList, kComboDropDownList},
    {"button", "Use snappy compression", kIdSnappyBox, kButtonCheckBox},
    {"Static", "Chunk count", 1, 0},
    {"Edit", nullptr, kIdChunkField, kEditBorderDigits},
    {"Static", "Speed/Quality", 1, 0},
    {"Static", "", kIdQualityName, 0},
    {"msctls_trackbar32", "QualityControl", kIdQualitySlider, kTrackbarAutoTicks},
    {"button", "Encode multiple frames simultaneously", kIdFrameModeBox, kButtonCheckBox},
    {"button", "Ok", kIdOk, kButtonPush},
    {"button", "Cancel", kIdCancel, kButtonPush},
};

constexpr int kDefaultChunkCount = 8;
constexpr int kMaxChunkCount = 64;

// The codec list holds the variants in codec order; -1 (no selection) names none.
const HapVariant* listed_variant(int selection) {
  return selection < 0 ? nullptr : orvex_host::options_variant(static_cast<uint32_t>(selection));
}

// The speed/quality slider applies to the codecs whose encoders have quality levels.
bool codec_has_quality(int selection) {
  const HapVariant* variant = listed_variant(selection);
  return variant && hap_variant_has_quality(*variant);
}

bool valid_quality(int32_t q) {
  return q >= 1 && q <= 3;
}

}  // namespace

const DialogControlSpec& dialog_control_spec(DialogControl control) {
  return kControls[static_cast<int>(control)];
}

const char* dialog_quality_name(int32_t quality) {
  if (quality == 1) return "Fast";
  if (quality == 3) return "Slow";
  return "Normal";
}

int dialog_scale(int length, int dpi) {
  const long long product = static_cast<long long>(length) * dpi;
  const long long half = product >= 0 ? 48 : -48;
  return static_cast<int>((product + half) / 96);
}

int dialog_dpi_choice(bool window_query, unsigned window_dpi, int logpixels_x, int logpixels_y) {
  if (window_query) return window_dpi < 96 ? 96 : static_cast<int>(window_dpi);
  return logpixels_x > 0 && logpixels_y > 0 ? logpixels_x : 96;
}

DialogLayout dialog_layout(int dpi) {
  const auto s = [dpi](int length) { return dialog_scale(length, dpi); };
  DialogLayout layout;
  layout.window_width = s(380);
  layout.window_height = s(330);

  // Rows are sums of separately scaled steps so that every gap rounds the same way at any DPI.
  const int codec_row = s(20);
  const int snappy_row = codec_row + s(25);
  const int chunk_row = snappy_row + s(30);
  const int quality_row = chunk_row + s(30);
  const int frame_mode_row = quality_row + s(25);
  const int button_row = frame_mode_row + s(40) + s(25) + s(50);

  const auto place = [&](DialogControl c, int x, int y, int w, int h) {
    layout.controls[static_cast<int>(c)] = {s(x), y, s(w), s(h)};
  };
  place(DialogControl::CodecLabel, 20, codec_row, 200, 25);
  place(DialogControl::CodecList, 240, codec_row, 100, 25);
  place(DialogControl::SnappyBox, 20, snappy_row, 185, 25);
  place(DialogControl::ChunkLabel, 20, chunk_row, 200, 25);
  place(DialogControl::ChunkField, 240, chunk_row, 20, 20);
  place(DialogControl::QualityLabel, 20, quality_row, 200, 25);
  place(DialogControl::QualityName, 250, quality_row, 80, 25);
  place(DialogControl::QualitySlider, 100, quality_row, 150, 25);
  place(DialogControl::FrameModeBox, 20, frame_mode_row, 250, 25);
  place(DialogControl::OkButton, 170, button_row, 80, 25);
  place(DialogControl::CancelButton, 80, button_row, 80, 25);
  return layout;
}

DialogRect dialog_window_rect(int dpi, int screen_width, int screen_height) {
  const int w = dialog_scale(380, dpi);
  const int h = dialog_scale(330, dpi);
  return {screen_width / 2 - w / 2, screen_height / 2 - h / 2, w, h};
}

long long dialog_parse_chunk_text(std::string_view text) {
  size_t begin = 0, end = text.size();
  while (begin < end && text[begin] == ' ') ++begin;
  while (end > begin && text[end - 1] == ' ') --end;
  if (begin == end) return -1;
  long long value = 0;
  for (size_t i = begin; i < end; ++i) {
    if (text[i] < '0' || text[i] > '9') return -1;
    // Saturate: anything with more digits than this is far above the largest chunk count.
    if (value < 1000000) value = value * 10 + (text[i] - '0');
  }
  return value;
}

OptionsDialogModel::OptionsDialogModel(const DialogValues& stored) : stored_(stored) {
  codec_was_invalid_ = orvex_host::options_variant(stored.codec) == nullptr;
  codec_selection_ = codec_was_invalid_ ? 0 : static_cast<int>(stored.codec);

  const bool chunk_valid = stored.chunk_count >= 1 && stored.chunk_count <= kMaxChunkCount;
  chunk_text_ = std::to_string(chunk_valid ? stored.chunk_count : kDefaultChunkCount);
  snappy_checked_ = stored.snappy == 1;

  // Follows the stored codec: one outside the list is shown as "HAP" with the slider disabled.
  slider_enabled_ = !codec_was_invalid_ && codec_has_quality(codec_selection_);
  quality_ = stored.quality;
  frame_mode_checked_ = stored.frame_mode != 2;
}

int OptionsDialogModel::slider_position() const {
  return valid_quality(quality_) ? quality_ : 2;
}

void OptionsDialogModel::select_codec(int selection) {
  codec_selection_ = selection;
  slider_enabled_ = codec_has_quality(selection);
}

bool OptionsDialogModel::chunk_text_changed(std::string_view text) {
  chunk_text_ = std::string(text);
  const long long n = dialog_parse_chunk_text(text);
  if (n != 0 && n <= kMaxChunkCount) return false;  // valid, or being edited (empty, not a number)
  chunk_text_ = std::to_string(n == 0 ? 1 : kMaxChunkCount);
  return true;
}

bool OptionsDialogModel::chunk_focus_lost() {
  const long long n = dialog_parse_chunk_text(chunk_text_);
  if (n >= 1 && n <= kMaxChunkCount) return false;
  chunk_text_ = std::to_string(n < 1 ? 1 : kMaxChunkCount);
  return true;
}

void OptionsDialogModel::slider_moved(int position) {
  quality_ = valid_quality(position) ? position : 2;
}

DialogValues OptionsDialogModel::accept() const {
  DialogValues out = stored_;
  out.codec = listed_variant(codec_selection_) ? static_cast<uint32_t>(codec_selection_) : 0;
  out.frame_mode = frame_mode_checked_ ? 1 : 2;
  if (snappy_checked_) {
    out.snappy = 1;
    const long long n = dialog_parse_chunk_text(chunk_text_);
    out.chunk_count = n <= 0 ? 1 : n > kMaxChunkCount ? kMaxChunkCount : static_cast<uint32_t>(n);
  } else {
    out.snappy = 0;  // the chunk count keeps its stored value
  }
  out.quality = quality_;
  return out;
}
