#include "kdx/EdcFold.h"

#include <immintrin.h>

namespace kdx::detail {

namespace {

// The EDC is linear (initial value 0, no final xor): the EDC of a message
// depends only on the message as a polynomial modulo P. A 16-byte block that
// stands d bits before the end of the next block can be replaced by its two
// 64-bit halves times x^(d+64) and x^d modulo P, added to that block.
constexpr std::uint64_t kPoly = 0x18001801Bull;

// x^n mod P as an operand of a carry-less multiply on bit-reflected data:
// bits reversed into the top half of 64 bits. The product of two reflected
// operands comes out one degree short, so callers ask for x^(d-1).
constexpr std::uint64_t FoldConstant(unsigned n)
{
    std::uint64_t r = 1;
    for (unsigned i = 0; i < n; ++i) {
        r <<= 1;
        if ((r >> 32) != 0) r ^= kPoly;
    }
    std::uint64_t reflected = 0;
    for (int d = 0; d < 32; ++d)
        if ((r >> d & 1) != 0) reflected |= std::uint64_t{1} << (63 - d);
    return reflected;
}

// Low half: the block's first 8 bytes (the higher powers), high half: the last 8.
constexpr std::uint64_t kBy64Low = FoldConstant(512 + 63), kBy64High = FoldConstant(512 - 1);
constexpr std::uint64_t kBy16Low = FoldConstant(128 + 63), kBy16High = FoldConstant(128 - 1);
constexpr std::uint64_t kBy128Low = FoldConstant(1024 + 63), kBy128High = FoldConstant(1024 - 1);

__attribute__((target("pclmul,sse2"))) inline __m128i Fold(__m128i block, __m128i k, __m128i next)
{
    const __m128i low = _mm_clmulepi64_si128(block, k, 0x00);
    const __m128i high = _mm_clmulepi64_si128(block, k, 0x11);
    return _mm_xor_si128(_mm_xor_si128(low, high), next);
}

__attribute__((target("pclmul,sse2"))) void FoldWithClmul(const std::uint8_t* p, std::size_t blocks,
                                                          std::uint32_t crc, std::uint8_t out[16])
{
    const auto load = [p](std::size_t i) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i)); };
    // Four blocks at a time, each lane 64 bytes ahead of its last position,
    // so that four multiplies are in flight at once.
    __m128i x[4] = {_mm_xor_si128(load(0), _mm_cvtsi32_si128(static_cast<int>(crc))), load(1), load(2), load(3)};
    const __m128i by64 = _mm_set_epi64x(static_cast<long long>(kBy64High), static_cast<long long>(kBy64Low));
    const __m128i by16 = _mm_set_epi64x(static_cast<long long>(kBy16High), static_cast<long long>(kBy16Low));
    std::size_t i = 4;
    for (; i + 4 <= blocks; i += 4)
        for (std::size_t lane = 0; lane < 4; ++lane) x[lane] = Fold(x[lane], by64, load(i + lane));
    __m128i r = Fold(Fold(Fold(x[0], by16, x[1]), by16, x[2]), by16, x[3]);
    for (; i < blocks; ++i) r = Fold(r, by16, load(i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), r);
}

__attribute__((target("vpclmulqdq,avx2"))) inline __m256i Fold2(__m256i blocks, __m256i k, __m256i next)
{
    const __m256i low = _mm256_clmulepi64_epi128(blocks, k, 0x00);
    const __m256i high = _mm256_clmulepi64_epi128(blocks, k, 0x11);
    return _mm256_xor_si256(_mm256_xor_si256(low, high), next);
}

__attribute__((target("avx2"))) inline __m256i Load2(const std::uint8_t* p, std::size_t i)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 16 * i));
}

inline __m128i Load1(const std::uint8_t* p, std::size_t i)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
}

// The same with two blocks to a register: eight blocks at a time, each 128
// bytes ahead of its last position. Needs at least 8 blocks.
__attribute__((target("vpclmulqdq,avx2,pclmul"))) void FoldWithVpclmul(const std::uint8_t* p, std::size_t blocks,
                                                                      std::uint32_t crc, std::uint8_t out[16])
{
    __m256i x[4] = {_mm256_xor_si256(Load2(p, 0), _mm256_set_epi32(0, 0, 0, 0, 0, 0, 0, static_cast<int>(crc))),
                    Load2(p, 2), Load2(p, 4), Load2(p, 6)};
    const __m256i by128 = _mm256_set_epi64x(static_cast<long long>(kBy128High), static_cast<long long>(kBy128Low),
                                            static_cast<long long>(kBy128High), static_cast<long long>(kBy128Low));
    std::size_t i = 8;
    for (; i + 8 <= blocks; i += 8)
        for (std::size_t lane = 0; lane < 4; ++lane) x[lane] = Fold2(x[lane], by128, Load2(p, i + 2 * lane));
    const __m128i by16 = _mm_set_epi64x(static_cast<long long>(kBy16High), static_cast<long long>(kBy16Low));
    __m128i r = _mm256_castsi256_si128(x[0]);
    r = Fold(r, by16, _mm256_extracti128_si256(x[0], 1));
    for (std::size_t lane = 1; lane < 4; ++lane) {
        r = Fold(r, by16, _mm256_castsi256_si128(x[lane]));
        r = Fold(r, by16, _mm256_extracti128_si256(x[lane], 1));
    }
    for (; i < blocks; ++i) r = Fold(r, by16, Load1(p, i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), r);
}

}  // namespace

bool FoldEdc(const std::uint8_t* p, std::size_t blocks, std::uint32_t crc, std::uint8_t out[16])
{
    if (blocks < 4 || __builtin_cpu_supports("pclmul") == 0) return false;
    if (blocks >= 8 && __builtin_cpu_supports("vpclmulqdq") != 0 && __builtin_cpu_supports("avx2") != 0)
        FoldWithVpclmul(p, blocks, crc, out);
    else
        FoldWithClmul(p, blocks, crc, out);
    return true;
}

}  // namespace kdx::detail
