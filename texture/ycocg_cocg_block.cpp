// Co and Cg of a Hap Q block into the four-colour DXT half (bytes 8-15), with the chroma scale.
#include <algorithm>
#include <cmath>
#include <utility>

#include "texture/ycocg.h"

namespace {

constexpr float kMid = 0.5019608f;  // 128 / 255: zero chroma
constexpr float kHalfStep = 0.0019607844f;

float expand5(int v) {
  return static_cast<float>((v << 3) | (v >> 2)) / 255.0f;
}
float expand6(int v) {
  return static_cast<float>((v << 2) | (v >> 4)) / 255.0f;
}

void put_le16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

}  // namespace

CoCgEndpoints quantise_cocg_endpoints(float minCo, float minCg, float maxCo, float maxCg,
                                      int scale) {
  const float fscale = static_cast<float>(scale);
  minCo = (minCo - kMid) * fscale + kMid;
  minCg = (minCg - kMid) * fscale + kMid;
  maxCo = (maxCo - kMid) * fscale + kMid;
  maxCg = (maxCg - kMid) * fscale + kMid;

  // After a diagonal exchange maxCg < minCg and the Cg inset is negative; applied as it stands it
  // still pulls both Cg endpoints towards each other.
  const float insetCo = (maxCo - minCo) * 0.0625f - kHalfStep;
  const float insetCg = (maxCg - minCg) * 0.0625f - kHalfStep;
  minCo = std::clamp(minCo + insetCo, 0.0f, 1.0f);
  minCg = std::clamp(minCg + insetCg, 0.0f, 1.0f);
  maxCo = std::clamp(maxCo - insetCo, 0.0f, 1.0f);
  maxCg = std::clamp(maxCg - insetCg, 0.0f, 1.0f);

  const int maxCoCode = static_cast<int>(std::round(maxCo * 31.0f));
  const int maxCgCode = static_cast<int>(std::round(maxCg * 63.0f));
  const int minCoCode = static_cast<int>(std::round(minCo * 31.0f));
  const int minCgCode = static_cast<int>(std::round(minCg * 63.0f));
  const int code = scale - 1;

  CoCgEndpoints e;
  e.c0 = static_cast<uint16_t>(maxCoCode << 11 | maxCgCode << 5 | code);
  e.c1 = static_cast<uint16_t>(minCoCode << 11 | minCgCode << 5 | code);
  e.maxCo = (expand5(maxCoCode) - kMid) / fscale + kMid;
  e.maxCg = (expand6(maxCgCode) - kMid) / fscale + kMid;
  e.minCo = (expand5(minCoCode) - kMid) / fscale + kMid;
  e.minCg = (expand6(minCgCode) - kMid) / fscale + kMid;
  return e;
}

uint32_t select_cocg_indices(const YCoCgWorkBlock* block, const CoCgEndpoints& e) {
  // Palette in four-colour order: p0 = c0, p1 = c1, p2 one third of the way to c1, p3 two thirds.
  const float p0[2] = {e.maxCo, e.maxCg};
  const float p1[2] = {e.minCo, e.minCg};
  float p2[2], p3[2];
  for (int c = 0; c < 2; ++c) {
    p2[c] = p0[c] + (p1[c] - p0[c]) * 0.33333334f;
    p3[c] = p0[c] + (p1[c] - p0[c]) * 0.6666667f;
  }
  // Nearest of the four without a search: comparisons of the distances to points along a line.
  // Written lane-wise over the 16 pixels so that the compiler can keep it in vector registers.
  uint32_t index[16];
  for (int i = 0; i < 16; ++i) {
    const float co = block->Co[i];
    const float cg = block->Cg[i];
    const float d0 = (co - p0[0]) * (co - p0[0]) + (cg - p0[1]) * (cg - p0[1]);
    const float d1 = (co - p1[0]) * (co - p1[0]) + (cg - p1[1]) * (cg - p1[1]);
    const float d2 = (co - p2[0]) * (co - p2[0]) + (cg - p2[1]) * (cg - p2[1]);
    const float d3 = (co - p3[0]) * (co - p3[0]) + (cg - p3[1]) * (cg - p3[1]);
    const uint32_t b0 = d0 > d3, b1 = d1 > d2, b2 = d0 > d2, b3 = d1 > d3, b4 = d2 > d3;
    index[i] = ((b1 & b2) | (b0 & b3)) << 1 | (b0 & b4);
  }
  uint32_t word = 0;
  for (int i = 0; i < 16; ++i) word |= index[i] << (2 * i);
  return word;
}

void encode_cocg_block(const YCoCgWorkBlock* block, uint8_t out[8]) {
  float minCg = block->minCg;
  float maxCg = block->maxCg;
  const float midCo = (block->minCo + block->maxCo) / 2.0f;
  const float midCg = (minCg + maxCg) / 2.0f;
  float covariance = 0.0f;
  for (int i = 0; i < 16; ++i) covariance += (block->Co[i] - midCo) * (block->Cg[i] - midCg);
  // Co and Cg falling together: the colours lie on the other diagonal of the bounding box.
  if (covariance < 0.0f) std::swap(minCg, maxCg);

  const float d = std::max(std::max(std::fabs(block->maxCo - kMid), std::fabs(maxCg - kMid)),
                           std::max(std::fabs(block->minCo - kMid), std::fabs(minCg - kMid)));
  const int scale = d < 0.1254902f ? 4 : d < 0.2509804f ? 2 : 1;

  const CoCgEndpoints e = quantise_cocg_endpoints(block->minCo, minCg, block->maxCo, maxCg, scale);
  const uint32_t indices = select_cocg_indices(block, e);
  put_le16(out, e.c0);
  put_le16(out + 2, e.c1);
  for (int b = 0; b < 4; ++b) out[4 + b] = static_cast<uint8_t>(indices >> (8 * b));
}
