// The CSV survey file: import conversions, line and cell rules, refusals
// that leave the data set alone, and export through the temporary file.

#include "survey/csv_file.h"
#include "survey/data_stream.h"
#include "survey/records.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

const char *const kHeader =
    "Q1,Q2,Q3,Q4,Q5,Q6,Q6A,Q7,Q8,Q9,Q10,Q11,Q12,Q14,Q16,Q17,Q18,Q18A,Q18B,"
    "Q19,Q20,Q21,Q22,Q23,Q26,Q27A,Q27B,Q27C,Q27D,Q27E,Q28,Q29,Q32,Q34A,"
    "Q34B,Q34C,Q34D,Q34E,Q34F,Q34G,Q34I,Q35,Q36,Q37,Q38";

// The record field each CSV column lands in, written out by name.
const int kColumnField[CSV_COLUMNS] = {
    Q1, Q2, Q3, Q4, Q5, Q6, Q6A, Q7, Q8, Q9, Q10, Q11, Q12, Q14, Q16,
    Q17, Q18, Q18A, Q18B, Q19, Q20, Q21, Q22, Q23, Q26, Q27A, Q27B, Q27C, Q27D, Q27E,
    Q28, Q29, Q32, Q34A, Q34B, Q34C, Q34D, Q34E, Q34F, Q34G, Q34I, Q35, Q36, Q37, Q38};

const int kAgeColumn = 0, kChildrenColumn = 6, kPersonsColumn = 13, kCareGotColumn = 17,
          kCareWhereColumn = 18, kZipColumn = 32, kLastColumn = 44;

// 45 cells of "1" with the given cells replaced, joined without a line end.
std::string data_line(const std::vector<std::pair<int, std::string>> &cells = {})
{
    std::vector<std::string> text(CSV_COLUMNS, "1");
    for (const auto &cell : cells)
        text[cell.first] = cell.second;
    std::string line;
    for (int c = 0; c < CSV_COLUMNS; c++)
        line += (c ? "," : "") + text[c];
    return line;
}

RespondentRecord record_with(int32_t value)
{
    RespondentRecord record;
    for (int32_t &field : record.field)
        field = value;
    return record;
}

void use_records(const std::vector<RespondentRecord> &records)
{
    RecordBuffer buffer;
    ASSERT_EQ(1, buffer_init(&buffer, STORE_START_CAPACITY));
    for (const RespondentRecord &record : records)
        *buffer_append(&buffer) = record;
    store_replace(&buffer);
}

std::vector<RespondentRecord> stored_records(void)
{
    return std::vector<RespondentRecord>(record_data(), record_data() + record_count());
}

bool same_records(const std::vector<RespondentRecord> &a, const std::vector<RespondentRecord> &b)
{
    return a.size() == b.size() &&
           (a.empty() || memcmp(a.data(), b.data(), a.size() * sizeof a[0]) == 0);
}

std::vector<std::string> split(const std::string &text, const std::string &separator)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t at = text.find(separator, start);
        if (at == std::string::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, at - start));
        start = at + separator.size();
    }
}

std::string file_text(const std::string &path)
{
    std::vector<unsigned char> bytes = read_file_bytes(path);
    return std::string(bytes.begin(), bytes.end());
}

class CsvFile : public testing::Test {
protected:
    void SetUp() override { use_records({record_with(5), record_with(6)}); }
    void TearDown() override
    {
        data_stream_inject_fault(FAULT_NONE, 0);
        store_release();
    }

    // Imports `text` as a file; the store is expected to hold the result.
    int import_text(const std::string &text, const std::string &name = "in.csv")
    {
        std::string path = temp_path(name);
        EXPECT_TRUE(write_file_text(path, text));
        return read_csv_records(path.c_str());
    }
};

TEST_F(CsvFile, ConvertsCellsLikeAtoiWithAgeAndPersonsGroupedAndVoidCodes)
{
    struct Case {
        int column;
        const char *text;
        int32_t expected;
    };
    const Case cases[] = {
        {kAgeColumn, "17", 1},        {kAgeColumn, "29", 1},        {kAgeColumn, "30", 2},
        {kAgeColumn, "89", 7},        {kAgeColumn, "90", 8},        {kAgeColumn, "99", 99},
        {kAgeColumn, "100", 8},       {kAgeColumn, "0", 1},         {kAgeColumn, "-4", 1},
        {kAgeColumn, "old", 1},       {kPersonsColumn, "0", 1},     {kPersonsColumn, "2", 1},
        {kPersonsColumn, "3", 2},     {kPersonsColumn, "10", 5},    {kPersonsColumn, "11", 6},
        {kPersonsColumn, "99", 99},   {kChildrenColumn, "VOID", 11}, {kCareGotColumn, "VOID", 3},
        {kCareWhereColumn, "VOID", 6}, {kChildrenColumn, "void", 0}, {kCareGotColumn, "Void", 0},
        {kCareWhereColumn, "VOID ", 0}, {1, "VOID", 0},             {kLastColumn, "VOID", 0},
        {kZipColumn, " 7", 7},        {kZipColumn, "7x", 7},        {kZipColumn, "-12", -12},
        {kZipColumn, "+8", 8},        {kZipColumn, "x7", 0},        {kZipColumn, "", 0},
        {kZipColumn, "\t77005", 77005}, {kZipColumn, "999999999999999", INT32_MAX},
        {kZipColumn, "-99999999999999", INT32_MIN}, {kZipColumn, "2147483648", INT32_MAX},
        {kZipColumn, "4294967297", INT32_MAX}, {kZipColumn, "-2147483648", INT32_MIN},
        {kLastColumn, " ", 0},  // a blank last cell does not read on into the next line
    };
    // One data line per case.
    std::string text = std::string(kHeader) + "\n";
    for (const Case &c : cases)
        text += data_line({{c.column, c.text}}) + "\n";
    ASSERT_EQ(1, import_text(text));
    ASSERT_EQ((int32_t)(sizeof cases / sizeof cases[0]), record_count());
    for (const Case &c : cases)
        EXPECT_EQ(c.expected, record_data()[&c - cases].field[kColumnField[c.column]])
            << "column " << c.column << " text \"" << c.text << "\"";
}

TEST_F(CsvFile, EachColumnLandsInTheFieldOfItsName)
{
    std::vector<std::pair<int, std::string>> cells;
    for (int k = 0; k < CSV_COLUMNS; k++)
        cells.push_back({k, std::to_string(1000 + k)});
    ASSERT_EQ(1, import_text(std::string(kHeader) + "\n" + data_line(cells)));
    ASSERT_EQ(1, record_count());
    for (int k = 0; k < CSV_COLUMNS; k++) {
        int32_t expected = k == kAgeColumn ? 8 : k == kPersonsColumn ? 6 : 1000 + k;
        EXPECT_EQ(expected, record_data()[0].field[kColumnField[k]]) << "column " << k;
    }
}

TEST_F(CsvFile, ReadsLinesWhateverTheirEndsAndSkipsBlankOnes)
{
    std::string a = data_line({{kZipColumn, "77001"}, {kLastColumn, "12345"}});
    std::string b = data_line({{kZipColumn, "77002"}, {kLastColumn, "7"}});
    struct Case {
        const char *name;
        std::string text;
    };
    const Case cases[] = {
        {"LF", std::string(kHeader) + "\n" + a + "\n" + b + "\n"},
        {"CR LF", std::string(kHeader) + "\r\n" + a + "\r\n" + b + "\r\n"},
        {"last line without LF", std::string(kHeader) + "\n" + a + "\n" + b},
        {"last line without CR LF", std::string(kHeader) + "\r\n" + a + "\r\n" + b},
        {"blank line between", std::string(kHeader) + "\n" + a + "\n\n" + b + "\n"},
        {"blank lines at the end", std::string(kHeader) + "\r\n" + a + "\r\n" + b + "\r\n\r\n\n"},
        {"numeric header", data_line({{kZipColumn, "77999"}}) + "\n" + a + "\n" + b + "\n"},
        {"a long header", std::string(5000, 'Q') + "\r\n" + a + "\r\n" + b + "\r\n"},
        {"a header longer than a read", std::string(600000, 'Q') + "\n" + a + "\n" + b + "\n"},
        // The end-of-file mark of older tools, after the last line or its last cell.
        {"Ctrl-Z after the last line", std::string(kHeader) + "\r\n" + a + "\r\n" + b + "\r\n\x1A"},
        {"Ctrl-Z ends the last line", std::string(kHeader) + "\n" + a + "\n" + b + "\x1A"},
        {"Ctrl-Z run after the last line", std::string(kHeader) + "\n" + a + "\n" + b + "\r\n\x1A\x1A\x1A"},
        {"Ctrl-Z padding longer than a read", std::string(kHeader) + "\n" + a + "\n" + b +
                                                  std::string(600000, '\x1A')},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(1, import_text(c.text));
        ASSERT_EQ(2, record_count());
        EXPECT_EQ(77001, record_data()[0].field[Q32]);
        EXPECT_EQ(12345, record_data()[0].field[Q38]);
        EXPECT_EQ(77002, record_data()[1].field[Q32]);
        // A shorter cell never keeps the tail of the line before.
        EXPECT_EQ(7, record_data()[1].field[Q38]);
    }
}

TEST_F(CsvFile, FilesWithoutDataGiveAnEmptyDataSet)
{
    const std::string texts[] = {"", std::string(kHeader), std::string(kHeader) + "\r\n",
                                 std::string(kHeader) + "\n\n\n"};
    for (const std::string &text : texts) {
        use_records({record_with(5)});
        EXPECT_EQ(1, import_text(text)) << "\"" << text << "\"";
        EXPECT_EQ(0, record_count()) << "\"" << text << "\"";
    }
}

TEST_F(CsvFile, ImportingTwiceReplacesRatherThanAppends)
{
    std::string text = std::string(kHeader) + "\n" + data_line() + "\n" + data_line() + "\n";
    ASSERT_EQ(1, import_text(text));
    std::vector<RespondentRecord> first = stored_records();
    ASSERT_EQ(1, import_text(text));
    EXPECT_EQ(2, record_count());
    EXPECT_TRUE(same_records(first, stored_records()));
}

TEST_F(CsvFile, RefusesMalformedLinesNamingThePlaceAndKeepsTheDataSet)
{
    std::string good = data_line();
    std::string short_line = good.substr(0, good.size() - 2);  // drops ",1"
    std::string commas_4095(4095, ',');
    struct Case {
        const char *name;
        std::string text;
        int problem;
        int32_t line;
        int32_t column;
        int32_t cells;
        const char *description;
    };
    const Case cases[] = {
        {"44 cells", std::string(kHeader) + "\n" + good + "\n" + good + "\n" + short_line + "\n",
         CSV_WRONG_CELL_COUNT, 4, 0, 44, "line 4 has 44 cells, not 45"},
        {"46 cells", std::string(kHeader) + "\r\n" + good + ",1\r\n", CSV_WRONG_CELL_COUNT, 2, 0,
         46, "line 2 has 46 cells, not 45"},
        {"a line of blanks", std::string(kHeader) + "\n" + good + "\n   \n" + good + "\n",
         CSV_WRONG_CELL_COUNT, 3, 0, 1, "line 3 has 1 cells, not 45"},
        {"16-character cell", std::string(kHeader) + "\n" + good + "\n" +
                                  data_line({{4, "1234567890123456"}}) + "\n",
         CSV_CELL_TOO_LONG, 3, 5, 0, "line 3, column 5 has more than 15 characters"},
        {"16-character last cell without LF",
         std::string(kHeader) + "\n" + data_line({{kLastColumn, "0123456789abcdef"}}),
         CSV_CELL_TOO_LONG, 2, 45, 0, "line 2, column 45 has more than 15 characters"},
        {"4,095 characters are a line", std::string(kHeader) + "\n" + commas_4095 + "\n",
         CSV_WRONG_CELL_COUNT, 2, 0, 4096, "line 2 has 4096 cells, not 45"},
        {"4,095 characters and CR LF", std::string(kHeader) + "\r\n" + commas_4095 + "\r\n",
         CSV_WRONG_CELL_COUNT, 2, 0, 4096, "line 2 has 4096 cells, not 45"},
        {"4,096 characters", std::string(kHeader) + "\n" + good + "\n" + commas_4095 + ",\n",
         CSV_LINE_TOO_LONG, 3, 0, 0, "line 3 is longer than 4095 characters"},
        {"4,096 characters at the end", std::string(kHeader) + "\n" + commas_4095 + ",",
         CSV_LINE_TOO_LONG, 2, 0, 0, "line 2 is longer than 4095 characters"},
        {"a Ctrl-Z that is not the last byte", std::string(kHeader) + "\n" + good + "\n\x1A\n",
         CSV_WRONG_CELL_COUNT, 3, 0, 1, "line 3 has 1 cells, not 45"},
        {"a NUL byte", std::string(kHeader) + "\n" + good + "\n" + std::string("1\0", 2) + good + "\n",
         CSV_NUL_CHARACTER, 3, 0, 0, "line 3 holds a NUL character"},
        // A file holding NUL bytes is no text, be it a bitmap without a single
        // line feed: the data set stays rather than being emptied.
        {"a bitmap", std::string("BM\x36\x10\0\0\0\0\0\0\x36\0\0\0", 14) + std::string(4096, '\xFF'),
         CSV_NUL_CHARACTER, 1, 0, 0, "line 1 holds a NUL character"},
        {"a Ctrl-Z run that is not at the end", std::string(kHeader) + "\n" + good + "\n\x1A\x1A\n" + good,
         CSV_WRONG_CELL_COUNT, 3, 0, 1, "line 3 has 1 cells, not 45"},
        {"Ctrl-Z padding followed by text",
         std::string(kHeader) + "\n" + good + std::string(600000, '\x1A') + "1", CSV_LINE_TOO_LONG, 2,
         0, 0, "line 2 is longer than 4095 characters"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<RespondentRecord> before = {record_with(5), record_with(6), record_with(7)};
        use_records(before);
        EXPECT_EQ(0, import_text(c.text));
        EXPECT_EQ(DATA_BAD_FORMAT, data_stream_failure());
        EXPECT_EQ(c.problem, csv_failure()->problem);
        EXPECT_EQ(c.line, csv_failure()->line);
        if (c.problem == CSV_CELL_TOO_LONG) {
            EXPECT_EQ(c.column, csv_failure()->column);
        }
        if (c.problem == CSV_WRONG_CELL_COUNT) {
            EXPECT_EQ(c.cells, csv_failure()->cells);
        }
        char text[128];
        describe_csv_failure(text, sizeof text);
        EXPECT_STREQ(c.description, text);
        EXPECT_TRUE(same_records(before, stored_records()));
    }
}

TEST_F(CsvFile, AFileThatCannotBeOpenedKeepsTheDataSet)
{
    std::vector<RespondentRecord> before = stored_records();
    EXPECT_EQ(0, read_csv_records(temp_path("no-such-file.csv").c_str()));
    EXPECT_EQ(DATA_CANT_OPEN, data_stream_failure());
    char text[128];
    describe_csv_failure(text, sizeof text);
    EXPECT_STREQ("", text);
    EXPECT_TRUE(same_records(before, stored_records()));
}

TEST_F(CsvFile, ImportsMoreLinesThanTheSurveyHeld)
{
    std::string text = std::string(kHeader) + "\r\n";
    const int lines = 100000;
    text.reserve(text.size() + (size_t)lines * 100);
    for (int i = 0; i < lines; i++)
        text += data_line({{kZipColumn, std::to_string(77000 + i % 599)},
                           {kLastColumn, std::to_string(i)}}) + "\r\n";
    ASSERT_EQ(1, import_text(text, "large.csv"));
    ASSERT_EQ(lines, record_count());
    for (int i : {0, (int)STORE_START_CAPACITY - 1, (int)STORE_START_CAPACITY, lines - 1}) {
        EXPECT_EQ(77000 + i % 599, record_data()[i].field[Q32]) << "record " << i;
        EXPECT_EQ(i, record_data()[i].field[Q38]) << "record " << i;
    }
    // Exported again it is the same text, byte for byte, over many blocks.
    ASSERT_EQ(1, write_csv_records(temp_path("large-again.csv").c_str()));
    EXPECT_TRUE(text == file_text(temp_path("large-again.csv")));
}

TEST_F(CsvFile, ExportOfNoRecordsIsTheHeaderAlone)
{
    use_records({});
    std::string path = temp_path("empty.csv");
    ASSERT_EQ(1, write_csv_records(path.c_str()));
    EXPECT_EQ(std::string(kHeader) + "\r\n", file_text(path));
}

TEST_F(CsvFile, ExportWritesEveryFieldInColumnOrderWithVoidOnlyInItsColumns)
{
    // Every width of number and both signs, the limits included.
    const int32_t extremes[] = {INT32_MIN, INT32_MAX, 0, -1, 9, 10, -999999999, 1000000000};
    RespondentRecord numbered;
    for (int k = 0; k < CSV_COLUMNS; k++)
        numbered.field[kColumnField[k]] = k < 8 ? extremes[k] : 100 + k;
    numbered.field[Q32] = -77005;
    RespondentRecord voids = record_with(11);
    voids.field[Q18A] = 3;
    voids.field[Q18B] = 6;
    RespondentRecord codes_elsewhere = record_with(3);  // 11, 3, 6 outside their columns
    codes_elsewhere.field[Q18A] = 11;
    codes_elsewhere.field[Q18B] = 11;
    codes_elsewhere.field[Q6A] = 6;
    codes_elsewhere.field[Q2] = 6;
    use_records({numbered, voids, codes_elsewhere});
    std::string path = temp_path("out.csv");
    ASSERT_EQ(1, write_csv_records(path.c_str()));

    std::vector<std::string> lines = split(file_text(path), "\r\n");
    ASSERT_EQ(5u, lines.size());
    EXPECT_EQ(kHeader, lines[0]);
    EXPECT_EQ("", lines[4]);  // the last line ends in CR LF too
    std::vector<std::vector<std::string>> expected(3);
    for (int k = 0; k < CSV_COLUMNS; k++) {
        expected[0].push_back(std::to_string(numbered.field[kColumnField[k]]));
        bool void_column = k == kChildrenColumn || k == kCareGotColumn || k == kCareWhereColumn;
        expected[1].push_back(void_column ? "VOID" : "11");
        expected[2].push_back(k == kChildrenColumn ? "6" : k == 1 ? "6"
                              : k == kCareGotColumn || k == kCareWhereColumn ? "11" : "3");
    }
    for (int r = 0; r < 3; r++) {
        SCOPED_TRACE("record " + std::to_string(r));
        EXPECT_EQ(std::string::npos, lines[r + 1].find('\n'));
        EXPECT_EQ(std::string::npos, lines[r + 1].find(' '));
        EXPECT_EQ(expected[r], split(lines[r + 1], ","));
    }
    // The longest line, every cell at the negative limit, fills its room exactly.
    RespondentRecord longest = record_with(INT32_MIN);
    char line[CSV_RECORD_LINE_BYTES];
    EXPECT_EQ(line + CSV_RECORD_LINE_BYTES, write_csv_record(line, &longest));
}

TEST_F(CsvFile, ExportThenImportChangesOnlyAgeAndPersons)
{
    std::vector<RespondentRecord> records;
    struct Groups {
        int32_t q1, q14, q1_back, q14_back;
    };
    const Groups groups[] = {{1, 1, 1, 1}, {2, 2, 1, 1}, {3, 3, 1, 2}, {4, 4, 1, 2},
                             {5, 5, 1, 3}, {6, 6, 1, 3}, {7, 99, 1, 99}, {8, 1, 1, 1},
                             {99, 2, 99, 1}};
    for (int i = 0; i < (int)(sizeof groups / sizeof groups[0]); i++) {
        RespondentRecord record;
        for (int f = 0; f < RECORD_FIELDS; f++)
            record.field[f] = (f * 7 + i) % 13 - 2;
        record.field[Q1] = groups[i].q1;
        record.field[Q14] = groups[i].q14;
        record.field[Q6A] = i % 2 ? 11 : 4;
        record.field[Q18A] = i % 3 ? 3 : 1;
        record.field[Q18B] = 6;
        records.push_back(record);
    }
    use_records(records);
    std::string path = temp_path("round.csv");
    ASSERT_EQ(1, write_csv_records(path.c_str()));
    use_records({});
    ASSERT_EQ(1, read_csv_records(path.c_str()));
    ASSERT_EQ((int32_t)records.size(), record_count());
    for (size_t i = 0; i < records.size(); i++) {
        RespondentRecord want = records[i];
        want.field[Q1] = groups[i].q1_back;
        want.field[Q14] = groups[i].q14_back;
        for (int f = 0; f < RECORD_FIELDS; f++)
            EXPECT_EQ(want.field[f], record_data()[i].field[f]) << "record " << i << " field " << f;
    }
}

TEST_F(CsvFile, AFailedExportLeavesThePreviousFileAndNoTemporaryFile)
{
    struct Case {
        const char *name;
        int fault;
        int nth;
        int failure;
    };
    // The header and the three record lines go out in one write.
    const Case cases[] = {
        {"create", FAULT_CREATE, STAGING_NAMES, DATA_CANT_CREATE}, {"first write", FAULT_WRITE, 1, DATA_CANT_WRITE},
        {"flush", FAULT_FLUSH, 0, DATA_CANT_WRITE},     {"close", FAULT_CLOSE, 0, DATA_CANT_WRITE},
        {"replace", FAULT_REPLACE, 0, DATA_CANT_REPLACE},
    };
    use_records({record_with(1), record_with(2), record_with(3)});
    std::string dir = temp_path("failed-export");
    std::filesystem::create_directories(dir);
    std::string path = dir + "/previous.csv";
    const std::string previous = "the previous file\r\n";
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(write_file_text(path, previous));
        data_stream_inject_fault(c.fault, c.nth);
        EXPECT_EQ(0, write_csv_records(path.c_str()));
        EXPECT_EQ(c.failure, data_stream_failure());
        EXPECT_EQ(previous, file_text(path));
        EXPECT_TRUE(files_containing(dir, ".~tmp").empty());
    }
    // With no fault the same export goes through.
    ASSERT_EQ(1, write_csv_records(path.c_str()));
    EXPECT_EQ(4u, split(file_text(path), "\r\n").size() - 1);
}

}  // namespace
