#include "platform/VersionRecord.h"

#include <gtest/gtest.h>

namespace kiro {
namespace {

const std::string kFileVersionPath = "\\StringFileInfo\\040904b0\\FileVersion";

const std::vector<VersionValue> kValues = {
    {"\\VarFileInfo\\Translation", "0409 04b0"},
    {"\\StringFileInfo\\040904b0\\Comments", ""},
    {kFileVersionPath, "1.0.0.1"},
    {"\\StringFileInfo\\040904b0\\LegalCopyright", "(C) A=B\nsecond line"},
};

TEST(VersionRecord, ValuesReadBackByTheirExactPathFromAnIntactRecordOnly) {
    const std::string record = MakeVersionRecord(kValues);
    EXPECT_EQ(ReadFileVersion(record), "1.0.0.1");
    EXPECT_EQ(QueryVersionValue(record, "\\StringFileInfo\\040904b0\\Comments"), "");
    EXPECT_EQ(QueryVersionValue(record, "\\StringFileInfo\\040904b0\\LegalCopyright"), "(C) A=B");
    EXPECT_EQ(QueryVersionValue(record, "\\StringFileInfo\\040704b0\\FileVersion"), std::nullopt);
    EXPECT_EQ(QueryVersionValue(record, "\\StringFileInfo\\040904b0\\FileVersio"), std::nullopt);
    EXPECT_EQ(ReadFileVersion(MakeVersionRecord({{kFileVersionPath, std::string(300, '7')}})),
              std::string(255, '7'));

    // A record damaged anywhere, or without the value, gives no version at all.
    const std::string damaged[] = {
        "",
        record.substr(0, record.size() - 1),   // last line cut short
        record.substr(record.find('\n') + 1),  // no format line
        "KiroConv version record 2" + record.substr(record.find('\n')),
        record + "a line without a path\n",
        MakeVersionRecord({{"\\VarFileInfo\\Translation", "0409 04b0"}}),
        record.substr(0, record.find(kFileVersionPath)) + kFileVersionPath + "\n",
    };
    for (const std::string& broken : damaged) {
        EXPECT_EQ(ReadFileVersion(broken), "") << broken;
    }
}

}  // namespace
}  // namespace kiro
