#include "conversion/LineFormatter.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "conversion/WavelengthTexts.h"

namespace kiro {
namespace {

constexpr double kTwoTo53 = 9007199254740992.0;
// Longest text of the general path: 309 integer digits, sign, point, decimals.
constexpr std::size_t kMaxFixedChars = 400;
constexpr std::size_t kMaxLineChars = 2 * kMaxFixedChars + 4;

template <int Precision>
constexpr std::uint64_t kScale = 10 * kScale<Precision - 1>;
template <>
constexpr std::uint64_t kScale<0> = 1;

// Rounds mantissa * 2^-shift * 10^Precision to the nearest integer, ties to even,
// exactly: the same rounding printf applies to the exact binary value. The mantissa
// has at most 53 bits and the scale at most 10, so the product fits in 64 bits.
template <int Precision>
std::uint64_t ScaledAndRounded(std::uint64_t mantissa, int shift) {
    const std::uint64_t product = mantissa * kScale<Precision>;
    if (shift == 0) {
        return product;
    }
    if (shift >= 64) {
        return 0;  // the product is below 2^63, so below half of 2^shift
    }
    std::uint64_t quotient = product >> shift;
    const std::uint64_t remainder = product & ((std::uint64_t{1} << shift) - 1);
    const std::uint64_t half = std::uint64_t{1} << (shift - 1);
    if (remainder > half || (remainder == half && (quotient & 1) != 0)) {
        ++quotient;
    }
    return quotient;
}

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

int DigitCount(std::uint64_t number) {
    int count = 1;
    while (number >= 100) {
        number /= 100;
        count += 2;
    }
    return number >= 10 ? count + 1 : count;
}

// Writes a number with at least minimumDigits digits, two at a time from the right.
char* WriteDigits(char* out, std::uint64_t number, int minimumDigits) {
    const int count = std::max(DigitCount(number), minimumDigits);
    char* at = out + count;
    while (number >= 100) {
        const auto pair = static_cast<std::size_t>(number % 100) * 2;
        number /= 100;
        *--at = kDigitPairs[pair + 1];
        *--at = kDigitPairs[pair];
    }
    if (number >= 10) {
        const auto pair = static_cast<std::size_t>(number) * 2;
        *--at = kDigitPairs[pair + 1];
        *--at = kDigitPairs[pair];
    } else {
        *--at = static_cast<char>('0' + number);
    }
    while (at > out) {
        *--at = '0';
    }
    return out + count;
}

// Finite numbers below 2^53 (so that the binary exponent is never positive), in
// exact integer arithmetic; nullptr leaves the rest to the general path.
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

// With at most three decimals every double fits in kMaxFixedChars.
char* WriteFixedGeneral(char* out, double value, int precision) {
    return std::to_chars(out, out + kMaxFixedChars, value, std::chars_format::fixed, precision).ptr;
}

// Any precision: the text is made in a buffer sized for it. A double's exact value
// has no non-zero digit past the 1074th decimal, so further decimals are zeros.
std::size_t AppendFixedAnyPrecision(std::string& out, double value, int precision) {
    constexpr int kMaxExactDecimals = 1074;
    const int exact = std::min(precision, kMaxExactDecimals);
    std::string text(kMaxFixedChars + static_cast<std::size_t>(exact), '\0');
    const auto [end, error] = std::to_chars(text.data(), text.data() + text.size(), value,
                                            std::chars_format::fixed, exact);
    text.resize(error == std::errc{} ? static_cast<std::size_t>(end - text.data()) : 0);
    if (std::isfinite(value)) {
        text.append(static_cast<std::size_t>(precision - exact), '0');
    }
    out += text;
    return text.size();
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
    if (precision < 0) {
        precision = 6;  // as printf takes a negative precision: as if none were given
    }
    if (precision > 3) {
        return AppendFixedAnyPrecision(out, value, precision);
    }
    char buffer[kMaxFixedChars];
    const char* end = WriteFixed(buffer, value, precision);
    out.append(buffer, static_cast<std::size_t>(end - buffer));
    return static_cast<std::size_t>(end - buffer);
}

// Writes one data line at out, which has room for kMaxLineChars.
char* WriteSpectrumLine(char* out, const CDeviceSpectrum& spectrum, std::size_t point,
                        char separator) {
    out = WriteFixed(out, spectrum.WavelengthAt(point), 2);
    *out++ = separator;
    out = WriteFixed(out, static_cast<double>(spectrum.values[point]), 3);
    *out++ = '\r';
    *out++ = '\n';
    return out;
}

void AppendSpectrumLine(std::string& out, const CDeviceSpectrum& spectrum, std::size_t point,
                        char separator) {
    char line[kMaxLineChars];
    const char* end = WriteSpectrumLine(line, spectrum, point, separator);
    out.append(line, static_cast<std::size_t>(end - line));
}

namespace {}  // namespace

void AppendSpectrumLines(std::string& out, const CDeviceSpectrum& spectrum, char separator) {
    // The wavelength column is half of each line's work.
    thread_local CWavelengthTexts cache;
    const CWavelengthTexts& wavelengths =
        cache.For(spectrum, [](std::string& text, double x) { AppendFixed(text, x, 2); });
    // The lines are written straight into the string: room for typical lines is made
    // up front, and more whenever a line might not fit.
    std::size_t used = out.size();
    out.resize(used + kSpectrumPointCount * 24 + kMaxLineChars);
    for (std::size_t i = 0; i < kSpectrumPointCount; ++i) {
        if (out.size() - used < kMaxLineChars) {
            out.resize(out.size() * 2);
        }
        const std::string_view x = wavelengths.At(i);
        char* at = out.data() + used;
        std::memcpy(at, x.data(), x.size());
        at += x.size();
        *at++ = separator;
        at = WriteFixed(at, static_cast<double>(spectrum.values[i]), 3);
        *at++ = '\r';
        *at++ = '\n';
        used = static_cast<std::size_t>(at - out.data());
    }
    out.resize(used);
}

}  // namespace kiro
