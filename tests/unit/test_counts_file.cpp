// The counts table: its lines, its quoting and its degrees.  Failed writes
// are covered with every other writer in test_fault_injection.cpp.
#include "survey/counts_file.h"

#include "gis/zip_table.h"
#include "survey/readout.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> lines_of(const std::string &path)
{
    std::vector<unsigned char> bytes = read_file_bytes(path);
    std::string text(bytes.begin(), bytes.end());
    std::vector<std::string> lines;
    size_t start = 0, end;
    while ((end = text.find("\r\n", start)) != std::string::npos) {
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    EXPECT_EQ(text.size(), start) << "the last line ends in CR LF";
    return lines;
}

TEST(CountsFile, OneLinePerLocatedOrMatchingZipInZipOrder)
{
    TallyQuery query = {};
    query.field[Q10] = 1;
    query.field[FIRST_DEMOGRAPHIC_FIELD + 0] = 1;  // Age 18-29
    query.field[FIRST_DEMOGRAPHIC_FIELD + 3] = 2;  // Sex Female
    TallyResult result = {};
    result.total = 5;
    result.bases[0] = 4;  // 77000: no location, nobody matching: no line
    result.counts[1] = 2;  // 77001: no location, but matching
    result.bases[1] = 3;
    result.counts[4] = 3;
    result.bases[4] = 6;
    std::string path = temp_path("counts.csv");
    ASSERT_EQ(1, write_counts_table(path.c_str(), &query, &result));
    std::vector<std::string> lines = lines_of(path);
    ASSERT_EQ(1u + LOCATED_ZIPS + 1u, lines.size());
    EXPECT_EQ("question,answer,filters,zip_code,longitude,latitude,respondents,matching,"
              "percent_of_area,percent_of_total",
              lines[0]);
    const std::string words =
        "Q10: In which of the following are you currently staying?,own home or apartment,"
        "\"Age 18-29, Sex Female\",";
    EXPECT_EQ(words + "77001,,,3,2,66.67,40.00", lines[1]);
    EXPECT_EQ(words + "77002,-95.363,29.7594,0,0,,0.00", lines[2]);
    EXPECT_EQ(words + "77004,-95.3632,29.7248,6,3,50.00,60.00", lines[4]);
    EXPECT_EQ(words + "77598,-95.1252,29.5384,0,0,,0.00", lines.back());
    // Zip order, and every located area once.
    int previous = 0, located = 0;
    for (size_t i = 1; i < lines.size(); i++) {
        int zip = atoi(lines[i].c_str() + words.size());
        EXPECT_LT(previous, zip);
        previous = zip;
        located += zip_has_location(zip - 77000);
    }
    EXPECT_EQ(LOCATED_ZIPS, located);

    // With nothing matching anywhere, no share has a divisor.
    result = TallyResult();
    ASSERT_EQ(1, write_counts_table(path.c_str(), &query, &result));
    EXPECT_EQ(words + "77002,-95.363,29.7594,0,0,,", lines_of(path)[1]);
}

TEST(CountsFile, TextCellsAreQuotedAsRfc4180Says)
{
    const std::pair<const char *, const char *> cases[] = {
        {"own home or apartment", "own home or apartment"},
        {"", ""},
        {"$1,000 - $10,000", "\"$1,000 - $10,000\""},
        {"say \"no\"", "\"say \"\"no\"\"\""},
        {"two\r\nlines", "\"two\r\nlines\""},
        {"Does not apply, I don't live in an apartment", "\"Does not apply, I don't live in an apartment\""},
    };
    for (const auto &c : cases) {
        char text[128];
        quote_csv_cell(c.first, text, sizeof text);
        EXPECT_STREQ(c.second, text) << c.first;
    }
}

TEST(CountsFile, DegreesAreTheShortestTextOfTheStoredFloat)
{
    char text[24];
    for (int i = 0; i < ZIP_SLOTS; i++) {
        if (!zip_has_location(i))
            continue;
        for (float degrees : {zip_longitude(i), zip_latitude(i)}) {
            format_degrees(degrees, text, sizeof text);
            EXPECT_EQ(degrees, strtof(text, nullptr)) << text;
            EXPECT_LE(strlen(text), 8u) << text;  // the table's values have at most six digits
        }
    }
    format_degrees(-94.9681f, text, sizeof text);
    EXPECT_STREQ("-94.9681", text);
    format_degrees(30.1725f, text, sizeof text);
    EXPECT_STREQ("30.1725", text);
}

}  // namespace
