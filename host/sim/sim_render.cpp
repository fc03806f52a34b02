// The host's side of one render.
#include "host/sim/sim_render.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

#include "host/sim/sim_frames.h"

namespace orvex_sim {
namespace {

// The empty file a host creates for a reserved output.
bool create_empty_file(const std::u16string& path) {
#if defined(_WIN32)
  std::FILE* file = _wfopen(reinterpret_cast<const wchar_t*>(path.c_str()), L"wb");
#else
  std::string utf8;
  for (size_t i = 0; i < path.size(); ++i) {
    uint32_t c = path[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < path.size())
      c = 0x10000 + ((c - 0xD800) << 10) + (path[++i] - 0xDC00u);
    const int extra = c < 0x80 ? 0 : c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
    constexpr uint32_t kLead[] = {0x00, 0xC0, 0xE0, 0xF0};
    utf8 += static_cast<char>(kLead[extra] | (c >> (6 * extra)));
    for (int k = extra - 1; k >= 0; --k) utf8 += static_cast<char>(0x80 | ((c >> (6 * k)) & 0x3F));
  }
  std::FILE* file = std::fopen(utf8.c_str(), "wb");
#endif
  return file != nullptr && std::fclose(file) == 0;
}

void put_le32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

// First audio sample frame of video frame `index` at the target's rates.
int64_t first_sample_of(int index, const TargetValues& target) {
  return std::llround(index * target.sound_rate * 65536.0 / target.fps);
}

// Hands the sound of frame `index` over in chunks of at most one second. Returns the first
// error.
A_Err add_frame_sound(Host& host, AEIO_OutSpecH out, int index, const RenderRequest& request,
                      RenderResult& result) {
  const TargetValues& v = request.target;
  const int64_t end = first_sample_of(index + 1, v);
  const int64_t chunk_limit = std::max<int64_t>(1, std::llround(v.sound_rate));
  for (int64_t first = first_sample_of(index, v); first < end;) {
    const int64_t count = std::min(end - first, chunk_limit);
    const std::vector<uint8_t> chunk =
        tone(first, count, v.channels, v.sound_encoding, v.sample_size, v.sound_rate);
    const A_Time start{static_cast<A_long>(first), static_cast<A_u_long>(chunk_limit)};
    const A_Err err = host.callbacks().AEIO_AddSoundChunk(
        host.basic_data(), out, &start, static_cast<A_u_long>(count), chunk.data());
    result.sound_results.push_back(err);
    if (request.keep_audio) result.audio.insert(result.audio.end(), chunk.begin(), chunk.end());
    if (err) return err;
    first += count;
  }
  return A_Err_NONE;
}

}  // namespace

bool RenderResult::all_ok() const {
  if (init || flatten || info || depths || start || end) return false;
  for (A_Err e : frame_results)
    if (e) return false;
  for (A_Err e : sound_results)
    if (e) return false;
  return true;
}

PF_PixelFormat world_format_for_depth(int depth_bits) {
  if (depth_bits == 24 || depth_bits == 32) return PF_PixelFormat_ARGB32;
  if (depth_bits == 48 || depth_bits == 64) return PF_PixelFormat_ARGB64;
  return PF_PixelFormat_ARGB128;
}

bool depth_has_alpha(int depth_bits) {
  return depth_bits != 24 && depth_bits != 48;
}

void write_choices(MemBlock& record, const RenderRequest& request) {
  // Offsets of the options record: codec 8, Snappy 14, chunk count 16, quality 20, mode 24.
  put_le32(record.bytes, 8, request.codec);
  record.bytes[14] = request.snappy ? 1 : 0;
  put_le32(record.bytes, 16, request.chunks);
  put_le32(record.bytes, 20, request.quality);
  put_le32(record.bytes, 24, request.frame_mode);
}

RenderResult run_render(Host& host, const RenderRequest& request) {
  RenderResult result;
  AEIO_BasicData* basic = host.basic_data();
  const AEIO_FunctionBlock4& fb = host.callbacks();

  RenderTarget* target = host.new_target(request.target);
  A_Boolean user_interacted = 0;
  result.init = fb.AEIO_InitOutputSpec(basic, Host::handle_of(target), &user_interacted);
  if (result.init || target->options == nullptr) return result;
  write_choices(*host.block(target->options), request);

  if (request.project_round_trip) {
    // Saved in a project, then opened again: the flat copy becomes a new target's options.
    AEIO_Handle flat = nullptr;
    result.flatten = fb.AEIO_GetFlatOutputOptions(basic, Host::handle_of(target), &flat);
    if (result.flatten) return result;
    fb.AEIO_DisposeOutputOptions(basic, target->options);
    target->options = nullptr;
    target = host.new_target(request.target);
    target->options = flat;
    result.init = fb.AEIO_InitOutputSpec(basic, Host::handle_of(target), &user_interacted);
    if (result.init) return result;
  }
  const AEIO_OutSpecH out = Host::handle_of(target);

  AEIO_Verbiage verbiage{};
  result.info = fb.AEIO_GetOutputInfo(basic, out, &verbiage);
  result.description = verbiage.sub_type;
  AEIO_SupportedDepthFlags depth_flags = 0;
  result.depths = fb.AEIO_GetDepths(basic, out, &depth_flags);
  result.depth_flags = depth_flags;

  if (request.target.file_reserved && !create_empty_file(request.target.path))
    throw std::runtime_error("cannot create the reserved file");
  result.start = fb.AEIO_StartAdding(basic, out, 0);
  if (result.start == 0) {
    const TargetValues& values = request.target;
    const PF_PixelFormat format =
        request.world_format ? request.world_format : world_format_for_depth(values.depth);
    PF_EffectWorld* world =
        host.new_world(format, request.world_width ? request.world_width : values.width,
                       request.world_height ? request.world_height : values.height);
    const bool alpha = depth_has_alpha(values.depth);
    for (int i = 0; i < request.frames; ++i) {
      if (request.flat_picture)
        fill_flat(*world, format);
      else
        draw_pattern(*world, format, i, alpha);
      const A_Err frame_err =
          fb.AEIO_AddFrame(basic, out, i, request.frames, world, nullptr, 0, nullptr);
      result.frame_results.push_back(frame_err);
      if (frame_err) break;
      if (values.channels > 0 && values.sample_size > 0 &&
          add_frame_sound(host, out, i, request, result))
        break;
    }
    if (request.abandon) return result;  // the host exits with the render still open
    result.end = fb.AEIO_EndAdding(basic, out, 0);
  }
  fb.AEIO_DisposeOutputOptions(basic, target->options);
  target->options = nullptr;
  return result;
}

}  // namespace orvex_sim
