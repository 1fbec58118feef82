// The Python module holestress: a job (a job file or a dict of the same keys) analysed into the
// structure of the JSON results with NumPy arrays, and the reserve factors of many load cases at
// once, worked through on several threads with the interpreter lock released.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <exception>
#include <fstream>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "io/output_file.hpp"
#include "job/job_reader.hpp"
#include "job/toml_limits.hpp"
#include "python/convert.hpp"
#include "analysis/superposition.hpp"
#include "analysis/worker_pool.hpp"
#include "runner/json_results.hpp"
#include "runner/results_common.hpp"

namespace py = pybind11;

namespace hs {

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
const char* const kLoadColumns[6] = {"px", "py", "pxy", "off_axis", "bearing", "bolt_angle"};
// In the strip model a load case is a bearing and a bypass stress.
const char* const kStripLoadColumns[2] = {"bearing", "bypass"};

std::string type_name(py::handle h) {
  return py::str(py::type::of(h).attr("__name__"));
}

// Raises ValueError with a message that may quote bytes of a file that are not UTF-8 (escaped).
[[noreturn]] void value_error(const std::string& message) {
  PyObject* text = PyUnicode_DecodeUTF8(message.data(), static_cast<Py_ssize_t>(message.size()),
                                        "backslashreplace");
  if (!text) throw py::error_already_set();
  PyErr_SetObject(PyExc_ValueError, text);
  Py_DECREF(text);
  throw py::error_already_set();
}

// The job of a path or a dict, read as the command line reads a job file. A mistake raises
// ValueError with the command line's message: "holestress: cannot read PATH", or every
// "FILE:LINE:COLUMN: KEY: MESSAGE" line of the job reader (FILE "<dict>" for a dict).
std::unique_ptr<Job> load_job(py::handle arg) {
  std::string text, source;
  if (py::isinstance<py::dict>(arg)) {
    text = dict_to_toml(arg.cast<py::dict>());
    source = "<dict>";
  } else {
    py::object os = py::module_::import("os");
    if (!py::isinstance<py::str>(arg) && !py::isinstance<py::bytes>(arg) &&
        !py::isinstance(arg, os.attr("PathLike"))) {
      throw py::type_error("job: a path (str or os.PathLike) or a dict, not " + type_name(arg));
    }
    // The path's bytes as the system takes them; in messages, undecodable bytes escaped.
    const py::bytes raw = os.attr("fsencode")(arg);
    const std::string path = raw;
    source = py::str(raw.attr("decode")("utf-8", "backslashreplace"));
    std::string error;
    int code = 0;
    if (!read_file(path, kMaxJobFileBytes, text, error, &code)) {
      if (code == EFBIG) value_error("holestress: cannot read " + source + ": larger than the " + std::to_string(kMaxJobFileBytes / (1024 * 1024)) + " MiB of a job file");
      // FileNotFoundError, IsADirectoryError, PermissionError, ... as open() raises them.
      errno = code;
      PyErr_SetFromErrnoWithFilenameObject(PyExc_OSError, py::str(source).ptr());
      throw py::error_already_set();
    }
  }
  auto job = std::make_unique<Job>();
  std::vector<JobError> errors;
  if (!read_job(text, source, *job, errors)) {
    std::string message;
    for (const JobError& e : errors) {
      if (!message.empty()) message += '\n';
      message += to_string(e);
    }
    value_error(message);
  }
  return job;
}

py::object analyse_job(py::handle job_arg) {
  std::unique_ptr<Job> job = load_job(job_arg);
  if (!job->load_cases_file.empty()) {
    throw py::value_error(job->path +
                          ": the load cases are in a file (load_cases_file); for the reserve "
                          "factors of many load cases give them to reserve_factors as an array");
  }
  Json doc;
  {
    py::gil_scoped_release unlocked;
    doc = results_json(*job);
  }
  return to_python(doc);
}

// The job must have criteria and allowables for them, and one laminate.
void check_reserve_job(const Job& job) {
  if (job.criteria.empty()) {
    throw py::value_error(job.path +
                          ": failure.criteria: the reserve factors need a [failure] "
                          "table with criteria");
  }
  if (job.carpet) {
    throw py::value_error(job.path +
                          ": carpet: the reserve factors of load cases are for the "
                          "job's own laminate, not a carpet plot");
  }
  for (Criterion c : job.criteria) {
    for (int p = 0; p < job.plies.count; ++p) {
      const int m = job.plies.material[p];
      const bool ok =
          job.has_allowables[m] || (c == Criterion::kMaxStrain && job.has_strain_allowables[m]);
      if (!ok) {
        throw py::value_error(job.path + ": materials." + job.material_names[m] +
                              ": no allowables (T1, C1, T2, C2, S12), needed for the " +
                              criterion_name(c) + " reserve factors");
      }
    }
  }
}

py::dict reserve_factors(py::handle job_arg, py::handle loads_arg, int threads) {
  if (threads < 0 || threads > kMaxThreads) {
    throw py::value_error("threads: 0 (every core) or a number from 1 to " +
                          std::to_string(kMaxThreads) + ", not " + std::to_string(threads));
  }
  std::unique_ptr<Job> job = load_job(job_arg);
  check_reserve_job(*job);

  using Array = py::array_t<double, py::array::c_style | py::array::forcecast>;
  const bool strip = job->plate.strip();
  const int width = strip ? 2 : 6;
  const std::string shape_wanted = strip ? "(N, 2)" : "(N, 6)";
  const std::string wanted = shape_wanted + " is needed (" +
                             (strip ? "bearing, bypass: the strip model's loads"
                                    : "px, py, pxy, off_axis, bearing, bolt_angle") +
                             ")";
  Array loads = Array::ensure(loads_arg);
  if (!loads) {
    throw py::value_error("loads: an array of numbers of shape " + shape_wanted +
                          " is needed, not " + type_name(loads_arg));
  }
  if (loads.ndim() != 2 || loads.shape(1) != width) {
    std::string shape = "(";
    for (py::ssize_t d = 0; d < loads.ndim(); ++d) {
      shape += (d ? ", " : "") + std::to_string(loads.shape(d));
    }
    shape += loads.ndim() == 1 ? ",)" : ")";
    throw py::value_error("loads: shape " + wanted + ", not " + shape);
  }
  const py::ssize_t n = loads.shape(0);
  const double* in = loads.data();
  const char* const* names = strip ? kStripLoadColumns : kLoadColumns;
  for (py::ssize_t i = 0; i < n * width; ++i) {
    const char* refused = nullptr;
    if (!std::isfinite(in[i])) {
      refused = "is not a finite number";
    } else if (strip && i % 2 == 0 && in[i] < 0.0) {
      refused = "must be 0 or greater in the strip model (the bolt bears towards +x)";
    } else if (strip && i % 2 == 1 && in[i] != 0.0 && job->plate.edge_distance > 0.0) {
      refused = "must be 0 with an edge distance (the free end carries no stress)";
    }
    if (refused) {
      std::ostringstream m;
      m << "loads[" << i / width << ", " << i % width << "] (" << names[i % width] << ") "
        << refused << ": " << in[i];
      throw py::value_error(m.str());
    }
  }

  // The results, one array each, filled with the interpreter lock released.
  const int ncrit = static_cast<int>(std::min<size_t>(job->criteria.size(), kMaxCriteria));
  std::vector<py::array_t<double>> factor;
  for (int c = 0; c < ncrit; ++c) factor.emplace_back(n);
  py::array_t<double> smallest(n), margin(n), ply_angle(n), angle(n);
  py::array_t<std::int64_t> criterion(n), ply(n), component(n);
  double* factor_out[kMaxCriteria] = {};
  for (int c = 0; c < ncrit; ++c) factor_out[c] = factor[c].mutable_data();
  double *smallest_out = smallest.mutable_data(), *margin_out = margin.mutable_data();
  double *ply_angle_out = ply_angle.mutable_data(), *angle_out = angle.mutable_data();
  std::int64_t *criterion_out = criterion.mutable_data(), *ply_out = ply.mutable_data();
  std::int64_t* component_out = component.mutable_data();
  {
    py::gil_scoped_release unlocked;
    const ReserveSuperposition batch(job->materials, job->plies, job->grid, job->plate,
                                     failure_assessment(*job));
    WorkerPool pool(threads);
    pool.share(static_cast<std::size_t>(n), [&](int, std::size_t from, std::size_t to) {
      ReserveSuperposition::ScratchPtr scratch = batch.scratch();
      LoadCaseReserve r;
      for (std::size_t i = from; i < to; ++i) {
        const double* l = in + width * i;
        batch.reserve(strip ? Loads{0.0, 0.0, 0.0, 0.0, l[0], 0.0, l[1]}
                            : Loads{l[0], l[1], l[2], l[3], l[4], l[5], 0.0},
                      *scratch, r);
        for (int c = 0; c < ncrit; ++c) factor_out[c][i] = r.criterion[c].factor;
        const bool any = r.smallest >= 0;
        const CriterionReserve& at = r.criterion[any ? r.smallest : 0];
        smallest_out[i] = any ? at.factor : kInf;
        criterion_out[i] = r.smallest;
        margin_out[i] = any ? r.margin : kInf;
        ply_out[i] = any ? at.ply + 1 : 0;
        ply_angle_out[i] = any ? job->plies.angle[at.ply] : kNaN;
        angle_out[i] = any ? station_angle(batch.grid(), at.station) : kNaN;
        component_out[i] = any ? at.component : -1;
      }
    });
  }

  py::dict out;
  for (int c = 0; c < ncrit; ++c) out[criterion_name(job->criteria[c])] = factor[c];
  out["smallest"] = smallest;
  out["criterion"] = criterion;
  out["margin_of_safety"] = margin;
  out["ply"] = ply;
  out["ply_angle"] = ply_angle;
  out["angle"] = angle;
  out["component"] = component;
  return out;
}

}  // namespace

}  // namespace hs

PYBIND11_MODULE(holestress, m) {
  // The docstrings start with the signatures in Python's terms rather than pybind11's.
  py::options options;
  options.disable_function_signatures();
  m.doc() =
      "Stress analysis of a composite laminate with a circular hole, open or loaded by a bolt.\n"
      "\n"
      "A job is a job file (its path) or a dict of the same keys as the TOML job file\n"
      "(docs/job-format.md). There is no unit conversion: stresses and moduli are in the job's\n"
      "stress unit ([units] stress, psi by default), lengths in its length unit ([units] length,\n"
      "in by default), angles in degrees counter-clockwise from the laminate x axis.\n"
      "\n"
      "A mistake in a job raises ValueError with the message of the command line\n"
      "`holestress run`: every mistake as FILE:LINE:COLUMN: KEY: MESSAGE, one per line (FILE is\n"
      "<dict> for a dict; its line and column are those of dict_to_toml(job)).";
  m.attr("__version__") = hs::program_version();

  m.def("analyse", &hs::analyse_job, py::arg("job"),
        "analyse(job: str | os.PathLike | dict) -> dict\n"
        "\n"
        "Runs the job and returns its results with the structure of `holestress run JOB\n"
        "--format json`: program, version, title, units, inputs, then laminate and load_cases\n"
        "(or layups, for a carpet plot). Every list of numbers is a float64 NumPy array (NaN\n"
        "where the JSON has null), the compliance a 3 x 3 array. Field values are given at the\n"
        "stations of the grid, distance steps outermost: stations['distance'] (length unit,\n"
        "from the hole edge) and stations['angle'] (degrees). Stresses in the job's stress unit,\n"
        "strains without unit, displacements and distances in its length unit, compliances in\n"
        "1/stress unit, angles in degrees.\n"
        "\n"
        "job: the path of a job file (str or os.PathLike) or a dict of its keys. A job with a\n"
        "load_cases_file is refused: give those loads to reserve_factors.\n"
        "Raises ValueError for a job that cannot be read or has mistakes.");

  m.def("reserve_factors", &hs::reserve_factors, py::arg("job"), py::arg("loads"),
        py::arg("threads") = 0,
        "reserve_factors(job: str | os.PathLike | dict, loads: numpy.ndarray, threads: int = 0)\n"
        "    -> dict[str, numpy.ndarray]\n"
        "\n"
        "The reserve factors of many load cases on the job's laminate, hole and grid: the load\n"
        "factor at which the first ply fails at the job's characteristic distance from the hole\n"
        "edge (failure.distance, length unit), for each of the job's criteria; the same numbers\n"
        "as a load-case file run by `holestress run`. The job's own load cases are not used.\n"
        "\n"
        "loads: array of shape (N, 6), columns px, py, pxy (far-field stresses in the load axes,\n"
        "stress unit), off_axis (degrees from the laminate x axis to the load x axis), bearing\n"
        "(bolt bearing stress, stress unit), bolt_angle (degrees); every value finite. In the\n"
        "strip model (hole.model = 'strip') shape (N, 2), columns bearing (0 or more, towards\n"
        "+x) and bypass (the gross stress carried past the hole; 0 with an edge distance).\n"
        "threads: threads to share the rows (0: one per core). The interpreter lock is released\n"
        "while they work.\n"
        "\n"
        "Returns arrays of length N, in this order: one per criterion of the job, named as in\n"
        "the job ('max-strain', 'max-stress', 'tsai-hill', 'tsai-wu', 'hoffman'; inf where no\n"
        "factor is finite); 'smallest' (the smallest factor, inf where none); 'criterion'\n"
        "(int, index into the job's criteria of the smallest, -1 where none);\n"
        "'margin_of_safety' (smallest / factor_of_safety - 1, inf where none); 'ply' (int, from\n"
        "1 at the bottom, 0 where none); 'ply_angle' (degrees, NaN where none); 'angle' (of the\n"
        "station round the hole, degrees, NaN where none); 'component' (int: 0 fibre,\n"
        "1 transverse, 2 shear, -1 where none).\n"
        "Raises ValueError for a job with mistakes or without criteria and allowables, a\n"
        "carpet job, loads of another shape, or a load that is not finite (naming its row and\n"
        "column).");

  m.def(
      "dict_to_toml", [](const py::dict& d) { return hs::dict_to_toml(d); }, py::arg("job"),
      "dict_to_toml(job: dict) -> str\n"
      "\n"
      "The job file text that analyse and reserve_factors read for a dict: in each table the\n"
      "plain keys first, then the tables and arrays of tables (lists of dicts), in dict order;\n"
      "numbers as the shortest text that reads back to the same value. The line and column of\n"
      "a mistake reported for a dict point into this text.\n"
      "Raises TypeError for a key that is not a string or a value with no TOML form (None).");
}
