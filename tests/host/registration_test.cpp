// Registration through the entry point: the module description, which callback slots are
// filled, the fixed answers of the stubs, and failures of the host during registration.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <functional>

#include "tests/host/host_test_support.h"

namespace {

using orvex_sim::Host;
using orvex_test::HostTest;

TEST_F(HostTest, ModuleDescription) {
  const orvex_sim::Registration& r = host().registration;
  EXPECT_TRUE(r.death_hook);
  EXPECT_TRUE(r.io_registered);
  EXPECT_EQ(r.aegp_name, "OrvexHapAeEncoder");
  const AEIO_ModuleInfo& info = r.info;
  EXPECT_EQ(std::memcmp(&info.sig, "QXVR", 4), 0);
  EXPECT_EQ(std::memcmp(&info.create_kind.type, "QXVR", 4), 0);
  EXPECT_EQ(info.create_kind.creator, -1);
  EXPECT_STREQ(info.name, "Orvex Hap Encoder");
  EXPECT_EQ(info.flags, 54);
  EXPECT_EQ(info.flags2, 64);
  EXPECT_EQ(info.max_width, 30000);
  EXPECT_EQ(info.max_height, 30000);
  EXPECT_EQ(info.num_filetypes, 1);
  EXPECT_EQ(info.num_extensions, 1);
  EXPECT_EQ(info.num_clips, 0);
  // Four bytes, no terminator.
  EXPECT_EQ(std::memcmp(info.create_ext.extension, ".mov", 4), 0);
  const AEIO_FileKind no_kind{};
  for (const AEIO_FileKind& kind : info.read_kinds)
    EXPECT_EQ(std::memcmp(&kind, &no_kind, sizeof kind), 0);
  for (const AEIO_FileExt& ext : info.aux_ext) EXPECT_EQ(std::memcmp(&ext, "\0\0\0\0", 4), 0);
  EXPECT_EQ(host().suites_held(), 0);
}

TEST_F(HostTest, CallbackSlotsFilledExceptAuxiliaryAndLateOnes) {
  static_assert(sizeof(AEIO_FunctionBlock4) == 49 * sizeof(void*));
  void* slots[49];
  std::memcpy(slots, &fb(), sizeof slots);
  for (int i = 0; i < 49; ++i) {
    const bool empty = (i >= 33 && i <= 36) || i == 38 || i >= 45;
    EXPECT_EQ(slots[i] == nullptr, empty) << "slot " << i;
  }
}

TEST_F(HostTest, StubsGiveTheirFixedAnswers) {
  AEIO_BasicData* b = basic();
  A_Boolean flag = 0;
  A_long value = 0;
  A_Time time{};
  const std::vector<std::pair<A_Err, std::function<A_Err()>>> calls = {
      {0, [&] { return fb().AEIO_InitInSpecFromFile(b, nullptr, nullptr); }},
      {0, [&] { return fb().AEIO_DisposeInSpec(b, nullptr); }},
      {0, [&] { return fb().AEIO_GetSound(b, nullptr, 0, nullptr, &time, &time, 0, 0, nullptr); }},
      {0, [&] { return fb().AEIO_OutputFrame(b, nullptr, nullptr); }},
      {0, [&] { return fb().AEIO_Flush(b, nullptr); }},
      {0, [&] { return fb().AEIO_Idle(b, 0, nullptr); }},
      {0, [&] { return fb().AEIO_NumAuxFiles(b, nullptr, &value); }},
      {0, [&] { return fb().AEIO_AddMarker(b, nullptr, 0, 0, nullptr, nullptr); }},
      {9992, [&] { return fb().AEIO_SynchInSpec(b, nullptr, &flag); }},
      {9992, [&] { return fb().AEIO_GetDimensions(b, nullptr, &value, &value); }},
      {9992, [&] { return fb().AEIO_InqNextFrameTime(b, nullptr, &time, 0, &flag, &time); }},
      {9992, [&] { return fb().AEIO_SetOutputFile(b, nullptr, nullptr); }},
      {9992, [&] { return fb().AEIO_GetSizes(b, nullptr, nullptr, nullptr); }},
      {9992, [&] { return fb().AEIO_GetOutputSuffix(b, nullptr, nullptr); }},
  };
  for (size_t i = 0; i < calls.size(); ++i) EXPECT_EQ(calls[i].second(), calls[i].first) << i;
}

TEST_F(HostTest, SequenceOptionsAndImportability) {
  A_Boolean flag = 7;
  EXPECT_EQ(fb().AEIO_SeqOptionsDlg(basic(), nullptr, &flag), 0);
  EXPECT_EQ(flag, 7);  // not touched
  ASSERT_EQ(host().dialog_messages.size(), 1u);
  EXPECT_EQ(host().dialog_messages[0], "IO: Here's my sequence options dialog!");

  A_Boolean importable = 1;
  const A_UTF16Char path[] = {'a', '.', 'm', 'o', 'v', 0};
  EXPECT_EQ(fb().AEIO_VerifyFileImportable(basic(), 0, path, &importable), 0);
  EXPECT_EQ(importable, 0);
}

struct RegistrationFailure {
  const char* what;
  std::function<void(orvex_sim::HostFaults&)> fault;
  A_Err result;
  bool io_registered;
};

TEST(Registration, HostFailuresAreReturnedAndStopRegistration) {
  const std::vector<RegistrationFailure> cases = {
      {"death hook refused", [](auto& f) { f.death_hook = 41; }, 41, false},
      {"register suite missing", [](auto& f) { f.missing_suites.insert(kAEGPRegisterSuite); }, 516,
       false},
      {"ANSI suite missing", [](auto& f) { f.missing_suites.insert(kPFANSISuite); }, 516, false},
      {"module refused", [](auto& f) { f.register_io = 42; }, 42, false},
      {"utility suite missing", [](auto& f) { f.missing_suites.insert(kAEGPUtilitySuite); }, 516,
       true},
      {"plug-in name refused", [](auto& f) { f.register_with_aegp = 43; }, 43, true},
  };
  for (const RegistrationFailure& c : cases) {
    Host host;
    c.fault(host.faults);
    EXPECT_EQ(host.enter(orvex_test::plugin().entry_point()), c.result) << c.what;
    EXPECT_EQ(host.registration.io_registered, c.io_registered) << c.what;
    EXPECT_EQ(host.suites_held(), 0) << c.what;
    EXPECT_TRUE(host.misuse.empty()) << c.what;
  }
}

TEST(PluginLibrary, ExportsOnlyTheEntryPoint) {
  int status = -1;
  const std::string table =
      orvex_test::run_command("nm -D --defined-only '" ORVEX_PLUGIN_PATH "'", &status);
  ASSERT_EQ(status, 0) << table;
  std::vector<std::string> exported;
  for (const std::string& line : orvex_test::split_lines(table)) {
    // "<address> <type> <name>"; an upper-case type is a global symbol.
    const size_t type_at = line.find(' ');
    if (type_at == std::string::npos || type_at + 3 > line.size()) continue;
    if (std::isupper(static_cast<unsigned char>(line[type_at + 1])))
      exported.push_back(line.substr(type_at + 3));
  }
  EXPECT_EQ(exported, std::vector<std::string>{"EntryPointFunc"});
}

}  // namespace
