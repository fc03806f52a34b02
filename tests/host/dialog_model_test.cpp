// The options dialog's rules through its toolkit-independent model: what opening shows, what
// the user's actions change, and what Ok stores.

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <string>

#include "host/options_dialog_model.h"

namespace {

// codec, Snappy switch, chunk count, quality, frame mode as the record stores them.
DialogValues stored(uint32_t codec, uint8_t snappy, uint32_t chunks, int32_t quality,
                    uint32_t frame_mode) {
  return DialogValues{codec, snappy, chunks, quality, frame_mode};
}

// What the controls show, in one line.
std::string shown(const OptionsDialogModel& m) {
  return "codec " + std::to_string(m.codec_selection()) + (m.codec_was_invalid() ? "!" : "") +
         (m.snappy_checked() ? " snappy" : "") + (m.chunk_field_enabled() ? " chunks " : " off ") +
         m.chunk_text() + (m.slider_enabled() ? " slider " : " fixed ") +
         std::to_string(m.slider_position()) + " " + m.quality_name() +
         (m.frame_mode_checked() ? " frames" : "");
}

TEST(DialogOpening, ShowsStoredValuesWithFallbacks) {
  const std::pair<DialogValues, const char*> cases[] = {
      {stored(0, 1, 8, 2, 1), "codec 0 snappy chunks 8 slider 2 Normal frames"},
      {stored(1, 1, 0, 1, 1), "codec 1 snappy chunks 8 slider 1 Fast frames"},
      {stored(5, 1, 100, 3, 2), "codec 5 snappy chunks 8 slider 3 Slow"},
      {stored(2, 1, 64, 0, 0), "codec 2 snappy chunks 64 fixed 2 Normal frames"},
      {stored(0, 0, 1, 7, 1), "codec 0 off 1 slider 2 Normal frames"},
      {stored(0, 2, 8, 2, 1), "codec 0 off 8 slider 2 Normal frames"},  // only 1 means on
      // An unknown codec falls back to "HAP"; the slider follows the stored codec.
      {stored(6, 1, 8, 2, 1), "codec 0! snappy chunks 8 fixed 2 Normal frames"},
  };
  for (const auto& [values, text] : cases) EXPECT_EQ(shown(OptionsDialogModel(values)), text);
}

TEST(DialogOk, StoresWhatTheControlsSay) {
  const struct {
    DialogValues in;
    std::function<void(OptionsDialogModel&)> actions;
    DialogValues out;
  } cases[] = {
      {stored(0, 1, 8, 0, 1), [](auto&) {}, stored(0, 1, 8, 0, 1)},  // quality 0 kept
      {stored(6, 1, 8, 2, 0), [](auto&) {}, stored(0, 1, 8, 2, 1)},  // codec 6, frame mode 0
      {stored(0, 1, 100, 2, 1), [](auto&) {}, stored(0, 1, 8, 2, 1)},
      {stored(0, 0, 100, 2, 1), [](auto&) {}, stored(0, 0, 100, 2, 1)},
      {stored(1, 1, 12, 2, 1), [](auto& m) { m.chunk_text_changed("30"), m.toggle_snappy(); },
       stored(1, 0, 12, 2, 1)},
      {stored(1, 0, 100, 2, 1), [](auto& m) { m.toggle_snappy(), m.chunk_text_changed("16"); },
       stored(1, 1, 16, 2, 1)},
      {stored(0, 1, 8, 2, 1), [](auto& m) { m.chunk_text_changed(""); }, stored(0, 1, 1, 2, 1)},
      {stored(0, 1, 8, 2, 1), [](auto& m) { m.chunk_text_changed(std::string(23, '9')); },
       stored(0, 1, 64, 2, 1)},
      {stored(0, 1, 8, 0, 1), [](auto& m) { m.slider_moved(3), m.slider_moved(1); },
       stored(0, 1, 8, 1, 1)},
      {stored(0, 1, 8, 3, 1), [](auto& m) { m.slider_moved(9); }, stored(0, 1, 8, 2, 1)},
      // Codecs without a quality disable the slider but keep its value.
      {stored(0, 1, 8, 3, 1), [](auto& m) { m.select_codec(3), m.toggle_frame_mode(); },
       stored(3, 1, 8, 3, 2)},
      {stored(5, 1, 8, 2, 2), [](auto& m) { m.select_codec(-1); }, stored(0, 1, 8, 2, 2)},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    OptionsDialogModel m(cases[i].in);
    cases[i].actions(m);
    EXPECT_EQ(m.accept(), cases[i].out) << "case " << i;
  }
}

TEST(DialogChunkField, CorrectsWhileTypingAndRepairsWhenLeft) {
  OptionsDialogModel m(stored(0, 1, 8, 2, 1));
  // Each step: the text the field now holds, whether the model corrects it, and to what.
  const struct {
    const char* typed;
    bool corrected;
    const char* shown;
  } steps[] = {{"20", false, "20"}, {"200", true, "64"},   {"", false, ""},
               {"00", true, "1"},   {"abc", false, "abc"}, {"65", true, "64"}};
  for (const auto& s : steps) {
    EXPECT_EQ(m.chunk_text_changed(s.typed), s.corrected) << s.typed;
    EXPECT_EQ(m.chunk_text(), s.shown) << s.typed;
  }
  for (const auto& [text, corrected, after] :
       {std::tuple{"", true, "1"}, {"x", true, "1"}, {" 9 ", false, " 9 "}}) {
    m.chunk_text_changed(text);
    EXPECT_EQ(m.chunk_focus_lost(), corrected) << text;
    EXPECT_EQ(m.chunk_text(), after) << text;
  }
}

}  // namespace
