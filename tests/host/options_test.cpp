// The options record: as plain bytes (defaults, copy, description, accepted depths, the render
// job's settings) and through the host's callbacks (the live record and its flat copy in the
// host's handles, the description fields, the depth flags and fix-up, and every failure of the
// host's memory operations, each printing its line and leaving no handle locked or leaked).
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "host/options_record.h"
#include "host/render_settings.h"
#include "tests/host/host_test_support.h"

namespace {

using orvex_host::OutputOptions;
using orvex_sim::Host;
using orvex_sim::RenderTarget;
using orvex_test::StdoutCapture;

const std::vector<uint8_t> kDefaults = {'Q', 'X', 'V', '!', 0, 0, 0, 0,  // magic, live, padding
                                        0,   0,   0,   0,                // codec Hap
                                        1,   1,   1,   0,  // reserved, reserved, Snappy on, padding
                                        8,   0,   0,   0,  // 8 chunks
                                        2,   0,   0,   0,  // Normal
                                        0,   0,   0,   0,  // frame mode 0
                                        0,   0,   0,   0,   0, 0, 0, 0, 0, 0,
                                        0,   0,   0,   0,   0, 0, 0, 0, 0, 0};

std::vector<uint8_t> bytes_of(const OutputOptions& record) {
  const auto* p = reinterpret_cast<const uint8_t*>(&record);
  return {p, p + sizeof record};
}

OutputOptions defaults() {
  OutputOptions record;
  std::memset(&record, 0xEE, sizeof record);  // every byte must be written
  orvex_host::options_set_defaults(record);
  return record;
}

template <class T, class V>
OutputOptions with(T OutputOptions::*field, V value) {
  OutputOptions record = defaults();
  record.*field = static_cast<T>(value);
  return record;
}

void set_le32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = uint8_t(value >> (8 * i));
}

TEST(OptionsRecord, DefaultsAndCopy) {
  EXPECT_EQ(bytes_of(defaults()), kDefaults);

  // A copy takes every field but the magic and the padding.
  OutputOptions source;
  for (size_t i = 0; i < sizeof source; ++i)
    reinterpret_cast<uint8_t*>(&source)[i] = uint8_t(0x80 + i);
  std::memcpy(source.magic, "QXV!", 4);
  OutputOptions destination = defaults();
  std::memcpy(destination.magic, "abcd", 4);
  ASSERT_TRUE(orvex_host::options_copy_from(destination, source));
  const auto out = bytes_of(destination), in = bytes_of(source);
  for (size_t i = 0; i < sizeof source; ++i) {
    const bool padding = (i >= 5 && i <= 7) || i == 15 || (i >= 33 && i <= 35);
    const uint8_t want = i < 4 ? "abcd"[i] : padding ? kDefaults[i] : in[i];
    EXPECT_EQ(out[i], want) << "byte " << i;
  }
}

TEST(OptionsRecord, DescriptionExamples) {
  struct Case {
    uint32_t codec, quality;
    uint8_t snappy;
    uint32_t chunks;
    int depth;
    const char* text;
    uint32_t codec_after;
  };
  for (const Case& c : {
           Case{0, 2, 1, 8, 24, "Mov HAP ; Normal ; 8 chunks\n", 0},
           Case{2, 3, 1, 4, 24, "Mov HAPQ ; 4 chunks\n", 2},
           Case{1, 2, 0, 8, 32, "Mov HAPA ; Normal ; No Snappy\n", 1},
           Case{5, 1, 1, 0, 48, "Mov HAP R ; Fast ; No Snappy\n", 5},
           Case{3, 9, 0, 8, 64, "Mov HAPQA ; No Snappy\n", 3},
           Case{4, 2, 1, 64, 24, "Mov HAPAlpha Only ; 64 chunks\n", 4},
           Case{0, 7, 1, 8, 24, "Mov HAP ;  ; 8 chunks\n", 0},
           Case{9, 2, 1, 8, 24, "Invalid codec ; 8 chunks\n", 9},
           Case{6, 2, 1, 8, 64, "Mov HAPA ; Normal ; 8 chunks\n", 1},
           Case{6, 2, 1, 8, 48, "Mov HAP ; Normal ; 8 chunks\n", 0},
           // An unknown depth is described before codec 6 is resolved.
           Case{6, 2, 1, 8, 128, "WIP HAP Mov encoder, Depth inconnue", 6},
           Case{0, 2, 1, 8, 0, "WIP HAP Mov encoder, Depth inconnue", 0},
       }) {
    OutputOptions record = defaults();
    record.codec = c.codec;
    record.quality = c.quality;
    record.snappy = c.snappy;
    record.chunk_count = c.chunks;
    EXPECT_EQ(orvex_host::options_describe(record, c.depth), c.text);
    EXPECT_EQ(record.codec, c.codec_after) << c.text;
  }
}

TEST(OptionsRecord, SupportedDepthsFollowTheCodecsAlpha) {
  const std::pair<int, const char*> bits[] = {{6, "24"}, {7, "32"}, {11, "48"}, {12, "64"}};
  const std::pair<uint32_t, std::string> cases[] = {{0, "24,48"}, {1, "32,64"}, {2, "24,48"},
                                                    {3, "32,64"}, {4, "24,48"}, {5, "24,32,48,64"},
                                                    {9, "24,48"}};
  for (const auto& [codec, expected] : cases) {
    int32_t flags = orvex_host::options_supported_depths(with(&OutputOptions::codec, codec));
    std::string depths;
    for (const auto& [bit, name] : bits) {
      if (flags & (1 << bit)) depths += std::string(depths.empty() ? "" : ",") + name;
      flags &= ~(1 << bit);
    }
    EXPECT_EQ(depths, expected) << "codec " << codec;
    EXPECT_EQ(flags, 0) << "codec " << codec;
  }
}

TEST(RenderSettings, RecordReachesTheJobArguments) {
  auto settings = [](const OutputOptions& r) { return orvex_host::render_settings_from(r); };
  // The known codecs, Snappy off and a chunk count of 0 show in the movies of the render tests.
  EXPECT_EQ(settings(with(&OutputOptions::codec, 9)).job_codec, 1) << "unknown codecs give Hap";
  EXPECT_EQ(settings(with(&OutputOptions::chunk_count, 0x10003)).chunk_count, 3) << "low 16 bits";
  // Only frame mode 2 encodes one frame at a time (job mode 1).
  EXPECT_EQ(settings(with(&OutputOptions::frame_mode, 2)).encoding_mode, 1u);
  EXPECT_NE(settings(with(&OutputOptions::frame_mode, 0)).encoding_mode, 1u);
  EXPECT_NE(settings(with(&OutputOptions::frame_mode, 1)).encoding_mode, 1u);
  EXPECT_EQ(settings(with(&OutputOptions::quality, 0)).quality, 1);
  EXPECT_EQ(settings(with(&OutputOptions::quality, 5)).quality, 3);
  EXPECT_EQ(settings(with(&OutputOptions::quality, 3)).quality, 3);
  EXPECT_EQ(orvex_host::sample_description_depth(48), 24);
  EXPECT_EQ(orvex_host::sample_description_depth(64), 32);
  EXPECT_EQ(orvex_host::sample_description_depth(24), 24);
}

class OptionsCallbacks : public orvex_test::HostTest {
 protected:
  AEIO_Handle flatten(RenderTarget* target, A_Err expected = 0) {
    AEIO_Handle flat = nullptr;
    EXPECT_EQ(fb().AEIO_GetFlatOutputOptions(basic(), Host::handle_of(target), &flat), expected);
    return flat;
  }
  std::string describe(RenderTarget* target, A_Err expected = 0) {
    AEIO_Verbiage verbiage;
    std::memset(&verbiage, 'x', sizeof verbiage);
    verbiage.sub_type[sizeof verbiage.sub_type - 1] = 0;
    EXPECT_EQ(fb().AEIO_GetOutputInfo(basic(), Host::handle_of(target), &verbiage), expected);
    if (expected == 0) {
      EXPECT_STREQ(verbiage.name, "filename");
      EXPECT_STREQ(verbiage.type, "Orvex HAP Mov files");
    }
    return verbiage.sub_type;
  }
  A_Err init(RenderTarget* target) {
    A_Boolean user_interacted = 1;
    const A_Err err = fb().AEIO_InitOutputSpec(basic(), Host::handle_of(target), &user_interacted);
    EXPECT_EQ(user_interacted, 0);
    return err;
  }
};

TEST_F(OptionsCallbacks, FlatCopyDiffersOnlyInItsMarkerAndInflatesBackToLive) {
  RenderTarget* target = initialised_target();
  EXPECT_EQ(host().block(target->options)->name, "Output Options");
  std::vector<uint8_t>& live = record_bytes(target);
  EXPECT_EQ(live, kDefaults);
  EXPECT_EQ(host().live_handles(), 1u);
  set_le32(live, 8, 3);    // Hap Q Alpha
  live[14] = 0;            // Snappy off
  set_le32(live, 16, 17);  // chunks
  set_le32(live, 20, 3);
  set_le32(live, 24, 2);
  set_le32(live, 44, 0xA5A5A5A5);  // reserved words travel too

  AEIO_Handle flat = flatten(target);
  ASSERT_NE(flat, nullptr);
  EXPECT_EQ(host().block(flat)->name, "Flat Options KVR");
  std::vector<uint8_t> expected = live;
  expected[4] = 1;
  EXPECT_EQ(host().block(flat)->bytes, expected);

  // A project opened again: the flat copy is the previous handle of a new target.
  RenderTarget* reopened = host().new_target();
  reopened->options = flat;
  EXPECT_EQ(init(reopened), 0);
  EXPECT_EQ(host().block(flat), nullptr) << "the previous handle is freed";
  EXPECT_EQ(host().block(reopened->options)->name, "Output Options");
  EXPECT_EQ(record_bytes(reopened), live);

  EXPECT_EQ(fb().AEIO_DisposeOutputOptions(basic(), target->options), 0);
  EXPECT_EQ(fb().AEIO_DisposeOutputOptions(basic(), reopened->options), 0);
  EXPECT_EQ(fb().AEIO_DisposeOutputOptions(basic(), nullptr), 0);
  EXPECT_EQ(host().live_handles(), 0u);
}

TEST_F(OptionsCallbacks, ForeignPreviousRecordIsNotInherited) {
  RenderTarget* target = host().new_target();
  target->options = host().new_handle("foreign", 48);
  host().block(target->options)->bytes.assign(48, 0x33);
  StdoutCapture capture;
  EXPECT_EQ(init(target), 0);
  EXPECT_EQ(capture.finish(), "ERR Not KVR Options\n");
  EXPECT_EQ(record_bytes(target), kDefaults);
  EXPECT_EQ(host().live_handles(), 1u);
}

TEST_F(OptionsCallbacks, FlatCopyFailuresPrintTheirLineAndLeaveNothingBehind) {
  struct Case {
    const char* line;
    std::function<void(orvex_sim::HostFaults&, orvex_sim::TargetValues&)> fault;
    A_Err result;
  };
  const std::vector<Case> cases = {
      {"no optionsH", [](auto&, auto& v) { v.options_get_err = 21; }, 21},
      {"fail lockMem", [](auto& f, auto&) { f.lock["Output Options"] = 22; }, 22},
      {"fail newMem", [](auto& f, auto&) { f.new_handle["Flat Options KVR"] = 23; }, 23},
      {"fail LockMem", [](auto& f, auto&) { f.lock["Flat Options KVR"] = 24; }, 24},
      {"fail unLockMem", [](auto& f, auto&) { f.unlock["Flat Options KVR"] = 25; }, 25},
  };
  for (const Case& c : cases) {
    RenderTarget* target = initialised_target();
    c.fault(host().faults, target->values);
    StdoutCapture capture;
    EXPECT_EQ(flatten(target, c.result), nullptr) << c.line;
    EXPECT_EQ(capture.finish(), "ERR: GetFlatOutputOptions " + std::string(c.line) + "\n");
    host().faults = {};
    EXPECT_EQ(host().live_handles_named("Flat Options KVR"), 0u) << c.line;
    // The unlock fault leaves the flat handle's lock count behind in the host: clear it.
    fb().AEIO_DisposeOutputOptions(basic(), target->options);
    target->options = nullptr;
    EXPECT_EQ(host().locked_handles(), 0u) << c.line;
  }
  // A target without options has nothing to flatten.
  StdoutCapture capture;
  EXPECT_EQ(flatten(host().new_target(), 0), nullptr);
  EXPECT_EQ(capture.finish(), "ERR: GetFlatOutputOptions no optionsH\n");
}

TEST_F(OptionsCallbacks, OutputInfoAndDepthFlags) {
  RenderTarget* target = initialised_target({.depth = 48});
  AEIO_SupportedDepthFlags flags = -1;
  EXPECT_EQ(fb().AEIO_GetDepths(basic(), Host::handle_of(target), &flags), 0);
  EXPECT_EQ(flags, 2112) << "24 and 48 bits for Hap";
  set_le32(record_bytes(target), 8, 6);  // an older record's "Hap or Hap Alpha"
  EXPECT_EQ(describe(target), "Mov HAP ; Normal ; 8 chunks\n");
  EXPECT_EQ(record_bytes(target)[8], 0) << "codec 6 is rewritten in the host's record";

  target->values.depth_err = 5;  // depth unknown: treated as 0
  EXPECT_EQ(describe(target), "WIP HAP Mov encoder, Depth inconnue");
  RenderTarget* none = host().new_target();
  EXPECT_EQ(describe(none), "Error");
  flags = 12345;
  EXPECT_EQ(fb().AEIO_GetDepths(basic(), Host::handle_of(none), &flags), 0);
  EXPECT_EQ(flags, 12345) << "left as the host gave it";
  host().faults.lock["Output Options"] = 31;
  EXPECT_EQ(describe(target, 31), "Error");
  host().faults = {};
  target->values.options_get_err = 32;
  EXPECT_EQ(describe(target, 32), std::string(255, 'x')) << "fields untouched";
}

TEST_F(OptionsCallbacks, OutputInfoChangedFixesUnknownDepths) {
  struct Case {
    A_short depth;
    A_Boolean missing;
    A_short after;
  };
  for (const Case& c :
       {Case{128, 0, 32}, Case{128, 1, 128}, Case{16, 0, 32}, Case{48, 0, 48}, Case{64, 0, 64}}) {
    RenderTarget* target = initialised_target({.depth = c.depth, .missing = c.missing});
    AEIO_Handle options = target->options;
    EXPECT_EQ(fb().AEIO_OutputInfoChanged(basic(), Host::handle_of(target)), 0);
    EXPECT_EQ(target->values.depth, c.after) << c.depth << " missing " << int(c.missing);
    EXPECT_EQ(target->options, options);
    EXPECT_NE(host().block(options), nullptr) << "the record is installed again, not freed";
  }
  // Host errors are returned; the record is never left locked.
  RenderTarget* target = initialised_target({.depth = 128});
  target->values.missing_err = 51;
  EXPECT_EQ(fb().AEIO_OutputInfoChanged(basic(), Host::handle_of(target)), 51);
  target->values.missing_err = 0;
  target->values.set_depth_err = 52;
  EXPECT_EQ(fb().AEIO_OutputInfoChanged(basic(), Host::handle_of(target)), 52);
  EXPECT_EQ(host().locked_handles(), 0u);
}

TEST_F(OptionsCallbacks, MissingSuitesGiveHostError516) {
  RenderTarget* target = initialised_target();
  host().faults.missing_suites = {kAEGPMemorySuite};
  A_Boolean flag = 0;
  AEIO_Handle flat = nullptr;
  AEIO_SupportedDepthFlags depths = 0;
  EXPECT_EQ(fb().AEIO_InitOutputSpec(basic(), Host::handle_of(target), &flag), 516);
  EXPECT_EQ(fb().AEIO_GetFlatOutputOptions(basic(), Host::handle_of(target), &flat), 516);
  EXPECT_EQ(fb().AEIO_GetDepths(basic(), Host::handle_of(target), &depths), 516);
  host().faults.missing_suites = {kAEGPIOOutSuite};
  EXPECT_EQ(fb().AEIO_OutputInfoChanged(basic(), Host::handle_of(target)), 516);
  EXPECT_EQ(host().live_handles(), 1u);
}

}  // namespace
