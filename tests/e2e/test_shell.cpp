// The program runs: window, menus, panels, the map and its bars, loading
// and saving data, the Info log, and shutting down.
#include <windows.h>

#include <GL/gl.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <process.h>
#include <shellapi.h>

#include <filesystem>
#include <functional>
#include <string>
#include <utility>

#include "app/shell.h"
#include "e2e/e2e_support.h"
#include "gis/zip_table.h"
#include "panels/info_panel.h"
#include "resources/resource.h"
#include "stats/counts_file.h"
#include "survey/catalogue.h"
#include "survey/csv_file.h"
#include "survey/data_stream.h"
#include "survey/record_file.h"
#include "survey/tally.h"
#include "view/map_layer.h"
#include "view/map_legend.h"
#include "view/map_view.h"
#include "view/mouse_input.h"

namespace {

class Shell : public testing::Test {
protected:
    void SetUp() override { reset_program(); }
};

bool near_colour(TileColour got, TileColour want, int tolerance = 3)
{
    return abs(got.r - want.r) <= tolerance && abs(got.g - want.g) <= tolerance &&
           abs(got.b - want.b) <= tolerance;
}

std::string describe(TileColour c)
{
    return "(" + std::to_string(c.r) + ", " + std::to_string(c.g) + ", " + std::to_string(c.b) + ")";
}

const TileColour white = {255, 255, 255};
const TileColour background = {127, 127, 127};
const TileColour bar_top_grey = {168, 168, 168};

// Map points well inside each quadrant, away from every zip bar.
const Vec3 quadrant_points[4] = {
    {-96.3f, 29.0f, 0.0f}, {-94.6f, 29.0f, 0.0f}, {-96.3f, 30.6f, 0.0f}, {-94.6f, 30.6f, 0.0f}};

TileColour pixel_at(const Frame &frame, const Vec3 &point)
{
    int x, y;
    if (!window_position(point, &x, &y)) {
        ADD_FAILURE() << "map point (" << point.x << ", " << point.y << ", " << point.z
                      << ") is outside the window";
        return {1, 2, 3};
    }
    return frame_pixel(frame, x, y);
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

std::string menu_text(HMENU menu, int position)
{
    char text[64] = "";
    GetMenuStringA(menu, (UINT)position, text, sizeof text, MF_BYPOSITION);
    return text;
}

}  // namespace

TEST_F(Shell, MainWindowHasTitleSizeAndClientArea)
{
    char title[64];
    GetWindowTextA(main_window(), title, sizeof title);
    EXPECT_STREQ("Quorvel 1.0 beta", title);
    RECT window;
    GetWindowRect(main_window(), &window);
    EXPECT_EQ(1024, window.right - window.left);
    EXPECT_EQ(768, window.bottom - window.top);
    RECT client;
    GetClientRect(main_window(), &client);
    EXPECT_EQ(client.right, client_width());
    EXPECT_EQ(client.bottom, client_height());
    char class_name[16];
    GetClassNameA(main_window(), class_name, sizeof class_name);
    EXPECT_STREQ("mainw", class_name);
}

TEST_F(Shell, MenuBarHoldsEveryItemInOrder)
{
    struct Item {
        const char *text;
        UINT id;
    };
    struct Popup {
        const char *title;
        std::vector<Item> items;
    };
    const std::vector<Popup> expected = {
        {"File", {{"Load Data..\tCtrl+O", 1}, {"Save Data..\tCtrl+S", 5}, {"Import CSV..", 3},
                  {"Export CSV..", 4}, {"Export Counts..", 50}, {"Save Snapshot..", 7},
                  {"Print..\tCtrl+P", 8}, {"Quit", 10}}},
        {"Edit", {{"Copy Map\tCtrl+C", 60}, {"Copy Counts\tCtrl+Shift+C", 61}}},
        {"Location", {{"Default Location", 21}, {"Saved Location", 22}, {"Survey Area", 51}}},
        {"Question", {{"Default Question", 41}, {"Saved Question", 42}, {"", 0},
                      {"Bars: Count", 52}, {"Bars: Share of Area", 53}, {"Bars: Smoothed Share", 58}, {"", 0},
                      {"Color: Plain", 56}, {"Color: Above or Below Average", 57}, {"", 0},
                      {"Compare: All Areas Together", 62}, {"Compare: Each Area Alone", 63}}},
        {"Demographics", {{"Default Demographics", 31}, {"Saved Demographics", 32}}},
        {"Panel", {{"Show GIS Panel", 14}, {"Show Demographics Panel", 11},
                   {"Show Question Panel", 12}, {"Show Info Panel", 13}, {"Show Areas Panel", 55},
                   {"Show Breakdown Panel", 70}, {"Show Legend", 54}}},
        {"Help", {{"About..", 6}}},
    };
    HMENU bar = GetMenu(main_window());
    ASSERT_NE(nullptr, bar);
    ASSERT_EQ((int)expected.size(), GetMenuItemCount(bar));
    for (size_t p = 0; p < expected.size(); p++) {
        EXPECT_EQ(expected[p].title, menu_text(bar, (int)p));
        HMENU popup = GetSubMenu(bar, (int)p);
        ASSERT_NE(nullptr, popup);
        ASSERT_EQ((int)expected[p].items.size(), GetMenuItemCount(popup)) << expected[p].title;
        for (size_t i = 0; i < expected[p].items.size(); i++) {
            EXPECT_EQ(expected[p].items[i].text, menu_text(popup, (int)i));
            EXPECT_EQ(expected[p].items[i].id, GetMenuItemID(popup, (int)i));
        }
    }
    // At start the bars count respondents in plain grey, the areas are
    // compared together and the legend shows; each choice moves its mark.
    for (const std::string &checked : {"52 54 56 62", "54 56 58 63"}) {
        for (UINT id : {52u, 53u, 54u, 56u, 57u, 58u, 62u, 63u})
            EXPECT_EQ(checked.find(std::to_string(id)) != std::string::npos,
                      (GetMenuState(bar, id, MF_BYCOMMAND) & MF_CHECKED) != 0) << id;
        send_command(CMD_BARS_SMOOTHED);
        send_command(CMD_COMPARE_ALONE);
    }
}

TEST_F(Shell, EachDialogHasItsCaptionAndStartVisibility)
{
    struct Expected {
        int panel;
        const char *caption;
        bool visible;
    };
    const Expected expected[] = {
        {PANEL_DEMOGRAPHICS, "Demographics Panel", true}, {PANEL_QUESTION, "Question Panel", true},
        {PANEL_GIS, "GIS Panel", true}, {PANEL_INFO, "Info Panel", false},
        {PANEL_ABOUT, "About Pellora 2.0", false}, {PANEL_AREAS, "Areas Panel", false},
        {PANEL_BREAKDOWN, "Breakdown Panel", false}};
    for (const Expected &e : expected) {
        HWND panel = panel_window(e.panel);
        ASSERT_NE(nullptr, panel);
        char caption[64];
        GetWindowTextA(panel, caption, sizeof caption);
        EXPECT_STREQ(e.caption, caption);
        EXPECT_EQ(e.visible, IsWindowVisible(panel) != 0) << e.caption;
        EXPECT_EQ(main_window(), GetWindow(panel, GW_OWNER)) << e.caption;
    }
}

TEST_F(Shell, FourTilesLandInTheirQuadrants)
{
    Frame frame = read_frame();
    const float meridians[3] = {-96.62202f, -95.4877f, -94.35338f};
    const float parallels[3] = {28.76915f, 29.837934f, 30.90672f};
    for (int t = 0; t < 4; t++) {
        TileColour got = pixel_at(frame, quadrant_points[t]);
        EXPECT_TRUE(near_colour(got, test_tile_colours[t])) << "tile " << t << " shows " << describe(got);
        // The patch where the picture has it: no flip, no mirror.
        int column = t % 2, row = t / 2;
        Vec3 patch = {meridians[column] + test_patch_centres[t][0] * (meridians[column + 1] - meridians[column]),
                      parallels[row] + test_patch_centres[t][1] * (parallels[row + 1] - parallels[row]), 0.0f};
        got = pixel_at(frame, patch);
        EXPECT_TRUE(near_colour(got, test_patch_colour)) << "tile " << t << " patch shows " << describe(got);
    }
}

TEST_F(Shell, StartViewShowsTheWholeMosaicOnGrey)
{
    const float west = -96.62202f, east = -94.35338f, south = 28.76915f, north = 30.90672f;
    const float inset = 0.01f;
    Frame frame = read_frame();
    // Just inside each corner: its tile; just outside the mosaic: grey.
    // The upper-left corner lies under the legend.
    const Vec3 inside[4] = {{west + inset, south + inset, 0}, {east - inset, south + inset, 0},
                            {west + inset, north - inset, 0}, {east - inset, north - inset, 0}};
    RECT box;
    ASSERT_TRUE(legend_box(&box));
    int x, y;
    ASSERT_TRUE(window_position(inside[2], &x, &y));
    EXPECT_TRUE(x > box.left && x < box.right && y > box.top && y < box.bottom);
    for (int t = 0; t < 4; t++)
        EXPECT_EQ(t != 2, near_colour(pixel_at(frame, inside[t]), test_tile_colours[t])) << "corner " << t;
    const Vec3 outside[2] = {{west - 0.05f, 29.8f, 0}, {east + 0.05f, 29.8f, 0}};
    for (const Vec3 &point : outside)
        EXPECT_TRUE(near_colour(pixel_at(frame, point), background));

    // The legend: a light translucent box over the grey, with text in it;
    // "Show Legend" takes it away, leaving the corner's tile.
    EXPECT_TRUE(near_colour(frame_pixel(frame, box.left + 1, box.bottom - 2), {229, 229, 223}));
    EXPECT_GT(dark_pixels(frame, box), 300);
    send_command(CMD_SHOW_LEGEND);
    EXPECT_TRUE(near_colour(pixel_at(read_frame(), inside[2]), test_tile_colours[2]));
}

TEST_F(Shell, MissingTilesAreReportedAndDrawnWhite)
{
    struct Case {
        int first_missing;  // in load order: ll, lr, ul, ur
        const char *file;
        const char *message;
    };
    const Case cases[] = {
        {0, "ll.bmp", "make_map() - can't read lower left map!"},
        {3, "ur.bmp", "make_map() - can't read upper right map!"},
    };
    static const GLuint textures[4] = {TEX_LOWER_LEFT, TEX_LOWER_RIGHT, TEX_UPPER_LEFT, TEX_UPPER_RIGHT};
    for (const Case &c : cases) {
        std::string tile = work_path(std::string("data\\maps\\") + c.file);
        std::filesystem::rename(tile, tile + ".away");
        glDeleteTextures(4, textures);
        message_boxes().clear();
        make_map();
        pump_messages(50);
        ASSERT_EQ(1u, message_boxes().size()) << c.file;
        EXPECT_EQ("ERROR!", message_boxes()[0].caption);
        EXPECT_EQ(c.message, message_boxes()[0].text);
        Frame frame = read_frame();
        for (int t = 0; t < 4; t++) {
            TileColour want = t >= c.first_missing ? white : test_tile_colours[t];
            TileColour got = pixel_at(frame, quadrant_points[t]);
            EXPECT_TRUE(near_colour(got, want)) << c.file << " tile " << t << " " << describe(got);
        }
        std::filesystem::rename(tile + ".away", tile);
    }
    message_boxes().clear();
    make_map();
    EXPECT_TRUE(message_boxes().empty());
}

// The dark bands up the south face of a zip's bar, seen in a frame of the
// current view, from the foot to just under `top` blocks.
static int bands_on_south_face(int index, float top)
{
    Frame side = read_frame();
    int bands = 0;
    bool in_band = false;
    for (float z = 0.05f; z < top; z += 0.02f) {
        TileColour c = pixel_at(side, {zip_longitude(index), zip_latitude(index) - 0.0025f, z});
        bool dark = c.r < 60 && c.g < 60 && c.b < 60;
        bands += dark && !in_band;
        in_band = dark;
    }
    return bands;
}

TEST_F(Shell, BarsStandAtTheirZipsWithOneBandPerRespondent)
{
    int index_77002 = 2, index_77004 = 4;
    // Twelve more in 77002, and the one in 77004 (south of it), gave
    // another answer: they count in the bases only.
    std::vector<RespondentRecord> records(3, respondent(77002));
    RespondentRecord other_answer = respondent(77002);
    other_answer.field[Q10] = 2;
    records.insert(records.end(), 12, other_answer);
    other_answer.field[Q32] = 77004;
    records.push_back(other_answer);
    use_records(records);
    EXPECT_EQ(3, tally_result()->counts[index_77002]);

    // From above, every located zip shows its grey top at its centroid.
    set_view(100.0f, 0.0f, 0.0f, -1);
    Frame top = read_frame();
    for (int index : {index_77002, index_77004, 8 /* 77008 */, 92 /* 77092 */}) {
        Vec3 centre = {zip_longitude(index), zip_latitude(index), 0.0f};
        TileColour got = pixel_at(top, centre);
        EXPECT_TRUE(near_colour(got, bar_top_grey)) << "zip " << 77000 + index << " " << describe(got);
    }

    // Tilted toward the south face of 77002's bar: three blocks, each with
    // a dark band at its top.
    set_view(25.0f, 60.0f, 0.0f, index_77002);
    EXPECT_EQ(3, bands_on_south_face(index_77002, 3.6f));

    // As a share of the area: 3 of 15 is 20%, four blocks of 5%.
    send_command(CMD_BARS_SHARE);
    EXPECT_EQ(4, bands_on_south_face(index_77002, 4.6f));
    send_command(CMD_BARS_COUNT);
    EXPECT_EQ(3, bands_on_south_face(index_77002, 4.6f));
}

TEST_F(Shell, SelectedZipLeavesOtherBarsTranslucent)
{
    use_records({respondent(77002), respondent(77004)});
    set_view(100.0f, 0.0f, 0.0f, -1);
    Vec3 selected = {zip_longitude(2), zip_latitude(2), 1.0f};
    Vec3 other = {zip_longitude(4), zip_latitude(4), 1.0f};
    select_zip(2);
    Frame frame = read_frame();
    EXPECT_TRUE(near_colour(pixel_at(frame, selected), bar_top_grey));
    // 15% bar grey over the lower-right tile.
    const TileColour lower_right = test_tile_colours[1];
    TileColour blended = {(uint8_t)(0.15f * 168 + 0.85f * lower_right.r),
                          (uint8_t)(0.15f * 168 + 0.85f * lower_right.g),
                          (uint8_t)(0.15f * 168 + 0.85f * lower_right.b)};
    TileColour got = pixel_at(frame, other);
    EXPECT_TRUE(near_colour(got, blended, 4)) << describe(got) << " vs " << describe(blended);
    select_zip(-1);
    EXPECT_TRUE(near_colour(pixel_at(read_frame(), other), bar_top_grey));

    // As shares, a bar over fewer than five respondents reads faint: more
    // solid than the bars a selection leaves translucent, less than a full one.
    std::vector<RespondentRecord> records(5, respondent(77002));
    records.push_back(respondent(77004));
    use_records(records);
    send_command(CMD_BARS_SHARE);
    selected.z = other.z = 20.0f;  // both 100%
    frame = read_frame();
    EXPECT_TRUE(near_colour(pixel_at(frame, selected), bar_top_grey));
    got = pixel_at(frame, other);
    TileColour faint = {(uint8_t)(75.6f + 0.55f * lower_right.r), (uint8_t)(75.6f + 0.55f * lower_right.g),
                        (uint8_t)(75.6f + 0.55f * lower_right.b)};  // 45% of the bar grey, 168
    EXPECT_TRUE(near_colour(got, faint, 4)) << describe(got);
    select_zip(2);
    got = pixel_at(read_frame(), other);
    EXPECT_TRUE(near_colour(got, blended, 4)) << describe(got);

    // Colored against the 50% average: 77002 (40 of 40) lies above it in
    // orange, 77004 (0 of 40) below in purple, translucent while another
    // is selected; 77005 (2 of 4) is not different and stays grey.
    records.assign(40, respondent(77002));
    RespondentRecord other_answer = respondent(77004);
    other_answer.field[Q10] = 2;
    records.insert(records.end(), 40, other_answer);
    other_answer.field[Q32] = 77005;
    records.insert(records.end(), {respondent(77005), respondent(77005), other_answer, other_answer});
    use_records(records);
    send_command(CMD_BARS_COUNT);
    send_command(CMD_COLOR_AVERAGE);
    const TileColour orange = {200, 82, 0}, purple = {93, 58, 155};
    selected.z = 40.0f;
    other.z = 0.0f;
    frame = read_frame();
    EXPECT_TRUE(near_colour(pixel_at(frame, selected), orange)) << describe(pixel_at(frame, selected));
    EXPECT_TRUE(near_colour(pixel_at(frame, other), {(uint8_t)(0.15f * 93 + 0.85f * lower_right.r),
                                                     (uint8_t)(0.15f * 58 + 0.85f * lower_right.g),
                                                     (uint8_t)(0.15f * 155 + 0.85f * lower_right.b)}, 4));
    select_zip(-1);
    frame = read_frame();
    EXPECT_TRUE(near_colour(pixel_at(frame, other), purple) &&
                near_colour(pixel_at(frame, {zip_longitude(5), zip_latitude(5), 2.0f}), bar_top_grey));
    send_command(CMD_COLOR_PLAIN);
    EXPECT_TRUE(near_colour(pixel_at(read_frame(), selected), bar_top_grey));

    // The sample's 77006 (9 of 22) lies below the 69.8% average alone, 77045
    // (16 of 17) above it; neither does among all 116 areas.
    answer_file_dialog(source_path("data/samples/sample-survey.qvd"));
    send_command(CMD_LOAD_DATA);
    send_command(CMD_COLOR_AVERAGE);
    set_view(400.0f, 0.0f, 0.0f, 23);
    const Vec3 below = {zip_longitude(6), zip_latitude(6), 9.0f}, above = {zip_longitude(45), zip_latitude(45), 16.0f};
    for (int alone : {1, 0}) {
        send_command(alone ? CMD_COMPARE_ALONE : CMD_COMPARE_TOGETHER);
        frame = read_frame();
        EXPECT_TRUE(near_colour(pixel_at(frame, below), alone ? purple : bar_top_grey) &&
                    near_colour(pixel_at(frame, above), alone ? orange : bar_top_grey)) << alone;
    }
}

TEST_F(Shell, LoadDataThroughTheOpenDialog)
{
    use_records({respondent(77002), respondent(77002), respondent(77005), respondent(77001)});
    std::string path = work_path("four.qvd");
    ASSERT_EQ(1, write_records(path.c_str()));
    use_records({});

    answer_file_dialog(path);
    send_command(CMD_LOAD_DATA);
    ASSERT_EQ(1u, message_boxes().size());
    EXPECT_EQ("Info", message_boxes()[0].caption);
    EXPECT_EQ("Load complete", message_boxes()[0].text);
    EXPECT_EQ(4, record_count());
    EXPECT_EQ(2, tally_result()->counts[2]);
    EXPECT_EQ(1, tally_result()->counts[5]);
    EXPECT_EQ(1, tally_result()->counts[1]);
    EXPECT_EQ(4, tally_result()->total);
    EXPECT_EQ(0, unanswered_file_dialogs());

    // Loaded at the start view, the view moved to the Survey Area; a view
    // the user has set stays when data is loaded (by Ctrl+O here), and
    // "Survey Area" brings the framed view back.
    MapView survey = *current_map_view();
    EXPECT_EQ(50.0f, survey.tilt);
    EXPECT_GT(500.0f, survey.distance);
    set_view(300.0f, 10.0f, 5.0f, -1);
    MapView user = *current_map_view();
    answer_file_dialog(path);
    SetFocus(main_window());
    control_key_stroke('O');
    EXPECT_EQ("Load complete", message_boxes().back().text);
    EXPECT_EQ(0, memcmp(&user, current_map_view(), sizeof user));
    send_command(CMD_SURVEY_AREA);
    EXPECT_EQ(0, memcmp(&survey, current_map_view(), sizeof survey));

    // A million respondents, the sample 758 times over, loaded at the start
    // view: a block per 500, and the Survey Area shows the map and every bar.
    std::vector<uint8_t> sample = file_bytes(source_path("data/samples/sample-survey.qvd")), large;
    for (int i = 0; i < 758; i++)
        large.insert(large.end(), sample.begin(), sample.end());
    write_file_bytes(path, large);
    reset_program();
    answer_file_dialog(path);
    send_command(CMD_LOAD_DATA);
    ASSERT_TRUE(record_count() == 1000560 && bar_scale() == 500);
    Frame frame = read_frame();
    auto grey = [&frame](int x, int y) {
        TileColour c = frame_pixel(frame, x, y);
        return abs(c.r - c.g) + abs(c.g - c.b) < 16;  // a bar or the background, not the map
    };
    EXPECT_FALSE(grey(0, frame.height - 1) || grey(frame.width / 2, 0) || grey(frame.width - 1, 0));
    for (int i = 0, x, y; i < ZIP_SLOTS; i++) {
        Vec3 top = {zip_longitude(i), zip_latitude(i), tally_result()->counts[i] / 500.0f};
        EXPECT_TRUE(!zip_has_location(i) || !top.z || (window_position(top, &x, &y) && grey(x, y))) << 77000 + i;
    }
}

TEST_F(Shell, LoadingAMissingFileOrNoRecordFileNamesTheWholePath)
{
    use_records({respondent(77002)});
    std::string path = work_path("no such folder name that is rather long\\missing data.qvd");
    answer_file_dialog(path);
    send_command(CMD_LOAD_DATA);
    ASSERT_EQ(1u, message_boxes().size());
    EXPECT_EQ("ERROR!", message_boxes()[0].caption);
    EXPECT_EQ("read_records() - can't open record file: " + path + "!\n", message_boxes()[0].text);
    EXPECT_EQ(1, record_count());
    EXPECT_EQ(1, tally_result()->counts[2]);

    // A file that is not whole records, such as a CSV file, is refused.
    std::string csv = work_path("survey.csv.qvd"), text = "Q1,Q2\r\n25,1\r\n";
    write_file_bytes(csv, std::vector<uint8_t>(text.begin(), text.end()));
    message_boxes().clear();
    answer_file_dialog(csv);
    send_command(CMD_LOAD_DATA);
    ASSERT_EQ(1u, message_boxes().size());
    EXPECT_EQ("ERROR!", message_boxes()[0].caption);
    EXPECT_EQ("read_records() - not a record file: " + csv + "!\n", message_boxes()[0].text);
    EXPECT_EQ(1, tally_result()->counts[2]);
}

TEST_F(Shell, CancellingTheOpenDialogChangesNothing)
{
    use_records({respondent(77002)});
    cancel_file_dialog();
    send_command(CMD_LOAD_DATA);
    EXPECT_TRUE(message_boxes().empty());
    EXPECT_EQ(1, record_count());
    EXPECT_EQ(0, unanswered_file_dialogs());
}

TEST_F(Shell, AFileDroppedOnTheWindowOpensAsTheMenusWouldOpenIt)
{
    EXPECT_TRUE(GetWindowLongA(main_window(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    std::string csv = work_path("dropped.csv"), qvd = work_path("dropped.qvd");
    std::string notes = work_path("notes.txt"), bad = work_path("not records.qvd");
    std::string longer = work_path(std::string(260, 'x') + ".qvd");
    use_records({respondent(77010)});
    ASSERT_EQ(1, write_csv_records(csv.c_str()));
    use_records({respondent(77002), respondent(77002), respondent(77005)});
    ASSERT_EQ(1, write_records(qvd.c_str()));
    write_file_bytes(notes, {'h', 'i'});
    write_file_bytes(bad, {1, 2, 3});
    use_records({});
    // Dropped at the start view, the data moves the view to the Survey Area;
    // a view the user set stays.  Two files, another kind of file, a name
    // too long or a file that holds no records: a message, and the data set
    // and view stay.
    const struct {
        std::vector<std::string> files;
        std::string said;
        int records;
    } drops[] = {{{qvd}, "Load complete", 3}, {{csv}, "Import complete", 1},
                 {{qvd, csv}, "on_drop_files() - 2 files dropped: drop one .qvd or .csv file!\n", 1},
                 {{notes}, "open_data_file() - not a .qvd or .csv file: " + notes + "!\n", 1},
                 {{longer}, "open_data_file() - name longer than 255 characters: " + longer + "!\n", 1},
                 {{bad}, "read_records() - not a record file: " + bad + "!\n", 1}};
    for (const auto &drop : drops) {
        message_boxes().clear();
        drop_files(drop.files);
        ASSERT_EQ(1u, message_boxes().size());
        EXPECT_EQ(drop.said, message_boxes()[0].text);
        EXPECT_TRUE(record_count() == drop.records && tally_result()->counts[drop.records == 3 ? 2 : 10] > 0);
        EXPECT_EQ(drop.records == 3 ? 50.0f : 10.0f, current_map_view()->tilt);
        set_view(300.0f, 10.0f, 5.0f, -1);
    }
}

TEST_F(Shell, SaveDataAppendsTheExtensionAndWritesWhatWasLoaded)
{
    use_records({respondent(77002), respondent(77030), respondent(99999)});
    std::string loaded = work_path("loaded.qvd");
    ASSERT_EQ(1, write_records(loaded.c_str()));
    answer_file_dialog(loaded);
    send_command(CMD_LOAD_DATA);
    message_boxes().clear();

    std::string saved = work_path("saved copy");
    answer_file_dialog(saved);
    send_command(CMD_SAVE_DATA);
    ASSERT_EQ(1u, message_boxes().size());
    EXPECT_EQ("Info", message_boxes()[0].caption);
    EXPECT_EQ("Save complete", message_boxes()[0].text);
    EXPECT_EQ(file_bytes(loaded), file_bytes(saved + ".qvd"));
    EXPECT_EQ(3u * 180u, file_bytes(saved + ".qvd").size());

    // Typed without the extension while the file with it exists: every such
    // save asks; No keeps the old file and saves nothing, Yes replaces it.
    const char *extensions[] = {".qvd", ".csv", ".bmp"};
    const int commands[] = {CMD_SAVE_DATA, CMD_EXPORT_CSV, CMD_SAVE_SNAPSHOT};
    for (int i = 0; i < 3; i++) {
        write_file_bytes(saved + extensions[i], {'o', 'l', 'd'});
        message_boxes().clear();
        answer_file_dialog(saved);
        answer_question_box(IDNO);
        send_command(commands[i]);
        ASSERT_EQ(1u, message_boxes().size()) << extensions[i];
        EXPECT_EQ("Confirm Save As", message_boxes()[0].caption);
        EXPECT_EQ("saved copy" + std::string(extensions[i]) + " already exists. Do you want to replace it?",
                  message_boxes()[0].text);
        EXPECT_EQ((std::vector<uint8_t>{'o', 'l', 'd'}), file_bytes(saved + extensions[i]));
    }
    // Ctrl+S in a panel saves as the menu does; Yes replaces the file.
    message_boxes().clear();
    answer_file_dialog(saved);
    SetFocus(panel_window(PANEL_GIS));
    control_key_stroke('S');
    EXPECT_EQ("Save complete", message_boxes().back().text);
    EXPECT_EQ(file_bytes(loaded), file_bytes(saved + ".qvd"));
}

TEST_F(Shell, ASaveNameWithNoRoomForTheExtensionIsRefused)
{
    use_records({respondent(77002)});
    // 253 characters: the path buffer of 256 bytes cannot take ".qvd" too.
    std::string path = work_path("");
    path += std::string(253 - path.size(), 'n');
    answer_file_dialog(path);
    send_command(CMD_SAVE_DATA);
    ASSERT_EQ(1u, message_boxes().size());
    EXPECT_EQ("ERROR!", message_boxes()[0].caption);
    EXPECT_EQ("choose_save_file() - name too long to add .qvd: " + path + "!\n",
              message_boxes()[0].text);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(std::filesystem::exists(path + ".qvd"));
}

TEST_F(Shell, AFailedSaveIsReportedAndKeepsThePreviousFile)
{
    std::string path = work_path("kept.qvd");
    use_records({respondent(77002)});
    ASSERT_EQ(1, write_records(path.c_str()));
    std::vector<uint8_t> before = file_bytes(path);
    use_records({respondent(77004), respondent(77005)});

    // The finished file cannot take the old one's place.
    data_stream_inject_fault(FAULT_REPLACE, 0);
    answer_file_dialog(path);
    send_command(CMD_SAVE_DATA);
    // The dialog first asks whether to replace the existing file.
    ASSERT_EQ(2u, message_boxes().size());
    EXPECT_NE(std::string::npos, message_boxes()[0].text.find("replace")) << message_boxes()[0].text;
    EXPECT_EQ("ERROR!", message_boxes()[1].caption);
    EXPECT_EQ("write_records() - can't replace record file: " + path + "!\n", message_boxes()[1].text);
    EXPECT_EQ(before, file_bytes(path));
    EXPECT_FALSE(std::filesystem::exists(path + ".~tmp"));
}

TEST_F(Shell, InfoLogKeeps198Lines)
{
    HWND log = GetDlgItem(panel_window(PANEL_INFO), IDC_INFO_LOG);
    for (int i = 1; i <= 66; i++) {
        char entry[64];
        snprintf(entry, sizeof entry, "Entry %d line one\r\nEntry %d line two\r\n", i, i);
        info_append(entry);
    }
    EXPECT_TRUE(IsWindowVisible(panel_window(PANEL_INFO)));
    EXPECT_EQ(198, (int)SendMessageA(log, EM_GETLINECOUNT, 0, 0));
    char text[INFO_TEXT_MAX];
    GetWindowTextA(log, text, sizeof text);
    EXPECT_EQ(0, strncmp(text, "Entry 1 line two\r\n\r\nEntry 2 line one\r\n", 38)) << text;
    std::string all = text;
    EXPECT_EQ(all.size() - strlen("Entry 66 line two\r\n\r\n"), all.rfind("Entry 66 line two\r\n\r\n"));

    // Clear empties it; the next entry starts at the top.
    PostMessageA(panel_window(PANEL_INFO), WM_COMMAND, MAKEWPARAM(IDC_INFO_CLEAR, BN_CLICKED),
                 (LPARAM)GetDlgItem(panel_window(PANEL_INFO), IDC_INFO_CLEAR));
    pump_messages(50);
    EXPECT_EQ(0, GetWindowTextLengthA(log));
}

TEST_F(Shell, InfoSaveWritesEachLineWithSpaceCrLf)
{
    info_append("Total for area: 8\r\nTotal for zip code 77005: 1, 12.50%\r\n");
    std::string path = work_path("log");
    answer_file_dialog(path);
    SendMessageA(panel_window(PANEL_INFO), WM_COMMAND, MAKEWPARAM(IDC_INFO_SAVE, BN_CLICKED), 0);
    ASSERT_EQ(1u, message_boxes().size());
    EXPECT_EQ("Save complete", message_boxes()[0].text);
    std::string expected = "Total for area: 8 \r\nTotal for zip code 77005: 1, 12.50% \r\n \r\n";
    std::vector<uint8_t> bytes = file_bytes(path + ".txt");
    EXPECT_EQ(expected, std::string(bytes.begin(), bytes.end()));

    // A log file that cannot be written is reported, never "Save complete".
    message_boxes().clear();
    std::string blocked = work_path("blocked.txt");
    data_stream_inject_fault(FAULT_CREATE, STAGING_NAMES);
    answer_file_dialog(blocked);
    SendMessageA(panel_window(PANEL_INFO), WM_COMMAND, MAKEWPARAM(IDC_INFO_SAVE, BN_CLICKED), 0);
    ASSERT_EQ(1u, message_boxes().size());
    EXPECT_EQ("ERROR!", message_boxes()[0].caption);
    EXPECT_EQ("info_save() - can't create log file: " + blocked + "!\n", message_boxes()[0].text);
    EXPECT_FALSE(std::filesystem::exists(blocked));
}

TEST_F(Shell, DefaultLocationRestoresLocationOnly)
{
    MapView moved = *current_map_view();
    moved.location = {-90.0f, 31.0f, 0.0f};
    moved.distance = 77.0f;
    moved.tilt = 20.0f;
    moved.spin = -30.0f;
    set_map_view(&moved);
    send_command(CMD_DEFAULT_LOCATION);
    const MapView *view = current_map_view();
    EXPECT_FLOAT_EQ(-95.4877f, view->location.x);
    EXPECT_FLOAT_EQ(29.837934f, view->location.y);
    EXPECT_FLOAT_EQ(0.0f, view->location.z);
    EXPECT_FLOAT_EQ(77.0f, view->distance);
    EXPECT_FLOAT_EQ(20.0f, view->tilt);
    EXPECT_FLOAT_EQ(-30.0f, view->spin);
}

TEST_F(Shell, UnknownCommandsOnlyDraw)
{
    use_records({respondent(77002)});
    MapView before = *current_map_view();
    for (int id : {0, 2, 9, 15, 20, 23, 30, 33, 40, 43, 100, 0xFFFF}) {
        send_command(id);
        EXPECT_EQ(0, memcmp(&before, current_map_view(), sizeof before)) << id;
        EXPECT_EQ(1, record_count());
        EXPECT_TRUE(message_boxes().empty()) << id;
        EXPECT_TRUE(IsWindow(main_window()));
    }
}

TEST_F(Shell, MinimisedWindowKeepsAValidProjection)
{
    on_size(MAKELPARAM(1000, 0));
    read_frame();
    EXPECT_EQ(GL_NO_ERROR, glGetError());
    RECT client;
    GetClientRect(main_window(), &client);
    on_size(MAKELPARAM(client.right, client.bottom));
    EXPECT_TRUE(near_colour(pixel_at(read_frame(), quadrant_points[0]), test_tile_colours[0]));
}

TEST_F(Shell, QuitReleasesEveryTextureAndList)
{
    static const GLuint textures[] = {10, 11, 12, 13, 14};
    // The map's lists and the legend font's first, middle and last.
    static const GLuint lists[] = {100, 101, 102, 103, 11, 12, 1000, 1000 + 'A', 1255};
    read_frame();
    for (GLuint texture : textures)
        ASSERT_TRUE(glIsTexture(texture)) << texture;
    for (GLuint list : lists)
        ASSERT_TRUE(glIsList(list)) << list;
    release_gl_objects();
    for (GLuint texture : textures)
        EXPECT_FALSE(glIsTexture(texture)) << texture;
    for (GLuint list : lists)
        EXPECT_FALSE(glIsList(list)) << list;
    // Back as they were, for the tests that follow.
    init_gl_state(main_window_dc());
}

namespace {

// The windows of another process: its main window and any "ERROR!" box.
struct ProcessWindows {
    DWORD process;
    HWND main;
    HWND error_box;
};

BOOL CALLBACK find_process_windows(HWND window, LPARAM param)
{
    ProcessWindows *found = (ProcessWindows *)param;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char class_name[16] = "";
    GetClassNameA(window, class_name, sizeof class_name);
    // Process 0: the first other process whose main window shows.
    if (!found->process && process != GetCurrentProcessId() && strcmp(class_name, "mainw") == 0)
        found->process = process;
    if (process != found->process)
        return TRUE;
    char caption[16] = "";
    GetWindowTextA(window, caption, sizeof caption);
    if (strcmp(class_name, "mainw") == 0)
        found->main = window;
    else if (strcmp(caption, "ERROR!") == 0)
        found->error_box = window;
    return TRUE;
}

std::string windows_path(const std::string &unix_path)
{
    std::string path = "Z:" + unix_path;
    for (char &c : path)
        if (c == '/')
            c = '\\';
    return path;
}

// Starts a quorvel.exe (or a shortcut to it, through the shell, as a click
// on it does) in the given working directory with the arguments, shown as
// `show` says, runs while_running (if any) on its windows, ends it with the
// given message and returns its exit code; *error_shown tells whether it
// showed an "ERROR!" box on the way.
DWORD run_program_and_end_it(const std::string &exe, const std::string &folder, UINT message,
                             WPARAM wparam, bool *error_shown,
                             const std::function<void(const ProcessWindows &)> &while_running = {},
                             const std::string &arguments = "", WORD show = SW_SHOWNORMAL)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = show;
    PROCESS_INFORMATION process = {};
    // The shell hands back no process for a shortcut: its window names it.
    bool shortcut = exe.size() > 4 && exe.compare(exe.size() - 4, 4, ".lnk") == 0;
    std::string line = "\"" + exe + "\" " + arguments;
    if (shortcut ? (INT_PTR)ShellExecuteA(nullptr, "open", exe.c_str(), nullptr, folder.c_str(), show) <= 32
                 : !CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                                   folder.c_str(), &startup, &process)) {
        ADD_FAILURE() << "cannot start " << exe;
        return 0xFFFFFFFF;
    }
    // Idle once start-up is done, or once a box it shows waits for an answer.
    WaitForInputIdle(process.hProcess, 20000);
    ProcessWindows found = {process.dwProcessId, nullptr, nullptr};
    for (int tries = 0; tries < 200 && !found.main; tries++) {
        pump_messages(100);
        EnumWindows(find_process_windows, (LPARAM)&found);
    }
    EXPECT_NE(nullptr, found.main);
    if (shortcut)
        process.hProcess = OpenProcess(PROCESS_ALL_ACCESS, FALSE, found.process);
    pump_messages(300);
    EnumWindows(find_process_windows, (LPARAM)&found);
    *error_shown = found.error_box != nullptr;
    if (found.error_box)
        PostMessageA(found.error_box, WM_COMMAND, IDOK, 0);
    pump_messages(100);
    if (while_running && found.main)
        while_running(found);
    PostMessageA(found.main, message, wparam, 0);
    DWORD code = 0xFFFFFFFF;
    if (WaitForSingleObject(process.hProcess, 20000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    else
        TerminateProcess(process.hProcess, 99);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

HWND process_panel(DWORD process, const char *caption)
{
    std::vector<HWND> found = process_windows_titled(process, caption);
    return found.empty() ? nullptr : found[0];
}

// A value of a key of the machine's registry (the key's own with a null
// name), or "(missing)".
std::string machine_value(const std::string &key, const char *name)
{
    char text[1024] = "";
    DWORD size = sizeof text, type = REG_SZ;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, key.c_str(), name,
                     RRF_RT_REG_SZ | RRF_RT_REG_DWORD | RRF_SUBKEY_WOW6464KEY, &type, text,
                     &size) != ERROR_SUCCESS)
        return "(missing)";
    return type == REG_DWORD ? std::to_string(*(DWORD *)text) : text;
}

// A value of the installer's Add/Remove Programs entry, or "(missing)".
std::string uninstall_value(const char *name)
{
    return machine_value("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorvel", name);
}

// A program's Demographics, Question, GIS, Info, Areas and Breakdown panels.
std::vector<HWND> program_panels(DWORD process)
{
    return {process_panel(process, "Demographics Panel"), process_panel(process, "Question Panel"),
            process_panel(process, "GIS Panel"), process_panel(process, "Info Panel"),
            process_panel(process, "Areas Panel"), process_panel(process, "Breakdown Panel")};
}

// The panels lie within the work area of the main window's monitor, apart
// and off its title and menu bar; those marked '+' off the map as well,
// those marked '~' over other panels only where the screen has no room.
void expect_panels_tidy(HWND main, const std::vector<HWND> &panels, const char *beside)
{
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromWindow(main, MONITOR_DEFAULTTONEAREST), &monitor);
    RECT window, bars, rects[6], common;
    GetWindowRect(main, &window);
    POINT client_origin = {0, 0};
    ClientToScreen(main, &client_origin);
    bars = {window.left, window.top, window.right, client_origin.y};
    for (size_t i = 0; i < panels.size(); i++) {
        GetWindowRect(panels[i], &rects[i]);
        UnionRect(&common, &rects[i], &monitor.rcWork);
        EXPECT_TRUE(EqualRect(&common, &monitor.rcWork)) << "panel " << i << " leaves the work area";
        EXPECT_FALSE(IntersectRect(&common, &rects[i], &bars)) << "panel " << i << " covers the bars";
        for (size_t j = 0; j < i; j++)
            EXPECT_FALSE(beside[i] != '~' && IntersectRect(&common, &rects[i], &rects[j]))
                << "panels " << j << ", " << i;
        EXPECT_FALSE(beside[i] == '+' && IntersectRect(&common, &rects[i], &window)) << "panel " << i;
    }
}

}  // namespace

TEST_F(Shell, QuitAndClosingTheWindowBothExitWithZero)
{
    bool error_shown;
    std::string exe = windows_path(QUORVEL_EXE);
    EXPECT_EQ(0u, run_program_and_end_it(exe, work_dir(), WM_COMMAND, CMD_QUIT, &error_shown));
    EXPECT_FALSE(error_shown);
    // Started minimised, as a shortcut set to "Run: Minimized" starts it: the
    // panels lie beside the window as it is restored.
    const auto restore = [](const ProcessWindows &program) {
        EXPECT_TRUE(IsIconic(program.main));
        SendMessageA(program.main, WM_SYSCOMMAND, SC_RESTORE, 0);
        expect_panels_tidy(program.main, program_panels(program.process), "+++??~");
    };
    EXPECT_EQ(0u, run_program_and_end_it(exe, work_dir(), WM_CLOSE, 0, &error_shown, restore,
                                         "", SW_SHOWMINNOACTIVE));
    EXPECT_FALSE(error_shown);
    // Started maximised, the panels keep off the title and menu bar of the
    // window as it shows.
    const auto maximised = [](const ProcessWindows &program) {
        EXPECT_TRUE(IsZoomed(program.main));
        expect_panels_tidy(program.main, program_panels(program.process), "?????~");
    };
    EXPECT_EQ(0u, run_program_and_end_it(exe, work_dir(), WM_CLOSE, 0, &error_shown, maximised,
                                         "", SW_SHOWMAXIMIZED));
    EXPECT_FALSE(error_shown);
}

// The "Saved" items restore what a "Default" command replaced; only a fresh
// program has never had one, so this runs in its own process.
TEST_F(Shell, SavedItemsBeforeAnyDefaultOnlyDraw)
{
    bool error_shown;
    DWORD code = run_program_and_end_it(
        windows_path(QUORVEL_EXE), work_dir(), WM_COMMAND, CMD_QUIT, &error_shown,
        [](const ProcessWindows &program) {
            // On a 1280 x 1024 screen the panels start beside the main window;
            // the Breakdown panel finds no room apart from the Areas panel.
            expect_panels_tidy(program.main, program_panels(program.process), "+++??~");
            HWND question = process_panel(program.process, "Question Panel");
            HWND demographics = process_panel(program.process, "Demographics Panel");
            ASSERT_NE(nullptr, question);
            ASSERT_NE(nullptr, demographics);
            SendDlgItemMessageA(question, IDC_QUESTION_NEXT, BM_CLICK, 0, 0);
            SendDlgItemMessageA(question, IDC_QUESTION_NEXT, BM_CLICK, 0, 0);
            SendDlgItemMessageA(demographics, IDC_DEMO_AGE, CB_SETCURSEL, 4, 0);
            SendMessageA(demographics, WM_COMMAND, MAKEWPARAM(IDC_DEMO_AGE, CBN_SELCHANGE),
                         (LPARAM)GetDlgItem(demographics, IDC_DEMO_AGE));
            std::string text = item_text(question, IDC_QUESTION_TEXT);
            EXPECT_EQ(catalogue_entry(2)->text, text);

            for (int command : {CMD_SAVED_LOCATION, CMD_SAVED_DEMOGRAPHICS, CMD_SAVED_QUESTION})
                SendMessageA(program.main, WM_COMMAND, (WPARAM)command, 0);
            EXPECT_TRUE(IsWindow(program.main));
            EXPECT_EQ(text, item_text(question, IDC_QUESTION_TEXT));
            EXPECT_EQ(0, combo_selection(question, IDC_QUESTION_ANSWER));
            EXPECT_EQ(4, combo_selection(demographics, IDC_DEMO_AGE));
            EXPECT_EQ(0, combo_selection(demographics, IDC_DEMO_SEX));
        });
    EXPECT_EQ(0u, code);
    EXPECT_FALSE(error_shown);
}

namespace {

int append_line(void *context, const char *line, size_t length)
{
    ((std::string *)context)->append(line, length);
    return 1;
}

// The counts table as Copy Counts puts it on the clipboard after the data
// file was loaded, at the start question and filters.
std::string counts_table_of(const std::string &path)
{
    std::string table;
    EXPECT_EQ(1, read_records(path.c_str())) << path;
    refresh_map();
    emit_counts_table(tally_query(), tally_result(), '\t', append_line, &table);
    return table;
}

// The counts table, copied by Copy Counts, of the program started with the
// arguments in the folder; *left_edge is the colour its map shows at the
// left edge half way down (the grey around the mosaic in the start view).
std::string counts_of_program_started_with(const std::string &exe, const std::string &folder,
                                           const std::string &arguments, TileColour *left_edge,
                                           bool *error_shown)
{
    std::string copied;
    EXPECT_EQ(0u, run_program_and_end_it(exe, folder, WM_COMMAND, CMD_QUIT, error_shown,
                                         [&](const ProcessWindows &program) {
        SendMessageA(program.main, WM_COMMAND, CMD_COPY_COUNTS, 0);
        copied = clipboard_text(CF_TEXT);
        SendMessageA(program.main, WM_COMMAND, CMD_COPY_MAP, 0);
        std::vector<uint8_t> dib = clipboard_bytes(CF_DIB);
        int32_t width = *(int32_t *)&dib[4], height = *(int32_t *)&dib[8];
        const uint8_t *pixel = &dib[40 + (((size_t)width * 3 + 3) & ~(size_t)3) * (height / 2) + 3];
        *left_edge = {pixel[2], pixel[1], pixel[0]};
    }, arguments));
    return copied;
}

}  // namespace

// As Explorer starts it for a file, or scripts/run for the sample survey:
// the file is open when the window shows, and the view frames its bars.
TEST_F(Shell, AFileNamedOnTheCommandLineIsOpenWhenTheWindowShows)
{
    const std::string exe = windows_path(QUORVEL_EXE);
    bool error_shown;
    TileColour edge;
    EXPECT_EQ(counts_table_of(source_path("data/samples/sample-survey.qvd")),
              counts_of_program_started_with(exe, source_path(""), "data\\samples\\sample-survey.qvd",
                                             &edge, &error_shown));
    EXPECT_FALSE(error_shown || near_colour(edge, background)) << describe(edge);
    // A quoted name with spaces and a letter of the code page.
    std::string folder = work_path("caf\xe9 data"), path = folder + "\\survey one.qvd";
    CreateDirectoryA(folder.c_str(), nullptr);
    use_records({respondent(77002), respondent(77002), respondent(77005)});
    ASSERT_EQ(1, write_records(path.c_str()));
    EXPECT_EQ(counts_table_of(path),
              counts_of_program_started_with(exe, work_dir(), "\"" + path + "\"", &edge, &error_shown));
    EXPECT_FALSE(error_shown);
    // Unquoted, its space makes two names: a message, and the start view.
    counts_of_program_started_with(exe, work_dir(), path, &edge, &error_shown);
    EXPECT_TRUE(error_shown && near_colour(edge, background)) << describe(edge);
}

TEST_F(Shell, TheProgramCarriesItsManifestIconAndVersion)
{
    std::string exe = windows_path(QUORVEL_EXE);
    HMODULE module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, module);

    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_NE(nullptr, found) << "no manifest";
    std::string manifest((const char *)LockResource(LoadResource(module, found)),
                         SizeofResource(module, found));
    for (const char *part :
         {"name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"", ">true</dpiAware>",
          "level=\"asInvoker\"", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}" /* 7 */,
          "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}" /* 8 */, "{1f676c76-80e1-4239-95bb-83d0f6d0da78}" /* 8.1 */,
          "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}" /* 10 and 11 */})
        EXPECT_NE(std::string::npos, manifest.find(part)) << part;

    // The program's icon group comes first, having the lowest id, 1; four sizes.
    HRSRC icons = FindResourceA(module, MAKEINTRESOURCEA(IDI_QUORVEL), MAKEINTRESOURCEA(14));
    ASSERT_NE(nullptr, icons);
    // A directory of six bytes, then 14 per image: width first, bits at 6.
    const BYTE *directory = (const BYTE *)LockResource(LoadResource(module, icons));
    ASSERT_EQ(4, directory[4]);
    const int sides[4] = {16, 32, 48, 0 /* 256 */};
    for (int i = 0; i < 4; i++)
        EXPECT_TRUE(directory[6 + 14 * i] == sides[i] && directory[6 + 14 * i + 6] == 32) << i;
    FreeLibrary(module);

    DWORD ignored = 0;
    std::vector<char> block(GetFileVersionInfoSizeA(exe.c_str(), &ignored));
    ASSERT_TRUE(!block.empty() && GetFileVersionInfoA(exe.c_str(), 0, (DWORD)block.size(), block.data()));
    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", (void **)&fixed, &length));
    const DWORD one_zero_zero_zero[] = {0x00010000u, 0u, 0x00010000u, 0u};
    const DWORD versions[] = {fixed->dwFileVersionMS, fixed->dwFileVersionLS, fixed->dwProductVersionMS,
                              fixed->dwProductVersionLS};
    EXPECT_EQ(0, memcmp(one_zero_zero_zero, versions, sizeof versions));
    for (const auto &value : {std::make_pair("ProductName", "Quorvel"),
                              std::make_pair("OriginalFilename", "quorvel.exe"),
                              std::make_pair("FileDescription", "Quorvel survey map viewer")}) {
        char *text = nullptr;
        std::string path = std::string("\\StringFileInfo\\040904B0\\") + value.first;
        EXPECT_TRUE(VerQueryValueA(block.data(), path.c_str(), (void **)&text, &length) &&
                    std::string(value.second) == text)
            << value.first;
    }

    // This process carries the same manifest: the common controls come
    // from their version 6 assembly, and DPI awareness is in force.
    char controls[MAX_PATH] = "";
    GetModuleFileNameA(GetModuleHandleA("comctl32.dll"), controls, sizeof controls);
    CharLowerA(controls);
    EXPECT_NE(nullptr, strstr(controls, "microsoft.windows.common-controls_6595b64144ccf1df_6."))
        << controls;
    EXPECT_TRUE(IsProcessDPIAware());

    // The window class shows the program's icon, large and small.
    EXPECT_NE(LoadIconA(nullptr, IDI_APPLICATION), (HICON)GetClassLongPtrA(main_window(), GCLP_HICON));
    EXPECT_NE(nullptr, (HICON)GetClassLongPtrA(main_window(), GCLP_HICONSM));
}

// A fresh program at 150% (144 DPI): its panels grow with the text and
// still start apart, and a press on a bar picks that bar.
TEST_F(Shell, AtOneHundredFortyFourDpiThePanelsGrowAndAPressPicksItsBar)
{
    // Programs started from now on read it.
    DWORD dpi = 144;
    RegSetKeyValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "LogPixels", REG_DWORD, &dpi, sizeof dpi);
    bool error_shown;
    DWORD code = run_program_and_end_it(
        windows_path(QUORVEL_EXE), work_dir(), WM_COMMAND, CMD_QUIT, &error_shown,
        [](const ProcessWindows &program) {
            const std::vector<HWND> panels = program_panels(program.process);
            RECT theirs, ours;
            GetWindowRect(panels[0], &theirs);
            GetWindowRect(panel_window(PANEL_DEMOGRAPHICS), &ours);
            EXPECT_GT((theirs.right - theirs.left) * 4, (ours.right - ours.left) * 5) << "not 144 DPI";
            // The Areas and Breakdown panels, hidden at start, find no free
            // room at this size.
            expect_panels_tidy(program.main, panels, "????~~");
            // The readout's width limit grows with its text too.
            HWND tip = FindWindowExA(nullptr, nullptr, TOOLTIPS_CLASSA, nullptr);
            while (tip && GetWindow(tip, GW_OWNER) != program.main)
                tip = FindWindowExA(nullptr, tip, TOOLTIPS_CLASSA, nullptr);
            EXPECT_EQ(780, SendMessageA(tip, TTM_GETMAXTIPWIDTH, 0, 0));

            // Zip 77005 has no neighbour within three pixels of the start view.
            RECT client;
            GetClientRect(program.main, &client);
            MapView view;
            start_map_view(&view);
            const int index_77005 = 5;
            Vec3 centre = {zip_longitude(index_77005), zip_latitude(index_77005), 0.0f};
            float x, y;
            ASSERT_TRUE(map_to_window(&view, client.right, client.bottom, &centre, &x, &y));
            LPARAM at = MAKELPARAM((int)(x + 0.5f), (int)(y + 0.5f));
            PostMessageA(program.main, WM_LBUTTONDOWN, MK_LBUTTON, at);
            PostMessageA(program.main, WM_LBUTTONUP, 0, at);
            std::string report;
            for (int tries = 0; tries < 50 && report.empty(); tries++) {
                pump_messages(100);
                report = item_text(panels[3], IDC_INFO_LOG);
            }
            EXPECT_EQ("Total for area: 0\r\nTotal for zip code 77005: 0, 0.00%\r\n\r\n", report);
        });
    dpi = 96;
    RegSetKeyValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "LogPixels", REG_DWORD, &dpi, sizeof dpi);
    EXPECT_EQ(0u, code);
    EXPECT_FALSE(error_shown);
}

TEST_F(Shell, TheInstallerInstallsAWorkingProgramAndUninstallsItWhole)
{
    // scripts/test passes the installer that scripts/package builds.
    const char *installer = getenv("QUORVEL_INSTALLER");
    if (!installer)
        GTEST_SKIP() << "QUORVEL_INSTALLER is not set (scripts/test sets it)";
    std::string setup = windows_path(installer);
    ASSERT_EQ(0, _spawnl(_P_WAIT, setup.c_str(), setup.c_str(), "/S", nullptr));
    std::string folder = uninstall_value("InstallLocation");
    EXPECT_EQ("Quorvel", std::filesystem::path(folder).filename().string());
    // Installing again, into another folder, installs over the one copy.
    ASSERT_EQ(0, _spawnl(_P_WAIT, setup.c_str(), setup.c_str(), "/S", "/D=C:\\QuorvelElsewhere",
                         nullptr));
    EXPECT_FALSE(std::filesystem::exists("C:\\QuorvelElsewhere"));
    EXPECT_EQ(folder, uninstall_value("InstallLocation"));

    const std::string uninstaller = folder + "\\Uninstall.exe";
    const std::pair<const char *, std::string> entry[] = {
        {"DisplayName", "Quorvel 1.0 beta"}, {"DisplayVersion", "1.0 beta"},
        {"Publisher", "The Quorvel project"}, {"DisplayIcon", folder + "\\quorvel.exe,0"},
        {"UninstallString", "\"" + uninstaller + "\""}};
    for (const auto &value : entry)
        EXPECT_EQ(value.second, uninstall_value(value.first)) << value.first;
    int kilobytes = atoi(uninstall_value("EstimatedSize").c_str());
    EXPECT_TRUE(kilobytes > 500 && kilobytes < 100000) << kilobytes;
    for (const char *file : {"quorvel.exe", "quorvel-counts.exe", "Uninstall.exe", "User Guide.txt",
                             "data\\maps\\ll.bmp", "data\\maps\\lr.bmp", "data\\maps\\ul.bmp", "data\\maps\\ur.bmp",
                             "data\\samples\\sample-survey.qvd", "data\\samples\\sample-survey.csv"})
        EXPECT_TRUE(std::filesystem::exists(folder + "\\" + file)) << file;
    // The Start menu shortcut for all users, started from C:\ as a click
    // on it is: the program runs in the install folder, its working folder,
    // and finds its map there.  While it runs, or while quorvel-counts.exe
    // is held as a running program holds its file, installing and
    // uninstalling (in place, so that its exit code comes back) end with
    // exit code 2 and write or remove nothing.
    std::string link = std::string(getenv("ProgramData")) +
                       "\\Microsoft\\Windows\\Start Menu\\Programs\\Quorvel.lnk";
    EXPECT_TRUE(std::filesystem::exists(link)) << link;
    std::string quoted = "\"" + uninstaller + "\"", in_place = "_?=" + folder;
    const std::string readme = folder + "\\data\\samples\\README.md";
    const std::vector<uint8_t> edited = {'e', 'd', 'i', 't', 'e', 'd'};
    write_file_bytes(readme, edited);
    bool error_shown;
    const auto blocked = [&](const ProcessWindows &) {
        EXPECT_EQ(2, _spawnl(_P_WAIT, setup.c_str(), setup.c_str(), "/S", nullptr));
        EXPECT_EQ(2, _spawnl(_P_WAIT, uninstaller.c_str(), quoted.c_str(), "/S", in_place.c_str(), nullptr));
        EXPECT_EQ(edited, file_bytes(readme));
    };
    EXPECT_EQ(0u, run_program_and_end_it(link, "C:\\", WM_COMMAND, CMD_QUIT, &error_shown, blocked));
    EXPECT_FALSE(error_shown) << "the installed program could not read its base map";
    HANDLE counts = CreateFileA((folder + "\\quorvel-counts.exe").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, counts);
    blocked(ProcessWindows());
    CloseHandle(counts);

    // .qvd files are "Quorvel survey data" with the program's icon.  A
    // double-click runs the open command in another working folder; the
    // program finds its map beside itself and opens the file.
    const std::string qvd_type = "Software\\Classes\\.qvd", quorvel_type = "Software\\Classes\\Quorvel.SurveyData";
    EXPECT_EQ("Quorvel.SurveyData", machine_value(qvd_type, nullptr));
    EXPECT_EQ("Quorvel survey data", machine_value(quorvel_type, nullptr));
    EXPECT_EQ(folder + "\\quorvel.exe,0", machine_value(quorvel_type + "\\DefaultIcon", nullptr));
    EXPECT_EQ("\"" + folder + "\\quorvel.exe\" \"%1\"",
              machine_value(quorvel_type + "\\shell\\open\\command", nullptr));
    std::string sample = folder + "\\data\\samples\\sample-survey.qvd", elsewhere = work_path("elsewhere");
    CreateDirectoryA(elsewhere.c_str(), nullptr);
    TileColour edge;
    EXPECT_EQ(counts_table_of(sample),
              counts_of_program_started_with(folder + "\\quorvel.exe", elsewhere, "\"" + sample + "\"",
                                             &edge, &error_shown));
    EXPECT_FALSE(error_shown) << "started elsewhere, the program could not read its base map";

    // The uninstaller hands its work to a copy of itself and returns; the
    // copy removes the shortcut, the file type and every file and folder it
    // installed, leaving only the user's own, and last the entry.
    auto uninstall = [&]() {
        EXPECT_EQ(0, _spawnl(_P_WAIT, uninstaller.c_str(), quoted.c_str(), "/S", nullptr));
        for (int tries = 0; tries < 300 && uninstall_value("DisplayName") != "(missing)"; tries++)
            pump_messages(100);
    };
    const std::string theirs = folder + "\\my survey.qvd";
    write_file_bytes(theirs, edited);
    uninstall();
    EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(folder), {}));
    EXPECT_EQ(edited, file_bytes(theirs));
    EXPECT_EQ("(missing)", uninstall_value("DisplayName"));
    EXPECT_FALSE(std::filesystem::exists(link));
    EXPECT_EQ("(missing)", machine_value(qvd_type, nullptr));
    EXPECT_EQ("(missing)", machine_value(quorvel_type, nullptr));

    // Installed again, and the type taken over by another program since:
    // that program keeps it.
    ASSERT_EQ(0, _spawnl(_P_WAIT, setup.c_str(), setup.c_str(), "/S", nullptr));
    const char other[] = "Other.Viewer";
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, qvd_type.c_str(), nullptr, REG_SZ, other, sizeof other);
    uninstall();
    EXPECT_EQ(other, machine_value(qvd_type, nullptr));
    EXPECT_EQ("(missing)", machine_value(quorvel_type, nullptr));
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, qvd_type.c_str());
    std::filesystem::remove_all(folder);
}

TEST_F(Shell, ThePackageUnpacksIntoAWorkingProgram)
{
    // scripts/test unpacks the package that scripts/package builds.
    const char *unpacked = getenv("QUORVEL_PACKAGE_DIR");
    if (!unpacked)
        GTEST_SKIP() << "QUORVEL_PACKAGE_DIR is not set (scripts/test sets it)";
    std::string folder = windows_path(std::string(unpacked) + "/quorvel");
    bool error_shown;
    EXPECT_EQ(0u, run_program_and_end_it(folder + "\\quorvel.exe", folder, WM_COMMAND, CMD_QUIT,
                                         &error_shown));
    EXPECT_FALSE(error_shown) << "the unpacked program could not read its base map";
    for (const char *file : {"quorvel-counts.exe", "data\\maps\\ll.bmp", "data\\maps\\ur.bmp",
                             "data\\samples\\sample-survey.qvd", "data\\samples\\sample-survey.csv",
                             "User Guide.txt"})
        EXPECT_TRUE(std::filesystem::exists(folder + "\\" + file)) << file;
}
