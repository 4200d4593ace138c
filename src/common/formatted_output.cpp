// Formatted report records: the parsed format applied to the items, with
// Fortran's rules for running out of items and for reversion.
#include <cmath>
#include <variant>

#include "format_items.hpp"
#include "formatted_output.hpp"
#include "number_text.hpp"

namespace porvane {
namespace {

// Writes one format's output; X descriptors only count blanks until
// something follows them, so blanks at the end of a record vanish.
class record_writer {
 public:
  record_writer(std::string& out, const std::vector<report_item>& items)
      : out_(out), items_(items) {}

  bool operator()(const format_node& n) {
    if (n.kind == edit_kind::skip) {
      pending_ += n.width;
      return true;
    }
    if (n.kind == edit_kind::literal) {
      write_pending();
      out_ += n.text;
      return true;
    }
    if (next_ == items_.size()) return false;  // stop at a data descriptor without an item
    write_pending();
    const report_item& item = items_[next_++];
    switch (n.kind) {
      case edit_kind::text:
        write_text(n.width, item);
        break;
      case edit_kind::integer:
        write_integer(n.width, item);
        break;
      default:
        write_fixed(n.width, n.decimals, item);
        break;
    }
    return true;
  }

  bool all_used() const { return next_ == items_.size(); }
  void new_record() {
    pending_ = 0;
    out_ += '\n';
  }
  void write_pending() {
    if (pending_ > 0) out_.append(pending_, ' ');
    pending_ = 0;
  }

 private:
  std::string& out_;
  const std::vector<report_item>& items_;
  std::size_t next_ = 0;
  int pending_ = 0;

  void write_text(int width, const report_item& item) {
    std::string number;
    std::string_view s;
    if (const auto* t = std::get_if<std::string_view>(&item)) {
      s = *t;
    } else {
      // A number under an A descriptor: its free-format text without blanks.
      append_free_format(number, {item});
      std::size_t b = number.find_first_not_of(' ');
      std::size_t e = number.find_last_not_of(' ');
      s = b == std::string::npos ? std::string_view() : std::string_view(number).substr(b, e - b + 1);
    }
    if (width == 0) {
      out_ += s;
    } else if (s.size() >= static_cast<std::size_t>(width)) {
      out_ += s.substr(0, width);
    } else {
      out_.append(width - s.size(), ' ');
      out_ += s;
    }
  }

  void write_integer(int width, const report_item& item) {
    if (const auto* i = std::get_if<int32_t>(&item)) return append_integer_field(out_, *i, width);
    double v = 0.0;
    if (const auto* f = std::get_if<float>(&item)) {
      v = *f;
    } else if (const auto* d = std::get_if<double>(&item)) {
      v = *d;
    } else {
      out_.append(width, '*');
      return;
    }
    // A real under an I descriptor: its integer part.
    if (!std::isfinite(v) || std::fabs(v) >= 9.2e18) {
      out_.append(width > 0 ? width : 1, '*');
      return;
    }
    append_integer_field(out_, static_cast<long long>(std::trunc(v)), width);
  }

  void write_fixed(int width, int decimals, const report_item& item) {
    double v;
    if (const auto* f = std::get_if<float>(&item)) {
      v = *f;
    } else if (const auto* d = std::get_if<double>(&item)) {
      v = *d;
    } else if (const auto* i = std::get_if<int32_t>(&item)) {
      v = *i;
    } else {
      out_.append(width, '*');
      return;
    }
    append_fixed_field(out_, v, width, decimals);
  }
};

}  // namespace

void append_formatted(std::string& out, std::string_view format,
                      const std::vector<report_item>& items, bool stays_open) {
  const parsed_format& pf = cached_format(format);
  record_writer writer(out, items);
  std::size_t from = 0;
  // Items left when the format runs out start a new record at the
  // reversion point; a format that could never take them ends the output.
  while (walk_format(pf.items, from, writer) && !writer.all_used() && pf.reversion_has_data) {
    writer.new_record();
    from = pf.reversion;
  }
  if (stays_open) writer.write_pending();
}

std::string formatted_text(std::string_view format, const std::vector<report_item>& items) {
  std::string out;
  append_formatted(out, format, items, false);
  return out;
}

}  // namespace porvane
