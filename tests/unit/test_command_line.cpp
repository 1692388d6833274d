// Files given from outside the menus: the kind a name's extension makes it,
// the one name a command line may hold, and the refusals' words.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CommandLine, TheExtensionInAnyCaseSaysTheKind)
{
    struct Case {
        const char *path;
        int kind;
    } cases[] = {{"C:\\data\\survey.qvd", DATA_FILE_RECORDS}, {"SURVEY.QVD", DATA_FILE_RECORDS},
                 {"answers.Csv", DATA_FILE_CSV}, {".csv", DATA_FILE_CSV},
                 {"survey.qvd.txt", DATA_FILE_OTHER}, {"qvd", DATA_FILE_OTHER},
                 {"C:\\data.qvd\\notes", DATA_FILE_OTHER}, {"", DATA_FILE_OTHER}};
    for (const Case &c : cases)
        EXPECT_EQ(c.kind, data_file_kind(c.path)) << c.path;
}

TEST(CommandLine, OneNameQuotedOrNot)
{
    struct Case {
        const char *line;
        int result;
        const char *path;  // the buffer as it is afterwards
        size_t size;
    } cases[] = {
        {"", COMMAND_LINE_EMPTY, "unchanged", 256},
        {" \t ", COMMAND_LINE_EMPTY, "unchanged", 256},
        {"survey.qvd", COMMAND_LINE_FILE, "survey.qvd", 256},
        {"  C:\\data\\survey.qvd\t", COMMAND_LINE_FILE, "C:\\data\\survey.qvd", 256},
        // As Explorer passes a name, with spaces and letters of the code page.
        {"\"C:\\My Files\\caf\xe9 data\\survey one.qvd\"", COMMAND_LINE_FILE,
         "C:\\My Files\\caf\xe9 data\\survey one.qvd", 256},
        {" \"D:\\a b.csv\"  ", COMMAND_LINE_FILE, "D:\\a b.csv", 256},
        {"\"D:\\unclosed quote.qvd", COMMAND_LINE_FILE, "D:\\unclosed quote.qvd", 256},
        {"C:\\My Files\\survey.qvd", COMMAND_LINE_REFUSED, "unchanged", 256},
        {"one.qvd two.qvd", COMMAND_LINE_REFUSED, "unchanged", 256},
        {"\"one.qvd\" /x", COMMAND_LINE_REFUSED, "unchanged", 256},
        {"\"\"", COMMAND_LINE_REFUSED, "unchanged", 256},
        {"\"123456.qvd\"", COMMAND_LINE_FILE, "123456.qvd", 11},
        {"1234567.qvd", COMMAND_LINE_TOO_LONG, "unchanged", 11},
    };
    for (const Case &c : cases) {
        char path[256] = "unchanged";
        EXPECT_EQ(c.result, parse_command_line(c.line, path, c.size)) << c.line;
        EXPECT_STREQ(c.path, path) << c.line;
    }
}

TEST(CommandLine, RefusalsNameWhatWasGiven)
{
    struct Case {
        int refusal;
        const char *given, *text;
    } cases[] = {
        {REFUSE_NOT_DATA, "C:\\notes.txt",
         "open_data_file() - not a .qvd or .csv file: C:\\notes.txt!\n"},
        {REFUSE_SEVERAL_DROPPED, "2",
         "on_drop_files() - 2 files dropped: drop one .qvd or .csv file!\n"},
        {REFUSE_COMMAND_LINE, "a.qvd b.qvd",
         "parse_command_line() - name one .qvd or .csv file, in quotes if it holds spaces: "
         "a.qvd b.qvd!\n"},
        {REFUSE_TOO_LONG, "C:\\x.qvd",
         "open_data_file() - name longer than 255 characters: C:\\x.qvd!\n"},
    };
    for (const Case &c : cases) {
        char text[256];
        open_refusal_text(c.refusal, c.given, text, sizeof text);
        EXPECT_STREQ(c.text, text);
    }
}

}  // namespace
