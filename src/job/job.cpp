#include "job/job.hpp"

namespace hs {

const char* result_name(ResultKind kind) {
  switch (kind) {
    case ResultKind::kProperties:
      return "properties";
    case ResultKind::kStresses:
      return "stresses";
    case ResultKind::kStrains:
      return "strains";
    case ResultKind::kPolar:
      return "polar";
    case ResultKind::kDisplacements:
      return "displacements";
    case ResultKind::kPlyStrains:
      return "ply-strains";
    case ResultKind::kPlyStresses:
      return "ply-stresses";
    case ResultKind::kFailure:
      return "failure";
    case ResultKind::kReserve:
      return "reserve";
  }
  return "?";
}

const char* criterion_name(Criterion c) {
  switch (c) {
    case Criterion::kMaxStrain:
      return "max-strain";
    case Criterion::kMaxStress:
      return "max-stress";
    case Criterion::kTsaiHill:
      return "tsai-hill";
    case Criterion::kTsaiWu:
      return "tsai-wu";
    case Criterion::kHoffman:
      return "hoffman";
  }
  return "?";
}

std::string to_string(const JobError& e) {
  std::string s = e.file;
  s += ':' + std::to_string(e.line) + ':' + std::to_string(e.column) + ": ";
  if (!e.key.empty()) s += e.key + ": ";
  s += e.message;
  return s;
}

}  // namespace hs
