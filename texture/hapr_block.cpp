#include "texture/hapr_block.h"

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
