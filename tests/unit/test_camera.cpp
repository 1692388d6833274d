#include "view/camera.h"

#include <gtest/gtest.h>
#include <math.h>
#include <string.h>

#include <vector>

#include "gis/zip_table.h"

namespace {

const int WINDOW_W = 1024;
const int WINDOW_H = 768;

Vec3 vec(float x, float y, float z)
{
    Vec3 v = {x, y, z};
    return v;
}

MapView view_of(float x, float y, float distance, float tilt, float spin)
{
    MapView view;
    view.location = vec(x, y, 0.0f);
    view.distance = distance;
    view.tilt = tilt;
    view.spin = spin;
    return view;
}

int zip(int code)
{
    int index = -1;
    EXPECT_EQ(1, find_zip_index(code, &index)) << code;
    return index;
}

TEST(Vectors, DotLengthAndNormalize)
{
    struct Case {
        Vec3 v;
        float length;
    } cases[] = {
        {{3, 4, 0}, 5},
        {{0, 0, -2}, 2},
        {{1, 2, 2}, 3},
        {{-6, 2, 3}, 7},
    };
    for (const Case &c : cases) {
        EXPECT_FLOAT_EQ(c.length * c.length, vec3_dot(&c.v, &c.v));
        EXPECT_FLOAT_EQ(c.length, vec3_length(&c.v));
        Vec3 unit = c.v;
        vec3_normalize(&unit);
        EXPECT_FLOAT_EQ(1.0f, vec3_length(&unit));
        EXPECT_FLOAT_EQ(c.v.x / c.length, unit.x);
        EXPECT_FLOAT_EQ(c.v.y / c.length, unit.y);
        EXPECT_FLOAT_EQ(c.v.z / c.length, unit.z);
    }
    Vec3 a = vec(1, -2, 3), b = vec(4, 5, -6);
    EXPECT_FLOAT_EQ(4 - 10 - 18, vec3_dot(&a, &b));
    Vec3 zero = vec(0, 0, 0);
    vec3_normalize(&zero);
    EXPECT_EQ(0.0f, zero.x);
    EXPECT_EQ(0.0f, zero.y);
    EXPECT_EQ(0.0f, zero.z);
    EXPECT_FALSE(isnan(zero.x));
}

TEST(Vectors, TransformPointMayWriteOverItsInput)
{
    // Column-major: the element of row r, column k at 4k + r.
    const float m[16] = {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 10, 11, 12, 1};
    struct Case {
        float w;
        Vec3 expected;  // m times (1, 2, 3, w)
    } cases[] = {
        {1.0f, {1 + 8 + 21 + 10, 2 + 10 + 24 + 11, 3 + 12 + 27 + 12}},
        {0.0f, {1 + 8 + 21, 2 + 10 + 24, 3 + 12 + 27}},
    };
    for (const Case &c : cases) {
        Vec3 in = vec(1, 2, 3), out;
        transform_point(m, &in, c.w, &out);
        EXPECT_FLOAT_EQ(c.expected.x, out.x);
        EXPECT_FLOAT_EQ(c.expected.y, out.y);
        EXPECT_FLOAT_EQ(c.expected.z, out.z);
        Vec3 same = vec(1, 2, 3);
        transform_point(m, &same, c.w, &same);
        EXPECT_FLOAT_EQ(c.expected.x, same.x);
        EXPECT_FLOAT_EQ(c.expected.y, same.y);
        EXPECT_FLOAT_EQ(c.expected.z, same.z);
    }
}

TEST(Matrices, BuildersMultiplyOnTheRightLikeOpenGl)
{
    struct Case {
        const char *name;
        int steps;  // which builders, applied in the order listed
        Vec3 point;
        Vec3 expected;
    } cases[] = {
        // translate(1, 2, 3) then scale(2, 3, 4): p is scaled first.
        {"translate, scale", 1, {1, 1, 1}, {3, 5, 7}},
        // scale then translate: the translation is scaled too.
        {"scale, translate", 2, {1, 1, 1}, {4, 9, 16}},
        // 90 degrees about z (axis given unnormalised) turns x into y.
        {"rotate z", 3, {1, 0, 0}, {0, 1, 0}},
        // 90 degrees about x turns y into z.
        {"rotate x", 4, {0, 1, 0}, {0, 0, 1}},
        // 120 degrees about (1, 1, 1) cycles the axes.
        {"rotate diagonal", 5, {1, 0, 0}, {0, 1, 0}},
        // rotate then translate: the translation is turned.
        {"rotate, translate", 6, {0, 0, 0}, {0, 1, 0}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        float m[16];
        mat4_identity(m);
        switch (c.steps) {
        case 1: mat4_translate(m, 1, 2, 3); mat4_scale(m, 2, 3, 4); break;
        case 2: mat4_scale(m, 2, 3, 4); mat4_translate(m, 1, 2, 3); break;
        case 3: mat4_rotate(m, 90, 0, 0, 7); break;
        case 4: mat4_rotate(m, 90, 1, 0, 0); break;
        case 5: mat4_rotate(m, 120, 1, 1, 1); break;
        case 6: mat4_rotate(m, 90, 0, 0, 1); mat4_translate(m, 1, 0, 0); break;
        }
        Vec3 out;
        transform_point(m, &c.point, 1.0f, &out);
        EXPECT_NEAR(c.expected.x, out.x, 1e-6);
        EXPECT_NEAR(c.expected.y, out.y, 1e-6);
        EXPECT_NEAR(c.expected.z, out.z, 1e-6);
    }
}

TEST(Matrices, MultiplyIsRowByColumnAndSafeWithItself)
{
    float a[16], b[16];
    for (int i = 0; i < 16; ++i) {
        a[i] = (float)(i + 1);
        b[i] = (float)(16 - i);
    }
    float expected[16];
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 4; ++row) {
            float sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += a[4 * k + row] * b[4 * col + k];
            expected[4 * col + row] = sum;
        }
    float product[16];
    memcpy(product, a, sizeof a);
    mat4_multiply(product, b);
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(expected[i], product[i]) << i;

    float square[16], squared[16];
    memcpy(square, a, sizeof a);
    memcpy(squared, a, sizeof a);
    mat4_multiply(squared, a);
    mat4_multiply(square, square);
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(squared[i], square[i]) << i;
}

TEST(MapViewState, StartsAtTheAnchor)
{
    MapView view;
    memset(&view, 0x55, sizeof view);
    start_map_view(&view);
    EXPECT_EQ(-95.4877f, view.location.x);
    EXPECT_EQ(29.837934f, view.location.y);
    EXPECT_EQ(0.0f, view.location.z);
    EXPECT_EQ(500.0f, view.distance);
    EXPECT_EQ(0.0f, view.tilt);
    EXPECT_EQ(0.0f, view.spin);
    EXPECT_EQ(0, memcmp(&map_anchor, &default_location, sizeof(Vec3)));
    EXPECT_EQ(-95.4877f, map_anchor.x);
    EXPECT_EQ(29.837934f, map_anchor.y);
    EXPECT_EQ(0.0f, map_anchor.z);
}

TEST(MapViewState, ClampHoldsTheLimits)
{
    struct Case {
        float distance, tilt, spin;
        float distance_after, tilt_after, spin_after;
    } cases[] = {
        {500, 0, 0, 500, 0, 0},
        {9.99f, -90.5f, 180.5f, 10, -90, 180},
        {-100, 91, -181, 10, 90, -180},
        {10, 90, -180, 10, 90, -180},
        {1.0e9f, -89.9f, 179.9f, 250000, -89.9f, 179.9f},
        {INFINITY, 0, 0, 250000, 0, 0},
        {200, 400, 720, 200, 90, 180},  // spin is held, never wrapped
    };
    for (const Case &c : cases) {
        MapView view = view_of(1, 2, c.distance, c.tilt, c.spin);
        clamp_map_view(&view);
        EXPECT_EQ(c.distance_after, view.distance);
        EXPECT_EQ(c.tilt_after, view.tilt);
        EXPECT_EQ(c.spin_after, view.spin);
        EXPECT_EQ(1.0f, view.location.x);
        EXPECT_EQ(2.0f, view.location.y);
    }
}

// Centred anywhere on the map, at any tilt and spin, no point of it or of a bar
// of 10,000 respondents is farther from the eye than the far plane.
TEST(MapViewState, TheFarthestViewStillHoldsTheWholeMap)
{
    MapView view = view_of(0, 0, INFINITY, 0, 0);
    clamp_map_view(&view);
    float diagonal = 100 * hypotf(-94.35338f + 96.62202f, 30.90672f - 28.76915f);
    EXPECT_LT(view.distance + hypotf(diagonal, 0.5f * 10000), (float)FAR_PLANE);
}

TEST(Projection, AspectGuardsAgainstEmptyClientAreas)
{
    struct Case {
        int width, height;
        float aspect;
    } cases[] = {
        {1024, 768, 1024.0f / 768.0f}, {768, 1024, 0.75f}, {100, 0, 100.0f},
        {0, 0, 1.0f},                  {0, 50, 1.0f / 50}, {1, 1, 1.0f},
    };
    for (const Case &c : cases) {
        float aspect = view_aspect(c.width, c.height);
        EXPECT_FLOAT_EQ(c.aspect, aspect) << c.width << "x" << c.height;
        float m[16];
        projection_matrix(aspect, m);
        for (int i = 0; i < 16; ++i)
            EXPECT_TRUE(isfinite(m[i])) << i;
    }
}

TEST(Projection, IsTheFrustumOfNearFourAndFar256000)
{
    const float aspect = 1.5f;
    float m[16];
    projection_matrix(aspect, m);
    struct Case {
        Vec3 eye;
        float ndc_x, ndc_y, ndc_z;
    } cases[] = {
        {{1.5f, 1, -4}, 1, 1, -1},
        {{-1.5f, -1, -4}, -1, -1, -1},
        {{0, 0, -256000}, 0, 0, 1},
        {{1.5f * 2, -2, -8}, 1, -1, 0},  // depth not checked below
    };
    for (const Case &c : cases) {
        float clip_w = -c.eye.z;  // the last row is (0, 0, -1, 0)
        Vec3 clip;
        transform_point(m, &c.eye, 1.0f, &clip);
        EXPECT_NEAR(c.ndc_x, clip.x / clip_w, 1e-5);
        EXPECT_NEAR(c.ndc_y, clip.y / clip_w, 1e-5);
        if (c.ndc_z != 0) {
            EXPECT_NEAR(c.ndc_z, clip.z / clip_w, 1e-5);
        }
    }
    EXPECT_EQ(0.0f, m[3]);
    EXPECT_EQ(0.0f, m[7]);
    EXPECT_EQ(-1.0f, m[11]);
    EXPECT_EQ(0.0f, m[15]);
}

std::vector<MapView> sample_views()
{
    return {
        view_of(-95.4877f, 29.837934f, 500, 0, 0),
        view_of(-95.4877f, 29.837934f, 120, -40, 30),
        view_of(-110.0f, 40.0f, 10, 90, -180),
        view_of(-60.5f, 12.25f, 3000, -90, 180),
        view_of(-95.0f, 30.0f, 250, 17.5f, -123.25f),
    };
}

TEST(CameraTransforms, EyeToMapUndoesModelView)
{
    for (const MapView &view : sample_views()) {
        SCOPED_TRACE(testing::Message() << view.distance << " " << view.tilt << " " << view.spin);
        float product[16], model_view[16];
        eye_to_map_matrix(&view, product);
        model_view_matrix(&view, model_view);
        mat4_multiply(product, model_view);
        for (int i = 0; i < 16; ++i) {
            float identity = (i % 5 == 0) ? 1.0f : 0.0f;
            // The translation column collects the rounding of ~10^4 sized
            // offsets; the rest is pure rotation and scale.
            EXPECT_NEAR(identity, product[i], i >= 12 ? 2e-3 : 1e-5) << i;
        }
    }
}

TEST(CameraTransforms, StartViewEyeIsAboveTheAnchor)
{
    MapView view;
    start_map_view(&view);
    float m[16];
    eye_to_map_matrix(&view, m);
    Vec3 eye = vec(0, 0, 0);
    transform_point(m, &eye, 1.0f, &eye);
    EXPECT_FLOAT_EQ(-95.4877f, eye.x);
    EXPECT_FLOAT_EQ(29.837934f, eye.y);
    EXPECT_FLOAT_EQ(1000.0f, eye.z);  // distance 500 over the z scale 0.5

    // Within the rounding of the composed matrix, as OpenGL composes it.
    float x = -1, y = -1;
    ASSERT_EQ(1, map_to_window(&view, WINDOW_W, WINDOW_H, &map_anchor, &x, &y));
    EXPECT_NEAR((WINDOW_W - 1) / 2.0f, x, 0.01f);
    EXPECT_NEAR((WINDOW_H - 1) / 2.0f, y, 0.01f);
}

TEST(CameraTransforms, WindowYRunsDownAndXRight)
{
    MapView view;
    start_map_view(&view);
    Vec3 north = vec(map_anchor.x, map_anchor.y + 0.1f, 0);
    Vec3 east = vec(map_anchor.x + 0.1f, map_anchor.y, 0);
    float x, y;
    ASSERT_EQ(1, map_to_window(&view, WINDOW_W, WINDOW_H, &north, &x, &y));
    EXPECT_LT(y, (WINDOW_H - 1) / 2.0f);
    EXPECT_NEAR((WINDOW_W - 1) / 2.0f, x, 0.01f);
    ASSERT_EQ(1, map_to_window(&view, WINDOW_W, WINDOW_H, &east, &x, &y));
    EXPECT_GT(x, (WINDOW_W - 1) / 2.0f);
    EXPECT_NEAR((WINDOW_H - 1) / 2.0f, y, 0.01f);
}

TEST(CameraTransforms, PointsBehindTheEyeHaveNoWindowPosition)
{
    MapView view;
    start_map_view(&view);
    // The eye is at map height 1000; these are level with it or above.
    const Vec3 points[] = {{-95.4877f, 29.837934f, 1000}, {-95.4877f, 29.837934f, 2000},
                           {-95.0f, 30.0f, 5000}};
    for (const Vec3 &p : points) {
        float x = -7, y = -7;
        EXPECT_EQ(0, map_to_window(&view, WINDOW_W, WINDOW_H, &p, &x, &y));
        EXPECT_EQ(-7, x);
        EXPECT_EQ(-7, y);
    }
}

TEST(Picking, TooSmallClientAreaGivesNoRay)
{
    struct Case {
        int width, height;
    } cases[] = {{1, 768}, {1024, 1}, {1, 1}, {0, 0}, {0, 768}, {1024, 0}};
    MapView view;
    start_map_view(&view);
    std::vector<float> heights(599, 0.0f);
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        PickRay ray;
        memset(&ray, 0x5A, sizeof ray);
        PickRay before = ray;
        EXPECT_EQ(0, build_pick_ray(&view, c.width, c.height, 0, 0, &ray));
        EXPECT_EQ(0, memcmp(&before, &ray, sizeof ray));
        int index = -7;
        EXPECT_EQ(0, pick_zip(&view, c.width, c.height, 0, 0, heights.data(), &index));
        EXPECT_EQ(-7, index);
    }
}

TEST(Picking, RayStartsAtTheEyeWithUnitDirection)
{
    MapView view;
    start_map_view(&view);
    PickRay ray;
    ASSERT_EQ(1, build_pick_ray(&view, 801, 601, 400, 300, &ray));
    // The centre pixel of an odd-sized window looks straight down.
    EXPECT_FLOAT_EQ(-95.4877f, ray.origin.x);
    EXPECT_FLOAT_EQ(29.837934f, ray.origin.y);
    EXPECT_FLOAT_EQ(1000.0f, ray.origin.z);
    EXPECT_NEAR(0.0f, ray.direction.x, 1e-6);
    EXPECT_NEAR(0.0f, ray.direction.y, 1e-6);
    EXPECT_FLOAT_EQ(-1.0f, ray.direction.z);
    EXPECT_EQ(1.0e30f, ray.best_distance);
    EXPECT_EQ(0, ray.best_index);
    // A corner pixel: still unit length, pointing down and out.
    ASSERT_EQ(1, build_pick_ray(&view, 801, 601, 0, 0, &ray));
    EXPECT_NEAR(1.0f, vec3_length(&ray.direction), 1e-6);
    EXPECT_LT(ray.direction.x, 0.0f);
    EXPECT_GT(ray.direction.y, 0.0f);
    EXPECT_LT(ray.direction.z, 0.0f);
}

TEST(Picking, BarTopUnderItsOwnPixelIsPicked)
{
    // Zips with no other centroid close by, and 77002, whose neighbour
    // 77245 lies 0.0038 degrees away and must lose to it in the close
    // views, where half a pixel is well under half that gap.
    const int codes[] = {77002, 77040, 77084, 77381, 77431, 77521, 77532, 77015};
    const float heights[] = {0, 1, 7, 50, 13.5f};  // a share bar may end mid-block
    struct ViewCase {
        const char *name;
        bool centred;  // location on the zip itself rather than the anchor
        bool close;
        float distance, tilt, spin;
    } views[] = {
        {"start", false, false, 500, 0, 0},
        {"tilted and turned", true, true, 120, -40, 30},
        {"steep from the north", true, false, 300, -60, -150},
        {"low", true, true, 150, -75, 90},
        {"tilted back", true, false, 200, 25, 170},
        {"close", true, true, 90, -20, -60},
    };
    int tested = 0;
    for (const ViewCase &v : views) {
        for (int code : codes) {
            if (code == 77002 && !v.close)
                continue;
            for (float height : heights) {
                SCOPED_TRACE(testing::Message() << v.name << ", zip " << code << ", height " << height);
                int index = zip(code);
                MapView view;
                start_map_view(&view);
                if (v.centred)
                    centre_on_zip(index, &view.location);
                view.distance = v.distance;
                view.tilt = v.tilt;
                view.spin = v.spin;
                std::vector<float> bar_tops(599, 0.0f);
                bar_tops[index] = height;
                Vec3 top = vec(zip_longitude(index), zip_latitude(index), height);
                float x, y;
                ASSERT_EQ(1, map_to_window(&view, WINDOW_W, WINDOW_H, &top, &x, &y));
                int px = (int)floorf(x + 0.5f), py = (int)floorf(y + 0.5f);
                ASSERT_TRUE(px >= 0 && px < WINDOW_W && py >= 0 && py < WINDOW_H);
                int picked = -1;
                ASSERT_EQ(1, pick_zip(&view, WINDOW_W, WINDOW_H, px, py, bar_tops.data(), &picked));
                EXPECT_EQ(index, picked);
                ++tested;
            }
        }
    }
    EXPECT_EQ((6 * 8 - 3) * 5, tested);
}

TEST(Picking, TiltMovesTheSpotToTheBarTop)
{
    int index = zip(77040);
    MapView view;
    start_map_view(&view);
    centre_on_zip(index, &view.location);
    view.distance = 120;
    view.tilt = -40;
    std::vector<float> heights(599, 0.0f);
    heights[index] = 50.0f;
    Vec3 foot = vec(zip_longitude(index), zip_latitude(index), 0);
    float x, y;
    ASSERT_EQ(1, map_to_window(&view, WINDOW_W, WINDOW_H, &foot, &x, &y));
    int picked = -1;
    EXPECT_EQ(0, pick_zip(&view, WINDOW_W, WINDOW_H, (int)floorf(x + 0.5f), (int)floorf(y + 0.5f),
                          heights.data(), &picked));
    EXPECT_EQ(-1, picked);
    // With no height the foot is the top, and is picked.
    heights[index] = 0.0f;
    EXPECT_EQ(1, pick_zip(&view, WINDOW_W, WINDOW_H, (int)floorf(x + 0.5f), (int)floorf(y + 0.5f),
                          heights.data(), &picked));
    EXPECT_EQ(index, picked);
}

TEST(Picking, EmptyMapFindsNothing)
{
    struct Case {
        const char *name;
        MapView view;
        int x, y;
    } cases[] = {
        {"far east of every area", view_of(5000.0f, 29.837934f, 500, 0, 0), 511, 383},
        {"north-west corner of the start view", view_of(-95.4877f, 29.837934f, 500, 0, 0), 0, 0},
        {"looking at the sky", view_of(-95.4877f, 29.837934f, 500, 90, 0), 511, 0},
    };
    std::vector<float> heights(599, 3.0f);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        int index = -7;
        EXPECT_EQ(0, pick_zip(&c.view, WINDOW_W, WINDOW_H, c.x, c.y, heights.data(), &index));
        EXPECT_EQ(-7, index);
    }
}

// A ray straight down through (x, y), as no window pixel need give it.
PickRay ray_down_at(float x, float y)
{
    PickRay ray;
    ray.origin = vec(x, y, 10.0f);
    ray.direction = vec(0, 0, -1);
    ray.best_distance = 1.0e30f;
    ray.best_index = 0;
    return ray;
}

float distance_to(int index, float x, float y)
{
    PickRay ray = ray_down_at(x, y);
    test_zip_hit(&ray, index, 0.0f);
    return ray.best_distance;
}

TEST(Picking, EqualDistanceKeepsTheEarlierEntryAndNearerWins)
{
    const int low = zip(77002), high = zip(77245);  // 0.0038 degrees apart
    const float x = (zip_longitude(low) + zip_longitude(high)) / 2;
    const float y = (zip_latitude(low) + zip_latitude(high)) / 2;
    const float high_distance = distance_to(high, x, y);
    ASSERT_LT(high_distance, 0.01f);
    ASSERT_LT(distance_to(low, x, y), 0.01f);

    // An earlier entry accepted at exactly the later one's distance stays.
    PickRay ray = ray_down_at(x, y);
    ray.best_distance = high_distance;
    ray.best_index = low;
    test_zip_hit(&ray, high, 0.0f);
    EXPECT_EQ(low, ray.best_index);
    EXPECT_EQ(high_distance, ray.best_distance);
    // One step farther and the later entry is strictly nearer.
    ray.best_distance = nextafterf(high_distance, 1.0f);
    test_zip_hit(&ray, high, 0.0f);
    EXPECT_EQ(high, ray.best_index);
    EXPECT_EQ(high_distance, ray.best_distance);

    // In ascending order the nearer centroid wins whichever index it has.
    struct Case {
        float x, y;
        int expected;
    } cases[] = {
        {zip_longitude(low), zip_latitude(low), low},
        {zip_longitude(high), zip_latitude(high), high},
    };
    for (const Case &c : cases) {
        ray = ray_down_at(c.x, c.y);
        test_zip_hit(&ray, low, 0.0f);
        test_zip_hit(&ray, high, 0.0f);
        EXPECT_EQ(c.expected, ray.best_index);
        EXPECT_EQ(0.0f, ray.best_distance);
    }
}

TEST(Picking, HitTestAcceptsOnlyWithinTheRadiusOfAReachableTop)
{
    const int index = zip(77431);
    const float lon = zip_longitude(index), lat = zip_latitude(index);
    struct Case {
        const char *name;
        Vec3 origin, direction;
        float height;
        bool hit;
    } cases[] = {
        {"straight down on it", {lon, lat, 10}, {0, 0, -1}, 0, true},
        {"0.005 east", {lon + 0.005f, lat, 10}, {0, 0, -1}, 0, true},
        {"0.0099 north", {lon, lat + 0.0099f, 10}, {0, 0, -1}, 0, true},
        {"0.0101 north", {lon, lat + 0.0101f, 10}, {0, 0, -1}, 0, false},
        {"0.008 both ways", {lon + 0.008f, lat + 0.008f, 10}, {0, 0, -1}, 0, false},
        {"slanting onto a tall top", {lon - 0.6f, lat, 80}, {0.6f, 0, -0.8f}, 79.2f, true},
        {"parallel to the top", {lon, lat, 5}, {1, 0, 0}, 5, false},
        {"top above a downward ray", {lon, lat, 10}, {0, 0, -1}, 20, false},
        {"looking up at it", {lon, lat, 10}, {0, 0, 1}, 20, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        PickRay ray;
        ray.origin = c.origin;
        ray.direction = c.direction;
        ray.best_distance = 1.0e30f;
        ray.best_index = 0;
        test_zip_hit(&ray, index, c.height);
        EXPECT_EQ(c.hit ? index : 0, ray.best_index);
        EXPECT_EQ(c.hit, ray.best_distance <= 0.01f);
    }
    // An index without a location has no bar.
    PickRay ray = ray_down_at(-1.0f, -1.0f);
    test_zip_hit(&ray, 0, 0.0f);
    test_zip_hit(&ray, 1, 0.0f);
    test_zip_hit(&ray, 599, 0.0f);
    EXPECT_EQ(1.0e30f, ray.best_distance);
}

TEST(Centring, PutsTheCentroidInScaledMapSpace)
{
    struct Case {
        int zip;
    } cases[] = {{77002}, {77431}, {77521}, {77598}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.zip);
        int index = zip(c.zip);
        Vec3 location = vec(1, 2, 3);
        centre_on_zip(index, &location);
        EXPECT_EQ((zip_longitude(index) + 95.4877f) * 100.0f - 95.4877f, location.x);
        EXPECT_EQ((zip_latitude(index) - 29.837934f) * 100.0f + 29.837934f, location.y);
        EXPECT_EQ(3.0f, location.z);
        // The view centred there shows the centroid in the window's middle.
        MapView view;
        start_map_view(&view);
        view.location = vec(location.x, location.y, 0);
        view.tilt = -30;
        view.spin = 45;
        Vec3 centroid = vec(zip_longitude(index), zip_latitude(index), 0);
        float x, y;
        ASSERT_EQ(1, map_to_window(&view, WINDOW_W, WINDOW_H, &centroid, &x, &y));
        EXPECT_NEAR((WINDOW_W - 1) / 2.0f, x, 0.05f);
        EXPECT_NEAR((WINDOW_H - 1) / 2.0f, y, 0.05f);
    }
    const int unlocated[] = {0, 1, -1, 599};
    for (int index : unlocated) {
        Vec3 location = vec(1, 2, 3);
        centre_on_zip(index, &location);
        EXPECT_EQ(1.0f, location.x);
        EXPECT_EQ(2.0f, location.y);
        EXPECT_EQ(3.0f, location.z);
    }
}

TEST(SurveyArea, FramesEveryBarTightlyFromTheSouth)
{
    struct Case {
        const char *name;
        std::vector<std::pair<int, float>> bars;  // zip code, height
        int width, height;
        float top_reserved;
    } cases[] = {
        {"spread bars, one tall", {{77040, 10}, {77598, 3}, {77381, 40}, {77521, 0.5f}}, 1016, 720, 0.15f},
        {"narrow window", {{77040, 10}, {77598, 3}}, 400, 800, 0},
        {"one bar", {{77004, 1}}, 1000, 770, 0},
        {"no bar: every located area", {}, 1200, 400, 0.1f},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<float> heights(599, 0.0f);
        heights[0] = 100.0f;  // 77000 has no location and no bar to frame
        for (const auto &bar : c.bars)
            heights[zip(bar.first)] = bar.second;
        MapView view;
        start_map_view(&view);
        survey_area_view(heights.data(), view_aspect(c.width, c.height), c.top_reserved, &view);
        EXPECT_TRUE(view.tilt == 50.0f && view.spin == 0.0f && view.distance < 3000.0f);

        // Each framed bar's top, and the box of their footprints on the map.
        float west = 1e9f, east = -1e9f, south = 1e9f, north = -1e9f;
        std::vector<Vec3> points;
        for (int i = 0; i < 599; i++) {
            if (!zip_has_location(i) || (!c.bars.empty() && heights[i] == 0.0f))
                continue;
            west = fminf(west, zip_longitude(i) - 0.0025f), east = fmaxf(east, zip_longitude(i) + 0.0025f);
            south = fminf(south, zip_latitude(i) - 0.0025f), north = fmaxf(north, zip_latitude(i) + 0.0025f);
            for (int corner = 0; corner < 4; corner++)
                points.push_back(vec(zip_longitude(i) + (corner & 1 ? 0.0025f : -0.0025f),
                                     zip_latitude(i) + (corner & 2 ? 0.0025f : -0.0025f), heights[i]));
        }
        EXPECT_NEAR((west + east) / 2, (view.location.x + 95.4877f) / 100.0f - 95.4877f, 1e-5);
        EXPECT_NEAR((south + north) / 2, (view.location.y - 29.837934f) / 100.0f + 29.837934f, 1e-5);
        for (int corner = 0; corner < 4; corner++)
            points.push_back(vec(corner & 1 ? east : west, corner & 2 ? north : south, 0));
        // All within 85% of the view and below the reserved top; one at a
        // limit, unless a lone bar is shown with its surroundings.
        float top_limit = 0.85f - 2 * c.top_reserved, tightest = 1.0f;
        for (const Vec3 &point : points) {
            float x, y;
            ASSERT_EQ(1, map_to_window(&view, c.width, c.height, &point, &x, &y));
            x = 2 * x / (c.width - 1) - 1;
            y = 1 - 2 * y / (c.height - 1);
            EXPECT_TRUE(fabsf(x) <= 0.8501f && y <= top_limit + 0.0001f && y >= -0.8501f) << x << ", " << y;
            tightest = fminf(tightest, fminf(0.85f - fabsf(x), fminf(top_limit - y, y + 0.85f)));
        }
        EXPECT_EQ(c.bars.size() == 1, tightest > 0.2f);
        EXPECT_EQ(c.bars.size() != 1, tightest < 0.001f);
    }
}

}  // namespace
