#include "hole/transforms.hpp"

#include <cmath>

#include "numeric/constants.hpp"

namespace hs {

Principal principal_stresses(double SX, double SY, double TXY) {
  double T = (SX - SY) * (SX - SY) / 4.0;
  double R = std::sqrt(TXY * TXY + T);
  double DIR = 0.0;
  if (SX - SY != 0.0) DIR = 0.5 * std::atan(2.0 * TXY / (SX - SY));
  return {(SX + SY) / 2.0 + R, (SX + SY) / 2.0 - R, DIR * 180.0 / kPiSingle};
}

Principal principal_strains(double EPX, double EPY, double GAM) {
  double T = (EPX - EPY) * (EPX - EPY) / 4.0;
  double R = std::sqrt(GAM * 0.25 * GAM + T);
  double DIR = 0.0;
  if (EPX - EPY != 0.0) DIR = 0.5 * std::atan(GAM / (EPX - EPY));
  return {(EPX + EPY) / 2.0 + R, (EPX + EPY) / 2.0 - R, DIR * 180.0 / kPiSingle};
}

PolarValues polar_values(double angle, const double sig[3], const double eps[3]) {
  double SX = sig[0], SY = sig[1], TXY = sig[2];
  double EPX = eps[0], EPY = eps[1], GAM = eps[2];
  double TH = angle * kPiSingle / 180.0;
  double CS = std::cos(TH), SN = std::sin(TH);
  PolarValues v;
  v.radial_stress = SX * CS * CS + SY * SN * SN + 2.0 * TXY * SN * CS;
  v.hoop_stress = SX * SN * SN + SY * CS * CS - 2.0 * TXY * SN * CS;
  v.shear_stress = (SY - SX) * SN * CS + TXY * (CS * CS - SN * SN);
  v.radial_strain = EPX * CS * CS + EPY * SN * SN + GAM * SN * CS;
  v.hoop_strain = EPX * SN * SN + EPY * CS * CS - GAM * SN * CS;
  v.shear_strain = 2.0 * (EPY - EPX) * SN * CS + GAM * (CS * CS - SN * SN);
  return v;
}

}  // namespace hs
