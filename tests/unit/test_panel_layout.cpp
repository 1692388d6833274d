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

// Where the panels go on the two screens the program is shown on: with
// room, Demographics, then GIS, down the main window's right edge and
// Question, then Info, along its bottom; without, the same corners inside
// the main window, under its menu bar.
const PanelPosition on_1280_by_1024[PANELS] = {{1024, 0}, {0, 768}, {1024, 375}, {725, 719}};
const PanelPosition on_1024_by_768[PANELS] = {{773, 42}, {0, 665}, {773, 417}, {457, 360}};

struct Screen {
    const char *name;
    ScreenRect work;
    ScreenRect main;
    int32_t client_top;
    const PanelRequest *panels;
    const char *beside;  // per panel: '+' finds room beside the main window, '-' covers the map
    const PanelPosition *want;
};

const Screen screens[] = {
    {"1280 x 1024", {0, 0, 1280, 1024}, {0, 0, 1024, 768}, 42, at_96_dpi, "+++-", on_1280_by_1024},
    {"1024 x 768", {0, 0, 1024, 768}, {0, 0, 1024, 768}, 42, at_96_dpi, "----", on_1024_by_768},
    {"1366 x 768 above a taskbar", {0, 0, 1366, 728}, {0, 0, 1024, 768}, 42, at_96_dpi, "+-+-",
     nullptr},
    {"main window against the right edge", {0, 0, 1280, 1024}, {256, 0, 1280, 768}, 42, at_96_dpi,
     "+++-", nullptr},
    {"second monitor", {1280, 0, 2560, 984}, {1300, 10, 2324, 778}, 52, at_96_dpi, "-++-", nullptr},
    {"1280 x 1024 at 144 dpi", {0, 0, 1280, 1024}, {0, 0, 1024, 768}, 60, at_144_dpi, "-+--", nullptr},
    {"1920 x 1200 at 144 dpi", {0, 0, 1920, 1200}, {0, 0, 1024, 768}, 60, at_144_dpi, "++++", nullptr},
    {"800 x 600", {0, 0, 800, 600}, {0, 0, 1024, 768}, 42, at_96_dpi, "----", nullptr},
};

bool meet(const ScreenRect &a, const ScreenRect &b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

TEST(PanelLayout, PanelsStayOnScreenApartOffTheBarsAndBesideWhereThereIsRoom)
{
    for (const Screen &s : screens) {
        SCOPED_TRACE(s.name);
        PanelPosition at[PANELS];
        place_panels_apart(&s.work, &s.main, s.client_top, s.panels, PANELS, at);
        const ScreenRect bars = {s.main.left, s.main.top, s.main.right, s.client_top};
        ScreenRect r[PANELS];
        for (int p = 0; p < PANELS; p++) {
            r[p] = {at[p].x, at[p].y, at[p].x + s.panels[p].width, at[p].y + s.panels[p].height};
            EXPECT_TRUE(r[p].left >= s.work.left && r[p].right <= s.work.right &&
                        r[p].top >= s.work.top && r[p].bottom <= s.work.bottom)
                << "panel " << p << " leaves the work area";
            EXPECT_FALSE(meet(r[p], bars)) << "panel " << p << " covers the title or menu bar";
            for (int q = 0; q < p; q++)
                EXPECT_FALSE(meet(r[p], r[q])) << "panels " << q << " and " << p;
            EXPECT_EQ(s.beside[p] == '+', !meet(r[p], s.main)) << "panel " << p << " and the main window";
            if (s.want) {
                EXPECT_TRUE(at[p].x == s.want[p].x && at[p].y == s.want[p].y)
                    << "panel " << p << " at " << at[p].x << ", " << at[p].y;
            }
        }
    }
}
