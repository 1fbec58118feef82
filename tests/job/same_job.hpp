// Comparing two jobs as a round trip through the writer must leave them: doubles bit for bit.
#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>

#include "job/job.hpp"

namespace hs {

inline bool same_bits(double a, double b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

inline void expect_same_bits(double a, double b) {
  EXPECT_TRUE(same_bits(a, b)) << a << " vs " << b;
}

// The title, the units and every material (its kind, constants and allowables).
inline void expect_same_head_and_materials(const Job& a, const Job& b) {
  const auto same = expect_same_bits;
  EXPECT_EQ(a.title, b.title);
  EXPECT_EQ(a.stress_unit, b.stress_unit);
  EXPECT_EQ(a.length_unit, b.length_unit);
  ASSERT_EQ(a.materials.count, b.materials.count);
  for (int m = 0; m < a.materials.count; ++m) {
    EXPECT_EQ(a.material_names[m], b.material_names[m]);
    EXPECT_EQ(a.isotropic[m], b.isotropic[m]);
    EXPECT_EQ(a.has_allowables[m], b.has_allowables[m]);
    EXPECT_EQ(a.has_strain_allowables[m], b.has_strain_allowables[m]);
    const ElasticConstants &e = a.materials.elastic[m], &f = b.materials.elastic[m];
    same(e.E1, f.E1), same(e.E2, f.E2), same(e.G12, f.G12), same(e.NU12, f.NU12);
    const Allowables &s = a.materials.allowables[m], &t = b.materials.allowables[m];
    same(s.T1, t.T1), same(s.C1, t.C1), same(s.T2, t.T2), same(s.C2, t.C2), same(s.S12, t.S12);
    const Allowables &u = a.strain_allowables[m], &v = b.strain_allowables[m];
    if (a.has_strain_allowables[m]) {
      same(u.T1, v.T1), same(u.C1, v.C1), same(u.T2, v.T2), same(u.C2, v.C2), same(u.S12, v.S12);
    }
  }
}

}  // namespace hs
