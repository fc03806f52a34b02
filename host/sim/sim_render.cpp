// The host's side of one render.
#include "host/sim/sim_render.h"

#include <cmath>
#include <cstring>

#include "host/sim/sim_frames.h"

namespace orvex_sim {
namespace {

void put_le32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

// First audio sample frame of video frame `index` at the target's rates.
int64_t first_sample_of(int index, const TargetValues& target) {
  return std::llround(index * target.sound_rate * 65536.0 / target.fps);
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
      if (values.channels > 0 && values.sample_size > 0) {
        const int64_t first = first_sample_of(i, values);
        const int64_t count = first_sample_of(i + 1, values) - first;
        std::vector<uint8_t> chunk =
            tone(first, count, values.channels, values.sample_size, values.sound_rate);
        const A_Time start{static_cast<A_long>(i), static_cast<A_u_long>(values.fps >> 16)};
        const A_Err sound_err =
            fb.AEIO_AddSoundChunk(basic, out, &start, static_cast<A_u_long>(count), chunk.data());
        result.sound_results.push_back(sound_err);
        result.audio.insert(result.audio.end(), chunk.begin(), chunk.end());
        if (sound_err) break;
      }
    }
    result.end = fb.AEIO_EndAdding(basic, out, 0);
  }
  fb.AEIO_DisposeOutputOptions(basic, target->options);
  target->options = nullptr;
  return result;
}

}  // namespace orvex_sim
