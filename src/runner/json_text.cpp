#include "runner/json_text.hpp"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <utility>

#include "analysis/worker_pool.hpp"
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

void append_scalar(std::string& out, const Json& j) {
  out += j.dump(-1, ' ', false, Json::error_handler_t::replace);
}

void append_newline(std::string& out, int indent, int level) {
  out += '\n';
  out.append(static_cast<std::size_t>(indent) * level, ' ');
}

// A stretch of the text: literal text, then `count` numbers of a series (doubles in the
// machine's byte order), after a separator when they continue the series.
struct Part {
  std::string text;
  const std::uint8_t* numbers = nullptr;
  std::size_t count = 0;
  bool continues = false;
};

// Numbers of a series in one part: a long series is cut into parts of at most this many, so
// that the parts can be shared evenly among threads.
constexpr std::size_t kNumbersPerPart = 8192;

// The walk over the document either forms the whole text (parts null) or leaves the numbers of
// the series for later, as parts (literal text and where the numbers are).
struct Walk {
  std::string out;
  std::vector<Part>* parts = nullptr;
};

void append_numbers(std::string& out, const std::uint8_t* numbers, std::size_t count,
                    bool continues, bool pretty) {
  // Straight into the string's own storage: a separator, at most 24 characters of a double and
  // ".0" fit in 32.
  constexpr std::size_t kMost = 32;
  const std::size_t start = out.size();
  out.resize(start + count * kMost);
  char* p = out.data() + start;
  for (std::size_t i = 0; i < count; ++i) {
    double v;
    std::memcpy(&v, numbers + i * sizeof(double), sizeof v);
    if (i > 0 || continues) {
      *p++ = ',';
      if (pretty) *p++ = ' ';
    }
    if (!std::isfinite(v)) {
      std::memcpy(p, "null", 4);
      p += 4;
      continue;
    }
    char* const first = p;
    p = double_to_chars(p, p + 26, v).ptr;
    // As the JSON library writes a double: ".0" after a whole number.
    bool whole = true;
    for (const char* c = first; c != p; ++c) whole = whole && *c != '.' && *c != 'e';
    if (whole) {
      *p++ = '.';
      *p++ = '0';
    }
  }
  out.resize(static_cast<std::size_t>(p - out.data()));
}

void append(Walk& walk, const Json& j, int indent, int level) {
  std::string& out = walk.out;
  const bool pretty = indent >= 0;
  if (is_series(j)) {
    const auto& bytes = j.get_binary();
    const std::size_t n = bytes.size() / sizeof(double);
    out += '[';
    if (walk.parts == nullptr) {
      append_numbers(out, bytes.data(), n, false, pretty);
    } else {
      for (std::size_t first = 0; first < n; first += kNumbersPerPart) {
        walk.parts->push_back({std::move(out), bytes.data() + first * sizeof(double),
                               std::min(kNumbersPerPart, n - first), first > 0});
        out.clear();
      }
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
      append(walk, it.value(), indent, level + 1);
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
      append(walk, e, indent, level + 1);
    }
    if (pretty) append_newline(out, indent, level);
    out += ']';
    return;
  }
  append_scalar(out, j);
}

}  // namespace

std::string json_text(const Json& doc, int indent) {
  Walk walk;
  append(walk, doc, indent, 0);
  return std::move(walk.out);
}

bool write_json_text(const Json& doc, int indent, int threads,
                     const std::function<bool(std::string_view)>& write) {
  std::vector<Part> parts;
  Walk walk;
  walk.parts = &parts;
  append(walk, doc, indent, 0);
  parts.push_back({std::move(walk.out)});
  // Pieces of consecutive parts, each about kJsonPieceBytes of text (a number is 15 to 25
  // characters), formed a round at a time on the threads and handed on in order.
  std::vector<std::size_t> piece_start{0};
  std::size_t numbers = 0;
  for (std::size_t p = 0; p < parts.size(); ++p) {
    numbers += parts[p].count;
    if (numbers * 20 >= kJsonPieceBytes && p + 1 < parts.size()) {
      piece_start.push_back(p + 1);
      numbers = 0;
    }
  }
  piece_start.push_back(parts.size());
  const std::size_t pieces = piece_start.size() - 1;
  const bool pretty = indent >= 0;
  auto form = [&](std::size_t piece, std::string& text) {
    text.clear();
    for (std::size_t p = piece_start[piece]; p < piece_start[piece + 1]; ++p) {
      text += parts[p].text;
      append_numbers(text, parts[p].numbers, parts[p].count, parts[p].continues, pretty);
    }
  };
  if (threads == 1 || pieces == 1) {
    std::string text;
    for (std::size_t piece = 0; piece < pieces; ++piece) {
      form(piece, text);
      if (!write(text)) return false;
    }
    return true;
  }
  // Two rounds of pieces in turn: while the threads form one, the calling thread hands on the
  // one before (between its own pieces), so that the writing overlaps the formatting.
  WorkerPool pool(threads);
  const std::size_t round = 4 * static_cast<std::size_t>(pool.size());
  std::vector<std::string> texts[2] = {std::vector<std::string>(round),
                                       std::vector<std::string>(round)};
  std::size_t pending = 0;  // pieces of the round before, formed and not yet handed on
  int pending_round = 1;
  bool ok = true;
  auto hand_on = [&] {
    for (std::size_t i = 0; i < pending && ok; ++i) ok = write(texts[pending_round][i]);
    pending = 0;
  };
  int current = 0;
  for (std::size_t first = 0; first < pieces && ok; first += round, current ^= 1) {
    const std::size_t m = std::min(round, pieces - first);
    bool handed = false;
    pool.share_blocks(
        m, [&](int, std::size_t b) { form(first + b, texts[current][b]); },
        [&] {
          if (!handed) hand_on();
          handed = true;
          return true;
        },
        std::chrono::milliseconds(1));
    if (!handed) hand_on();
    pending = m;
    pending_round = current;
  }
  hand_on();
  return ok;
}

}  // namespace hs
