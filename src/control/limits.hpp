// The program's fixed limits: every array of the analysis is dimensioned to them.
#pragma once

namespace hs {

constexpr int kMaxMat = 3;    // materials
constexpr int kMaxPly = 8;    // plies
constexpr int kListLen = 15;  // entries of the output-case list
constexpr int kMaxStep = 7;   // distance steps from the hole edge
constexpr int kMaxAng = 73;   // angle stations (72 intervals)

}  // namespace hs
