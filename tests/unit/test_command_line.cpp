// Files given from outside the menus: the kind a name's extension makes it,
// and the one name a command line may hold.
#include "app/command_line.h"
#include "survey/data_file_kind.h"

#include <gtest/gtest.h>

TEST(CommandLine, OneNameQuotedOrNotAndTheKindOfFile)
{
    struct Case {
        const char *line;
        int result;
        const char *path;  // the buffer afterwards
        size_t size;
    } cases[] = {
        {" \t ", COMMAND_LINE_EMPTY, "unchanged", 256},
        {"  C:\\data\\survey.qvd\t", COMMAND_LINE_FILE, "C:\\data\\survey.qvd", 256},
        // As Explorer passes a name, with spaces and letters of the code page.
        {"\"C:\\My Files\\caf\xe9 data\\survey one.qvd\" ", COMMAND_LINE_FILE,
         "C:\\My Files\\caf\xe9 data\\survey one.qvd", 256},
        {"\"D:\\unclosed quote.csv", COMMAND_LINE_FILE, "D:\\unclosed quote.csv", 256},
        {"C:\\My Files\\survey.qvd", COMMAND_LINE_REFUSED, "unchanged", 256},
        {"\"one.qvd\" two.qvd", COMMAND_LINE_REFUSED, "unchanged", 256},
        {"\"\"", COMMAND_LINE_REFUSED, "unchanged", 256},
        {"\"123456.qvd\"", COMMAND_LINE_FILE, "123456.qvd", 11},
        {"1234567.qvd", COMMAND_LINE_TOO_LONG, "unchanged", 11},
    };
    for (const Case &c : cases) {
        char path[256] = "unchanged";
        EXPECT_EQ(c.result, parse_command_line(c.line, path, c.size)) << c.line;
        EXPECT_STREQ(c.path, path) << c.line;
    }
    // The kind a name's extension in any case gives it.
    EXPECT_TRUE(data_file_kind("C:\\data\\Survey.QVD") == DATA_FILE_RECORDS &&
                data_file_kind("answers.Csv") == DATA_FILE_CSV);
    for (const char *other :
         {"survey.qvd.txt", ".qvd", "C:\\data\\.CSV", "/data/.csv", "C:\\data.qvd\\notes", ""})
        EXPECT_EQ(DATA_FILE_OTHER, data_file_kind(other)) << other;
}
