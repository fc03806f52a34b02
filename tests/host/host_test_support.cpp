// Shared pieces of the output-module tests.
#include "tests/host/host_test_support.h"

#include <filesystem>

namespace orvex_test {

orvex_sim::Plugin& plugin() {
  static orvex_sim::Plugin loaded(ORVEX_PLUGIN_PATH);
  return loaded;
}

void HostTest::SetUp() {
  host_ = std::make_unique<orvex_sim::Host>();
  ASSERT_EQ(host_->enter(plugin().entry_point()), 0);
}

void HostTest::TearDown() {
  EXPECT_EQ(host_->suites_held(), 0);
  EXPECT_EQ(host_->locked_handles(), 0u);
  for (const std::string& m : host_->misuse) ADD_FAILURE() << "host misuse: " << m;
  host_.reset();
}

orvex_sim::RenderTarget* HostTest::initialised_target(const orvex_sim::TargetValues& values) {
  orvex_sim::RenderTarget* target = host_->new_target(values);
  A_Boolean user_interacted = 1;
  EXPECT_EQ(fb().AEIO_InitOutputSpec(basic(), out_spec(target), &user_interacted), 0);
  EXPECT_EQ(user_interacted, 0);
  return target;
}

std::vector<uint8_t>& HostTest::record_bytes(orvex_sim::RenderTarget* target) {
  return host_->block(target->options)->bytes;
}

std::u16string HostTest::path_in_dir(const std::string& name) const {
  const std::string path = dir_.file(name);
  return {path.begin(), path.end()};
}

int open_file_count() {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
    ++count;
  return count;
}

}  // namespace orvex_test
