#pragma once
// The keyboard's lighting tables: the key matrix, the sweep order, the rings, the snake path, the
// pulse curve, and the start, pick, rain and show tables (see keyboard_tables.cpp for how the
// latter are generated from the matrix).

#include <array>
#include <cstdint>

namespace orvel::lighting::keyboard {

inline constexpr int kPositions = 170;
inline constexpr int kColumns = 23;
inline constexpr int kRows = 6;
inline constexpr uint8_t kNone = 255;     // no position (matrix, rings, grids, show script)
inline constexpr uint8_t kNoKey = 170;    // no position (selection list, rain rows)

// Position at column c, row r.
extern const std::array<std::array<uint8_t, kRows>, kColumns> kMatrix;
extern const std::array<uint8_t, 68> kSweep;
extern const std::array<std::array<uint8_t, 12>, 12> kRings;
extern const std::array<uint8_t, kPositions> kSnake;
extern const std::array<uint8_t, 192> kPulse;

extern const std::array<std::array<uint8_t, kRows + 1>, kColumns> kStartGrid;
extern const std::array<uint8_t, kColumns * kRows> kStartPhases;
extern const std::array<uint8_t, 104> kPickTable;
extern const std::array<uint8_t, 111> kSelection;
extern const std::array<std::array<uint8_t, 12>, 52> kRain;
extern const std::array<std::array<uint8_t, 6>, 20> kShowGroups;
extern const std::array<std::array<uint8_t, 2>, 16> kShowPairs;

// Matrix cell of a position: column << 8 | row, or -1 when the position is not in the matrix.
int CellOfPosition(int position);
// The position at column c, row r; kNone outside the matrix.
uint8_t PositionAt(int c, int r);
// p when p is one of the sweep order's positions, else 170.
int PositionFilter(int p);
bool InSweep(int p);

} // namespace orvel::lighting::keyboard
