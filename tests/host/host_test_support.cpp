// Shared pieces of the output-module tests.
#include "tests/host/host_test_support.h"

#include <unistd.h>

#include <filesystem>
#include <memory>

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
  EXPECT_EQ(fb().AEIO_InitOutputSpec(basic(), orvex_sim::Host::handle_of(target), &user_interacted),
            0);
  EXPECT_EQ(user_interacted, 0);
  return target;
}

std::vector<uint8_t>& HostTest::record_bytes(orvex_sim::RenderTarget* target) {
  return host_->block(target->options)->bytes;
}

StdoutCapture::StdoutCapture() {
  std::fflush(stdout);
  saved_fd_ = dup(1);
  file_ = std::tmpfile();
  dup2(fileno(file_), 1);
}

StdoutCapture::~StdoutCapture() {
  if (file_) finish();
}

std::string StdoutCapture::finish() {
  std::fflush(stdout);
  dup2(saved_fd_, 1);
  close(saved_fd_);
  std::string text;
  std::rewind(file_);
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file_)) > 0) text.append(buffer, n);
  std::fclose(file_);
  file_ = nullptr;
  return text;
}

std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::string scratch_dir() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(info->test_suite_name()) + "_" + info->name();
  for (char& c : name)
    if (c == '/') c = '_';
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("orvex_host_" + std::to_string(getpid())) / name;
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir.string();
}

int open_file_count() {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
    ++count;
  return count;
}

std::string run_command(const std::string& command, int* status) {
  std::string output;
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return output;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  const int rc = pclose(pipe);
  if (status) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  return output;
}

}  // namespace orvex_test
