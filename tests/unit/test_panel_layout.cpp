#include "app/panel_layout.h"

#include <gtest/gtest.h>

namespace {

// The order in which the program places them: the first of each side,
// then the ones that follow.
enum { DEMOGRAPHICS, QUESTION, GIS, INFO, PANELS };

// The panels' sizes in pixels at 96 and at 144 dots per inch.
const PanelRequest at_96_dpi[PANELS] = {
    {251, 375, SIDE_RIGHT}, {725, 103, SIDE_BELOW}, {172, 196, SIDE_RIGHT}, {316, 305, SIDE_BELOW}};
const PanelRequest at_144_dpi[PANELS] = {
    {374, 560, SIDE_RIGHT}, {1085, 151, SIDE_BELOW}, {256, 291, SIDE_RIGHT}, {471, 454, SIDE_BELOW}};

struct Screen {
    const char *name;
    ScreenRect work;
    ScreenRect main;
    int32_t client_top;
    const PanelRequest *panels;
    const char *beside;  // per panel: '+' finds room beside the main window, '-' covers the map
};

const Screen screens[] = {
    {"1280 x 1024", {0, 0, 1280, 1024}, {0, 0, 1024, 768}, 42, at_96_dpi, "+++-"},
    {"1024 x 768", {0, 0, 1024, 768}, {0, 0, 1024, 768}, 42, at_96_dpi, "----"},
    {"1920 x 1080", {0, 0, 1920, 1080}, {0, 0, 1024, 768}, 42, at_96_dpi, "++++"},
    {"1366 x 768 above a taskbar", {0, 0, 1366, 728}, {0, 0, 1024, 768}, 42, at_96_dpi, "+-+-"},
    {"main window against the right edge", {0, 0, 1280, 1024}, {256, 0, 1280, 768}, 42, at_96_dpi, "+++-"},
    {"second monitor", {1280, 0, 2560, 984}, {1300, 10, 2324, 778}, 52, at_96_dpi, "-++-"},
    {"1280 x 1024 at 144 dpi", {0, 0, 1280, 1024}, {0, 0, 1024, 768}, 60, at_144_dpi, "-+--"},
    {"1920 x 1200 at 144 dpi", {0, 0, 1920, 1200}, {0, 0, 1024, 768}, 60, at_144_dpi, "++++"},
    {"800 x 600", {0, 0, 800, 600}, {0, 0, 1024, 768}, 42, at_96_dpi, "----"},
};

ScreenRect rect_of(const PanelPosition &at, const PanelRequest &request)
{
    return {at.x, at.y, at.x + request.width, at.y + request.height};
}

bool meet(const ScreenRect &a, const ScreenRect &b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

TEST(PanelLayout, PanelsStayOnScreenApartAndOffTheBarsAndBesideWhereThereIsRoom)
{
    for (const Screen &s : screens) {
        SCOPED_TRACE(s.name);
        PanelPosition at[PANELS];
        place_panels_apart(&s.work, &s.main, s.client_top, s.panels, PANELS, at);
        const ScreenRect bars = {s.main.left, s.main.top, s.main.right, s.client_top};
        for (int p = 0; p < PANELS; p++) {
            ScreenRect r = rect_of(at[p], s.panels[p]);
            EXPECT_TRUE(r.left >= s.work.left && r.right <= s.work.right && r.top >= s.work.top &&
                        r.bottom <= s.work.bottom)
                << "panel " << p << " leaves the work area";
            EXPECT_FALSE(meet(r, bars)) << "panel " << p << " covers the title or menu bar";
            for (int q = 0; q < p; q++)
                EXPECT_FALSE(meet(r, rect_of(at[q], s.panels[q]))) << "panels " << q << " and " << p;
            EXPECT_EQ(s.beside[p] == '+', !meet(r, s.main)) << "panel " << p << " and the main window";
        }
    }
}

TEST(PanelLayout, RightColumnAndBottomRowInTheirOrder)
{
    // Room on both sides: Demographics, then GIS, down the right edge of
    // the main window; Question, then Info, along its bottom.
    const ScreenRect work = {0, 0, 1920, 1200};
    const ScreenRect main = {0, 0, 1024, 768};
    PanelPosition at[PANELS];
    place_panels_apart(&work, &main, 42, at_96_dpi, PANELS, at);
    const PanelPosition want[PANELS] = {{1024, 0}, {0, 768}, {1024, 375}, {725, 768}};
    for (int p = 0; p < PANELS; p++) {
        EXPECT_EQ(want[p].x, at[p].x) << p;
        EXPECT_EQ(want[p].y, at[p].y) << p;
    }

    // No room at all: over the map, Demographics in its top right corner
    // under the menu bar, Question at its bottom left.
    const ScreenRect small = {0, 0, 1024, 768};
    place_panels_apart(&small, &main, 42, at_96_dpi, PANELS, at);
    EXPECT_EQ(1024 - 251, at[DEMOGRAPHICS].x);
    EXPECT_EQ(42, at[DEMOGRAPHICS].y);
    EXPECT_EQ(0, at[QUESTION].x);
    EXPECT_EQ(768 - 103, at[QUESTION].y);
}
