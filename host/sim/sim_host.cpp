// The simulated host's suites and state.
#include "host/sim/sim_host.h"

#include <cassert>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace orvex_sim {
namespace {

Host* g_host = nullptr;

constexpr A_Err kHostParameterError = 3;
constexpr SPErr kSuiteNotFound = 0x53214664;  // any nonzero code

RenderTarget* target_of(AEIO_OutSpecH handle) {
  return reinterpret_cast<RenderTarget*>(handle);
}

// ---- memory suite

A_Err ORVEX_HOST_CALL new_mem_handle(AEGP_PluginID, const A_char* whatZ, AEGP_MemSize size,
                                     AEGP_MemFlag, AEGP_MemHandle* memPH) {
  Host& host = Host::current();
  const std::string name = whatZ ? whatZ : "";
  if (auto it = host.faults.new_handle.find(name); it != host.faults.new_handle.end()) {
    *memPH = nullptr;
    return it->second;
  }
  *memPH = host.new_handle(name, size);  // always zero-filled
  return 0;
}

A_Err ORVEX_HOST_CALL free_mem_handle(AEGP_MemHandle handle) {
  Host& host = Host::current();
  MemBlock* block = host.block(handle);
  if (block == nullptr) {
    host.misuse.push_back("free of an unknown memory handle");
    return kHostParameterError;
  }
  // Freeing a locked handle is allowed: its lock goes with it.
  host.free_handle(handle);
  return 0;
}

A_Err ORVEX_HOST_CALL lock_mem_handle(AEGP_MemHandle handle, void** ptr) {
  Host& host = Host::current();
  MemBlock* block = host.block(handle);
  if (block == nullptr) {
    host.misuse.push_back("lock of an unknown memory handle");
    return kHostParameterError;
  }
  if (auto it = host.faults.lock.find(block->name); it != host.faults.lock.end()) return it->second;
  ++block->locks;
  *ptr = block->bytes.data();
  return 0;
}

A_Err ORVEX_HOST_CALL unlock_mem_handle(AEGP_MemHandle handle) {
  Host& host = Host::current();
  MemBlock* block = host.block(handle);
  if (block == nullptr) {
    host.misuse.push_back("unlock of an unknown memory handle");
    return kHostParameterError;
  }
  if (auto it = host.faults.unlock.find(block->name); it != host.faults.unlock.end())
    return it->second;
  if (block->locks == 0) {
    host.misuse.push_back("unlock of a handle that is not locked \"" + block->name + "\"");
    return kHostParameterError;
  }
  --block->locks;
  return 0;
}

const AEGP_MemorySuite1 kMemorySuite = {new_mem_handle, free_mem_handle, lock_mem_handle,
                                        unlock_mem_handle};

// ---- IO out suite

A_Err ORVEX_HOST_CALL get_options(AEIO_OutSpecH outH, AEIO_Handle* optionsPH) {
  RenderTarget* target = target_of(outH);
  if (target->values.options_get_err) return target->values.options_get_err;
  *optionsPH = target->options;
  return 0;
}

A_Err ORVEX_HOST_CALL set_options(AEIO_OutSpecH outH, AEIO_Handle optionsH, AEIO_Handle* oldPH) {
  RenderTarget* target = target_of(outH);
  if (target->values.options_set_err) return target->values.options_set_err;
  *oldPH = target->options == optionsH ? nullptr : target->options;
  target->options = optionsH;
  return 0;
}

A_Err ORVEX_HOST_CALL get_file_path(AEIO_OutSpecH outH, AEGP_MemHandle* pathPH) {
  RenderTarget* target = target_of(outH);
  *pathPH = nullptr;
  if (!target->values.no_path) {
    const std::u16string& path = target->values.path;
    AEGP_MemHandle handle = Host::current().new_handle("path", (path.size() + 1) * 2);
    std::memcpy(Host::current().block(handle)->bytes.data(), path.data(), path.size() * 2);
    *pathPH = handle;
  }
  return target->values.path_err;
}

A_Err ORVEX_HOST_CALL get_fps(AEIO_OutSpecH outH, A_Fixed* fpsP) {
  const TargetValues& v = target_of(outH)->values;
  if (v.fps_err) return v.fps_err;
  *fpsP = v.fps;
  return 0;
}

A_Err ORVEX_HOST_CALL get_depth(AEIO_OutSpecH outH, A_short* depthP) {
  const TargetValues& v = target_of(outH)->values;
  if (v.depth_err) return v.depth_err;
  *depthP = v.depth;
  return 0;
}

A_Err ORVEX_HOST_CALL set_depth(AEIO_OutSpecH outH, A_short depth) {
  TargetValues& v = target_of(outH)->values;
  if (v.set_depth_err) return v.set_depth_err;
  v.depth = depth;
  return 0;
}

A_Err ORVEX_HOST_CALL get_dimensions(AEIO_OutSpecH outH, A_long* widthP, A_long* heightP) {
  const TargetValues& v = target_of(outH)->values;
  if (v.dimensions_err) return v.dimensions_err;
  *widthP = v.width;
  *heightP = v.height;
  return 0;
}

A_Err ORVEX_HOST_CALL get_hsf(AEIO_OutSpecH outH, A_Ratio* hsfP) {
  const TargetValues& v = target_of(outH)->values;
  if (v.hsf_err) return v.hsf_err;
  *hsfP = v.hsf;
  return 0;
}

A_Err ORVEX_HOST_CALL get_sound_rate(AEIO_OutSpecH outH, A_FpLong* rateP) {
  const TargetValues& v = target_of(outH)->values;
  if (v.sound_rate_err) return v.sound_rate_err;
  *rateP = v.sound_rate;
  return 0;
}

A_Err ORVEX_HOST_CALL get_sample_size(AEIO_OutSpecH outH, A_short* sizeP) {
  const TargetValues& v = target_of(outH)->values;
  if (v.sample_size_err) return v.sample_size_err;
  *sizeP = v.sample_size;
  return 0;
}

A_Err ORVEX_HOST_CALL get_channels(AEIO_OutSpecH outH, A_short* channelsP) {
  const TargetValues& v = target_of(outH)->values;
  if (v.channels_err) return v.channels_err;
  *channelsP = v.channels;
  return 0;
}

A_Err ORVEX_HOST_CALL get_is_missing(AEIO_OutSpecH outH, A_Boolean* missingP) {
  const TargetValues& v = target_of(outH)->values;
  if (v.missing_err) return v.missing_err;
  *missingP = v.missing;
  return 0;
}

const AEGP_IOOutSuite7 kIoOutSuite = {
    get_options,    set_options, get_file_path,  get_fps,         get_depth,    set_depth,
    get_dimensions, get_hsf,     get_sound_rate, get_sample_size, get_channels, get_is_missing};

// ---- utility and register suites

A_Err ORVEX_HOST_CALL report_info(AEGP_PluginID, const A_char* text) {
  Host::current().user_messages.emplace_back(text ? text : "");
  return 0;
}

A_Err ORVEX_HOST_CALL register_with_aegp(AEGP_GlobalRefcon, const A_char* name,
                                         AEGP_PluginID* idP) {
  Host& host = Host::current();
  if (host.faults.register_with_aegp) return host.faults.register_with_aegp;
  host.registration.aegp_name = name ? name : "";
  *idP = 8;
  return 0;
}

const AEGP_UtilitySuite13 kUtilitySuite = {report_info, register_with_aegp};

A_Err ORVEX_HOST_CALL register_death_hook(AEGP_PluginID, AEGP_DeathHook hook, AEGP_DeathRefcon) {
  Host& host = Host::current();
  if (host.faults.death_hook) return host.faults.death_hook;
  host.registration.death_hook = hook != nullptr;
  return 0;
}

A_Err ORVEX_HOST_CALL register_io(AEGP_PluginID, AEGP_IORefcon, const AEIO_ModuleInfo* info,
                                  const AEIO_FunctionBlock4* callbacks) {
  Host& host = Host::current();
  if (host.faults.register_io) return host.faults.register_io;
  host.registration.io_registered = true;
  host.registration.info = *info;
  host.registration.callbacks = *callbacks;
  return 0;
}

const AEGP_RegisterSuite6 kRegisterSuite = {register_death_hook, register_io};

// ---- ANSI and world suites

A_long ORVEX_HOST_CALL ansi_sprintf(A_char* buffer, const A_char* format, ...) {
  va_list args;
  va_start(args, format);
  const int written = std::vsprintf(buffer, format, args);
  va_end(args);
  return written;
}

A_char* ORVEX_HOST_CALL ansi_strcpy(A_char* dest, const A_char* src) {
  return std::strcpy(dest, src);
}

const PF_ANSICallbacksSuite1 kAnsiSuite = {ansi_sprintf, ansi_strcpy};

PF_Err ORVEX_HOST_CALL get_pixel_format(const PF_EffectWorld* world, PF_PixelFormat* formatP) {
  const PF_PixelFormat format = Host::current().format_of(world);
  if (format == 0) return kHostParameterError;
  *formatP = format;
  return 0;
}

const PF_WorldSuite2 kWorldSuite = {get_pixel_format};

A_Err ORVEX_HOST_CALL message_func(A_Err, const A_char* text) {
  Host::current().dialog_messages.emplace_back(text ? text : "");
  return 0;
}

struct SuiteEntry {
  const char* name;
  A_long version;
  const void* table;
};

const SuiteEntry kSuites[] = {
    {kAEGPRegisterSuite, kAEGPRegisterSuiteVersion6, &kRegisterSuite},
    {kAEGPUtilitySuite, kAEGPUtilitySuiteVersion13, &kUtilitySuite},
    {kAEGPIOOutSuite, kAEGPIOOutSuiteVersion7, &kIoOutSuite},
    {kAEGPMemorySuite, kAEGPMemorySuiteVersion1, &kMemorySuite},
    {kPFANSISuite, kPFANSISuiteVersion1, &kAnsiSuite},
    {kPFWorldSuite, kPFWorldSuiteVersion2, &kWorldSuite},
};

}  // namespace

Host::Host() {
  if (g_host != nullptr) throw std::logic_error("one simulated host at a time");
  g_host = this;
  basic_suite_.AcquireSuite = &Host::acquire_suite;
  basic_suite_.ReleaseSuite = &Host::release_suite;
  basic_data_.pica_basicP = &basic_suite_;
  basic_data_.aegp_plug_id = 7;
  basic_data_.msg_func = &message_func;
}

Host::~Host() {
  g_host = nullptr;
}

Host& Host::current() {
  assert(g_host != nullptr);
  return *g_host;
}

SPErr Host::acquire_suite(const char* name, A_long version, const void** suite) {
  Host& host = current();
  if (host.faults.missing_suites.count(name)) return kSuiteNotFound;
  for (const SuiteEntry& entry : kSuites) {
    if (std::strcmp(entry.name, name) == 0 && entry.version == version) {
      *suite = entry.table;
      ++host.suites_held_;
      return 0;
    }
  }
  return kSuiteNotFound;
}

SPErr Host::release_suite(const char* name, A_long version) {
  Host& host = current();
  if (host.suites_held_ == 0)
    host.misuse.push_back(std::string("release of a suite not acquired: ") + name + " " +
                          std::to_string(version));
  else
    --host.suites_held_;
  return 0;
}

A_Err Host::enter(EntryPointFunc_Fn entry, AEGP_PluginID plugin_id) {
  basic_data_.aegp_plug_id = plugin_id;
  AEGP_GlobalRefcon refcon = nullptr;
  return entry(&basic_suite_, 1, 0, plugin_id, &refcon);
}

RenderTarget* Host::new_target(const TargetValues& values) {
  targets_.push_back(std::make_unique<RenderTarget>());
  targets_.back()->values = values;
  return targets_.back().get();
}

AEGP_MemHandle Host::new_handle(const std::string& name, size_t size) {
  auto block = std::make_unique<MemBlock>();
  block->name = name;
  block->bytes.assign(size, 0);
  auto handle = reinterpret_cast<AEGP_MemHandle>(block.get());
  blocks_.emplace(handle, std::move(block));
  return handle;
}

MemBlock* Host::block(AEGP_MemHandle handle) {
  auto it = blocks_.find(handle);
  return it == blocks_.end() ? nullptr : it->second.get();
}

void Host::free_handle(AEGP_MemHandle handle) {
  blocks_.erase(handle);
}

size_t Host::live_handles_named(const std::string& name) const {
  size_t count = 0;
  for (const auto& [handle, block] : blocks_) count += block->name == name;
  return count;
}

size_t Host::locked_handles() const {
  size_t count = 0;
  for (const auto& [handle, block] : blocks_) count += block->locks != 0;
  return count;
}

PF_EffectWorld* Host::new_world(PF_PixelFormat format, A_long width, A_long height) {
  auto world = std::make_unique<World>();
  const int pixel_bytes = format == PF_PixelFormat_ARGB32   ? 4
                          : format == PF_PixelFormat_ARGB64 ? 8
                                                            : 16;
  // Rows padded to a multiple of 16 bytes beyond the pixels, as hosts often do.
  const A_long rowbytes = (width * pixel_bytes + 16 + 15) / 16 * 16;
  world->pixels.assign(static_cast<size_t>(rowbytes) * height, 0);
  world->world.data = world->pixels.data();
  world->world.rowbytes = rowbytes;
  world->world.width = width;
  world->world.height = height;
  world->format = format;
  worlds_.push_back(std::move(world));
  return &worlds_.back()->world;
}

PF_PixelFormat Host::format_of(const PF_EffectWorld* world) const {
  for (const auto& w : worlds_)
    if (&w->world == world) return w->format;
  return 0;
}

}  // namespace orvex_sim
