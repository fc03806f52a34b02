#pragma once
// The Best quality's Hap Q block: chroma and luma chosen by the exact error of the RGB a decoder
// shows. The decoder widens the colour half's endpoints (5:6:5, the blue bits holding the chroma
// scale code) as DXT decoders do, divides the interpolated entries with truncation, takes the
// scale s = blue / 8 + 1 and Co = (red - 128) / s, Cg = (green - 128) / s in integer division
// (truncating towards zero), then R = Y + Co - Cg, G = Y + Cg, B = Y - Co - Cg, each clamped to
// 0..255.
//
// Chroma: for each scale 4, 2 and 1 that can hold the block's chroma, a line fit in the code plane
// of the targets (128 + s Co, 128 + s Cg), a least-squares refit for its index choice and a walk
// over the four endpoint codes' neighbourhood; the error counts 6 Co^2 + 8 Cg^2, which
// is the RGB error left when luma takes its best value per pixel. Luma: the target of each pixel
// given its decoded chroma is (R + G + B + Cg) / 3, searched as an interpolated block
// (alpha_best.h). The block replaces the standard encoder's only when it decodes strictly closer.
// A block of neutral grey (R = G = B) decodes with Co = Cg = 0 and its exact level.
#include <cstdint>

#include "texture/dxtenc_slots.h"

// RGB (0..255, R, G, B per pixel, raster order) that a decoder shows for a 16-byte Hap Q block.
void hapq_decode_block(const uint8_t block[16], int rgb[16][3]);

// ---- Block entry points at Best (slot encode_block of types 4 and 5), one per pixel format ----
EncodeBlockFn encode_hapq_block_best_argb8;
EncodeBlockFn encode_hapq_block_best_argb16_host;
// The same built for AVX2 (same blocks). REQUIRES: a processor with AVX2 enabled.
EncodeBlockFn encode_hapq_block_best_argb8_avx2;
EncodeBlockFn encode_hapq_block_best_argb16_host_avx2;
