#include "kdx/Gf256.h"
#include "kdx/Parity.h"

#include <immintrin.h>

#include <array>
#include <cstring>

namespace kdx::detail {

namespace {

// The rows are read where they stand in the sector, 32 bytes at a time.
// Row 0 (whose header may have to read as zero) and the two P rows are
// written to a scratch area instead, rows apart with zeros between them, as
// PortableParity lays out its whole matrix.
constexpr std::size_t kGap = 64;
constexpr std::size_t kStride = kRowBytes + kGap;
constexpr std::size_t kScratchRows = 3;  // row 0, P0, P1
constexpr std::size_t kRowVectors = 3;   // 86 bytes as 96: lanes 86-95 are not used
constexpr std::size_t kSteps = kRows + kColumns - 1;
constexpr std::size_t kQLanes = 2 * kRows;

// The Q run of step t starts 2t - 50 bytes into its row; mask t keeps the
// lanes that fall inside the row (the others stand for columns that do not
// exist, and read a neighbour's bytes).
using RunMasks = std::array<std::array<std::uint8_t, 64>, kSteps>;
constexpr RunMasks MakeRunMasks()
{
    RunMasks m{};
    for (std::size_t t = 0; t < kSteps; ++t)
        for (std::size_t u = 0; u < 64; ++u) {
            const std::size_t at = u + 2 * t;  // the offset in the row plus 50
            m[t][u] = at >= 2 * (kRows - 1) && at < 2 * (kRows - 1) + kRowBytes ? 0xFF : 0x00;
        }
    return m;
}

constexpr RunMasks kRunMasks = MakeRunMasks();

// The first step with a lane of 0-31 inside its row (2t - 50 + 31 >= 0), and
// the last with a lane of 32-51 inside (2t - 50 + 32 <= 85).
constexpr std::size_t kFirstStepLow = 10, kLastStepHigh = 51;
static_assert(2 * kFirstStepLow + 31 >= 2 * (kRows - 1) && 2 * (kFirstStepLow - 1) + 31 < 2 * (kRows - 1));
static_assert(2 * kLastStepHigh + 32 < 2 * (kRows - 1) + kRowBytes &&
              2 * (kLastStepHigh + 1) + 32 >= 2 * (kRows - 1) + kRowBytes);

// Lanes 0-85 of a row read as three vectors.
constexpr std::array<std::uint8_t, 32 * kRowVectors> MakeRowMask()
{
    std::array<std::uint8_t, 32 * kRowVectors> m{};
    for (std::size_t k = 0; k < kRowBytes; ++k) m[k] = 0xFF;
    return m;
}

constexpr std::array<std::uint8_t, 32 * kRowVectors> kRowMask = MakeRowMask();

// A product by a constant c as two 16-entry tables, one per nibble:
// x*c = low[x & 15] ^ high[x >> 4].
struct Nibbles {
    std::uint8_t low[16], high[16];
};

constexpr Nibbles NibblesOf(std::uint8_t c)
{
    Nibbles n{};
    for (int i = 0; i < 16; ++i) {
        n.low[i] = Multiply(static_cast<std::uint8_t>(i), c);
        n.high[i] = Multiply(static_cast<std::uint8_t>(i << 4), c);
    }
    return n;
}

// P solved in one pass: with S the sum of the data rows and W their weighted
// sum (alpha^(25-r) for row r), p0 = (S + W) / (alpha + 1) and p1 = S + p0,
// so p0 accumulates row r times (1 + alpha^(25-r)) / (alpha + 1).
constexpr std::array<Nibbles, kDataRows> MakePWeights()
{
    std::array<Nibbles, kDataRows> t{};
    for (std::size_t r = 0; r < kDataRows; ++r) {
        const auto weight = static_cast<std::uint8_t>(1 ^ AlphaPower(static_cast<unsigned>(kRows - 1 - r)));
        t[r] = NibblesOf(Multiply(weight, InverseOf3()));
    }
    return t;
}

constexpr std::array<Nibbles, kDataRows> kPWeights = MakePWeights();
constexpr Nibbles kByInverse3 = NibblesOf(InverseOf3());

// Q lane u holds code word j = 25 - u/2, whose first parity byte is
// (sum + fold * alpha^(j-23)) / (alpha + 1). The factor differs from lane to
// lane, so the fold is multiplied bit by bit: mask i has the lanes whose
// factor alpha^(j-23) / (alpha + 1) has bit i. Lanes 32-63 stop folding
// after step kLastStepHigh: their factor also makes up for the alpha of
// each step left out.
using LaneMasks = std::array<std::array<std::uint8_t, 64>, 8>;
constexpr LaneMasks MakeQMasks()
{
    LaneMasks m{};
    for (std::size_t u = 0; u < kQLanes; ++u) {
        const std::size_t j = kRows - 1 - u / 2;
        const unsigned skipped = u < 32 ? 0 : static_cast<unsigned>(kSteps - 1 - kLastStepHigh);
        const std::uint8_t factor = Multiply(AlphaPower(static_cast<unsigned>(255 + j - 23) + skipped), InverseOf3());
        for (std::size_t bit = 0; bit < 8; ++bit) m[bit][u] = (factor >> bit & 1) != 0 ? 0xFF : 0x00;
    }
    return m;
}

constexpr LaneMasks kQMasks = MakeQMasks();

__attribute__((target("avx2"))) inline __m256i Load(const std::uint8_t* p)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

__attribute__((target("avx2"))) inline void Store(std::uint8_t* p, __m256i v)
{
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}

__attribute__((target("avx2"))) inline __m256i Table(const std::uint8_t (&t)[16])
{
    return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(t)));
}

__attribute__((target("avx2"))) inline __m256i Times(__m256i x, __m256i low, __m256i high)
{
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    return _mm256_xor_si256(_mm256_shuffle_epi8(low, _mm256_and_si256(x, nibble)),
                            _mm256_shuffle_epi8(high, _mm256_and_si256(_mm256_srli_epi16(x, 4), nibble)));
}

__attribute__((target("avx2"))) inline __m256i TimesAlpha(__m256i x)
{
    const __m256i carry = _mm256_cmpgt_epi8(_mm256_setzero_si256(), x);  // top bit set
    return _mm256_xor_si256(_mm256_add_epi8(x, x), _mm256_and_si256(carry, _mm256_set1_epi8(0x1D)));
}

// Step t of the Q fold for the lanes of vector v.
__attribute__((target("avx2"))) inline void QStep(const std::uint8_t* run, std::size_t t, std::size_t v, __m256i& sum,
                                                  __m256i& fold)
{
    const __m256i x = _mm256_and_si256(Load(run + 32 * v), Load(kRunMasks[t].data() + 32 * v));
    sum = _mm256_xor_si256(sum, x);
    fold = _mm256_xor_si256(TimesAlpha(fold), x);
}

// The 16 two-byte words of x in the opposite order.
__attribute__((target("avx2"))) inline __m256i WordsBackwards(__m256i x)
{
    const __m256i order = _mm256_setr_epi8(14, 15, 12, 13, 10, 11, 8, 9, 6, 7, 4, 5, 2, 3, 0, 1,  //
                                           14, 15, 12, 13, 10, 11, 8, 9, 6, 7, 4, 5, 2, 3, 0, 1);
    return _mm256_permute4x64_epi64(_mm256_shuffle_epi8(x, order), 0x4E);
}

__attribute__((target("avx2"))) void ParityAvx2(const std::uint8_t* rows, bool zeroHeader, std::uint8_t* p,
                                                std::uint8_t* q)
{
    alignas(32) std::uint8_t scratch[kGap + kScratchRows * kStride] = {};
    const auto row = [&scratch](std::size_t k) { return scratch + kGap + k * kStride; };
    for (std::size_t v = 0; v < kRowVectors; ++v)
        Store(row(0) + 32 * v, _mm256_and_si256(Load(rows + 32 * v), Load(kRowMask.data() + 32 * v)));
    if (zeroHeader) std::memset(row(0), 0, kHeaderBytes);
    const auto dataRow = [&](std::size_t r) { return r == 0 ? row(0) : rows + r * kRowBytes; };

    // P: lanes 86-95 pick up the next row's bytes and are masked off below.
    __m256i sum0 = _mm256_setzero_si256();
    __m256i sum1 = sum0;
    __m256i sum2 = sum0;
    __m256i first0 = sum0;
    __m256i first1 = sum0;
    __m256i first2 = sum0;
    for (std::size_t r = 0; r < kDataRows; ++r) {
        const __m256i low = Table(kPWeights[r].low);
        const __m256i high = Table(kPWeights[r].high);
        const std::uint8_t* bytes = dataRow(r);
        const __m256i x0 = Load(bytes);
        const __m256i x1 = Load(bytes + 32);
        const __m256i x2 = Load(bytes + 64);
        sum0 = _mm256_xor_si256(sum0, x0);
        sum1 = _mm256_xor_si256(sum1, x1);
        sum2 = _mm256_xor_si256(sum2, x2);
        first0 = _mm256_xor_si256(first0, Times(x0, low, high));
        first1 = _mm256_xor_si256(first1, Times(x1, low, high));
        first2 = _mm256_xor_si256(first2, Times(x2, low, high));
    }
    // P to the caller and to the scratch rows Q reads; lanes 86-95 must read as zero there.
    const __m256i used = Load(kRowMask.data() + 64);  // the first two vectors are all used
    const __m256i second0 = _mm256_xor_si256(sum0, first0);
    const __m256i second1 = _mm256_xor_si256(sum1, first1);
    const __m256i last0 = _mm256_and_si256(first2, used);
    const __m256i last1 = _mm256_and_si256(_mm256_xor_si256(sum2, first2), used);
    Store(p, first0);
    Store(p + 32, first1);
    Store(p + kRowBytes, second0);
    Store(p + kRowBytes + 32, second1);
    Store(row(1), first0);
    Store(row(1) + 32, first1);
    Store(row(1) + 64, last0);
    Store(row(2), second0);
    Store(row(2) + 32, second1);
    Store(row(2) + 64, last1);
    std::memcpy(p + 64, row(1) + 64, kRowBytes - 64);
    std::memcpy(p + kRowBytes + 64, row(2) + 64, kRowBytes - 64);

    // Q as in PortableParity: the straight runs of rows t mod 26, t = 0 .. 67,
    // summed and folded with alpha; lanes 52-63 are not used. Lanes 0-31 have
    // nothing before step kFirstStepLow, lanes 32-51 nothing after step
    // kLastStepHigh: those steps are left out (see MakeQMasks).
    __m256i qSum[2] = {_mm256_setzero_si256(), _mm256_setzero_si256()};
    __m256i fold[2] = {_mm256_setzero_si256(), _mm256_setzero_si256()};
    const auto runOf = [&](std::size_t t) {
        const std::size_t r = t % kRows;
        return (r < kDataRows ? dataRow(r) : row(r - kDataRows + 1)) + 2 * t - 2 * (kRows - 1);
    };
    for (std::size_t t = 0; t < kFirstStepLow; ++t) QStep(runOf(t), t, 1, qSum[1], fold[1]);
    for (std::size_t t = kFirstStepLow; t <= kLastStepHigh; ++t) {
        const std::uint8_t* run = runOf(t);
        QStep(run, t, 0, qSum[0], fold[0]);
        QStep(run, t, 1, qSum[1], fold[1]);
    }
    for (std::size_t t = kLastStepHigh + 1; t < kSteps; ++t) QStep(runOf(t), t, 0, qSum[0], fold[0]);
    const __m256i low = Table(kByInverse3.low);
    const __m256i high = Table(kByInverse3.high);
    __m256i q0[2];
    __m256i q1[2];
    for (std::size_t v = 0; v < 2; ++v) {
        q0[v] = Times(qSum[v], low, high);
        __m256i power = fold[v];
        for (std::size_t bit = 0; bit < 8; ++bit, power = TimesAlpha(power))
            q0[v] = _mm256_xor_si256(q0[v], _mm256_and_si256(power, Load(kQMasks[bit].data() + 32 * v)));
        q1[v] = _mm256_xor_si256(qSum[v], q0[v]);
    }
    // Lanes count the code words backwards; the sector stores them forwards.
    // Reversed word by word, lane u lands at 62 - u (for an even u), so
    // word j (lane 50 - 2j) at 12 + 2j.
    alignas(32) std::uint8_t reversed[2][64];
    for (std::size_t k = 0; k < 2; ++k) {
        const __m256i* words = k == 0 ? q0 : q1;
        Store(reversed[k], WordsBackwards(words[1]));
        Store(reversed[k] + 32, WordsBackwards(words[0]));
    }
    constexpr std::size_t kFirstWord = 64 - kQLanes;
    std::memcpy(q, reversed[0] + kFirstWord, kQLanes);
    std::memcpy(q + kQLanes, reversed[1] + kFirstWord, kQLanes);
}

}  // namespace

bool FastParity(const std::uint8_t* rows, bool zeroHeader, std::uint8_t* p, std::uint8_t* q)
{
    if (__builtin_cpu_supports("avx2") == 0) return false;
    ParityAvx2(rows, zeroHeader, p, q);
    return true;
}

}  // namespace kdx::detail
