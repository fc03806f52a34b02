#include "inspect/sample_tables.h"

namespace orvex_inspect {

uint64_t SampleTables::stts_samples() const {
  uint64_t n = 0;
  for (const SttsEntry& e : stts) n += e.count;
  return n;
}

uint64_t SampleTables::stts_duration() const {
  uint64_t d = 0;
  for (const SttsEntry& e : stts) d += uint64_t{e.count} * e.duration;
  return d;
}

namespace {

// Samples of chunk run `i` of the stsc table: chunks first_chunk .. next first_chunk - 1.
uint64_t run_chunks(const SampleTables& t, size_t i) {
  const uint64_t next =
      i + 1 < t.stsc.size() ? t.stsc[i + 1].first_chunk : uint64_t{t.chunk_offsets.size()} + 1;
  return next - t.stsc[i].first_chunk;
}

}  // namespace

std::string sample_table_fault(const SampleTables& t) {
  if (t.stts_samples() != t.sample_count) {
    return "stts counts " + std::to_string(t.stts_samples()) + " samples, stsz " +
           std::to_string(t.sample_count);
  }
  if (t.sample_count > 0 && t.stsc.empty()) return "stsc is empty";
  const uint64_t chunks = t.chunk_offsets.size();
  uint64_t samples = 0;
  for (size_t i = 0; i < t.stsc.size(); ++i) {
    const StscEntry& e = t.stsc[i];
    const uint64_t expected_first = i == 0 ? 1 : t.stsc[i - 1].first_chunk + 1;
    if (e.first_chunk < expected_first || e.first_chunk > chunks) {
      return "stsc entry " + std::to_string(i) + " starts at chunk " +
             std::to_string(e.first_chunk) + " (of " + std::to_string(chunks) + ")";
    }
    if (i == 0 && e.first_chunk != 1) return "stsc does not start at chunk 1";
    if (e.samples_per_chunk == 0) return "stsc entry " + std::to_string(i) + " has no samples";
    samples += run_chunks(t, i) * e.samples_per_chunk;
  }
  if (samples != t.sample_count) {
    return "stsc places " + std::to_string(samples) + " samples in " + std::to_string(chunks) +
           " chunks, stsz has " + std::to_string(t.sample_count);
  }
  if (t.sdtp_entries >= 0 && uint64_t(t.sdtp_entries) != t.sample_count) {
    return "sdtp has " + std::to_string(t.sdtp_entries) + " entries for " +
           std::to_string(t.sample_count) + " samples";
  }
  return {};
}

std::vector<FileRange> sample_ranges(const SampleTables& t) {
  std::vector<FileRange> ranges;
  ranges.reserve(t.sample_count);
  uint32_t sample = 0;
  for (size_t i = 0; i < t.stsc.size(); ++i) {
    const uint64_t first = t.stsc[i].first_chunk - 1;
    for (uint64_t c = first; c < first + run_chunks(t, i); ++c) {
      uint64_t at = t.chunk_offsets[c];
      for (uint32_t k = 0; k < t.stsc[i].samples_per_chunk; ++k, ++sample) {
        const uint64_t bytes = t.sample_size ? t.sample_size : t.sample_sizes[sample];
        ranges.push_back({at, bytes});
        at += bytes;
      }
    }
  }
  return ranges;
}

std::vector<FileRange> chunk_ranges(const SampleTables& t, uint64_t sample_bytes) {
  std::vector<FileRange> ranges;
  ranges.reserve(t.chunk_offsets.size());
  for (size_t i = 0; i < t.stsc.size(); ++i) {
    const uint64_t first = t.stsc[i].first_chunk - 1;
    for (uint64_t c = first; c < first + run_chunks(t, i); ++c)
      ranges.push_back({t.chunk_offsets[c], uint64_t{t.stsc[i].samples_per_chunk} * sample_bytes});
  }
  return ranges;
}

}  // namespace orvex_inspect
