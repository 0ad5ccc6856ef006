#include "conversion/LineFormatter.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace kiro {
namespace {

__extension__ typedef unsigned __int128 Uint128;

constexpr double kTwoTo53 = 9007199254740992.0;
// Longest text of the general path: 309 integer digits, sign, point, decimals.
constexpr std::size_t kMaxFixedChars = 400;

template <int Precision>
constexpr std::uint64_t kScale = 10 * kScale<Precision - 1>;
template <>
constexpr std::uint64_t kScale<0> = 1;

// Rounds mantissa * 2^-shift * 10^Precision to the nearest integer, ties to even,
// exactly: the same rounding printf applies to the exact binary value.
template <int Precision>
std::uint64_t ScaledAndRounded(std::uint64_t mantissa, int shift) {
    const Uint128 product = static_cast<Uint128>(mantissa) * kScale<Precision>;
    if (shift <= 0) {
        return static_cast<std::uint64_t>(product << -shift);
    }
    if (shift > 100) {
        return 0;  // the product is below 2^83, so below half of 2^shift
    }
    const Uint128 one = 1;
    std::uint64_t quotient = static_cast<std::uint64_t>(product >> shift);
    const Uint128 remainder = product & ((one << shift) - 1);
    const Uint128 half = one << (shift - 1);
    if (remainder > half || (remainder == half && (quotient & 1) != 0)) {
        ++quotient;
    }
    return quotient;
}

char* WriteDigits(char* out, std::uint64_t number, int minimumDigits) {
    char digits[24];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + number % 10);
        number /= 10;
    } while (number != 0 || count < minimumDigits);
    while (count > 0) {
        *out++ = digits[--count];
    }
    return out;
}

// Finite numbers whose scaled value stays below 2^63, in exact integer arithmetic;
// nullptr leaves the rest to the general path.
template <int Precision>
char* WriteFixedExact(char* out, double value) {
    static_assert(Precision >= 1 && Precision <= 3);
    if (!std::isfinite(value) || std::fabs(value) >= kTwoTo53) {
        return nullptr;
    }
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const int biasedExponent = static_cast<int>((bits >> 52) & 0x7FF);
    std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
    if (biasedExponent != 0) {
        mantissa |= std::uint64_t{1} << 52;
    }
    const int exponent = (biasedExponent == 0 ? 1 : biasedExponent) - 1075;
    const std::uint64_t scaled = ScaledAndRounded<Precision>(mantissa, -exponent);
    if ((bits >> 63) != 0) {
        *out++ = '-';
    }
    out = WriteDigits(out, scaled / kScale<Precision>, 1);
    *out++ = '.';
    return WriteDigits(out, scaled % kScale<Precision>, Precision);
}

char* WriteFixedGeneral(char* out, double value, int precision) {
    const auto [end, error] =
        std::to_chars(out, out + kMaxFixedChars, value, std::chars_format::fixed, precision);
    if (error == std::errc{}) {
        return end;
    }
    const int length = std::snprintf(out, kMaxFixedChars, "%.*f", precision, value);
    return out + length;
}

char* WriteFixed(char* out, double value, int precision) {
    char* end = nullptr;
    if (precision == 2) {
        end = WriteFixedExact<2>(out, value);
    } else if (precision == 3) {
        end = WriteFixedExact<3>(out, value);
    }
    return end != nullptr ? end : WriteFixedGeneral(out, value, precision);
}

}  // namespace

std::size_t AppendFixed(std::string& out, double value, int precision) {
    char buffer[kMaxFixedChars];
    const char* end = WriteFixed(buffer, value, precision);
    out.append(buffer, static_cast<std::size_t>(end - buffer));
    return static_cast<std::size_t>(end - buffer);
}

void AppendSpectrumLine(std::string& out, const CDeviceSpectrum& spectrum, std::size_t point,
                        char separator) {
    char line[2 * kMaxFixedChars + 4];
    char* end = WriteFixed(line, spectrum.WavelengthAt(point), 2);
    *end++ = separator;
    end = WriteFixed(end, static_cast<double>(spectrum.values[point]), 3);
    *end++ = '\r';
    *end++ = '\n';
    out.append(line, static_cast<std::size_t>(end - line));
}

void AppendSpectrumLines(std::string& out, const CDeviceSpectrum& spectrum, char separator) {
    out.reserve(out.size() + kSpectrumPointCount * 24);
    for (std::size_t i = 0; i < kSpectrumPointCount; ++i) {
        AppendSpectrumLine(out, spectrum, i, separator);
    }
}

}  // namespace kiro
