// The program's fixed limits: every array of the analysis is dimensioned to them.
#pragma once

namespace hs {

constexpr int kMaxMaterials = 3;
constexpr int kMaxPlies = 8;
constexpr int kCaseListLength = 15;  // entries of the output-case list
constexpr int kMaxSteps = 7;         // distance steps from the hole edge
constexpr int kMaxStations = 73;     // angle stations (72 intervals)

}  // namespace hs
