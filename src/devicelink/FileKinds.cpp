#include "devicelink/FileKinds.h"

#include "platform/UserName.h"
#include "platform/Utf16.h"

namespace kiro {
namespace {

struct KindRow {
    int code;
    std::string_view extension;
    std::string_view text;
};

// In table order: the first matching row decides.
constexpr KindRow kKindRows[] = {
    {5, "scope_ks", "Kiro-SCAN File"},
    {5, "absorbance_ks", "Kiro-SCAN File"},
    {5, "transmission_ks", "Kiro-SCAN File"},
    {5, "dark_ks", "Kiro-SCAN File"},
    {5, "sample_ks", "Kiro-SCAN File"},
    {5, "reference_ks", "Kiro-SCAN File"},
    {5, "background_ks", "Kiro-SCAN File"},
    {5, "backgrounddark_ks", "Kiro-SCAN File"},
    {6, "dll", "Application Extension"},
    {7, "exe", "Application"},
    {8, "sys", "System File"},
    {8, "drv", "System File"},
    {9, "2bp", "Bitmap Image"},
    {9, "bmp", "Bitmap Image"},
    {10, "cpl", "Control Panel Applet"},
    {11, "pwi", "InkWriter Document"},
    {12, "htm", "HTML Document"},
    {12, "htp", "HTML Document"},
    {12, "html", "HTML Document"},
    {13, "gif", "GIF Image"},
    {14, "lnk", "Shortcut"},
    {15, "ttf", "TrueType Font"},
    {16, "wav", "Sound File"},
    {17, "experiment_ks", "Kiro-SCAN Experiment"},
    {18, "app_log_ks", "Kiro-SCAN App Log"},
    {19, "log_ks", "Kiro-SCAN Log"},
    {20, "method_ks", "Kiro-SCAN Method"},
    {21, "cal_ks", "Kiro-SCAN Calibration"},
    {22, "diag_ks", "Kiro-SCAN Diagnostics"},
};

std::string AsciiLower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

std::string AsciiUpper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

}  // namespace

DeviceFileKind GetFileKind(std::u16string_view fileName) {
    const std::string name = AsciiLower(Utf16ToUtf8Lossy(fileName));
    const std::size_t dot = name.rfind('.');
    const std::string extension = dot == std::string::npos ? name : name.substr(dot + 1);
    for (const KindRow& row : kKindRows) {
        if (row.extension == extension) {
            return {row.code, std::string(row.text)};
        }
    }
    const std::string upper = TruncateUtf8(AsciiUpper(extension), kMaxKindTextBytes - 5);
    return {kKindGenericFile, upper + " file"};
}

}  // namespace kiro
