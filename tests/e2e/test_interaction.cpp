// Interaction through real window messages: mouse navigation and picking,
// the Question, Demographics and GIS panels, keyboard handling in the
// panels and the About box.
#include <windows.h>

#include <GL/gl.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/shell.h"
#include "e2e/e2e_support.h"
#include "gis/zip_table.h"
#include "panels/info_panel.h"
#include "panels/question_panel.h"
#include "resources/resource.h"
#include "survey/catalogue.h"
#include "survey/records.h"
#include "survey/tally.h"
#include "view/map_layer.h"
#include "view/map_tooltip.h"
#include "view/map_view.h"
#include "view/mouse_input.h"

namespace {

class Interaction : public testing::Test {
protected:
    void SetUp() override
    {
        reset_program();
        // Start with the focus on the map, so no panel control holds it.
        SetFocus(main_window());
        pump_messages(0);
        message_boxes().clear();
    }
};

const int index_77002 = 2;
const int index_77004 = 4;
const int index_77005 = 5;
const int index_77245 = 245;

const TileColour bar_top_grey = {168, 168, 168};
const TileColour lower_right_tile = test_tile_colours[1];
// Far from every located zip area.
const Vec3 empty_map_point = {-96.3f, 29.0f, 0.0f};

bool near_colour(TileColour got, TileColour want, int tolerance = 4)
{
    return abs(got.r - want.r) <= tolerance && abs(got.g - want.g) <= tolerance &&
           abs(got.b - want.b) <= tolerance;
}

std::string describe(TileColour c)
{
    return "(" + std::to_string(c.r) + ", " + std::to_string(c.g) + ", " + std::to_string(c.b) + ")";
}

void set_view(float distance, float tilt, float spin, int centre_zip_index)
{
    MapView view = *current_map_view();
    view.distance = distance;
    view.tilt = tilt;
    view.spin = spin;
    if (centre_zip_index >= 0)
        centre_on_zip(centre_zip_index, &view.location);
    set_map_view(&view);
}

Vec3 bar_top(int index)
{
    return {zip_longitude(index), zip_latitude(index), (float)tally_result()->counts[index]};
}

// The pixel of a map point; fails the test when it is off screen.
void pixel_of(const Vec3 &point, int *x, int *y)
{
    if (!window_position(point, x, y))
        ADD_FAILURE() << "map point (" << point.x << ", " << point.y << ", " << point.z
                      << ") is outside the window";
}

void left_click(int x, int y, WPARAM keys = 0)
{
    post_mouse(main_window(), WM_LBUTTONDOWN, MK_LBUTTON | keys, x, y);
    post_mouse(main_window(), WM_LBUTTONUP, keys, x, y);
}

void left_click_at(const Vec3 &point)
{
    int x = 0, y = 0;
    pixel_of(point, &x, &y);
    left_click(x, y);
}

// A right drag from (x, y) by (dx, dy) with the given keys held.
void right_drag(int x, int y, int dx, int dy, WPARAM keys)
{
    post_mouse(main_window(), WM_RBUTTONDOWN, MK_RBUTTON | keys, x, y);
    post_mouse(main_window(), WM_MOUSEMOVE, MK_RBUTTON | keys, x + dx, y + dy);
    post_mouse(main_window(), WM_RBUTTONUP, keys, x + dx, y + dy);
}

std::string selection_report(int total, int zip_code, int count, const char *share)
{
    char text[256];
    snprintf(text, sizeof text, "Total for area: %d\r\nTotal for zip code %d: %d, %s%%\r\n\r\n",
             total, zip_code, count, share);
    return text;
}

bool same_view(const MapView &a, const MapView &b)
{
    return memcmp(&a, &b, sizeof a) == 0;
}

HWND question_panel(void) { return panel_window(PANEL_QUESTION); }
HWND demographics_panel(void) { return panel_window(PANEL_DEMOGRAPHICS); }
HWND gis_panel(void) { return panel_window(PANEL_GIS); }

}  // namespace

// ---- Picking and selection with the left button ----

TEST_F(Interaction, LeftPressOnABarSelectsItAndReportsItsTotals)
{
    // Total 8: three respondents in 77001 have no location but count.
    std::vector<RespondentRecord> records = {respondent(77005), respondent(77002), respondent(77002),
                                             respondent(77004)};
    for (int i = 0; i < 4; i++)
        records.push_back(respondent(77001));
    use_records(records);
    set_view(100.0f, 0.0f, 0.0f, index_77005);

    // Resting over the bar with no button held: a tip beside the cursor
    // names what a click would select.
    int bx, by;
    pixel_of(bar_top(index_77005), &bx, &by);
    post_mouse(main_window(), WM_MOUSEMOVE, 0, bx, by);
    EXPECT_TRUE(tooltip_shown());
    const std::string readout = "77005: 1 of 8 matching (12.50% of all matching)\r\n1 of 1 respondents in the "
                                "area (100.00%), 95% interval 20.7\x96" "100.0%\r\nsmoothed 100.0%; not different "
                                "from the 100.0% average\r\nfew respondents";
    EXPECT_EQ(readout, tooltip_text());
    RECT tip;
    GetWindowRect(map_tooltip_window(), &tip);
    POINT beside = {bx + 16, by + 20};
    ClientToScreen(main_window(), &beside);
    EXPECT_TRUE(abs(beside.x - tip.left) <= 2 && abs(beside.y - tip.top) <= 2);
    // It goes off the bars (30 pixels south is empty map), when the cursor
    // leaves the window and while a button is held.
    const struct { UINT message; WPARAM keys; int dy; bool shown; } moves[] = {
        {WM_MOUSEMOVE, 0, 30, false}, {WM_MOUSEMOVE, 0, 0, true}, {WM_MOUSELEAVE, 0, 0, false},
        {WM_MOUSEMOVE, MK_RBUTTON, 0, false}, {WM_MOUSEMOVE, 0, 0, true}};
    for (const auto &move : moves) {
        post_mouse(main_window(), move.message, move.keys, bx, by + move.dy);
        EXPECT_EQ(move.shown, tooltip_shown()) << move.message << " " << move.keys << " " << move.dy;
    }
    // The resting tip follows the answer picked with the keyboard and the
    // bar mode.
    SetFocus(GetDlgItem(question_panel(), IDC_QUESTION_ANSWER));
    key_stroke(VK_DOWN, 0);
    EXPECT_EQ("77005: 0 of 0 matching (0.00% of all matching)\r\n0 of 1 respondents in the area (0.00%), 95% "
              "interval 0.0\x96" "79.3%\r\nsmoothed 0.0%; not different from the 0.0% average\r\nfew respondents",
              tooltip_text());
    key_stroke(VK_UP, 0);
    for (int mode : {CMD_BARS_SHARE, CMD_BARS_SMOOTHED, CMD_BARS_COUNT}) {
        send_command(mode);
        EXPECT_EQ(readout, tooltip_text()) << mode;
    }
    SetFocus(main_window());

    left_click_at(bar_top(index_77005));
    EXPECT_FALSE(tooltip_shown());
    EXPECT_EQ(index_77005, selected_zip());
    EXPECT_EQ("77005", item_text(question_panel(), IDC_FIND_ZIP));
    EXPECT_TRUE(IsWindowVisible(panel_window(PANEL_INFO)));
    std::string report = selection_report(8, 77005, 1, "12.50");
    EXPECT_EQ(report, info_log_text());

    // The selected bar stays opaque, the others let the map through.
    Frame frame = read_frame();
    int x, y;
    pixel_of(bar_top(index_77005), &x, &y);
    EXPECT_TRUE(near_colour(frame_pixel(frame, x, y), bar_top_grey));
    TileColour blended = {(uint8_t)(0.15f * 168 + 0.85f * lower_right_tile.r),
                          (uint8_t)(0.15f * 168 + 0.85f * lower_right_tile.g),
                          (uint8_t)(0.15f * 168 + 0.85f * lower_right_tile.b)};
    for (int other : {index_77002, index_77004}) {
        pixel_of(bar_top(other), &x, &y);
        TileColour got = frame_pixel(frame, x, y);
        EXPECT_TRUE(near_colour(got, blended)) << 77000 + other << " shows " << describe(got);
    }

    // Pressing the same bar again reports it again.
    left_click_at(bar_top(index_77005));
    EXPECT_EQ(index_77005, selected_zip());
    EXPECT_EQ(report + report, info_log_text());

    // Another bar: its own count and share.
    left_click_at(bar_top(index_77002));
    EXPECT_EQ(index_77002, selected_zip());
    std::string log = report + report + selection_report(8, 77002, 2, "25.00");
    EXPECT_EQ(log, info_log_text());
    EXPECT_EQ("77002", item_text(question_panel(), IDC_FIND_ZIP));

    // The Areas panel has the bar's row selected.  Walking the rows with
    // the arrow keys selects their areas quietly: the Find Zip box and the
    // translucent bars follow, the view stays, nothing is logged.
    send_command(CMD_SHOW_AREAS);
    EXPECT_EQ("77002", selected_areas_row()[0]);
    SetFocus(areas_list());
    MapView view = *current_map_view();
    key_stroke(VK_DOWN, 0);  // 77003: a bar, nobody there
    key_stroke(VK_DOWN, 0);
    EXPECT_EQ(index_77004, selected_zip());
    EXPECT_EQ("77004", selected_areas_row()[0]);
    EXPECT_EQ("77004", item_text(question_panel(), IDC_FIND_ZIP));
    EXPECT_TRUE(same_view(view, *current_map_view()));
    EXPECT_EQ(log, info_log_text());
    pixel_of(bar_top(index_77002), &x, &y);
    EXPECT_TRUE(near_colour(frame_pixel(read_frame(), x, y), blended));

    // Ctrl+C copies the selected row, with the columns' titles, as cells.
    const std::string titles =
        "Zip\tRespondents\tMatching\tShare\t95% interval\tvs average\tSmoothed\tz\tp (all)\tNote\r\n";
    EXPECT_EQ(titles + "77004\t1\t1\t100.00%\t20.7\x96" "100.0%\t0.0\t100.00%\t0.00\t1.000\tfew respondents\r\n",
              copy_with_ctrl_c());

    // Enter does what Find Zip does; a recount keeps the row selected.
    key_stroke(VK_RETURN, 0);
    view = *current_map_view();
    centre_on_zip(index_77004, &view.location);
    EXPECT_TRUE(same_view(view, *current_map_view()));
    EXPECT_EQ(log + selection_report(8, 77004, 1, "12.50"), info_log_text());
    choose_in_combo(question_panel(), IDC_QUESTION_ANSWER, 1);
    const std::vector<std::string> recounted = {"77004", "1", "0", "0.00%", "0.0\x96" "79.3%", "0.0",
                                                "0.00%", "0.00", "1.000", "few respondents"};
    EXPECT_EQ(recounted, selected_areas_row());

    // Typing a zip code finds its row; with no row selected, every row is copied.
    type_text("77005");
    EXPECT_EQ(index_77005, selected_zip());
    EXPECT_EQ("77005", selected_areas_row()[0]);
    ListView_SetItemState(areas_list(), -1, 0, LVIS_SELECTED);
    std::string all = copy_with_ctrl_c();
    EXPECT_EQ(0u, all.find(titles + "77001\t4\t0\t0.00%\t"));
    EXPECT_EQ(areas_item_count() + 1, (int)std::count(all.begin(), all.end(), '\n'));
    // 77001 has no place on the map: its row selects no bar, and Enter on
    // it neither moves the view nor says "No data..".
    view = *current_map_view();
    ListView_SetItemState(areas_list(), 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_EQ(-1, selected_zip());
    EXPECT_EQ("", item_text(question_panel(), IDC_FIND_ZIP));
    key_stroke(VK_RETURN, 0);
    EXPECT_EQ("77001", selected_areas_row()[0]);
    EXPECT_TRUE(message_boxes().empty() && same_view(view, *current_map_view()));
    EXPECT_EQ(log + selection_report(8, 77004, 1, "12.50"), info_log_text());

    // Shift+End from the first row selects every row; the map follows the
    // focused last row alone, with one recount.
    key_stroke(VK_DOWN, 0);
    key_stroke(VK_HOME, 0);
    BYTE keys[256], shifted[256];
    GetKeyboardState(keys);
    memcpy(shifted, keys, sizeof keys);
    shifted[VK_SHIFT] = 0x80;
    SetKeyboardState(shifted);
    unsigned generation = map_generation();
    key_stroke(VK_END, 0);
    SetKeyboardState(keys);
    int last = areas_item_count() - 1;
    EXPECT_EQ(areas_item_count(), (int)ListView_GetSelectedCount(areas_list()));
    EXPECT_EQ(1u, map_generation() - generation);
    EXPECT_EQ(atoi(areas_row(last)[0].c_str()) - 77000, selected_zip());
}

TEST_F(Interaction, ShareIsZeroWhenNothingMatches)
{
    set_view(100.0f, 0.0f, 0.0f, index_77004);
    left_click_at(bar_top(index_77004));
    EXPECT_EQ(index_77004, selected_zip());
    EXPECT_EQ(selection_report(0, 77004, 0, "0.00"), info_log_text());
}

TEST_F(Interaction, LeftPressOnEmptyMapClearsTheSelectionAndLogsNothing)
{
    use_records({respondent(77002), respondent(77004)});
    set_view(100.0f, 0.0f, 0.0f, index_77002);
    left_click_at(bar_top(index_77002));
    ASSERT_EQ(index_77002, selected_zip());
    SetDlgItemTextA(panel_window(PANEL_INFO), IDC_INFO_LOG, "");

    set_view(500.0f, 0.0f, 0.0f, -1);
    MapView before = *current_map_view();
    left_click_at(empty_map_point);
    EXPECT_EQ(-1, selected_zip());
    EXPECT_EQ("", item_text(question_panel(), IDC_FIND_ZIP));
    EXPECT_EQ("", info_log_text());
    EXPECT_TRUE(message_boxes().empty());
    EXPECT_TRUE(same_view(before, *current_map_view()));

    // Every bar opaque again.
    set_view(100.0f, 0.0f, 0.0f, index_77002);
    Frame frame = read_frame();
    for (int index : {index_77002, index_77004}) {
        int x, y;
        pixel_of(bar_top(index), &x, &y);
        EXPECT_TRUE(near_colour(frame_pixel(frame, x, y), bar_top_grey)) << 77000 + index;
    }
}

TEST_F(Interaction, ShiftOrCtrlMakeNoDifferenceToALeftPress)
{
    set_view(100.0f, 0.0f, 0.0f, index_77004);
    for (WPARAM keys : {(WPARAM)MK_SHIFT, (WPARAM)MK_CONTROL, (WPARAM)(MK_SHIFT | MK_CONTROL)}) {
        select_zip(-1);
        int x, y;
        pixel_of(bar_top(index_77004), &x, &y);
        left_click(x, y, keys);
        EXPECT_EQ(index_77004, selected_zip()) << keys;
    }
}

TEST_F(Interaction, TheNearerOfTwoCloseCentroidsWins)
{
    // 77002 and 77245 lie 0.0038 degrees apart, both within reach of a
    // press between them.
    Vec3 a = bar_top(index_77002);
    Vec3 b = bar_top(index_77245);
    MapView view = *current_map_view();
    centre_on_zip(index_77002, &view.location);
    view.distance = 20.0f;
    set_map_view(&view);

    struct Case {
        float along;  // from 77002 (0) to 77245 (1)
        int expected;
    };
    const Case cases[] = {{0.0f, index_77002}, {0.25f, index_77002}, {0.45f, index_77002},
                          {0.55f, index_77245}, {0.75f, index_77245}, {1.0f, index_77245}};
    for (const Case &c : cases) {
        Vec3 point = {a.x + c.along * (b.x - a.x), a.y + c.along * (b.y - a.y), 0.0f};
        left_click_at(point);
        EXPECT_EQ(c.expected, selected_zip()) << "at " << c.along;
    }

    // Across the bisector pixel by pixel: every press goes to whichever
    // centroid the ray meets nearer, however small the difference.
    int ax, ay, bx, by;
    pixel_of(a, &ax, &ay);
    pixel_of(b, &bx, &by);
    int steps = abs(by - ay) > abs(bx - ax) ? abs(by - ay) : abs(bx - ax);
    ASSERT_GT(steps, 10);
    int switches = 0, last = -2;
    for (int s = 0; s <= steps; s++) {
        int x = ax + (bx - ax) * s / steps;
        int y = ay + (by - ay) * s / steps;
        PickRay ray;
        ASSERT_EQ(1, build_pick_ray(current_map_view(), client_width(), client_height(), x, y, &ray));
        test_zip_hit(&ray, index_77002, 0.0f);
        float to_a = ray.best_distance;
        ray.best_distance = 1.0e30f;
        test_zip_hit(&ray, index_77245, 0.0f);
        float to_b = ray.best_distance;
        left_click(x, y);
        EXPECT_EQ(to_b < to_a ? index_77245 : index_77002, selected_zip()) << "pixel " << x << ", " << y;
        if (selected_zip() != last)
            switches++;
        last = selected_zip();
    }
    EXPECT_EQ(2, switches);
}

TEST_F(Interaction, UnderTiltAndSpinThePressFindsTheBarTop)
{
    // Twenty of the forty respondents in 77004 give the counted answer.
    std::vector<RespondentRecord> records(40, respondent(77004));
    for (int i = 0; i < 20; i++)
        records[i].field[Q10] = 2;
    use_records(records);
    set_view(60.0f, 50.0f, 35.0f, index_77004);
    Vec3 top = bar_top(index_77004);
    ASSERT_FLOAT_EQ(20.0f, top.z);

    left_click_at(top);
    EXPECT_EQ(index_77004, selected_zip());

    // The foot of the bar lies away from the top on screen: no hit there.
    Vec3 foot = {top.x, top.y, 0.0f};
    int tx, ty, fx, fy;
    pixel_of(top, &tx, &ty);
    pixel_of(foot, &fx, &fy);
    EXPECT_GT(abs(tx - fx) + abs(ty - fy), 30);
    left_click(fx, fy);
    EXPECT_EQ(-1, selected_zip());

    // As a share the bar is half as tall (50%, ten blocks): the tip and the
    // press find its drawn top, and the old top is empty map.
    send_command(CMD_BARS_SHARE);
    Vec3 share_top = {top.x, top.y, 10.0f};
    int sx, sy;
    pixel_of(share_top, &sx, &sy);
    post_mouse(main_window(), WM_MOUSEMOVE, 0, sx, sy);
    EXPECT_EQ("77004: 20 of 20 matching (100.00% of all matching)\r\n20 of 40 respondents in the area (50.00%), "
              "95% interval 35.2\x96" "64.8%\r\nsmoothed 50.0%; not different from the 50.0% average",
              tooltip_text());
    // A filter that leaves no one there flattens the bar under the resting
    // cursor: the tip goes.
    choose_in_combo(demographics_panel(), IDC_DEMO_SEX, 2);
    EXPECT_FALSE(tooltip_shown());
    choose_in_combo(demographics_panel(), IDC_DEMO_SEX, 0);
    left_click(sx, sy);
    EXPECT_EQ(index_77004, selected_zip());
    post_mouse(main_window(), WM_MOUSEMOVE, 0, tx, ty);
    EXPECT_FALSE(tooltip_shown());
    left_click(tx, ty);
    EXPECT_EQ(-1, selected_zip());
}

TEST_F(Interaction, APressInAOnePixelClientAreaHitsNothing)
{
    RECT client;
    GetClientRect(main_window(), &client);
    set_view(100.0f, 0.0f, 0.0f, index_77004);
    select_zip(index_77004);
    SetDlgItemTextA(panel_window(PANEL_INFO), IDC_INFO_LOG, "");
    const LPARAM sizes[] = {MAKELPARAM(1, client.bottom), MAKELPARAM(client.right, 1)};
    for (LPARAM size : sizes) {
        on_size(size);
        left_click(0, 0);
        EXPECT_EQ(-1, selected_zip());
        EXPECT_EQ("", info_log_text());
        MapView before = *current_map_view();
        post_mouse(main_window(), WM_RBUTTONDOWN, MK_RBUTTON, 0, 0);
        post_mouse(main_window(), WM_RBUTTONUP, 0, 0, 0);
        EXPECT_TRUE(same_view(before, *current_map_view()));
        select_zip(index_77004);
        SetDlgItemTextA(panel_window(PANEL_INFO), IDC_INFO_LOG, "");
    }
    on_size(MAKELPARAM(client.right, client.bottom));
    left_click_at(bar_top(index_77004));
    EXPECT_EQ(index_77004, selected_zip());
}

// ---- Navigation with the right button ----

TEST_F(Interaction, RightPressCentresOnABarAndKeepsTheRest)
{
    use_records({respondent(77002)});
    select_zip(index_77002);
    set_view(300.0f, 20.0f, -15.0f, -1);
    MapView before = *current_map_view();
    int x, y;
    pixel_of(bar_top(index_77004), &x, &y);
    post_mouse(main_window(), WM_RBUTTONDOWN, MK_RBUTTON, x, y);
    post_mouse(main_window(), WM_RBUTTONUP, 0, x, y);

    const MapView *view = current_map_view();
    Vec3 expected = before.location;
    centre_on_zip(index_77004, &expected);
    EXPECT_FLOAT_EQ((zip_longitude(index_77004) + 95.4877f) * 100.0f - 95.4877f, view->location.x);
    EXPECT_FLOAT_EQ((zip_latitude(index_77004) - 29.837934f) * 100.0f + 29.837934f, view->location.y);
    EXPECT_EQ(expected.x, view->location.x);
    EXPECT_EQ(expected.y, view->location.y);
    EXPECT_EQ(before.location.z, view->location.z);
    EXPECT_EQ(before.distance, view->distance);
    EXPECT_EQ(before.tilt, view->tilt);
    EXPECT_EQ(before.spin, view->spin);
    EXPECT_EQ(index_77002, selected_zip());

    // The bar now sits in the middle of the window.
    int cx, cy;
    pixel_of(bar_top(index_77004), &cx, &cy);
    EXPECT_LE(abs(cx - (client_width() - 1) / 2), 1);
    EXPECT_LE(abs(cy - (client_height() - 1) / 2), 1);

    // "Default Location" and a right press again: centred once more,
    // distance, tilt and spin untouched by both.
    send_command(CMD_DEFAULT_LOCATION);
    pixel_of(bar_top(index_77004), &x, &y);
    post_mouse(main_window(), WM_RBUTTONDOWN, MK_RBUTTON, x, y);
    post_mouse(main_window(), WM_RBUTTONUP, 0, x, y);
    EXPECT_EQ(expected.x, current_map_view()->location.x);
    EXPECT_EQ(before.distance, current_map_view()->distance);
    EXPECT_EQ(before.tilt, current_map_view()->tilt);
    EXPECT_EQ(before.spin, current_map_view()->spin);
}

TEST_F(Interaction, RightPressOnEmptyMapOrWithShiftOrCtrlDoesNotMove)
{
    set_view(400.0f, 0.0f, 0.0f, -1);
    MapView before = *current_map_view();
    int x, y;
    pixel_of(empty_map_point, &x, &y);
    post_mouse(main_window(), WM_RBUTTONDOWN, MK_RBUTTON, x, y);
    post_mouse(main_window(), WM_RBUTTONUP, 0, x, y);
    EXPECT_TRUE(same_view(before, *current_map_view()));

    pixel_of(bar_top(index_77004), &x, &y);
    for (WPARAM keys : {(WPARAM)MK_SHIFT, (WPARAM)MK_CONTROL, (WPARAM)(MK_SHIFT | MK_CONTROL)}) {
        post_mouse(main_window(), WM_RBUTTONDOWN, MK_RBUTTON | keys, x, y);
        post_mouse(main_window(), WM_RBUTTONUP, keys, x, y);
        EXPECT_TRUE(same_view(before, *current_map_view())) << keys;
        EXPECT_EQ(-1, selected_zip());
    }
}

TEST_F(Interaction, RightDragsZoomTiltAndSpinWithinTheirLimits)
{
    struct Case {
        const char *name;
        float distance, tilt, spin;  // before
        WPARAM keys;
        int dx, dy;
        float want_distance, want_tilt, want_spin;
    };
    const Case cases[] = {
        {"shift drag down moves away", 200, 10, 20, MK_SHIFT, 7, 40, 240, 10, 20},
        {"shift drag up comes nearer", 200, 10, 20, MK_SHIFT, -3, -50, 150, 10, 20},
        {"zoom stops at 10", 30, 0, 0, MK_SHIFT, 0, -100, 10, 0, 0},
        {"ctrl drag tilts and spins", 200, 10, 20, MK_CONTROL, 30, 25, 200, -15, -10},
        {"tilt stops at -90", 200, -80, 0, MK_CONTROL, 0, 40, 200, -90, 0},
        {"tilt stops at 90", 200, 80, 0, MK_CONTROL, 0, -40, 200, 90, 0},
        {"spin stops at -180", 200, 0, -170, MK_CONTROL, 50, 0, 200, 0, -180},
        {"spin stops at 180", 200, 0, 170, MK_CONTROL, -50, 0, 200, 0, 180},
        {"shift and ctrl zoom only", 200, 10, 20, MK_SHIFT | MK_CONTROL, 30, 25, 225, 10, 20},
        {"plain right drag changes nothing", 200, 10, 20, 0, 30, 25, 200, 10, 20},
    };
    for (const Case &c : cases) {
        set_view(c.distance, c.tilt, c.spin, -1);
        pump_messages(0);
        Vec3 location = current_map_view()->location;
        right_drag(300, 300, c.dx, c.dy, c.keys);
        const MapView *view = current_map_view();
        EXPECT_EQ(c.want_distance, view->distance) << c.name;
        EXPECT_EQ(c.want_tilt, view->tilt) << c.name;
        EXPECT_EQ(c.want_spin, view->spin) << c.name;
        EXPECT_EQ(0, memcmp(&location, &view->location, sizeof location)) << c.name;
    }

    // A drag in several moves adds up, and one that leaves the window
    // (negative coordinates, the capture keeps them coming) goes on.
    set_view(200.0f, 0.0f, 0.0f, -1);
    post_mouse(main_window(), WM_RBUTTONDOWN, MK_RBUTTON | MK_CONTROL, 10, 10);
    EXPECT_EQ(main_window(), GetCapture());
    post_mouse(main_window(), WM_MOUSEMOVE, MK_RBUTTON | MK_CONTROL, 5, 0);
    post_mouse(main_window(), WM_MOUSEMOVE, MK_RBUTTON | MK_CONTROL, -10, -20);
    post_mouse(main_window(), WM_RBUTTONUP, MK_CONTROL, -10, -20);
    EXPECT_EQ(30.0f, current_map_view()->tilt);
    EXPECT_EQ(20.0f, current_map_view()->spin);
    EXPECT_EQ(nullptr, GetCapture());
}

TEST_F(Interaction, LeftDragAndMovesWithoutButtonsChangeNothing)
{
    set_view(200.0f, 10.0f, 20.0f, -1);
    MapView before = *current_map_view();
    post_mouse(main_window(), WM_LBUTTONDOWN, MK_LBUTTON, 300, 300);
    int step = 0;
    for (WPARAM keys : {(WPARAM)0, (WPARAM)MK_SHIFT, (WPARAM)MK_CONTROL, (WPARAM)(MK_SHIFT | MK_CONTROL)}) {
        step++;
        post_mouse(main_window(), WM_MOUSEMOVE, MK_LBUTTON | keys, 300 + 20 * step, 300 - 30 * step);
    }
    post_mouse(main_window(), WM_LBUTTONUP, 0, 340, 250);
    EXPECT_TRUE(same_view(before, *current_map_view()));

    // Moves without a button are forgotten: the next right drag measures
    // from its own press.
    post_mouse(main_window(), WM_MOUSEMOVE, MK_SHIFT, 0, 0);
    right_drag(340, 250, 0, 10, MK_SHIFT);
    EXPECT_EQ(210.0f, current_map_view()->distance);

    // Any key release on the map only redraws.
    MapView after = *current_map_view();
    SetFocus(main_window());
    key_stroke('A', 'a');
    key_stroke(VK_LEFT, 0);
    EXPECT_TRUE(same_view(after, *current_map_view()));
}

// ---- Question panel ----

TEST_F(Interaction, PreviousAndNextWrapAroundTheCatalogue)
{
    HWND panel = question_panel();
    SendDlgItemMessageA(panel, IDC_QUESTION_PREV, BM_CLICK, 0, 0);
    pump_messages(0);
    EXPECT_EQ(33, current_question());
    EXPECT_EQ("Q38: Your City Council District Member is?", item_text(panel, IDC_QUESTION_TEXT));
    SendDlgItemMessageA(panel, IDC_QUESTION_NEXT, BM_CLICK, 0, 0);
    pump_messages(0);
    EXPECT_EQ(0, current_question());
    EXPECT_EQ(catalogue_entry(0)->text, item_text(panel, IDC_QUESTION_TEXT));

    // Only the click counts: other button notifications do nothing.
    SendMessageA(panel, WM_COMMAND, MAKEWPARAM(IDC_QUESTION_NEXT, BN_SETFOCUS),
                 (LPARAM)GetDlgItem(panel, IDC_QUESTION_NEXT));
    SendMessageA(panel, WM_COMMAND, MAKEWPARAM(IDC_QUESTION_PREV, BN_DOUBLECLICKED),
                 (LPARAM)GetDlgItem(panel, IDC_QUESTION_PREV));
    EXPECT_EQ(0, current_question());
}

TEST_F(Interaction, EveryQuestionListsItsAnswersAndCountsByTheFirst)
{
    HWND panel = question_panel();
    HWND answers = GetDlgItem(panel, IDC_QUESTION_ANSWER);
    for (int q = 0; q < CATALOGUE_SIZE; q++) {
        const QuestionEntry *entry = catalogue_entry(q);
        ASSERT_EQ(q, current_question());
        EXPECT_EQ(entry->text, item_text(panel, IDC_QUESTION_TEXT)) << q;
        ASSERT_EQ(entry->answer_count, (int)SendMessageA(answers, CB_GETCOUNT, 0, 0)) << q;
        EXPECT_GE(entry->answer_count, 3);
        EXPECT_LE(entry->answer_count, 13);
        for (int a = 0; a < entry->answer_count; a++) {
            char text[ANSWER_TEXT_BYTES] = "";
            SendMessageA(answers, CB_GETLBTEXT, (WPARAM)a, (LPARAM)text);
            EXPECT_STREQ(entry->answers[a].text, text) << q << "/" << a;
        }
        EXPECT_EQ(0, combo_selection(panel, IDC_QUESTION_ANSWER));
        EXPECT_EQ(entry->answers[0].code, tally_query()->field[question_field(q)]) << q;
        SendDlgItemMessageA(panel, IDC_QUESTION_NEXT, BM_CLICK, 0, 0);
        pump_messages(0);
    }
    EXPECT_EQ(0, current_question());
}

TEST_F(Interaction, ChoosingAnAnswerSetsExactlyOneQuestionField)
{
    HWND panel = question_panel();
    struct Case {
        int question;
        int position;
    };
    // Around the zip code field, which has no question, and the ends.
    const Case cases[] = {{0, 2}, {21, 1}, {22, 2}, {23, 0}, {33, 3}};
    for (const Case &c : cases) {
        while (current_question() != c.question) {
            SendDlgItemMessageA(panel, IDC_QUESTION_NEXT, BM_CLICK, 0, 0);
            pump_messages(0);
        }
        const QuestionEntry *entry = catalogue_entry(c.question);
        int32_t code = entry->answers[c.position].code;
        int field = question_field(c.question);
        // One respondent gives the answer (77002), one gives another (77004).
        RespondentRecord giving = respondent(77002);
        RespondentRecord other = respondent(77004);
        giving.field[field] = code;
        other.field[field] = entry->answers[(c.position + 1) % entry->answer_count].code;
        use_records({giving, other});

        choose_in_combo(panel, IDC_QUESTION_ANSWER, c.position);
        for (int f = 0; f < QUESTION_FIELDS; f++)
            EXPECT_EQ(f == field ? code : 0, tally_query()->field[f]) << "question " << c.question << " field " << f;
        EXPECT_EQ(1, tally_result()->counts[index_77002]) << c.question;
        EXPECT_EQ(0, tally_result()->counts[index_77004]) << c.question;
        EXPECT_EQ(1, tally_result()->total);
    }
    // Other notifications of the list do nothing.
    int32_t before[QUESTION_FIELDS];
    memcpy(before, tally_query()->field, sizeof before);
    SendDlgItemMessageA(panel, IDC_QUESTION_ANSWER, CB_SETCURSEL, 0, 0);
    SendMessageA(panel, WM_COMMAND, MAKEWPARAM(IDC_QUESTION_ANSWER, CBN_DROPDOWN),
                 (LPARAM)GetDlgItem(panel, IDC_QUESTION_ANSWER));
    EXPECT_EQ(0, memcmp(before, tally_query()->field, sizeof before));
}

TEST_F(Interaction, ChangingTheQuestionKeepsTheSelectionAndLogsNothing)
{
    use_records({respondent(77002)});
    select_zip(index_77002);
    SetDlgItemTextA(panel_window(PANEL_INFO), IDC_INFO_LOG, "");
    SendDlgItemMessageA(question_panel(), IDC_QUESTION_NEXT, BM_CLICK, 0, 0);
    choose_in_combo(question_panel(), IDC_QUESTION_ANSWER, 1);
    pump_messages(0);
    EXPECT_EQ(index_77002, selected_zip());
    EXPECT_EQ("", info_log_text());
}

TEST_F(Interaction, DefaultQuestionAndSavedQuestionSwapBack)
{
    HWND panel = question_panel();
    for (int i = 0; i < 5; i++)
        SendDlgItemMessageA(panel, IDC_QUESTION_NEXT, BM_CLICK, 0, 0);
    pump_messages(0);
    ASSERT_EQ(5, current_question());
    const QuestionEntry *entry = catalogue_entry(5);
    int32_t code = entry->answers[2].code;
    RespondentRecord giving = respondent(77002);
    giving.field[question_field(5)] = code;
    use_records({giving, respondent(77004)});
    choose_in_combo(panel, IDC_QUESTION_ANSWER, 2);
    ASSERT_EQ(1, tally_result()->total);

    send_command(CMD_DEFAULT_QUESTION);
    EXPECT_EQ(0, current_question());
    EXPECT_EQ(catalogue_entry(0)->text, item_text(panel, IDC_QUESTION_TEXT));
    EXPECT_EQ(0, combo_selection(panel, IDC_QUESTION_ANSWER));
    EXPECT_EQ(1, tally_query()->field[question_field(0)]);
    EXPECT_EQ(0, tally_query()->field[question_field(5)]);
    EXPECT_EQ(2, tally_result()->total);

    send_command(CMD_SAVED_QUESTION);
    EXPECT_EQ(5, current_question());
    EXPECT_EQ(entry->text, item_text(panel, IDC_QUESTION_TEXT));
    EXPECT_EQ(entry->answer_count,
              (int)SendDlgItemMessageA(panel, IDC_QUESTION_ANSWER, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(2, combo_selection(panel, IDC_QUESTION_ANSWER));
    for (int f = 0; f < QUESTION_FIELDS; f++)
        EXPECT_EQ(f == question_field(5) ? code : 0, tally_query()->field[f]) << f;
    EXPECT_EQ(1, tally_result()->total);
    EXPECT_EQ(1, tally_result()->counts[index_77002]);

    // The arrows go on from the restored question.
    SendDlgItemMessageA(panel, IDC_QUESTION_NEXT, BM_CLICK, 0, 0);
    pump_messages(0);
    EXPECT_EQ(6, current_question());
}

// ---- Find Zip ----

TEST_F(Interaction, TypingAZipAndEnterCentresSelectsAndReports)
{
    use_records({respondent(77002), respondent(77002), respondent(77004)});
    set_view(250.0f, 15.0f, -25.0f, -1);
    MapView before = *current_map_view();
    struct Case {
        const char *typed;
        int index;
    };
    // Only the first five characters are read.
    const Case cases[] = {{"77002", index_77002}, {"770021", index_77002}, {"77004", index_77004}};
    for (const Case &c : cases) {
        SetDlgItemTextA(panel_window(PANEL_INFO), IDC_INFO_LOG, "");
        SetFocus(GetDlgItem(question_panel(), IDC_FIND_ZIP));
        type_text(c.typed);
        EXPECT_EQ(c.typed, item_text(question_panel(), IDC_FIND_ZIP));
        key_stroke(VK_RETURN, 0);
        EXPECT_EQ(c.index, selected_zip()) << c.typed;
        EXPECT_EQ(std::to_string(77000 + c.index), item_text(question_panel(), IDC_FIND_ZIP));
        Vec3 expected = before.location;
        centre_on_zip(c.index, &expected);
        const MapView *view = current_map_view();
        EXPECT_EQ(expected.x, view->location.x) << c.typed;
        EXPECT_EQ(expected.y, view->location.y) << c.typed;
        EXPECT_EQ(before.location.z, view->location.z);
        EXPECT_EQ(before.distance, view->distance);
        EXPECT_EQ(before.tilt, view->tilt);
        EXPECT_EQ(before.spin, view->spin);
        int count = c.index == index_77002 ? 2 : 1;
        EXPECT_EQ(selection_report(3, 77000 + c.index, count, count == 2 ? "66.67" : "33.33"),
                  info_log_text());
        EXPECT_TRUE(message_boxes().empty());
        // Enter took the focus out of the box.
        EXPECT_NE(GetDlgItem(question_panel(), IDC_FIND_ZIP), GetFocus());
    }
}

TEST_F(Interaction, ZipsWithoutDataAreReportedOnlyWhileRecordsAreLoaded)
{
    // An empty box asks for nothing: leaving it reports and changes nothing.
    const char *typed[] = {"77001", "77599", "", "76999", "0"};
    for (int loaded = 1; loaded >= 0; loaded--) {
        use_records(loaded ? std::vector<RespondentRecord>{respondent(77002)}
                           : std::vector<RespondentRecord>{});
        for (const char *text : typed) {
            select_zip(index_77002);
            set_view(250.0f, 0.0f, 0.0f, index_77004);
            MapView before = *current_map_view();
            SetDlgItemTextA(panel_window(PANEL_INFO), IDC_INFO_LOG, "");
            message_boxes().clear();
            SetFocus(GetDlgItem(question_panel(), IDC_FIND_ZIP));
            key_stroke(VK_DELETE, 0);  // the whole text is selected: this empties the box
            type_text(text);
            key_stroke(VK_RETURN, 0);
            pump_messages(50);
            if (loaded && *text) {
                ASSERT_EQ(1u, message_boxes().size()) << "'" << text << "'";
                EXPECT_EQ("Find Zip", message_boxes()[0].caption);
                EXPECT_EQ("No data..", message_boxes()[0].text);
            } else {
                EXPECT_TRUE(message_boxes().empty()) << "'" << text << "'";
            }
            EXPECT_EQ(*text ? -1 : index_77002, selected_zip()) << "'" << text << "'";
            EXPECT_EQ("", item_text(question_panel(), IDC_FIND_ZIP));
            EXPECT_EQ("", info_log_text());
            EXPECT_TRUE(same_view(before, *current_map_view())) << "'" << text << "'";
        }
    }
}

TEST_F(Interaction, TheFindZipBoxSelectsItsWholeTextOnFocus)
{
    use_records({respondent(77002), respondent(77004)});
    select_zip(index_77002);
    ASSERT_EQ("77002", item_text(question_panel(), IDC_FIND_ZIP));
    HWND box = GetDlgItem(question_panel(), IDC_FIND_ZIP);
    SetFocus(box);
    DWORD start = 0, end = 0;
    SendMessageA(box, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    EXPECT_EQ(0u, start);
    EXPECT_EQ(5u, end);
    // Typing replaces it; Ctrl+C copies the box's text, not the map.
    type_text("77004");
    EXPECT_EQ("77004", item_text(question_panel(), IDC_FIND_ZIP));
    SendMessageA(box, EM_SETSEL, 0, -1);
    control_key_stroke('C');
    EXPECT_EQ("77004", clipboard_text(CF_TEXT));
    EXPECT_TRUE(clipboard_bytes(CF_DIB).empty());
    key_stroke(VK_RETURN, 0);
    EXPECT_EQ(index_77004, selected_zip());

    // Tab into the box from the answer list selects the whole text too.
    SetFocus(GetDlgItem(question_panel(), IDC_QUESTION_ANSWER));
    key_stroke(VK_TAB, 0);
    ASSERT_EQ(box, GetFocus());
    SendMessageA(box, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    EXPECT_EQ(0u, start);
    EXPECT_EQ(5u, end);
    SetFocus(main_window());
    pump_messages(0);
}

TEST_F(Interaction, TheBoxTakesDigitsOnly)
{
    SetFocus(GetDlgItem(question_panel(), IDC_FIND_ZIP));
    type_text("7a7-0 02");
    EXPECT_EQ("77002", item_text(question_panel(), IDC_FIND_ZIP));
    key_stroke(VK_RETURN, 0);
    EXPECT_EQ(index_77002, selected_zip());
}

// ---- Demographics panel ----

namespace {

struct DemographicCase {
    const char *name;
    int combo_id;
    int position;
    int field;      // record field
    int32_t code;   // stored for that position
    int32_t other;  // a code that must not match it
};

const DemographicCase demographic_cases[] = {
    {"Age No answer", IDC_DEMO_AGE, 9, Q1, 99, 9},
    {"Age 18-29", IDC_DEMO_AGE, 1, Q1, 1, 2},
    {"Sex No answer", IDC_DEMO_SEX, 3, Q4, 9, 99},
    {"Sex Female", IDC_DEMO_SEX, 2, Q4, 2, 1},
    {"Marital No answer", IDC_DEMO_MARITAL, 6, Q5, 9, 6},
    {"Children No", IDC_DEMO_CHILDREN, 2, Q6, 2, 1},
    {"# of Children None", IDC_DEMO_NUM_CHILDREN, 11, Q6A, 11, 99},
    {"# of Children No answer", IDC_DEMO_NUM_CHILDREN, 12, Q6A, 99, 12},
    {"Race No answer", IDC_DEMO_RACE, 7, Q2, 9, 7},
    {"Hispanic Yes", IDC_DEMO_HISPANIC, 1, Q3, 1, 2},
    {"Income None", IDC_DEMO_INCOME, 1, Q7, 1, 2},
    {"Income No answer", IDC_DEMO_INCOME, 12, Q7, 99, 12},
    {"Education Post-graduate", IDC_DEMO_EDUCATION, 6, Q8, 6, 7},
    {"Veteran No answer", IDC_DEMO_VETERAN, 3, Q9, 9, 3},
};

}  // namespace

TEST_F(Interaction, EachDemographicListStoresItsCode)
{
    HWND panel = demographics_panel();
    for (const DemographicCase &c : demographic_cases) {
        RespondentRecord matching = respondent(77002);
        RespondentRecord not_matching = respondent(77004);
        matching.field[c.field] = c.code;
        not_matching.field[c.field] = c.other;
        use_records({matching, not_matching});

        choose_in_combo(panel, c.combo_id, c.position);
        for (int f = FIRST_DEMOGRAPHIC_FIELD; f < RECORD_FIELDS; f++)
            EXPECT_EQ(f == c.field ? c.code : 0, tally_query()->field[f]) << c.name << " field " << f;
        EXPECT_EQ(1, tally_result()->counts[index_77002]) << c.name;
        EXPECT_EQ(0, tally_result()->counts[index_77004]) << c.name;

        // Back to "All": the constraint goes at once.
        choose_in_combo(panel, c.combo_id, 0);
        EXPECT_EQ(0, tally_query()->field[c.field]) << c.name;
        EXPECT_EQ(2, tally_result()->total) << c.name;
    }
    // Other notifications store nothing.
    SendDlgItemMessageA(panel, IDC_DEMO_SEX, CB_SETCURSEL, 2, 0);
    SendMessageA(panel, WM_COMMAND, MAKEWPARAM(IDC_DEMO_SEX, CBN_CLOSEUP),
                 (LPARAM)GetDlgItem(panel, IDC_DEMO_SEX));
    EXPECT_EQ(0, tally_query()->field[Q4]);
}

TEST_F(Interaction, TwoFiltersCombine)
{
    RespondentRecord both = respondent(77002);
    both.field[Q1] = 99;
    both.field[Q7] = 1;
    RespondentRecord age_only = respondent(77004);
    age_only.field[Q1] = 99;
    age_only.field[Q7] = 2;
    RespondentRecord income_only = respondent(77005);
    income_only.field[Q1] = 3;
    income_only.field[Q7] = 1;
    use_records({both, age_only, income_only});
    HWND panel = demographics_panel();
    choose_in_combo(panel, IDC_DEMO_AGE, 9);
    EXPECT_EQ(2, tally_result()->total);
    choose_in_combo(panel, IDC_DEMO_INCOME, 1);
    EXPECT_EQ(1, tally_result()->total);
    EXPECT_EQ(1, tally_result()->counts[index_77002]);
    EXPECT_EQ(0, tally_result()->counts[index_77004]);
    EXPECT_EQ(0, tally_result()->counts[index_77005]);
}

TEST_F(Interaction, DefaultAndSavedDemographicsRestoreListsAndCounts)
{
    HWND panel = demographics_panel();
    RespondentRecord both = respondent(77002);
    both.field[Q1] = 99;
    both.field[Q7] = 1;
    both.field[Q4] = 9;
    use_records({both, respondent(77004), respondent(77005)});
    choose_in_combo(panel, IDC_DEMO_AGE, 9);
    choose_in_combo(panel, IDC_DEMO_INCOME, 1);
    choose_in_combo(panel, IDC_DEMO_SEX, 3);
    ASSERT_EQ(1, tally_result()->total);

    const int combos[] = {IDC_DEMO_AGE, IDC_DEMO_SEX, IDC_DEMO_MARITAL, IDC_DEMO_CHILDREN,
                          IDC_DEMO_NUM_CHILDREN, IDC_DEMO_RACE, IDC_DEMO_HISPANIC,
                          IDC_DEMO_INCOME, IDC_DEMO_EDUCATION, IDC_DEMO_VETERAN};
    send_command(CMD_DEFAULT_DEMOGRAPHICS);
    for (int id : combos)
        EXPECT_EQ(0, combo_selection(panel, id)) << id;
    for (int f = FIRST_DEMOGRAPHIC_FIELD; f < RECORD_FIELDS; f++)
        EXPECT_EQ(0, tally_query()->field[f]) << f;
    EXPECT_EQ(3, tally_result()->total);
    EXPECT_EQ(0, current_question());

    send_command(CMD_SAVED_DEMOGRAPHICS);
    for (int id : combos) {
        int want = id == IDC_DEMO_AGE ? 9 : id == IDC_DEMO_INCOME ? 1 : id == IDC_DEMO_SEX ? 3 : 0;
        EXPECT_EQ(want, combo_selection(panel, id)) << id;
    }
    EXPECT_EQ(99, tally_query()->field[Q1]);
    EXPECT_EQ(1, tally_query()->field[Q7]);
    EXPECT_EQ(9, tally_query()->field[Q4]);
    EXPECT_EQ(1, tally_result()->total);
    EXPECT_EQ(1, tally_result()->counts[index_77002]);
    EXPECT_EQ(0, current_question());

    // A restored list goes on as the user left it.
    choose_in_combo(panel, IDC_DEMO_SEX, 0);
    EXPECT_EQ(0, tally_query()->field[Q4]);
    EXPECT_EQ(99, tally_query()->field[Q1]);
}

TEST_F(Interaction, SavedLocationBringsBackWhatDefaultLocationReplaced)
{
    set_view(120.0f, 30.0f, 40.0f, index_77004);
    Vec3 moved = current_map_view()->location;
    send_command(CMD_DEFAULT_LOCATION);
    EXPECT_EQ(0, memcmp(&default_location, &current_map_view()->location, sizeof moved));
    set_view(90.0f, 10.0f, 5.0f, -1);
    send_command(CMD_SAVED_LOCATION);
    const MapView *view = current_map_view();
    EXPECT_EQ(0, memcmp(&moved, &view->location, sizeof moved));
    EXPECT_EQ(90.0f, view->distance);
    EXPECT_EQ(10.0f, view->tilt);
    EXPECT_EQ(5.0f, view->spin);
}

// ---- GIS panel ----

namespace {

// The tests drive the ticks themselves: the frame timer is stopped
// meanwhile and started again afterwards.
class GisPad : public Interaction {
protected:
    void SetUp() override
    {
        Interaction::SetUp();
        KillTimer(main_window(), FRAME_TIMER_ID);
        pump_messages(0);
    }
    void TearDown() override
    {
        set_nav_command(NAV_NONE);
        ReleaseCapture();
        SetTimer(main_window(), FRAME_TIMER_ID, FRAME_TIMER_MS, nullptr);
    }
};

void tick(int times)
{
    for (int i = 0; i < times; i++)
        SendMessageA(main_window(), WM_TIMER, FRAME_TIMER_ID, 0);
}

void press_arrow(int id)
{
    post_mouse(GetDlgItem(gis_panel(), id), WM_LBUTTONDOWN, MK_LBUTTON, 4, 4);
}

void release_on_panel(int x, int y)
{
    post_mouse(gis_panel(), WM_LBUTTONUP, 0, x, y);
}

}  // namespace

TEST_F(GisPad, HoldingTheTopArrowTiltsUntilReleased)
{
    press_arrow(IDC_GIS_TOP);
    EXPECT_EQ(NAV_TILT_DOWN, nav_command());
    EXPECT_EQ(gis_panel(), GetCapture());
    tick(8);
    EXPECT_EQ(-40.0f, current_map_view()->tilt);
    // Released far outside the panel: the capture still brings it here.
    release_on_panel(-500, 900);
    EXPECT_EQ(NAV_NONE, nav_command());
    EXPECT_EQ(nullptr, GetCapture());
    tick(3);
    EXPECT_EQ(-40.0f, current_map_view()->tilt);
}

TEST_F(GisPad, EachArrowMovesItsFieldAndStopsAtTheLimit)
{
    struct Case {
        int id;
        float distance, tilt, spin;  // before
        int ticks;
        float want_distance, want_tilt, want_spin;
    };
    const Case cases[] = {
        {IDC_GIS_TOP, 500, -80, 0, 4, 500, -90, 0},
        {IDC_GIS_BOTTOM, 500, 0, 0, 3, 500, 15, 0},
        {IDC_GIS_BOTTOM, 500, 85, 0, 2, 500, 90, 0},
        {IDC_GIS_LEFT, 500, 0, -170, 5, 500, 0, -180},
        {IDC_GIS_RIGHT, 500, 0, 170, 5, 500, 0, 180},
        {IDC_GIS_RIGHT, 500, 0, 0, 2, 500, 0, 10},
        {IDC_GIS_BACK, 240000, 0, 0, 2, 250000, 0, 0},
    };
    for (const Case &c : cases) {
        set_view(c.distance, c.tilt, c.spin, -1);
        press_arrow(c.id);
        tick(c.ticks);
        release_on_panel(5, 5);
        EXPECT_EQ(c.want_distance, current_map_view()->distance) << c.id;
        EXPECT_EQ(c.want_tilt, current_map_view()->tilt) << c.id;
        EXPECT_EQ(c.want_spin, current_map_view()->spin) << c.id;
    }
}

TEST_F(GisPad, ForwardAndBackScaleTheDistance)
{
    set_view(12.0f, 0.0f, 0.0f, -1);
    press_arrow(IDC_GIS_FORWARD);
    float want = 12.0f;
    for (int i = 0; i < 6; i++) {
        tick(1);
        want *= 0.95f;
        if (want < 10.0f)
            want = 10.0f;
        EXPECT_EQ(want, current_map_view()->distance) << "tick " << i;
    }
    EXPECT_EQ(10.0f, current_map_view()->distance);
    release_on_panel(5, 5);

    press_arrow(IDC_GIS_BACK);
    tick(2);
    release_on_panel(5, 5);
    EXPECT_EQ(10.0f * 1.05f * 1.05f, current_map_view()->distance);

    // The notification itself, as the static control sends it.
    set_view(500.0f, 0.0f, 0.0f, -1);
    SendMessageA(gis_panel(), WM_COMMAND, MAKEWPARAM(IDC_GIS_FORWARD, STN_CLICKED),
                 (LPARAM)GetDlgItem(gis_panel(), IDC_GIS_FORWARD));
    tick(1);
    release_on_panel(5, 5);
    EXPECT_EQ(500.0f * 0.95f, current_map_view()->distance);
}

TEST_F(GisPad, LosingTheMouseStopsTheArrow)
{
    void (*const losses[])(void) = {[] { SetCapture(main_window()); },
                                    [] { SendMessageA(gis_panel(), WM_CANCELMODE, 0, 0); },
                                    [] { MessageBoxA(main_window(), "text", "caption", MB_OK); }};
    for (auto lose : losses) {
        set_view(500.0f, 0.0f, 0.0f, -1);
        press_arrow(IDC_GIS_TOP);
        tick(1);
        lose();
        pump_messages(0);
        EXPECT_EQ(NAV_NONE, nav_command());
        EXPECT_NE(gis_panel(), GetCapture());
        tick(3);
        EXPECT_EQ(-5.0f, current_map_view()->tilt);
        ReleaseCapture();
    }
}

TEST_F(GisPad, ADoubleClickOrOtherNotificationAddsNothing)
{
    SendMessageA(gis_panel(), WM_COMMAND, MAKEWPARAM(IDC_GIS_TOP, STN_DBLCLK),
                 (LPARAM)GetDlgItem(gis_panel(), IDC_GIS_TOP));
    EXPECT_EQ(NAV_NONE, nav_command());
    EXPECT_EQ(nullptr, GetCapture());
    tick(2);
    EXPECT_EQ(0.0f, current_map_view()->tilt);
}

TEST_F(GisPad, ATickOfAnotherTimerAppliesAndDrawsNothing)
{
    const TileColour marker = {255, 0, 255};
    press_arrow(IDC_GIS_TOP);
    // Mark the back buffer; a drawn frame would cover it.
    glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0.498f, 0.498f, 0.498f, 1.0f);
    SendMessageA(main_window(), WM_TIMER, 2, 0);
    SendMessageA(main_window(), WM_TIMER, 0x5E2E, 0);
    EXPECT_EQ(0.0f, current_map_view()->tilt);
    uint8_t pixel[3] = {0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(client_width() / 2, client_height() / 2, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, pixel);
    EXPECT_TRUE(near_colour({pixel[0], pixel[1], pixel[2]}, marker, 1));
    tick(1);
    EXPECT_EQ(-5.0f, current_map_view()->tilt);
    release_on_panel(5, 5);
}

namespace {

// Marks the back buffer; a drawn frame covers the mark.
void mark_back_buffer(void)
{
    glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0.498f, 0.498f, 0.498f, 1.0f);
}

bool back_buffer_marked(void)
{
    uint8_t pixel[3] = {0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(client_width() / 2, client_height() / 2, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, pixel);
    return near_colour({pixel[0], pixel[1], pixel[2]}, {255, 0, 255}, 1);
}

}  // namespace

TEST_F(GisPad, IdleTicksDrawNothingAndEachChangeDrawsOnce)
{
    use_records({respondent(77002), respondent(77004)});
    SendDlgItemMessageA(question_panel(), IDC_QUESTION_NEXT, BM_CLICK, 0, 0);
    struct Case {
        const char *change;
        std::function<void()> make;
        bool drawn_at_once;  // by the change itself, before any tick
        bool drawn_by_tick;
    };
    const Case cases[] = {
        {"nothing", [] {}, false, false},
        {"recount", [] { use_records({respondent(77005)}); }, false, true},
        {"view", [] { set_view(300.0f, 10.0f, 0.0f, -1); }, false, true},
        {"selection", [] { select_zip(index_77005); }, false, true},
        {"Default Question", [] { send_command(CMD_DEFAULT_QUESTION); }, false, true},
        {"held arrow", [] { press_arrow(IDC_GIS_BOTTOM); }, false, true},
        {"arrow released", [] { release_on_panel(5, 5); }, false, false},
        {"size", [] { on_size(MAKELPARAM(client_width(), client_height())); }, false, true},
        {"stale frame", [] { mark_frame_stale(); }, false, true},
        {"paint", [] { RedrawWindow(main_window(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); },
         true, true},
        {"menu command", [] { send_command(CMD_DEFAULT_LOCATION); }, true, false},
    };
    for (const Case &c : cases) {
        tick(1);
        mark_back_buffer();
        c.make();
        EXPECT_EQ(!c.drawn_at_once, back_buffer_marked()) << c.change;
        mark_back_buffer();
        tick(1);
        EXPECT_EQ(!c.drawn_by_tick, back_buffer_marked()) << c.change;
    }
    // The tick after Default Question counted the first question.
    EXPECT_EQ(0, current_question());
}

// ---- Panels: Esc, the Panel commands, Tab ----

TEST_F(Interaction, EscHidesEachPanelAndItsCommandShowsItAgain)
{
    send_command(CMD_SHOW_INFO);
    send_command(CMD_ABOUT);
    send_command(CMD_SHOW_AREAS);
    send_command(CMD_SHOW_BREAKDOWN);
    choose_in_combo(demographics_panel(), IDC_DEMO_RACE, 4);
    SendDlgItemMessageA(question_panel(), IDC_QUESTION_PREV, BM_CLICK, 0, 0);
    pump_messages(0);
    info_append("kept line\r\n");
    struct Case {
        int panel;
        int focus_id;  // a control of the panel that holds the focus
        int command;
    };
    const Case cases[] = {
        {PANEL_DEMOGRAPHICS, IDC_DEMO_AGE, CMD_SHOW_DEMOGRAPHICS},
        {PANEL_QUESTION, IDC_QUESTION_ANSWER, CMD_SHOW_QUESTION},
        {PANEL_GIS, 0, CMD_SHOW_GIS},
        {PANEL_INFO, IDC_INFO_CLEAR, CMD_SHOW_INFO},
        {PANEL_ABOUT, IDC_ABOUT_OK, CMD_ABOUT},
        {PANEL_AREAS, IDC_AREAS_LIST, CMD_SHOW_AREAS},
        {PANEL_BREAKDOWN, IDC_BREAKDOWN_LIST, CMD_SHOW_BREAKDOWN},
    };
    for (const Case &c : cases) {
        HWND panel = panel_window(c.panel);
        ASSERT_TRUE(IsWindowVisible(panel)) << c.panel;
        RECT before;
        GetWindowRect(panel, &before);
        SetFocus(c.focus_id ? GetDlgItem(panel, c.focus_id) : panel);
        ASSERT_TRUE(GetFocus() == panel || IsChild(panel, GetFocus())) << c.panel;
        key_stroke(VK_ESCAPE, 0);
        EXPECT_FALSE(IsWindowVisible(panel)) << c.panel;
        EXPECT_TRUE(IsWindow(panel));
        send_command(c.command);
        EXPECT_TRUE(IsWindowVisible(panel)) << c.panel;
        RECT after;
        GetWindowRect(panel, &after);
        EXPECT_EQ(0, memcmp(&before, &after, sizeof before)) << c.panel;
    }
    EXPECT_EQ(4, combo_selection(demographics_panel(), IDC_DEMO_RACE));
    EXPECT_EQ(4, tally_query()->field[Q2]);
    EXPECT_EQ(33, current_question());
    EXPECT_EQ("Q38: Your City Council District Member is?", item_text(question_panel(), IDC_QUESTION_TEXT));
    EXPECT_EQ("kept line\r\n\r\n", info_log_text());
    EXPECT_EQ(NAV_NONE, nav_command());
}

TEST_F(Interaction, TabMovesBetweenTheTabStopsOfAPanel)
{
    struct Case {
        int panel;
        std::vector<int> order;  // from the first, wrapping back to it
    };
    const Case cases[] = {
        {PANEL_DEMOGRAPHICS,
         {IDC_DEMO_AGE, IDC_DEMO_SEX, IDC_DEMO_MARITAL, IDC_DEMO_CHILDREN, IDC_DEMO_NUM_CHILDREN,
          IDC_DEMO_RACE, IDC_DEMO_HISPANIC, IDC_DEMO_INCOME, IDC_DEMO_EDUCATION, IDC_DEMO_VETERAN}},
        {PANEL_QUESTION, {IDC_QUESTION_PREV, IDC_QUESTION_NEXT, IDC_QUESTION_ANSWER, IDC_FIND_ZIP}},
        {PANEL_INFO, {IDC_INFO_CLEAR, IDC_INFO_SAVE}},
        {PANEL_ABOUT, {IDC_ABOUT_OK}},
        // "Selected zip only" is skipped while no zip code is selected.
        {PANEL_BREAKDOWN, {IDC_BREAKDOWN_BY, IDC_BREAKDOWN_COPY_CHART, IDC_BREAKDOWN_LIST}},
    };
    send_command(CMD_SHOW_INFO);
    send_command(CMD_ABOUT);
    send_command(CMD_SHOW_BREAKDOWN);
    for (const Case &c : cases) {
        HWND panel = panel_window(c.panel);
        SetFocus(GetDlgItem(panel, c.order[0]));
        for (size_t i = 1; i <= c.order.size(); i++) {
            key_stroke(VK_TAB, 0);
            int want = c.order[i % c.order.size()];
            EXPECT_EQ(GetDlgItem(panel, want), GetFocus()) << "panel " << c.panel << " step " << i;
        }
    }
    // Leaving the empty Find Zip box with no data loaded reports nothing.
    EXPECT_TRUE(message_boxes().empty());
    SetFocus(main_window());
    pump_messages(0);
}

TEST_F(Interaction, AboutShowsOnceAndOkHidesIt)
{
    HWND about = panel_window(PANEL_ABOUT);
    ASSERT_FALSE(IsWindowVisible(about));
    send_command(CMD_ABOUT);
    send_command(CMD_ABOUT);
    EXPECT_TRUE(IsWindowVisible(about));
    // One About box in the whole process.
    int visible = 0;
    for (HWND box : process_windows_titled(GetCurrentProcessId(), "About Pellora 2.0"))
        visible += IsWindowVisible(box) ? 1 : 0;
    EXPECT_EQ(1, visible);
    EXPECT_EQ("Left mouse", item_text(about, IDC_ABOUT_SELECT_KEYS));
    EXPECT_EQ("Ctrl + Right mouse", item_text(about, IDC_ABOUT_PAN_KEYS));

    SendDlgItemMessageA(about, IDC_ABOUT_OK, BM_CLICK, 0, 0);
    pump_messages(0);
    EXPECT_FALSE(IsWindowVisible(about));

    // Enter presses the default OK button.
    send_command(CMD_ABOUT);
    SetFocus(GetDlgItem(about, IDC_ABOUT_OK));
    key_stroke(VK_RETURN, 0);
    EXPECT_FALSE(IsWindowVisible(about));
}
