#pragma once
// A track's sample tables as stored (`stts`, `stsc`, `stsz`, `stco`/`co64`, `sdtp`), their
// consistency, and where their samples and chunks lie in the file.
#include <cstdint>
#include <string>
#include <vector>

namespace orvex_inspect {

struct SttsEntry {
  uint32_t count, duration;
};
struct StscEntry {
  uint32_t first_chunk, samples_per_chunk, description;
};

struct SampleTables {
  std::vector<SttsEntry> stts;
  std::vector<StscEntry> stsc;
  uint32_t sample_size = 0;            // stsz: the size of every sample, or 0 for a size table
  uint32_t sample_count = 0;           // stsz
  std::vector<uint32_t> sample_sizes;  // stsz table (sample_size 0)
  std::vector<uint64_t> chunk_offsets;
  bool co64 = false;
  int64_t sdtp_entries = -1;  // -1: no sdtp

  uint64_t stts_samples() const;
  uint64_t stts_duration() const;  // in media time units
};

// A run of bytes of the file.
struct FileRange {
  uint64_t offset = 0;
  uint64_t bytes = 0;
};

// The first inconsistency of the tables (stts against stsz, a malformed stsc, stsc against the
// chunk offsets, sdtp against the sample count), or an empty string.
std::string sample_table_fault(const SampleTables& tables);

// Where each sample lies. REQUIRES: no sample_table_fault, and a size table or a total of
// sample_count x sample_size bytes the caller has checked against the file.
std::vector<FileRange> sample_ranges(const SampleTables& tables);

// Where each chunk lies when every sample is `sample_bytes` long (audio: the bytes of one sample
// frame). REQUIRES: no sample_table_fault.
std::vector<FileRange> chunk_ranges(const SampleTables& tables, uint64_t sample_bytes);

}  // namespace orvex_inspect
