#include "view/map_view.h"

#include <GL/gl.h>
#include <string.h>

#include "survey/records.h"
#include "view/app_windows.h"
#include "view/map_layer.h"
#include "view/map_legend.h"

namespace {

MapView map_view = {{-95.4877f, 29.837934f, 0.0f}, 500.0f, 0.0f, 0.0f};
Vec3 saved_location;
int have_saved_location;

short client_w;
short client_h;
unsigned char nav_code;

// What a frame shows: the view, the map layer's generation and whether the
// legend is on.  The back buffer holds `drawn`; the window shows `shown`
// unless `shown_stale`.
struct FrameContent {
    MapView view;
    unsigned generation;
    int legend;
};
FrameContent drawn;
FrameContent shown;
int shown_stale = 1;

FrameContent current_content(void)
{
    FrameContent content;
    memset(&content, 0, sizeof content);
    content.view = map_view;
    content.generation = map_generation();
    content.legend = legend_shown();
    return content;
}

int frame_outdated(void)
{
    FrameContent now = current_content();
    return shown_stale || memcmp(&now, &shown, sizeof now) != 0;
}

}  // namespace

const MapView *current_map_view(void)
{
    return &map_view;
}

void set_map_view(const MapView *view)
{
    map_view = *view;
    clamp_map_view(&map_view);
}

void default_location_command(void)
{
    saved_location = map_view.location;
    have_saved_location = 1;
    map_view.location = default_location;
}

void saved_location_command(void)
{
    if (have_saved_location)
        map_view.location = saved_location;
}

void survey_area_command(void)
{
    float heights[ZIP_SLOTS];
    drawn_bar_heights(heights);
    // The bars are framed below the legend, so it hides none of them.
    RECT legend;
    float reserved = 0.0f;
    if (client_h > 0 && legend_box(&legend))
        reserved = (float)legend.bottom / (float)client_h;
    survey_area_view(heights, view_aspect(client_w, client_h), reserved, &map_view);
    clamp_map_view(&map_view);
}

void show_survey_area_if_untouched(void)
{
    MapView start;
    start_map_view(&start);
    if (memcmp(&start, &map_view, sizeof start) == 0)
        survey_area_command();
}

int client_width(void)
{
    return client_w;
}

int client_height(void)
{
    return client_h;
}

void set_nav_command(int code)
{
    nav_code = (unsigned char)code;
}

int nav_command(void)
{
    return nav_code;
}

void mark_frame_stale(void)
{
    shown_stale = 1;
}

void on_size(LPARAM size)
{
    mark_frame_stale();
    client_w = (short)LOWORD(size);
    client_h = (short)HIWORD(size);
    glViewport(0, 0, client_w, client_h);
    glMatrixMode(GL_PROJECTION);
    float projection[16];
    projection_matrix(view_aspect(client_w, client_h), projection);
    glLoadMatrixf(projection);
}

void init_gl_state(HDC dc)
{
    glDisable(GL_CULL_FACE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glClearColor(0.498f, 0.498f, 0.498f, 1.0f);
    glPointSize(3.0f);
    glLineWidth(2.0f);
    make_bar_texture();
    make_map();
    make_legend_font(dc);
    refresh_map();
}

// The tiles first, without depth test so they never hide a bar; then the
// bars, depth-tested among themselves and blended by their alpha.
static void draw_scene(void)
{
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, TEX_LOWER_LEFT);
    glCallList(LIST_LOWER_LEFT);
    glBindTexture(GL_TEXTURE_2D, TEX_LOWER_RIGHT);
    glCallList(LIST_LOWER_RIGHT);
    glBindTexture(GL_TEXTURE_2D, TEX_UPPER_RIGHT);
    glCallList(LIST_UPPER_RIGHT);
    glBindTexture(GL_TEXTURE_2D, TEX_UPPER_LEFT);
    glCallList(LIST_UPPER_LEFT);
    glEnable(GL_DEPTH_TEST);
    glBindTexture(GL_TEXTURE_2D, 0);
    glCallList(LIST_BAR_TOPS);
    glBindTexture(GL_TEXTURE_2D, TEX_BAR_SIDES);
    glCallList(LIST_BAR_SIDES);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
}

void draw_frame(void)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    float model_view[16];
    model_view_matrix(&map_view, model_view);
    glLoadMatrixf(model_view);
    draw_scene();
    draw_legend();
    drawn = current_content();
}

void present_frame(void)
{
    SwapBuffers(main_window_dc());
    shown = drawn;
    shown_stale = 0;
}

void redraw_map(void)
{
    if (!main_window())
        return;
    draw_frame();
    present_frame();
}

void on_paint(HWND window, PAINTSTRUCT *paint)
{
    draw_frame();
    present_frame();
    BeginPaint(window, paint);
    EndPaint(window, paint);
    // BeginPaint erases the update region with the class brush, over the
    // frame just shown; the next tick draws it again.
    mark_frame_stale();
}

void on_timer(WPARAM timer_id)
{
    if (timer_id != FRAME_TIMER_ID)
        return;
    switch (nav_code) {
    case NAV_TILT_DOWN: map_view.tilt -= 5.0f; break;
    case NAV_TILT_UP: map_view.tilt += 5.0f; break;
    case NAV_SPIN_LEFT: map_view.spin -= 5.0f; break;
    case NAV_SPIN_RIGHT: map_view.spin += 5.0f; break;
    case NAV_NEARER: map_view.distance *= 0.95f; break;
    case NAV_FARTHER: map_view.distance *= 1.05f; break;
    default: break;
    }
    clamp_map_view(&map_view);
    // An idle tick costs nothing: only a held arrow or a change since the
    // last presented frame draws.
    if (nav_code == NAV_NONE && !frame_outdated())
        return;
    draw_frame();
    present_frame();
}

void release_gl_objects(void)
{
    static const GLuint textures[] = {TEX_LOWER_LEFT, TEX_LOWER_RIGHT, TEX_UPPER_LEFT,
                                      TEX_UPPER_RIGHT, TEX_BAR_SIDES};
    glDeleteTextures(5, textures);
    static const GLuint lists[] = {LIST_LOWER_LEFT, LIST_LOWER_RIGHT, LIST_UPPER_RIGHT,
                                   LIST_UPPER_LEFT, LIST_BAR_TOPS, LIST_BAR_SIDES};
    for (GLuint list : lists)
        glDeleteLists(list, 1);
    release_legend_font();
}
