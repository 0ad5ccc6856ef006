// Names and texts that cross the boundary to the handheld: UTF-8/UTF-16 conversion,
// file kinds, the safe-name rule and path joining, the date and size columns. Each
// is checked against a property that holds for every input, not only for "no crash".
//
// Input: a name, a folder and a file time, taken apart by FuzzedDataProvider. The
// name's bytes are tried both as UTF-8 and as UTF-16 (little-endian pairs).

#include <fuzzer/FuzzedDataProvider.h>

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "devicelink/DateAndSizeTexts.h"
#include "devicelink/DeviceLink.h"
#include "devicelink/FileKinds.h"
#include "devicelink/PathJoining.h"
#include "platform/Utf16.h"
#include "sim/SimFileSystem.h"

namespace {

namespace fs = std::filesystem;
using kiro::fuzz::Require;

bool InRange(unsigned byte, unsigned low, unsigned high) {
    return byte >= low && byte <= high;
}

// The well-formed UTF-8 byte sequences, straight from Unicode's table of them;
// counts the UTF-16 units the text needs. Nothing when the text is malformed.
std::optional<std::size_t> WellFormedUtf8Units(std::string_view text) {
    std::size_t units = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto at = [&](std::size_t k) {
            return i + k < text.size() ? unsigned{static_cast<unsigned char>(text[i + k])} : 0u;
        };
        const unsigned lead = at(0);
        const auto tail = [&](std::size_t k) { return InRange(at(k), 0x80, 0xBF); };
        std::size_t length = 0;
        if (lead <= 0x7F) {
            length = 1;
        } else if (InRange(lead, 0xC2, 0xDF) && tail(1)) {
            length = 2;
        } else if ((lead == 0xE0 && InRange(at(1), 0xA0, 0xBF) && tail(2)) ||
                   ((InRange(lead, 0xE1, 0xEC) || InRange(lead, 0xEE, 0xEF)) && tail(1) &&
                    tail(2)) ||
                   (lead == 0xED && InRange(at(1), 0x80, 0x9F) && tail(2))) {
            length = 3;
        } else if ((lead == 0xF0 && InRange(at(1), 0x90, 0xBF) && tail(2) && tail(3)) ||
                   (InRange(lead, 0xF1, 0xF3) && tail(1) && tail(2) && tail(3)) ||
                   (lead == 0xF4 && InRange(at(1), 0x80, 0x8F) && tail(2) && tail(3))) {
            length = 4;
        } else {
            return std::nullopt;
        }
        units += length == 4 ? 2 : 1;
        i += length;
    }
    return units;
}

bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

bool WellFormedUtf16(std::u16string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsLowSurrogate(text[i])) {
            return false;
        }
        if (IsHighSurrogate(text[i])) {
            if (i + 1 == text.size() || !IsLowSurrogate(text[i + 1])) {
                return false;
            }
            ++i;
        }
    }
    return true;
}

std::u16string AsUtf16(std::string_view bytes) {
    std::u16string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    return text;
}

void CheckUtf8RoundTrip(const std::string& text) {
    const auto wide = kiro::Utf8ToUtf16(text);
    const auto expectedUnits = WellFormedUtf8Units(text);
    Require(wide.has_value() == expectedUnits.has_value(),
            "exactly the well-formed UTF-8 texts convert");
    if (!wide) {
        return;
    }
    Require(wide->size() == *expectedUnits, "one unit per character, two above U+FFFF");
    Require(kiro::Utf16ToUtf8(*wide) == text, "UTF-8 -> UTF-16 -> UTF-8 gives the text back");
    Require(kiro::Utf16ToUtf8Lossy(*wide) == text, "a convertible text is shown unchanged");
}

void CheckUtf16RoundTrip(const std::u16string& text) {
    const auto narrow = kiro::Utf16ToUtf8(text);
    Require(narrow.has_value() == WellFormedUtf16(text),
            "exactly the texts without unpaired surrogates convert");
    const std::string shown = kiro::Utf16ToUtf8Lossy(text);
    Require(WellFormedUtf8Units(shown).has_value(), "the text shown is always valid UTF-8");
    if (!narrow) {
        Require(shown.find("\xEF\xBF\xBD") != std::string::npos,
                "an unconvertible unit is shown as U+FFFD");
        return;
    }
    Require(shown == *narrow, "a convertible text is shown as converted");
    Require(kiro::Utf8ToUtf16(*narrow) == text, "UTF-16 -> UTF-8 -> UTF-16 gives the text back");
}

std::u16string AsciiUpper(std::u16string text) {
    for (char16_t& unit : text) {
        if (unit >= u'a' && unit <= u'z') {
            unit = static_cast<char16_t>(unit - u'a' + u'A');
        }
    }
    return text;
}

bool SameKind(const kiro::DeviceFileKind& a, const kiro::DeviceFileKind& b) {
    return a.code == b.code && a.text == b.text;
}

void CheckFileKind(const std::u16string& name) {
    const kiro::DeviceFileKind kind = kiro::GetFileKind(name);
    Require(!kind.text.empty() && kind.text.size() <= kiro::kMaxKindTextBytes,
            "the kind text fits its 200-character buffer");
    Require(WellFormedUtf8Units(kind.text).has_value(), "the kind text is valid UTF-8");
    Require(SameKind(kiro::GetFileKind(AsciiUpper(name)), kind), "the kind ignores letter case");
    // Without a dot the whole name is the extension, so a leading "x." never changes it.
    Require(SameKind(kiro::GetFileKind(u"x." + name), kind),
            "the kind depends on the extension alone");
}

// A safe name joined to a folder names an entry of that very folder.
void CheckPcJoinStaysInside(const std::string& name) {
    for (const char* folder : {"/tmp/kiroconv-out", "/tmp/kiroconv-out/", "out", "/"}) {
        const fs::path joined = kiro::JoinPcPath(folder, name);
        const fs::path relative =
            joined.lexically_normal().lexically_relative(fs::path(folder).lexically_normal());
        Require(relative == fs::path(name), "a safe name never leaves its PC folder");
    }
}

// The handheld's own path check must accept what the link sends for a safe name, and
// must confine whatever it accepts.
void CheckDeviceJoinStaysInside(const std::u16string& name) {
    const std::u16string path = kiro::JoinDevicePath(u"\\Data", name);
    const auto relative = kiro::sim::RelativeDevicePath(path);
    const auto narrow = kiro::Utf16ToUtf8(name);
    if (narrow && path.size() <= kiro::kMaxPathChars && narrow->size() <= 255) {
        Require(relative == "Data/" + *narrow, "the handheld serves a safe name in its folder");
    }
}

void CheckConfinedDevicePath(const std::u16string& text) {
    const auto relative = kiro::sim::RelativeDevicePath(u"\\" + text);
    if (!relative) {
        return;
    }
    Require(!relative->empty() && relative->front() != '/',
            "an accepted device path is relative to the root");
    const fs::path path(*relative);
    for (const fs::path& part : path) {
        Require(part != ".." && (part != "." || *relative == "."),
                "an accepted device path never climbs out of the root");
    }
}

void CheckJoinSeparators(const std::string& folder, const std::string& name) {
    const std::string joined = kiro::JoinPcPath(folder, name);
    const bool hasSeparator = !folder.empty() && folder.back() == '/';
    Require(joined == folder + (hasSeparator ? "" : "/") + name,
            "PC paths join with exactly one separator");
    const std::u16string wideFolder = AsUtf16(folder);
    const std::u16string wideName = AsUtf16(name);
    const bool hasBackslash = !wideFolder.empty() && wideFolder.back() == u'\\';
    Require(kiro::JoinDevicePath(wideFolder, wideName) ==
                wideFolder + (hasBackslash ? u"" : u"\\") + wideName,
            "device paths join with exactly one separator");
}

void CheckDeviceColumns(std::uint32_t low, std::uint32_t high) {
    const std::string date = kiro::FormatDeviceDate({low, high});
    unsigned month = 0;
    unsigned day = 0;
    long long year = 0;
    unsigned hour = 0;
    unsigned minute = 0;
    unsigned second = 0;
    char half[3] = {};
    int consumed = 0;
    const int fields = std::sscanf(date.c_str(), "%u/%u/%lld  %u:%u:%u %2[AP]M%n", &month, &day,
                                   &year, &hour, &minute, &second, half, &consumed);
    Require(fields == 7 && static_cast<std::size_t>(consumed) == date.size(),
            "the date reads M/D/Y  h:m:s AM|PM");
    Require(month >= 1 && month <= 12 && day >= 1 && day <= 31 && year >= 1601 && hour >= 1 &&
                hour <= 12 && minute < 60 && second < 60,
            "every date field is in range");
    char expectedSize[32];
    std::snprintf(expectedSize, sizeof expectedSize, "%" PRIu32 " bytes", low);
    Require(kiro::FormatDeviceSize(low) == expectedSize, "sizes are shown unsigned");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string name = input.ConsumeRandomLengthString(600);
    const std::string folder = input.ConsumeRandomLengthString(300);
    const auto timeLow = input.ConsumeIntegral<std::uint32_t>();
    const auto timeHigh = input.ConsumeIntegral<std::uint32_t>();
    const std::u16string wideName = AsUtf16(name);

    CheckUtf8RoundTrip(name);
    CheckUtf16RoundTrip(wideName);
    CheckFileKind(wideName);
    if (const auto narrow = kiro::Utf16ToUtf8(wideName)) {
        Require(kiro::IsSafeFileName(wideName) == kiro::IsSafeFileName(*narrow),
                "a name is as safe in UTF-16 as in UTF-8");
    }
    if (kiro::IsSafeFileName(name)) {
        CheckPcJoinStaysInside(name);
    }
    if (kiro::IsSafeFileName(wideName)) {
        CheckDeviceJoinStaysInside(wideName);
    }
    CheckConfinedDevicePath(wideName);
    CheckJoinSeparators(folder, name);
    CheckDeviceColumns(timeLow, timeHigh);
    return 0;
}
