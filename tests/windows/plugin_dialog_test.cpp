// The Windows plug-in loaded by the Windows host simulator: its options callback shows the real
// dialog on the live record, writes the user's choices into the host's handle on Ok, leaves the
// record alone on the close box, and tells the host which of the two happened.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "host/sim/plugin_loader.h"
#include "host/sim/sim_host.h"
#include "tests/windows/dialog_driver.h"

namespace {

using orvex_sim::Host;
using orvex_test::Dialog;

uint32_t le32(const std::vector<uint8_t>& bytes, size_t offset) {
  uint32_t v = 0;
  std::memcpy(&v, bytes.data() + offset, 4);
  return v;
}

void set_le32(std::vector<uint8_t>& bytes, size_t offset, uint32_t v) {
  std::memcpy(bytes.data() + offset, &v, 4);
}

class PluginDialog : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(host_.enter(plugin_.entry_point()), 0);
    target_ = host_.new_target();
    A_Boolean user_interacted = 1;
    ASSERT_EQ(host_.callbacks().AEIO_InitOutputSpec(host_.basic_data(), Host::handle_of(target_),
                                                    &user_interacted),
              0);
  }
  void TearDown() override {
    EXPECT_EQ(host_.suites_held(), 0);
    EXPECT_EQ(host_.locked_handles(), 0u);
    for (const std::string& m : host_.misuse) ADD_FAILURE() << "host misuse: " << m;
  }
  std::vector<uint8_t>& record() { return host_.block(target_->options)->bytes; }

  // Runs the options callback while `user` works the dialog; returns the callback's result.
  A_Err show(A_Boolean& user_interacted, const std::function<void(const Dialog&)>& user) {
    A_Err err = -1;
    user_interacted = 2;
    const bool driven = orvex_test::with_dialog(
        [&] {
          err = host_.callbacks().AEIO_UserOptionsDialog(
              host_.basic_data(), Host::handle_of(target_), nullptr, &user_interacted);
        },
        user);
    EXPECT_TRUE(driven) << "the dialog never appeared";
    return err;
  }

  orvex_sim::Plugin plugin_{ORVEX_PLUGIN_PATH};
  Host host_;
  orvex_sim::RenderTarget* target_ = nullptr;
};

TEST_F(PluginDialog, OkWritesTheChoicesIntoTheLiveRecord) {
  set_le32(record(), 8, 6);     // a codec the dialog shows as "HAP"
  set_le32(record(), 16, 100);  // a chunk count it shows as 8
  set_le32(record(), 20, 0);    // a quality it keeps unless the slider moves
  set_le32(record(), 44, 0xA5A5A5A5);
  std::vector<uint8_t> expected = record();

  A_Boolean user_interacted = 0;
  EXPECT_EQ(show(user_interacted,
                 [](const Dialog& d) {
                   d.select_codec(2);  // "HAPQ"
                   d.type_chunks(L"20");
                   d.click(d.item(kIdFrameModeBox));
                   d.click(d.ok());
                 }),
            0);
  EXPECT_EQ(user_interacted, 1);
  set_le32(expected, 8, 2);
  set_le32(expected, 16, 20);
  set_le32(expected, 24, 2);  // one frame at a time
  EXPECT_EQ(record(), expected) << "codec " << le32(record(), 8) << ", chunks "
                                << le32(record(), 16) << ", frame mode " << le32(record(), 24);
}

TEST_F(PluginDialog, CloseBoxLeavesTheRecordAndReportsNoInteraction) {
  const std::vector<uint8_t> before = record();
  A_Boolean user_interacted = 0;
  EXPECT_EQ(show(user_interacted,
                 [](const Dialog& d) {
                   d.select_codec(5);
                   d.click(d.item(kIdSnappyBox));
                   d.close_box();
                 }),
            0);
  EXPECT_EQ(user_interacted, 0);
  EXPECT_EQ(record(), before);
}

}  // namespace
