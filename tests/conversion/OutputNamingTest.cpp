#include "conversion/OutputNaming.h"

#include <gtest/gtest.h>

namespace kiro {
namespace {

TEST(OutputSuffix, EveryConvertibleKindHasBothSuffixes) {
    const struct {
        const char* kind;
        const char* kiroBench;
        const char* other;
    } table[] = {
        {"scope_ks", ".Master.scope", ".scope"},
        {"absorbance_ks", ".Master.absorbance", ".absorbance"},
        {"transmission_ks", ".Master.transmission", ".transmission"},
        {"dark_ks", ".Master.dark", ".dark"},
        {"reference_ks", ".Master.reference", ".reference"},
        {"background_ks", ".Master.scope", ".scope"},
        {"backgrounddark_ks", ".Master.scope", ".scope"},
        {"sample_ks", ".Master.scope", ".scope"},
    };
    for (const auto& row : table) {
        EXPECT_EQ(OutputSuffixFor(row.kind, kFormatKiroBench), row.kiroBench) << row.kind;
        for (unsigned format : {kFormatTab, kFormatComma, kFormatSpc}) {
            EXPECT_EQ(OutputSuffixFor(row.kind, format), row.other) << row.kind;
        }
    }
}

TEST(OutputSuffix, OtherKindsDoNotConvert) {
    for (const char* kind : {"SCOPE_KS", "Scope_ks", "irradiance_ks", "txt", "", "scope_ks ",
                             "log_ks", "experiment_ks"}) {
        EXPECT_FALSE(OutputSuffixFor(kind, kFormatTab).has_value()) << kind;
    }
}

TEST(OutputPath, KindIsTakenAfterTheLastDotOfTheWholePath) {
    EXPECT_EQ(SplitSourcePath("C:\\data\\run.1\\scan.dark_ks").kind, "dark_ks");
    EXPECT_EQ(SplitSourcePath("C:\\data\\run.1\\scan").kind, "1\\scan");
    EXPECT_EQ(SplitSourcePath("noextension").base, "");
    EXPECT_EQ(SplitSourcePath("noextension").kind, "noextension");
    EXPECT_FALSE(OutputPathFor("/data/run.1/plain", kFormatTab).has_value());
    EXPECT_EQ(OutputPathFor("/data/run.1/a.dark_ks", kFormatTab), "/data/run.1/a.dark");
}

TEST(OutputPath, NamesTheOutputByFormat) {
    EXPECT_EQ(OutputPathFor("C:\\data\\run1.scope_ks", kFormatTab), "C:\\data\\run1.scope");
    EXPECT_EQ(OutputPathFor("C:\\data\\run1.scope_ks", kFormatComma), "C:\\data\\run1.scope");
    EXPECT_EQ(OutputPathFor("C:\\data\\run1.scope_ks", kFormatKiroBench),
              "C:\\data\\run1.Master.scope");
    EXPECT_EQ(OutputPathFor("C:\\data\\run1.scope_ks", kFormatSpc), "C:\\data\\run1.scope.spc");
    EXPECT_EQ(OutputPathFor("s.sample_ks", kFormatSpc), "s.scope.spc");
    EXPECT_EQ(OutputPathFor(".scope_ks", kFormatTab), ".scope");
}

TEST(OutputDescription, NamesEachFormat) {
    EXPECT_EQ(OutputFormatDescription(0), "Tab-delimited ASCII File");
    EXPECT_EQ(OutputFormatDescription(1), "Comma-delimited ASCII File");
    EXPECT_EQ(OutputFormatDescription(2), "KiroBench Data File");
    EXPECT_EQ(OutputFormatDescription(3), "Grams/32-compatible SPC File");
    EXPECT_EQ(OutputFormatDescription(4), "");
}

}  // namespace
}  // namespace kiro
