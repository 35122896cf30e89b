// Arithmetic in GF(2^8) with x^8+x^4+x^3+x^2+1, the field of the sector
// parity; alpha is x (the value 2). Compile-time helpers for the tables.
#pragma once

#include <cstdint>

namespace kdx::detail {

constexpr std::uint8_t Times2(std::uint8_t v)
{
    return static_cast<std::uint8_t>((v << 1) ^ (0x1D & -(v >> 7)));
}

constexpr std::uint8_t Multiply(std::uint8_t a, std::uint8_t b)
{
    std::uint8_t product = 0;
    for (; b != 0; b >>= 1, a = Times2(a))
        if ((b & 1) != 0) product ^= a;
    return product;
}

// alpha^n; alpha has order 255.
constexpr std::uint8_t AlphaPower(unsigned n)
{
    std::uint8_t power = 1;
    for (unsigned i = 0; i < n % 255; ++i) power = Times2(power);
    return power;
}

// 1 / (alpha + 1): solving for the two parity bytes of a code word divides by it.
constexpr std::uint8_t InverseOf3()
{
    std::uint8_t inverse = 1;
    while (Multiply(3, inverse) != 1) ++inverse;
    return inverse;
}

}  // namespace kdx::detail
