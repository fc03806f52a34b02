#include "inspect/movie_reader.h"

#include <cerrno>
#include <cstring>
#include <sstream>
#include <stdexcept>

#include "inspect/atom_reader.h"
#include "inspect/byte_order.h"

namespace orvex_inspect {
namespace {

[[noreturn]] void fail(const std::string& message) {
  throw std::runtime_error(message);
}

// One atom's content with bounds-checked field reads.
class Content {
 public:
  Content(const Bytes& data, const AtomRef& atom)
      : p_(data.data() + atom.body()), n_(atom.body_bytes()), type_(atom.type) {}
  size_t size() const { return n_; }
  void need(size_t bytes) const {
    if (bytes > n_) fail("'" + type_ + "' atom is too short (" + std::to_string(n_) + " bytes)");
  }
  uint8_t u8(size_t at) const { return need(at + 1), p_[at]; }
  uint16_t u16(size_t at) const { return need(at + 2), be16(p_ + at); }
  uint32_t u32(size_t at) const { return need(at + 4), be32(p_ + at); }
  uint64_t u64(size_t at) const { return need(at + 8), be64(p_ + at); }
  std::string text(size_t at, size_t bytes) const {
    need(at + bytes);
    return std::string(reinterpret_cast<const char*>(p_ + at), bytes);
  }
  // Entry count at `at`, checked against the entries of `entry_bytes` that follow.
  uint32_t count(size_t at, size_t entry_bytes) const {
    const uint32_t n = u32(at);
    if (n > (n_ - at - 4) / entry_bytes) {
      fail("'" + type_ + "' atom counts " + std::to_string(n) + " entries but holds " +
           std::to_string((n_ - at - 4) / entry_bytes));
    }
    return n;
  }

 private:
  const uint8_t* p_;
  size_t n_;
  std::string type_;
};

// Children of `parent` by type; `walk` is strict so damage is named.
struct Children {
  Children(const Bytes& data, const AtomRef& parent)
      : data(data), atoms(list_atoms(data, parent.body(), parent.end(), AtomWalk::strict)) {}
  const AtomRef* find(const char* type, size_t index = 0) const {
    for (const AtomRef& a : atoms)
      if (a.type == type && index-- == 0) return &a;
    return nullptr;
  }
  const AtomRef& need(const char* type, const std::string& where) const {
    const AtomRef* a = find(type);
    if (!a) fail(where + " has no '" + type + "' atom");
    return *a;
  }
  const Bytes& data;
  std::vector<AtomRef> atoms;
};

// Version 0 header fields at 32 bits, version 1 at 64 bits.
uint64_t versioned(const Content& c, size_t v0_at, size_t v1_at) {
  return c.u8(0) == 1 ? c.u64(v1_at) : c.u32(v0_at);
}

void read_video_description(const Bytes& data, const AtomRef& entry, VideoFormat& v) {
  const Content c(data, entry);
  v.width = c.u16(24);
  v.height = c.u16(26);
  const uint8_t name_bytes = c.u8(42);
  v.compressor = c.text(43, name_bytes > 31 ? 31 : name_bytes);
  v.depth = c.u16(74);
  if (c.size() > 78) {
    for (const AtomRef& ext : list_atoms(data, entry.body() + 78, entry.end(), AtomWalk::strict)) {
      const Content e(data, ext);
      if (ext.type == "pasp") v.pasp_h = e.u32(0), v.pasp_v = e.u32(4);
      if (ext.type == "gama") v.gama = true;
    }
  }
}

// The byte order of 'in24', 'in32', 'fl32', 'fl64' samples: an 'enda' atom inside 'wave' with
// value 1 means little-endian.
bool wave_says_little_endian(const Bytes& data, const AtomRef& entry, size_t extensions_at) {
  if (entry.body_bytes() <= extensions_at) return false;
  for (const AtomRef& ext :
       list_atoms(data, entry.body() + extensions_at, entry.end(), AtomWalk::lenient)) {
    if (ext.type != "wave") continue;
    for (const AtomRef& w : list_atoms(data, ext.body(), ext.end(), AtomWalk::lenient))
      if (w.type == "enda" && w.body_bytes() >= 2) return be16(&data[w.body()]) == 1;
  }
  return false;
}

void read_sound_description(const Bytes& data, const AtomRef& entry, const std::string& code,
                            SoundFormat& s) {
  const Content c(data, entry);
  s.version = c.u16(8);
  if (s.version == 2) {
    uint64_t rate_bits = c.u64(32);
    std::memcpy(&s.rate_hz, &rate_bits, sizeof s.rate_hz);
    s.channels = c.u32(40);
    s.bits = c.u32(48);
    const uint32_t flags = c.u32(52);
    s.is_float = flags & 1;
    s.little_endian = !(flags & 2);
    s.bytes_per_frame = c.u32(56);
    return;
  }
  s.channels = c.u16(16);
  s.bits = c.u16(18);
  s.rate_hz = c.u32(24) / 65536.0;
  s.little_endian = code == "sowt";
  if (code == "in24") s.bits = 24;
  if (code == "in32" || code == "fl32") s.bits = 32;
  if (code == "fl64") s.bits = 64;
  s.is_float = code == "fl32" || code == "fl64";
  if (code == "raw ") s.bits = 8;
  if (s.version == 1) {
    s.bytes_per_frame = c.u32(36);
    if (code != "sowt" && code != "twos" && code != "raw ")
      s.little_endian = wave_says_little_endian(data, entry, 44);
  } else {
    s.bytes_per_frame = s.channels * (s.bits / 8);
  }
  if (code == "raw ") s.little_endian = true;  // one byte a sample: no order
}

void read_timecode_description(const Bytes& data, const AtomRef& entry, TimecodeFormat& t) {
  const Content c(data, entry);
  t.flags = c.u32(12);
  t.timescale = c.u32(16);
  t.frame_duration = c.u32(20);
  t.frames = c.u8(24);
}

void read_sample_tables(const Bytes& data, const AtomRef& stbl, const std::string& where,
                        Track& track) {
  const Children kids(data, stbl);
  SampleTables& t = track.tables;

  const Content stsd(data, kids.need("stsd", where));
  track.descriptions = stsd.u32(4);
  const AtomRef* stsd_atom = kids.find("stsd");
  const std::vector<AtomRef> entries =
      list_atoms(data, stsd_atom->body() + 8, stsd_atom->end(), AtomWalk::strict);
  if (entries.empty() || track.descriptions == 0) fail(where + " has no sample description");
  const AtomRef& entry = entries.front();
  track.format = entry.type;
  if (track.handler == "vide") read_video_description(data, entry, track.video);
  if (track.handler == "soun") read_sound_description(data, entry, entry.type, track.sound);
  if (track.handler == "tmcd") read_timecode_description(data, entry, track.timecode);

  const Content stts(data, kids.need("stts", where));
  for (uint32_t i = 0, n = stts.count(4, 8); i < n; ++i)
    t.stts.push_back({stts.u32(8 + 8 * i), stts.u32(12 + 8 * i)});

  const Content stsc(data, kids.need("stsc", where));
  for (uint32_t i = 0, n = stsc.count(4, 12); i < n; ++i)
    t.stsc.push_back({stsc.u32(8 + 12 * i), stsc.u32(12 + 12 * i), stsc.u32(16 + 12 * i)});

  const Content stsz(data, kids.need("stsz", where));
  t.sample_size = stsz.u32(4);
  if (t.sample_size == 0) {
    t.sample_count = stsz.count(8, 4);
    t.sample_sizes.resize(t.sample_count);
    for (uint32_t i = 0; i < t.sample_count; ++i) t.sample_sizes[i] = stsz.u32(12 + 4 * i);
  } else {
    t.sample_count = stsz.u32(8);
  }

  const AtomRef* co = kids.find("stco");
  t.co64 = co == nullptr;
  if (t.co64) co = kids.find("co64");
  if (!co) fail(where + " has no 'stco' or 'co64' atom");
  const Content offsets(data, *co);
  const size_t width = t.co64 ? 8 : 4;
  const uint32_t chunks = offsets.count(4, width);
  t.chunk_offsets.resize(chunks);
  for (uint32_t i = 0; i < chunks; ++i)
    t.chunk_offsets[i] = t.co64 ? offsets.u64(8 + 8 * i) : offsets.u32(8 + 4 * i);

  if (const AtomRef* sdtp = kids.find("sdtp")) t.sdtp_entries = int64_t(sdtp->body_bytes()) - 4;
}

Track read_track(const Bytes& data, const AtomRef& trak, size_t index) {
  const std::string where = "track " + std::to_string(index + 1);
  const Children kids(data, trak);
  Track track;
  const Content tkhd(data, kids.need("tkhd", where));
  track.id = tkhd.u8(0) == 1 ? tkhd.u32(20) : tkhd.u32(12);
  track.track_duration = versioned(tkhd, 20, 28);
  if (const AtomRef* tref = kids.find("tref")) {
    for (const AtomRef& r : list_atoms(data, tref->body(), tref->end(), AtomWalk::strict)) {
      if (r.type != "tmcd") continue;
      const Content ids(data, r);
      for (size_t at = 0; at + 4 <= ids.size(); at += 4) track.timecode_refs.push_back(ids.u32(at));
    }
  }
  const Children mdia(data, kids.need("mdia", where));
  const Content mdhd(data, mdia.need("mdhd", where));
  track.media_timescale = static_cast<uint32_t>(versioned(mdhd, 12, 20));
  track.media_duration = versioned(mdhd, 16, 24);
  track.handler = Content(data, mdia.need("hdlr", where)).text(8, 4);
  const Children minf(data, mdia.need("minf", where));
  read_sample_tables(data, minf.need("stbl", where), where, track);
  return track;
}

uint64_t file_size(std::FILE* f) {
  if (fseeko(f, 0, SEEK_END) != 0) return 0;
  return static_cast<uint64_t>(ftello(f));
}

}  // namespace

MovieReader::MovieReader(const std::string& path) {
  file_ = std::fopen(path.c_str(), "rb");
  if (!file_) fail(std::string("cannot open the file: ") + std::strerror(errno));
  movie_.file_bytes = file_size(file_);

  // Top level: walked with seeks; only moov is read into memory.
  Bytes moov;
  AtomRef root;
  uint64_t pos = 0;
  while (pos < movie_.file_bytes) {
    uint8_t h[16];
    const uint64_t left = movie_.file_bytes - pos;
    std::ostringstream where;
    where << "at offset " << pos;
    if (left < 8) fail(std::to_string(left) + " stray bytes at the end of the file");
    if (fseeko(file_, static_cast<off_t>(pos), SEEK_SET) != 0 || std::fread(h, 1, 8, file_) != 8)
      fail("cannot read the file " + where.str());
    uint64_t size = be32(h);
    const std::string type(reinterpret_cast<const char*>(h + 4), 4);
    uint64_t header = 8;
    if (size == 1) {
      if (left < 16 || std::fread(h + 8, 1, 8, file_) != 8)
        fail("truncated atom header " + where.str());
      size = be64(h + 8);
      header = 16;
    } else if (size == 0) {
      size = left;  // to the end of the file
    }
    if (pos == 0 && (size < header || size > left)) fail("not a QuickTime movie");
    if (size < header) {
      fail("atom '" + type + "' " + where.str() + " has size " + std::to_string(size) +
           (type == "mdat" ? " (an unfinished movie?)" : ""));
    }
    if (size > left) {
      fail("atom '" + type + "' " + where.str() + " runs " + std::to_string(size - left) +
           " bytes past the end of the file");
    }
    if (type == "mdat") movie_.media_data.push_back({pos + header, size - header});
    if (type == "moov") {
      if (!moov.empty()) fail("more than one 'moov' atom");
      moov.resize(size);
      if (fseeko(file_, static_cast<off_t>(pos), SEEK_SET) != 0 ||
          std::fread(moov.data(), 1, size, file_) != size)
        fail("cannot read the 'moov' atom");
      root.size = size;
      root.header = header;
      root.type = type;
    }
    pos += size;
  }
  if (moov.empty()) fail("no 'moov' atom: not a finished QuickTime movie");
  if (movie_.media_data.empty()) fail("no 'mdat' atom");

  const Children kids(moov, root);
  const Content mvhd(moov, kids.need("mvhd", "the movie"));
  movie_.timescale = static_cast<uint32_t>(versioned(mvhd, 12, 20));
  movie_.duration = versioned(mvhd, 16, 24);
  for (const AtomRef& a : kids.atoms)
    if (a.type == "trak") movie_.tracks.push_back(read_track(moov, a, movie_.tracks.size()));
}

MovieReader::~MovieReader() {
  if (file_) std::fclose(file_);
}

void MovieReader::read(FileRange range, std::vector<uint8_t>& out) {
  if (range.offset > movie_.file_bytes || range.bytes > movie_.file_bytes - range.offset) {
    std::ostringstream m;
    m << range.bytes << " bytes at offset " << range.offset << " lie outside the file";
    fail(m.str());
  }
  out.resize(range.bytes);
  if (fseeko(file_, static_cast<off_t>(range.offset), SEEK_SET) != 0 ||
      std::fread(out.data(), 1, out.size(), file_) != out.size()) {
    fail(std::string("cannot read the file: ") + std::strerror(errno));
  }
}

std::vector<uint8_t> read_top_level_atom(const std::string& path, const std::string& type) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return {};
  const uint64_t end = file_size(f);
  Bytes out;
  uint64_t pos = 0;
  uint8_t h[16];
  while (fseeko(f, static_cast<off_t>(pos), SEEK_SET) == 0 && std::fread(h, 1, 8, f) == 8) {
    uint64_t size = be32(h);
    if (size == 1) {
      if (std::fread(h + 8, 1, 8, f) != 8) break;
      size = be64(h + 8);
    }
    if (size < 8 || size > end - pos) break;
    if (std::string(reinterpret_cast<char*>(h + 4), 4) == type) {
      out.resize(size);
      fseeko(f, static_cast<off_t>(pos), SEEK_SET);
      if (std::fread(out.data(), 1, size, f) != size) out.clear();
      break;
    }
    pos += size;
  }
  std::fclose(f);
  return out;
}

}  // namespace orvex_inspect
