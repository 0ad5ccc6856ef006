#include "devicelink/DeviceText.h"

#include <gtest/gtest.h>

#include "devicelink/FileKinds.h"

namespace kiro {
namespace {

rapi::FILETIME At(long long unixSeconds) {
    const auto ticks = static_cast<std::uint64_t>((unixSeconds + 11644473600LL) * 10000000LL);
    return {static_cast<rapi::DWORD>(ticks), static_cast<rapi::DWORD>(ticks >> 32)};
}

// 1 January 2000, 00:00:00 UTC.
constexpr long long kNewYear2000 = 946684800;

TEST(DeviceDate, UsesATwelveHourClockWithoutPadding) {
    EXPECT_EQ(FormatDeviceDate({0x56B0A480u, 0x01BEC55Du}), "7/3/1999  2:7:9 PM");
    EXPECT_EQ(FormatDeviceDate(At(kNewYear2000 + 30 * 60)), "1/1/2000  12:30:0 AM");
    EXPECT_EQ(FormatDeviceDate(At(kNewYear2000)), "1/1/2000  12:0:0 AM");
    EXPECT_EQ(FormatDeviceDate(At(kNewYear2000 + 3600 + 15 * 60)), "1/1/2000  1:15:0 AM");
    EXPECT_EQ(FormatDeviceDate(At(kNewYear2000 + 11 * 3600 + 59 * 60 + 59)),
              "1/1/2000  11:59:59 AM");
    EXPECT_EQ(FormatDeviceDate(At(kNewYear2000 + 12 * 3600)), "1/1/2000  12:0:0 PM");
    EXPECT_EQ(FormatDeviceDate(At(kNewYear2000 + 23 * 3600)), "1/1/2000  11:0:0 PM");
    EXPECT_EQ(FormatDeviceDate(At(951782400)), "2/29/2000  12:0:0 AM");
    EXPECT_EQ(FormatDeviceDate({0, 0}), "1/1/1601  12:0:0 AM");
}

TEST(DeviceSize, IsUnsigned) {
    EXPECT_EQ(FormatDeviceSize(0), "0 bytes");
    EXPECT_EQ(FormatDeviceSize(1024), "1024 bytes");
    EXPECT_EQ(FormatDeviceSize(0x80000000u), "2147483648 bytes");
    EXPECT_EQ(FormatDeviceSize(0xFFFFFFFFu), "4294967295 bytes");
}

TEST(DevicePaths, JoinWithExactlyOneSeparator) {
    EXPECT_EQ(JoinDevicePath(u"\\", u"a.scope_ks"), u"\\a.scope_ks");
    EXPECT_EQ(JoinDevicePath(u"\\Data", u"a.scope_ks"), u"\\Data\\a.scope_ks");
    EXPECT_EQ(JoinPcPath("/out/", "a.scope_ks"), "/out/a.scope_ks");
    EXPECT_EQ(JoinPcPath("/out", "a.scope_ks"), "/out/a.scope_ks");
}

TEST(FileKind, FollowsTheExtensionIgnoringCase) {
    const struct {
        const char16_t* name;
        int code;
        const char* text;
    } cases[] = {
        {u"data.scope_ks", 5, "Kiro-SCAN File"},
        {u"DATA.SCOPE_KS", 5, "Kiro-SCAN File"},
        {u"x.backgrounddark_ks", 5, "Kiro-SCAN File"},
        {u"run.log_ks", 19, "Kiro-SCAN Log"},
        {u"run.app_log_ks", 18, "Kiro-SCAN App Log"},
        {u"run.experiment_ks", 17, "Kiro-SCAN Experiment"},
        {u"m.method_ks", 20, "Kiro-SCAN Method"},
        {u"c.cal_ks", 21, "Kiro-SCAN Calibration"},
        {u"d.diag_ks", 22, "Kiro-SCAN Diagnostics"},
        {u"k.dll", 6, "Application Extension"},
        {u"k.exe", 7, "Application"},
        {u"k.DRV", 8, "System File"},
        {u"k.2bp", 9, "Bitmap Image"},
        {u"k.cpl", 10, "Control Panel Applet"},
        {u"k.pwi", 11, "InkWriter Document"},
        {u"k.htp", 12, "HTML Document"},
        {u"k.gif", 13, "GIF Image"},
        {u"k.lnk", 14, "Shortcut"},
        {u"k.ttf", 15, "TrueType Font"},
        {u"k.wav", 16, "Sound File"},
        {u"notes.txt", 4, "TXT file"},
        {u"README", 4, "README file"},
        {u"ends.", 4, " file"},
        {u"archive.tar.gz", 4, "GZ file"},
        {u"spectrum.irradiance_ks", 4, "IRRADIANCE_KS file"},
    };
    for (const auto& c : cases) {
        const DeviceFileKind kind = GetFileKind(c.name);
        EXPECT_EQ(kind.code, c.code) << c.text;
        EXPECT_EQ(kind.text, c.text);
    }
}

TEST(FileKind, BoundsTheTextOfALongExtension) {
    const DeviceFileKind kind = GetFileKind(u"a." + std::u16string(250, u'q'));
    EXPECT_EQ(kind.code, 4);
    EXPECT_LE(kind.text.size(), kMaxKindTextBytes);
    EXPECT_EQ(kind.text.substr(kind.text.size() - 5), " file");
}

TEST(FileKind, NeverConvertsExperimentsAndLogs) {
    EXPECT_TRUE(IsNeverConverted(17));
    EXPECT_TRUE(IsNeverConverted(18));
    EXPECT_TRUE(IsNeverConverted(19));
    EXPECT_FALSE(IsNeverConverted(5));
    EXPECT_FALSE(IsNeverConverted(4));
}

}  // namespace
}  // namespace kiro
