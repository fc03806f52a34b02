// Temporary bodies of the DXT1 kernels so that the set-up links; replaced by the real kernels.
#include <cstring>

#include "texture/dxt1.h"

const uint8_t kDxtExpand[96] = {};
const SingleColourPair kSingleColour5[256] = {};
const SingleColourPair kSingleColour6[256] = {};
const SingleColourFit kSingleColourFit5[256] = {};
const SingleColourFit kSingleColourFit6[256] = {};
bool dxt1_fetch_rgb_fast_argb8(Dxt1WorkArea*, const uint8_t* const[4], const size_t[4]) {
  return true;
}
bool dxt1_fetch_rgb_fast_argb16_host(Dxt1WorkArea*, const uint8_t* const[4], const size_t[4]) {
  return true;
}
uint32_t dxt1_fetch_rgb_spread_argb8(Dxt1WorkArea*, const uint8_t* const[4], const size_t[4]) {
  return 0;
}
uint32_t dxt1_fetch_rgb_spread_argb16_host(Dxt1WorkArea*, const uint8_t* const[4],
                                           const size_t[4]) {
  return 0;
}
void dxt1_estimate_endpoints(Dxt1WorkArea*, uint16_t*, uint16_t*) {}
uint32_t dxt1_match_indices(const Dxt1WorkArea*, uint16_t, uint16_t, const uint8_t[96]) {
  return 0;
}
void dxt1_refine_endpoints(const Dxt1WorkArea*, uint16_t*, uint16_t*, uint32_t) {}
void dxt1_colour_set_argb8(const uint8_t* const[4], const size_t[4], ColourSet*) {}
void dxt1_colour_set_argb16_host(const uint8_t* const[4], const size_t[4], ColourSet*) {}
void dxt1_write_fit_block(uint8_t out[8], const float[3], const float[3], const uint8_t[16]) {
  std::memset(out, 0, 8);
}
void dxt1_write_single_colour_block(uint8_t out[8], const uint8_t[3], const uint8_t[3],
                                    const uint8_t[16]) {
  std::memset(out, 0, 8);
}
ClusterCovarianceFn* const kClusterCovarianceGeneric[kClusterKernelCount] = {};
ClusterOrderFn* const kClusterOrderGeneric[kClusterKernelCount] = {};
ClusterSearchFn* const kClusterSearchGeneric[kClusterKernelCount] = {};
void cluster_build_split_lists(ClusterSplitList lists[kClusterKernelCount]) {
  std::memset(lists, 0, sizeof(ClusterSplitList) * kClusterKernelCount);
}
void dxt1_encode_block_fast(DxtEncOps, uint8_t* out, const uint8_t* const[4], const size_t[4]) {
  std::memset(out, 0, 8);
}
void dxt1_encode_block_normal(DxtEncOps, uint8_t* out, const uint8_t* const[4], const size_t[4]) {
  std::memset(out, 0, 8);
}
void dxt1_encode_block_slow(DxtEncOps, uint8_t* out, const uint8_t* const[4], const size_t[4]) {
  std::memset(out, 0, 8);
}
void dxt1_write_single_colour(uint8_t out[8], uint32_t, uint32_t, uint32_t, bool) {
  std::memset(out, 0, 8);
}
