// Between Python objects and the program's own forms: the JSON results as Python dicts with NumPy
// arrays, and a Python dict as the text of a job file.
#pragma once

#include <pybind11/pybind11.h>

#include <string>

#include "runner/json_results.hpp"

namespace hs {

// The results document as Python objects: objects as dicts (in the document's order), strings,
// integers, booleans and null as themselves, every list of numbers (null as NaN) as a float64
// array and every list of equal-length lists of numbers as a 2-D float64 array; other lists
// stay lists.
pybind11::object to_python(const Json& j);

// The TOML text of a job given as a dict with the job file's keys: in each table its plain keys
// first, then its tables ([NAME]) and arrays of tables ([[NAME]], a list of dicts), all in dict
// order. Numbers are written as the shortest text that reads back to the same double (NaN and
// infinities as TOML's nan and inf, which the job reader refuses with its own message). Raises
// TypeError, naming the dotted key, for a key that is not a string or a value that has no TOML
// form (None, ...).
std::string dict_to_toml(const pybind11::dict& d);

}  // namespace hs
