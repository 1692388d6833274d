// The counts table: its lines and its quoting.  Failed writes are
// covered with every other writer in test_fault_injection.cpp.
#include "stats/counts_file.h"

#include "gis/zip_table.h"
#include "stats/area_stats.h"
#include "survey/data_stream.h"
#include "survey/outside_zips.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// A line for each zip with a location or respondents passing the filters,
// those outside the map (99: no answer) among them in zip order, with the
// figures of the five areas compared together.
TEST(CountsFile, OneLinePerLocatedOrCountedZipInZipOrder)
{
    TallyQuery query = {};
    query.field[Q10] = 1;
    query.field[FIRST_DEMOGRAPHIC_FIELD + 0] = 1;  // Age 18-29
    query.field[FIRST_DEMOGRAPHIC_FIELD + 3] = 2;  // Sex Female
    TallyResult result = {};
    result.total = 5;
    result.filtered = 16;  // the average: 31.25%
    result.bases[0] = 4;  // 77000: no location, nobody matching
    result.counts[1] = 2;  // 77001: no location, but matching
    result.bases[1] = 3;
    result.counts[4] = 3;
    result.bases[4] = 6;
    const OutsideZip outside[] = {{99, 2, 0}, {77600, 1, 0}};
    result.outside = outside;
    result.outside_count = 2;
    std::string path = temp_path("counts.csv");
    ASSERT_EQ(1, compare_areas(&result, COMPARE_TOGETHER));
    ASSERT_EQ(1, write_counts_table(path.c_str(), &query, &result));
    std::vector<unsigned char> bytes = read_file_bytes(path);
    std::string text(bytes.begin(), bytes.end());
    EXPECT_EQ(1 + LOCATED_ZIPS + 4, std::count(text.begin(), text.end(), '\n'));
    const std::string words = "Q10: In which of the following are you currently staying?,"
                              "own home or apartment,Age=18-29; Sex=Female,";
    const std::string figures = ",0.4254\r\n" + words;  // the first four areas' adjusted p-value
    EXPECT_EQ(0u, text.find(std::string(counts_table_header) + "\r\n" + words +
                            "99,,,2,0,0.00,0.00,0.00,65.76,31.25,-31.25,not different,28.04,-0.95,0.3404" + figures +
                            "77000,,,4,0,0.00,0.00,0.00,48.99,31.25,-31.25,not different,25.43,-1.35,0.1775" + figures +
                            "77001,,,3,2,66.67,40.00,20.77,93.85,31.25,35.42,not different,36.44,1.32,0.1857" +
                            figures +
                            "77002,-95.363,29.7594,0,0,,0.00,,,,,,,,,\r\n"));
    EXPECT_NE(std::string::npos, text.find("\n" + words + "77004,-95.3632,29.7248,6,3,50.00,60.00,18.76,81.24,"
                                                         "31.25,18.75,not different,36.04,0.99,0.3218" + figures));
    const std::string last = words + "77598,-95.1252,29.5384,0,0,,0.00,,,,,,,,,\r\n" + words + "77600,,,1,0,0.00,0.00,"
                             "0.00,79.35,31.25,-31.25,not different,29.56,-0.67,0.5002,0.5002\r\n";
    EXPECT_EQ(text.size() - last.size(), text.rfind(last));

    // A count, or a comparison, refused for want of memory writes no table.
    for (int32_t refused : {0, 1}) {
        limit_outside_zips(1 + refused);
        compare_areas(&result, COMPARE_TOGETHER);
        limit_outside_zips(0);
        result.refused = refused;
        EXPECT_EQ(0, write_counts_table(path.c_str(), &query, &result));
        EXPECT_EQ(DATA_NO_MEMORY, data_stream_failure());
        EXPECT_EQ(bytes, read_file_bytes(path));
    }
}

TEST(CountsFile, TextCellsAreQuotedAsRfc4180Says)
{
    // Commas show in the table above; here quotes, line breaks and tabs,
    // which only a tab-separated table quotes.
    const struct {
        const char *cell;
        char separator;
        const char *quoted;
    } cases[] = {{"plain", ',', "plain"}, {"say \"no\"", ',', "\"say \"\"no\"\"\""},
                 {"two\r\nlines", ',', "\"two\r\nlines\""}, {"a\tb, c", ',', "\"a\tb, c\""},
                 {"a\tb", '\t', "\"a\tb\""}, {"a, b", '\t', "a, b"}};
    for (const auto &c : cases) {
        char text[64];
        quote_cell(c.cell, c.separator, text, sizeof text);
        EXPECT_STREQ(c.quoted, text);
    }
}

}  // namespace
