// Registration through the entry point: the module description, which callback slots are
// filled, the fixed answers of the stubs, failures of the host during registration, and the
// simulated host's traps for the suite slots the module must not call.
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

TEST_F(HostTest, StubsAndSequenceOptions) {
  AEIO_BasicData* b = basic();
  A_Boolean flag = 7;
  A_long value = 0;
  A_Time time{};
  EXPECT_EQ(fb().AEIO_OutputFrame(b, nullptr, nullptr), 0);
  EXPECT_EQ(fb().AEIO_GetSound(b, nullptr, 0, nullptr, &time, &time, 0, 0, nullptr), 0);
  EXPECT_EQ(fb().AEIO_GetDimensions(b, nullptr, nullptr, &value, &value), 9992);
  EXPECT_EQ(fb().AEIO_GetOutputSuffix(b, nullptr, nullptr), 9992);

  EXPECT_EQ(fb().AEIO_SeqOptionsDlg(b, nullptr, &flag), 0);
  EXPECT_EQ(flag, 7);  // not touched
  EXPECT_EQ(host().dialog_messages,
            std::vector<std::string>{"IO: Here's my sequence options dialog!"});
  const A_UTF16Char path[] = {'a', '.', 'm', 'o', 'v', 0};
  EXPECT_EQ(fb().AEIO_VerifyFileImportable(b, 0, path, &flag), 0);
  EXPECT_EQ(flag, 0);
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

// Every slot of every suite table is served, and one the module must not call records its suite,
// slot and name: a render that reaches it fails naming it.
TEST(SimulatedHost, UnusedSuiteSlotsTrapByName) {
  const struct {
    const char* name;
    int32_t version;
    size_t bytes;
    std::vector<size_t> used;
  } suites[] = {
      {"SPBasicSuite", 0, sizeof(SPBasicSuite), {0, 1}},
      {kAEGPRegisterSuite, 6, sizeof(AEGP_RegisterSuite6), {2, 7}},
      {kAEGPUtilitySuite, 13, sizeof(AEGP_UtilitySuite13), {0, 9}},
      {kAEGPIOOutSuite,
       7,
       sizeof(AEGP_IOOutSuite7),
       {0, 1, 2, 3, 5, 6, 13, 14, 16, 18, 20, 22, 28}},
      {kAEGPMemorySuite, 1, sizeof(AEGP_MemorySuite1), {0, 1, 2, 3}},
      {kPFANSISuite, 1, sizeof(PF_ANSICallbacksSuite1), {15, 16}},
      {kPFWorldSuite, 2, sizeof(PF_WorldSuite2), {2}},
  };
  Host host;
  const SPBasicSuite* basic = host.basic_data()->pica_basicP;
  size_t unused = 0;
  for (const auto& suite : suites) {
    const void* table = basic;
    if (suite.version) {
      ASSERT_EQ(basic->AcquireSuite(suite.name, suite.version, &table), 0);
    }
    std::vector<void (*)()> slots(suite.bytes / sizeof(void (*)()));
    std::memcpy(slots.data(), table, suite.bytes);
    for (size_t i = 0; i < slots.size(); ++i) {
      ASSERT_NE(slots[i], nullptr) << suite.name << " slot " << i;
      if (std::count(suite.used.begin(), suite.used.end(), i)) continue;
      reinterpret_cast<A_Err (*)()>(slots[i])();  // a trap takes no notice of its arguments
      ASSERT_EQ(host.misuse.size(), ++unused);
      const std::string where = std::string("trap: ") + suite.name + " slot " + std::to_string(i);
      EXPECT_EQ(host.misuse.back().rfind(where + " ", 0), 0u) << host.misuse.back();
    }
    if (suite.version) basic->ReleaseSuite(suite.name, suite.version);
  }
  for (const char* expected :
       {"trap: SPBasicSuite slot 6 Undefined",
        "trap: AEGP Register Suite slot 0 AEGP_RegisterCommandHook",
        "trap: AEGP IO Out Suite slot 4 AEGP_SetOutSpecNativeFPS",
        "trap: AEGP IO Out Suite slot 27 AEGP_GetOutSpecPullDown",
        "trap: PF ANSI Suite slot 0 atan", "trap: PF World Suite slot 0 PF_NewWorld"})
    EXPECT_EQ(std::count(host.misuse.begin(), host.misuse.end(), expected), 1) << expected;
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
