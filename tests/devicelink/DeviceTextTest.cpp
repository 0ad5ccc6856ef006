#include "devicelink/DeviceText.h"

#include <gtest/gtest.h>

#include "devicelink/FileKinds.h"

namespace kiro {
namespace {

rapi::FILETIME At(long long unixSeconds) {
    const auto ticks = static_cast<std::uint64_t>((unixSeconds + 11644473600LL) * 10000000LL);
    return {static_cast<rapi::DWORD>(ticks), static_cast<rapi::DWORD>(ticks >> 32)};
}

TEST(DeviceText, DatesUseATwelveHourClockWithoutPaddingAndSizesAreUnsigned) {
    const long long newYear2000 = 946684800;
    EXPECT_EQ(FormatDeviceDate({0x56B0A480u, 0x01BEC55Du}), "7/3/1999  2:7:9 PM");
    EXPECT_EQ(FormatDeviceDate(At(newYear2000)), "1/1/2000  12:0:0 AM");
    EXPECT_EQ(FormatDeviceDate(At(newYear2000 + 11 * 3600 + 59 * 60 + 59)),
              "1/1/2000  11:59:59 AM");
    EXPECT_EQ(FormatDeviceDate(At(newYear2000 + 12 * 3600)), "1/1/2000  12:0:0 PM");
    EXPECT_EQ(FormatDeviceDate(At(newYear2000 + 23 * 3600)), "1/1/2000  11:0:0 PM");
    EXPECT_EQ(FormatDeviceDate(At(951782400)), "2/29/2000  12:0:0 AM");
    EXPECT_EQ(FormatDeviceDate({0, 0}), "1/1/1601  12:0:0 AM");
    EXPECT_EQ(FormatDeviceSize(0x80000000u), "2147483648 bytes");
    EXPECT_EQ(FormatDeviceSize(0xFFFFFFFFu), "4294967295 bytes");
    EXPECT_EQ(JoinDevicePath(u"\\", u"a.scope_ks"), u"\\a.scope_ks");
    EXPECT_EQ(JoinDevicePath(u"\\Data", u"a.scope_ks"), u"\\Data\\a.scope_ks");
}

TEST(FileKind, FollowsTheLastExtensionIgnoringCase) {
    const struct {
        const char16_t* name;
        int code;
        const char* text;
    } cases[] = {
        {u"DATA.SCOPE_KS", 5, "Kiro-SCAN File"},
        {u"run.log_ks", 19, "Kiro-SCAN Log"},
        {u"k.DRV", 8, "System File"},
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
    const DeviceFileKind longKind = GetFileKind(u"a." + std::u16string(250, u'q'));
    EXPECT_LE(longKind.text.size(), kMaxKindTextBytes);
    EXPECT_TRUE(longKind.text.ends_with(" file"));

    EXPECT_TRUE(IsNeverConverted(GetFileKind(u"a.experiment_ks").code));
    EXPECT_TRUE(IsNeverConverted(GetFileKind(u"a.app_log_ks").code));
    EXPECT_FALSE(IsNeverConverted(GetFileKind(u"a.scope_ks").code));
}

}  // namespace
}  // namespace kiro
