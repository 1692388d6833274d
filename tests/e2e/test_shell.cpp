// The program runs: window, menus, panels, the map and its bars, loading
// and saving data, the Info log, and shutting down.
#include <windows.h>

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "app/shell.h"
#include "e2e/e2e_support.h"
#include "gis/map_layer.h"
#include "gis/zip_table.h"
#include "panels/info_panel.h"
#include "resources/resource.h"
#include "survey/catalogue.h"
#include "survey/data_stream.h"
#include "survey/record_file.h"
#include "survey/tally.h"
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
        {"File", {{"Load Data..", 1}, {"Save Data..", 5}, {"Import CSV..", 3}, {"Export CSV..", 4},
                  {"Export Counts..", 50}, {"Save Snapshot..", 7}, {"Print..", 8}, {"Quit", 10}}},
        {"Location", {{"Default Location", 21}, {"Saved Location", 22}, {"Survey Area", 51}}},
        {"Question", {{"Default Question", 41}, {"Saved Question", 42}, {"", 0},
                      {"Bars: Count", 52}, {"Bars: Share of Area", 53}}},
        {"Demographics", {{"Default Demographics", 31}, {"Saved Demographics", 32}}},
        {"Panel", {{"Show GIS Panel", 14}, {"Show Demographics Panel", 11},
                   {"Show Question Panel", 12}, {"Show Info Panel", 13}, {"Show Legend", 54}}},
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
    // At start the bars count respondents and the legend shows.
    for (UINT id : {52u, 53u, 54u})
        EXPECT_EQ(id != 53, (GetMenuState(bar, id, MF_BYCOMMAND) & MF_CHECKED) != 0) << id;
}

TEST_F(Shell, FiveDialogsWithCaptionsAndStartVisibility)
{
    struct Expected {
        int panel;
        const char *caption;
        bool visible;
    };
    const Expected expected[] = {
        {PANEL_DEMOGRAPHICS, "Demographics Panel", true}, {PANEL_QUESTION, "Question Panel", true},
        {PANEL_GIS, "GIS Panel", true}, {PANEL_INFO, "Info Panel", false},
        {PANEL_ABOUT, "About Pellora 2.0", false}};
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
    for (int t = 0; t < 4; t++) {
        TileColour got = pixel_at(frame, quadrant_points[t]);
        EXPECT_TRUE(near_colour(got, test_tile_colours[t])) << "tile " << t << " shows " << describe(got);
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
    // the user has set stays when data is loaded, and "Survey Area" brings
    // the framed view back.
    MapView survey = *current_map_view();
    EXPECT_EQ(50.0f, survey.tilt);
    EXPECT_GT(500.0f, survey.distance);
    set_view(300.0f, 10.0f, 5.0f, -1);
    MapView user = *current_map_view();
    answer_file_dialog(path);
    send_command(CMD_LOAD_DATA);
    EXPECT_EQ(0, memcmp(&user, current_map_view(), sizeof user));
    send_command(CMD_SURVEY_AREA);
    EXPECT_EQ(0, memcmp(&survey, current_map_view(), sizeof survey));
}

TEST_F(Shell, LoadingAMissingFileNamesTheWholePath)
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
    data_stream_inject_fault(FAULT_CREATE, 0);
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
    // Back as they were, for the tests that follow; the legend makes its
    // font again with the next frame.
    make_bar_texture();
    make_map();
    refresh_map();
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
    if (process != found->process)
        return TRUE;
    char class_name[16] = "";
    GetClassNameA(window, class_name, sizeof class_name);
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

// Starts a quorvel.exe in the given working directory, runs while_running
// (if any) on its windows, ends it with the given message and returns its
// exit code; *error_shown tells whether it showed an "ERROR!" box on the way.
DWORD run_program_and_end_it(const std::string &exe, const std::string &folder, UINT message,
                             WPARAM wparam, bool *error_shown,
                             const std::function<void(const ProcessWindows &)> &while_running = {})
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(exe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &process)) {
        ADD_FAILURE() << "cannot start " << exe;
        return 0xFFFFFFFF;
    }
    ProcessWindows found = {process.dwProcessId, nullptr, nullptr};
    for (int tries = 0; tries < 200 && !found.main; tries++) {
        pump_messages(100);
        EnumWindows(find_process_windows, (LPARAM)&found);
    }
    EXPECT_NE(nullptr, found.main);
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

}  // namespace

TEST_F(Shell, QuitAndClosingTheWindowBothExitWithZero)
{
    bool error_shown;
    std::string exe = windows_path(QUORVEL_EXE);
    EXPECT_EQ(0u, run_program_and_end_it(exe, work_dir(), WM_COMMAND, CMD_QUIT, &error_shown));
    EXPECT_FALSE(error_shown);
    EXPECT_EQ(0u, run_program_and_end_it(exe, work_dir(), WM_CLOSE, 0, &error_shown));
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
    for (const char *file : {"data\\maps\\ll.bmp", "data\\maps\\ur.bmp",
                             "data\\samples\\sample-survey.qvd", "data\\samples\\sample-survey.csv",
                             "User Guide.txt"})
        EXPECT_TRUE(std::filesystem::exists(folder + "\\" + file)) << file;
}
