#include "conversion/LineFormatter.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace kiro {
namespace {

using Limits = std::numeric_limits<double>;

// The buffer is sized by the first call; the compiler cannot see that.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-truncation"
// NaN is written as the C library of Linux writes it, with its sign, on every system.
std::string Printf(double value, int precision) {
    if (std::isnan(value)) {
        return std::signbit(value) ? "-nan" : "nan";
    }
    const int length = std::snprintf(nullptr, 0, "%.*f", precision, value);
    std::vector<char> text(static_cast<std::size_t>(length) + 1);
    std::snprintf(text.data(), text.size(), "%.*f", precision, value);
    return std::string(text.data(), static_cast<std::size_t>(length));
}
#pragma GCC diagnostic pop

std::string Fixed(double value, int precision) {
    std::string out;
    AppendFixed(out, value, precision);
    return out;
}

void ExpectSameAsPrintf(double value) {
    for (int precision : {2, 3}) {
        ASSERT_EQ(Fixed(value, precision), Printf(value, precision))
            << std::hexfloat << value << " precision " << precision;
    }
}

TEST(FixedFormat, MatchesPrintfOnTiesSpecialAndRandomValues) {
    const char* specials =
        "0.005 0.015 0.025 0.125 2.675 1.0005 -0.005 -0.0004 -0.0005 349.995 349.9949999 "
        "349.995000001 1e-300 -1e-300 5e-324 1e22 1e23 -1e38 3.4028234663852886e38 0.5 1.5 2.5 "
        "999.9995 1234.5678 65535.0 4294967296.5 0.0 -0.0";
    for (char* end = nullptr; *specials != '\0'; specials = end) {
        ExpectSameAsPrintf(std::strtod(specials, &end));
    }
    for (double value : {Limits::quiet_NaN(), -Limits::quiet_NaN(), Limits::infinity(),
                         -Limits::infinity(), Limits::max(), Limits::lowest()}) {
        ExpectSameAsPrintf(value);
    }
    for (int i = -20000; i <= 20000; ++i) {
        ExpectSameAsPrintf(i / 100.0 + 0.005);
        ExpectSameAsPrintf(i / 1000.0 + 0.0005);
        ExpectSameAsPrintf(static_cast<double>(static_cast<float>(i / 1000.0 + 0.0005)));
    }
    std::mt19937_64 random(20261206);
    std::uniform_real_distribution<double> wavelengths(-2000.0, 3000.0);
    std::uniform_int_distribution<std::uint64_t> bits;
    for (int i = 0; i < 200000; ++i) {
        ExpectSameAsPrintf(wavelengths(random));
        const double anyDouble = std::bit_cast<double>(bits(random));
        if (!std::isfinite(anyDouble) || std::fabs(anyDouble) < 1e30) {
            ExpectSameAsPrintf(anyDouble);
        }
        const auto anyFloat = std::bit_cast<float>(static_cast<std::uint32_t>(bits(random)));
        ExpectSameAsPrintf(static_cast<double>(anyFloat));
    }
}

// Any precision, including those printf pads with zeros past the exact binary value.
TEST(FixedFormat, AnyPrecisionMatchesPrintf) {
    const double third = 1.0 / 3.0, max = Limits::max(), inf = Limits::infinity(),
                 nan = Limits::quiet_NaN();
    for (const double value : {0.0, -0.0, third, -2.5, 1e-300, 5e-324, 1e22, max, -max, inf, nan}) {
        for (const int precision : {-1, 0, 1, 6, 17, 100, 397, 1074, 1100}) {
            ASSERT_EQ(Fixed(value, precision), Printf(value, precision))
                << std::hexfloat << value << " precision " << precision;
        }
    }
}

}  // namespace
}  // namespace kiro
