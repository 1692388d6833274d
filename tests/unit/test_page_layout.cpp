// Placing a captured picture on a printed page.

#include "view/page_layout.h"

#include <gtest/gtest.h>

namespace {

TEST(PageLayout, FitsThePictureByItsLimitingSideAndCentresIt)
{
    struct Case {
        int32_t page_width, page_height, width, height;
        float scale, x0, y0;
    };
    const Case cases[] = {
        {4800, 6600, 1000, 600, 4.8f, 0.0f, 1860.0f},   // wide picture, portrait page
        {6600, 4800, 600, 1000, 4.8f, 1860.0f, 0.0f},   // tall picture, landscape page
        {2000, 1000, 400, 200, 5.0f, 0.0f, 0.0f},       // same shape: fills the page
        {1000, 1000, 2000, 500, 0.5f, 0.0f, 375.0f},    // larger than the page
        {4961, 7016, 1001, 743, 4961.0f / 1001.0f, 0.0f, (7016.0f - 743.0f * (4961.0f / 1001.0f)) * 0.5f},
    };
    for (const Case &c : cases) {
        PagePlacement placement = {0.0f, 0.0f, 0.0f};
        ASSERT_EQ(1, place_on_page(c.page_width, c.page_height, c.width, c.height, &placement));
        EXPECT_FLOAT_EQ(c.scale, placement.scale) << c.width << " x " << c.height;
        EXPECT_NEAR(c.x0, placement.x0, 0.01f) << c.width << " x " << c.height;
        EXPECT_NEAR(c.y0, placement.y0, 0.01f) << c.width << " x " << c.height;
    }
}

TEST(PageLayout, RefusesEmptySizes)
{
    const int32_t sizes[][4] = {{0, 6600, 1000, 600}, {4800, 0, 1000, 600},
                                {4800, 6600, 0, 600}, {4800, 6600, 1000, -1}};
    for (const auto &s : sizes) {
        PagePlacement placement = {7.0f, 8.0f, 9.0f};
        EXPECT_EQ(0, place_on_page(s[0], s[1], s[2], s[3], &placement));
        EXPECT_EQ(7.0f, placement.scale);
    }
}

}  // namespace
