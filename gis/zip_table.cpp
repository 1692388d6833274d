#include "gis/zip_table.h"

namespace {

enum { ZIP_ENTRIES = 599, FIRST_ZIP = 77000 };

constexpr float NO_LOCATION = -1.0f;

struct LocatedZip {
    int index;  // zip code - 77000
    float longitude;
    float latitude;
};

// Centroids of the surveyed areas that have a location, by zip index.
constexpr LocatedZip located_zips[LOCATED_ZIPS] = {
    {2, -95.363f, 29.7594f},
    {3, -95.3456f, 29.7489f},
    {4, -95.3632f, 29.7248f},
    {5, -95.4241f, 29.7181f},
    {6, -95.3911f, 29.7412f},
    {7, -95.4146f, 29.7716f},
    {8, -95.4183f, 29.7982f},
    {9, -95.3676f, 29.7956f},
    {11, -95.3079f, 29.7427f},
    {12, -95.2676f, 29.718f},
    {13, -95.2387f, 29.7948f},
    {15, -95.1705f, 29.7654f},
    {16, -95.2981f, 29.8626f},
    {17, -95.2525f, 29.6892f},
    {18, -95.4265f, 29.8268f},
    {19, -95.4128f, 29.753f},
    {20, -95.3138f, 29.7731f},
    {21, -95.3575f, 29.6971f},
    {22, -95.3762f, 29.8302f},
    {23, -95.3184f, 29.7217f},
    {24, -95.5164f, 29.7698f},
    {25, -95.4345f, 29.6867f},
    {26, -95.3289f, 29.7997f},
    {27, -95.4467f, 29.7375f},
    {28, -95.2862f, 29.8248f},
    {29, -95.2672f, 29.7628f},
    {30, -95.4026f, 29.7059f},
    {31, -95.547f, 29.6545f},
    {32, -95.3396f, 29.9645f},
    {33, -95.3373f, 29.6668f},
    {34, -95.1815f, 29.6204f},
    {35, -95.479f, 29.6515f},
    {36, -95.5366f, 29.7004f},
    {37, -95.3937f, 29.8905f},
    {40, -95.7377f, 29.932f},
    {41, -95.5841f, 29.8565f},
    {42, -95.5601f, 29.74f},
    {43, -95.5887f, 29.8068f},
    {44, -95.1828f, 29.894f},
    {45, -95.427f, 29.6406f},
    {46, -95.436f, 29.7287f},
    {47, -95.3864f, 29.6084f},
    {48, -95.332f, 29.6222f},
    {49, -95.149f, 29.835f},
    {50, -95.2677f, 29.9023f},
    {51, -95.3751f, 29.6592f},
    {53, -95.4606f, 29.5843f},
    {54, -95.4001f, 29.6835f},
    {55, -95.4933f, 29.7972f},
    {56, -95.4685f, 29.7485f},
    {57, -95.4893f, 29.745f},
    {58, -95.0861f, 29.5828f},
    {59, -95.1174f, 29.6029f},
    {60, -95.3964f, 29.9349f},
    {61, -95.2847f, 29.6538f},
    {62, -95.1332f, 29.5759f},
    {63, -95.5232f, 29.7359f},
    {64, -95.5478f, 29.9221f},
    {65, -95.6044f, 29.927f},
    {66, -95.5068f, 29.9591f},
    {67, -95.4446f, 29.9532f},
    {70, -95.5741f, 29.9805f},
    {71, -95.5205f, 29.6511f},
    {72, -95.5849f, 29.7001f},
    {73, -95.3989f, 29.9994f},
    {74, -95.5153f, 29.6877f},
    {75, -95.2667f, 29.6203f},
    {76, -95.3827f, 29.8598f},
    {77, -95.6143f, 29.751f},
    {78, -95.2513f, 29.8503f},
    {79, -95.6037f, 29.7757f},
    {80, -95.5244f, 29.816f},
    {81, -95.4841f, 29.7106f},
    {82, -95.6256f, 29.7228f},
    {83, -95.6475f, 29.6932f},
    {84, -95.6661f, 29.8301f},
    {85, -95.4838f, 29.6262f},
    {86, -95.4897f, 29.9234f},
    {87, -95.3033f, 29.686f},
    {88, -95.4534f, 29.8815f},
    {89, -95.2233f, 29.5911f},
    {91, -95.4381f, 29.8533f},
    {92, -95.4768f, 29.8325f},
    {93, -95.3405f, 29.8626f},
    {95, -95.6578f, 29.908f},
    {96, -95.4795f, 29.6745f},
    {98, -95.4155f, 29.7347f},
    {99, -95.5857f, 29.6701f},
    {236, -95.4967f, 29.7066f},
    {245, -95.3633f, 29.7632f},
    {336, -95.0978f, 30.0682f},
    {338, -95.2914f, 30.0245f},
    {339, -95.2173f, 30.0472f},
    {345, -95.1646f, 30.0556f},
    {346, -95.1826f, 29.9871f},
    {373, -95.3841f, 30.0613f},
    {381, -95.5019f, 30.1725f},
    {388, -95.4641f, 30.0579f},
    {396, -95.2632f, 29.9512f},
    {401, -95.4623f, 29.705f},
    {431, -95.8279f, 29.1825f},
    {450, -95.75f, 29.7619f},
    {477, -95.5633f, 29.6248f},
    {489, -95.5132f, 29.5982f},
    {502, -95.1992f, 29.6791f},
    {503, -95.1579f, 29.6998f},
    {504, -95.1905f, 29.6499f},
    {521, -94.9681f, 29.7979f},
    {532, -95.0527f, 29.9299f},
    {598, -95.1252f, 29.5384f},
};

struct ZipColumns {
    float longitude[ZIP_ENTRIES];
    float latitude[ZIP_ENTRIES];
};

// Spread over all 599 indices at compile time, so a lookup is one array
// access and every index without a location reads -1.0.
constexpr ZipColumns spread_located_zips()
{
    ZipColumns columns = {};
    for (int i = 0; i < ZIP_ENTRIES; ++i) {
        columns.longitude[i] = NO_LOCATION;
        columns.latitude[i] = NO_LOCATION;
    }
    for (int i = 0; i < LOCATED_ZIPS; ++i) {
        columns.longitude[located_zips[i].index] = located_zips[i].longitude;
        columns.latitude[located_zips[i].index] = located_zips[i].latitude;
    }
    return columns;
}

constexpr ZipColumns zip_columns = spread_located_zips();

int in_table(int index)
{
    return index >= 0 && index < ZIP_ENTRIES;
}

}  // namespace

float zip_longitude(int index)
{
    return in_table(index) ? zip_columns.longitude[index] : NO_LOCATION;
}

float zip_latitude(int index)
{
    return in_table(index) ? zip_columns.latitude[index] : NO_LOCATION;
}

int zip_has_location(int index)
{
    return in_table(index) && zip_columns.longitude[index] != NO_LOCATION;
}

int find_zip_index(int zip_code, int *index)
{
    // Subtract in 64 bits: a zip code near INT_MIN must not overflow.
    long long offset = (long long)zip_code - FIRST_ZIP;
    if (offset < 0 || offset >= ZIP_ENTRIES || !zip_has_location((int)offset))
        return 0;
    if (index)
        *index = (int)offset;
    return 1;
}
