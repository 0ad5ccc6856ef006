#include "platform/ProgramVersion.h"

#include <cstdio>
#include <string>
#include <vector>

#include "KiroConvVersion.h"
#include "platform/VersionRecord.h"

namespace kiro {

namespace {

std::string ComposeBuiltInRecord() {
    const std::string table = "\\StringFileInfo\\" + std::string(version::kStringTableName) + "\\";
    std::vector<VersionValue> values;
    char translation[16];
    std::snprintf(translation, sizeof translation, "%04x %04x", version::kLanguage,
                  version::kCodePage);
    values.push_back({"\\VarFileInfo\\Translation", translation});
    for (const version::VersionString& entry : version::kStringTable) {
        values.push_back({table + std::string(entry.key), std::string(entry.value)});
    }
    return MakeVersionRecord(values);
}

}  // namespace

std::string_view BuiltInVersionRecord() {
    static const std::string record = ComposeBuiltInRecord();
    return record;
}

std::string VersionText(std::string_view programName, std::string_view versionRecord) {
    return std::string(programName) + " " + ReadFileVersion(versionRecord) + "\n" +
           std::string(version::kLicenceNotice);
}

}  // namespace kiro
