// The zip table: the centroid of each surveyed zip-code area.
#pragma once

enum { LOCATED_ZIPS = 110 };

// Every located area's bar is a square this far (degrees) from its
// centroid on each side: drawing and framing must agree on it.
const float ZIP_BAR_HALF = 0.0025f;

// Longitude and latitude of zip index 0..598 (zip code - 77000); -1.0 for
// an area without a location and for any index outside the table.
float zip_longitude(int index);
float zip_latitude(int index);
// 1 when the index lies in the table and its area has a location.
int zip_has_location(int index);
// Zip code to zip index, found only for a located area; 1 or 0.
int find_zip_index(int zip_code, int *index);
