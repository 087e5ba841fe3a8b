#include "lighting/keyboard_tables.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace orvel::lighting::keyboard {

namespace {
constexpr uint8_t N = kNone;
} // namespace

const std::array<std::array<uint8_t, kRows>, kColumns> kMatrix = {{
    {N, 120, 121, 122, 123, 124}, {N, 21, 42, 63, 84, 105},     {0, 22, 43, 64, 85, 106},
    {1, 23, 44, 65, 86, 126},     {2, 24, 45, 66, 87, 20},      {3, 25, 46, 67, 88, 107},
    {4, 26, 47, 68, 89, 152},     {18, 27, 48, 69, 127, 128},   {5, 28, 49, 70, 90, 108},
    {6, 29, 50, 71, 91, 129},     {7, 30, 51, 72, 92, 109},     {8, 31, 52, 73, 93, 110},
    {9, 32, 53, 74, 94, 112},     {10, 33, 54, 62, 95, 113},    {11, 34, 55, 75, 96, 114},
    {12, 101, 56, 37, 58, 111},   {13, 35, 103, 82, 80, 125},   {14, 36, 57, 83, 19, 130},
    {15, 79, 100, 17, 81, 115},   {N, 38, 59, 76, 97, 116},     {N, 39, 60, 77, 98, 104},
    {N, 40, 61, 78, 99, 117},     {N, 41, 16, 119, 118, 131},
}};

const std::array<uint8_t, 68> kSweep = {
    34, 33,  32,  31,  30,  29,  28, 27, 26, 25, 24, 23, 22, 0,  42, 63, 84,  105, 106, 126, 107, 108, 110,
    112, 113, 114, 115, 58, 37,  56, 55, 54, 53, 52, 51, 50, 49, 48, 47, 46,  45,  44,  43,  64,  85,  86,
    87, 88,  89,  127, 90, 91,  92, 93, 94, 95, 96, 75, 74, 73, 72, 71, 70,  69,  68,  67,  66,  65};

const std::array<std::array<uint8_t, 12>, 12> kRings = {{
    {69, N, N, N, N, N, N, N, N, N, N, N},
    {49, 70, 90, 89, 68, 48, 127, N, N, N, N, N},
    {27, 29, 50, 71, 91, 108, 88, 67, 47, 28, 106, N},
    {26, 30, 51, 72, 92, 87, 66, 46, 126, N, N, N},
    {25, 45, 65, 86, 31, 52, 73, 93, 110, N, N, N},
    {24, 44, 64, 85, 107, 32, 53, 74, 94, 112, N, N},
    {23, 43, 113, 33, 54, N, N, N, N, N, N, N},
    {22, 42, 63, 84, 114, 34, 55, 75, 95, 96, N, N},
    {0, 105, 115, 0, 56, 37, 58, N, N, N, N, N},
    {N, N, N, N, N, N, N, N, N, N, N, N},
    {N, N, N, N, N, N, N, N, N, N, N, N},
    {N, N, N, N, N, N, N, N, N, N, N, N},
}};

namespace {

std::array<uint8_t, kPositions> MakeSnake()
{
    std::array<uint8_t, kPositions> s;
    s.fill(N);
    std::vector<int> path;
    auto run = [&](int from, int to) {
        for (int p = from; from <= to ? p <= to : p >= to; p += from <= to ? 1 : -1) path.push_back(p);
    };
    run(0, 15);
    run(17, 20);
    run(41, 21);
    run(42, 61);
    path.push_back(119);
    run(78, 75);
    path.push_back(N);
    run(74, 63);
    path.push_back(84);
    path.push_back(N);
    run(85, 99);
    run(118, 105);
    for (std::size_t i = 0; i < path.size() && i < s.size(); ++i) s[i] = uint8_t(path[i]);
    return s;
}

std::array<uint8_t, 192> MakePulse()
{
    static constexpr uint8_t kRise[] = {0,   4,   8,   14,  22,  33,  45,  61,  77,  84,  100, 110, 120,
                                        130, 140, 150, 158, 166, 175, 182, 191, 204, 220, 234, 255};
    static constexpr uint8_t kFall[] = {248, 241, 234, 227, 220, 213, 206, 200, 194, 188, 182, 176, 170,
                                        164, 158, 152, 146, 140, 134, 129, 124, 119, 114, 109, 104, 99,
                                        94,  89,  85,  81,  77,  73,  69,  65,  61,  57,  53,  49,  45,
                                        42,  39,  36,  33,  30,  27,  24,  22,  20,  18,  16,  14,  12,
                                        10,  9,   8,   7,   6,   5,   4,   3,   2,   2,   1};
    static_assert(sizeof(kRise) == 25 && sizeof(kFall) == 63);
    std::array<uint8_t, 192> p{};
    std::copy(std::begin(kRise), std::end(kRise), p.begin());
    std::copy(std::begin(kFall), std::end(kFall), p.begin() + 25);
    return p;
}

// Start grid: each column of the key matrix below one empty row; columns 0 and 2 as the keyboard
// has always started them (column 0 holds only position 105 at the bottom), and the positions
// those two columns hold appear nowhere else.
std::array<std::array<uint8_t, kRows + 1>, kColumns> MakeStartGrid()
{
    std::array<std::array<uint8_t, kRows + 1>, kColumns> g{};
    for (int c = 0; c < kColumns; ++c) {
        g[c][0] = N;
        for (int r = 0; r < kRows; ++r) g[c][r + 1] = kMatrix[c][r];
    }
    const std::array<uint8_t, kRows + 1> column0 = {N, N, N, N, N, N, 105};
    const std::array<uint8_t, kRows + 1> column2 = {N, 0, 22, 43, 64, 85, 107};
    auto given = [&](uint8_t p) {
        return p != N && (std::find(column0.begin(), column0.end(), p) != column0.end() ||
                          std::find(column2.begin(), column2.end(), p) != column2.end());
    };
    for (auto& column : g) {
        for (auto& p : column) {
            if (given(p)) p = N;
        }
    }
    g[0] = column0;
    g[2] = column2;
    return g;
}

// Start phases: column c begins at 72 + 24 c (mod 192) and each row lies 20 lower, wrapping below
// 0 by 190 (column 0: 72, 52, 32, 12, 182, 162).
std::array<uint8_t, kColumns * kRows> MakeStartPhases()
{
    std::array<uint8_t, kColumns * kRows> p{};
    for (int c = 0; c < kColumns; ++c) {
        int v = (72 + 24 * c) % 192;
        for (int r = 0; r < kRows; ++r) {
            p[6 * c + r] = uint8_t(v);
            v -= 20;
            if (v < 0) v += 190;
        }
    }
    return p;
}

// Pick table: the six given entries, then a fixed walk x -> (37 x + 11) mod 111 from the last.
std::array<uint8_t, 104> MakePickTable()
{
    std::array<uint8_t, 104> t{88, 24, 101, 57, 16, 69};
    int x = 69;
    for (std::size_t i = 6; i < t.size(); ++i) {
        x = (37 * x + 11) % 111;
        t[i] = uint8_t(x);
    }
    return t;
}

std::array<uint8_t, 111> MakeSelection()
{
    std::array<uint8_t, 111> s;
    s.fill(kNoKey);
    std::copy(kSweep.begin(), kSweep.end(), s.begin());
    return s;
}

// Rain: rows 0 and 1 as given; from row 2 on, four drops fall one matrix row per step down fixed
// columns (moving on by 7 columns each time they land), each lighting its cell and the one above.
std::array<std::array<uint8_t, 12>, 52> MakeRain()
{
    std::array<std::array<uint8_t, 12>, 52> rain;
    for (auto& row : rain) row.fill(kNoKey);
    rain[0] = {25, 26, 50, 51, kNoKey, kNoKey, kNoKey, kNoKey, kNoKey, kNoKey, kNoKey, kNoKey};
    rain[1] = {0, 26, 27, 50, 51, kNoKey, kNoKey, kNoKey, kNoKey, kNoKey, kNoKey, kNoKey};
    for (int k = 2; k < 52; ++k) {
        int n = 0;
        for (int d = 0; d < 4; ++d) {
            const int t = k + 2 * d;               // drops start two steps apart
            const int column = (3 + 5 * d + 7 * (t / kRows)) % kColumns;
            const int r = t % kRows;
            for (int rr : {r, r - 1}) {
                if (rr < 0) continue;
                const uint8_t p = kMatrix[column][rr];
                if (p != N && n < 12) rain[k][n++] = p;
            }
        }
    }
    return rain;
}

bool IsMiddleKey(int p)
{
    static constexpr int kMiddle[] = {48, 49, 68, 69, 70, 89, 90, 127};
    return std::find(std::begin(kMiddle), std::end(kMiddle), p) != std::end(kMiddle);
}

// Show script: groups 0 and 1 as given; groups 2..13 close in on the middle from both ends, three
// keys of the sweep order from the left and three from the right, farthest columns first; groups
// 14 and 15 are the eight middle keys; groups 16..19 are empty.
std::array<std::array<uint8_t, 6>, 20> MakeShowGroups()
{
    std::array<std::array<uint8_t, 6>, 20> g;
    for (auto& row : g) row.fill(N);
    g[0] = {0, 115, N, N, N, N};
    g[1] = {22, 114, 42, 96, N, N};
    std::vector<std::pair<int, int>> left, right; // (column, position)
    for (uint8_t p : kSweep) {
        const bool used = p == 0 || p == 115 || p == 22 || p == 114 || p == 42 || p == 96;
        if (used || IsMiddleKey(p)) continue;
        const int column = CellOfPosition(p) >> 8;
        (column <= 8 ? left : right).push_back({column, p});
    }
    std::stable_sort(left.begin(), left.end(), [](auto a, auto b) { return a.first < b.first; });
    std::stable_sort(right.begin(), right.end(), [](auto a, auto b) { return a.first > b.first; });
    std::size_t l = 0, r = 0;
    for (int group = 2; group < 14; ++group) {
        int n = 0;
        for (int i = 0; i < 3 && l < left.size(); ++i) g[group][n++] = uint8_t(left[l++].second);
        for (int i = 0; i < 3 && r < right.size(); ++i) g[group][n++] = uint8_t(right[r++].second);
    }
    g[14] = {48, 49, 68, N, N, N};
    g[15] = {69, 70, 89, 90, 127, N};
    return g;
}

std::array<std::array<uint8_t, 2>, 16> MakeShowPairs()
{
    static constexpr std::array<std::array<uint8_t, 2>, 4> kPairs = {{{48, 90}, {49, 127}, {70, 89}, {68, 69}}};
    std::array<std::array<uint8_t, 2>, 16> p{};
    for (int i = 0; i < 16; ++i) p[i] = kPairs[i % 4];
    return p;
}

} // namespace

const std::array<uint8_t, kPositions> kSnake = MakeSnake();
const std::array<uint8_t, 192> kPulse = MakePulse();
const std::array<std::array<uint8_t, kRows + 1>, kColumns> kStartGrid = MakeStartGrid();
const std::array<uint8_t, kColumns * kRows> kStartPhases = MakeStartPhases();
const std::array<uint8_t, 104> kPickTable = MakePickTable();
const std::array<uint8_t, 111> kSelection = MakeSelection();
const std::array<std::array<uint8_t, 12>, 52> kRain = MakeRain();
const std::array<std::array<uint8_t, 6>, 20> kShowGroups = MakeShowGroups();
const std::array<std::array<uint8_t, 2>, 16> kShowPairs = MakeShowPairs();

int CellOfPosition(int position)
{
    static const std::array<int, kPositions> cells = [] {
        std::array<int, kPositions> c;
        c.fill(-1);
        for (int column = 0; column < kColumns; ++column) {
            for (int row = 0; row < kRows; ++row) {
                const uint8_t p = kMatrix[column][row];
                if (p < kPositions && c[p] < 0) c[p] = column << 8 | row;
            }
        }
        return c;
    }();
    return position >= 0 && position < kPositions ? cells[position] : -1;
}

uint8_t PositionAt(int c, int r)
{
    if (c < 0 || c >= kColumns || r < 0 || r >= kRows) return kNone;
    return kMatrix[c][r];
}

int PositionFilter(int p)
{
    static const std::array<bool, 256> inSweep = [] {
        std::array<bool, 256> in{};
        for (uint8_t q : kSweep) in[q] = true;
        return in;
    }();
    return p >= 0 && p < 256 && inSweep[p] ? p : kNoKey;
}

bool InSweep(int p) { return PositionFilter(p) != kNoKey; }

} // namespace orvel::lighting::keyboard
