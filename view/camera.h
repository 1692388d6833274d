// The camera arithmetic shared by drawing and picking: the map view, the
// frame's transforms and the pick ray.  No windowing or OpenGL here.
#pragma once

#include <stdint.h>

struct Vec3 {
    float x, y, z;
};

// The camera.  location and distance are in scaled map space (map space
// scaled by 100, 100, 0.5 about map_anchor); tilt and spin in degrees.
struct MapView {
    Vec3 location;
    float distance;  // 10..250000
    float tilt;      // -90..90
    float spin;      // -180..180, clamped, never wrapped
};

extern const Vec3 map_anchor;        // (-95.4877, 29.837934, 0): where the map tiles meet
extern const Vec3 default_location;  // the start location, equal to map_anchor

enum { NEAR_PLANE = 4, FAR_PLANE = 256000 };

void start_map_view(MapView *view);
// Holds tilt, spin and distance within their limits.
void clamp_map_view(MapView *view);

// 4 x 4 matrices are 16 floats in OpenGL's column-major order.  The
// builders multiply on the right, as glTranslatef and friends do.
void mat4_identity(float m[16]);
void mat4_multiply(float m[16], const float right[16]);
void mat4_translate(float m[16], float x, float y, float z);
void mat4_rotate(float m[16], float degrees, float x, float y, float z);
void mat4_scale(float m[16], float x, float y, float z);

// Width over height; a zero height counts as one pixel so the projection
// stays valid while the window is minimised.
float view_aspect(int client_width, int client_height);
// The frame's projection (glFrustum(-aspect, aspect, -1, 1, 4, 256000)).
void projection_matrix(float aspect, float m[16]);
// The frame's model-view transform: map space to eye coordinates.
void model_view_matrix(const MapView *view, float m[16]);
// Its inverse, eye coordinates to map space, built the way picking does.
void eye_to_map_matrix(const MapView *view, float m[16]);
// Window position (pixels, y down) of a map-space point; 0 when the point
// lies behind the eye.
int map_to_window(const MapView *view, int client_width, int client_height,
                  const Vec3 *point, float *window_x, float *window_y);

float vec3_dot(const Vec3 *a, const Vec3 *b);
float vec3_length(const Vec3 *v);
void vec3_normalize(Vec3 *v);
// out = first three rows of m times (v, w); out may be v.
void transform_point(const float m[16], const Vec3 *v, float w, Vec3 *out);

struct PickRay {
    Vec3 origin;     // the eye, map space
    Vec3 direction;  // unit length, map space
    float best_distance;
    int32_t best_index;
};

// The ray through client pixel (x, y); 0 (no ray) when the client area is
// less than two pixels wide or high.
int build_pick_ray(const MapView *view, int client_width, int client_height,
                   int x, int y, PickRay *ray);
// Accepts zip index `index` when the ray meets its bar top (at `height`)
// within 0.01 degrees of the centroid and nearer than the best so far.
void test_zip_hit(PickRay *ray, int index, float height);
// The located zip area under the pixel, bar tops at heights[i] (the
// heights in blocks that the bars are drawn with); 1 or 0.
int pick_zip(const MapView *view, int client_width, int client_height, int x, int y,
             const float heights[], int *index);
// The location that centres the view on a zip area's centroid (x and y set,
// z kept).
void centre_on_zip(int index, Vec3 *location);

// The view that frames every located area whose bar has a height (every
// located area when none has): location at the centre of their bounding
// box, tilt 50 degrees from straight down looking north, spin 0, and the
// distance at which the box and the bars standing in it fill most of a
// view of that aspect.  `top_reserved` is the fraction of the view's
// height, from the top, that they are kept out of.
void survey_area_view(const float heights[], float aspect, float top_reserved, MapView *view);
