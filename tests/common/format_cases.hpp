// Reading the gfortran expectation files of tests/data/format: each case is
// a header line (#fmt, #free or #read) followed by the lines gfortran wrote.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/report_writer.hpp"

namespace porvane::test {

struct format_case {
  std::string header;               // the header without its "#kind " prefix
  std::vector<std::string> fields;  // header split at tabs
  std::vector<std::string> lines;   // what gfortran wrote
  int line_number = 0;              // of the header in the file
};

inline std::vector<format_case> read_cases(const std::string& name, const std::string& kind) {
  std::ifstream in(std::string(PORVANE_TEST_DATA) + "/format/" + name, std::ios::binary);
  if (!in) throw std::runtime_error("missing " + name);
  std::vector<format_case> cases;
  std::string line;
  int n = 0;
  const std::string tag = "#" + kind;
  bool in_case = false;  // inside a case of the wanted kind
  while (std::getline(in, line)) {
    ++n;
    const bool header = line.rfind("#fmt", 0) == 0 || line.rfind("#free", 0) == 0 || line.rfind("#read", 0) == 0;
    if (header) in_case = line.rfind(tag, 0) == 0;
    if (!in_case) continue;
    if (!header) {
      cases.back().lines.push_back(line);
      continue;
    }
    format_case c{line.size() > tag.size() ? line.substr(tag.size() + 1) : std::string(), {}, {}, n};
    std::istringstream fields(c.header);
    for (std::string field; std::getline(fields, field, '\t');) c.fields.push_back(field);
    if (c.header.empty() || c.header.back() == '\t') c.fields.push_back("");
    cases.push_back(std::move(c));
  }
  return cases;
}

// The float or double of hexadecimal bits.
template <class T>
T from_hex(const std::string& s) {
  const auto bits = std::stoull(s, nullptr, 16);
  T v;
  std::memcpy(&v, &bits, sizeof v);  // little-endian: the low bytes hold a float's bits
  return v;
}

// Items written as i<decimal>, r<float bits>, d<double bits>, s<len>:<text>,
// separated by single blanks. Texts are kept in `store`.
inline std::vector<report_item> parse_items(const std::string& s, std::deque<std::string>& store) {
  std::vector<report_item> items;
  std::size_t p = 0;
  while (p < s.size()) {
    char kind = s[p++];
    if (kind == 's') {
      std::size_t colon = s.find(':', p);
      std::size_t len = std::stoul(s.substr(p, colon - p));
      store.push_back(s.substr(colon + 1, len));
      items.push_back(std::string_view(store.back()));
      p = colon + 1 + len;
    } else {
      std::size_t end = s.find(' ', p);
      std::string v = s.substr(p, end == std::string::npos ? std::string::npos : end - p);
      if (kind == 'i') items.push_back(static_cast<int32_t>(std::stol(v)));
      else if (kind == 'r') items.push_back(from_hex<float>(v));
      else if (kind == 'd') items.push_back(from_hex<double>(v));
      else throw std::runtime_error("bad item kind in " + s);
      p += v.size();
    }
    if (p < s.size() && s[p] == ' ') ++p;
  }
  return items;
}

// What `write` sends through a writer on a temporary file.
template <class F>
std::string written_by(F write) {
  std::FILE* f = std::tmpfile();
  report_writer r(f);
  write(r);
  r.flush();
  std::string out;
  std::rewind(f);
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  std::fclose(f);
  return out;
}

inline std::string joined(const std::vector<std::string>& lines) {
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) out += (i > 0 ? "\n" : "") + lines[i];
  return out;
}

}  // namespace porvane::test
