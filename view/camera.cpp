#include "view/camera.h"

#include <math.h>
#include <string.h>

#include "gis/zip_table.h"

namespace {

enum { ZIP_ENTRIES = 599 };

// The anchor's two numbers, written once; drawing, picking and centring
// must use the very same single-precision values.
const float ANCHOR_X = -95.4877f;
const float ANCHOR_Y = 29.837934f;

// Map space is scaled by these about the anchor to give scaled map space.
const float SCALE_XY = 100.0f;
const float SCALE_Z = 0.5f;

const float MIN_DISTANCE = 10.0f;
// The far plane less room for the whole map seen from any point on it (its
// diagonal is about 312 scaled units) and for bars of some 11,000 blocks
// (0.5 units each): at this distance, at any tilt and spin, the whole map
// is still drawn, as a speck.  Held at 1.05 per tick, the back arrow
// reaches it from the start distance in about 16 seconds.
const float MAX_DISTANCE = 250000.0f;
const float MAX_TILT = 90.0f;
const float MAX_SPIN = 180.0f;

const float SURVEY_TILT = 50.0f;
const float SURVEY_FILL = 0.85f;       // of the view's half-extents
const float SURVEY_MIN_HALF = 0.05f;   // degrees: a lone area shows its surroundings
const float SURVEY_MIN_TOP = 0.1f;     // the least room above the location, in the same units

// Just beyond the near plane, so the pick point projects inside the frustum.
const float PICK_EYE_Z = -4.00001f;
const float NO_HIT = 1.0e30f;
const float HIT_RADIUS = 0.01f;  // degrees around a centroid

float clamped(float value, float low, float high)
{
    return value < low ? low : (value > high ? high : value);
}

// r = m * (x, y, z, w), all four rows.
void transform_4(const float m[16], float x, float y, float z, float w, float r[4])
{
    for (int row = 0; row < 4; ++row)
        r[row] = m[row] * x + m[4 + row] * y + m[8 + row] * z + m[12 + row] * w;
}

}  // namespace

const Vec3 map_anchor = {ANCHOR_X, ANCHOR_Y, 0.0f};
const Vec3 default_location = {ANCHOR_X, ANCHOR_Y, 0.0f};

void start_map_view(MapView *view)
{
    view->location = default_location;
    view->distance = 500.0f;
    view->tilt = 0.0f;
    view->spin = 0.0f;
}

void clamp_map_view(MapView *view)
{
    view->tilt = clamped(view->tilt, -MAX_TILT, MAX_TILT);
    view->spin = clamped(view->spin, -MAX_SPIN, MAX_SPIN);
    view->distance = clamped(view->distance, MIN_DISTANCE, MAX_DISTANCE);
}

void mat4_identity(float m[16])
{
    for (int i = 0; i < 16; ++i)
        m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
}

void mat4_multiply(float m[16], const float right[16])
{
    // Into a copy first: right may be m itself.
    float product[16];
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k)
                sum += m[4 * k + row] * right[4 * column + k];
            product[4 * column + row] = sum;
        }
    }
    memcpy(m, product, sizeof product);
}

void mat4_translate(float m[16], float x, float y, float z)
{
    float t[16];
    mat4_identity(t);
    t[12] = x;
    t[13] = y;
    t[14] = z;
    mat4_multiply(m, t);
}

void mat4_rotate(float m[16], float degrees, float x, float y, float z)
{
    // Rotation about the normalised axis (the glRotate matrix).  A zero
    // axis names no rotation, so m is left alone.
    float length = sqrtf(x * x + y * y + z * z);
    if (length == 0.0f)
        return;
    x /= length;
    y /= length;
    z /= length;
    float radians = degrees * (3.14159265358979f / 180.0f);
    float c = cosf(radians);
    float s = sinf(radians);
    float k = 1.0f - c;
    float r[16];
    r[0] = x * x * k + c;
    r[1] = y * x * k + z * s;
    r[2] = x * z * k - y * s;
    r[3] = 0.0f;
    r[4] = x * y * k - z * s;
    r[5] = y * y * k + c;
    r[6] = y * z * k + x * s;
    r[7] = 0.0f;
    r[8] = x * z * k + y * s;
    r[9] = y * z * k - x * s;
    r[10] = z * z * k + c;
    r[11] = 0.0f;
    r[12] = 0.0f;
    r[13] = 0.0f;
    r[14] = 0.0f;
    r[15] = 1.0f;
    mat4_multiply(m, r);
}

void mat4_scale(float m[16], float x, float y, float z)
{
    float s[16];
    mat4_identity(s);
    s[0] = x;
    s[5] = y;
    s[10] = z;
    mat4_multiply(m, s);
}

float view_aspect(int client_width, int client_height)
{
    // A minimised window reports 0 x 0; counting each side as at least one
    // pixel keeps the frustum finite and non-degenerate.
    int width = client_width < 1 ? 1 : client_width;
    int height = client_height < 1 ? 1 : client_height;
    return (float)width / (float)height;
}

void projection_matrix(float aspect, float m[16])
{
    // glFrustum(-aspect, aspect, -1, 1, near, far).
    if (!(aspect > 0.0f))
        aspect = 1.0f;
    const float near_z = (float)NEAR_PLANE;
    const float far_z = (float)FAR_PLANE;
    for (int i = 0; i < 16; ++i)
        m[i] = 0.0f;
    m[0] = 2.0f * near_z / (2.0f * aspect);
    m[5] = 2.0f * near_z / 2.0f;
    m[10] = -(far_z + near_z) / (far_z - near_z);
    m[11] = -1.0f;
    m[14] = -2.0f * far_z * near_z / (far_z - near_z);
}

void model_view_matrix(const MapView *view, float m[16])
{
    // Eye at distance from location, rotated about location; then map space
    // scaled about the anchor.
    mat4_identity(m);
    mat4_translate(m, 0.0f, 0.0f, -view->distance);
    mat4_rotate(m, -view->tilt, 1.0f, 0.0f, 0.0f);
    mat4_rotate(m, -view->spin, 0.0f, 0.0f, 1.0f);
    mat4_translate(m, -view->location.x, -view->location.y, -view->location.z);
    mat4_translate(m, ANCHOR_X, ANCHOR_Y, 0.0f);
    mat4_scale(m, SCALE_XY, SCALE_XY, SCALE_Z);
    mat4_translate(m, -ANCHOR_X, -ANCHOR_Y, 0.0f);
}

void eye_to_map_matrix(const MapView *view, float m[16])
{
    // Each step of model_view_matrix undone, in reverse order.
    mat4_identity(m);
    mat4_translate(m, ANCHOR_X, ANCHOR_Y, 0.0f);
    mat4_scale(m, 1.0f / SCALE_XY, 1.0f / SCALE_XY, 1.0f / SCALE_Z);
    mat4_translate(m, -ANCHOR_X, -ANCHOR_Y, 0.0f);
    mat4_translate(m, view->location.x, view->location.y, view->location.z);
    mat4_rotate(m, view->spin, 0.0f, 0.0f, 1.0f);
    mat4_rotate(m, view->tilt, 1.0f, 0.0f, 0.0f);
    mat4_translate(m, 0.0f, 0.0f, view->distance);
}

int map_to_window(const MapView *view, int client_width, int client_height,
                  const Vec3 *point, float *window_x, float *window_y)
{
    float model_view[16];
    float clip_from_map[16];
    projection_matrix(view_aspect(client_width, client_height), clip_from_map);
    model_view_matrix(view, model_view);
    mat4_multiply(clip_from_map, model_view);
    float clip[4];
    transform_4(clip_from_map, point->x, point->y, point->z, 1.0f, clip);
    // w is the distance in front of the eye.
    if (!(clip[3] > 0.0f))
        return 0;
    float ndc_x = clip[0] / clip[3];
    float ndc_y = clip[1] / clip[3];
    // The exact inverse of build_pick_ray's pixel formula: pixel 0 and
    // pixel size - 1 are the frustum's edges, and y runs downwards.
    float last_x = (float)(client_width > 1 ? client_width - 1 : 0);
    float last_y = (float)(client_height > 1 ? client_height - 1 : 0);
    *window_x = (ndc_x + 1.0f) * 0.5f * last_x;
    *window_y = (1.0f - ndc_y) * 0.5f * last_y;
    return 1;
}

float vec3_dot(const Vec3 *a, const Vec3 *b)
{
    return a->x * b->x + a->y * b->y + a->z * b->z;
}

float vec3_length(const Vec3 *v)
{
    return sqrtf(vec3_dot(v, v));
}

void vec3_normalize(Vec3 *v)
{
    float length = vec3_length(v);
    if (length == 0.0f)
        return;
    v->x /= length;
    v->y /= length;
    v->z /= length;
}

void transform_point(const float m[16], const Vec3 *v, float w, Vec3 *out)
{
    Vec3 in = *v;
    out->x = m[0] * in.x + m[4] * in.y + m[8] * in.z + m[12] * w;
    out->y = m[1] * in.x + m[5] * in.y + m[9] * in.z + m[13] * w;
    out->z = m[2] * in.x + m[6] * in.y + m[10] * in.z + m[14] * w;
}

int build_pick_ray(const MapView *view, int client_width, int client_height,
                   int x, int y, PickRay *ray)
{
    // The pixel formula divides by size - 1.
    if (client_width < 2 || client_height < 2)
        return 0;
    float m[16];
    eye_to_map_matrix(view, m);
    float aspect = view_aspect(client_width, client_height);
    Vec3 near_point;
    near_point.x = 2.0f * aspect * (float)x / (float)(client_width - 1) - aspect;
    near_point.y = 1.0f - 2.0f * (float)y / (float)(client_height - 1);
    near_point.z = PICK_EYE_Z;
    Vec3 eye = {0.0f, 0.0f, 0.0f};
    Vec3 far_point;
    transform_point(m, &near_point, 1.0f, &far_point);
    transform_point(m, &eye, 1.0f, &eye);
    ray->origin = eye;
    ray->direction.x = far_point.x - eye.x;
    ray->direction.y = far_point.y - eye.y;
    ray->direction.z = far_point.z - eye.z;
    vec3_normalize(&ray->direction);
    ray->best_distance = NO_HIT;
    ray->best_index = 0;
    return 1;
}

void test_zip_hit(PickRay *ray, int index, float height)
{
    // An area without a location has no bar to hit.
    if (!zip_has_location(index))
        return;
    float longitude = zip_longitude(index);
    float latitude = zip_latitude(index);
    // The bar top's plane: normal (0, 0, 1) through height.
    const Vec3 normal = {0.0f, 0.0f, 1.0f};
    float denom = vec3_dot(&normal, &ray->direction);
    if (denom == 0.0f)
        return;
    float t = -(vec3_dot(&normal, &ray->origin) - height) / denom;
    // A bar top behind the eye is not under the cursor.
    if (t < 0.0f)
        return;
    float hit_x = ray->origin.x + t * ray->direction.x;
    float hit_y = ray->origin.y + t * ray->direction.y;
    float dx = hit_x - longitude;
    float dy = hit_y - latitude;
    float dist = sqrtf(dx * dx + dy * dy);
    // Strictly nearer: at a tie the entry tested first, the lower index, stays.
    if (dist <= HIT_RADIUS && dist < ray->best_distance) {
        ray->best_distance = dist;
        ray->best_index = index;
    }
}

int pick_zip(const MapView *view, int client_width, int client_height, int x, int y,
             const float heights[], int *index)
{
    PickRay ray;
    if (!build_pick_ray(view, client_width, client_height, x, y, &ray))
        return 0;
    for (int i = 0; i < ZIP_ENTRIES; ++i) {
        if (zip_has_location(i))
            test_zip_hit(&ray, i, heights ? heights[i] : 0.0f);
    }
    if (!(ray.best_distance < NO_HIT))
        return 0;
    *index = ray.best_index;
    return 1;
}

void centre_on_zip(int index, Vec3 *location)
{
    if (!zip_has_location(index))
        return;
    location->x = (zip_longitude(index) - ANCHOR_X) * SCALE_XY + ANCHOR_X;
    location->y = (zip_latitude(index) - ANCHOR_Y) * SCALE_XY + ANCHOR_Y;
}

namespace {

// Whether zip index i is one of the areas the Survey Area frames.
int framed(const float heights[], int any_bar, int i)
{
    return zip_has_location(i) && (!any_bar || heights[i] > 0.0f);
}

// The least eye distance that keeps a map point within the limits, the
// view's other fields fixed: a point at eye coordinates (x, y, z) when the
// eye sits at the location projects at distance d to
// x * near / (aspect * (d - z)) and y * near / (d - z).
float distance_for(const float m[16], const Vec3 &point, float limit_x, float limit_top,
                   float limit_bottom)
{
    Vec3 eye;
    transform_point(m, &point, 1.0f, &eye);
    float near_z = (float)NEAR_PLANE;
    float need_x = eye.z + near_z * fabsf(eye.x) / limit_x;
    float need_y = eye.z + near_z * fabsf(eye.y) / (eye.y > 0.0f ? limit_top : limit_bottom);
    return fmaxf(need_x, fmaxf(need_y, eye.z + near_z));
}

}  // namespace

void survey_area_view(const float heights[], float aspect, float top_reserved, MapView *view)
{
    int any_bar = 0;
    for (int i = 0; i < ZIP_ENTRIES; ++i)
        if (zip_has_location(i) && heights[i] > 0.0f)
            any_bar = 1;
    float west = 1.0e30f, east = -1.0e30f, south = 1.0e30f, north = -1.0e30f;
    for (int i = 0; i < ZIP_ENTRIES; ++i) {
        if (!framed(heights, any_bar, i))
            continue;
        west = fminf(west, zip_longitude(i) - ZIP_BAR_HALF);
        east = fmaxf(east, zip_longitude(i) + ZIP_BAR_HALF);
        south = fminf(south, zip_latitude(i) - ZIP_BAR_HALF);
        north = fmaxf(north, zip_latitude(i) + ZIP_BAR_HALF);
    }
    float centre_x = (west + east) * 0.5f;
    float centre_y = (south + north) * 0.5f;
    west = fminf(west, centre_x - SURVEY_MIN_HALF);
    east = fmaxf(east, centre_x + SURVEY_MIN_HALF);
    south = fminf(south, centre_y - SURVEY_MIN_HALF);
    north = fmaxf(north, centre_y + SURVEY_MIN_HALF);

    view->location.x = (centre_x - ANCHOR_X) * SCALE_XY + ANCHOR_X;
    view->location.y = (centre_y - ANCHOR_Y) * SCALE_XY + ANCHOR_Y;
    view->location.z = 0.0f;
    view->tilt = SURVEY_TILT;
    view->spin = 0.0f;
    view->distance = 0.0f;

    // The box on the map and the top of every framed bar must show; the
    // farthest distance any of them asks for frames them all.
    if (!(aspect > 0.0f))
        aspect = 1.0f;
    float limit_x = SURVEY_FILL * aspect;
    float limit_top = fmaxf(SURVEY_FILL - 2.0f * top_reserved, SURVEY_MIN_TOP);
    float limit_bottom = SURVEY_FILL;
    float m[16];
    model_view_matrix(view, m);
    float distance = MIN_DISTANCE;
    for (int corner = 0; corner < 4; ++corner) {
        Vec3 p = {corner & 1 ? east : west, corner & 2 ? north : south, 0.0f};
        distance = fmaxf(distance, distance_for(m, p, limit_x, limit_top, limit_bottom));
    }
    for (int i = 0; i < ZIP_ENTRIES; ++i) {
        if (!framed(heights, any_bar, i))
            continue;
        for (int corner = 0; corner < 4; ++corner) {
            Vec3 p = {zip_longitude(i) + (corner & 1 ? ZIP_BAR_HALF : -ZIP_BAR_HALF),
                      zip_latitude(i) + (corner & 2 ? ZIP_BAR_HALF : -ZIP_BAR_HALF), heights[i]};
            distance = fmaxf(distance, distance_for(m, p, limit_x, limit_top, limit_bottom));
        }
    }
    view->distance = distance;
}
