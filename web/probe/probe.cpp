// A small embind module with the interface of the web build: version() and runJob(). It checks
// that what the analysis core uses compiles and runs under Emscripten: <numbers>, <complex>,
// <charconv> with double to_chars, exceptions, toml++ and nlohmann json. runJob() reads the job's
// title and plies with toml++ and answers with a JSON text of the shape the page expects.
#include <emscripten/bind.h>
#include <toml++/toml.h>

#include <charconv>
#include <complex>
#include <nlohmann/json.hpp>
#include <numbers>
#include <stdexcept>
#include <string>
#include <system_error>

#include "io/float_to_chars.hpp"

namespace {

// Shortest decimal form that reads back to the same double. libc++ 13 (Emscripten 3.1.6) has
// only the integer overloads of std::to_chars: the fallback gives the same characters.
std::string shortest(double v) {
  char buf[64];
#if defined(_LIBCPP_VERSION) && _LIBCPP_VERSION < 14000
  auto [end, ec] =
      hs::compat::to_chars_shortest(buf, buf + sizeof buf, v, std::chars_format::fixed);
#else
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
#endif
  if (ec != std::errc{}) throw std::runtime_error("to_chars failed");
  return std::string(buf, end);
}

// Integer to_chars is there in every version.
std::string integer(long v) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

std::string version() {
  return "0.0.0-probe";
}

std::string run_job(const std::string& text, const std::string& file_name) {
  nlohmann::json out;
  out["status"] = 0;
  out["errors"] = "";
  out["tables"] = "";
  out["csv"] = nlohmann::json::object();
  out["pictures"] = "";
  try {
    toml::table job = toml::parse(text, file_name);
    nlohmann::json results;
    results["title"] = job["title"].value_or(std::string());
    double total = 0.0;
    if (auto* plies = job["plies"].as_array()) {
      for (auto& ply : *plies) {
        if (auto* t = ply.as_table()) total += (*t)["thickness"].value_or(0.0);
      }
    }
    results["thickness"] = total;
    // exp(i pi) = -1: complex arithmetic and std::numbers together.
    std::complex<double> z = std::exp(std::complex<double>(0.0, std::numbers::pi));
    results["exp_i_pi"] = shortest(z.real());
    results["pi"] = shortest(std::numbers::pi);
    results["plies"] =
        integer(job["plies"].as_array() ? long(job["plies"].as_array()->size()) : 0L);
    out["results"] = results;
  } catch (const toml::parse_error& e) {
    const auto& where = e.source().begin;
    out["status"] = 2;
    out["errors"] = file_name + ":" + std::to_string(where.line) + ":" +
                    std::to_string(where.column) + ": " + std::string(e.description());
    out["results"] = nullptr;
  }
  return out.dump();
}

// Throws and catches inside the module: exceptions must work, not abort.
int exceptions_work() {
  try {
    throw std::invalid_argument("probe");
  } catch (const std::exception& e) {
    return std::string(e.what()) == "probe" ? 1 : 0;
  }
  return 0;
}

}  // namespace

EMSCRIPTEN_BINDINGS(holestress) {
  emscripten::function("version", &version);
  emscripten::function("runJob", &run_job);
  emscripten::function("exceptionsWork", &exceptions_work);
}
