#include <pybind11/numpy.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "python/convert.hpp"
#include "runner/json_text.hpp"

namespace py = pybind11;

namespace hs {

namespace {

bool number_or_null(const Json& j) {
  return j.is_number() || j.is_null();
}

double as_double(const Json& j) {
  return j.is_null() ? std::numeric_limits<double>::quiet_NaN() : j.get<double>();
}

// A non-empty list of numbers (or nulls).
bool numeric_list(const Json& j) {
  if (!j.is_array() || j.empty()) return false;
  for (const Json& e : j) {
    if (!number_or_null(e)) return false;
  }
  return true;
}

// A non-empty list of numeric lists of one length: the rows of a matrix.
bool numeric_matrix(const Json& j) {
  if (!j.is_array() || j.empty() || !numeric_list(j[0])) return false;
  for (const Json& row : j) {
    if (!numeric_list(row) || row.size() != j[0].size()) return false;
  }
  return true;
}

}  // namespace

py::object to_python(const Json& j) {
  switch (j.type()) {
    case Json::value_t::null:
      return py::none();
    case Json::value_t::boolean:
      return py::bool_(j.get<bool>());
    case Json::value_t::number_integer:
      return py::int_(j.get<std::int64_t>());
    case Json::value_t::number_unsigned:
      return py::int_(j.get<std::uint64_t>());
    case Json::value_t::number_float:
      return py::float_(j.get<double>());
    case Json::value_t::string:
      return py::str(j.get_ref<const std::string&>());
    case Json::value_t::object: {
      py::dict d;
      for (auto it = j.begin(); it != j.end(); ++it) d[py::str(it.key())] = to_python(it.value());
      return d;
    }
    case Json::value_t::array: {
      if (numeric_list(j)) {
        py::array_t<double> a(static_cast<py::ssize_t>(j.size()));
        double* out = a.mutable_data();
        for (const Json& e : j) *out++ = as_double(e);
        return a;
      }
      if (numeric_matrix(j)) {
        const auto rows = static_cast<py::ssize_t>(j.size());
        const auto cols = static_cast<py::ssize_t>(j[0].size());
        py::array_t<double> a({rows, cols});
        double* out = a.mutable_data();
        for (const Json& row : j) {
          for (const Json& e : row) *out++ = as_double(e);
        }
        return a;
      }
      py::list l;
      for (const Json& e : j) l.append(to_python(e));
      return l;
    }
    case Json::value_t::binary: {
      if (!is_series(j)) return py::none();  // not in a results document
      const auto& bytes = j.get_binary();
      py::array_t<double> a(static_cast<py::ssize_t>(bytes.size() / sizeof(double)));
      if (!bytes.empty()) std::memcpy(a.mutable_data(), bytes.data(), bytes.size());
      return a;
    }
    default:
      return py::none();
  }
}

}  // namespace hs
