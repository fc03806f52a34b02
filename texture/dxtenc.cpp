// DxtEnc set-up: validation, thread bands, and the one-time choice of the operation table by the
// kernel families of the texture type.
#include "texture/dxtenc.h"

#include <cstdio>
#include <thread>

#include "texture/cpu_probe.h"
#include "texture/dxtenc_bands.h"
#include "texture/kernel_binding.h"
#include "texture/pad_block.h"

namespace {

struct FamilyBinding {
  KernelFamily family;
  BindKernelsFn* bind;
};

// In binding order; a type binds the families its entry lists.
constexpr FamilyBinding kFamilies[] = {
    {KERNELS_DXT1, bind_dxt1_kernels},
    {KERNELS_ALPHA, bind_alpha_kernels},
    {KERNELS_YCOCG, bind_ycocg_kernels},
    {KERNELS_BC7, bind_bc7_kernels},
};

size_t blocks(uint32_t width, uint32_t height, PadMode pad) {
  const bool crop = pad == PAD_CROP;
  const size_t across = width / 4 + (!crop && width % 4 != 0 ? 1 : 0);
  const size_t down = height / 4 + (!crop && height % 4 != 0 ? 1 : 0);
  return across * down;
}

}  // namespace

size_t dxtenc_buffer_size(uint32_t width, uint32_t height, DxtEncType type, PadMode pad) {
  const DxtEncTypeInfo* info = dxtenc_type_info(type);
  const size_t block_bytes = info ? info->block_bytes + info->second_block_bytes : 24;
  return blocks(width, height, pad) * block_bytes;
}

size_t dxtenc_texture_size(uint32_t width, uint32_t height, DxtEncType type, PadMode pad,
                           uint32_t texture) {
  const DxtEncTypeInfo* info = dxtenc_type_info(type);
  if (!info || texture > 1) return 0;
  return blocks(width, height, pad) * (texture == 0 ? info->block_bytes : info->second_block_bytes);
}

int dxtenc_open(DxtEnc* enc, const DxtEncSettings& s) {
  *enc = DxtEnc{};
  enc->pixel_format = PIXEL_FORMAT_UNSET;

  if (s.pixel_format != ARGB_8 && s.pixel_format != ARGB_16_HOST) {
    std::printf("Pad invalid pix fmt : %d\n", static_cast<int>(s.pixel_format));
    return 1;
  }
  // The fields are 16-bit; a larger frame would be encoded from a truncated size.
  if (s.width > 0xFFFF || s.height > 0xFFFF) {
    std::printf("DxtEnc invalid size : %ux%u\n", s.width, s.height);
    return 1;
  }
  const DxtEncTypeInfo* info = dxtenc_type_info(s.type);
  if (!info) {
    std::printf("DxtEnc type non supporte : %u\n", static_cast<unsigned>(s.type));
    return 1;
  }
  if (info->quality_refusal && !dxt_quality_info(s.quality)) {
    std::printf("%s%d\n", info->quality_refusal, s.quality);
    return 1;
  }

  enc->quality = s.quality;
  enc->reserved = s.reserved;
  enc->source_without_alpha = s.source_without_alpha ? 1 : 0;
  enc->type = s.type;
  enc->pad_mode = s.pad_mode;
  enc->width = static_cast<uint16_t>(s.width);
  enc->height = static_cast<uint16_t>(s.height);

  const uint32_t processors = std::thread::hardware_concurrency();
  const ThreadBands bands = compute_thread_bands(s.height, s.threads, processors);
  enc->thread_count = bands.thread_count;
  for (uint32_t i = 0; i < kMaxThreadBands; ++i) {
    enc->band_start[i] = bands.start[i];
    enc->band_rows[i] = bands.rows[i];
  }

  KernelBinding binding{s.type, s.quality, s.pixel_format, s.source_without_alpha,
                        effective_mask(s.cpu_mask, probe_cpu_facts())};
  if (info->slow_withholds_avx2 && s.quality == DXT_QUALITY_SLOW) binding.effective &= ~CPU_AVX2;

  enc->ops.pad_block = pad_block_kernel(s.pixel_format, s.pad_mode);
  for (const FamilyBinding& f : kFamilies) {
    if ((info->families & f.family) != 0) f.bind(enc->ops, binding);
  }

  enc->pixel_format = s.pixel_format;
  return 0;
}
