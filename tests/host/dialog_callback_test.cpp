// The options dialog callback against the simulated host. Builds without a window toolkit answer
// as if the user cancelled: the record stays byte for byte, the host is told nothing changed,
// and every host failure on the way is returned with the handle left unlocked.
#include <gtest/gtest.h>

#include <vector>

#include "tests/host/host_test_support.h"

namespace {

using orvex_sim::Host;
using orvex_sim::RenderTarget;
using orvex_test::HostTest;

class DialogCallback : public HostTest {
 protected:
  A_Err run(RenderTarget* target, A_Boolean& user_interacted) {
    user_interacted = 1;
    return fb().AEIO_UserOptionsDialog(basic(), Host::handle_of(target), nullptr, &user_interacted);
  }
};

TEST_F(DialogCallback, WithoutAWindowLeavesTheRecordAndReportsNoInteraction) {
  RenderTarget* target = initialised_target();
  std::vector<uint8_t>& bytes = record_bytes(target);
  bytes[8] = 6;     // codec the dialog would replace on Ok
  bytes[16] = 100;  // chunk count it would show as 8
  const std::vector<uint8_t> before = bytes;
  A_Boolean user_interacted = 1;
  EXPECT_EQ(run(target, user_interacted), 0);
  EXPECT_EQ(user_interacted, 0);
  EXPECT_EQ(record_bytes(target), before);
}

TEST_F(DialogCallback, HostFailuresAreReturnedAndNothingStaysLocked) {
  const struct {
    const char* name;
    void (*fault)(orvex_sim::HostFaults&, orvex_sim::TargetValues&);
    A_Err result;
  } cases[] = {
      {"no handle", [](auto&, auto& v) { v.options_get_err = 31; }, 31},
      {"lock", [](auto& f, auto&) { f.lock["Output Options"] = 32; }, 32},
      {"unlock", [](auto& f, auto&) { f.unlock["Output Options"] = 33; }, 33},
      {"io suite", [](auto& f, auto&) { f.missing_suites.insert("AEGP IO Out Suite"); }, 516},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RenderTarget* target = initialised_target();
    c.fault(host().faults, target->values);
    A_Boolean user_interacted = 1;
    EXPECT_EQ(run(target, user_interacted), c.result);
    EXPECT_EQ(user_interacted, 0);
    host().faults = {};
    target->values.options_get_err = 0;
    // A refused unlock leaves the host's lock count behind: disposing of the record clears it.
    fb().AEIO_DisposeOutputOptions(basic(), target->options);
    target->options = nullptr;
    EXPECT_EQ(host().locked_handles(), 0u);
  }
  // A target without options: nothing to show, no error.
  RenderTarget* empty = host().new_target();
  A_Boolean user_interacted = 1;
  EXPECT_EQ(run(empty, user_interacted), 0);
  EXPECT_EQ(user_interacted, 0);
}

}  // namespace
