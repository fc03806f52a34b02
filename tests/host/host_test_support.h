#pragma once
// Shared pieces of the output-module tests: the plug-in loaded once per process, a fixture with
// a fresh simulated host that checks the host contract after each test, capture of standard
// output (where the module writes its diagnostic lines), and small file helpers.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host/sim/plugin_loader.h"
#include "host/sim/sim_host.h"

namespace orvex_test {

orvex_sim::Plugin& plugin();

// A registered plug-in on a fresh host. After each test no suite stays acquired, no handle
// stays locked and the host saw no misuse.
class HostTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  const AEIO_FunctionBlock4& fb() const { return host_->callbacks(); }
  AEIO_BasicData* basic() { return host_->basic_data(); }
  orvex_sim::Host& host() { return *host_; }

  // A new output target whose options were created by the module's InitOutputSpec.
  orvex_sim::RenderTarget* initialised_target(const orvex_sim::TargetValues& values = {});
  std::vector<uint8_t>& record_bytes(orvex_sim::RenderTarget* target);

 private:
  std::unique_ptr<orvex_sim::Host> host_;
};

// Redirects file descriptor 1 while alive; finish() returns what was written.
class StdoutCapture {
 public:
  StdoutCapture();
  ~StdoutCapture();
  std::string finish();

 private:
  int saved_fd_ = -1;
  std::FILE* file_ = nullptr;
};

std::vector<std::string> split_lines(const std::string& text);

// A scratch directory for this test, created empty.
std::string scratch_dir();
int open_file_count();  // open descriptors of this process
std::string run_command(const std::string& command, int* status = nullptr);

}  // namespace orvex_test
