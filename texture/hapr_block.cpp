#include "texture/hapr_block.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cstddef>
#include <utility>

#include "texture/bc7enc/bc7_best.h"
#include "texture/bc7enc/bc7_compress_block.h"
#include "texture/bc7enc/bc7_presets.h"
#include "texture/dxtenc_types.h"

namespace {

// Search effort of each quality level, in the order of kDxtQualities; Best has its own driver.
constexpr const Bc7BlockParams* kParams[] = {&g_bc7_params_fast, &g_bc7_params_normal,
                                             &g_bc7_params_slow, nullptr};
static_assert(std::size(kParams) == std::size(kDxtQualities));

template <size_t kQuality, const Bc7Kernels& kKernels>
void hapr_block(DxtEncOps ops, uint8_t* out, const uint8_t* const planes[4],
                const size_t strides[4]) {
  Bc7Color pixels[16];
  ops.fetch_bc7(planes[0], strides[0], pixels[0].m_c);
  // By the level's value: comparing the addresses above is not a constant expression in
  // sanitized builds.
  if constexpr (kDxtQualities[kQuality].value == DXT_QUALITY_BEST)
    bc7_compress_block_best(out, pixels, kKernels);
  else
    bc7_compress_block(out, pixels, *kParams[kQuality], kKernels);
}

// The full blocks of a row, kBc7BatchBlocks at a time. `kBlockBytes`: bytes of four source pixels.
template <size_t kQuality, const Bc7Kernels& kKernels, size_t kBlockBytes>
void hapr_row(const DxtEncOps& ops, uint8_t* out, const uint8_t* const planes[4],
              const size_t strides[4], uint32_t count) {
  Bc7Color pixels[kBc7BatchBlocks][16];
  for (uint32_t first = 0; first < count; first += kBc7BatchBlocks) {
    const uint32_t n = std::min(count - first, kBc7BatchBlocks);
    for (uint32_t b = 0; b < n; ++b)
      ops.fetch_bc7(planes[0] + (first + b) * kBlockBytes, strides[0], pixels[b][0].m_c);
    bc7_compress_blocks(out + 16 * first, pixels, n, *kParams[kQuality], kKernels);
  }
}

// One entry per quality level on the kernel build `kKernels`.
template <const Bc7Kernels& kKernels, size_t... kQuality>
constexpr std::array<EncodeBlockFn*, sizeof...(kQuality)> entries(
    std::index_sequence<kQuality...>) {
  return {hapr_block<kQuality, kKernels>...};
}

constexpr auto kQualityIndices = std::make_index_sequence<std::size(kDxtQualities)>();
constexpr auto kGenericEntries = entries<g_bc7_kernels_generic>(kQualityIndices);
constexpr auto kAvx2Entries = entries<g_bc7_kernels_avx2>(kQualityIndices);
constexpr auto kAvx512Entries = entries<g_bc7_kernels_avx512>(kQualityIndices);

}  // namespace

EncodeRowFn* hapr_encode_row_avx512(uint8_t quality, PixelFormat fmt) {
  const DxtQuality* level = dxt_quality_info(quality);
  assert(level != nullptr);
  switch (level - kDxtQualities) {
    case 0:
      return fmt == ARGB_16_HOST ? hapr_row<0, g_bc7_kernels_avx512, 32>
                                 : hapr_row<0, g_bc7_kernels_avx512, 16>;
    case 1:
      return fmt == ARGB_16_HOST ? hapr_row<1, g_bc7_kernels_avx512, 32>
                                 : hapr_row<1, g_bc7_kernels_avx512, 16>;
    case 2:
      return fmt == ARGB_16_HOST ? hapr_row<2, g_bc7_kernels_avx512, 32>
                                 : hapr_row<2, g_bc7_kernels_avx512, 16>;
    default:
      return nullptr;  // Best goes block by block
  }
}

EncodeBlockFn* hapr_encode_block(uint8_t quality, HaprKernels kernels) {
  const DxtQuality* level = dxt_quality_info(quality);
  assert(level != nullptr);
  const size_t i = static_cast<size_t>(level - kDxtQualities);
  switch (kernels) {
    case HaprKernels::avx2:
      return kAvx2Entries[i];
    case HaprKernels::avx512:
      return kAvx512Entries[i];
    default:
      return kGenericEntries[i];
  }
}
