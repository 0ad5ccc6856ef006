// The PC-side commands in the real window: Convert Local Files with its overwrite
// question and its list of files not converted, and the log they write.
#include <wx/msgdlg.h>
#include <wx/statusbr.h>

#include <filesystem>

#include "DialogTesting.h"
#include "FrameFixture.h"
#include "testdata/DeviceFileWriter.h"
#include "ui/CommandIds.h"

namespace kiro::test {
namespace {

namespace fs = std::filesystem;
using Box = wxExpectModal<wxMessageDialog>;

class PcCommandsTest : public CFrameFixture {
protected:
    std::string StatusText() { return m_frame->GetStatusBar()->GetStatusText(0).utf8_string(); }
};

TEST_F(PcCommandsTest, ConvertLocalFilesAsksListsWhatFailedAndLogsTheRest) {
    CTempDir pc;
    const fs::path log = pc / "LogFile.log";
    WriteConfigFile("[Settings]\nLogEvents=1\nLogFileName=" + log.string() + "\n");
    OpenFrame();
    for (const char* name : {"lamp.scope_ks", "dark.dark_ks"}) {
        testdata::MakeLampSpectrum(3).WriteTo(pc / name);
    }
    WriteFileBytes(pc / "broken.scope_ks", "not a spectrum");
    WriteFileBytes(pc / "dark.dark", "the user's own earlier output");

    m_dialogs.answers = {(pc / "lamp.scope_ks") + "\n" + (pc / "dark.dark_ks") + "\n" +
                         (pc / "broken.scope_ks")};
    wxTEST_DIALOG(Command(kIdConvertLocalFiles),
                  Box(wxID_NO).Describe("dark.dark exists.  Overwrite?"),
                  Box(wxID_OK).Describe("the list of files not converted"));
    EXPECT_EQ(m_dialogs.titles, std::vector<std::string>{"Convert Local Kiro-SCAN Files"});
    EXPECT_TRUE(fs::exists(pc / "lamp.scope"));
    EXPECT_EQ(ReadFileBytes(pc / "dark.dark"), "the user's own earlier output");
    EXPECT_FALSE(fs::exists(pc / "broken.scope"));
    EXPECT_EQ(StatusText(), "For Help, press F1");

    const std::string text = ReadFileBytes(log);
    EXPECT_NE(text.find("converted file " + (pc / "lamp.scope_ks")), std::string::npos);
    EXPECT_EQ(text.find("converted file " + (pc / "broken.scope_ks")), std::string::npos);
}

TEST_F(PcCommandsTest, ALogThatCannotBeCreatedShowsAsOffUntilTriedAgain) {
    CTempDir pc;
    const fs::path missing = pc.Path() / "no such folder" / "LogFile.log";
    WriteConfigFile("[Settings]\nLogEvents=1\nLogFileName=" + missing.string() + "\n");
    wxTEST_DIALOG(OpenFrame(), Box(wxID_OK).Describe("the log file cannot be created"));
    EXPECT_FALSE(MenuChecked(kIdLogEnabled));
    EXPECT_FALSE(fs::exists(missing));
    // Once the folder is there, one click on the unchecked item logs again.
    fs::create_directory(missing.parent_path());
    Command(kIdLogEnabled);
    EXPECT_TRUE(MenuChecked(kIdLogEnabled));
    EXPECT_TRUE(fs::exists(missing));
}

}  // namespace
}  // namespace kiro::test
