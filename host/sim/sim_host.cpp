// The simulated host's suites and state.
#include "host/sim/sim_host.h"

#include <cassert>
#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <type_traits>

namespace orvex_sim {
namespace {

Host* g_host = nullptr;

// ---- traps

template <size_t N>
struct Text {
  char chars[N];
  constexpr Text(const char (&text)[N]) {  // NOLINT: implicit from a string literal
    for (size_t i = 0; i < N; ++i) chars[i] = text[i];
  }
};

// A slot the module must not call. The result type and parameters are those of the slot it
// fills; the call is recorded as a misuse and answered with an error.
template <Text Suite, size_t Slot, Text Name, class R, class... Args>
R ORVEX_HOST_CALL trap(Args...) {
  Host::current().misuse.push_back(std::string("trap: ") + Suite.chars + " slot " +
                                   std::to_string(Slot) + " " + Name.chars);
  if constexpr (std::is_floating_point_v<R>)
    return 0.0;
  else
    return A_Err_GENERIC;
}
#define ORVEX_TRAP(suite_type, suite_name, slot) \
  .slot = &trap<suite_name, offsetof(suite_type, slot) / sizeof(void*), #slot>

// The table served: the host's functions, and the trap of the slot wherever the host has none or
// was told to trap it. Slots are positions of function pointers, copied as such.
template <class Suite>
void serve(Suite& served, const Suite& functions, const Suite& traps, const char* suite_name,
           const std::set<std::pair<std::string, int>>& trapped) {
  constexpr size_t kSlots = sizeof(Suite) / sizeof(void (*)());
  static_assert(sizeof(Suite) == kSlots * sizeof(void (*)()));
  uintptr_t slots[kSlots], trap_slots[kSlots];
  std::memcpy(slots, &functions, sizeof slots);
  std::memcpy(trap_slots, &traps, sizeof trap_slots);
  for (size_t i = 0; i < kSlots; ++i)
    if (slots[i] == 0 || trapped.count({suite_name, static_cast<int>(i)})) slots[i] = trap_slots[i];
  std::memcpy(&served, slots, sizeof slots);
}

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

// Slots the host implements; the others are traps (see serve).
const AEGP_MemorySuite1 kMemorySuite = [] {
  AEGP_MemorySuite1 s{};
  s.AEGP_NewMemHandle = new_mem_handle;
  s.AEGP_FreeMemHandle = free_mem_handle;
  s.AEGP_LockMemHandle = lock_mem_handle;
  s.AEGP_UnlockMemHandle = unlock_mem_handle;
  return s;
}();

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

A_Err ORVEX_HOST_CALL get_file_path(AEIO_OutSpecH outH, AEGP_MemHandle* pathPH,
                                    A_Boolean* file_reservedPB) {
  RenderTarget* target = target_of(outH);
  *pathPH = nullptr;
  if (file_reservedPB == nullptr)
    Host::current().misuse.push_back("the path query without a file-reserved flag to write");
  else
    *file_reservedPB = target->values.file_reserved ? 1 : 0;
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

A_Err ORVEX_HOST_CALL get_sound_encoding(AEIO_OutSpecH outH, AEIO_SndEncoding* encodingP) {
  const TargetValues& v = target_of(outH)->values;
  if (v.sound_encoding_err) return v.sound_encoding_err;
  *encodingP = v.sound_encoding;
  return 0;
}

A_Err ORVEX_HOST_CALL get_sample_size(AEIO_OutSpecH outH, AEIO_SndSampleSize* sizeP) {
  const TargetValues& v = target_of(outH)->values;
  if (v.sample_size_err) return v.sample_size_err;
  *sizeP = v.sample_size;
  return 0;
}

A_Err ORVEX_HOST_CALL get_channels(AEIO_OutSpecH outH, AEIO_SndChannels* channelsP) {
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

const AEGP_IOOutSuite7 kIoOutSuite = [] {
  AEGP_IOOutSuite7 s{};
  s.AEGP_GetOutSpecOptionsHandle = get_options;
  s.AEGP_SetOutSpecOptionsHandle = set_options;
  s.AEGP_GetOutSpecFilePath = get_file_path;
  s.AEGP_GetOutSpecFPS = get_fps;
  s.AEGP_GetOutSpecDepth = get_depth;
  s.AEGP_SetOutSpecDepth = set_depth;
  s.AEGP_GetOutSpecDimensions = get_dimensions;
  s.AEGP_GetOutSpecHSF = get_hsf;
  s.AEGP_GetOutSpecSoundRate = get_sound_rate;
  s.AEGP_GetOutSpecSoundEncoding = get_sound_encoding;
  s.AEGP_GetOutSpecSoundSampleSize = get_sample_size;
  s.AEGP_GetOutSpecSoundChannels = get_channels;
  s.AEGP_GetOutSpecIsMissing = get_is_missing;
  return s;
}();

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

const AEGP_UtilitySuite13 kUtilitySuite = [] {
  AEGP_UtilitySuite13 s{};
  s.AEGP_ReportInfo = report_info;
  s.AEGP_RegisterWithAEGP = register_with_aegp;
  return s;
}();

A_Err ORVEX_HOST_CALL register_death_hook(AEGP_PluginID, AEGP_DeathHook hook, AEGP_DeathRefcon) {
  Host& host = Host::current();
  if (host.faults.death_hook) return host.faults.death_hook;
  host.registration.death_hook = hook;
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

const AEGP_RegisterSuite6 kRegisterSuite = [] {
  AEGP_RegisterSuite6 s{};
  s.AEGP_RegisterDeathHook = register_death_hook;
  s.AEGP_RegisterIO = register_io;
  return s;
}();

// ---- ANSI and world suites

int32_t ORVEX_HOST_CALL ansi_sprintf(A_char* buffer, const A_char* format, ...) {
  va_list args;
  va_start(args, format);
  const int written = std::vsprintf(buffer, format, args);
  va_end(args);
  return written;
}

A_char* ORVEX_HOST_CALL ansi_strcpy(A_char* dest, const A_char* src) {
  return std::strcpy(dest, src);
}

const PF_ANSICallbacksSuite1 kAnsiSuite = [] {
  PF_ANSICallbacksSuite1 s{};
  s.sprintf = ansi_sprintf;
  s.strcpy = ansi_strcpy;
  return s;
}();

PF_Err ORVEX_HOST_CALL get_pixel_format(const PF_EffectWorld* world, PF_PixelFormat* formatP) {
  const PF_PixelFormat format = Host::current().format_of(world);
  if (format == 0) return kHostParameterError;
  *formatP = format;
  return 0;
}

const PF_WorldSuite2 kWorldSuite = [] {
  PF_WorldSuite2 s{};
  s.PF_GetPixelFormat = get_pixel_format;
  return s;
}();

void ORVEX_HOST_CALL message_func(A_Err, const A_char* text) {
  Host::current().dialog_messages.emplace_back(text ? text : "");
}

// ---- every slot as a trap, in the host's order

constexpr SPBasicSuite kBasicTraps = {
    ORVEX_TRAP(SPBasicSuite, "SPBasicSuite", AcquireSuite),
    ORVEX_TRAP(SPBasicSuite, "SPBasicSuite", ReleaseSuite),
    ORVEX_TRAP(SPBasicSuite, "SPBasicSuite", IsEqual),
    ORVEX_TRAP(SPBasicSuite, "SPBasicSuite", AllocateBlock),
    ORVEX_TRAP(SPBasicSuite, "SPBasicSuite", FreeBlock),
    ORVEX_TRAP(SPBasicSuite, "SPBasicSuite", ReallocateBlock),
    ORVEX_TRAP(SPBasicSuite, "SPBasicSuite", Undefined),
};

#define REGISTER_TRAP(slot) ORVEX_TRAP(AEGP_RegisterSuite6, kAEGPRegisterSuite, slot)
constexpr AEGP_RegisterSuite6 kRegisterTraps = {
    REGISTER_TRAP(AEGP_RegisterCommandHook),     REGISTER_TRAP(AEGP_RegisterUpdateMenuHook),
    REGISTER_TRAP(AEGP_RegisterDeathHook),       REGISTER_TRAP(AEGP_RegisterVersionHook),
    REGISTER_TRAP(AEGP_RegisterAboutStringHook), REGISTER_TRAP(AEGP_RegisterAboutHook),
    REGISTER_TRAP(AEGP_RegisterArtisan),         REGISTER_TRAP(AEGP_RegisterIO),
};

#define UTILITY_TRAP(slot) ORVEX_TRAP(AEGP_UtilitySuite13, kAEGPUtilitySuite, slot)
constexpr AEGP_UtilitySuite13 kUtilityTraps = {
    UTILITY_TRAP(AEGP_ReportInfo),
    UTILITY_TRAP(AEGP_ReportInfoUnicode),
    UTILITY_TRAP(AEGP_GetDriverPluginInitFuncVersion),
    UTILITY_TRAP(AEGP_GetDriverImplementationVersion),
    UTILITY_TRAP(AEGP_StartQuietErrors),
    UTILITY_TRAP(AEGP_EndQuietErrors),
    UTILITY_TRAP(AEGP_GetLastErrorMessage),
    UTILITY_TRAP(AEGP_StartUndoGroup),
    UTILITY_TRAP(AEGP_EndUndoGroup),
    UTILITY_TRAP(AEGP_RegisterWithAEGP),
};

#define IO_OUT_TRAP(slot) ORVEX_TRAP(AEGP_IOOutSuite7, kAEGPIOOutSuite, slot)
constexpr AEGP_IOOutSuite7 kIoOutTraps = {
    IO_OUT_TRAP(AEGP_GetOutSpecOptionsHandle),
    IO_OUT_TRAP(AEGP_SetOutSpecOptionsHandle),
    IO_OUT_TRAP(AEGP_GetOutSpecFilePath),
    IO_OUT_TRAP(AEGP_GetOutSpecFPS),
    IO_OUT_TRAP(AEGP_SetOutSpecNativeFPS),
    IO_OUT_TRAP(AEGP_GetOutSpecDepth),
    IO_OUT_TRAP(AEGP_SetOutSpecDepth),
    IO_OUT_TRAP(AEGP_GetOutSpecInterlaceLabel),
    IO_OUT_TRAP(AEGP_SetOutSpecInterlaceLabel),
    IO_OUT_TRAP(AEGP_GetOutSpecAlphaLabel),
    IO_OUT_TRAP(AEGP_SetOutSpecAlphaLabel),
    IO_OUT_TRAP(AEGP_GetOutSpecDuration),
    IO_OUT_TRAP(AEGP_SetOutSpecDuration),
    IO_OUT_TRAP(AEGP_GetOutSpecDimensions),
    IO_OUT_TRAP(AEGP_GetOutSpecHSF),
    IO_OUT_TRAP(AEGP_SetOutSpecHSF),
    IO_OUT_TRAP(AEGP_GetOutSpecSoundRate),
    IO_OUT_TRAP(AEGP_SetOutSpecSoundRate),
    IO_OUT_TRAP(AEGP_GetOutSpecSoundEncoding),
    IO_OUT_TRAP(AEGP_SetOutSpecSoundEncoding),
    IO_OUT_TRAP(AEGP_GetOutSpecSoundSampleSize),
    IO_OUT_TRAP(AEGP_SetOutSpecSoundSampleSize),
    IO_OUT_TRAP(AEGP_GetOutSpecSoundChannels),
    IO_OUT_TRAP(AEGP_SetOutSpecSoundChannels),
    IO_OUT_TRAP(AEGP_GetOutSpecIsStill),
    IO_OUT_TRAP(AEGP_GetOutSpecPosterTime),
    IO_OUT_TRAP(AEGP_GetOutSpecStartFrame),
    IO_OUT_TRAP(AEGP_GetOutSpecPullDown),
    IO_OUT_TRAP(AEGP_GetOutSpecIsMissing),
};

#define MEMORY_TRAP(slot) ORVEX_TRAP(AEGP_MemorySuite1, kAEGPMemorySuite, slot)
constexpr AEGP_MemorySuite1 kMemoryTraps = {
    MEMORY_TRAP(AEGP_NewMemHandle),
    MEMORY_TRAP(AEGP_FreeMemHandle),
    MEMORY_TRAP(AEGP_LockMemHandle),
    MEMORY_TRAP(AEGP_UnlockMemHandle),
};

#define ANSI_TRAP(slot) ORVEX_TRAP(PF_ANSICallbacksSuite1, kPFANSISuite, slot)
constexpr PF_ANSICallbacksSuite1 kAnsiTraps = {
    ANSI_TRAP(atan),    ANSI_TRAP(atan2),  ANSI_TRAP(ceil), ANSI_TRAP(cos),   ANSI_TRAP(exp),
    ANSI_TRAP(fabs),    ANSI_TRAP(floor),  ANSI_TRAP(fmod), ANSI_TRAP(hypot), ANSI_TRAP(log),
    ANSI_TRAP(log10),   ANSI_TRAP(pow),    ANSI_TRAP(sin),  ANSI_TRAP(sqrt),  ANSI_TRAP(tan),
    .sprintf = nullptr, .strcpy = nullptr,  // variadic, and always served: no traps
};

#define WORLD_TRAP(slot) ORVEX_TRAP(PF_WorldSuite2, kPFWorldSuite, slot)
constexpr PF_WorldSuite2 kWorldTraps = {
    WORLD_TRAP(PF_NewWorld),
    WORLD_TRAP(PF_DisposeWorld),
    WORLD_TRAP(PF_GetPixelFormat),
};

}  // namespace

Host::Host() {
  if (g_host != nullptr) throw std::logic_error("one simulated host at a time");
  g_host = this;
  SPBasicSuite functions{};
  functions.AcquireSuite = &Host::acquire_suite;
  functions.ReleaseSuite = &Host::release_suite;
  serve(basic_suite_, functions, kBasicTraps, "SPBasicSuite", {});
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

SPErr Host::acquire_suite(const char* name, int32_t version, const void** suite) {
  Host& host = current();
  if (host.faults.missing_suites.count(name)) return kSuiteNotFound;
  const auto offer = [&](const char* suite_name, int32_t suite_version, auto& served,
                         const auto& functions, const auto& traps) {
    if (std::strcmp(suite_name, name) != 0 || suite_version != version) return false;
    serve(served, functions, traps, suite_name, host.faults.trapped_slots);
    *suite = &served;
    ++host.suites_held_;
    return true;
  };
  if (offer(kAEGPRegisterSuite, kAEGPRegisterSuiteVersion6, host.register_, kRegisterSuite,
            kRegisterTraps) ||
      offer(kAEGPUtilitySuite, kAEGPUtilitySuiteVersion13, host.utility_, kUtilitySuite,
            kUtilityTraps) ||
      offer(kAEGPIOOutSuite, kAEGPIOOutSuiteVersion7, host.io_out_, kIoOutSuite, kIoOutTraps) ||
      offer(kAEGPMemorySuite, kAEGPMemorySuiteVersion1, host.memory_, kMemorySuite, kMemoryTraps) ||
      offer(kPFANSISuite, kPFANSISuiteVersion1, host.ansi_, kAnsiSuite, kAnsiTraps) ||
      offer(kPFWorldSuite, kPFWorldSuiteVersion2, host.world_, kWorldSuite, kWorldTraps))
    return 0;
  return kSuiteNotFound;
}

SPErr Host::release_suite(const char* name, int32_t version) {
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

A_Err Host::call_death_hook() {
  return registration.death_hook ? registration.death_hook(nullptr, nullptr) : A_Err_NONE;
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
  // Rows padded to a multiple of 16 bytes beyond the pixels, as hosts often do; the padding
  // holds junk that must never reach a movie.
  const A_long rowbytes = (width * pixel_bytes + 16 + 15) / 16 * 16;
  world->pixels.assign(static_cast<size_t>(rowbytes) * height, 0xA5);
  PF_EffectWorld& w = world->world;
  std::memset(&w, 0, sizeof w);
  w.reserved0 = reinterpret_cast<void*>(uintptr_t{0xBAD0F00D});
  w.reserved1 = reinterpret_cast<void*>(uintptr_t{0xBAD1F00D});
  w.world_flags = PF_WorldFlag_WRITEABLE | (pixel_bytes == 8 ? PF_WorldFlag_DEEP : 0);
  w.data = world->pixels.data();
  w.rowbytes = rowbytes;
  w.width = width;
  w.height = height;
  w.extent_hint = {0, 0, width, height};
  w.platform_ref = reinterpret_cast<void*>(uintptr_t{0xBAD2F00D});
  w.reserved_long4 = reinterpret_cast<void*>(uintptr_t{0xBAD3F00D});
  w.pix_aspect_ratio = {1, 1};
  w.reserved_long2 = reinterpret_cast<void*>(uintptr_t{0xBAD4F00D});
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
