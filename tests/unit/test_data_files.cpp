// Checks of the data files shipped with the program: the four base-map
// tiles and the sample survey in its binary and CSV forms.

#include "gis/bmp.h"
#include "gis/zip_table.h"
#include "survey/record_file.h"
#include "survey/records.h"

#include <gtest/gtest.h>

#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <set>
#include <string>
#include <vector>

namespace {

const char *const kTileNames[4] = {"ll", "lr", "ul", "ur"};

// The region the mosaic covers, and the colours the map generator paints
// land and water with.
const double kWest = -96.62202, kEast = -94.35338;
const double kSouth = 28.76915, kNorth = 30.90672;
const double kMiddleLon = -95.4877, kMiddleLat = 29.837934;

struct Rgb {
    uint8_t r, g, b;
    bool operator==(const Rgb &o) const { return r == o.r && g == o.g && b == o.b; }
};
const Rgb kLand = {240, 232, 214};
const Rgb kWater = {198, 222, 238};

std::string data_path(const char *relative)
{
    return std::string(QUORVEL_SOURCE_DIR) + "/data/" + relative;
}

std::string tile_path(int tile)
{
    return data_path((std::string("maps/") + kTileNames[tile] + ".bmp").c_str());
}

bool is_power_of_two(int32_t n)
{
    return n > 0 && (n & (n - 1)) == 0;
}

uint32_t le32(const std::vector<uint8_t> &bytes, size_t at)
{
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | (uint32_t)bytes[at + 3] << 24;
}

std::vector<uint8_t> file_bytes(const std::string &path)
{
    std::vector<uint8_t> bytes;
    FILE *file = fopen(path.c_str(), "rb");
    if (!file)
        return bytes;
    uint8_t chunk[65536];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + n);
    fclose(file);
    return bytes;
}

// The four tiles, loaded once for all base-map tests.
class BaseMapTiles : public ::testing::Test {
protected:
    static RgbImage tiles[4];
    static bool loaded;

    static void SetUpTestSuite()
    {
        loaded = true;
        for (int t = 0; t < 4; t++) {
            memset(&tiles[t], 0, sizeof tiles[t]);
            if (!read_bmp(tile_path(t).c_str(), &tiles[t]))
                loaded = false;
        }
    }
    static void TearDownTestSuite()
    {
        for (int t = 0; t < 4; t++)
            image_free(&tiles[t]);
    }
    void SetUp() override { ASSERT_TRUE(loaded) << "a base-map tile did not load"; }

    // The pixel of the whole mosaic at column x (from the west) and row y
    // (from the south); the mosaic is two tiles wide and two high.
    static Rgb mosaic_pixel(int x, int y)
    {
        int side = tiles[0].width;
        int tile = (y >= side ? 2 : 0) + (x >= side ? 1 : 0);
        const RgbImage &image = tiles[tile];
        const uint8_t *p = image.pixels + ((size_t)(y % side) * side + x % side) * 3;
        return Rgb{p[0], p[1], p[2]};
    }
    // The pixel that shows the place at longitude, latitude.
    static Rgb place_pixel(double lon, double lat)
    {
        int full = 2 * tiles[0].width;
        int x = (int)floor((lon - kWest) / (kEast - kWest) * full);
        int y = (int)floor((lat - kSouth) / (kNorth - kSouth) * full);
        return mosaic_pixel(x, y);
    }
};
RgbImage BaseMapTiles::tiles[4];
bool BaseMapTiles::loaded = false;

TEST(BaseMapFiles, EveryTileIsAPlainBottomUp24BitBmp)
{
    for (int t = 0; t < 4; t++) {
        SCOPED_TRACE(kTileNames[t]);
        std::vector<uint8_t> bytes = file_bytes(tile_path(t));
        ASSERT_GE(bytes.size(), 54u);
        EXPECT_EQ(bytes[0], 'B');
        EXPECT_EQ(bytes[1], 'M');
        EXPECT_EQ(le32(bytes, 10), 54u) << "pixels right after the header";
        EXPECT_EQ(le32(bytes, 14), 40u) << "classic info header";
        int32_t width = (int32_t)le32(bytes, 18);
        int32_t height = (int32_t)le32(bytes, 22);
        EXPECT_GT(height, 0) << "rows bottom first";
        EXPECT_EQ(bytes[28] | bytes[29] << 8, 24);
        EXPECT_EQ(le32(bytes, 30), 0u) << "uncompressed";
        size_t row = ((size_t)width * 3 + 3) / 4 * 4;
        EXPECT_EQ(bytes.size(), 54 + row * (size_t)height);
        EXPECT_EQ(le32(bytes, 2), bytes.size());
    }
}

TEST_F(BaseMapTiles, TilesAreEqualPowerOfTwoSquares)
{
    for (int t = 0; t < 4; t++) {
        SCOPED_TRACE(kTileNames[t]);
        EXPECT_EQ(tiles[t].bytes_per_pixel, 3);
        EXPECT_TRUE(is_power_of_two(tiles[t].width)) << tiles[t].width;
        EXPECT_TRUE(is_power_of_two(tiles[t].height)) << tiles[t].height;
        EXPECT_EQ(tiles[t].width, tiles[t].height);
        EXPECT_EQ(tiles[t].width, tiles[0].width);
        EXPECT_GE(tiles[t].width, 256) << "too coarse for the zoomed-in view";
        EXPECT_LE(tiles[t].width, 1024);
    }
}

// The middle meridian and parallel fall on the pixel seam between tiles.
TEST_F(BaseMapTiles, TilesMeetAtTheMapAnchor)
{
    int full = 2 * tiles[0].width;
    double x = (kMiddleLon - kWest) / (kEast - kWest) * full;
    double y = (kMiddleLat - kSouth) / (kNorth - kSouth) * full;
    EXPECT_NEAR(x, tiles[0].width, 0.01);
    EXPECT_NEAR(y, tiles[0].width, 0.01);
}

struct Place {
    const char *name;
    double lon, lat;
    bool water;
};

// Places well away from any shore, river or county line, spread over all
// four tiles; a swapped, mirrored or shifted tile puts the wrong colour
// under several of them.
const Place kPlaces[] = {
    {"Galveston Bay", -94.85, 29.55, true},
    {"Trinity Bay", -94.80, 29.68, true},
    {"Gulf south of Galveston Island", -94.75, 29.10, true},
    {"Gulf off Freeport", -95.30, 28.85, true},
    {"north Houston", -95.40, 29.90, false},
    {"downtown Houston", -95.363, 29.7594, false},
    {"Sugar Land", -95.63, 29.62, false},
    {"Galveston city", -94.80, 29.29, false},
    {"Baytown", -94.98, 29.74, false},
    {"Conroe", -95.46, 30.31, false},
    {"north-west corner", -96.40, 30.70, false},
};

TEST_F(BaseMapTiles, KnownPlacesShowLandOrWater)
{
    for (const Place &place : kPlaces) {
        SCOPED_TRACE(place.name);
        Rgb got = place_pixel(place.lon, place.lat);
        Rgb want = place.water ? kWater : kLand;
        EXPECT_TRUE(got == want) << "got (" << +got.r << ", " << +got.g << ", " << +got.b
                                 << ")";
    }
}

// Corners of county borders (us-atlas vertices; the Harris County corners
// match the county's published extent, 95.96 W 30.17 N and 29.50 N) must
// carry a line within a pixel.  The land-only upper tiles are told apart
// by these.
const Place kBorderCorners[] = {
    {"Harris County, north-west corner", -95.9618624, 30.1632260, false},
    {"Harris County, southern tip", -95.1650392, 29.4974548, false},
    {"Brazoria-Fort Bend-Wharton border", -95.847005, 29.262931, false},
    {"Liberty-San Jacinto border", -95.104021, 30.658044, false},
};

TEST_F(BaseMapTiles, CountyBordersRunThroughTheirCorners)
{
    int full = 2 * tiles[0].width;
    for (const Place &corner : kBorderCorners) {
        SCOPED_TRACE(corner.name);
        int x = (int)floor((corner.lon - kWest) / (kEast - kWest) * full);
        int y = (int)floor((corner.lat - kSouth) / (kNorth - kSouth) * full);
        int line = 0;
        for (int dy = -1; dy <= 1; dy++)
            for (int dx = -1; dx <= 1; dx++) {
                Rgb p = mosaic_pixel(x + dx, y + dy);
                line += !(p == kLand) && !(p == kWater);
            }
        EXPECT_GE(line, 3);
    }
}

// Every located zip-code area lies on land: its bar must not stand in the
// bay.  The pixel or one of its close neighbours shows land (the centroid
// may sit on a county line or a river).
TEST_F(BaseMapTiles, LocatedZipAreasLieOnLand)
{
    int full = 2 * tiles[0].width;
    for (int i = 0; i < ZIP_SLOTS; i++) {
        if (!zip_has_location(i))
            continue;
        SCOPED_TRACE(77000 + i);
        int x = (int)floor((zip_longitude(i) - kWest) / (kEast - kWest) * full);
        int y = (int)floor((zip_latitude(i) - kSouth) / (kNorth - kSouth) * full);
        int land = 0;
        for (int dy = -2; dy <= 2; dy++)
            for (int dx = -2; dx <= 2; dx++)
                land += mosaic_pixel(x + dx, y + dy) == kLand;
        EXPECT_GT(land, 0);
    }
}

// Neighbouring tiles continue each other: the pixels on the two sides of
// a seam agree almost everywhere (they differ only where a line crosses).
TEST_F(BaseMapTiles, TilesJoinWithoutAJump)
{
    int side = tiles[0].width;
    int full = 2 * side;
    int across_vertical = 0, across_horizontal = 0;
    for (int k = 0; k < full; k++) {
        across_vertical += mosaic_pixel(side - 1, k) == mosaic_pixel(side, k);
        across_horizontal += mosaic_pixel(k, side - 1) == mosaic_pixel(k, side);
    }
    EXPECT_GT(across_vertical, full * 9 / 10);
    EXPECT_GT(across_horizontal, full * 9 / 10);
}

TEST_F(BaseMapTiles, LandAndWaterAreBothWidespread)
{
    int side = tiles[0].width;
    long land = 0, water = 0, total = 0;
    for (int y = 0; y < 2 * side; y += 4)
        for (int x = 0; x < 2 * side; x += 4, total++) {
            Rgb p = mosaic_pixel(x, y);
            land += p == kLand;
            water += p == kWater;
        }
    EXPECT_GT(land, total / 2);
    EXPECT_GT(water, total / 20);
    EXPECT_GT(land + water, total * 9 / 10) << "lines and labels should stay sparse";
}

// --- sample survey ---------------------------------------------------------

const int kSampleRespondents = 1320;

struct FieldRange {
    int field;
    int first, last;  // the answer codes
    int no_answer;
};

const FieldRange kRanges[] = {
    {Q10, 1, 10, 99}, {Q11, 1, 10, 99}, {Q12, 1, 10, 99}, {Q14, 1, 6, 99},
    {Q16, 1, 10, 99}, {Q17, 1, 8, 9},   {Q18, 1, 2, 9},   {Q18A, 1, 3, 9},
    {Q18B, 1, 6, 9},  {Q19, 1, 3, 9},   {Q20, 1, 2, 9},   {Q21, 1, 12, 99},
    {Q22, 1, 4, 9},   {Q23, 1, 2, 9},   {Q26, 1, 5, 9},   {Q27A, 1, 5, 9},
    {Q27B, 1, 5, 9},  {Q27C, 1, 5, 9},  {Q27D, 1, 5, 9},  {Q27E, 1, 5, 9},
    {Q28, 1, 6, 9},   {Q29, 1, 2, 9},   {Q34A, 1, 3, 9},  {Q34B, 1, 3, 9},
    {Q34C, 1, 3, 9},  {Q34D, 1, 3, 9},  {Q34E, 1, 3, 9},  {Q34F, 1, 3, 9},
    {Q34G, 1, 3, 9},  {Q34I, 1, 2, 9},  {Q35, 1, 6, 9},   {Q36, 1, 7, 9},
    {Q37, 1, 8, 9},   {Q38, 1, 10, 99}, {Q1, 1, 8, 99},   {Q2, 1, 6, 9},
    {Q3, 1, 2, 9},    {Q4, 1, 2, 9},    {Q5, 1, 5, 9},    {Q6, 1, 2, 9},
    {Q6A, 1, 11, 99}, {Q7, 1, 11, 99},  {Q8, 1, 6, 9},    {Q9, 1, 2, 9},
};

class SampleSurvey : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(read_records(data_path("samples/sample-survey.qvd").c_str()), 1);
    }
    void TearDown() override { store_release(); }
};

TEST_F(SampleSurvey, LoadsAllRespondents)
{
    EXPECT_EQ(record_count(), kSampleRespondents);
    EXPECT_EQ(file_bytes(data_path("samples/sample-survey.qvd")).size(),
              (size_t)kSampleRespondents * RECORD_BYTES);
}

TEST_F(SampleSurvey, EveryAnswerIsAValidCode)
{
    static_assert(sizeof kRanges / sizeof kRanges[0] == RECORD_FIELDS - 1,
                  "every field but the zip code");
    const RespondentRecord *records = record_data();
    for (const FieldRange &range : kRanges) {
        std::set<int> seen;
        for (int i = 0; i < record_count(); i++) {
            int value = records[i].field[range.field];
            EXPECT_TRUE((value >= range.first && value <= range.last) || value == range.no_answer)
                << "field " << range.field << " of record " << i << " is " << value;
            seen.insert(value);
        }
        // A sample that always gives the same answer shows nothing on the map.
        EXPECT_GE(seen.size(), 3u) << "field " << range.field;
    }
}

TEST_F(SampleSurvey, SkippedQuestionsSayNotApplicable)
{
    const RespondentRecord *records = record_data();
    int no_children = 0, no_care = 0;
    for (int i = 0; i < record_count(); i++) {
        const int32_t *f = records[i].field;
        SCOPED_TRACE(i);
        EXPECT_EQ(f[Q6] == 2, f[Q6A] == 11);
        EXPECT_EQ(f[Q18] == 2, f[Q18A] == 3);
        EXPECT_EQ(f[Q18] == 2, f[Q18B] == 6);
        no_children += f[Q6] == 2;
        no_care += f[Q18] == 2;
    }
    EXPECT_GT(no_children, 0);
    EXPECT_GT(no_care, 0);
}

TEST_F(SampleSurvey, ZipCodesMostlyHaveALocation)
{
    const RespondentRecord *records = record_data();
    int located = 0, unlocated_in_range = 0, out_of_range = 0;
    std::set<int> located_zips;
    for (int i = 0; i < record_count(); i++) {
        int index = records[i].field[Q32] - ZIP_BASE;
        if (zip_has_location(index)) {
            located++;
            located_zips.insert(index);
        } else if (index >= 0 && index < ZIP_SLOTS) {
            unlocated_in_range++;
        } else {
            out_of_range++;
        }
    }
    EXPECT_GE(located, record_count() * 95 / 100);
    // The viewer has to cope with zips it cannot place, so the sample has some.
    EXPECT_GT(unlocated_in_range, 0);
    EXPECT_GT(out_of_range, 0);
    EXPECT_EQ((int)located_zips.size(), (int)LOCATED_ZIPS) << "every area has a bar";
}

// Respondents are not spread evenly: some areas have many more than others.
TEST_F(SampleSurvey, SomeAreasHaveManyMoreRespondents)
{
    std::vector<int> counts(ZIP_SLOTS, 0);
    const RespondentRecord *records = record_data();
    for (int i = 0; i < record_count(); i++) {
        int index = records[i].field[Q32] - ZIP_BASE;
        if (zip_has_location(index))
            counts[index]++;
    }
    int busiest = 0, quietest = record_count();
    for (int i = 0; i < ZIP_SLOTS; i++)
        if (zip_has_location(i)) {
            busiest = counts[i] > busiest ? counts[i] : busiest;
            quietest = counts[i] < quietest ? counts[i] : quietest;
        }
    EXPECT_GE(busiest, 4 * (quietest > 0 ? quietest : 1));
}

// --- the CSV form of the sample ----------------------------------------------

const char kCsvHeader[] =
    "Q1,Q2,Q3,Q4,Q5,Q6,Q6A,Q7,Q8,Q9,Q10,Q11,Q12,Q14,Q16,Q17,Q18,Q18A,Q18B,Q19,Q20,Q21,Q22,"
    "Q23,Q26,Q27A,Q27B,Q27C,Q27D,Q27E,Q28,Q29,Q32,Q34A,Q34B,Q34C,Q34D,Q34E,Q34F,Q34G,Q34I,"
    "Q35,Q36,Q37,Q38";

std::vector<std::string> split(const std::string &line)
{
    std::vector<std::string> cells(1);
    for (char c : line)
        if (c == ',')
            cells.emplace_back();
        else
            cells.back() += c;
    return cells;
}

bool is_number(const std::string &cell)
{
    if (cell.empty() || cell.size() > 6)
        return false;
    for (char c : cell)
        if (c < '0' || c > '9')
            return false;
    return true;
}

int age_group(int years)
{
    if (years == 99)
        return 99;
    const int upper[] = {29, 39, 49, 59, 69, 79, 89};
    for (int g = 0; g < 7; g++)
        if (years <= upper[g])
            return g + 1;
    return 8;
}

int persons_group(int persons)
{
    if (persons == 99)
        return 99;
    const int upper[] = {2, 4, 6, 8, 10};
    for (int g = 0; g < 5; g++)
        if (persons <= upper[g])
            return g + 1;
    return 6;
}

TEST(SampleGrouping, AgesAndHouseholdSizesFallInTheirGroups)
{
    struct Case {
        int raw, group;
    };
    const Case ages[] = {{18, 1}, {29, 1}, {30, 2}, {39, 2}, {40, 3}, {59, 4},
                         {60, 5}, {79, 6}, {89, 7}, {90, 8}, {95, 8}, {99, 99}};
    for (const Case &c : ages)
        EXPECT_EQ(age_group(c.raw), c.group) << c.raw;
    const Case persons[] = {{1, 1}, {2, 1}, {3, 2}, {4, 2}, {5, 3}, {8, 4},
                            {10, 5}, {11, 6}, {14, 6}, {99, 99}};
    for (const Case &c : persons)
        EXPECT_EQ(persons_group(c.raw), c.group) << c.raw;
}

// The CSV holds the same respondents as the binary file, in the import
// form: ages in years, household sizes in persons, "VOID" where a question
// did not apply; each cell therefore imports as the binary file's code.
TEST_F(SampleSurvey, CsvHoldsTheSameRespondentsInImportForm)
{
    std::vector<uint8_t> bytes = file_bytes(data_path("samples/sample-survey.csv"));
    ASSERT_FALSE(bytes.empty());
    std::string text(bytes.begin(), bytes.end());

    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        ASSERT_NE(end, std::string::npos) << "every line ends with CR LF";
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    ASSERT_EQ((int)lines.size(), 1 + kSampleRespondents);
    EXPECT_EQ(lines[0], kCsvHeader);

    const RespondentRecord *records = record_data();
    ASSERT_EQ(record_count(), kSampleRespondents);
    int ages_over_89 = 0, large_households = 0, voids = 0;
    for (int i = 0; i < kSampleRespondents; i++) {
        SCOPED_TRACE("data line " + std::to_string(i + 1));
        std::vector<std::string> cells = split(lines[i + 1]);
        ASSERT_EQ(cells.size(), 45u);
        for (int k = 0; k < 45; k++) {
            const std::string &cell = cells[k];
            int field = k < 10 ? k + 35 : k - 10;
            int stored = records[i].field[field];
            ASSERT_LT(cell.size(), 16u) << "column " << k;
            if (cell == "VOID") {
                voids++;
                int code = field == Q6A ? 11 : field == Q18A ? 3 : field == Q18B ? 6 : -1;
                ASSERT_NE(code, -1) << "VOID only where a question may not apply, column " << k;
                EXPECT_EQ(stored, code) << "column " << k;
                continue;
            }
            ASSERT_TRUE(is_number(cell)) << "column " << k << ": '" << cell << "'";
            int value = atoi(cell.c_str());
            if (field == Q1) {
                EXPECT_TRUE((value >= 18 && value <= 95) || value == 99) << value;
                EXPECT_EQ(stored, age_group(value)) << "age " << value;
                ages_over_89 += value >= 90 && value != 99;
            } else if (field == Q14) {
                EXPECT_TRUE(value >= 1) << value;
                EXPECT_EQ(stored, persons_group(value)) << "persons " << value;
                large_households += value >= 7 && value != 99;
            } else {
                // The not-applicable codes are always written as VOID.
                EXPECT_FALSE(field == Q6A && value == 11);
                EXPECT_FALSE(field == Q18A && value == 3);
                EXPECT_FALSE(field == Q18B && value == 6);
                EXPECT_EQ(stored, value) << "column " << k;
            }
        }
    }
    EXPECT_GT(ages_over_89, 0);
    EXPECT_GT(large_households, 0);
    EXPECT_GT(voids, 0);
}

}  // namespace
