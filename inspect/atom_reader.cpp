#include "inspect/atom_reader.h"

#include <sstream>
#include <stdexcept>

#include "inspect/byte_order.h"

namespace orvex_inspect {

std::vector<AtomRef> list_atoms(const Bytes& data, size_t begin, size_t end, AtomWalk walk) {
  std::vector<AtomRef> atoms;
  size_t pos = begin;
  while (pos < end) {
    if (end - pos == 4 && be32(&data[pos]) == 0) break;  // terminator
    AtomRef a;
    a.offset = pos;
    bool fits = end - pos >= 8;
    if (fits) {
      a.size = be32(&data[pos]);
      a.type.assign(reinterpret_cast<const char*>(&data[pos + 4]), 4);
      if (a.size == 1) {
        fits = end - pos >= 16;
        if (fits) a.size = be64(&data[pos + 8]);
        a.header = 16;
      }
    }
    fits = fits && a.size >= a.header && a.size <= end - pos;
    if (!fits) {
      if (walk == AtomWalk::lenient) break;
      std::ostringstream m;
      m << "atom '" << a.type << "' at index offset " << pos << " does not fit its parent";
      throw std::runtime_error(m.str());
    }
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

}  // namespace orvex_inspect
