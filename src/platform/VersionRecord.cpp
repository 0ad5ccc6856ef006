#include "platform/VersionRecord.h"

namespace kiro {
namespace {

constexpr std::string_view kRecordFormat = "KiroConv version record 1\n";
constexpr std::size_t kMaxVersionText = 255;

}  // namespace

std::string MakeVersionRecord(const std::vector<VersionValue>& values) {
    std::string record(kRecordFormat);
    for (const VersionValue& value : values) {
        record += value.path;
        record += '=';
        record += std::string_view(value.value).substr(0, value.value.find('\n'));
        record += '\n';
    }
    return record;
}

std::optional<std::string> QueryVersionValue(std::string_view record, std::string_view valuePath) {
    if (!record.starts_with(kRecordFormat)) {
        return std::nullopt;
    }
    record.remove_prefix(kRecordFormat.size());
    std::optional<std::string> found;
    // Every line is checked, so a damaged record is refused as a whole rather than
    // read as far as it happens to make sense.
    while (!record.empty()) {
        const std::size_t end = record.find('\n');
        if (end == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view line = record.substr(0, end);
        record.remove_prefix(end + 1);
        const std::size_t equals = line.find('=');
        if (!line.starts_with('\\') || equals == std::string_view::npos) {
            return std::nullopt;
        }
        if (!found && line.substr(0, equals) == valuePath) {
            found = std::string(line.substr(equals + 1));
        }
    }
    return found;
}

std::string ReadFileVersion(std::string_view record) {
    std::string version =
        QueryVersionValue(record, "\\StringFileInfo\\040904b0\\FileVersion").value_or("");
    if (version.size() > kMaxVersionText) {
        version.resize(kMaxVersionText);
    }
    return version;
}

}  // namespace kiro
