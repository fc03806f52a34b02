// Frame rates as exact fractions: conversion from the host's 16.16 rate and the
// normalisation that keeps denominator x frame count within the movie's 32-bit durations.
#pragma once

#include <cstdint>

// Frames per second = numerator / denominator.
struct FrameRate {
  uint32_t numerator = 25;
  uint32_t denominator = 1;
};

// Fills `rate` from a 16.16 fixed-point frame rate. 23.976 (0x17F9DB) and 29.97 (0x1DF852)
// become 24000/1001 and 30000/1001; whole rates become N/1; others round to N/1000.
// Throws std::runtime_error "Invalid fps value : <v>" for v below 1; `rate` is then untouched.
void fps_from_fixed(FrameRate& rate, int32_t fixed_16_16);

// numerator = rate x denominator rounded half away from zero, keeping the low 32 bits of the
// integer (0 for a non-finite product); denominator = the given one.
void fps_round(FrameRate& rate, double fps, uint32_t denominator);

// Makes `rate` usable for `frame_count` frames: whole rates become N/1 (sets reduced_exactly),
// zero terms become 25/1, and rates whose duration denominator x frame_count does not fit in
// 32 bits are rounded to denominators 1000, 100, 10 or 1. Returns true when `rate` changed
// (or was rewritten to the same value). Logs the changes other than the exact reduction.
bool fps_fit_duration(FrameRate& rate, uint32_t frame_count, bool& reduced_exactly);
