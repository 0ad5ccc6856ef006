#include "conversion/LineFormatter.h"

#include <gtest/gtest.h>

#include <bit>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace kiro {
namespace {

std::string Printf(double value, int precision) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%.*f", precision, value);
    return buffer;
}

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

TEST(FixedFormat, MatchesPrintfOnBoundaryValues) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double specials[] = {0.0,
                               -0.0,
                               nan,
                               -nan,
                               inf,
                               -inf,
                               0.005,
                               0.015,
                               0.025,
                               0.125,
                               2.675,
                               1.0005,
                               -0.005,
                               -0.0004,
                               -0.0005,
                               349.995,
                               349.9949999,
                               1e-300,
                               -1e-300,
                               5e-324,
                               1e22,
                               1e23,
                               -1e38,
                               3.4028234663852886e38,
                               std::numeric_limits<double>::max(),
                               std::numeric_limits<double>::lowest(),
                               0.5,
                               1.5,
                               2.5,
                               999.9995,
                               1234.5678,
                               65535.0,
                               4294967296.5};
    for (double value : specials) {
        ExpectSameAsPrintf(value);
    }
}

TEST(FixedFormat, MatchesPrintfOnTiesAtTwoAndThreeDecimals) {
    for (int i = -20000; i <= 20000; ++i) {
        ExpectSameAsPrintf(i / 100.0 + 0.005);
        ExpectSameAsPrintf(i / 1000.0 + 0.0005);
        ExpectSameAsPrintf(static_cast<double>(static_cast<float>(i / 1000.0 + 0.0005)));
    }
}

TEST(FixedFormat, MatchesPrintfOnRandomValues) {
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

TEST(SpectrumLine, FormatsWavelengthAndValueWithTheSeparator) {
    CDeviceSpectrum spectrum;
    spectrum.wlIntercept = 200.0f;
    spectrum.wlCoef1 = 0.5f;
    spectrum.values[1000] = 1234.5678f;
    spectrum.values[1] = -0.25f;
    std::string tab;
    AppendSpectrumLine(tab, spectrum, 1000, '\t');
    EXPECT_EQ(tab, "700.00\t1234.568\r\n");
    std::string comma;
    AppendSpectrumLine(comma, spectrum, 1000, ',');
    EXPECT_EQ(comma, "700.00,1234.568\r\n");
    std::string negative;
    AppendSpectrumLine(negative, spectrum, 1, ',');
    EXPECT_EQ(negative, "200.50,-0.250\r\n");
}

TEST(SpectrumLine, RoundsLikeTheDesktopFormat) {
    EXPECT_EQ(Fixed(349.995000001, 2), "350.00");
    EXPECT_EQ(Fixed(-0.25, 3), "-0.250");
    EXPECT_EQ(Fixed(0.5, 2), "0.50");
    EXPECT_EQ(Fixed(-0.0001, 3), "-0.000");
    EXPECT_EQ(Fixed(std::numeric_limits<double>::quiet_NaN(), 3), Printf(NAN, 3));
}

}  // namespace
}  // namespace kiro

namespace kiro {
namespace {

// The buffer is sized by the first call; the compiler cannot see that.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-truncation"
std::string PrintfAnyPrecision(double value, int precision) {
    const int length = std::snprintf(nullptr, 0, "%.*f", precision, value);
    std::vector<char> text(static_cast<std::size_t>(length) + 1);
    std::snprintf(text.data(), text.size(), "%.*f", precision, value);
    return std::string(text.data(), static_cast<std::size_t>(length));
}
#pragma GCC diagnostic pop

// Restores the numeric locale when the test ends, however it ends.
class CNumericLocale {
public:
    explicit CNumericLocale(const char* name) : m_saved(std::setlocale(LC_NUMERIC, nullptr)) {
        m_active = std::setlocale(LC_NUMERIC, name) != nullptr;
    }
    ~CNumericLocale() { std::setlocale(LC_NUMERIC, m_saved.c_str()); }
    bool Active() const { return m_active; }

private:
    std::string m_saved;
    bool m_active = false;
};

TEST(FixedFormat, AnyPrecisionMatchesPrintfAndIgnoresTheLocale) {
    const double values[] = {0.0,
                             -0.0,
                             1.0 / 3.0,
                             -2.5,
                             1e-300,
                             4.9406564584124654e-324,
                             1e22,
                             std::numeric_limits<double>::max(),
                             -std::numeric_limits<double>::max(),
                             std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN()};
    const int precisions[] = {-1, 0, 1, 6, 17, 100, 397, 1074, 1100};
    std::vector<std::string> expected;
    for (const double value : values) {
        for (const int precision : precisions) {
            expected.push_back(PrintfAnyPrecision(value, precision));
        }
    }
    // The oracle was taken in the "C" locale; ours must not change with a comma locale.
    CNumericLocale comma("de_DE.UTF-8");
    std::size_t k = 0;
    for (const double value : values) {
        for (const int precision : precisions) {
            ASSERT_EQ(Fixed(value, precision), expected[k++])
                << std::hexfloat << value << " precision " << precision;
        }
    }
    EXPECT_TRUE(comma.Active()) << "the set-up script installs de_DE.UTF-8";
}

}  // namespace
}  // namespace kiro
