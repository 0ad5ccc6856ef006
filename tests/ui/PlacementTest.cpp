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
        ASSERT_TRUE(WaitForWindowManager(0)) << "placement tests need a window manager";
    }

    std::string StoredPlacement() { return Stored("MainWindowSize/WindowPos"); }
    // Waits until the window manager has put the window there.
    static bool ShownAt(CMainFrame& frame, const wxRect& rect) {
        return IdleUntil([&] { return frame.GetRect() == rect; }, 2);
    }
};

TEST_F(PlacementTest, ClosesKeepTheNormalRectangleAndUnusablePlacementsAreNotObeyed) {
    const wxSize firstStart = OpenFrame().GetSize();
    CloseFrame();
    WriteSettings("[MainWindowSize]\nWindowPos=0,1,10,10\n");
    EXPECT_EQ(OpenFrame().GetSize(), firstStart);
    CloseFrame();
    WriteSettings("[MainWindowSize]\nWindowPos=0,1,-1,-1,-1,-1,9000,9000,9600,9400\n");
    CMainFrame& offScreen = OpenFrame();
    const wxRect screen = wxDisplay(0u).GetClientArea();
    EXPECT_TRUE(IdleUntil([&] { return screen.Contains(offScreen.GetRect()); }, 2));
    EXPECT_EQ(offScreen.GetSize(), wxSize(600, 400));
    CloseFrame();

    WriteSettings("[MainWindowSize]\nWindowPos=0,1,-1,-1,-1,-1,10,10,610,410\n");
    CMainFrame& frame = OpenFrame();
    EXPECT_TRUE(ShownAt(frame, {10, 10, 600, 400}))
        << frame.GetRect().x << "," << frame.GetRect().y << " " << frame.GetRect().width << "x"
        << frame.GetRect().height;
    frame.SetSize(wxRect(40, 50, 700, 500));
    EXPECT_TRUE(ShownAt(frame, {40, 50, 700, 500}));
    CloseFrame();
    EXPECT_EQ(StoredPlacement(), "0,1,-1,-1,-1,-1,40,50,740,550");

    CMainFrame& again = OpenFrame();
    ASSERT_TRUE(ShownAt(again, {40, 50, 700, 500}));
    again.Maximize();
    ASSERT_TRUE(IdleUntil([&] { return again.IsMaximized(); }, 2));
    CloseFrame();
    EXPECT_EQ(StoredPlacement(), "2,3,-1,-1,-1,-1,40,50,740,550");

    // It starts maximised, and restoring it gives the normal rectangle back.
    CMainFrame& maximised = OpenFrame();
    EXPECT_TRUE(IdleUntil([&] { return maximised.IsMaximized(); }, 2));
    maximised.Maximize(false);
    EXPECT_TRUE(ShownAt(maximised, {40, 50, 700, 500}));
    maximised.Iconize();
    ASSERT_TRUE(IdleUntil([&] { return maximised.IsIconized(); }, 2));
    CloseFrame();
    EXPECT_EQ(StoredPlacement(), "0,2,-1,-1,-1,-1,40,50,740,550");
    // A minimised close starts as a normal window.
    CMainFrame& normal = OpenFrame();
    EXPECT_TRUE(IdleUntil([&] { return normal.IsShown() && !normal.IsIconized(); }, 2));
    EXPECT_FALSE(normal.IsMaximized());
}

}  // namespace
}  // namespace kiro::test
