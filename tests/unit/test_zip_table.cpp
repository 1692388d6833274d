#include "gis/zip_table.h"

#include <gtest/gtest.h>

namespace {

TEST(ZipTable, LookupsByZipCode)
{
    struct Case {
        int zip;
        int found;
        int index;
        float longitude;
        float latitude;
    } cases[] = {
        {77000, 0, 0, -1.0f, -1.0f},
        {77001, 0, 0, -1.0f, -1.0f},
        {77002, 1, 2, -95.363f, 29.7594f},
        {77010, 0, 0, -1.0f, -1.0f},
        {77046, 1, 46, -95.436f, 29.7287f},
        {77245, 1, 245, -95.3633f, 29.7632f},
        {77381, 1, 381, -95.5019f, 30.1725f},
        {77431, 1, 431, -95.8279f, 29.1825f},
        {77450, 1, 450, -95.75f, 29.7619f},
        {77521, 1, 521, -94.9681f, 29.7979f},
        {77597, 0, 0, -1.0f, -1.0f},
        {77598, 1, 598, -95.1252f, 29.5384f},
        {77599, 0, 0, -1.0f, -1.0f},
        {99999, 0, 0, -1.0f, -1.0f},
        {76999, 0, 0, -1.0f, -1.0f},
        {0, 0, 0, -1.0f, -1.0f},
        {-77000, 0, 0, -1.0f, -1.0f},
        {-2147483647 - 1, 0, 0, -1.0f, -1.0f},
        {2147483647, 0, 0, -1.0f, -1.0f},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.zip);
        int index = -7;
        EXPECT_EQ(c.found, find_zip_index(c.zip, &index));
        // A zip that is not found leaves the index alone.
        EXPECT_EQ(c.found ? c.index : -7, index);
        if (c.found) {
            EXPECT_EQ(1, zip_has_location(c.index));
            EXPECT_EQ(c.longitude, zip_longitude(c.index));
            EXPECT_EQ(c.latitude, zip_latitude(c.index));
        }
    }
}

TEST(ZipTable, IndicesOutsideTheTableHaveNoLocation)
{
    const int indices[] = {-1, -599, 599, 600, 77002, -2147483647 - 1, 2147483647};
    for (int index : indices) {
        SCOPED_TRACE(index);
        EXPECT_EQ(0, zip_has_location(index));
        EXPECT_EQ(-1.0f, zip_longitude(index));
        EXPECT_EQ(-1.0f, zip_latitude(index));
    }
}

TEST(ZipTable, HoldsExactly110LocatedEntriesInsideTheMosaic)
{
    int located = 0;
    double longitude_sum = 0.0, latitude_sum = 0.0;
    double weighted_longitude = 0.0, weighted_latitude = 0.0;
    for (int i = 0; i < 599; ++i) {
        SCOPED_TRACE(i);
        float longitude = zip_longitude(i);
        float latitude = zip_latitude(i);
        if (!zip_has_location(i)) {
            EXPECT_EQ(-1.0f, longitude);
            EXPECT_EQ(-1.0f, latitude);
            int index = -7;
            EXPECT_EQ(0, find_zip_index(77000 + i, &index));
            continue;
        }
        ++located;
        EXPECT_GE(longitude, -95.8279f);
        EXPECT_LE(longitude, -94.9681f);
        EXPECT_GE(latitude, 29.1825f);
        EXPECT_LE(latitude, 30.1725f);
        int index = -7;
        EXPECT_EQ(1, find_zip_index(77000 + i, &index));
        EXPECT_EQ(i, index);
        longitude_sum += longitude;
        latitude_sum += latitude;
        weighted_longitude += i * (double)longitude;
        weighted_latitude += i * (double)latitude;
    }
    EXPECT_EQ(LOCATED_ZIPS, located);
    // Fingerprints of the whole table: a wrong digit moves the plain sums,
    // an entry at the wrong index moves the index-weighted ones.
    EXPECT_NEAR(-10493.55298614502, longitude_sum, 1e-6);
    EXPECT_NEAR(3275.2551975250244, latitude_sum, 1e-6);
    EXPECT_NEAR(-1288184.0699157715, weighted_longitude, 1e-3);
    EXPECT_NEAR(402417.8816833496, weighted_latitude, 1e-3);
}

}  // namespace
