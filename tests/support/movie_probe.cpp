// Movie inspection helpers for the tests.
#include "tests/support/movie_probe.h"

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace orvex_test {

TempDir::TempDir() {
  char templ[] = "/tmp/orvex_video_XXXXXX";
  if (!mkdtemp(templ)) throw std::runtime_error("mkdtemp failed");
  path_ = templ;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string run_command(const std::string& command, int* status) {
  std::string out;
  std::FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) throw std::runtime_error("popen failed: " + command);
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
  const int rc = pclose(pipe);
  if (status) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  return out;
}

Bytes read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

uint32_t be32(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

uint64_t be64(const uint8_t* p) {
  return uint64_t{be32(p)} << 32 | be32(p + 4);
}

std::vector<AtomRef> list_atoms(const Bytes& data, size_t begin, size_t end) {
  std::vector<AtomRef> atoms;
  size_t pos = begin;
  while (pos + 8 <= end) {
    AtomRef a;
    a.offset = pos;
    a.size = be32(&data[pos]);
    a.type.assign(reinterpret_cast<const char*>(&data[pos + 4]), 4);
    if (a.size == 1) {
      a.size = be64(&data[pos + 8]);
      a.header = 16;
    }
    if (a.size < a.header || pos + a.size > end) break;
    atoms.push_back(a);
    pos += a.size;
  }
  return atoms;
}

static bool descend(const Bytes& data, const std::string& path, AtomRef& out) {
  size_t begin = 0, end = data.size();
  std::stringstream ss(path);
  std::string part;
  while (std::getline(ss, part, '/')) {
    std::string type = part;
    int index = 0;
    if (const auto colon = part.find(':'); colon != std::string::npos) {
      type = part.substr(0, colon);
      index = std::stoi(part.substr(colon + 1));
    }
    bool found = false;
    for (const AtomRef& a : list_atoms(data, begin, end)) {
      if (a.type == type && index-- == 0) {
        out = a;
        found = true;
        break;
      }
    }
    if (!found) return false;
    begin = out.body();
    end = out.end();
  }
  return true;
}

AtomRef find_atom(const Bytes& data, const std::string& path) {
  AtomRef a;
  if (!descend(data, path, a)) throw std::runtime_error("missing atom " + path);
  return a;
}

bool has_atom(const Bytes& data, const std::string& path) {
  AtomRef a;
  return descend(data, path, a);
}

Bytes read_top_level_atom(const std::string& path, const std::string& type) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return {};
  Bytes out;
  uint64_t pos = 0;
  uint8_t h[16];
  while (fseeko(f, static_cast<off_t>(pos), SEEK_SET) == 0 && std::fread(h, 1, 8, f) == 8) {
    uint64_t size = be32(h);
    if (size == 1) {
      if (std::fread(h + 8, 1, 8, f) != 8) break;
      size = be64(h + 8);
    }
    if (size < 8) break;
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

std::map<std::string, std::string> ffprobe_stream(const std::string& movie,
                                                  const std::string& stream) {
  const std::string out = run_command(
      "ffprobe -v error -count_packets -select_streams " + stream +
      " -show_entries stream=codec_name,codec_tag_string,width,height,nb_read_packets,"
      "r_frame_rate,duration,sample_rate,channels,sample_fmt,bits_per_sample,codec_type "
      "-of default=noprint_wrappers=1 '" +
      movie + "'");
  std::map<std::string, std::string> fields;
  std::stringstream ss(out);
  std::string line;
  while (std::getline(ss, line)) {
    if (const auto eq = line.find('='); eq != std::string::npos)
      fields[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return fields;
}

Bytes hap1_solid_frame(uint32_t width, uint32_t height, uint16_t rgb565) {
  const uint32_t blocks = ((width + 3) / 4) * ((height + 3) / 4);
  const uint32_t texture = blocks * 8;
  Bytes frame;
  frame.reserve(4 + texture);
  frame.push_back(static_cast<uint8_t>(texture));
  frame.push_back(static_cast<uint8_t>(texture >> 8));
  frame.push_back(static_cast<uint8_t>(texture >> 16));
  frame.push_back(0xAB);
  for (uint32_t b = 0; b < blocks; ++b) {
    for (int e = 0; e < 2; ++e) {  // colour0, colour1, little-endian
      frame.push_back(static_cast<uint8_t>(rgb565));
      frame.push_back(static_cast<uint8_t>(rgb565 >> 8));
    }
    frame.insert(frame.end(), 4, 0);
  }
  return frame;
}

}  // namespace orvex_test
