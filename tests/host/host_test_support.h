#pragma once
// Shared pieces of the output-module tests: the plug-in loaded once per process and a fixture
// with a fresh simulated host that checks the host contract after each test.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/sim/plugin_loader.h"
#include "host/sim/sim_host.h"
#include "tests/support/movie_probe.h"

namespace orvex_test {

orvex_sim::Plugin& plugin();

// A registered plug-in on a fresh host and a scratch folder. After each test no suite stays
// acquired, no handle stays locked and the host saw no misuse.
class HostTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  const AEIO_FunctionBlock4& fb() const { return host_->callbacks(); }
  AEIO_BasicData* basic() { return host_->basic_data(); }
  orvex_sim::Host& host() { return *host_; }
  static AEIO_OutSpecH out_spec(orvex_sim::RenderTarget* t) {
    return orvex_sim::Host::handle_of(t);
  }

  // A new output target whose options were created by the module's InitOutputSpec.
  orvex_sim::RenderTarget* initialised_target(const orvex_sim::TargetValues& values = {});
  std::vector<uint8_t>& record_bytes(orvex_sim::RenderTarget* target);
  std::u16string path_in_dir(const std::string& name) const;

  TempDir dir_;

 private:
  std::unique_ptr<orvex_sim::Host> host_;
};

int open_file_count();  // open descriptors of this process

}  // namespace orvex_test
