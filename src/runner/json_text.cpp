#include "runner/json_text.hpp"

#include <cmath>
#include <cstring>

#include "io/float_to_chars.hpp"

namespace hs {

Json series_json(const std::vector<double>& values) {
  std::vector<std::uint8_t> bytes(values.size() * sizeof(double));
  if (!values.empty()) std::memcpy(bytes.data(), values.data(), bytes.size());
  return Json::binary(std::move(bytes), kSeriesSubtype);
}

bool is_series(const Json& j) {
  return j.is_binary() && j.get_binary().has_subtype() &&
         j.get_binary().subtype() == kSeriesSubtype;
}

std::vector<double> series_values(const Json& j) {
  const auto& bytes = j.get_binary();
  std::vector<double> values(bytes.size() / sizeof(double));
  if (!values.empty()) std::memcpy(values.data(), bytes.data(), values.size() * sizeof(double));
  return values;
}

namespace {

// A number of a series as the JSON library writes a double: the shortest digits that read back
// to it, ".0" after whole numbers; null when it is not finite.
void append_series_number(std::string& out, double v) {
  if (!std::isfinite(v)) {
    out += "null";
    return;
  }
  char buf[32];
  const auto r = double_to_chars(buf, buf + sizeof buf, v);
  out.append(buf, r.ptr);
  bool whole = true;
  for (const char* c = buf; c != r.ptr; ++c) whole = whole && *c != '.' && *c != 'e';
  if (whole) out += ".0";
}

void append_scalar(std::string& out, const Json& j) {
  out += j.dump(-1, ' ', false, Json::error_handler_t::replace);
}

void append_newline(std::string& out, int indent, int level) {
  out += '\n';
  out.append(static_cast<std::size_t>(indent) * level, ' ');
}

void append(std::string& out, const Json& j, int indent, int level) {
  const bool pretty = indent >= 0;
  if (is_series(j)) {
    const auto& bytes = j.get_binary();
    const std::size_t n = bytes.size() / sizeof(double);
    out += '[';
    for (std::size_t i = 0; i < n; ++i) {
      double v;
      std::memcpy(&v, bytes.data() + i * sizeof(double), sizeof v);
      if (i > 0) out += pretty ? ", " : ",";
      append_series_number(out, v);
    }
    out += ']';
    return;
  }
  if (j.is_object()) {
    if (j.empty()) {
      out += "{}";
      return;
    }
    out += '{';
    bool first = true;
    for (auto it = j.begin(); it != j.end(); ++it) {
      if (!first) out += ',';
      first = false;
      if (pretty) append_newline(out, indent, level + 1);
      append_scalar(out, Json(it.key()));
      out += pretty ? ": " : ":";
      append(out, it.value(), indent, level + 1);
    }
    if (pretty) append_newline(out, indent, level);
    out += '}';
    return;
  }
  if (j.is_array()) {
    if (j.empty()) {
      out += "[]";
      return;
    }
    out += '[';
    bool first = true;
    for (const Json& e : j) {
      if (!first) out += ',';
      first = false;
      if (pretty) append_newline(out, indent, level + 1);
      append(out, e, indent, level + 1);
    }
    if (pretty) append_newline(out, indent, level);
    out += ']';
    return;
  }
  append_scalar(out, j);
}

}  // namespace

std::string json_text(const Json& doc, int indent) {
  std::string out;
  append(out, doc, indent, 0);
  return out;
}

}  // namespace hs
