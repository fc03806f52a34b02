#pragma once
// Structural checks of a movie's index against its file: every track's sample tables consistent,
// every video sample, audio chunk and timecode sample inside a media data atom, none overlapping.
#include <string>
#include <vector>

#include "inspect/hap_variants.h"
#include "inspect/movie_reader.h"

namespace orvex_inspect {

// The Hap video track: the first video track whose sample description names a Hap variant, or
// nullptr. `variant` receives the variant.
const Track* find_hap_track(const Movie& movie, const HapVariant** variant = nullptr);

// Every fault found, each naming the track, table, frame or chunk ("video frame 3 (...) lies
// outside the media data"); empty when the index is sound.
std::vector<std::string> movie_index_faults(const Movie& movie);

// Where the video samples of `track` lie. REQUIRES: movie_index_faults found nothing.
std::vector<FileRange> video_samples(const Track& track);

}  // namespace orvex_inspect
