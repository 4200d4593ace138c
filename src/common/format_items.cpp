#include "format_items.hpp"

#include <cctype>
#include <memory>
#include <unordered_map>

#include "run_stop.hpp"

namespace porvane {
namespace {

// Largest count or width accepted; keeps a mistyped format from asking for
// gigabytes of blanks.
constexpr int max_format_number = 100000;

// Addresses remembered before the address table starts afresh.
constexpr std::size_t max_cached_addresses = 4096;

class format_parser {
 public:
  explicit format_parser(std::string_view s) : s_(s) {}

  parsed_format run() {
    parsed_format out;
    out.source = std::string(s_);
    skip_blanks();
    if (peek() == '(') {
      ++pos_;
      out.items = list(')');
      skip_blanks();
      if (pos_ < s_.size()) fail("text after the closing parenthesis");
    } else {
      out.items = list('\0');  // a format without the outer parentheses
    }
    // After the last item a new record resumes at the last top-level group,
    // or at the start when there is none.
    for (std::size_t i = out.items.size(); i-- > 0;) {
      if (out.items[i].kind == edit_kind::group) {
        out.reversion = i;
        break;
      }
    }
    out.reversion_has_data = has_data(out.items, out.reversion);
    return out;
  }

 private:
  std::string_view s_;
  std::size_t pos_ = 0;

  [[noreturn]] void fail(const char* why) const {
    io_failure("bad format " + std::string(s_) + " at character " +
               std::to_string(pos_ + 1) + ": " + why);
  }

  static bool has_data(const std::vector<format_node>& nodes, std::size_t from) {
    for (std::size_t i = from; i < nodes.size(); ++i) {
      if (is_data_edit(nodes[i].kind)) return true;
      if (nodes[i].kind == edit_kind::group && has_data(nodes[i].group, 0)) return true;
    }
    return false;
  }

  void skip_blanks() {
    while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t')) ++pos_;
  }
  // Next significant character, lower case; '\0' at the end.
  char peek() {
    skip_blanks();
    if (pos_ >= s_.size()) return '\0';
    return static_cast<char>(std::tolower(static_cast<unsigned char>(s_[pos_])));
  }
  bool digit_next() { return std::isdigit(static_cast<unsigned char>(peek())) != 0; }
  // An unsigned number; blanks between its digits are ignored.
  int number() {
    if (!digit_next()) fail("a number is missing");
    long v = 0;
    while (digit_next()) {
      v = v * 10 + (s_[pos_] - '0');
      if (v > max_format_number) fail("number too large");
      ++pos_;
    }
    return static_cast<int>(v);
  }

  std::vector<format_node> list(char close) {
    std::vector<format_node> items;
    for (;;) {
      char c = peek();
      if (c == close) {
        if (close != '\0') ++pos_;
        return items;
      }
      if (c == '\0') fail("missing closing parenthesis");
      if (c == ',') {
        ++pos_;
        continue;
      }
      items.push_back(item());
    }
  }

  format_node item() {
    format_node n;
    bool counted = false;
    if (digit_next()) {
      n.repeat = number();
      counted = true;
    }
    char c = peek();
    if (c == '\0') fail("descriptor missing");
    ++pos_;
    switch (c) {
      case '(':
        n.kind = edit_kind::group;
        n.group = list(')');
        break;
      case '\'':
      case '"':
        n.kind = edit_kind::literal;
        n.text = quoted(c);
        break;
      case 'x':
        // nX: the count is the number of columns, not a repeat.
        n.kind = edit_kind::skip;
        n.width = counted ? n.repeat : 1;
        n.repeat = 1;
        break;
      case 'a':
        n.kind = edit_kind::text;
        n.width = digit_next() ? number() : 0;
        break;
      case 'i':
        n.kind = edit_kind::integer;
        n.width = number();
        break;
      case 'f':
        n.kind = edit_kind::fixed;
        n.width = number();
        if (peek() != '.') fail("'.' expected in an F descriptor");
        ++pos_;
        n.decimals = number();
        break;
      default:
        --pos_;
        fail("unsupported edit descriptor");
    }
    if (n.repeat == 0 && n.kind != edit_kind::skip) fail("repeat count of zero");
    return n;
  }

  // Text up to the closing quote; a doubled quote stands for one.
  std::string quoted(char q) {
    std::string t;
    for (;;) {
      if (pos_ >= s_.size()) fail("unterminated quoted text");
      char c = s_[pos_++];
      if (c == q) {
        if (pos_ < s_.size() && s_[pos_] == q) {
          t += q;
          ++pos_;
          continue;
        }
        return t;
      }
      t += c;
    }
  }
};

}  // namespace

parsed_format parse_format(std::string_view format) { return format_parser(format).run(); }

const parsed_format& cached_format(std::string_view format) {
  // Formats are mostly string literals: look them up by address first (and
  // confirm the text, since a buffer may be reused), then by content.
  static std::unordered_map<std::string, std::unique_ptr<parsed_format>> by_text;
  static std::unordered_map<const char*, const parsed_format*> by_address;
  auto a = by_address.find(format.data());
  if (a != by_address.end() && a->second->source == format) return *a->second;
  auto t = by_text.find(std::string(format));
  const parsed_format* p;
  if (t != by_text.end()) {
    p = t->second.get();
  } else {
    auto made = std::make_unique<parsed_format>(parse_format(format));
    p = made.get();
    by_text.emplace(std::string(format), std::move(made));
  }
  // Formats built at run time in ever new buffers must not grow the table
  // without bound; the content table stays complete.
  if (by_address.size() >= max_cached_addresses) by_address.clear();
  by_address[format.data()] = p;
  return *p;
}

}  // namespace porvane
