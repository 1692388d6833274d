// Data exchange and output through the menus: CSV import and export,
// snapshots and printing.
#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <gtest/gtest.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "app/shell.h"
#include "e2e/e2e_support.h"
#include "gis/bmp.h"
#include "gis/zip_table.h"
#include "panels/areas_panel.h"
#include "panels/breakdown_chart.h"
#include "panels/breakdown_panel.h"
#include "panels/clipboard.h"
#include "panels/info_panel.h"
#include "panels/question_panel.h"
#include "panels/snapshot.h"
#include "resources/resource.h"
#include "stats/area_list.h"
#include "stats/counts_file.h"
#include "stats/number_format.h"
#include "survey/catalogue.h"
#include "survey/data_stream.h"
#include "survey/outside_zips.h"
#include "survey/records.h"
#include "survey/tally.h"
#include "view/map_legend.h"
#include "view/map_view.h"
#include "view/mouse_input.h"
#include "view/page_layout.h"

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_PNG
#include <stb_image.h>

namespace {

const char *const kHeader =
    "Q1,Q2,Q3,Q4,Q5,Q6,Q6A,Q7,Q8,Q9,Q10,Q11,Q12,Q14,Q16,Q17,Q18,Q18A,Q18B,"
    "Q19,Q20,Q21,Q22,Q23,Q26,Q27A,Q27B,Q27C,Q27D,Q27E,Q28,Q29,Q32,Q34A,"
    "Q34B,Q34C,Q34D,Q34E,Q34F,Q34G,Q34I,Q35,Q36,Q37,Q38";
const int kZipColumn = 32;

// A CSV data line for respondent(zip): every answer 1 (an age of 25 and
// one person group to 1 as well).
std::string csv_line(int zip_code)
{
    std::string line = "25";
    for (int c = 1; c < 45; c++)
        line += "," + (c == kZipColumn ? std::to_string(zip_code) : std::string("1"));
    return line;
}

std::string text_of(const std::string &path)
{
    std::vector<uint8_t> bytes = file_bytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// A PNG file's pixels, rows bottom first as a frame holds them.
std::vector<uint8_t> png_pixels(const std::vector<uint8_t> &file, int *width, int *height)
{
    int channels = 0;
    uint8_t *rows = stbi_load_from_memory(file.data(), (int)file.size(), width, height, &channels, 3);
    std::vector<uint8_t> pixels;
    for (int r = rows ? *height - 1 : -1; r >= 0; r--)
        pixels.insert(pixels.end(), rows + r * *width * 3, rows + (r + 1) * *width * 3);
    stbi_image_free(rows);
    return pixels;
}

bool starts_with(const std::string &text, const std::string &start)
{
    return text.compare(0, start.size(), start) == 0;
}

std::vector<int32_t> map_counts(void)
{
    const TallyResult *result = tally_result();
    return std::vector<int32_t>(result->counts, result->counts + ZIP_SLOTS);
}

// Makes the main window's client area the given size.
void set_client_size(int width, int height)
{
    HWND window = main_window();
    RECT frame = {0, 0, width, height};
    AdjustWindowRectEx(&frame, (DWORD)GetWindowLongA(window, GWL_STYLE), TRUE,
                       (DWORD)GetWindowLongA(window, GWL_EXSTYLE));
    SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    pump_messages(150);
}

// The frame timer runs: a held navigation arrow tilts the view on its ticks.
bool timer_runs(void)
{
    float before = current_map_view()->tilt;
    set_nav_command(NAV_TILT_DOWN);
    pump_messages(400);
    set_nav_command(NAV_NONE);
    bool changed = current_map_view()->tilt != before;
    MapView view = *current_map_view();
    view.tilt = before;
    set_map_view(&view);
    return changed;
}

// The print dialog (the one with a printer combo box, cmb4) is answered
// here with a button press; the shared answerer would take its From/To
// edits for a file name box.  Other dialogs go on to the shared answerer.
HHOOK print_hook;
int print_answer;
const int printer_combo = 0x473;

void CALLBACK press_print_answer(HWND dialog, UINT, UINT_PTR id, DWORD)
{
    KillTimer(dialog, id);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(print_answer, BN_CLICKED),
                 (LPARAM)GetDlgItem(dialog, print_answer));
}

LRESULT CALLBACK on_print_cbt(int code, WPARAM wparam, LPARAM lparam)
{
    if (code == HCBT_ACTIVATE && GetDlgItem((HWND)wparam, printer_combo)) {
        SetTimer((HWND)wparam, 0x5E30, 50, press_print_answer);
        return 0;
    }
    return CallNextHookEx(print_hook, code, wparam, lparam);
}

// Answers print dialogs with IDOK or IDCANCEL from now on; 0 stops.
void answer_print_dialog(int button)
{
    print_answer = button;
    if (button && !print_hook)
        print_hook = SetWindowsHookExA(WH_CBT, on_print_cbt, nullptr, GetCurrentThreadId());
    if (!button && print_hook) {
        UnhookWindowsHookEx(print_hook);
        print_hook = nullptr;
    }
}

class Output : public testing::Test {
protected:
    void SetUp() override
    {
        GetWindowRect(main_window(), &window_rect);
        reset_program();
    }
    void TearDown() override
    {
        data_stream_inject_fault(FAULT_NONE, 0);
        SetWindowPos(main_window(), nullptr, window_rect.left, window_rect.top,
                     window_rect.right - window_rect.left, window_rect.bottom - window_rect.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        pump_messages(100);
    }
    RECT window_rect;
};

TEST_F(Output, ImportCsvReplacesTheDataSetAndRecounts)
{
    use_records({respondent(77005), respondent(77005), respondent(77010)});
    std::vector<int32_t> expected = map_counts();
    ASSERT_EQ(2, expected[5]);
    use_records({respondent(77300)});

    std::string path = work_path("import.csv");
    write_file_bytes(path, {});
    std::string text = std::string(kHeader) + "\r\n" + csv_line(77005) + "\r\n" +
                       csv_line(77005) + "\r\n\r\n" + csv_line(77010);
    write_file_bytes(path, std::vector<uint8_t>(text.begin(), text.end()));
    answer_file_dialog(path);
    send_command(CMD_IMPORT_CSV);
    ASSERT_EQ(1u, message_boxes().size());
    EXPECT_EQ("Info", message_boxes()[0].caption);
    EXPECT_EQ("Import complete", message_boxes()[0].text);
    EXPECT_EQ(3, record_count());
    EXPECT_EQ(expected, map_counts());
    EXPECT_EQ(0, unanswered_file_dialogs());
}

TEST_F(Output, RefusedImportNamesTheLineAndKeepsDataAndMap)
{
    use_records({respondent(77005), respondent(77010)});
    std::vector<int32_t> before = map_counts();
    struct Case {
        const char *name;
        std::string text;
        std::string message;
    };
    std::string good = csv_line(77020);
    const Case cases[] = {
        {"short.csv", std::string(kHeader) + "\n" + good + "\n" + good.substr(0, good.size() - 2) + "\n",
         "line 3 has 44 cells, not 45"},
        {"long-cell.csv", std::string(kHeader) + "\n" + good + "\n" + good + "\n" + "1234567890123456" +
                              good.substr(2) + "\n",
         "line 4, column 1 has more than 15 characters"},
        {"long-line.csv", std::string(kHeader) + "\n" + std::string(5000, '7') + "\n",
         "line 2 is longer than 4095 characters"},
        // A bitmap holds no line feed: all of it would be the header.
        {"picture.bmp", std::string("BM\x66\0\0\0\0\0\0\0\x36\0\0\0", 14) + std::string(88, '\x7F'),
         "line 1 holds a NUL character"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        message_boxes().clear();
        std::string path = work_path(c.name);
        write_file_bytes(path, std::vector<uint8_t>(c.text.begin(), c.text.end()));
        answer_file_dialog(path);
        send_command(CMD_IMPORT_CSV);
        ASSERT_EQ(1u, message_boxes().size());
        EXPECT_EQ("ERROR!", message_boxes()[0].caption);
        EXPECT_EQ("read_csv_records() - " + c.message + ": " + path + "!",
                  message_boxes()[0].text.substr(0, message_boxes()[0].text.find_last_not_of("\r\n") + 1));
        EXPECT_EQ(2, record_count());
        EXPECT_EQ(77005, record_data()[0].field[Q32]);
        EXPECT_EQ(before, map_counts());
    }
}

TEST_F(Output, ExportCsvWritesTheDataSetAndRefusesToHalfWrite)
{
    RespondentRecord voids = respondent(77005);
    voids.field[Q6A] = 11;
    voids.field[Q18A] = 3;
    voids.field[Q18B] = 6;
    use_records({respondent(77001), voids});
    std::string path = work_path("export.csv");
    answer_file_dialog(work_path("export"));
    send_command(CMD_EXPORT_CSV);
    ASSERT_EQ(1u, message_boxes().size());
    EXPECT_EQ("Info", message_boxes()[0].caption);
    EXPECT_EQ("Export complete", message_boxes()[0].text);
    std::string one_line = "1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,";
    std::string tail = ",1,1,1,1,1,1,1,1,1,1,1,1\r\n";
    EXPECT_EQ(std::string(kHeader) + "\r\n" + one_line + "77001" + tail +
                  "1,1,1,1,1,1,VOID,1,1,1,1,1,1,1,1,1,1,VOID,VOID,1,1,1,1,1,1,1,1,1,1,1,1,1,77005" + tail,
              text_of(path));

    // A write that fails leaves the file as it was and says so.
    std::string previous = text_of(path);
    use_records({respondent(77002)});
    message_boxes().clear();
    data_stream_inject_fault(FAULT_WRITE, 1);
    answer_file_dialog(path);
    send_command(CMD_EXPORT_CSV);
    // The save dialog first asks whether to replace the file.
    ASSERT_FALSE(message_boxes().empty());
    for (const BoxRecord &box : message_boxes())
        EXPECT_NE("Export complete", box.text);
    EXPECT_EQ("ERROR!", message_boxes().back().caption);
    EXPECT_TRUE(starts_with(message_boxes().back().text,
                            "write_csv_records() - can't write record file: " + path + "!"))
        << message_boxes().back().text;
    EXPECT_EQ(previous, text_of(path));
    EXPECT_FALSE(std::filesystem::exists(path + ".~tmp"));
}

// A percent as every percent is shown: with two (or one) decimals, an
// exact tie to the even digit; with `sign`, "+" before a positive one.
std::string percent_text(float percent, int decimals = 2, bool sign = false)
{
    long long scale = decimals == 2 ? 100 : 10;
    long long units = llrint(fabs((double)percent) * scale);
    char text[24];
    snprintf(text, sizeof text, "%s%lld.%0*lld", units == 0 ? "" : percent < 0 ? "-" : sign ? "+" : "",
             units / scale, decimals, units % scale);
    return text;
}

// A share: part * 100 / whole in single precision; empty for an empty whole.
std::string share_text(int part, int whole)
{
    return whole == 0 ? "" : percent_text((float)part * 100.0f / (float)whole);
}

// The sample's areas as counted here from the file's bytes: zip code ->
// base and matching; every located zip is among them.
struct SampleArea {
    int base = 0, matching = 0;
};
struct SampleCount {
    std::map<int, SampleArea> areas;
    int total = 0, filtered = 0;
};

// Q10 answered `answer` by the respondents of age group `age` (Q1) and
// sex `sex` (Q4), 0 for any.
SampleCount count_sample(int answer, int age, int sex)
{
    SampleCount count;
    for (int i = 0; i < ZIP_SLOTS; i++)
        if (zip_has_location(i))
            count.areas[77000 + i];
    std::vector<uint8_t> bytes = file_bytes(source_path("data/samples/sample-survey.qvd"));
    for (size_t r = 0; r + 180 <= bytes.size(); r += 180) {
        int32_t field[45];
        memcpy(field, &bytes[r], sizeof field);
        if ((age && field[35] != age) || (sex && field[38] != sex))
            continue;
        SampleArea &area = count.areas[field[22]];
        area.base++, count.filtered++;
        area.matching += field[0] == answer, count.total += field[0] == answer;
    }
    return count;
}

// An area's Wilson score interval, found as the roots of
// (k/n - p)^2 = z^2 p (1 - p) / n, and how it lies against the average;
// percents in single precision, as they are shown, the difference that of
// the share and the average shown.
struct SampleStatistics {
    float low, high, difference;
    const char *compared;
};

SampleStatistics statistics_of(const SampleArea &area, const SampleCount &count)
{
    const double z = 1.959964, k = area.matching, n = area.base, average = (double)count.total / count.filtered;
    double root = z * sqrt(z * z + 4.0 * k * (n - k) / n), centre = 2.0 * k + z * z, width = 2.0 * (n + z * z);
    double low = (centre - root) / width, high = (centre + root) / width;
    float difference = (float)k * 100.0f / (float)n - (float)count.total * 100.0f / (float)count.filtered;
    return {(float)(low * 100.0), (float)(high * 100.0), difference,
            low > average ? "above" : high < average ? "below" : "not different"};
}

// An area's row in the Areas panel.
std::vector<std::string> panel_cells(int zip_code, const SampleArea &area, const SampleCount &count)
{
    std::string few = area.base < 30 ? "few respondents" : "";
    if (area.base == 0)
        return {std::to_string(zip_code), "0", "0", "", "", "", ""};
    SampleStatistics s = statistics_of(area, count);
    std::string side = strcmp(s.compared, "not different") ? s.compared : "";
    return {std::to_string(zip_code), std::to_string(area.base), std::to_string(area.matching),
            share_text(area.matching, area.base) + "%",
            percent_text(s.low, 1) + "\x96" + percent_text(s.high, 1) + "%", percent_text(s.difference, 1, true),
            side + (!side.empty() && !few.empty() ? ", " : "") + few};
}

// A counts table without its last four columns, the figures of the
// comparison (which quorvel-counts checks).
std::string without_figures(const std::string &table)
{
    std::string kept;
    for (size_t at = 0, end; (end = table.find("\r\n", at)) != std::string::npos; at = end + 2) {
        size_t cut = end;
        for (int cell = 0; cell < 4; cell++)
            cut = table.rfind(',', cut - 1);
        kept += table.substr(at, cut - at) + "\r\n";
    }
    return kept;
}

// The counts table of a count, each line beginning with `words`, less figures.
std::string counts_table_of(const SampleCount &count, const std::string &words)
{
    std::string table = without_figures(std::string(counts_table_header) + "\r\n");
    for (const auto &entry : count.areas) {
        int index = entry.first - 77000;
        char longitude[24] = "", latitude[24] = "";
        if (zip_has_location(index)) {
            format_degrees(zip_longitude(index), longitude, sizeof longitude);
            format_degrees(zip_latitude(index), latitude, sizeof latitude);
        }
        const SampleArea &area = entry.second;
        SampleStatistics s = statistics_of(area, count);
        table += words + std::to_string(entry.first) + "," + longitude + "," + latitude + "," +
                 std::to_string(area.base) + "," + std::to_string(area.matching) + "," +
                 share_text(area.matching, area.base) + "," + share_text(area.matching, count.total) + "," +
                 (area.base == 0 ? ",,,," : percent_text(s.low) + "," + percent_text(s.high) + "," +
                                               share_text(count.total, count.filtered) + "," +
                                               percent_text(s.difference) + "," + s.compared) + "\r\n";
    }
    return table;
}

// Runs quorvel-counts.exe with the arguments; its exit status, and what
// it wrote to standard output and error.
DWORD run_counts(const std::string &arguments, std::string *out, std::string *err)
{
    // Files of their own for each run, shared: the child's copies of the
    // handles may outlive it for a moment.
    static int runs;
    runs++;
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    const std::string paths[2] = {work_path("counts-out" + std::to_string(runs)),
                                  work_path("counts-err" + std::to_string(runs))};
    const DWORD shared = FILE_SHARE_READ | FILE_SHARE_WRITE;
    STARTUPINFOA start = {};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdOutput = CreateFileA(paths[0].c_str(), GENERIC_WRITE, shared, &inherited, CREATE_NEW, 0, nullptr);
    start.hStdError = CreateFileA(paths[1].c_str(), GENERIC_WRITE, shared, &inherited, CREATE_NEW, 0, nullptr);
    std::string line = "\"Z:" QUORVEL_COUNTS_EXE "\"" + arguments;
    PROCESS_INFORMATION process = {};
    DWORD status = 0xFFFFFFFF;
    if (CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &start,
                       &process)) {
        WaitForSingleObject(process.hProcess, 60000);
        GetExitCodeProcess(process.hProcess, &status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(start.hStdOutput);
    CloseHandle(start.hStdError);
    *out = text_of(paths[0]);
    *err = text_of(paths[1]);
    return status;
}

TEST_F(Output, ExportCountsOfTheSampleLineForLine)
{
    // The sample survey, loaded at the start view: the Survey Area shows
    // every bar in the window, none under the legend.
    std::string sample = source_path("data/samples/sample-survey.qvd");
    answer_file_dialog(sample);
    send_command(CMD_LOAD_DATA);
    ASSERT_EQ("Load complete", message_boxes().at(0).text);
    RECT legend;
    ASSERT_TRUE(legend_box(&legend));
    for (int i = 0, x, y; i < ZIP_SLOTS; i++)
        for (float z : {0.0f, (float)tally_result()->counts[i]})
            EXPECT_TRUE(!zip_has_location(i) || tally_result()->counts[i] == 0 ||
                        (window_position({zip_longitude(i), zip_latitude(i), z}, &x, &y) &&
                         (y > legend.bottom || x > legend.right))) << 77000 + i;

    // Q10 answered "home or apartment of a friend or family member" (code
    // 2) by women aged 30-39, exported and counted from the file's records,
    // each area compared alone.
    send_command(CMD_COMPARE_ALONE);
    choose_in_combo(panel_window(PANEL_QUESTION), IDC_QUESTION_ANSWER, 1);
    choose_in_combo(panel_window(PANEL_DEMOGRAPHICS), IDC_DEMO_AGE, 2);
    choose_in_combo(panel_window(PANEL_DEMOGRAPHICS), IDC_DEMO_SEX, 2);
    message_boxes().clear();
    std::string path = work_path("counts.csv");
    answer_file_dialog(work_path("counts"));
    send_command(CMD_EXPORT_COUNTS);
    ASSERT_EQ(1u, message_boxes().size());
    EXPECT_EQ("Export complete", message_boxes()[0].text);
    SampleCount count = count_sample(2, 2, 2);
    ASSERT_GT(count.total, 10);
    const std::string staying = "Q10: In which of the following are you currently staying?,";
    std::string expected =
        counts_table_of(count, staying + "home or apartment of a friend or family member,Age=30-39; Sex=Female,");
    EXPECT_EQ(expected, without_figures(text_of(path)));
    // With the areas compared all together, as quorvel-counts compares them
    // unless told --compare each (as below).
    std::string out, err, exported = text_of(path);
    auto quoted = [](const std::string &path) { return " \"" + path + "\""; };
    send_command(CMD_COMPARE_TOGETHER);
    answer_file_dialog(work_path("together.csv"));
    send_command(CMD_EXPORT_COUNTS);
    EXPECT_EQ(0u, run_counts(quoted(sample) + " --question Q10 --answer 2 --filter Age=30-39 --filter Sex=Female",
                             &out, &err));
    EXPECT_TRUE(text_of(work_path("together.csv")) == out && exported != out);
    send_command(CMD_COMPARE_ALONE);
    // Copy Counts (Ctrl+Shift+C, also in the Find Zip box): the file's bytes
    // as "Csv", and the table as text with tabs.
    SetFocus(GetDlgItem(panel_window(PANEL_QUESTION), IDC_FIND_ZIP));
    control_key_stroke('C', true);
    EXPECT_EQ(exported, clipboard_text(RegisterClipboardFormatA("Csv")));
    std::string tabbed = clipboard_text(CF_TEXT), header = counts_table_header;
    std::replace(header.begin(), header.end(), ',', '\t');
    EXPECT_TRUE(starts_with(tabbed, header + "\r\n"));
    EXPECT_NE(std::string::npos, tabbed.find("\tAge=30-39; Sex=Female\t770"));

    // A write that fails names the routine and the path, and keeps the file.
    message_boxes().clear();
    choose_in_combo(panel_window(PANEL_DEMOGRAPHICS), IDC_DEMO_SEX, 0);
    data_stream_inject_fault(FAULT_WRITE, 5);
    answer_file_dialog(path);
    send_command(CMD_EXPORT_COUNTS);
    ASSERT_FALSE(message_boxes().empty());
    EXPECT_EQ("ERROR!", message_boxes().back().caption);
    EXPECT_EQ("write_counts_table() - can't write counts file: " + path + "!\n",
              message_boxes().back().text);
    EXPECT_EQ(exported, text_of(path));
    EXPECT_FALSE(std::filesystem::exists(path + ".~tmp"));

    // The Areas panel lists the same areas for the one filter left (Age
    // 30-39), in zip order at first; then by Share, up and down, those
    // without respondents last either way.
    count = count_sample(2, 2, 0);
    send_command(CMD_SHOW_AREAS);
    int item = 0;
    for (const auto &entry : count.areas) {
        std::vector<std::string> cells = areas_row(item++);
        cells.erase(cells.begin() + AREA_SMOOTHED, cells.begin() + AREA_NOTE);
        EXPECT_EQ(panel_cells(entry.first, entry.second, count), cells);
    }
    EXPECT_EQ(item, areas_item_count());
    for (int descending : {0, 1}) {
        click_areas_header(AREA_SHARE);
        std::vector<double> keys;  // the shares in order, then those without
        for (item = 0; item < areas_item_count(); item++)
            keys.push_back(areas_row(item)[1] == "0" ? 1e3 : atof(areas_row(item)[3].c_str()) * (1 - 2 * descending));
        EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
        HDITEMA column = {};
        column.mask = HDI_FORMAT;
        Header_GetItem(ListView_GetHeader(areas_list()), AREA_SHARE, &column);
        EXPECT_EQ(descending ? HDF_SORTDOWN : HDF_SORTUP, column.fmt & (HDF_SORTUP | HDF_SORTDOWN));
    }
    click_areas_header(AREA_ZIP);
    EXPECT_EQ(std::to_string(count.areas.begin()->first), areas_row(0)[0]);
    // Ctrl+Shift+C in the list is Copy Counts, not a copy of its rows.
    SetFocus(areas_list());
    control_key_stroke('C', true);
    EXPECT_EQ(counts_table_of(count, staying + "home or apartment of a friend or family member,Age=30-39,"),
              without_figures(clipboard_text(RegisterClipboardFormatA("Csv"))));

    // Everyone who owns a home, with no filter: the zip codes off the map
    // (75201 with 5 of 921, 77600) have their lines, as every zip code of a
    // counted respondent has, so the columns add up to the totals.
    choose_in_combo(panel_window(PANEL_QUESTION), IDC_QUESTION_ANSWER, 0);
    choose_in_combo(panel_window(PANEL_DEMOGRAPHICS), IDC_DEMO_AGE, 0);
    answer_file_dialog(path);
    send_command(CMD_EXPORT_COUNTS);
    EXPECT_EQ("Export complete", message_boxes().back().text);
    count = count_sample(1, 0, 0);
    EXPECT_TRUE(count.total == 921 && count.areas[75201].matching == 5 && count.areas[77600].matching == 1);
    EXPECT_EQ(counts_table_of(count, staying + "own home or apartment,all,"), without_figures(text_of(path)));

    // quorvel-counts.exe writes every question's and answer's lines in one
    // table: each answer's lines there are the window's Export Counts
    // lines, and only they carry its question and answer.
    std::string table = work_path("survey.csv");
    ASSERT_EQ(0u, run_counts(quoted(sample) + " --filter Age=30-39 --filter \"Sex=Female\" --compare each --output" +
                                 quoted(table), &out, &err)) << err;
    EXPECT_EQ("", out + err);
    std::string whole = text_of(table);
    EXPECT_EQ(0u, whole.find(std::string(counts_table_header) + "\r\n"));
    choose_in_combo(panel_window(PANEL_DEMOGRAPHICS), IDC_DEMO_AGE, 2);
    choose_in_combo(panel_window(PANEL_DEMOGRAPHICS), IDC_DEMO_SEX, 2);
    const std::pair<int, int> answers[] = {{0, 1}, {11, 12}, {17, 0}, {33, 9}};  // Q10, Q21, Q27C, Q38
    for (const auto &answer : answers) {
        while (current_question() != answer.first)
            SendDlgItemMessageA(panel_window(PANEL_QUESTION), IDC_QUESTION_NEXT, BM_CLICK, 0, 0);
        choose_in_combo(panel_window(PANEL_QUESTION), IDC_QUESTION_ANSWER, answer.second);
        answer_file_dialog(path);
        send_command(CMD_EXPORT_COUNTS);
        std::string lines = text_of(path).substr(strlen(counts_table_header) + 2);
        std::string words = "\n" + lines.substr(0, lines.find("Age=30-39; Sex=Female,"));
        EXPECT_NE(std::string::npos, whole.find("\n" + lines)) << words;
        size_t carried = 0;
        for (size_t at = whole.find(words); at != std::string::npos; at = whole.find(words, at + 1))
            carried++;
        EXPECT_EQ((size_t)std::count(lines.begin(), lines.end(), '\n'), carried) << words;
    }

    // Data that cannot be read: exit status 1, the window's reason, and
    // nothing written (the other failures are checked in the core's tests).
    const std::string none = work_path("none.qvd");
    EXPECT_EQ(1u, run_counts(quoted(none) + " --output" + quoted(table), &out, &err));
    EXPECT_EQ(0u, err.find("quorvel-counts: read_records() - can't open record file: " + none + "!")) << err;
    EXPECT_EQ("", out);
    EXPECT_TRUE(whole == text_of(table));
}

// The Breakdown panel's list as shown: each row's cells.
std::vector<std::vector<std::string>> breakdown_rows(void)
{
    HWND list = GetDlgItem(panel_window(PANEL_BREAKDOWN), IDC_BREAKDOWN_LIST);
    std::vector<std::vector<std::string>> rows(ListView_GetItemCount(list));
    for (size_t item = 0; item < rows.size(); item++) {
        for (int c = 0; c < Header_GetItemCount(ListView_GetHeader(list)); c++) {
            char text[96] = "";
            ListView_GetItemText(list, (int)item, c, text, sizeof text);
            rows[item].push_back(text);
        }
    }
    return rows;
}

// The Breakdown panel's column titles and the first column's width.
std::pair<std::vector<std::string>, int> breakdown_titles(void)
{
    HWND list = GetDlgItem(panel_window(PANEL_BREAKDOWN), IDC_BREAKDOWN_LIST);
    std::vector<std::string> titles;
    for (int c = 0; c < Header_GetItemCount(ListView_GetHeader(list)); c++) {
        char text[32] = "";
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT;
        column.pszText = text;
        column.cchTextMax = sizeof text;
        SendMessageA(list, LVM_GETCOLUMNA, (WPARAM)c, (LPARAM)&column);
        titles.push_back(text);
    }
    return {titles, ListView_GetColumnWidth(list, 0)};
}

// A line's cells, split at the separator outside quotes, quotes undone.
std::vector<std::string> cells_of(const std::string &line, char separator)
{
    std::vector<std::string> cells(1);
    for (size_t i = 0, quoted = 0; i < line.size(); i++) {
        if (line[i] == '"' && quoted && i + 1 < line.size() && line[i + 1] == '"')
            cells.back() += line[i++];
        else if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == separator && !quoted)
            cells.emplace_back();
        else
            cells.back() += line[i];
    }
    return cells;
}

std::vector<std::string> lines_of(const std::string &text)
{
    std::vector<std::string> lines;
    for (size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(text.substr(at, end - at));
    return lines;
}

std::string count_text(int32_t n)
{
    char text[16];
    format_count(n, text, sizeof text);
    return text;
}

TEST_F(Output, TheBreakdownFollowsTheMapAndCopiesWhatTheCountsProgramWrites)
{
    HWND panel = panel_window(PANEL_BREAKDOWN), list = GetDlgItem(panel, IDC_BREAKDOWN_LIST);
    HWND question = panel_window(PANEL_QUESTION);
    send_command(CMD_SHOW_BREAKDOWN);
    while (current_question() != 10)  // Q20, skipped drugs for their cost
        SendDlgItemMessageA(question, IDC_QUESTION_NEXT, BM_CLICK, 0, 0);

    // A code that is no answer of Q20 makes the row "(other codes)", which
    // no click or key makes the answer: the current answer's row alone is
    // selected again, as after a click below the rows.
    RespondentRecord other = respondent(77005);
    other.field[question_field(10)] = 7;
    use_records({respondent(77005), other});
    ASSERT_EQ("(other codes)", breakdown_rows().back()[0]);
    const int answer = combo_selection(question, IDC_QUESTION_ANSWER);
    RECT last;
    ListView_GetItemRect(list, ListView_GetItemCount(list) - 1, &last, LVIR_LABEL);
    const struct {
        const char *what;
        int key, y;
    } steps[] = {{"a click on it", 0, (last.top + last.bottom) / 2},
                 {"End", VK_END, 0},
                 {"a click below it", 0, last.bottom + 2 * (last.bottom - last.top)}};
    for (const auto &step : steps) {
        SCOPED_TRACE(step.what);
        SetFocus(list);
        if (step.key)
            key_stroke(step.key, 0);
        for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP})
            if (!step.key)
                post_mouse(list, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, last.left + 4, step.y);
        EXPECT_EQ(answer, combo_selection(question, IDC_QUESTION_ANSWER));
        EXPECT_EQ(1u, ListView_GetSelectedCount(list));
        EXPECT_EQ(answer, ListView_GetNextItem(list, -1, LVNI_SELECTED | LVNI_FOCUSED));
    }

    std::string sample = source_path("data/samples/sample-survey.qvd");
    answer_file_dialog(sample);
    send_command(CMD_LOAD_DATA);
    pump_messages(0);

    // By all respondents, a row per answer; a click on a row, or an arrow
    // key, makes its answer the map's as the Question panel's list does,
    // and the Info log stays as it was.
    EXPECT_EQ("Q20: 1,320 respondents", item_text(panel, IDC_BREAKDOWN_SUMMARY));
    const std::vector<std::vector<std::string>> answers = breakdown_rows();
    ASSERT_EQ(3u, answers.size());
    for (int item : {2, 1}) {
        RECT box;
        ListView_GetItemRect(list, item, &box, LVIR_LABEL);
        post_mouse(list, WM_LBUTTONDOWN, MK_LBUTTON, box.left + 4, (box.top + box.bottom) / 2);
        post_mouse(list, WM_LBUTTONUP, 0, box.left + 4, (box.top + box.bottom) / 2);
        EXPECT_EQ(item, combo_selection(question, IDC_QUESTION_ANSWER));
        const int32_t total = tally_result()->total;
        EXPECT_EQ(std::vector<std::string>({catalogue_entry(10)->answers[item].text, count_text(total), "1,320",
                                            share_text(total, 1320) + "%"}),
                  std::vector<std::string>(answers[item].begin(), answers[item].begin() + 4));
    }
    SetFocus(list);
    key_stroke(VK_UP, 0);
    EXPECT_EQ(0, combo_selection(question, IDC_QUESTION_ANSWER));
    EXPECT_EQ(count_text(tally_result()->total), answers[0][1]);
    EXPECT_EQ(1u, ListView_GetSelectedCount(list));
    EXPECT_EQ("", info_log_text());
    EXPECT_EQ(answers.size() + 2, lines_of(copy_with_ctrl_c()).size());  // every answer, though one is selected
    const std::pair<std::vector<std::string>, int> answer_titles = breakdown_titles();

    // By Income: All, then each group; the chart on the clipboard twice its
    // size under the text line, in the map's colors.
    choose_in_combo(panel, IDC_BREAKDOWN_BY, 8);
    std::vector<std::vector<std::string>> groups = breakdown_rows();
    ASSERT_EQ(13u, groups.size());
    EXPECT_EQ(std::vector<std::string>({"Group", "Matching", "Respondents", "Share", "95% interval", "vs all", "Note"}),
              breakdown_titles().first);
    EXPECT_EQ(std::vector<std::string>({"All", "136", "1,320"}), std::vector<std::string>(groups[0].begin(), groups[0].begin() + 3));
    EXPECT_EQ("$1,000 - $10,000", groups[2][0]);
    EXPECT_EQ(0u, item_text(panel, IDC_BREAKDOWN_SUMMARY).find("Q20 by Income: the answers differ between groups ("));
    SendDlgItemMessageA(panel, IDC_BREAKDOWN_COPY_CHART, BM_CLICK, 0, 0);
    std::vector<uint8_t> dib = clipboard_bytes(CF_DIB);
    ASSERT_GT(dib.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER dib_header;
    memcpy(&dib_header, dib.data(), sizeof dib_header);
    RECT chart, line;
    GetClientRect(GetDlgItem(panel, IDC_BREAKDOWN_CHART), &chart);
    GetClientRect(GetDlgItem(panel, IDC_BREAKDOWN_SUMMARY), &line);
    EXPECT_EQ(std::make_pair(2 * chart.right, 2 * (line.bottom + chart.bottom)),
              std::make_pair((LONG)dib_header.biWidth, (LONG)dib_header.biHeight));
    int orange = 0, purple = 0;
    for (size_t at = sizeof dib_header; at + 3 <= dib.size(); at += 3) {
        orange += dib[at] == 0x00 && dib[at + 1] == 0x52 && dib[at + 2] == 0xC8;
        purple += dib[at] == 0x9B && dib[at + 1] == 0x3A && dib[at + 2] == 0x5D;
    }
    EXPECT_TRUE(orange > 100 && purple > 100) << orange << " orange, " << purple << " purple";
    // A font it cannot read, the GUI's serves: no error, the title drawn.
    Breakdown none = {};
    const ChartRows no_rows = {&none, {}, 0};
    ASSERT_EQ(1, copy_breakdown_chart(panel, &no_rows, "Q20", nullptr, 1, SIZE{120, 40}, 30));
    dib = clipboard_bytes(CF_DIB);
    memcpy(&dib_header, dib.data(), sizeof dib_header);
    EXPECT_EQ(std::make_pair(240L, 140L), std::make_pair((long)dib_header.biWidth, (long)dib_header.biHeight));
    EXPECT_GT(std::count_if(dib.begin() + sizeof dib_header, dib.end(), [](uint8_t b) { return b < 128; }), 30);

    // Women, then in zip 77004 alone: the rows follow the filter and the
    // selection, and Ctrl+C copies what quorvel-counts writes for them,
    // the text line last.
    choose_in_combo(panel_window(PANEL_DEMOGRAPHICS), IDC_DEMO_SEX, 2);
    EXPECT_EQ(count_text(tally_result()->filtered), breakdown_rows()[0][2]);
    HWND zip_only = GetDlgItem(panel, IDC_BREAKDOWN_ZIP_ONLY);
    EXPECT_FALSE(IsWindowEnabled(zip_only));
    select_zip_quietly(4);
    EXPECT_EQ("Only zip 77004", item_text(panel, IDC_BREAKDOWN_ZIP_ONLY));
    SendMessageA(zip_only, BM_CLICK, 0, 0);
    EXPECT_EQ(count_text(tally_result()->bases[4]), breakdown_rows()[0][2]);
    const std::string summary = item_text(panel, IDC_BREAKDOWN_SUMMARY);
    EXPECT_EQ(0u, summary.find("Q20 in zip 77004 by Income: ")) << summary;
    SetFocus(list);
    std::vector<std::string> copied = lines_of(copy_with_ctrl_c()), written, err;
    std::string out, errors;
    ASSERT_EQ(0u, run_counts(" \"" + sample + "\" --question Q20 --answer Yes --filter Sex=Female --by income --zip 77004",
                             &out, &errors)) << errors;
    written = lines_of(out);
    ASSERT_EQ(groups.size() + 2, copied.size());
    ASSERT_EQ(groups.size() + 1, written.size());
    EXPECT_EQ(summary, copied.back());
    const int same[] = {5, 6, 7, 8, 9, 10, 12, 13};  // group ... compared
    for (size_t r = 1; r < written.size(); r++) {
        std::vector<std::string> table = cells_of(written[r], ','), rows = cells_of(copied[r], '\t');
        for (size_t c = 0; c < sizeof same / sizeof same[0]; c++)
            EXPECT_EQ(table[same[c]], rows[c]) << written[r];
    }
    // One group selected, it alone; back by all respondents, the answers'
    // columns again.
    ListView_SetItemState(list, 3, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(std::vector<std::string>({copied[0], copied[4], copied.back()}), lines_of(copy_with_ctrl_c()));
    choose_in_combo(panel, IDC_BREAKDOWN_BY, 0);
    EXPECT_EQ(answer_titles, breakdown_titles());
    EXPECT_EQ(std::vector<std::string>({"Answer", "Matching", "Respondents", "Share", "95% interval"}),
              answer_titles.first);
}

// Names a user can type, as bytes of the ANSI code page: scripts/test runs
// this under 1252 and again under 1251 (QUORVEL_CODE_PAGE says which).
TEST_F(Output, EveryFileCommandTakesNamesOfTheAnsiCodePage)
{
    const char *expected = getenv("QUORVEL_CODE_PAGE");
    ASSERT_EQ(expected ? (UINT)atoi(expected) : 1252u, GetACP()) << "Wine runs in another code page";
    std::vector<std::string> names = {"\xc4\xe0\xed\xed\xfb\xe5"};  // "Данные"
    if (GetACP() == 1252)
        names = {"\x80uro", "\x83x", "caf\xe9"};  // "€uro", "ƒx", "café"
    info_append("logged\r\n");
    use_records({respondent(77002), respondent(77005)});
    for (const std::string &name : names) {
        SCOPED_TRACE(name);
        // The folder and the file both carry the name.
        std::string folder = work_dir() + "\\" + name, base = folder + "\\" + name;
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
        message_boxes().clear();
        const char *typed[] = {"", "", "", " counts", ".qvd", ".csv"};
        const int commands[] = {CMD_SAVE_DATA, CMD_EXPORT_CSV, CMD_SAVE_SNAPSHOT, CMD_EXPORT_COUNTS,
                                CMD_LOAD_DATA, CMD_IMPORT_CSV};
        for (int i = 0; i < 6; i++) {
            answer_file_dialog(base + typed[i]);
            send_command(commands[i]);
        }
        answer_file_dialog(base);
        SendMessageA(panel_window(PANEL_INFO), WM_COMMAND, MAKEWPARAM(IDC_INFO_SAVE, BN_CLICKED), 0);
        EXPECT_EQ(7u, message_boxes().size());
        for (const BoxRecord &box : message_boxes())
            EXPECT_EQ("Info", box.caption) << box.text;
        EXPECT_EQ("logged \r\n \r\n", text_of(base + ".txt"));
        EXPECT_TRUE(starts_with(text_of(base + " counts.csv"), "question,answer,filters,"));
        WIN32_FIND_DATAA found;
        EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA((folder + "\\*~tmp*").c_str(), &found));
    }
}

TEST_F(Output, SnapshotEqualsTheFrameAtEvenAndOddWidths)
{
    RECT legend = {0, 0, 0, 0};
    for (int width : {1000, 1001}) {
        SCOPED_TRACE(width);
        set_client_size(width, 600);
        ASSERT_EQ(width, client_width());
        ASSERT_EQ(600, client_height());
        message_boxes().clear();
        std::string path = work_path("shot-" + std::to_string(width) + ".bmp");
        answer_file_dialog(path);
        send_command(CMD_SAVE_SNAPSHOT);
        ASSERT_EQ(1u, message_boxes().size());
        EXPECT_EQ("Info", message_boxes()[0].caption);
        EXPECT_EQ("Save complete", message_boxes()[0].text);

        size_t stride = ((size_t)width * 3 + 3) & ~(size_t)3;
        EXPECT_EQ(width == 1001 ? 3004u : 3000u, stride);
        EXPECT_EQ(54 + stride * 600, file_bytes(path).size());
        RgbImage image = {0, 0, 0, nullptr};
        ASSERT_EQ(1, read_bmp(path.c_str(), &image));
        Frame frame = read_frame();
        EXPECT_EQ(width, image.width);
        EXPECT_EQ(600, image.height);
        size_t bytes = (size_t)image.width * image.height * 3;
        ASSERT_EQ(frame.pixels.size(), bytes);
        EXPECT_EQ(0, memcmp(frame.pixels.data(), image.pixels, bytes));
        // Copy Map (Ctrl+C): the file without its 14-byte header, as a DIB.
        SetFocus(main_window());
        control_key_stroke('C');
        std::vector<uint8_t> file = file_bytes(path), dib = clipboard_bytes(CF_DIB);
        ASSERT_GE(dib.size(), file.size() - 14);
        EXPECT_TRUE(std::equal(file.begin() + 14, file.end(), dib.begin()));
        // As a PNG, its type chosen or typed (in any case): the same pixels,
        // at 96 DPI (3780 pixels per metre in its pHYs chunk).
        std::string png = work_path("shot-" + std::to_string(width));
        answer_file_dialog(width == 1000 ? png : png + ".PNG", width == 1000 ? 2 : 1);
        send_command(CMD_SAVE_SNAPSHOT);
        int png_width = 0, png_height = 0;
        file = file_bytes(png + ".png");
        EXPECT_TRUE(png_pixels(file, &png_width, &png_height) == frame.pixels && png_width == width);
        EXPECT_TRUE(file.size() > 45 && memcmp(&file[37], "pHYs\0\0\x0e\xc4", 8) == 0);
        image_free(&image);
        // So the picture carries the legend as the frame does; switched
        // off ("Show Legend" unchecked) for the odd width, neither has it.
        if (width == 1000) {
            ASSERT_TRUE(legend_box(&legend));
            send_command(CMD_SHOW_LEGEND);
        }
        EXPECT_EQ(width == 1000, dark_pixels(frame, legend) > 300);
    }
    EXPECT_FALSE(GetMenuState(GetMenu(main_window()), CMD_SHOW_LEGEND, MF_BYCOMMAND) & MF_CHECKED);
}

TEST_F(Output, SnapshotNameGetsItsExtensionAndPanelsAndTimerCarryOn)
{
    ShowWindow(panel_window(PANEL_INFO), SW_SHOWNA);
    ShowWindow(panel_window(PANEL_AREAS), SW_SHOWNA);
    ShowWindow(panel_window(PANEL_GIS), SW_HIDE);
    std::string path = work_path("plain-name");
    answer_file_dialog(path);
    send_command(CMD_SAVE_SNAPSHOT);
    EXPECT_TRUE(std::filesystem::exists(path + ".bmp"));
    EXPECT_FALSE(std::filesystem::exists(path));
    const int visible[PANEL_COUNT] = {1, 1, 0, 1, 0, 1};
    for (int p = 0; p < PANEL_COUNT; p++)
        EXPECT_EQ(visible[p] != 0, IsWindowVisible(panel_window(p)) != 0) << "panel " << p;
    EXPECT_TRUE(timer_runs());

    // A cancelled snapshot and a cancelled printout restart the timer as well.
    cancel_file_dialog();
    send_command(CMD_SAVE_SNAPSHOT);
    EXPECT_EQ(1u, message_boxes().size());
    EXPECT_TRUE(timer_runs());
    answer_print_dialog(IDCANCEL);
    send_command(CMD_PRINT);
    answer_print_dialog(0);
    for (int p = 0; p < PANEL_COUNT; p++)
        EXPECT_EQ(visible[p] != 0, IsWindowVisible(panel_window(p)) != 0) << "panel " << p;
    EXPECT_TRUE(timer_runs());
}

TEST_F(Output, FailedSnapshotWriteReportsAnError)
{
    std::string path = work_path("failed-shot.bmp");
    data_stream_inject_fault(FAULT_WRITE, 2);
    answer_file_dialog(path);
    send_command(CMD_SAVE_SNAPSHOT);
    ASSERT_EQ(1u, message_boxes().size());
    EXPECT_EQ("ERROR!", message_boxes()[0].caption);
    EXPECT_TRUE(starts_with(message_boxes()[0].text,
                            "save_snapshot() - can't write snapshot file: " + path + "!"))
        << message_boxes()[0].text;
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(timer_runs());

    // A PNG over a previous one (the question to replace it answered Yes):
    // that one stays as it was.
    path = work_path("failed-shot.png");
    write_file_bytes(path, {'o', 'l', 'd'});
    data_stream_inject_fault(FAULT_WRITE, 3);
    answer_file_dialog(work_path("failed-shot"), 2);
    send_command(CMD_SAVE_SNAPSHOT);
    EXPECT_EQ("save_snapshot() - can't write snapshot file: " + path + "!\n", message_boxes().back().text);
    EXPECT_EQ((std::vector<uint8_t>{'o', 'l', 'd'}), file_bytes(path));
    EXPECT_FALSE(std::filesystem::exists(path + ".~tmp"));
}

TEST_F(Output, ACopyThatCannotBeMadeSaysSoAndLeavesTheClipboard)
{
    use_records({respondent(77002)});
    SetDlgItemTextA(panel_window(PANEL_QUESTION), IDC_FIND_ZIP, "before");
    SendDlgItemMessageA(panel_window(PANEL_QUESTION), IDC_FIND_ZIP, EM_SETSEL, 0, -1);
    SendDlgItemMessageA(panel_window(PANEL_QUESTION), IDC_FIND_ZIP, WM_COPY, 0, 0);
    // Another program holds the clipboard open; then the memory for the map,
    // or for the second format of the counts, cannot be had.
    HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, nullptr), done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
        OpenClipboard(nullptr);
        SignalObjectAndWait(opened, done, 20000, FALSE);
        CloseClipboard();
    });
    WaitForSingleObject(opened, 5000);
    send_command(CMD_COPY_MAP);
    send_command(CMD_COPY_COUNTS);
    EXPECT_EQ(0, copy_area_rows() + copy_breakdown_rows() + copy_chart());
    SetEvent(done);
    holder.join();
    clipboard_fail_memory(1);
    send_command(CMD_COPY_MAP);
    clipboard_fail_memory(1);
    EXPECT_EQ(0, copy_chart());
    clipboard_fail_memory(2);
    send_command(CMD_COPY_COUNTS);
    // A count refused for want of memory has no table to copy.
    limit_outside_zips(1);
    use_records({respondent(77002), respondent(75201), respondent(77600)});
    send_command(CMD_COPY_COUNTS);
    limit_outside_zips(0);
    const std::string busy = "() - can't open the clipboard: another program is using it!\n",
                      short_of_memory = "() - not enough memory for the clipboard!\n";
    const std::vector<std::string> expected = {
        "copy_map" + busy, "copy_counts" + busy, "copy_area_rows" + busy, "copy_breakdown_rows" + busy,
        "copy_breakdown_chart" + busy, "copy_map" + short_of_memory, "copy_breakdown_chart" + short_of_memory,
        "copy_counts" + short_of_memory, "copy_counts() - not enough memory for the counts table!\n"};
    ASSERT_EQ(expected.size(), message_boxes().size());
    for (size_t i = 0; i < expected.size(); i++)
        EXPECT_TRUE(message_boxes()[i].caption == "ERROR!" && message_boxes()[i].text == expected[i]) << i;
    EXPECT_EQ("before", clipboard_text(CF_TEXT));
    EXPECT_TRUE(clipboard_bytes(CF_DIB).empty());
    EXPECT_EQ(3, record_count());
    EXPECT_TRUE(timer_runs());
    for (HANDLE event : {opened, done})
        CloseHandle(event);
}

// A 24-bit DIB section standing in for a printer page.
struct MemoryPage {
    HDC dc;
    HBITMAP bitmap;
    uint8_t *bits;  // bottom-up BGR rows padded to four bytes
    int width, height;
    TileColour at(int x, int y_from_bottom) const
    {
        size_t stride = ((size_t)width * 3 + 3) & ~(size_t)3;
        const uint8_t *p = bits + (size_t)y_from_bottom * stride + (size_t)x * 3;
        return {p[2], p[1], p[0]};
    }
};

MemoryPage make_page(int width, int height)
{
    MemoryPage page = {nullptr, nullptr, nullptr, width, height};
    BITMAPINFO info;
    memset(&info, 0, sizeof info);
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    page.dc = CreateCompatibleDC(nullptr);
    void *bits = nullptr;
    page.bitmap = CreateDIBSection(page.dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    page.bits = (uint8_t *)bits;
    SelectObject(page.dc, page.bitmap);
    size_t stride = ((size_t)width * 3 + 3) & ~(size_t)3;
    memset(page.bits, 255, stride * height);
    return page;
}

void free_page(MemoryPage *page)
{
    DeleteDC(page->dc);
    DeleteObject(page->bitmap);
}

bool same_colour(TileColour a, TileColour b)
{
    return abs(a.r - b.r) <= 8 && abs(a.g - b.g) <= 8 && abs(a.b - b.b) <= 8;
}

TEST_F(Output, GdiPrintingPlacesThePictureScaledAndCentred)
{
    // Four flat quadrants, so placement errors show as wrong colours.
    const TileColour quadrant[4] = {{200, 40, 40}, {40, 160, 40}, {40, 40, 200}, {220, 200, 40}};
    struct Case {
        int page_width, page_height, width, height;
    };
    const Case cases[] = {{480, 660, 100, 60}, {660, 480, 60, 100}, {300, 300, 50, 50}};
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height) + " on " +
                     std::to_string(c.page_width) + " x " + std::to_string(c.page_height));
        RgbImage image = {0, 0, 0, nullptr};
        ASSERT_EQ(1, image_alloc(c.width, c.height, 3, &image));
        for (int y = 0; y < c.height; y++)
            for (int x = 0; x < c.width; x++) {
                TileColour q = quadrant[(y >= c.height / 2) * 2 + (x >= c.width / 2)];
                uint8_t *p = image.pixels + ((size_t)y * c.width + x) * 3;
                p[0] = q.r;
                p[1] = q.g;
                p[2] = q.b;
            }
        MemoryPage page = make_page(c.page_width, c.page_height);
        ASSERT_EQ(1, stretch_image_to_page(page.dc, c.page_width, c.page_height, &image));
        GdiFlush();
        PagePlacement placement;
        ASSERT_EQ(1, place_on_page(c.page_width, c.page_height, c.width, c.height, &placement));
        float w = c.width * placement.scale, h = c.height * placement.scale;
        const TileColour white = {255, 255, 255};
        // Quadrant centres land where the placement puts them.
        for (int q = 0; q < 4; q++) {
            int x = (int)(placement.x0 + w * (q % 2 ? 0.75f : 0.25f));
            int y = (int)(placement.y0 + h * (q / 2 ? 0.75f : 0.25f));
            EXPECT_TRUE(same_colour(quadrant[q], page.at(x, y))) << "quadrant " << q;
        }
        // Just outside the picture the page stays white; just inside it is not.
        if (placement.y0 >= 2) {
            EXPECT_TRUE(same_colour(white, page.at(c.page_width / 2, (int)placement.y0 - 2)));
            EXPECT_TRUE(same_colour(white, page.at(c.page_width / 2, (int)(placement.y0 + h) + 1)));
        }
        if (placement.x0 >= 2) {
            EXPECT_TRUE(same_colour(white, page.at((int)placement.x0 - 2, c.page_height / 2)));
            EXPECT_TRUE(same_colour(white, page.at((int)(placement.x0 + w) + 1, c.page_height / 2)));
        }
        EXPECT_FALSE(same_colour(white, page.at((int)placement.x0 + 1, (int)placement.y0 + 1)));
        EXPECT_FALSE(same_colour(white, page.at((int)(placement.x0 + w) - 2, (int)(placement.y0 + h) - 2)));
        free_page(&page);
        image_free(&image);
    }
}

// Page geometry of the default printer; false when there is none.
struct PrinterPage {
    int width, height;              // printable area (HORZRES, VERTRES)
    int paper_width, paper_height;  // whole sheet
    int offset_x, offset_y;         // printable area's top left on the sheet
};

bool default_printer_page(PrinterPage *page)
{
    PRINTDLGA probe;
    memset(&probe, 0, sizeof probe);
    probe.lStructSize = sizeof probe;
    probe.Flags = PD_RETURNDEFAULT | PD_RETURNDC;
    if (!PrintDlgA(&probe) || !probe.hDC)
        return false;
    page->width = GetDeviceCaps(probe.hDC, HORZRES);
    page->height = GetDeviceCaps(probe.hDC, VERTRES);
    page->paper_width = GetDeviceCaps(probe.hDC, PHYSICALWIDTH);
    page->paper_height = GetDeviceCaps(probe.hDC, PHYSICALHEIGHT);
    page->offset_x = GetDeviceCaps(probe.hDC, PHYSICALOFFSETX);
    page->offset_y = GetDeviceCaps(probe.hDC, PHYSICALOFFSETY);
    DeleteDC(probe.hDC);
    if (probe.hDevMode)
        GlobalFree(probe.hDevMode);
    if (probe.hDevNames)
        GlobalFree(probe.hDevNames);
    return true;
}

std::vector<std::string> pdf_files(const std::string &dir)
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto &entry : std::filesystem::directory_iterator(dir, error))
        if (entry.path().extension() == ".pdf")
            names.push_back(entry.path().filename().string());
    return names;
}

// A binary PPM as written by pdftoppm.
struct Ppm {
    int width = 0, height = 0;
    std::vector<uint8_t> pixels;  // rows top first, RGB
    TileColour at(int x, int y) const
    {
        const uint8_t *p = &pixels[((size_t)y * width + x) * 3];
        return {p[0], p[1], p[2]};
    }
};

bool read_ppm(const std::string &path, Ppm *ppm)
{
    std::vector<uint8_t> bytes = file_bytes(path);
    int maxval = 0, used = 0;
    if (bytes.size() < 16 ||
        sscanf((const char *)bytes.data(), "P6 %d %d %d%n", &ppm->width, &ppm->height, &maxval, &used) != 3)
        return false;
    size_t start = (size_t)used + 1;
    size_t size = (size_t)ppm->width * ppm->height * 3;
    if (maxval != 255 || bytes.size() < start + size)
        return false;
    ppm->pixels.assign(bytes.begin() + start, bytes.begin() + start + size);
    return true;
}

// Starts a Unix program (Wine runs it natively; its arguments are Unix
// paths) and waits for it; Wine gives no exit code for it, so callers
// check its output.
bool run_unix(const std::string &command_line)
{
    std::vector<char> line(command_line.begin(), command_line.end());
    line.push_back('\0');
    STARTUPINFOA start;
    memset(&start, 0, sizeof start);
    start.cb = sizeof start;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &start,
                        &process)) {
        printf("CreateProcessA failed: %lu\n", GetLastError());
        return false;
    }
    WaitForSingleObject(process.hProcess, 60000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

TEST_F(Output, PrintsCentredAndScaledThroughThePrintQueue)
{
    PrinterPage page;
    if (!default_printer_page(&page))
        GTEST_SKIP() << "no printer is configured (scripts/print-queue sets up a PDF printer)";
    const char *pdf_dir = getenv("QUORVEL_PDF_DIR");
    if (!pdf_dir || !*pdf_dir)
        GTEST_SKIP() << "QUORVEL_PDF_DIR (where the PDF printer writes) is not set";
    std::string unix_dir = pdf_dir;
    std::string dir = "Z:" + unix_dir;
    std::vector<std::string> before = pdf_files(dir);

    // Ctrl+P, in a panel.
    Frame frame = read_frame();
    answer_print_dialog(IDOK);
    SetFocus(GetDlgItem(panel_window(PANEL_DEMOGRAPHICS), IDC_DEMO_AGE));
    control_key_stroke('P');
    answer_print_dialog(0);
    ASSERT_FALSE(message_boxes().empty());
    EXPECT_EQ("Info", message_boxes().back().caption);
    EXPECT_EQ("Print spooled", message_boxes().back().text);
    EXPECT_TRUE(timer_runs());

    std::string pdf;
    for (int wait = 0; wait < 150 && pdf.empty(); wait++) {
        pump_messages(200);
        for (const std::string &name : pdf_files(dir))
            if (std::find(before.begin(), before.end(), name) == before.end())
                pdf = name;
    }
    ASSERT_FALSE(pdf.empty()) << "no new PDF in " << unix_dir;
    pump_messages(1000);  // let the writer finish the file
    char prefix[64];
    snprintf(prefix, sizeof prefix, "/tmp/quorvel-printout-%lu", GetCurrentProcessId());
    const int dpi = 40;
    ASSERT_TRUE(run_unix("Z:\\usr\\bin\\pdftoppm -r " + std::to_string(dpi) + " -singlefile " +
                         unix_dir + "/" + pdf + " " + prefix));
    Ppm ppm;
    for (int wait = 0; wait < 50 && !std::filesystem::exists(std::string("Z:") + prefix + ".ppm"); wait++)
        pump_messages(200);
    ASSERT_TRUE(read_ppm(std::string("Z:") + prefix + ".ppm", &ppm));
    std::filesystem::remove(std::string("Z:") + prefix + ".ppm");

    // Where the picture should be, in sheet pixels of the PPM.
    PagePlacement placement;
    ASSERT_EQ(1, place_on_page(page.width, page.height, frame.width, frame.height, &placement));
    float k = (float)ppm.width / (float)page.paper_width;
    float left = (page.offset_x + placement.x0) * k;
    float right = (page.offset_x + placement.x0 + frame.width * placement.scale) * k;
    float top = (page.offset_y + page.height - placement.y0 - frame.height * placement.scale) * k;
    float bottom = (page.offset_y + page.height - placement.y0) * k;

    // The bounding box of everything not white.
    int min_x = ppm.width, max_x = -1, min_y = ppm.height, max_y = -1;
    for (int y = 0; y < ppm.height; y++)
        for (int x = 0; x < ppm.width; x++) {
            TileColour c = ppm.at(x, y);
            if (c.r < 235 || c.g < 235 || c.b < 235) {
                min_x = std::min(min_x, x);
                max_x = std::max(max_x, x);
                min_y = std::min(min_y, y);
                max_y = std::max(max_y, y);
            }
        }
    const float slack = 3.0f;
    EXPECT_NEAR(left, min_x, slack);
    EXPECT_NEAR(right, max_x + 1, slack);
    EXPECT_NEAR(top, min_y, slack);
    EXPECT_NEAR(bottom, max_y + 1, slack);

    // The picture is the frame, upright: sample it away from colour edges.
    for (float fx : {0.3f, 0.7f})
        for (float fy : {0.3f, 0.7f}) {
            int px = (int)(left + (right - left) * fx), py = (int)(top + (bottom - top) * fy);
            TileColour want = frame_pixel(frame, (int)(frame.width * fx), (int)(frame.height * fy));
            TileColour got = ppm.at(px, py);
            EXPECT_TRUE(abs(want.r - got.r) <= 40 && abs(want.g - got.g) <= 40 &&
                        abs(want.b - got.b) <= 40)
                << "at " << fx << ", " << fy << ": want " << (int)want.r << "," << (int)want.g << ","
                << (int)want.b << " got " << (int)got.r << "," << (int)got.g << "," << (int)got.b;
        }
}

}  // namespace
