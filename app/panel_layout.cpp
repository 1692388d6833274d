#include "app/panel_layout.h"

namespace {

enum { MAX_PANELS = 8, MAX_EDGES = 8 + 3 * MAX_PANELS };

struct Cost {
    int64_t forbidden;  // area outside the work area or over the title and menu bar
    int64_t panels;     // area over panels placed before
    int covers_map;     // 1 when over the main window at all
    int64_t distance;   // squared distance from the anchor
};

bool cheaper(const Cost &a, const Cost &b)
{
    if (a.forbidden != b.forbidden)
        return a.forbidden < b.forbidden;
    if (a.panels != b.panels)
        return a.panels < b.panels;
    if (a.covers_map != b.covers_map)
        return a.covers_map < b.covers_map;
    return a.distance < b.distance;
}

int64_t overlap(const ScreenRect &a, const ScreenRect &b)
{
    int64_t left = a.left > b.left ? a.left : b.left;
    int64_t right = a.right < b.right ? a.right : b.right;
    int64_t top = a.top > b.top ? a.top : b.top;
    int64_t bottom = a.bottom < b.bottom ? a.bottom : b.bottom;
    return right > left && bottom > top ? (right - left) * (bottom - top) : 0;
}

ScreenRect rect_at(int32_t x, int32_t y, const PanelRequest &request)
{
    ScreenRect r = {x, y, x + request.width, y + request.height};
    return r;
}

void add(int32_t values[], int *count, int32_t value)
{
    for (int i = 0; i < *count; i++)
        if (values[i] == value)
            return;
    if (*count < MAX_EDGES)
        values[(*count)++] = value;
}

}  // namespace

void place_panels_apart(const ScreenRect *work_area, const ScreenRect *main_window,
                        int32_t client_top, const PanelRequest requests[], int count,
                        PanelPosition positions[])
{
    const ScreenRect &work = *work_area;
    const ScreenRect &main = *main_window;
    const ScreenRect bars = {main.left, main.top, main.right, client_top};
    ScreenRect placed[MAX_PANELS];
    for (int p = 0; p < count && p < MAX_PANELS; p++) {
        const PanelRequest &request = requests[p];
        const int32_t w = request.width, h = request.height;
        // The first panel of a side starts at the main window's corner; the
        // next one follows the panel before it on that side.
        int previous = -1;
        for (int q = 0; q < p; q++)
            if (requests[q].side == request.side)
                previous = q;
        int32_t anchor_x, anchor_y;
        if (request.side == SIDE_RIGHT) {
            anchor_x = previous < 0 ? main.right : placed[previous].left;
            anchor_y = previous < 0 ? main.top : placed[previous].bottom;
        } else {
            anchor_x = previous < 0 ? main.left : placed[previous].right;
            anchor_y = previous < 0 ? main.bottom : placed[previous].top;
        }

        // Candidate edges: against the work area, the main window, its
        // bars and every panel placed so far.
        int32_t xs[MAX_EDGES], ys[MAX_EDGES];
        int nx = 0, ny = 0;
        add(xs, &nx, anchor_x);
        add(ys, &ny, anchor_y);
        const int32_t main_xs[] = {main.right, main.left - w, main.left, main.right - w,
                                   work.left, work.right - w};
        const int32_t main_ys[] = {main.top, main.bottom, main.top - h, client_top,
                                   main.bottom - h, work.top, work.bottom - h};
        for (int32_t x : main_xs)
            add(xs, &nx, x);
        for (int32_t y : main_ys)
            add(ys, &ny, y);
        for (int q = 0; q < p; q++) {
            const int32_t panel_xs[] = {placed[q].right, placed[q].left - w, placed[q].left};
            const int32_t panel_ys[] = {placed[q].bottom, placed[q].top - h, placed[q].top};
            for (int32_t x : panel_xs)
                add(xs, &nx, x);
            for (int32_t y : panel_ys)
                add(ys, &ny, y);
        }

        Cost best = {0, 0, 0, 0};
        bool have_best = false;
        for (int i = 0; i < nx; i++) {
            for (int j = 0; j < ny; j++) {
                ScreenRect r = rect_at(xs[i], ys[j], request);
                Cost cost = {(int64_t)w * h - overlap(r, work) + overlap(r, bars), 0,
                             overlap(r, main) > 0 ? 1 : 0, 0};
                for (int q = 0; q < p; q++)
                    cost.panels += overlap(r, placed[q]);
                int64_t dx = (int64_t)xs[i] - anchor_x, dy = (int64_t)ys[j] - anchor_y;
                cost.distance = dx * dx + dy * dy;
                if (!have_best || cheaper(cost, best)) {
                    best = cost;
                    positions[p].x = xs[i];
                    positions[p].y = ys[j];
                    have_best = true;
                }
            }
        }
        placed[p] = rect_at(positions[p].x, positions[p].y, request);
    }
}
