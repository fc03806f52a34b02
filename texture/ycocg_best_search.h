#pragma once
// The Best Hap Q search as header code, compiled once per instruction set: by ycocg_best.cpp for
// any x86-64 (comparisons four lanes at a time) and by ycocg_best_avx2.cpp with AVX2 (eight).
// Everything sits in an unnamed namespace and calls only compiler builtins and this library's
// out-of-line functions (no standard library function or template, which the linker could merge
// across the two builds); no operation contracts into a fused multiply-add and sums run in the
// same order in both builds, so both give the same blocks.
#include <cstddef>
#include <cstdint>

#include "texture/alpha_best.h"
#include "texture/alpha_rgtc1.h"
#include "texture/dxt1_best.h"
#include "texture/ycocg.h"
#include "texture/ycocg_best.h"

namespace {
// Source pixels on the 0..255 scale (exact for 8-bit sources; 16-bit samples x 255/32768).
struct Pixels {
  alignas(64) float channel[3][16];  // R, G, B, each in raster order
};

template <PixelFormat F>
Pixels read_pixels(const uint8_t* src, size_t stride) {
  Pixels px;
  for (int row = 0; row < 4; ++row) {
    const uint8_t* p = src + stride * static_cast<size_t>(row);
    for (int col = 0; col < 4; ++col) {
      const int i = row * 4 + col;
      if constexpr (F == ARGB_8) {
        for (int c = 0; c < 3; ++c) px.channel[c][i] = p[4 * col + 1 + c];
      } else {
        for (int c = 0; c < 3; ++c) {
          const uint8_t* s = p + 8 * col + 2 + 2 * c;
          px.channel[c][i] = static_cast<float>(s[0] | s[1] << 8) * (255.0f / 32768.0f);
        }
      }
    }
  }
  return px;
}

// ---- Chroma ----

// Weights of the chroma errors: with luma free per pixel, the RGB error of errors (Co, Cg) is
// 2 Co^2 + 8/3 Cg^2; times 3.
constexpr float kCoWeight = 6.0f, kCgWeight = 8.0f;

// The block's distinct chroma targets Co = (R - B) / 2, Cg = (2G - R - B) / 4 with their pixel
// counts; lanes past n weigh nothing.
struct Chroma {
  alignas(64) float co[16];
  alignas(64) float cg[16];
  alignas(64) float w[16];
  uint8_t point_of[16];  // per pixel
  int n;
  float max_magnitude;  // largest |Co| or |Cg|
};

float magnitude(float v) {
  return v < 0.0f ? -v : v;
}

Chroma chroma_of(const Pixels& px) {
  Chroma c{};
  uint64_t key[16];  // the target's bits: equal keys are equal targets (neither is ever -0)
  for (int i = 0; i < 16; ++i) {
    const float r = px.channel[0][i], g = px.channel[1][i], b = px.channel[2][i];
    const float co = (r - b) * 0.5f, cg = (2.0f * g - r - b) * 0.25f;
    uint32_t co_bits, cg_bits;
    __builtin_memcpy(&co_bits, &co, 4);
    __builtin_memcpy(&cg_bits, &cg, 4);
    const uint64_t k = uint64_t{co_bits} << 32 | cg_bits;
    int j = 0;
    while (j < c.n && key[j] != k) ++j;
    if (j == c.n) key[j] = k, c.co[j] = co, c.cg[j] = cg, ++c.n;
    c.w[j] += 1.0f;
    c.point_of[i] = static_cast<uint8_t>(j);
  }
  for (int j = 0; j < c.n; ++j) {
    const float m =
        magnitude(c.co[j]) > magnitude(c.cg[j]) ? magnitude(c.co[j]) : magnitude(c.cg[j]);
    c.max_magnitude = m > c.max_magnitude ? m : c.max_magnitude;
  }
  return c;
}

struct ChromaCandidate {
  uint8_t code[2][2];  // [endpoint][0: Co (5 bits), 1: Cg (6 bits)]
  int scale;           // 1, 2 or 4
  float error;
};

int scale_code(int scale) {
  return scale == 4 ? 3 : scale - 1;
}

void endpoints_of(const ChromaCandidate& c, uint16_t* c0, uint16_t* c1) {
  const int code = scale_code(c.scale);
  *c0 = static_cast<uint16_t>(c.code[0][0] << 11 | c.code[0][1] << 5 | code);
  *c1 = static_cast<uint16_t>(c.code[1][0] << 11 | c.code[1][1] << 5 | code);
}

// The widened 5- and 6-bit codes, as dxt1_decoded_palette widens them.
struct Widened {
  int v5[32], v6[64];
  Widened() {
    int pal[4][3];
    for (int c = 0; c < 64; ++c) {
      dxt1_decoded_palette(static_cast<uint16_t>((c & 31) << 11 | c << 5), 0, false, pal);
      if (c < 32) v5[c] = pal[0][0];
      v6[c] = pal[0][1];
    }
  }
};
const Widened kWidened;

// Integer division by 1, 2 or 4 truncating towards zero, as the decoder divides.
int divide(int v, int s) {
  return v / s;
}

int scale_index(int scale) {
  return scale == 4 ? 2 : scale - 1;
}

// Per scale and code pair, the Co (or Cg) of the four palette entries (four colours, the
// interpolants truncated, then the truncating division by the scale).
struct ChromaEntryTables {
  int8_t co[3][32][32][4];
  int8_t cg[3][64][64][4];
  ChromaEntryTables() {
    for (int si = 0; si < 3; ++si) {
      const int s = 1 << si;
      for (int a = 0; a < 64; ++a) {
        for (int b = 0; b < 64; ++b) {
          const int g0 = kWidened.v6[a], g1 = kWidened.v6[b];
          const int g[4] = {g0, g1, (2 * g0 + g1) / 3, (g0 + 2 * g1) / 3};
          for (int k = 0; k < 4; ++k) cg[si][a][b][k] = static_cast<int8_t>(divide(g[k] - 128, s));
          if (a >= 32 || b >= 32) continue;
          const int r0 = kWidened.v5[a], r1 = kWidened.v5[b];
          const int r[4] = {r0, r1, (2 * r0 + r1) / 3, (r0 + 2 * r1) / 3};
          for (int k = 0; k < 4; ++k) co[si][a][b][k] = static_cast<int8_t>(divide(r[k] - 128, s));
        }
      }
    }
  }
};
const ChromaEntryTables kChromaEntries;

// The (Co, Cg) a decoder takes from each palette entry.
void chroma_entries(const ChromaCandidate& c, float co[4], float cg[4]) {
  const int si = scale_index(c.scale);
  const int8_t* r = kChromaEntries.co[si][c.code[0][0]][c.code[1][0]];
  const int8_t* g = kChromaEntries.cg[si][c.code[0][1]][c.code[1][1]];
  for (int k = 0; k < 4; ++k) co[k] = r[k], cg[k] = g[k];
}

// L values side by side in a GCC vector (SSE registers here, wider ones where a build allows).
template <typename T, int L>
struct LaneVector {
  typedef T type __attribute__((vector_size(L * sizeof(T))));
};
template <int L>
using FloatLanes = typename LaneVector<float, L>::type;
// Lanes a register holds: comparisons of wider vectors would go lane by lane.
#if defined(__AVX2__)
constexpr int kNativeLanes = 8;
#else
constexpr int kNativeLanes = 4;
#endif
template <int L>
using IntLanes = typename LaneVector<int32_t, L>::type;  // lane masks and indices

// Sum of the lanes, halves added lane by lane down to one (the same order in every build).
template <int L>
float lane_sum(FloatLanes<L> v) {
  if constexpr (L == 1) {
    return v[0];
  } else if constexpr (L == 2) {
    return v[0] + v[1];
  } else if constexpr (L == 4) {
    return lane_sum<2>(__builtin_shufflevector(v, v, 0, 1) + __builtin_shufflevector(v, v, 2, 3));
  } else if constexpr (L == 8) {
    return lane_sum<4>(__builtin_shufflevector(v, v, 0, 1, 2, 3) +
                       __builtin_shufflevector(v, v, 4, 5, 6, 7));
  } else {
    static_assert(L == 16);
    return lane_sum<8>(__builtin_shufflevector(v, v, 0, 1, 2, 3, 4, 5, 6, 7) +
                       __builtin_shufflevector(v, v, 8, 9, 10, 11, 12, 13, 14, 15));
  }
}

// The same sum of P pieces of N lanes each, lanes in piece order.
template <int N, int P>
float pieces_sum(FloatLanes<N> (&pieces)[P]) {
  for (int half = P / 2; half > 0; half /= 2) {
    for (int p = 0; p < half; ++p) pieces[p] += pieces[p + half];
  }
  return lane_sum<N>(pieces[0]);
}

// Lanes of the target arrays taken at a time: comparisons wider than a register go lane by lane.
template <int L>
constexpr int kPiece = L < kNativeLanes ? L : kNativeLanes;

template <int N>
FloatLanes<N> piece(const float* values, int h) {
  FloatLanes<N> lanes;
  __builtin_memcpy(&lanes, values + h, sizeof lanes);
  return lanes;
}

// Error of the first L lanes (L >= n).
template <int L>
float chroma_error(const Chroma& t, const ChromaCandidate& c) {
  constexpr int N = kPiece<L>;
  using Lanes = FloatLanes<N>;
  float co[4], cg[4];
  chroma_entries(c, co, cg);
  Lanes errors[L / N];
  for (int h = 0; h < L; h += N) {
    const Lanes co_t = piece<N>(t.co, h), cg_t = piece<N>(t.cg, h);
    Lanes best;
    for (int k = 0; k < 4; ++k) {
      const Lanes a = co_t - co[k], b = cg_t - cg[k];
      const Lanes e = kCoWeight * a * a + kCgWeight * b * b;
      best = k == 0 ? e : (e < best ? e : best);
    }
    errors[h / N] = best * piece<N>(t.w, h);
  }
  return pieces_sum<N, L / N>(errors);
}

template <int L>
void chroma_indices(const Chroma& t, const ChromaCandidate& c, uint8_t index[16]) {
  constexpr int N = kPiece<L>;
  using Lanes = FloatLanes<N>;
  using Ints = IntLanes<N>;
  float co[4], cg[4];
  chroma_entries(c, co, cg);
  for (int h = 0; h < L; h += N) {
    const Lanes co_t = piece<N>(t.co, h), cg_t = piece<N>(t.cg, h);
    Lanes best;
    Ints which = {};
    for (int k = 0; k < 4; ++k) {
      const Lanes a = co_t - co[k], b = cg_t - cg[k];
      const Lanes e = kCoWeight * a * a + kCgWeight * b * b;
      if (k == 0) {
        best = e;
        continue;
      }
      const Ints closer = e < best;  // the lowest index stays on ties
      which = closer ? k : which;
      best = closer ? e : best;
    }
    for (int j = 0; j < N; ++j) index[h + j] = static_cast<uint8_t>(which[j]);
  }
}

constexpr int kCodeTop[2] = {31, 63};

// Code-plane value (0..255) a target should decode from: 128 + s x, nudged towards the middle of
// the values that truncate to x.
float code_target(float x, int s) {
  const float half = 0.5f * static_cast<float>(s - 1);
  const float v = static_cast<float>(s) * x;
  return 128.0f + v + (v > 0.0f ? half : v < 0.0f ? -half : 0.0f);
}

uint8_t quantise_code(float v, int ch) {
  static constexpr float kPerLevel[2] = {31.0f / 255.0f, 63.0f / 255.0f};
  const float top = static_cast<float>(kCodeTop[ch]);
  const float q = v * kPerLevel[ch] + 0.5f;
  return static_cast<uint8_t>(q <= 0.0f ? 0.0f : q >= top ? top : q);
}

// The block's chroma targets in the code plane of one scale.
struct CodeTargets {
  float x[16], y[16];  // Co, Cg
  CodeTargets(const Chroma& t, int scale) {
    for (int j = 0; j < t.n; ++j)
      x[j] = code_target(t.co[j], scale), y[j] = code_target(t.cg[j], scale);
  }
};

template <int L>
void consider(const Chroma& t, ChromaCandidate& best, const ChromaCandidate& c) {
  ChromaCandidate scored = c;
  scored.error = chroma_error<L>(t, c);
  if (scored.error < best.error) best = scored;
}

// Least-squares endpoints in the code plane for the candidate's index choice.
template <int L>
void chroma_refit(const Chroma& t, const CodeTargets& target, ChromaCandidate& c) {
  static constexpr float kWeight[4] = {1.0f, 0.0f, 2.0f / 3.0f, 1.0f / 3.0f};
  uint8_t index[16];
  chroma_indices<L>(t, c, index);
  float aa = 0, bb = 0, ab = 0, ax[2] = {0, 0}, bx[2] = {0, 0};
  for (int j = 0; j < t.n; ++j) {
    const float alpha = kWeight[index[j]], beta = 1.0f - alpha, w = t.w[j];
    const float x[2] = {target.x[j], target.y[j]};
    aa += w * alpha * alpha, bb += w * beta * beta, ab += w * alpha * beta;
    for (int ch = 0; ch < 2; ++ch) ax[ch] += w * alpha * x[ch], bx[ch] += w * beta * x[ch];
  }
  const float det = aa * bb - ab * ab;
  if (!(det > 1e-3f)) return;
  const float inverse = 1.0f / det;
  ChromaCandidate fitted = c;
  for (int ch = 0; ch < 2; ++ch) {
    fitted.code[0][ch] = quantise_code((ax[ch] * bb - bx[ch] * ab) * inverse, ch);
    fitted.code[1][ch] = quantise_code((bx[ch] * aa - ax[ch] * ab) * inverse, ch);
  }
  if (__builtin_memcmp(fitted.code, c.code, sizeof c.code) != 0) consider<L>(t, c, fitted);
}

// Each code one step up or down, and both endpoints' code of a channel at once, taking every move
// that lowers the error, until a round finds none or for three rounds (later rounds seldom move).
constexpr int kWalkRounds = 3;
template <int L>
void chroma_walk(const Chroma& t, ChromaCandidate& c) {
  constexpr int N = kPiece<L>, P = L / N;
  using Lanes = FloatLanes<N>;
  Lanes target[2][P], w[P];
  for (int p = 0; p < P; ++p) {
    target[0][p] = piece<N>(t.co, N * p);
    target[1][p] = piece<N>(t.cg, N * p);
    w[p] = piece<N>(t.w, N * p);
  }
  constexpr float kWeight[2] = {kCoWeight, kCgWeight};
  const int si = scale_index(c.scale);
  // Entries of code pair (a, b) of channel ch: table[ch] + 4 (a x codes + b).
  const int8_t* const table[2] = {&kChromaEntries.co[si][0][0][0], &kChromaEntries.cg[si][0][0][0]};
  constexpr int kCodes[2] = {32, 64};
  static constexpr int8_t kMove[8][2] = {{-1, -1}, {-1, 0}, {-1, 1}, {0, -1},
                                         {0, 1},   {1, -1}, {1, 0},  {1, 1}};
  // Moves are numbered 8 x channel + m in the order they are tried. A round that has taken no move
  // yet can stop past the last move the round before took: every later move was refused from this
  // very state then.
  int last_move = 16;
  for (int round = 0; round < kWalkRounds && c.error > 0.0f; ++round) {
    int moved_at = -1;
    for (int ch = 0; ch < 2; ++ch) {
      if (moved_at < 0 && 8 * ch > last_move) return;
      // A move changes one channel: the other channel's term of each entry stays as it is.
      const int other = 1 - ch;
      const int8_t* fixed_entries =
          table[other] + 4 * (c.code[0][other] * kCodes[other] + c.code[1][other]);
      Lanes fixed[4][P];
      for (int k = 0; k < 4; ++k) {
        for (int p = 0; p < P; ++p) {
          const Lanes d = target[other][p] - static_cast<float>(fixed_entries[k]);
          fixed[k][p] = kWeight[other] * d * d;
        }
      }
      const unsigned top = static_cast<unsigned>(kCodeTop[ch]);
      for (int m = 0; m < 8; ++m) {
        const int move = 8 * ch + m;
        if (moved_at < 0 && move > last_move) return;
        const int a = c.code[0][ch] + kMove[m][0], b = c.code[1][ch] + kMove[m][1];
        if (static_cast<unsigned>(a) > top || static_cast<unsigned>(b) > top) continue;
        const int8_t* moving = table[ch] + 4 * (a * kCodes[ch] + b);
        Lanes errors[P];
        for (int p = 0; p < P; ++p) {
          Lanes best;
          for (int k = 0; k < 4; ++k) {
            const Lanes d = target[ch][p] - static_cast<float>(moving[k]);
            const Lanes e = kWeight[ch] * d * d + fixed[k][p];
            best = k == 0 ? e : (e < best ? e : best);
          }
          errors[p] = best * w[p];
        }
        const float error = pieces_sum<N, P>(errors);
        if (error < c.error) {
          c.code[0][ch] = static_cast<uint8_t>(a);
          c.code[1][ch] = static_cast<uint8_t>(b);
          c.error = error;
          moved_at = move;
        }
      }
    }
    if (moved_at < 0) break;
    last_move = moved_at;
  }
}

// Line fit of the code-plane targets: the principal axis of the points weighted as the error
// weighs the channels, the endpoints at the extreme projections.
ChromaCandidate chroma_line_fit(const Chroma& t, const CodeTargets& target, int scale) {
  const float sx = __builtin_sqrtf(kCoWeight), sy = __builtin_sqrtf(kCgWeight);
  float x[16], y[16], total = 0.0f, mx = 0.0f, my = 0.0f;
  for (int j = 0; j < t.n; ++j) {
    x[j] = target.x[j] * sx;
    y[j] = target.y[j] * sy;
    total += t.w[j], mx += t.w[j] * x[j], my += t.w[j] * y[j];
  }
  const float inverse_total = 1.0f / total;
  mx *= inverse_total, my *= inverse_total;
  float xx = 0.0f, xy = 0.0f, yy = 0.0f;
  for (int j = 0; j < t.n; ++j) {
    const float dx = x[j] - mx, dy = y[j] - my;
    xx += t.w[j] * dx * dx, xy += t.w[j] * dx * dy, yy += t.w[j] * dy * dy;
  }
  // Principal axis of [[xx, xy], [xy, yy]]: the eigenvector of the larger eigenvalue.
  const float half = 0.5f * (xx - yy);
  const float lambda = 0.5f * (xx + yy) + __builtin_sqrtf(half * half + xy * xy);
  float ux = xy, uy = lambda - xx;
  if (__builtin_fabsf(lambda - yy) > __builtin_fabsf(uy)) ux = lambda - yy, uy = xy;
  const float length = __builtin_sqrtf(ux * ux + uy * uy);
  if (length > 0.0f) {
    const float inverse_length = 1.0f / length;
    ux *= inverse_length, uy *= inverse_length;
  } else {
    ux = 1.0f, uy = 0.0f;
  }
  float lo = 0.0f, hi = 0.0f;
  for (int j = 0; j < t.n; ++j) {
    const float p = (x[j] - mx) * ux + (y[j] - my) * uy;
    lo = p < lo ? p : lo, hi = p > hi ? p : hi;
  }
  ChromaCandidate c{};
  c.scale = scale;
  const float inverse_sx = 1.0f / sx, inverse_sy = 1.0f / sy;
  c.code[0][0] = quantise_code((mx + hi * ux) * inverse_sx, 0);
  c.code[0][1] = quantise_code((my + hi * uy) * inverse_sy, 1);
  c.code[1][0] = quantise_code((mx + lo * ux) * inverse_sx, 0);
  c.code[1][1] = quantise_code((my + lo * uy) * inverse_sy, 1);
  return c;
}

// A narrower scale is tried too when the wider one's codes reach this far from 128: below, the
// wider scale's finer steps nearly always win (the narrower one won 1 block in 100 of those tried
// on photographs, by little).
constexpr float kNarrowerFrom = 124.0f;

constexpr int kScales[3] = {4, 2, 1};

template <int L>
ChromaCandidate search_chroma(const Chroma& t) {
  ChromaCandidate best{};
  best.error = 1e30f;
  for (int scale : kScales) {
    // A scale holds chroma up to 128 / s; the widest scale is always tried, a narrower one only
    // when the block's chroma nearly fills the one above it.
    const float reach = t.max_magnitude * static_cast<float>(scale);
    if (scale > 1 && reach > 132.0f) continue;
    if (scale < 4 && best.error < 1e30f && reach < 0.5f * kNarrowerFrom) break;
    const CodeTargets target(t, scale);
    ChromaCandidate c = chroma_line_fit(t, target, scale);
    c.error = chroma_error<L>(t, c);
    // One least-squares refit, then the walk (a refit after the walk seldom gains).
    chroma_refit<L>(t, target, c);
    chroma_walk<L>(t, c);
    if (c.error < best.error) best = c;
    if (best.error == 0.0f) break;
  }
  return best;
}

// One chroma for the whole block: per scale, the code pairs whose endpoint or whose first third
// decodes to each value, and of those the nearest to the target in each channel (both channels
// use the same palette index, the endpoint's or the third's).
struct SolidChroma {
  struct Pair {
    uint8_t a, b, known;
  };
  Pair pair[3][2][2][256];  // [scale 1, 2, 4][endpoint, third][Co, Cg][decoded value + 128]
  SolidChroma() : pair{} {
    for (int si = 0; si < 3; ++si) {
      const int s = 1 << si;
      for (int ch = 0; ch < 2; ++ch) {
        for (int a = 0; a <= kCodeTop[ch]; ++a) {
          const int wa = ch == 0 ? kWidened.v5[a] : kWidened.v6[a];
          for (int b = 0; b <= kCodeTop[ch]; ++b) {
            const int wb = ch == 0 ? kWidened.v5[b] : kWidened.v6[b];
            Pair& end = pair[si][0][ch][divide(wa - 128, s) + 128];
            Pair& third = pair[si][1][ch][divide((2 * wa + wb) / 3 - 128, s) + 128];
            if (!end.known) end = {uint8_t(a), uint8_t(a), 1};
            if (!third.known) third = {uint8_t(a), uint8_t(b), 1};
          }
        }
      }
    }
  }
  // The known decoded value nearest `target` (the lower one on a tie) and its squared distance.
  const Pair& nearest(int si, int kind, int ch, float target, float* error) const {
    const int centre = static_cast<int>(__builtin_floorf(target)) + 128;
    for (int reach = 0;; ++reach) {
      const Pair* found = nullptr;
      const int candidates[2] = {centre - reach, centre + 1 + reach};
      for (const int v : candidates) {
        if (v < 0 || v > 255 || !pair[si][kind][ch][v].known) continue;
        const float d = target - static_cast<float>(v - 128);
        if (!found || d * d < *error) found = &pair[si][kind][ch][v], *error = d * d;
      }
      if (found) return *found;
    }
  }
};

// Codes whose first third, (2 a + b) / 3, lands on 128 or 129 (red: 123 and 140 widened; green:
// 130 and 125), whether a decoder widens the codes by rounding or by bit replication and whether
// it truncates or rounds the third: at scale 4, Co and Cg are 0 in integer division and at most
// 1/4 in exact division, so that every channel rounds back to the luma.
constexpr uint8_t kGreyCo[2] = {15, 17}, kGreyCg[2] = {32, 31};

ChromaCandidate solid_chroma(const Chroma& t) {
  static const SolidChroma tables;  // built once, read-only afterwards
  ChromaCandidate best{};
  best.error = 1e30f;
  if (t.co[0] == 0.0f && t.cg[0] == 0.0f) {  // neutral grey
    best.code[0][0] = kGreyCo[0], best.code[1][0] = kGreyCo[1];
    best.code[0][1] = kGreyCg[0], best.code[1][1] = kGreyCg[1];
    best.scale = 4;
    best.error = 0.0f;
    return best;
  }
  for (int si = 2; si >= 0; --si) {
    for (int kind = 0; kind < 2; ++kind) {
      float e_co = 0.0f, e_cg = 0.0f;
      const SolidChroma::Pair& co = tables.nearest(si, kind, 0, t.co[0], &e_co);
      const SolidChroma::Pair& cg = tables.nearest(si, kind, 1, t.cg[0], &e_cg);
      const float error = (kCoWeight * e_co + kCgWeight * e_cg) * t.w[0];
      if (error < best.error) {
        best.code[0][0] = co.a, best.code[1][0] = co.b;
        best.code[0][1] = cg.a, best.code[1][1] = cg.b;
        best.scale = 1 << si;
        best.error = error;
      }
    }
  }
  return best;
}

// ---- The block ----

// Squared error of the RGB a decoder shows for `block`. Blocks whose endpoints carry one scale
// code of 1, 2 or 4 (every block of ours) take the chroma of the entries from the tables.
float block_error(const uint8_t block[16], const Pixels& px) {
  using Lanes = FloatLanes<kNativeLanes>;
  using Bits = typename LaneVector<uint32_t, kNativeLanes>::type;
  const int c0 = block[8] | block[9] << 8, c1 = block[10] | block[11] << 8;
  const int code = c0 & 31;
  alignas(64) float shown[3][16];  // R, G and B of each pixel
  if (code != (c1 & 31) || code == 2 || code > 3) {
    int rgb[16][3];
    hapq_decode_block(block, rgb);
    for (int i = 0; i < 16; ++i) {
      for (int c = 0; c < 3; ++c) shown[c][i] = static_cast<float>(rgb[i][c]);
    }
  } else {
    const int si = code == 3 ? 2 : code;
    const int8_t* co = kChromaEntries.co[si][c0 >> 11][c1 >> 11];
    const int8_t* cg = kChromaEntries.cg[si][(c0 >> 5) & 63][(c1 >> 5) & 63];
    float offset[4][3];  // what each chroma entry adds to luma in R, G and B
    for (int k = 0; k < 4; ++k) {
      offset[k][0] = static_cast<float>(co[k] - cg[k]);
      offset[k][1] = static_cast<float>(cg[k]);
      offset[k][2] = static_cast<float>(-co[k] - cg[k]);
    }
    uint8_t palette[8];
    alpha_decoded_palette(block[0], block[1], palette);
    float luma[8];
    for (int k = 0; k < 8; ++k) luma[k] = palette[k];
    // Pixel i's index fields: bits 2 i of the colour word, bits 3 (i mod 8) of its half of the
    // luma bits. A field holds index k where it equals k times the field's unit.
    const uint32_t colour_bits =
        block[12] | block[13] << 8 | block[14] << 16 | static_cast<uint32_t>(block[15]) << 24;
    const uint32_t luma_halves[2] = {
        static_cast<uint32_t>(block[2] | block[3] << 8 | block[4] << 16),
        static_cast<uint32_t>(block[5] | block[6] << 8 | block[7] << 16)};
    for (int h = 0; h < 16; h += kNativeLanes) {
      Bits colour_unit, luma_unit;
      for (int j = 0; j < kNativeLanes; ++j) {
        colour_unit[j] = 1u << (2 * (h + j));
        luma_unit[j] = 1u << (3 * ((h + j) % 8));
      }
      const Bits colour_field = (Bits{} + colour_bits) & (colour_unit * 3u);
      const Bits luma_field = (Bits{} + luma_halves[h / 8]) & (luma_unit * 7u);
      Lanes y = {}, rgb[3] = {};
      Bits index = {};
      for (int k = 0; k < 8; ++k, index += luma_unit) {
        y = luma_field == index ? Lanes{} + luma[k] : y;
      }
      index = Bits{};
      for (int k = 0; k < 4; ++k, index += colour_unit) {
        const auto here = colour_field == index;
        for (int c = 0; c < 3; ++c) rgb[c] = here ? Lanes{} + offset[k][c] : rgb[c];
      }
      for (int c = 0; c < 3; ++c) {
        Lanes v = rgb[c] + y;
        v = v < 0.0f ? 0.0f : v;
        v = v > 255.0f ? 255.0f : v;
        __builtin_memcpy(&shown[c][h], &v, sizeof v);
      }
    }
  }
  Lanes errors[16 / kNativeLanes] = {};
  for (int p = 0; p < 16 / kNativeLanes; ++p) {
    for (int c = 0; c < 3; ++c) {
      const int h = kNativeLanes * p;
      const Lanes d = piece<kNativeLanes>(shown[c], h) - piece<kNativeLanes>(px.channel[c], h);
      errors[p] += d * d;
    }
  }
  return pieces_sum<kNativeLanes, 16 / kNativeLanes>(errors);
}

// Luma levels this near 0 or 255 make the six-value palette worth searching.
constexpr int kSixValueReach = 16;

// The luma palettes' scorer in this build.
#if defined(__AVX2__)
AlphaPaletteErrorFn* const kLumaError = alpha_palette_error_avx2;
#else
AlphaPaletteErrorFn* const kLumaError = alpha_palette_error;
#endif

// The luma search's square (both palette modes); wider squares gain little here.
constexpr int kLumaSearchRadius = 1;

template <int L>
void encode_best(const Pixels& px, const Chroma& t, uint8_t out[16]) {
  const ChromaCandidate chroma = t.n == 1 ? solid_chroma(t) : search_chroma<L>(t);
  uint8_t index[16];
  chroma_indices<L>(t, chroma, index);
  float co[4], cg[4];
  chroma_entries(chroma, co, cg);

  // Luma: each pixel's best level given its chroma is (R + G + B + Cg) / 3 (before clamping).
  AlphaTargets luma;
  luma.scale = 3;
  int lo = 765, hi = 0;
  for (int i = 0; i < 16; ++i) {
    const float v = px.channel[0][i] + px.channel[1][i] + px.channel[2][i] +
                    cg[index[t.point_of[i]]] + 0.5f;  // rounded below
    const int target = v < 0.0f ? 0 : v > 765.0f ? 765 : static_cast<int>(v);
    luma.value[i] = static_cast<uint16_t>(target);
    lo = target < lo ? target : lo, hi = target > hi ? target : hi;
  }
  const uint8_t y_lo = static_cast<uint8_t>((lo + 1) / 3),
                y_hi = static_cast<uint8_t>((hi + 1) / 3);
  // No palette does better than each target's nearest whole level: a target between levels is at
  // least one third of a level (one unit) away. The palette of the rounded range holds every
  // level of a range of up to 7 levels (the eight-value steps (8 - j) span / 7 truncated, or one
  // level), so it reaches that bound.
  uint32_t bound = 0;
  for (int i = 0; i < 16; ++i) bound += luma.value[i] % 3 != 0;
  uint32_t start_error = bound;
  if (y_hi - y_lo > 7) {
    uint8_t palette[8];
    alpha_decoded_palette(y_hi, y_lo, palette);
    start_error = kLumaError(luma, palette);
  }
  const AlphaEndpoints start{y_hi, y_lo, start_error};
  // The six-value palette's own entries are 0 and 255: without a level near either, its four
  // interpolated steps lose to the eight-value palette's six, and its search is left out.
  const bool six_values = lo < 3 * kSixValueReach || hi > 765 - 3 * kSixValueReach;
  write_alpha_best(out, luma,
                   start.error == bound
                       ? start
                       : alpha_search_endpoints(luma, start, kLumaSearchRadius,
                                                six_values ? kLumaSearchRadius : -1, kLumaError));

  uint16_t c0, c1;
  endpoints_of(chroma, &c0, &c1);
  uint32_t word = 0;
  for (int i = 0; i < 16; ++i) word |= static_cast<uint32_t>(index[t.point_of[i]]) << (2 * i);
  out[8] = static_cast<uint8_t>(c0), out[9] = static_cast<uint8_t>(c0 >> 8);
  out[10] = static_cast<uint8_t>(c1), out[11] = static_cast<uint8_t>(c1 >> 8);
  for (int k = 0; k < 4; ++k) out[12 + k] = static_cast<uint8_t>(word >> (8 * k));
}

template <PixelFormat F>
void encode_hapq_block_best(const DxtEncOps& ops, uint8_t* out, const uint8_t* const planes[4],
                            const size_t strides[4]) {
  encode_hapq_block(ops, out, planes, strides);
  const Pixels px = read_pixels<F>(planes[0], strides[0]);
  const float standard = block_error(out, px);
  const Chroma t = chroma_of(px);
  // Neutral grey takes Best's exact chroma on a tie too: the standard block's may decode to zero
  // only through the truncating division of one decoder.
  const bool grey = t.n == 1 && t.co[0] == 0.0f && t.cg[0] == 0.0f;
  if (standard == 0.0f && !grey) return;
  uint8_t best[16];
  if (t.n <= 4) {
    encode_best<4>(px, t, best);
  } else if (t.n <= 8) {
    encode_best<8>(px, t, best);
  } else {
    encode_best<16>(px, t, best);
  }
  const float error = block_error(best, px);
  if (error < standard || (grey && error == standard)) __builtin_memcpy(out, best, 16);
}

}  // namespace
