// The compiled part of the Python package holestress (holestress._holestress): a job (a job file
// or a dict of the same keys) analysed into the structure of the JSON results with NumPy arrays,
// and the reserve factors of many load cases at once, worked through on several threads with the
// interpreter lock released.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
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

#include "analysis/superposition.hpp"
#include "analysis/worker_pool.hpp"
#include "io/output_file.hpp"
#include "job/job_reader.hpp"
#include "job/toml_limits.hpp"
#include "python/convert.hpp"
#include "runner/json_results.hpp"
#include "runner/load_case_file.hpp"
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

// A job file's text read as the command line reads it; source names it in the messages. A mistake
// raises ValueError with every "FILE:LINE:COLUMN: KEY: MESSAGE" line of the job reader.
std::unique_ptr<Job> read_job_text(const std::string& text, const std::string& source) {
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
      if (code == EFBIG)
        value_error("holestress: cannot read " + source + ": larger than the " +
                    std::to_string(kMaxJobFileBytes / (1024 * 1024)) + " MiB of a job file");
      // FileNotFoundError, IsADirectoryError, PermissionError, ... as open() raises them.
      errno = code;
      PyErr_SetFromErrnoWithFilenameObject(PyExc_OSError, py::str(source).ptr());
      throw py::error_already_set();
    }
  }
  return read_job_text(text, source);
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

// Rows handed to a thread at a time: about a million criterion evaluations at ply points (a
// millisecond or two), so that Ctrl-C stops the threads soon whatever the size of a row's work.
constexpr std::size_t kBlockWork = 1000000;
// How often the calling thread looks for a signal (Ctrl-C) while the threads work.
constexpr std::chrono::milliseconds kSignalInterval(20);

py::dict reserve_factors_of_job(const Job& job, py::handle loads_arg, int threads) {
  if (threads < 0 || threads > kMaxThreads) {
    throw py::value_error("threads: 0 (every core) or a number from 1 to " +
                          std::to_string(kMaxThreads) + ", not " + std::to_string(threads));
  }
  if (std::string problem = batch_job_problem(job); !problem.empty()) value_error(problem);

  using Array = py::array_t<double, py::array::c_style | py::array::forcecast>;
  const bool strip = job.plate.strip();
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
    } else if (strip && i % 2 == 1 && in[i] != 0.0 && job.plate.edge_distance > 0.0) {
      refused = "must be 0 with an edge distance (the free end carries no stress)";
    }
    if (refused) {
      std::ostringstream m;
      m << "loads[" << i / width << ", " << i % width << "] (" << names[i % width] << ") "
        << refused << ": " << in[i];
      throw py::value_error(m.str());
    }
  }

  // The results, one array each, filled with the interpreter lock released: of length N, or
  // of shape (N, D) when the job lists D characteristic distances.
  const int ncrit = static_cast<int>(std::min<size_t>(job.criteria.size(), kMaxCriteria));
  const int nd = static_cast<int>(job.distances.size());
  std::vector<py::ssize_t> shape = {n};
  if (job.distance_list) shape.push_back(nd);
  std::vector<py::array_t<double>> factor;
  for (int c = 0; c < ncrit; ++c) factor.emplace_back(shape);
  py::array_t<double> smallest(shape), margin(shape), ply_angle(shape), angle(shape),
      distance(shape);
  py::array_t<std::int64_t> criterion(shape), ply(shape), component(shape);
  double* factor_out[kMaxCriteria] = {};
  for (int c = 0; c < ncrit; ++c) factor_out[c] = factor[c].mutable_data();
  double *smallest_out = smallest.mutable_data(), *margin_out = margin.mutable_data();
  double *ply_angle_out = ply_angle.mutable_data(), *angle_out = angle.mutable_data();
  double* distance_out = distance.mutable_data();
  std::int64_t *criterion_out = criterion.mutable_data(), *ply_out = ply.mutable_data();
  std::int64_t* component_out = component.mutable_data();
  bool whole = true;
  {
    py::gil_scoped_release unlocked;
    const auto batch = std::make_unique<ReserveSuperposition>(job.materials, job.plies, job.grid,
                                                              job.plate, failure_assessment(job));
    // The threads work; this one watches for Ctrl-C. A thread that cannot be started raises
    // RuntimeError with the system's reason.
    const auto pool = std::make_unique<WorkerPool>(threads, WorkerPool::Caller::kWatches);
    const std::size_t work_per_row = std::max<std::size_t>(
        1, static_cast<std::size_t>(batch->distances()) *
               static_cast<std::size_t>(station_count(job.grid)) * job.plies.count * ncrit);
    const std::size_t block_rows = std::clamp<std::size_t>(kBlockWork / work_per_row, 64, 4096);
    // Each thread's working storage and block of rows.
    struct Worker {
      ReserveSuperposition::ScratchPtr scratch;
      std::vector<Loads> loads;
      std::vector<LoadCaseReserve> results;  // per row, one per characteristic distance
    };
    std::vector<Worker> workers(pool->size());
    for (Worker& w : workers) {
      w.scratch = batch->scratch();
      w.loads.resize(block_rows);
      w.results.resize(block_rows * nd);
    }
    const std::size_t rows = static_cast<std::size_t>(n);
    const std::size_t blocks = (rows + block_rows - 1) / block_rows;
    whole = pool->share_blocks(
        blocks,
        [&](int t, std::size_t b) {
          Worker& w = workers[t];
          const std::size_t from = b * block_rows, count = std::min(block_rows, rows - from);
          for (std::size_t k = 0; k < count; ++k) {
            const double* l = in + width * (from + k);
            w.loads[k] = strip ? Loads{0.0, 0.0, 0.0, 0.0, l[0], 0.0, l[1]}
                               : Loads{l[0], l[1], l[2], l[3], l[4], l[5], 0.0};
          }
          batch->reserve(w.loads.data(), count, *w.scratch, w.results.data());
          const int per_row = job.distance_list ? nd : 1;
          for (std::size_t k = 0; k < count; ++k) {
            const Loads& loads = w.loads[k];
            for (int d = 0; d < per_row; ++d) {
              const LoadCaseReserve& r = w.results[k * nd + d];
              const std::size_t i = (from + k) * per_row + d;
              for (int c = 0; c < ncrit; ++c) factor_out[c][i] = r.criterion[c].factor;
              const bool any = r.smallest >= 0;
              const CriterionReserve& at = r.criterion[any ? r.smallest : 0];
              // No smallest: none is finite (inf), or one is undefined (NaN: the field is not).
              const double none = r.undefined ? kNaN : kInf;
              smallest_out[i] = any ? at.factor : none;
              criterion_out[i] = r.smallest;
              margin_out[i] = any ? r.margin : none;
              ply_out[i] = any ? at.ply + 1 : 0;
              ply_angle_out[i] = any ? job.plies.angle[at.ply] : kNaN;
              angle_out[i] = any ? batch->station_angle(at.station) : kNaN;
              distance_out[i] = any ? batch->station_distance(d, at.station, loads) : kNaN;
              component_out[i] = any ? at.component : -1;
            }
          }
        },
        [] {
          // A signal's Python handler runs here, in the calling thread; KeyboardInterrupt (or
          // whatever it raises) stays set and is raised once the threads have stopped.
          py::gil_scoped_acquire locked;
          return PyErr_CheckSignals() == 0;
        },
        kSignalInterval);
  }
  if (!whole) throw py::error_already_set();

  py::dict out;
  for (int c = 0; c < ncrit; ++c) out[criterion_name(job.criteria[c])] = factor[c];
  out["smallest"] = smallest;
  out["criterion"] = criterion;
  out["margin_of_safety"] = margin;
  out["ply"] = ply;
  out["ply_angle"] = ply_angle;
  out["angle"] = angle;
  if (!plain_reserve(job)) out["distance"] = distance;
  out["component"] = component;
  return out;
}

py::dict reserve_factors(py::handle job_arg, py::handle loads_arg, int threads) {
  std::unique_ptr<Job> job = load_job(job_arg);
  return reserve_factors_of_job(*job, loads_arg, threads);
}

}  // namespace

}  // namespace hs

PYBIND11_MODULE(_holestress, m) {
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
        "edge (failure.distance, or the curve of distance_tension and distance_compression, by\n"
        "failure.method), for each of the job's criteria; the same numbers\n"
        "as a load-case file run by `holestress run`. The job's own load cases are not used.\n"
        "\n"
        "loads: array of shape (N, 6), columns px, py, pxy (far-field stresses in the load axes,\n"
        "stress unit), off_axis (degrees from the laminate x axis to the load x axis), bearing\n"
        "(bolt bearing stress, stress unit), bolt_angle (degrees); every value finite. In the\n"
        "strip model (hole.model = 'strip') shape (N, 2), columns bearing (0 or more, towards\n"
        "+x) and bypass (the gross stress carried past the hole; 0 with an edge distance).\n"
        "threads: threads to share the rows (0: one per core). The interpreter lock is released\n"
        "while they work; Ctrl-C stops them within a block of rows and raises KeyboardInterrupt.\n"
        "Off-axis and bolt angles of a turn or more are reduced modulo 360 exactly.\n"
        "\n"
        "Returns arrays of length N, in this order: one per criterion of the job, named as in\n"
        "the job ('max-strain', 'max-stress', 'tsai-hill', 'tsai-wu', 'hoffman'; inf where no\n"
        "factor is finite, NaN where it is undefined: the field is not finite); 'smallest' (the\n"
        "smallest factor, inf where none, NaN where some factor is undefined); 'criterion'\n"
        "(int, index into the job's criteria of the smallest, -1 where none);\n"
        "'margin_of_safety' (smallest / factor_of_safety - 1, as 'smallest' where none); 'ply'\n"
        "(int, from\n"
        "1 at the bottom, 0 where none); 'ply_angle' (degrees, NaN where none); 'angle' (of the\n"
        "station round the hole, degrees, NaN where none); 'distance' (of that station from\n"
        "the hole edge, length unit, NaN where none; only when the reserve factors are not\n"
        "those of one point-stress distance); 'component'\n"
        "(int: 0 fibre, 1 transverse, 2 shear, -1 where none). When failure.distance (or\n"
        "distance_tension and distance_compression) is a list of D distances, every array has\n"
        "shape (N, D), column d for distance d.\n"
        "Raises ValueError for a job with mistakes or without criteria and allowables, a\n"
        "carpet job, loads of another shape, or a load that is not finite (naming its row and\n"
        "column).");

  m.def(
      "reserve_factors_of_text",
      [](const std::string& text, const std::string& source, py::handle loads, int threads) {
        std::unique_ptr<hs::Job> job = hs::read_job_text(text, source);
        return hs::reserve_factors_of_job(*job, loads, threads);
      },
      py::arg("text"), py::arg("source"), py::arg("loads"), py::arg("threads") = 0,
      "reserve_factors_of_text(text: str, source: str, loads: numpy.ndarray, threads: int = 0)\n"
      "    -> dict[str, numpy.ndarray]\n"
      "\n"
      "reserve_factors for a job given as the text of its job file; source names it in the\n"
      "messages (as FILE). For holestress.dask, which sends the job to its workers so.");

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
