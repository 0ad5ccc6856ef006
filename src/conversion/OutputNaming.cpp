#include "conversion/OutputNaming.h"

#include <array>

#include "platform/FileCalls.h"

namespace kiro {
namespace {

struct KindSuffixes {
    std::string_view kind;
    std::string_view kiroBench;
    std::string_view other;
};

constexpr std::array<KindSuffixes, 8> kConvertibleKinds = {{
    {"scope_ks", ".Master.scope", ".scope"},
    {"absorbance_ks", ".Master.absorbance", ".absorbance"},
    {"transmission_ks", ".Master.transmission", ".transmission"},
    {"dark_ks", ".Master.dark", ".dark"},
    {"reference_ks", ".Master.reference", ".reference"},
    {"background_ks", ".Master.scope", ".scope"},
    {"backgrounddark_ks", ".Master.scope", ".scope"},
    {"sample_ks", ".Master.scope", ".scope"},
}};

}  // namespace

std::optional<std::string_view> OutputSuffixFor(std::string_view kind, OutputFormat format) {
    for (const KindSuffixes& entry : kConvertibleKinds) {
        if (entry.kind == kind) {
            return RowOf(format).suffixRule == SuffixRule::KiroBench ? entry.kiroBench
                                                                     : entry.other;
        }
    }
    return std::nullopt;
}

SourceNameParts SplitSourcePath(const std::string& sourcePath) {
    const std::size_t dot = sourcePath.rfind('.');
    if (dot == std::string::npos) {
        return {"", sourcePath};
    }
    return {sourcePath.substr(0, dot), sourcePath.substr(dot + 1)};
}

std::optional<std::string> OutputPathFor(const std::string& sourcePath, OutputFormat format,
                                         const std::string& outputFolder) {
    const SourceNameParts parts = SplitSourcePath(sourcePath);
    const auto suffix = OutputSuffixFor(parts.kind, format);
    if (!suffix) {
        return std::nullopt;
    }
    std::string output = parts.base;
    output += *suffix;
    output += RowOf(format).extension;
    if (outputFolder.empty()) {
        return output;
    }
    return Utf8FromPath(PathFromUtf8(outputFolder) / PathFromUtf8(output).filename());
}

}  // namespace kiro
