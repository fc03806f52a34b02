// The options dialog callback against the simulated host. Builds without a window toolkit answer
// as if the user cancelled: the record stays byte for byte, the host is told nothing changed,
// and every host failure on the way is returned with the handle left unlocked.
#include <gtest/gtest.h>

#include <vector>

#include "tests/host/host_test_support.h"

namespace {

using orvex_sim::RenderTarget;

class DialogCallback : public orvex_test::HostTest {
 protected:
  // Runs the dialog expecting `result` and no interaction reported.
  void run(RenderTarget* target, A_Err result) {
    A_Boolean user_interacted = 1;
    EXPECT_EQ(fb().AEIO_UserOptionsDialog(basic(), out_spec(target), nullptr, &user_interacted),
              result);
    EXPECT_EQ(user_interacted, 0);
  }
};

TEST_F(DialogCallback, WithoutAWindowLeavesTheRecord) {
  RenderTarget* target = initialised_target();
  record_bytes(target)[8] = 6;     // codec the dialog would replace on Ok
  record_bytes(target)[16] = 100;  // chunk count it would show as 8
  const std::vector<uint8_t> before = record_bytes(target);
  run(target, 0);
  EXPECT_EQ(record_bytes(target), before);
  run(host().new_target(), 0);  // no options: nothing to show
}

TEST_F(DialogCallback, HostFailuresAreReturnedAndNothingStaysLocked) {
  const struct {
    void (*fault)(orvex_sim::HostFaults&, orvex_sim::TargetValues&);
    A_Err result;
  } cases[] = {
      {[](auto&, auto& v) { v.options_get_err = 31; }, 31},
      {[](auto& f, auto&) { f.lock["Output Options"] = 32; }, 32},
      {[](auto& f, auto&) { f.unlock["Output Options"] = 33; }, 33},
      {[](auto& f, auto&) { f.missing_suites.insert("AEGP IO Out Suite"); }, 516},
  };
  for (const auto& c : cases) {
    RenderTarget* target = initialised_target();
    c.fault(host().faults, target->values);
    run(target, c.result);
    host().faults = {};
    // A refused unlock leaves the host's lock count behind: disposing of the record clears it.
    fb().AEIO_DisposeOutputOptions(basic(), target->options);
    target->options = nullptr;
    EXPECT_EQ(host().locked_handles(), 0u) << c.result;
  }
}

}  // namespace
