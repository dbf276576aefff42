#include "support/GraphPaneFixture.h"

namespace {

using CursorOverlayTest = GraphPaneFixture;

// The read-out's text is the engine's (CursorReadout); here the pane's part: grabbing a
// line, and reading the series the project list selects.
TEST_F(CursorOverlayTest, DragAndReadTheSelectedSeries)
{
    CursorOverlay& cursors = panel->Cursors();
    int selected = -1;
    cursors.SetSelectedSeriesSource([&] { return selected; });
    cursors.Show(true);
    EXPECT_NEAR(530.0 / 3, cursors.GetX(0), 1e-9);
    EXPECT_NEAR(530.0 * 2 / 3, cursors.GetX(1), 1e-9);

    // Drag A (pixel 100 + 176.67) to pixel 150 (x = 50); a press elsewhere still pans.
    Mouse(wxEVT_LEFT_DOWN, 278, 200, wxMOUSE_BTN_LEFT);
    Mouse(wxEVT_MOTION, 150, 200, wxMOUSE_BTN_LEFT);
    Mouse(wxEVT_LEFT_UP, 150, 200);
    EXPECT_EQ(50, cursors.GetX(0));
    EXPECT_EQ("0 530 0 420", Range());
    EXPECT_FALSE(panel->GraphWindow()->HasCapture());
    cursors.SetX(1, 250);
    EXPECT_EQ(4u, cursors.Readout(panel->GetRenderInfo()).size());
    selected = 0;
    EXPECT_EQ("N = 2", cursors.Readout(panel->GetRenderInfo()).back());
}

} // namespace
