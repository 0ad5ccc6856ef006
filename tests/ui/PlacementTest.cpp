// Window placement needs a window manager: without one, maximising and minimising do
// nothing. The test run starts one on its virtual display.
#include <wx/display.h>

#include "FrameFixture.h"

namespace kiro::test {
namespace {

class PlacementTest : public CFrameFixture {
protected:
    void SetUp() override {
        CFrameFixture::SetUp();
        ASSERT_TRUE(WindowManagerRunning()) << "placement tests need a window manager";
    }

    std::string StoredPlacement() {
        const std::string text = ConfigFileText();
        const std::size_t at = text.find("WindowPos=");
        return at == std::string::npos ? "" : text.substr(at + 10, text.find('\n', at) - at - 10);
    }

    // Waits until the window manager has carried out a change of state.
    template <typename Condition>
    static bool WaitFor(Condition condition) {
        for (int round = 0; round < 100 && !condition(); ++round) {
            wxMilliSleep(20);
            Idle();
        }
        return condition();
    }
};

TEST_F(PlacementTest, ANormalWindowComesBackWhereItWas) {
    WriteConfigFile("[MainWindowSize]\nWindowPos=0,1,-1,-1,-1,-1,10,10,610,410\n");
    CMainFrame& frame = OpenFrame();
    EXPECT_TRUE(WaitFor([&] { return frame.GetRect() == wxRect(10, 10, 600, 400); }))
        << frame.GetRect().x << "," << frame.GetRect().y << " " << frame.GetRect().width << "x"
        << frame.GetRect().height;

    frame.SetSize(wxRect(40, 50, 700, 500));
    EXPECT_TRUE(WaitFor([&] { return frame.GetRect() == wxRect(40, 50, 700, 500); }));
    CloseFrame();
    EXPECT_EQ(StoredPlacement(), "0,1,-1,-1,-1,-1,40,50,740,550");
    CMainFrame& again = OpenFrame();
    EXPECT_TRUE(WaitFor([&] { return again.GetRect() == wxRect(40, 50, 700, 500); }));
}

TEST_F(PlacementTest, MaximisedAndMinimisedClosesKeepTheNormalRectangle) {
    WriteConfigFile("[MainWindowSize]\nWindowPos=0,1,-1,-1,-1,-1,30,40,630,440\n");
    CMainFrame& frame = OpenFrame();
    ASSERT_TRUE(WaitFor([&] { return frame.GetRect() == wxRect(30, 40, 600, 400); }));
    frame.Maximize();
    ASSERT_TRUE(WaitFor([&] { return frame.IsMaximized(); }));
    CloseFrame();
    EXPECT_EQ(StoredPlacement(), "2,3,-1,-1,-1,-1,30,40,630,440");

    // It starts maximised, and restoring it gives the normal rectangle back.
    CMainFrame& maximised = OpenFrame();
    EXPECT_TRUE(WaitFor([&] { return maximised.IsMaximized(); }));
    maximised.Maximize(false);
    EXPECT_TRUE(WaitFor([&] { return maximised.GetRect() == wxRect(30, 40, 600, 400); }));

    maximised.Iconize();
    ASSERT_TRUE(WaitFor([&] { return maximised.IsIconized(); }));
    CloseFrame();
    EXPECT_EQ(StoredPlacement(), "0,2,-1,-1,-1,-1,30,40,630,440");
    // A minimised close starts as a normal window.
    CMainFrame& normal = OpenFrame();
    EXPECT_TRUE(WaitFor([&] { return normal.IsShown() && !normal.IsIconized(); }));
    EXPECT_FALSE(normal.IsMaximized());
}

TEST_F(PlacementTest, UnusablePlacementsAreIgnoredOrBroughtIntoView) {
    WriteConfigFile("[MainWindowSize]\nWindowPos=0,1,10,10\n");
    const wxSize firstStart = OpenFrame().GetSize();
    CloseFrame();
    WriteConfigFile("[MainWindowSize]\nWindowPos=junk\n");
    EXPECT_EQ(OpenFrame().GetSize(), firstStart);
    CloseFrame();

    WriteConfigFile("[MainWindowSize]\nWindowPos=0,1,-1,-1,-1,-1,9000,9000,9600,9400\n");
    CMainFrame& frame = OpenFrame();
    const wxRect screen = wxDisplay(0u).GetClientArea();
    EXPECT_TRUE(WaitFor([&] { return screen.Contains(frame.GetRect()); }));
    EXPECT_EQ(frame.GetSize(), wxSize(600, 400));
}

}  // namespace
}  // namespace kiro::test
