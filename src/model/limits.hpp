// The dialogue's fixed limits. The analysis itself takes any number of materials, plies, angle
// stations and distance steps; the dialogue keeps these, and its tables and state are sized to them.
#pragma once

namespace hs {

constexpr int kMaxMaterials = 3;
constexpr int kMaxPlies = 8;
constexpr int kCaseListLength = 15;  // entries of the output-case list
constexpr int kMaxSteps = 7;         // distance steps from the hole edge
constexpr int kMaxStations = 73;     // angle stations (72 intervals)

}  // namespace hs
