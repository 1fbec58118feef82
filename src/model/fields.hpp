// Values on the sample grid around the hole, indexed [station j][step k] (see grid.hpp), stored
// contiguously with the stations outermost. Each is sized to its grid with resize(), which keeps
// the storage it has when it is large enough, so that repeated analyses allocate nothing.
#pragma once

#include <cstddef>
#include <vector>

namespace hs {

// N values at each station and step: field[j][k][c].
template <int N>
class StationValues {
 public:
  struct Station {
    double* p;
    int steps;
    double* operator[](int k) const { return p + N * k; }
  };
  struct ConstStation {
    const double* p;
    int steps;
    const double* operator[](int k) const { return p + N * k; }
  };

  void resize(int stations, int steps) {
    stations_ = stations > 0 ? stations : 0;
    steps_ = steps > 0 ? steps : 0;
    values_.resize(static_cast<std::size_t>(stations_) * steps_ * N);
  }
  Station operator[](int j) { return {values_.data() + static_cast<std::size_t>(j) * steps_ * N, steps_}; }
  ConstStation operator[](int j) const {
    return {values_.data() + static_cast<std::size_t>(j) * steps_ * N, steps_};
  }
  int stations() const { return stations_; }
  int steps() const { return steps_; }
  // All values, point after point (station j, step k is point j * steps + k), N per point.
  double* data() { return values_.data(); }
  const double* data() const { return values_.data(); }
  std::size_t points() const { return static_cast<std::size_t>(stations_) * steps_; }

 private:
  std::vector<double> values_;
  int stations_ = 0, steps_ = 0;
};

// One value at each station and step: field[j][k].
class GridScalar {
 public:
  void resize(int stations, int steps) {
    stations_ = stations > 0 ? stations : 0;
    steps_ = steps > 0 ? steps : 0;
    values_.resize(static_cast<std::size_t>(stations_) * steps_);
  }
  double* operator[](int j) { return values_.data() + static_cast<std::size_t>(j) * steps_; }
  const double* operator[](int j) const {
    return values_.data() + static_cast<std::size_t>(j) * steps_;
  }
  int stations() const { return stations_; }
  int steps() const { return steps_; }
  // All values, point after point (station j, step k is point j * steps + k).
  double* data() { return values_.data(); }
  const double* data() const { return values_.data(); }
  std::size_t points() const { return static_cast<std::size_t>(stations_) * steps_; }

 private:
  std::vector<double> values_;
  int stations_ = 0, steps_ = 0;
};

// Three components at each station and step: field[j][k][c].
using GridVector = StationValues<3>;

// The laminate field in the laminate axes: thickness-averaged stresses (sigma-x, sigma-y,
// tau-xy), strains (eps-x, eps-y, gamma-xy, engineering shear) and the displacements u, v that
// the hole adds to the uniform field (NaN where they were not worked out).
struct LaminateField {
  GridVector stress;
  GridVector strain;
  GridScalar u;
  GridScalar v;

  void resize(int stations, int steps) {
    stress.resize(stations, steps);
    strain.resize(stations, steps);
    u.resize(stations, steps);
    v.resize(stations, steps);
  }
};

// Three components of each ply at each station and step: field[j][k][p][c].
class PlyValues {
 public:
  struct Point {
    double* p;
    double* operator[](int ply) const { return p + 3 * ply; }
  };
  struct ConstPoint {
    const double* p;
    const double* operator[](int ply) const { return p + 3 * ply; }
  };
  struct Station {
    double* p;
    int plies;
    Point operator[](int k) const { return {p + static_cast<std::size_t>(k) * plies * 3}; }
  };
  struct ConstStation {
    const double* p;
    int plies;
    ConstPoint operator[](int k) const { return {p + static_cast<std::size_t>(k) * plies * 3}; }
  };

  void resize(int stations, int steps, int plies) {
    stations_ = stations > 0 ? stations : 0;
    steps_ = steps > 0 ? steps : 0;
    plies_ = plies > 0 ? plies : 0;
    values_.resize(static_cast<std::size_t>(stations_) * steps_ * plies_ * 3);
  }
  Station operator[](int j) {
    return {values_.data() + static_cast<std::size_t>(j) * steps_ * plies_ * 3, plies_};
  }
  ConstStation operator[](int j) const {
    return {values_.data() + static_cast<std::size_t>(j) * steps_ * plies_ * 3, plies_};
  }
  int stations() const { return stations_; }
  int steps() const { return steps_; }
  int plies() const { return plies_; }
  // All values, point after point (station j, step k is point j * steps + k), 3 per ply.
  double* data() { return values_.data(); }
  const double* data() const { return values_.data(); }

 private:
  std::vector<double> values_;
  int stations_ = 0, steps_ = 0, plies_ = 0;
};

// Ply values in each ply's material axes (1 along the fibres, 2 across, 12 shear), per station,
// step and ply: strains (engineering shear) and stresses.
struct PlyField {
  PlyValues strain;
  PlyValues stress;

  void resize(int stations, int steps, int plies) {
    strain.resize(stations, steps, plies);
    stress.resize(stations, steps, plies);
  }
};

// The working storage an analysis needs on a grid of this many stations and steps for a stack of
// this many plies, in bytes: the laminate field, one piece of it, what the hole solutions keep
// per station, and the ply values. It grows linearly with each count (ply values with their
// product).
inline double field_storage_bytes(double stations, double steps, double plies) {
  const double per_point = 8 + 5 + 8 + 10 + 6 * plies;  // doubles
  return stations * steps * per_point * sizeof(double);
}

}  // namespace hs
