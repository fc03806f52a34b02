#pragma once
// The simulated host: named memory handles, the suites handed out by name and version, render
// targets whose every query can be made to fail or answer a chosen value, frame worlds, captured
// user messages, and the module registration the plug-in makes. One Host is active per process
// at a time (the suites are plain C functions that reach it through a global).
//
// Every suite table is served in full, from slot 0 to the last slot the module may call; a slot
// the module has no business calling is a trap that records "trap: <suite> slot <n> <name>" as a
// misuse and answers an error, so a render that reaches one fails naming it.
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "host/host_interface.h"

namespace orvex_sim {

// What an output target answers. Each *_err makes that query fail with the code.
struct TargetValues {
  std::u16string path = u"out.mov";
  bool no_path = false;        // the path query yields no handle
  bool file_reserved = false;  // the host created the file before start adding
  A_Err path_err = 0;
  A_Err options_get_err = 0, options_set_err = 0;
  A_long width = 64, height = 48;
  A_Err dimensions_err = 0;
  A_short depth = 24;
  A_Err depth_err = 0, set_depth_err = 0;
  A_Fixed fps = 25 << 16;
  A_Err fps_err = 0;
  A_Ratio hsf{1, 1};
  A_Err hsf_err = 0;
  A_FpLong sound_rate = 48000.0;
  AEIO_SndEncoding sound_encoding = AEIO_E_SIGNED_PCM;
  AEIO_SndSampleSize sample_size = 2;
  AEIO_SndChannels channels = 0;
  A_Err sound_rate_err = 0, sound_encoding_err = 0, sample_size_err = 0, channels_err = 0;
  A_Boolean missing = 0;
  A_Err missing_err = 0;
};

struct RenderTarget {
  TargetValues values;
  AEIO_Handle options = nullptr;
};

struct MemBlock {
  std::string name;
  std::vector<uint8_t> bytes;
  int locks = 0;
};

struct Registration {
  AEGP_DeathHook death_hook = nullptr;
  bool io_registered = false;
  std::string aegp_name;
  AEIO_ModuleInfo info{};
  AEIO_FunctionBlock4 callbacks{};
};

// Failures the host can be told to make.
struct HostFaults {
  std::set<std::string> missing_suites;     // suite names AcquireSuite refuses
  std::map<std::string, A_Err> new_handle;  // handle name -> error of AEGP_NewMemHandle
  std::map<std::string, A_Err> lock;        // handle name -> error of AEGP_LockMemHandle
  std::map<std::string, A_Err> unlock;      // handle name -> error of AEGP_UnlockMemHandle
  A_Err death_hook = 0, register_io = 0, register_with_aegp = 0;
  // (suite name, slot) pairs served as traps although the host implements them.
  std::set<std::pair<std::string, int>> trapped_slots;
};

class Host {
 public:
  Host();
  ~Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  static Host& current();

  // Calls the plug-in's entry point with this host's basic suite.
  A_Err enter(EntryPointFunc_Fn entry, AEGP_PluginID plugin_id = 7);
  // Host shutdown: calls the registered death hook (0 when there is none).
  A_Err call_death_hook();
  AEIO_BasicData* basic_data() { return &basic_data_; }
  const AEIO_FunctionBlock4& callbacks() const { return registration.callbacks; }

  RenderTarget* new_target(const TargetValues& values = {});
  static AEIO_OutSpecH handle_of(RenderTarget* target) {
    return reinterpret_cast<AEIO_OutSpecH>(target);
  }

  // Memory handles, as the host's own code sees them.
  AEGP_MemHandle new_handle(const std::string& name, size_t size);
  MemBlock* block(AEGP_MemHandle handle);  // nullptr when not a live handle
  void free_handle(AEGP_MemHandle handle);
  size_t live_handles() const { return blocks_.size(); }
  size_t live_handles_named(const std::string& name) const;
  size_t locked_handles() const;

  // Frame worlds: the host's memory, with a pixel format the world suite reports. Rows are
  // padded beyond the pixels with junk, and the reserved pointers hold junk too.
  PF_EffectWorld* new_world(PF_PixelFormat format, A_long width, A_long height);
  PF_PixelFormat format_of(const PF_EffectWorld* world) const;

  // Suites acquired and not released.
  int suites_held() const { return suites_held_; }

  HostFaults faults;
  Registration registration;
  std::vector<std::string> user_messages;    // AEGP_ReportInfo texts
  std::vector<std::string> dialog_messages;  // the basic data's message function
  std::vector<std::string> misuse;           // host contract violations seen (double free, ...)

  // Suite entry points (static so that they fit the C tables).
  static SPErr ORVEX_HOST_CALL acquire_suite(const char* name, int32_t version, const void** suite);
  static SPErr ORVEX_HOST_CALL release_suite(const char* name, int32_t version);

 private:
  // The tables handed out, rebuilt at each acquisition so that trapped_slots apply.
  AEGP_RegisterSuite6 register_{};
  AEGP_UtilitySuite13 utility_{};
  AEGP_IOOutSuite7 io_out_{};
  AEGP_MemorySuite1 memory_{};
  PF_ANSICallbacksSuite1 ansi_{};
  PF_WorldSuite2 world_{};

  std::map<AEGP_MemHandle, std::unique_ptr<MemBlock>> blocks_;
  std::vector<std::unique_ptr<RenderTarget>> targets_;
  struct World {
    PF_EffectWorld world;
    PF_PixelFormat format;
    std::vector<uint8_t> pixels;
  };
  std::vector<std::unique_ptr<World>> worlds_;
  SPBasicSuite basic_suite_{};
  AEIO_BasicData basic_data_{};
  int suites_held_ = 0;
};

}  // namespace orvex_sim
