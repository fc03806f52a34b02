// The options callbacks against the simulated host: the live record and its flat copy in the
// host's handles, the description fields, the depth flags, the depth fix-up, and every failure
// of the host's memory operations (each prints its line, returns the host's code and leaves no
// handle locked or leaked).
#include <gtest/gtest.h>

#include <cstring>

#include "tests/host/host_test_support.h"

namespace {

using orvex_sim::Host;
using orvex_sim::RenderTarget;
using orvex_test::HostTest;
using orvex_test::StdoutCapture;

const std::vector<uint8_t> kDefaults = {'Q', 'X', 'V', '!', 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 0,
                                        8,   0,   0,   0,   2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                        0,   0,   0,   0,   0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

void set_le32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = uint8_t(value >> (8 * i));
}

class OptionsCallbacks : public HostTest {
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
};

TEST_F(OptionsCallbacks, NewTargetGetsANamedRecordWithDefaults) {
  RenderTarget* target = initialised_target();
  ASSERT_NE(target->options, nullptr);
  EXPECT_EQ(host().block(target->options)->name, "Output Options");
  EXPECT_EQ(record_bytes(target), kDefaults);
  EXPECT_EQ(host().live_handles(), 1u);
}

TEST_F(OptionsCallbacks, FlatCopyDiffersOnlyInItsMarkerAndInflatesBackToLive) {
  RenderTarget* target = initialised_target();
  std::vector<uint8_t>& live = record_bytes(target);
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
  A_Boolean user_interacted = 1;
  EXPECT_EQ(fb().AEIO_InitOutputSpec(basic(), Host::handle_of(reopened), &user_interacted), 0);
  EXPECT_EQ(user_interacted, 0);
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
  A_Boolean user_interacted = 1;
  EXPECT_EQ(fb().AEIO_InitOutputSpec(basic(), Host::handle_of(target), &user_interacted), 0);
  EXPECT_EQ(capture.finish(), "ERR Not KVR Options\n");
  EXPECT_EQ(record_bytes(target), kDefaults);
  EXPECT_EQ(host().live_handles(), 1u);
}

struct FlatFailure {
  const char* line;
  std::function<void(orvex_sim::HostFaults&, orvex_sim::TargetValues&)> fault;
  A_Err result;
};

TEST_F(OptionsCallbacks, FlatCopyFailuresPrintTheirLineAndLeaveNothingBehind) {
  const std::vector<FlatFailure> cases = {
      {"ERR: GetFlatOutputOptions no optionsH", [](auto&, auto& v) { v.options_get_err = 21; }, 21},
      {"ERR: GetFlatOutputOptions fail lockMem",
       [](auto& f, auto&) { f.lock["Output Options"] = 22; }, 22},
      {"ERR: GetFlatOutputOptions fail newMem",
       [](auto& f, auto&) { f.new_handle["Flat Options KVR"] = 23; }, 23},
      {"ERR: GetFlatOutputOptions fail LockMem",
       [](auto& f, auto&) { f.lock["Flat Options KVR"] = 24; }, 24},
      {"ERR: GetFlatOutputOptions fail unLockMem",
       [](auto& f, auto&) { f.unlock["Flat Options KVR"] = 25; }, 25},
  };
  for (const FlatFailure& c : cases) {
    RenderTarget* target = initialised_target();
    c.fault(host().faults, target->values);
    StdoutCapture capture;
    EXPECT_EQ(flatten(target, c.result), nullptr) << c.line;
    EXPECT_EQ(capture.finish(), std::string(c.line) + "\n");
    host().faults = {};
    EXPECT_EQ(host().live_handles_named("Flat Options KVR"), 0u) << c.line;
    // The unlock fault leaves the flat handle's lock count behind in the host: clear it.
    fb().AEIO_DisposeOutputOptions(basic(), target->options);
    target->options = nullptr;
    EXPECT_EQ(host().locked_handles(), 0u) << c.line;
  }
  // A target without options has nothing to flatten.
  RenderTarget* empty = host().new_target();
  StdoutCapture capture;
  EXPECT_EQ(flatten(empty, 0), nullptr);
  EXPECT_EQ(capture.finish(), "ERR: GetFlatOutputOptions no optionsH\n");
}

TEST_F(OptionsCallbacks, OutputInfoDescribesAtTheOutputDepth) {
  RenderTarget* target = initialised_target({.depth = 48});
  set_le32(record_bytes(target), 8, 6);  // an older record's "Hap or Hap Alpha"
  EXPECT_EQ(describe(target), "Mov HAP ; Normal ; 8 chunks\n");
  EXPECT_EQ(record_bytes(target)[8], 0) << "codec 6 is rewritten in the host's record";

  target->values.depth_err = 5;  // depth unknown: treated as 0
  EXPECT_EQ(describe(target), "WIP HAP Mov encoder, Depth inconnue");

  RenderTarget* none = host().new_target();
  EXPECT_EQ(describe(none), "Error");
  host().faults.lock["Output Options"] = 31;
  EXPECT_EQ(describe(target, 31), "Error");
  host().faults = {};
  target->values.options_get_err = 32;
  EXPECT_EQ(describe(target, 32), std::string(255, 'x')) << "fields untouched";
}

TEST_F(OptionsCallbacks, DepthFlagsFromTheRecord) {
  RenderTarget* target = initialised_target();
  AEIO_SupportedDepthFlags flags = -1;
  EXPECT_EQ(fb().AEIO_GetDepths(basic(), Host::handle_of(target), &flags), 0);
  EXPECT_EQ(flags, 2112);
  set_le32(record_bytes(target), 8, 5);
  EXPECT_EQ(fb().AEIO_GetDepths(basic(), Host::handle_of(target), &flags), 0);
  EXPECT_EQ(flags, 6336);
  set_le32(record_bytes(target), 8, 3);
  EXPECT_EQ(fb().AEIO_GetDepths(basic(), Host::handle_of(target), &flags), 0);
  EXPECT_EQ(flags, 4224);

  RenderTarget* none = host().new_target();
  flags = 12345;
  EXPECT_EQ(fb().AEIO_GetDepths(basic(), Host::handle_of(none), &flags), 0);
  EXPECT_EQ(flags, 12345) << "left as the host gave it";
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
