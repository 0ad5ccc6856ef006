#include "conversion/OutputNaming.h"

#include <gtest/gtest.h>

namespace kiro {
namespace {

TEST(OutputNaming, NamesTheOutputByKindAndFormat) {
    EXPECT_EQ(OutputPathFor("C:\\data\\run1.scope_ks", kFormatTab), "C:\\data\\run1.scope");
    EXPECT_EQ(OutputPathFor("C:\\data\\run1.scope_ks", kFormatKiroBench),
              "C:\\data\\run1.Master.scope");
    EXPECT_EQ(OutputPathFor("C:\\data\\run1.scope_ks", kFormatSpc), "C:\\data\\run1.scope.spc");
    EXPECT_EQ(OutputPathFor("d.dark_ks", kFormatComma), "d.dark");
    EXPECT_EQ(OutputPathFor("s.sample_ks", kFormatSpc), "s.scope.spc");
    EXPECT_EQ(OutputPathFor("b.backgrounddark_ks", kFormatKiroBench), "b.Master.scope");
    EXPECT_EQ(OutputPathFor(".scope_ks", kFormatTab), ".scope");
    for (const char* kind : {"SCOPE_KS", "Scope_ks", "irradiance_ks", "txt", "", "scope_ks ",
                             "log_ks", "experiment_ks"}) {
        EXPECT_FALSE(OutputSuffixFor(kind, kFormatTab).has_value()) << kind;
    }
}

TEST(OutputNaming, KindIsTakenAfterTheLastDotOfTheWholePath) {
    EXPECT_EQ(SplitSourcePath("C:\\data\\run.1\\scan.dark_ks").kind, "dark_ks");
    EXPECT_EQ(SplitSourcePath("C:\\data\\run.1\\scan").kind, "1\\scan");
    EXPECT_EQ(SplitSourcePath("noextension").base, "");
    EXPECT_EQ(SplitSourcePath("noextension").kind, "noextension");
    EXPECT_FALSE(OutputPathFor("/data/run.1/plain", kFormatTab).has_value());
    EXPECT_EQ(OutputPathFor("/data/run.1/a.dark_ks", kFormatTab), "/data/run.1/a.dark");
}

}  // namespace
}  // namespace kiro
