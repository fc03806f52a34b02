// Registration through the entry point: the module description, which callback slots are
// filled, the fixed answers of the stubs, failures of the host during registration, and the
// symbols the library exports.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <functional>
#include <sstream>

#include "tests/host/host_test_support.h"

namespace {

using orvex_sim::Host;
using orvex_test::HostTest;

TEST_F(HostTest, ModuleDescription) {
  const orvex_sim::Registration& r = host().registration;
  EXPECT_TRUE(r.death_hook != nullptr && r.io_registered);
  EXPECT_EQ(r.aegp_name, "OrvexHapAeEncoder");
  const AEIO_ModuleInfo& info = r.info;
  EXPECT_EQ(std::memcmp(&info.sig, "QXVR", 4), 0);
  EXPECT_EQ(std::memcmp(&info.create_kind.type, "QXVR", 4), 0);
  EXPECT_EQ(info.create_kind.creator, -1);
  EXPECT_EQ(std::memcmp(&info.create_ext, ".mov", 4), 0);  // pad '.', then no terminator
  EXPECT_STREQ(info.name, "Orvex Hap Encoder");
  // Types read and auxiliary extensions, the tail of the description, stay zero.
  const auto* tail = reinterpret_cast<const uint8_t*>(&info.read_kinds);
  EXPECT_EQ(std::count(tail, reinterpret_cast<const uint8_t*>(&info + 1), 0),
            sizeof info - offsetof(AEIO_ModuleInfo, read_kinds));
  EXPECT_EQ((std::vector<long>{info.flags, info.flags2, info.max_width, info.max_height,
                               info.num_filetypes, info.num_extensions, info.num_clips}),
            (std::vector<long>{54, 64, 30000, 30000, 1, 1, 0}));
}

TEST_F(HostTest, CallbackSlotsFilledExceptAuxiliaryAndLateOnes) {
  void* slots[49];
  std::memcpy(slots, &fb(), sizeof slots);
  for (int i = 0; i < 49; ++i) {
    const bool empty = (i >= 33 && i <= 36) || i == 38 || i >= 45;
    EXPECT_EQ(slots[i] == nullptr, empty) << "slot " << i;
  }
}

// The callbacks the module leaves to the host answer so.
TEST_F(HostTest, StubsDeferToTheHost) {
  A_long value = 0;
  A_Boolean importable = 7;
  const A_UTF16Char path[] = {'a', '.', 'm', 'o', 'v', 0};
  EXPECT_EQ(fb().AEIO_GetDimensions(basic(), nullptr, nullptr, &value, &value), 9992);
  EXPECT_EQ(fb().AEIO_GetOutputSuffix(basic(), nullptr, nullptr), 9992);
  EXPECT_EQ(fb().AEIO_VerifyFileImportable(basic(), 0, path, &importable), 0);
  EXPECT_EQ(importable, 0);
}

TEST(Registration, HostFailuresAreReturnedAndStopRegistration) {
  const struct {
    std::function<void(orvex_sim::HostFaults&)> fault;
    A_Err result;
    bool io_registered;
  } cases[] = {
      {[](auto& f) { f.death_hook = 41; }, 41, false},
      {[](auto& f) { f.missing_suites.insert(kAEGPRegisterSuite); }, 516, false},
      {[](auto& f) { f.register_io = 42; }, 42, false},
      {[](auto& f) { f.missing_suites.insert(kAEGPUtilitySuite); }, 516, true},
      {[](auto& f) { f.register_with_aegp = 43; }, 43, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.result);
    Host host;
    c.fault(host.faults);
    EXPECT_EQ(host.enter(orvex_test::plugin().entry_point()), c.result);
    EXPECT_EQ(host.registration.io_registered, c.io_registered);
    EXPECT_EQ(host.suites_held(), 0);
    EXPECT_TRUE(host.misuse.empty());
  }
}

TEST(PluginLibrary, ExportsOnlyTheEntryPoint) {
  int status = -1;
  std::istringstream table(
      orvex_test::run_command("nm -D --defined-only '" ORVEX_PLUGIN_PATH "'", &status));
  ASSERT_EQ(status, 0);
  // "<address> <type> <name>"; an upper-case type is a global symbol.
  std::vector<std::string> exported;
  for (std::string address, type, name; table >> address >> type >> name;)
    if (std::isupper(static_cast<unsigned char>(type[0]))) exported.push_back(name);
  EXPECT_EQ(exported, std::vector<std::string>{"EntryPointFunc"});
}

}  // namespace
