#include "settings/WindowPlacement.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <random>
#include <string>

namespace kiro {
namespace {

// The C library's reading of the same pattern: the oracle, for texts whose numbers
// fit their fields (beyond that its result is undefined).
std::optional<WindowPlacement> ScanfPlacement(const std::string& text) {
    WindowPlacement p;
    const int fields =
        std::sscanf(text.c_str(), "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d", &p.flags, &p.showCmd,
                    &p.minPosition.x, &p.minPosition.y, &p.maxPosition.x, &p.maxPosition.y,
                    &p.normal.left, &p.normal.top, &p.normal.right, &p.normal.bottom);
    return fields == 10 ? std::optional(p) : std::nullopt;
}

TEST(WindowPlacementTest, ReadsThePatternAsTheCLibraryDoesOnMangledTexts) {
    std::mt19937 random(20260307);
    // No separator is a digit, so that no two numbers run into one that would not fit.
    const std::array<std::string, 7> separators{",,", " ", "\t", "-", "+", "x", ";"};
    const std::array<std::string, 9> oddFields{"",  "-",  "+",     " 7",       "\t-8",
                                               "x", "+3", "00012", "123456789"};
    std::uniform_int_distribution<std::size_t> pickSeparator(0, separators.size() - 1);
    std::uniform_int_distribution<std::size_t> pickField(0, oddFields.size() - 1);
    std::uniform_int_distribution<int> chance(0, 99);
    int agreedOnTen = 0;
    for (int round = 0; round < 200000; ++round) {
        // Mostly well-formed ten-field texts with a few pieces swapped, and some tails.
        std::string text;
        for (int field = 0; field < 10; ++field) {
            if (field > 0) {
                text += chance(random) < 97 ? "," : separators[pickSeparator(random)];
            }
            text += chance(random) < 90 ? std::to_string(static_cast<int>(random() % 2001) - 1000)
                                        : oddFields[pickField(random)];
        }
        if (chance(random) < 20) {
            text += separators[pickSeparator(random)] + oddFields[pickField(random)];
        }
        const auto expected = ScanfPlacement(text);
        const auto actual = ParseWindowPlacement(text);
        ASSERT_EQ(actual.has_value(), expected.has_value()) << '"' << text << '"';
        if (expected) {
            ASSERT_EQ(*actual, *expected) << '"' << text << '"';
            ++agreedOnTen;
        }
    }
    // Both outcomes must have been exercised plenty.
    EXPECT_GT(agreedOnTen, 20000);
    EXPECT_LT(agreedOnTen, 180000);
}

TEST(WindowPlacementTest, TextsBeyondTheOracleStartupStatesAndTheRoundTrip) {
    // Numbers that do not fit their field spoil the text (where scanf is undefined).
    EXPECT_TRUE(ParseWindowPlacement("4294967295,1,-2147483648,2147483647,0,0,1,2,3,4"));
    EXPECT_FALSE(ParseWindowPlacement("4294967296,1,0,0,0,0,1,2,3,4"));
    EXPECT_FALSE(ParseWindowPlacement("0,1,0,0,0,0,2147483648,2,3,4"));
    EXPECT_FALSE(ParseWindowPlacement("0,1,0,0,0,0,1,-2147483649,3,4"));
    EXPECT_FALSE(ParseWindowPlacement("0,1,0,0,0,0,1,2,3,99999999999999999999999"));
    // As scanf's %u, a negative unsigned field wraps around.
    EXPECT_EQ(ParseWindowPlacement("-1,-3,0,0,0,0,1,2,3,4")->showCmd, 4294967293u);
    EXPECT_FALSE(ParseWindowPlacement(""));
    // Never started minimised or hidden, whatever the file says; minimised from a
    // maximised window comes back maximised.
    for (const unsigned showCmd : {0u, 2u, 11u, 4294967295u}) {
        EXPECT_EQ(StartupShowState({0, showCmd, {}, {}, {}}), WindowShowState::Normal) << showCmd;
    }
    EXPECT_EQ(StartupShowState({kPlacementRestoreToMaximized, 2, {}, {}, {}}),
              WindowShowState::Maximized);

    std::mt19937 random(7);
    for (int round = 0; round < 10000; ++round) {
        WindowPlacement p;
        p.flags = static_cast<unsigned>(random());
        p.showCmd = static_cast<unsigned>(random());
        p.minPosition = {static_cast<int>(random()), static_cast<int>(random())};
        p.maxPosition = {static_cast<int>(random()), static_cast<int>(random())};
        p.normal = {static_cast<int>(random()), static_cast<int>(random()),
                    static_cast<int>(random()), static_cast<int>(random())};
        ASSERT_EQ(ParseWindowPlacement(FormatWindowPlacement(p)), p);
    }
}

bool TitleReachable(const PlacementRect& r, const std::vector<PlacementRect>& screens) {
    for (const PlacementRect& s : screens) {
        const long long visibleWidth =
            std::min<long long>(r.right, s.right) - std::max<long long>(r.left, s.left);
        if (r.top >= s.top && r.top + std::min<long long>(r.Height(), 24) <= s.bottom &&
            visibleWidth >= std::min<long long>(r.Width(), 48)) {
            return true;
        }
    }
    return false;
}

TEST(WindowPlacementTest, APlacementOffEveryScreenComesBackIntoView) {
    const std::vector<PlacementRect> twoScreens{{0, 0, 1920, 1050}, {1920, 0, 3200, 1024}};
    // The second screen is gone: onto the first.
    EXPECT_EQ(BringIntoView({2000, 100, 2600, 500}, {twoScreens[0]}),
              (PlacementRect{1320, 100, 1920, 500}));
    // Title bar above the top: moved down only as far as needed.
    EXPECT_EQ(BringIntoView({100, -300, 700, 300}, twoScreens), (PlacementRect{100, 0, 700, 600}));
    // Larger than the screen it lands on: shrunk to it.
    EXPECT_EQ(BringIntoView({-5000, -5000, 5000, 5000}, {twoScreens[1]}), twoScreens[1]);
    // No screens known: nothing to go by.
    EXPECT_EQ(BringIntoView({-9000, 0, -8000, 100}, {}), (PlacementRect{-9000, 0, -8000, 100}));

    std::mt19937 random(11);
    std::uniform_int_distribution<int> coordinate(-6000, 6000);
    std::uniform_int_distribution<int> length(1, 3000);
    for (int round = 0; round < 20000; ++round) {
        const int left = coordinate(random);
        const int top = coordinate(random);
        const PlacementRect stored{left, top, left + length(random), top + length(random)};
        const PlacementRect shown = BringIntoView(stored, twoScreens);
        ASSERT_TRUE(TitleReachable(shown, twoScreens));
        ASSERT_TRUE(shown.HasArea());
        if (TitleReachable(stored, twoScreens)) {
            ASSERT_EQ(shown, stored);
        }
    }
}

}  // namespace
}  // namespace kiro
