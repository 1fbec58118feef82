#include "joint/fastener_flexibility.hpp"

#include <cmath>
#include <numbers>

namespace hs {

namespace {

struct MethodName {
  FlexibilityMethod method;
  const char* name;
};

// Full names first: flexibility_method_name returns the first entry of a method.
constexpr MethodName kNames[] = {
    {FlexibilityMethod::kHuthBoltedMetal, "huth-bolted-metal"},
    {FlexibilityMethod::kHuthRivetedMetal, "huth-riveted-metal"},
    {FlexibilityMethod::kHuthBoltedGraphite, "huth-bolted-graphite"},
    {FlexibilityMethod::kSwift, "swift"},
    {FlexibilityMethod::kTateRosenfeld, "tate-rosenfeld"},
    {FlexibilityMethod::kGrumman, "grumman"},
    {FlexibilityMethod::kBoeing, "boeing"},
    {FlexibilityMethod::kHuthBoltedGraphite, "huth"},
};

// Huth's exponent a and factor b of each joint type.
struct HuthConstants {
  double a, b;
};

HuthConstants huth_constants(FlexibilityMethod method) {
  switch (method) {
    case FlexibilityMethod::kHuthRivetedMetal:
      return {2.0 / 5.0, 2.2};
    case FlexibilityMethod::kHuthBoltedGraphite:
      return {2.0 / 3.0, 4.2};
    default:
      return {2.0 / 3.0, 3.0};
  }
}

// Huth's formula with n shear planes (1 or 2); in double shear t1 is the middle plate.
double huth(HuthConstants k, double n, const FastenedPlates& p, const Fastener& f) {
  double geometry = std::pow((p.t1 + p.t2) / (2.0 * f.diameter), k.a);
  double bearing = 1.0 / (p.t1 * p.e1) + 1.0 / (n * p.t2 * p.e2) + 1.0 / (2.0 * p.t1 * f.modulus) +
                   1.0 / (2.0 * n * p.t2 * f.modulus);
  return geometry * (k.b / n) * bearing;
}

double swift(const FastenedPlates& p, const Fastener& f) {
  return 5.0 / (f.diameter * f.modulus) + 0.8 * (1.0 / (p.t1 * p.e1) + 1.0 / (p.t2 * p.e2));
}

double tate_rosenfeld(const FastenedPlates& p, const Fastener& f) {
  constexpr double pi = std::numbers::pi;
  double t1 = p.t1, t2 = p.t2, d = f.diameter, e3 = f.modulus;
  double bearing = 1.0 / (t1 * e3) + 1.0 / (t2 * e3) + 1.0 / (t1 * p.e1) + 1.0 / (t2 * p.e2);
  double shear = 32.0 * (1.0 + f.poisson) * (t1 + t2) / (9.0 * pi * e3 * d * d);
  double cubic = t1 * t1 * t1 + 5.0 * t1 * t1 * t2 + 5.0 * t1 * t2 * t2 + t2 * t2 * t2;
  double bending = 8.0 * cubic / (5.0 * pi * e3 * d * d * d * d);
  return bearing + shear + bending;
}

double grumman(const FastenedPlates& p, const Fastener& f) {
  double grip = p.t1 + p.t2, d = f.diameter;
  return grip * grip / (f.modulus * d * d * d) + 3.7 * (1.0 / (p.t1 * p.e1) + 1.0 / (p.t2 * p.e2));
}

double boeing(const FastenedPlates& p, const Fastener& f) {
  auto plate = [&f](double t, double e) {
    return std::pow(2.0, std::pow(t / f.diameter, 0.85)) / t * (1.0 / e + 3.0 / (8.0 * f.modulus));
  };
  return plate(p.t1, p.e1) + plate(p.t2, p.e2);
}

double single_shear(FlexibilityMethod method, const FastenedPlates& p, const Fastener& f) {
  switch (method) {
    case FlexibilityMethod::kSwift:
      return swift(p, f);
    case FlexibilityMethod::kTateRosenfeld:
      return tate_rosenfeld(p, f);
    case FlexibilityMethod::kGrumman:
      return grumman(p, f);
    case FlexibilityMethod::kBoeing:
      return boeing(p, f);
    default:
      return huth(huth_constants(method), 1.0, p, f);
  }
}

bool is_huth(FlexibilityMethod method) {
  return method == FlexibilityMethod::kHuthBoltedMetal ||
         method == FlexibilityMethod::kHuthRivetedMetal ||
         method == FlexibilityMethod::kHuthBoltedGraphite;
}

}  // namespace

bool flexibility_method_from_name(std::string_view name, FlexibilityMethod& method) {
  for (const MethodName& m : kNames) {
    if (name == m.name) {
      method = m.method;
      return true;
    }
  }
  return false;
}

const char* flexibility_method_name(FlexibilityMethod method) {
  for (const MethodName& m : kNames) {
    if (m.method == method) return m.name;
  }
  return "";
}

double fastener_flexibility(FlexibilityMethod method, Shear shear, const FastenedPlates& plates,
                            const Fastener& fastener) {
  if (shear == Shear::kSingle) return single_shear(method, plates, fastener);
  if (is_huth(method)) return huth(huth_constants(method), 2.0, plates, fastener);
  // Two single-shear halves in parallel, each with half the middle plate and half the load.
  FastenedPlates half{plates.t1 / 2.0, plates.e1, plates.t2, plates.e2};
  return single_shear(method, half, fastener) / 2.0;
}

}  // namespace hs
