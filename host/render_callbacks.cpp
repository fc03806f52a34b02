// The four render callbacks: start adding gathers the output's settings from the host and the
// options record and registers a RenderJob under the output handle; add frame and add sound
// chunk route buffers to that job; end adding flushes, finishes and destroys it.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>

#include "host/callbacks.h"
#include "host/host_suites_access.h"
#include "host/job_registry.h"
#include "host/options_record.h"
#include "host/render_settings.h"
#include "job/frame_rate.h"
#include "job/render_job.h"
#include "texture/dxtenc.h"
#include "texture/pixel_formats.h"

namespace orvex_host {
namespace {

constexpr A_Err kFrameFailed = 9988;
constexpr A_Err kStartFailed = 9995;
constexpr A_Err kNoPath = 9996;
constexpr A_Err kEndFailed = 9997;
constexpr CpuFeatureMask kCpuFeatureMask = CPU_MASK_DEFAULT;  // 0xF8

uintptr_t key_of(AEIO_OutSpecH outH) {
  return reinterpret_cast<uintptr_t>(outH);
}

void log_line(const char* text) {
  std::printf("%s\n", text);
}

// Shows `text` to the user as it stands, cut to the 256-byte message buffer.
void report_plain(const AEGP_UtilitySuite13& utility, AEGP_PluginID id, const std::string& text) {
  char message[256];
  const size_t length = std::min(text.size(), sizeof message - 1);
  std::memcpy(message, text.data(), length);
  message[length] = '\0';
  utility.AEGP_ReportInfo(id, message);
}

// Copies the zero-terminated UTF-16 path out of the host's handle and frees the handle.
std::u16string take_path(const AEGP_MemorySuite1& memory, AEGP_MemHandle path_handle) {
  std::u16string path;
  {
    HandleLock lock(&memory, path_handle);
    if (const auto* chars = lock.as<const A_UTF16Char>()) {
      for (; *chars != 0; ++chars) path.push_back(static_cast<char16_t>(*chars));
    }
  }
  memory.AEGP_FreeMemHandle(path_handle);
  return path;
}

// The sound rate as whole hertz; values an int32 cannot hold become 0, which the movie writer
// refuses with its own message.
int32_t whole_hertz(A_FpLong rate) {
  if (!(rate >= 0.0 && rate < 2147483648.0)) return 0;
  return static_cast<int32_t>(rate);
}

A_Err start_adding(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH) {
  AcquiredSuite<AEGP_IOOutSuite7> io(basic_dataP);
  AcquiredSuite<AEGP_MemorySuite1> memory(basic_dataP);
  AcquiredSuite<PF_ANSICallbacksSuite1> ansi(basic_dataP);
  AcquiredSuite<AEGP_UtilitySuite13> utility(basic_dataP);
  const AEGP_PluginID plugin_id = basic_dataP->aegp_plug_id;
  auto fail = [&](const char* line, const char* message) {
    log_line(line);
    utility->AEGP_ReportInfo(plugin_id, message);
    return kStartFailed;
  };

  AEGP_MemHandle path_handle = nullptr;
  A_Boolean file_reserved = 0;  // the host created the (empty) file already
  const A_Err path_err = io->AEGP_GetOutSpecFilePath(outH, &path_handle, &file_reserved);
  if (path_handle == nullptr) {
    log_line("ERR path");
    return kNoPath;
  }
  const std::u16string path = take_path(*memory.get(), path_handle);
  if (path.empty()) return kNoPath;

  AEIO_Handle options = nullptr;
  const A_Err options_err = io->AEGP_GetOutSpecOptionsHandle(outH, &options);
  if (path_err || options_err || options == nullptr)
    return fail("ERROR : Unknown Error 1_3", "Unknown Error 1_3");

  HandleLock record_lock(memory.get(), options);
  const auto* record = record_lock.as<const OutputOptions>();
  A_long width = 0, height = 0;
  if (record != nullptr && io->AEGP_GetOutSpecDimensions(outH, &width, &height) != 0)
    width = height = 0;
  A_short depth = 0;
  io->AEGP_GetOutSpecDepth(outH, &depth);
  A_FpLong sound_rate = 0;
  io->AEGP_GetOutSpecSoundRate(outH, &sound_rate);
  AEIO_SndSampleSize sample_size = 0;
  io->AEGP_GetOutSpecSoundSampleSize(outH, &sample_size);
  AEIO_SndEncoding encoding = 0;
  if (io->AEGP_GetOutSpecSoundEncoding(outH, &encoding) != 0)
    encoding = sample_size == 4   ? AEIO_E_SIGNED_FLOAT
               : sample_size == 1 ? AEIO_E_UNSIGNED_PCM
                                  : AEIO_E_SIGNED_PCM;
  AEIO_SndChannels channels = 0;
  const A_Err channels_err = io->AEGP_GetOutSpecSoundChannels(outH, &channels);
  // The job holds sizes in 16 bits: anything outside 1..65535 would be silently truncated.
  if (channels_err || record == nullptr || width <= 0 || height <= 0 || width > 0xFFFF ||
      height > 0xFFFF)
    return fail("ERROR : Unknown Error 1_2", "Unknown Error 1_2");

  A_Fixed host_fps = 0;
  const A_Err fps_err = io->AEGP_GetOutSpecFPS(outH, &host_fps);
  A_Ratio hsf{1, 1};
  A_Err hsf_err = A_Err_NONE;
  if (!fps_err) hsf_err = io->AEGP_GetOutSpecHSF(outH, &hsf);
  if (hsf.den == 0 || hsf.num < 1) {
    log_line("ERROR : invalid fps");
    char message[256];
    ansi->sprintf(message, "Unsupported aspect ratio : %d ; %d.", static_cast<int>(hsf.num),
                  static_cast<int>(hsf.den));
    utility->AEGP_ReportInfo(plugin_id, message);
    return kStartFailed;
  }
  const float pixel_aspect = static_cast<float>(hsf.num) / static_cast<float>(hsf.den);
  if (fps_err || hsf_err) return fail("ERROR : Unknown Error 1_1", "Unknown Error 1_1");

  JobRegistry& registry = JobRegistry::instance();
  if (registry.contains(key_of(outH)))
    return fail("ERROR : File already exist", "File already exist.");

  const RenderSettings settings = render_settings_from(*record);
  RegisteredJob entry;
  entry.width = width;
  entry.height = height;
  // Sound the movie cannot hold as it is gives a movie without audio, said once the render runs.
  const SoundFormat sound = sound_format_from(encoding, sample_size);
  char sound_problem[256] = "";
  if ((channels == 1 || channels == 2) && sound.bits == 0)
    ansi->sprintf(sound_problem,
                  "No audio written: unsupported sound format (encoding %d, %d bytes per sample).",
                  static_cast<int>(encoding), static_cast<int>(sample_size));
  else if (channels != 0 && channels != 1 && channels != 2)
    ansi->sprintf(sound_problem, "No audio written: %d channels (mono or stereo only).",
                  static_cast<int>(channels));
  try {
    FrameRate rate{25, 1};
    fps_from_fixed(rate, host_fps);
    // A rate that rounds to 0 frames per second cannot time a movie.
    if (rate.numerator == 0)
      throw std::runtime_error("Invalid fps value : " + std::to_string(host_fps));
    RenderJobSettings job_settings;
    job_settings.path = path;
    job_settings.width = static_cast<uint16_t>(width);
    job_settings.height = static_cast<uint16_t>(height);
    job_settings.depth = sample_description_depth(depth);
    job_settings.frame_rate = rate;
    job_settings.chunk_count = settings.chunk_count;
    job_settings.pixel_aspect_ratio = pixel_aspect;
    job_settings.codec = settings.job_codec;
    job_settings.encoding_mode = settings.encoding_mode;
    job_settings.quality = settings.quality;
    job_settings.cpu_mask = kCpuFeatureMask;
    job_settings.existing_file = file_reserved != 0;
    entry.job = std::make_unique<RenderJob>(job_settings);
    if ((channels == 1 || channels == 2) && sound.bits != 0) {
      entry.job->set_audio_tracks(1, whole_hertz(sound_rate), sound.bits, channels,
                                  sound.float_flag, 0);
      entry.audio = true;
    }
  } catch (const std::runtime_error& e) {
    report_plain(*utility.get(), plugin_id, e.what());
    return kStartFailed;  // a job already made is destroyed here and closes its file
  } catch (const std::bad_alloc& e) {
    report_plain(*utility.get(), plugin_id, e.what());
    return kStartFailed;
  }
  try {
    const auto host_depth = static_cast<uint32_t>(depth);
    entry.job->open_encoders(ARGB_8, host_depth, PAD_REPLICATE, 0);
    entry.job->open_extra_encoders(ARGB_16_HOST, host_depth, PAD_REPLICATE, 0, 1);
    entry.job->open_extra_encoders(ARGB_16_HOST, host_depth, PAD_REPLICATE, 0, 2);
  } catch (const std::runtime_error& e) {
    report_plain(*utility.get(), plugin_id, e.what());
    return kStartFailed;
  } catch (const std::bad_alloc& e) {
    report_plain(*utility.get(), plugin_id, e.what());
    return kStartFailed;
  }
  registry.insert(key_of(outH), std::move(entry));
  if (sound_problem[0] != '\0') utility->AEGP_ReportInfo(plugin_id, sound_problem);
  // The render is registered: an unlock complaint must not make the host think it failed.
  record_lock.unlock();
  return A_Err_NONE;
}

// Bytes per pixel of the world formats the job reads, or 0 for any other format.
int world_pixel_bytes(PF_PixelFormat format) {
  if (format == PF_PixelFormat_ARGB32) return 4;
  if (format == PF_PixelFormat_ARGB64) return 8;
  return 0;
}

A_Err add_frame(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, const PF_EffectWorld* wP) {
  AcquiredSuite<PF_WorldSuite2> world_suite(basic_dataP, A_Err_MISSING_SUITE);
  PF_PixelFormat format = 0;
  if (wP == nullptr || world_suite->PF_GetPixelFormat(wP, &format) != 0) format = 0;

  RegisteredJob* entry = JobRegistry::instance().find(key_of(outH));
  if (entry == nullptr) {
    log_line("Erreur AddFrame 2_1");
    return kFrameFailed;
  }
  if (!entry->job) {
    log_line("Erreur AddFrame 2_2");
    return kFrameFailed;
  }
  const int pixel_bytes = world_pixel_bytes(format);
  if (pixel_bytes == 0) return kFrameFailed;
  // The job reads the output's width x height from the world: a smaller world, or rows closer
  // together than one output row, would be read past its end.
  if (wP->data == nullptr || wP->width < entry->width || wP->height < entry->height ||
      static_cast<int64_t>(wP->rowbytes) < static_cast<int64_t>(entry->width) * pixel_bytes)
    return kFrameFailed;
  const uint8_t texture_slot = pixel_bytes == 8 ? 1 : 0;
  try {
    entry->job->add_frame(static_cast<const uint8_t*>(wP->data), static_cast<size_t>(wP->rowbytes),
                          texture_slot);
  } catch (const std::runtime_error& e) {
    std::printf("Err add : %s\n", e.what());
    return kFrameFailed;
  } catch (...) {
    log_line("Err inconnu add argb");
    return kFrameFailed;
  }
  return A_Err_NONE;
}

A_Err add_sound_chunk(AEIO_OutSpecH outH, A_u_long num_samples, const void* data) {
  RegisteredJob* entry = JobRegistry::instance().find(key_of(outH));
  if (entry == nullptr || !entry->job) return kFrameFailed;
  if (!entry->audio) return A_Err_NONE;  // a movie without audio: the sound is dropped
  if (num_samples > 0 && data == nullptr) return kFrameFailed;
  try {
    entry->job->add_sound(data, static_cast<int64_t>(num_samples), 0);
  } catch (...) {
    return kFrameFailed;
  }
  return A_Err_NONE;
}

A_Err end_adding(AEIO_OutSpecH outH) {
  JobRegistry& registry = JobRegistry::instance();
  RegisteredJob* entry = registry.find(key_of(outH));
  if (entry == nullptr) {
    log_line("Erreur EndAdding, goutfiles introuvable");
    return A_Err_NONE;
  }
  try {
    if (entry->job) {
      entry->job->flush();
      entry->job->finish();
    }
    registry.erase(key_of(outH));
  } catch (const std::runtime_error& e) {
    std::printf("Err enAdding runtime : %s\n", e.what());
    // The movie could not be completed: say so, and release the job and its file so that the
    // output can be rendered again.
    registry.erase(key_of(outH));
    return kEndFailed;
  } catch (...) {
    log_line("Erreur EndAdding, exception levee");
    registry.erase(key_of(outH));
    return kEndFailed;
  }
  return A_Err_NONE;
}

}  // namespace

A_Err AEIO_StartAdding(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, A_long) noexcept {
  return host_guard(kStartFailed, [&] { return start_adding(basic_dataP, outH); });
}

A_Err AEIO_AddFrame(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, A_long, A_long,
                    const PF_EffectWorld* wP, const A_LPoint*, A_Boolean,
                    AEIO_InterruptFuncs*) noexcept {
  return host_guard(kFrameFailed, [&] { return add_frame(basic_dataP, outH, wP); });
}

A_Err AEIO_AddSoundChunk(AEIO_BasicData*, AEIO_OutSpecH outH, const A_Time*, A_u_long num_samplesLu,
                         const void* dataPV) noexcept {
  return host_guard(kFrameFailed, [&] { return add_sound_chunk(outH, num_samplesLu, dataPV); });
}

A_Err AEIO_EndAdding(AEIO_BasicData*, AEIO_OutSpecH outH, A_long) noexcept {
  return host_guard(kEndFailed, [&] { return end_adding(outH); });
}

}  // namespace orvex_host
