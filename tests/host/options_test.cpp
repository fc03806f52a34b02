// The options record: as plain bytes (defaults, copy, description, accepted depths, the render
// job's settings) and through the host's callbacks (the live record and its flat copy in the
// host's handles, the description, the depth flags and fix-up, and failures of the host's memory
// operations, each printing its line and leaving no handle locked or leaked).
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "host/options_record.h"
#include "host/render_settings.h"
#include "tests/host/host_test_support.h"

namespace {

using orvex_host::OutputOptions;
using orvex_sim::RenderTarget;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

const std::vector<uint8_t> kDefaults = {'Q', 'X', 'V', '!', 0, 0, 0, 0,  // magic, live, padding
                                        0,   0,   0,   0,                // codec Hap
                                        1,   1,   1,   0,  // reserved, reserved, Snappy on, padding
                                        8,   0,   0,   0,   2, 0, 0, 0,  // 8 chunks, Normal
                                        0,   0,   0,   0,   0, 0, 0, 0,  // frame mode 0, reserved
                                        0,   0,   0,   0,   0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

std::vector<uint8_t> bytes_of(const OutputOptions& record) {
  const auto* p = reinterpret_cast<const uint8_t*>(&record);
  return {p, p + sizeof record};
}

// The defaults with `codec`, `quality`, `snappy` and `chunks` set.
OutputOptions record(uint32_t codec, uint32_t quality = 2, uint8_t snappy = 1,
                     uint32_t chunks = 8) {
  OutputOptions r;
  std::memset(&r, 0xEE, sizeof r);  // every byte must be written
  orvex_host::options_set_defaults(r);
  r.codec = codec, r.quality = quality, r.snappy = snappy, r.chunk_count = chunks;
  return r;
}

TEST(OptionsRecord, DefaultsAndCopy) {
  EXPECT_EQ(bytes_of(record(0)), kDefaults);

  // A copy takes every field but the magic and the padding.
  OutputOptions source;
  for (size_t i = 0; i < sizeof source; ++i)
    reinterpret_cast<uint8_t*>(&source)[i] = uint8_t(0x80 + i);
  std::memcpy(source.magic, "QXV!", 4);
  OutputOptions destination = record(0);
  ASSERT_TRUE(orvex_host::options_copy_from(destination, source));
  const auto out = bytes_of(destination), in = bytes_of(source);
  for (size_t i = 0; i < sizeof source; ++i) {
    const bool kept = i < 4 || (i >= 5 && i <= 7) || i == 15 || (i >= 33 && i <= 35);
    EXPECT_EQ(out[i], kept ? kDefaults[i] : in[i]) << "byte " << i;
  }
}

TEST(OptionsRecord, DescriptionExamples) {
  struct Case {
    OutputOptions in;
    int depth;
    const char* text;
    uint32_t codec_after;
  };
  for (Case c : {
           Case{record(0), 24, "Mov HAP ; Normal ; 8 chunks\n", 0},
           Case{record(2, 3, 1, 4), 24, "Mov HAPQ ; 4 chunks\n", 2},
           Case{record(1, 2, 0), 32, "Mov HAPA ; Normal ; No Snappy\n", 1},
           Case{record(5, 1, 1, 0), 48, "Mov HAP R ; Fast ; No Snappy\n", 5},
           Case{record(9), 24, "Invalid codec ; 8 chunks\n", 9},
           Case{record(6), 64, "Mov HAPA ; Normal ; 8 chunks\n", 1},
       }) {
    EXPECT_EQ(orvex_host::options_describe(c.in, c.depth), c.text);
    EXPECT_EQ(c.in.codec, c.codec_after) << c.text;
  }
}

TEST(OptionsRecord, DepthsAndJobSettings) {
  // Flag bits 6, 7, 11, 12: depths 24, 32, 48, 64. Only Hap R takes both.
  for (auto [codec, flags] : {std::pair{0u, 2112}, {1u, 4224}, {3u, 4224}, {5u, 6336}, {9u, 2112}})
    EXPECT_EQ(orvex_host::options_supported_depths(record(codec)), flags) << codec;

  const auto settings = [](OutputOptions r) { return orvex_host::render_settings_from(r); };
  EXPECT_EQ(settings(record(4)).job_codec, 0);
  EXPECT_EQ(settings(record(9)).job_codec, 1) << "unknown codecs give Hap";
  EXPECT_EQ(settings(record(0, 2, 0, 8)).chunk_count, 0);
  EXPECT_EQ(settings(record(0, 2, 1, 0)).chunk_count, 1);
  EXPECT_EQ(settings(record(0, 2, 1, 0x10003)).chunk_count, 3) << "low 16 bits";
  EXPECT_EQ(settings(record(0, 0)).quality, 1);
  EXPECT_EQ(settings(record(0, 5)).quality, 3);
  for (uint32_t mode : {0u, 1u, 2u}) {
    OutputOptions r = record(0);
    r.frame_mode = mode;
    EXPECT_EQ(settings(r).encoding_mode == 1, mode == 2) << "only mode 2 is one at a time";
  }
  EXPECT_EQ(orvex_host::sample_description_depth(48), 24);
  EXPECT_EQ(orvex_host::sample_description_depth(64), 32);
}

class OptionsCallbacks : public orvex_test::HostTest {
 protected:
  AEIO_Handle flatten(RenderTarget* target, A_Err expected = 0) {
    AEIO_Handle flat = nullptr;
    EXPECT_EQ(fb().AEIO_GetFlatOutputOptions(basic(), out_spec(target), &flat), expected);
    return flat;
  }
  std::string describe(RenderTarget* target, A_Err expected = 0) {
    AEIO_Verbiage verbiage;
    std::memset(&verbiage, 'x', sizeof verbiage);
    verbiage.sub_type[sizeof verbiage.sub_type - 1] = 0;
    EXPECT_EQ(fb().AEIO_GetOutputInfo(basic(), out_spec(target), &verbiage), expected);
    if (expected == 0) {
      EXPECT_STREQ(verbiage.name, "filename");
      EXPECT_STREQ(verbiage.type, "Orvex HAP Mov files");
    }
    return verbiage.sub_type;
  }
  A_Err init(RenderTarget* target) {
    A_Boolean user_interacted = 1;
    return fb().AEIO_InitOutputSpec(basic(), out_spec(target), &user_interacted);
  }
};

TEST_F(OptionsCallbacks, FlatCopyDiffersOnlyInItsMarkerAndInflatesBackToLive) {
  RenderTarget* target = initialised_target();
  EXPECT_EQ(host().block(target->options)->name, "Output Options");
  std::vector<uint8_t>& live = record_bytes(target);
  EXPECT_EQ(live, kDefaults);
  for (size_t i = 8; i < 48; ++i)  // every field travels; the padding keeps its zeros
    if (i != 15 && (i < 33 || i > 35)) live[i] = uint8_t(i);

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

  for (AEIO_Handle h : {target->options, reopened->options, AEIO_Handle{}})
    EXPECT_EQ(fb().AEIO_DisposeOutputOptions(basic(), h), 0);
  EXPECT_EQ(host().live_handles(), 0u);

  // A previous record that is not ours is not inherited.
  RenderTarget* foreign = host().new_target();
  foreign->options = host().new_handle("foreign", 48);
  host().block(foreign->options)->bytes.assign(48, 0x33);
  CaptureStdout();
  EXPECT_EQ(init(foreign), 0);
  EXPECT_EQ(GetCapturedStdout(), "ERR Not KVR Options\n");
  EXPECT_EQ(record_bytes(foreign), kDefaults);
  EXPECT_EQ(host().live_handles(), 1u);
}

TEST_F(OptionsCallbacks, HostFailuresPrintTheirLineAndLeaveNothingBehind) {
  const struct {
    const char* line;
    std::function<void(orvex_sim::HostFaults&, orvex_sim::TargetValues&)> fault;
    A_Err result;
  } cases[] = {
      {"no optionsH", [](auto&, auto& v) { v.options_get_err = 21; }, 21},
      {"fail newMem", [](auto& f, auto&) { f.new_handle["Flat Options KVR"] = 23; }, 23},
      {"fail unLockMem", [](auto& f, auto&) { f.unlock["Flat Options KVR"] = 25; }, 25},
  };
  for (const auto& c : cases) {
    RenderTarget* target = initialised_target();
    c.fault(host().faults, target->values);
    CaptureStdout();
    EXPECT_EQ(flatten(target, c.result), nullptr) << c.line;
    EXPECT_EQ(GetCapturedStdout(), "ERR: GetFlatOutputOptions " + std::string(c.line) + "\n");
    host().faults = {};
    EXPECT_EQ(host().live_handles_named("Flat Options KVR"), 0u) << c.line;
    // The unlock fault leaves the flat handle's lock count behind in the host: clear it.
    fb().AEIO_DisposeOutputOptions(basic(), target->options);
    target->options = nullptr;
    EXPECT_EQ(host().locked_handles(), 0u) << c.line;
  }

  RenderTarget* target = initialised_target();
  host().faults.missing_suites = {kAEGPMemorySuite};
  AEIO_SupportedDepthFlags depths = 0;
  EXPECT_EQ(init(target), 516);
  EXPECT_EQ(fb().AEIO_GetDepths(basic(), out_spec(target), &depths), 516);
  host().faults.missing_suites = {kAEGPIOOutSuite};
  EXPECT_EQ(fb().AEIO_OutputInfoChanged(basic(), out_spec(target)), 516);
  EXPECT_EQ(host().live_handles(), 1u);
}

TEST_F(OptionsCallbacks, OutputInfoAndDepthFlags) {
  RenderTarget* target = initialised_target({.depth = 48});
  AEIO_SupportedDepthFlags flags = -1;
  EXPECT_EQ(fb().AEIO_GetDepths(basic(), out_spec(target), &flags), 0);
  EXPECT_EQ(flags, 2112) << "24 and 48 bits for Hap";
  record_bytes(target)[8] = 6;  // an older record's "Hap or Hap Alpha"
  EXPECT_EQ(describe(target), "Mov HAP ; Normal ; 8 chunks\n");
  EXPECT_EQ(record_bytes(target)[8], 0) << "codec 6 is rewritten in the host's record";

  target->values.depth_err = 5;  // depth unknown: treated as 0
  EXPECT_EQ(describe(target), "WIP HAP Mov encoder, Depth inconnue");
  EXPECT_EQ(describe(host().new_target()), "Error");
  host().faults.lock["Output Options"] = 31;
  EXPECT_EQ(describe(target, 31), "Error");
  host().faults = {};
  target->values.options_get_err = 32;
  EXPECT_EQ(describe(target, 32), std::string(127, 'x')) << "fields untouched";
}

TEST_F(OptionsCallbacks, OutputInfoChangedFixesUnknownDepths) {
  for (auto [depth, missing, after] : {std::tuple<A_short, A_Boolean, A_short>{128, 0, 32},
                                       {128, 1, 128},
                                       {16, 0, 32},
                                       {48, 0, 48}}) {
    RenderTarget* target = initialised_target({.depth = depth, .missing = missing});
    AEIO_Handle options = target->options;
    EXPECT_EQ(fb().AEIO_OutputInfoChanged(basic(), out_spec(target)), 0);
    EXPECT_EQ(target->values.depth, after) << depth << " missing " << int(missing);
    EXPECT_EQ(target->options, options);
    EXPECT_NE(host().block(options), nullptr) << "the record is installed again, not freed";
  }
  // Host errors are returned; the record is never left locked.
  RenderTarget* target = initialised_target({.depth = 128});
  target->values.missing_err = 51;
  EXPECT_EQ(fb().AEIO_OutputInfoChanged(basic(), out_spec(target)), 51);
  target->values.missing_err = 0;
  target->values.set_depth_err = 52;
  EXPECT_EQ(fb().AEIO_OutputInfoChanged(basic(), out_spec(target)), 52);
}

}  // namespace
