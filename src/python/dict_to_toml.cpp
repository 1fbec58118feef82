#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "job/toml_limits.hpp"
#include "job/toml_text.hpp"
#include "python/convert.hpp"

namespace py = pybind11;

namespace hs {

namespace {

// A list, a tuple or an array (not a string): its items.
bool sequence_items(py::handle v, std::vector<py::object>& items) {
  if (py::isinstance<py::str>(v) || py::isinstance<py::bytes>(v)) return false;
  py::object seq;
  if (py::isinstance<py::list>(v) || py::isinstance<py::tuple>(v)) {
    seq = py::reinterpret_borrow<py::object>(v);
  } else if (py::hasattr(v, "tolist") && py::hasattr(v, "ndim") && v.attr("ndim").cast<int>() > 0) {
    seq = v.attr("tolist")();  // a NumPy array
  } else {
    return false;
  }
  items.clear();
  for (py::handle e : seq) items.push_back(py::reinterpret_borrow<py::object>(e));
  return true;
}

bool table_list(const std::vector<py::object>& items) {
  if (items.empty()) return false;
  for (const py::object& e : items) {
    if (!py::isinstance<py::dict>(e)) return false;
  }
  return true;
}

std::string join_key(const std::string& path, const std::string& k) {
  return path.empty() ? k : path + "." + k;
}

// Whether a table has a value that is written inline, not as a table or array of tables.
bool has_plain_value(const py::dict& d) {
  std::vector<py::object> items;
  for (auto item : d) {
    py::handle v = item.second;
    if (!py::isinstance<py::dict>(v) && !(sequence_items(v, items) && table_list(items))) {
      return true;
    }
  }
  return false;
}

class Writer {
 public:
  std::string text;

  // Nesting deeper than a job file allows is refused before it exhausts the stack: a dict or a
  // list that contains itself would otherwise recurse for ever.
  struct Level {
    Level(int& depth, const std::string& where) : depth_(depth) {
      if (++depth_ > kMaxTomlNesting) {
        --depth_;
        throw py::value_error("<dict>: " + (where.empty() ? std::string("the top level") : where) +
                              ": nested more than " + std::to_string(kMaxTomlNesting) +
                              " deep (a dict or list that contains itself?)");
      }
    }
    ~Level() { --depth_; }
    int& depth_;
  };
  int depth = 0;

  // The body of a table: its plain keys, then its tables and arrays of tables. header is the
  // table's name as its [header] gives it; where, the dotted key for messages.
  void table(const py::dict& d, const std::string& header, const std::string& where) {
    const Level level(depth, where);
    struct Nested {
      std::string header, where;
      py::object value;
      std::vector<py::object> tables;  // an array of tables when not empty
    };
    std::vector<Nested> nested;
    std::vector<py::object> items;
    for (auto [k, v] : d) {
      const std::string name = key_name(k, where);
      const std::string h = join_key(header, toml_key(name)), w = join_key(where, name);
      if (py::isinstance<py::dict>(v)) {
        nested.push_back({h, w, py::reinterpret_borrow<py::object>(v), {}});
      } else if (sequence_items(v, items) && table_list(items)) {
        nested.push_back({h, w, py::none(), items});
      } else {
        text += toml_key(name) + " = " + value(v, w) + "\n";
      }
    }
    for (const Nested& n : nested) {
      if (n.tables.empty()) {
        // A table of tables alone needs no header of its own: [materials.carbon] says it.
        const py::dict sub = n.value.cast<py::dict>();
        if (sub.empty() || has_plain_value(sub)) {
          text += (text.empty() ? "[" : "\n[") + n.header + "]\n";
        }
        table(sub, n.header, n.where);
      } else {
        for (size_t i = 0; i < n.tables.size(); ++i) {
          text += (text.empty() ? "[[" : "\n[[") + n.header + "]]\n";
          table(n.tables[i].cast<py::dict>(), n.header, n.where + "[" + std::to_string(i) + "]");
        }
      }
    }
  }

 private:
  static std::string key_name(py::handle k, const std::string& where) {
    if (!py::isinstance<py::str>(k)) {
      throw py::type_error("<dict>: " + (where.empty() ? std::string("the top level") : where) +
                           ": a key must be a string, not " +
                           std::string(py::str(py::type::of(k).attr("__name__"))));
    }
    return k.cast<std::string>();
  }

  // A value written inline: a string, number, boolean, array or inline table.
  std::string value(py::handle v, const std::string& where) {
    const Level level(depth, where);
    if (py::isinstance<py::bool_>(v)) return v.cast<bool>() ? "true" : "false";
    if (py::isinstance<py::str>(v)) return toml_string(v.cast<std::string>());
    if (py::isinstance<py::float_>(v)) return toml_number(v.cast<double>());
    if (PyLong_Check(v.ptr())) return std::string(py::str(v));
    if (py::hasattr(v, "dtype") && py::hasattr(v, "ndim") && v.attr("ndim").cast<int>() == 0) {
      // A NumPy scalar or 0-d array: as the Python number it holds.
      return value(v.attr("item")(), where);
    }
    std::vector<py::object> items;
    if (sequence_items(v, items)) {
      std::string out = "[";
      for (size_t i = 0; i < items.size(); ++i) {
        out += (i ? ", " : "") + value(items[i], where + "[" + std::to_string(i) + "]");
      }
      return out + "]";
    }
    if (py::isinstance<py::dict>(v)) {
      std::string out = "{";
      bool first = true;
      for (auto [k, e] : v.cast<py::dict>()) {
        const std::string name = key_name(k, where);
        out += (first ? " " : ", ") + toml_key(name) + " = " + value(e, join_key(where, name));
        first = false;
      }
      return out + (first ? "}" : " }");
    }
    if (py::isinstance(v, py::module_::import("os").attr("PathLike"))) {
      return toml_string(py::str(py::module_::import("os").attr("fspath")(v)).cast<std::string>());
    }
    if (PyIndex_Check(v.ptr())) {  // an integer of another type
      PyObject* i = PyNumber_Index(v.ptr());
      if (!i) throw py::error_already_set();
      return std::string(py::str(py::reinterpret_steal<py::object>(i)));
    }
    if (py::hasattr(v, "__float__")) {  // a real number of another type
      return toml_number(py::float_(py::reinterpret_borrow<py::object>(v)));
    }
    throw py::type_error("<dict>: " + where + ": a value of type " +
                         std::string(py::str(py::type::of(v).attr("__name__"))) +
                         " has no form in a job file");
  }
};

}  // namespace

std::string dict_to_toml(const py::dict& d) {
  Writer w;
  w.table(d, "", "");
  return w.text;
}

}  // namespace hs
