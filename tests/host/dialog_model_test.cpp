// The options dialog's rules through its toolkit-independent model: what opening shows, what
// the user's actions change, and what Ok stores.

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "host/options_dialog_model.h"

namespace {

DialogValues stored(uint32_t codec, uint8_t snappy, uint32_t chunks, int32_t quality,
                    uint32_t frame_mode) {
  return DialogValues{codec, snappy, chunks, quality, frame_mode};
}

struct OpeningCase {
  const char* name;
  DialogValues in;
  int selection;
  bool invalid_codec;
  const char* chunk_text;
  bool snappy_checked;
  bool slider_enabled;
  int slider_position;
  const char* quality_name;
  bool frame_mode_checked;
};

void PrintTo(const OpeningCase& c, std::ostream* os) {
  *os << c.name;
}

class DialogOpening : public testing::TestWithParam<OpeningCase> {};

TEST_P(DialogOpening, ShowsStoredValuesWithFallbacks) {
  const OpeningCase& c = GetParam();
  const OptionsDialogModel m(c.in);
  EXPECT_EQ(m.codec_selection(), c.selection);
  EXPECT_EQ(m.codec_was_invalid(), c.invalid_codec);
  EXPECT_EQ(m.chunk_text(), c.chunk_text);
  EXPECT_EQ(m.snappy_checked(), c.snappy_checked);
  EXPECT_EQ(m.chunk_field_enabled(), c.snappy_checked);
  EXPECT_EQ(m.slider_enabled(), c.slider_enabled);
  EXPECT_EQ(m.slider_position(), c.slider_position);
  EXPECT_STREQ(m.quality_name(), c.quality_name);
  EXPECT_EQ(m.frame_mode_checked(), c.frame_mode_checked);
}

INSTANTIATE_TEST_SUITE_P(
    Stored, DialogOpening,
    testing::Values(OpeningCase{"Defaults", stored(0, 1, 8, 2, 1), 0, false, "8", true, true, 2,
                                "Normal", true},
                    OpeningCase{"ChunkZeroShowsEight", stored(1, 1, 0, 1, 1), 1, false, "8", true,
                                true, 1, "Fast", true},
                    OpeningCase{"ChunkHundredShowsEight", stored(5, 1, 100, 3, 2), 5, false, "8",
                                true, true, 3, "Slow", false},
                    OpeningCase{"ChunkLimitsKept", stored(2, 1, 64, 2, 1), 2, false, "64", true,
                                false, 2, "Normal", true},
                    OpeningCase{"QualityZeroShowsNormal", stored(0, 1, 1, 0, 1), 0, false, "1",
                                true, true, 2, "Normal", true},
                    OpeningCase{"QualityOutOfRange", stored(4, 1, 8, 7, 1), 4, false, "8", true,
                                false, 2, "Normal", true},
                    OpeningCase{"FrameModeZeroChecked", stored(3, 1, 8, 2, 0), 3, false, "8", true,
                                false, 2, "Normal", true},
                    OpeningCase{"SnappyOffDisablesChunks", stored(0, 0, 8, 2, 1), 0, false, "8",
                                false, true, 2, "Normal", true},
                    OpeningCase{"SnappyOnlyOneMeansOn", stored(0, 2, 8, 2, 1), 0, false, "8", false,
                                true, 2, "Normal", true},
                    // An unknown codec falls back to "HAP", and the slider follows the item shown.
                    OpeningCase{"CodecSixShowsHap", stored(6, 1, 8, 2, 1), 0, true, "8", true, true,
                                2, "Normal", true},
                    OpeningCase{"CodecHugeShowsHap", stored(0xFFFFFFFFu, 1, 8, 2, 1), 0, true, "8",
                                true, true, 2, "Normal", true}),
    [](const testing::TestParamInfo<OpeningCase>& info) { return info.param.name; });

// One user session: stored values, a list of actions on the model, the values Ok stores.
struct OkCase {
  const char* name;
  DialogValues in;
  std::function<void(OptionsDialogModel&)> actions;
  DialogValues out;
};

void PrintTo(const OkCase& c, std::ostream* os) {
  *os << c.name;
}

class DialogOk : public testing::TestWithParam<OkCase> {};

TEST_P(DialogOk, StoresWhatTheControlsSay) {
  const OkCase& c = GetParam();
  OptionsDialogModel m(c.in);
  c.actions(m);
  EXPECT_EQ(m.accept(), c.out);
}

void nothing(OptionsDialogModel&) {}

INSTANTIATE_TEST_SUITE_P(
    Sessions, DialogOk,
    testing::Values(
        OkCase{"UntouchedKeepsValidValues", stored(4, 1, 12, 3, 2), nothing,
               stored(4, 1, 12, 3, 2)},
        OkCase{"UntouchedQualityZeroStaysZero", stored(0, 1, 8, 0, 1), nothing,
               stored(0, 1, 8, 0, 1)},
        OkCase{"CodecSixStoresHap", stored(6, 1, 8, 2, 1), nothing, stored(0, 1, 8, 2, 1)},
        OkCase{"FrameModeZeroStoresOne", stored(0, 1, 8, 2, 0), nothing, stored(0, 1, 8, 2, 1)},
        OkCase{"ShownDefaultChunkCountIsStored", stored(0, 1, 100, 2, 1), nothing,
               stored(0, 1, 8, 2, 1)},
        OkCase{"SnappyOffKeepsStoredChunkCount", stored(0, 0, 100, 2, 1), nothing,
               stored(0, 0, 100, 2, 1)},
        OkCase{"SnappyUncheckedAfterTypingKeepsStoredCount", stored(1, 1, 12, 2, 1),
               [](OptionsDialogModel& m) {
                 m.chunk_text_changed("30");
                 m.toggle_snappy();
               },
               stored(1, 0, 12, 2, 1)},
        OkCase{"SnappyCheckedTakesTheField", stored(1, 0, 100, 2, 1),
               [](OptionsDialogModel& m) {
                 m.toggle_snappy();
                 m.chunk_text_changed("16");
               },
               stored(1, 1, 16, 2, 1)},
        OkCase{"EmptyFieldWithoutLeavingIt", stored(0, 1, 8, 2, 1),
               [](OptionsDialogModel& m) { m.chunk_text_changed(""); }, stored(0, 1, 1, 2, 1)},
        OkCase{"OverlongNumberCapsAt64", stored(0, 1, 8, 2, 1),
               [](OptionsDialogModel& m) { m.chunk_text_changed("99999999999999999999999"); },
               stored(0, 1, 64, 2, 1)},
        OkCase{"SliderMovesSetQuality", stored(0, 1, 8, 0, 1),
               [](OptionsDialogModel& m) {
                 m.slider_moved(3);
                 m.slider_moved(1);
               },
               stored(0, 1, 8, 1, 1)},
        OkCase{"SliderOutsideRangeMeansNormal", stored(0, 1, 8, 3, 1),
               [](OptionsDialogModel& m) { m.slider_moved(9); }, stored(0, 1, 8, 2, 1)},
        OkCase{"SelectionAndBoxes", stored(0, 1, 8, 2, 1),
               [](OptionsDialogModel& m) {
                 m.select_codec(3);
                 m.toggle_frame_mode();
               },
               stored(3, 1, 8, 2, 2)},
        OkCase{"NoSelectionStoresHap", stored(5, 1, 8, 2, 2),
               [](OptionsDialogModel& m) {
                 m.select_codec(-1);
                 m.toggle_frame_mode();
                 m.toggle_frame_mode();
               },
               stored(0, 1, 8, 2, 2)}),
    [](const testing::TestParamInfo<OkCase>& info) { return info.param.name; });

TEST(DialogChunkField, CorrectsWhileTypingButLetsTextBeEdited) {
  OptionsDialogModel m(stored(0, 1, 8, 2, 1));
  // Each step: the text the field now holds, whether the model corrects it, and to what.
  const struct {
    const char* typed;
    bool corrected;
    const char* shown;
  } steps[] = {{"2", false, "2"},     {"20", false, "20"}, {"200", true, "64"},
               {"", false, ""},       {"0", true, "1"},    {"00", true, "1"},
               {"abc", false, "abc"}, {"65", true, "64"},  {"64", false, "64"}};
  for (const auto& s : steps) {
    SCOPED_TRACE(s.typed);
    EXPECT_EQ(m.chunk_text_changed(s.typed), s.corrected);
    EXPECT_EQ(m.chunk_text(), s.shown);
  }
}

TEST(DialogChunkField, LeavingTheFieldRepairsIt) {
  const struct {
    const char* text;
    bool corrected;
    const char* shown;
  } cases[] = {{"", true, "1"}, {"x", true, "1"}, {"7", false, "7"}, {" 9 ", false, " 9 "}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    OptionsDialogModel m(stored(0, 1, 8, 2, 1));
    m.chunk_text_changed(c.text);
    EXPECT_EQ(m.chunk_focus_lost(), c.corrected);
    EXPECT_EQ(m.chunk_text(), c.shown);
  }
}

TEST(DialogChunkField, ParsesDigitsOnly) {
  EXPECT_EQ(dialog_parse_chunk_text(""), -1);
  EXPECT_EQ(dialog_parse_chunk_text("   "), -1);
  EXPECT_EQ(dialog_parse_chunk_text("-3"), -1);
  EXPECT_EQ(dialog_parse_chunk_text("1a"), -1);
  EXPECT_EQ(dialog_parse_chunk_text("007"), 7);
  EXPECT_EQ(dialog_parse_chunk_text(" 12 "), 12);
  EXPECT_GT(dialog_parse_chunk_text(std::string(40, '9')), 64);
}

TEST(DialogCodecList, SliderFollowsTheSelection) {
  OptionsDialogModel m(stored(0, 1, 8, 3, 1));
  std::vector<int> enabled;
  for (int sel : {2, 5, 3, 1, 4, 0, -1, 6}) {
    m.select_codec(sel);
    if (m.slider_enabled()) enabled.push_back(sel);
  }
  EXPECT_EQ(enabled, (std::vector<int>{5, 1, 0}));
  // Disabling the slider does not forget its quality.
  EXPECT_EQ(m.slider_position(), 3);
  EXPECT_STREQ(m.quality_name(), "Slow");
}

}  // namespace
