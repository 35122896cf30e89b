#include "kdx/Gf256.h"
#include "kdx/Parity.h"

#include <array>
#include <cstring>

namespace kdx::detail {

namespace {

constexpr std::size_t kQLanes = 2 * kRows;

// For Q the rows lie apart with zero bytes between them (and before the
// first): a read that runs up to 25 words before or 32 words past a row
// picks up zeros, never a neighbour's words.
constexpr std::size_t kGap = 64;
constexpr std::size_t kStride = kRowBytes + kGap;
constexpr std::size_t kQAccumulator = 64;  // 52 lanes used, the rest rounds the loop up

// x / (alpha + 1) for every x: the last step of solving for the two parity bytes.
constexpr std::array<std::uint8_t, 256> MakeDivideBy3()
{
    std::array<std::uint8_t, 256> t{};
    for (int x = 0; x < 256; ++x) t[x] = Multiply(static_cast<std::uint8_t>(x), InverseOf3());
    return t;
}

// Built once at first use: too many steps for some compilers' constant evaluation.
const std::array<std::uint8_t, 256>& DivideBy3()
{
    static const std::array<std::uint8_t, 256> table = MakeDivideBy3();
    return table;
}

// x * alpha^(j-25) for the Q code word j: the weight its fold still lacks
// (see PortableParity).
using QWeights = std::array<std::array<std::uint8_t, 256>, kRows>;
constexpr QWeights MakeQWeights()
{
    QWeights t{};
    for (std::size_t j = 0; j < kRows; ++j)
        for (int x = 0; x < 256; ++x)
            t[j][x] = Multiply(static_cast<std::uint8_t>(x), AlphaPower(static_cast<unsigned>(255 + j - (kRows - 1))));
    return t;
}

const QWeights& QWeightTable()
{
    static const QWeights table = MakeQWeights();
    return table;
}

// The two parity bytes of one code word whose check equations are
//   sum(v[i]) = 0  and  sum(alpha^(n-1-i) * v[i]) = 0,  i = 0 .. n-1,
// with the parity at i = n-2 and n-1. `sum` is the sum of the data bytes,
// `horner` the data folded as h = h*alpha + v[i]; the data's share of the
// second sum is then alpha^2 * horner, and the two equations give
//   p0 = (sum + alpha^2*horner) / (alpha + 1),  p1 = sum + p0.
void SolveParity(const std::uint8_t* sum, const std::uint8_t* horner, std::size_t lanes, std::uint8_t* p0,
                 std::uint8_t* p1)
{
    const std::array<std::uint8_t, 256>& divideBy3 = DivideBy3();
    for (std::size_t k = 0; k < lanes; ++k) {
        const std::uint8_t first = divideBy3[sum[k] ^ Times2(Times2(horner[k]))];
        p0[k] = first;
        p1[k] = sum[k] ^ first;
    }
}

}  // namespace

void PortableParity(const std::uint8_t* rows, bool zeroHeader, std::uint8_t* p, std::uint8_t* q)
{
    // A copy of the matrix, rows apart: the header may have to read as zero,
    // and Q needs the new P in rows 24 and 25.
    std::uint8_t matrix[kGap + kRows * kStride] = {};
    const auto row = [&matrix](std::size_t r) { return matrix + kGap + r * kStride; };
    for (std::size_t r = 0; r < kDataRows; ++r) std::memcpy(row(r), rows + r * kRowBytes, kRowBytes);
    if (zeroHeader) std::memset(row(0), 0, kHeaderBytes);

    // P: one code word per column (lane), down the 24 data rows.
    std::uint8_t sum[kRowBytes] = {};
    std::uint8_t horner[kRowBytes] = {};
    for (std::size_t r = 0; r < kDataRows; ++r) {
        const std::uint8_t* bytes = row(r);
        for (std::size_t k = 0; k < kRowBytes; ++k) {
            sum[k] ^= bytes[k];
            horner[k] = static_cast<std::uint8_t>(Times2(horner[k]) ^ bytes[k]);
        }
    }
    SolveParity(sum, horner, kRowBytes, row(kDataRows), row(kDataRows + 1));
    std::memcpy(p, row(kDataRows), kRowBytes);
    std::memcpy(p + kRowBytes, row(kDataRows + 1), kRowBytes);

    // Q: code word j takes from column c = 0..42 the word of row (j + c) mod 26,
    // and its fold is sum(alpha^(42-c) * word). With t = j + c that weight is
    // alpha^(j-25) * alpha^(67-t): the rows, taken as t = 0 .. 67 (row t mod
    // 26), are folded with alpha alone, and each code word's weight is applied
    // once at the end. Counted backwards (u = 25 - j), the words row t gives
    // (columns c = u + t - 25) lie side by side: one straight run of the row
    // per step, the zeros around it standing for the columns that do not exist.
    constexpr std::size_t kSteps = kRows + kColumns - 1;
    std::uint8_t sumU[kQAccumulator] = {};
    std::uint8_t foldU[kQAccumulator] = {};
    for (std::size_t t = 0; t < kSteps; ++t) {
        std::uint8_t run[kQAccumulator];  // a copy: the loop below then vectorises
        std::memcpy(run, row(t % kRows) + 2 * t - 2 * (kRows - 1), kQAccumulator);
        for (std::size_t k = 0; k < kQAccumulator; ++k) {
            sumU[k] ^= run[k];
            foldU[k] = static_cast<std::uint8_t>(Times2(foldU[k]) ^ run[k]);
        }
    }
    std::uint8_t qSum[kQLanes];
    std::uint8_t qHorner[kQLanes];
    const QWeights& qWeights = QWeightTable();
    for (std::size_t j = 0; j < kRows; ++j)
        for (std::size_t b = 0; b < 2; ++b) {
            const std::size_t u = 2 * (kRows - 1 - j) + b;
            qSum[2 * j + b] = sumU[u];
            qHorner[2 * j + b] = qWeights[j][foldU[u]];
        }
    SolveParity(qSum, qHorner, kQLanes, q, q + kQLanes);
}

}  // namespace kdx::detail
