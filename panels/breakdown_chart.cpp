#include "panels/breakdown_chart.h"

#include <string.h>

#include "panels/clipboard.h"
#include "stats/area_stats.h"
#include "stats/breakdown_text.h"
#include "stats/number_format.h"
#include "view/map_layer.h"

namespace {

const COLORREF white = RGB(255, 255, 255);
const COLORREF ink = RGB(0, 0, 0);
const COLORREF grid_grey = RGB(221, 221, 221);
const COLORREF plain_grey = RGB(160, 160, 160);
const COLORREF light_grey = RGB(190, 190, 190);
const COLORREF dark_grey = RGB(80, 80, 80);

// Bars as the map colors areas; by answers the current answer darker.
COLORREF bar_color(const Breakdown *breakdown, const BreakdownRow *row)
{
    if (breakdown->scope.by == BY_ANSWERS)
        return row->position == breakdown->answer ? dark_grey : light_grey;
    if (row->compared == COMPARED_ABOVE)
        return RGB(above_color[0], above_color[1], above_color[2]);
    if (row->compared == COMPARED_BELOW)
        return RGB(below_color[0], below_color[1], below_color[2]);
    return plain_grey;
}

void fill(HDC dc, int left, int top, int right, int bottom, COLORREF color)
{
    RECT box = {left, top, right, bottom};
    SetBkColor(dc, color);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &box, nullptr, 0, nullptr);
}

void text_at(HDC dc, const char *text, RECT box, UINT format)
{
    DrawTextA(dc, text, -1, &box, format | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

}  // namespace

void draw_breakdown_chart(HDC dc, const RECT *area, const ChartRows *rows, HFONT font, int unit)
{
    fill(dc, area->left, area->top, area->right, area->bottom, white);
    HGDIOBJ old_font = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ink);
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    const Breakdown *breakdown = rows->breakdown;
    const int pad = 4 * unit, line = metrics.tmHeight;
    int label_width = 0;
    for (int i = 0; i < rows->count; i++) {
        const char *label = breakdown_row_label(breakdown, &breakdown->rows[rows->order[i]]);
        SIZE extent;
        GetTextExtentPoint32A(dc, label, (int)strlen(label), &extent);
        if (extent.cx > label_width)
            label_width = extent.cx;
    }
    const int width = area->right - area->left;
    if (label_width > width * 2 / 5)
        label_width = width * 2 / 5;
    SIZE widest_share;
    GetTextExtentPoint32A(dc, "100.00%", 7, &widest_share);
    // The axis from 0 to 100%, room for the labels on its left and for a
    // share beside its end.
    const int left = area->left + pad + label_width + pad, right = area->right - 2 * pad - widest_share.cx;
    const int top = area->top + pad, bottom = area->bottom - pad - line;
    if (rows->count == 0 || right <= left || bottom <= top) {
        SelectObject(dc, old_font);
        return;
    }
    for (int quarter = 0; quarter <= 4; quarter++) {
        int x = left + (right - left) * quarter / 4;
        fill(dc, x, top, x + unit, bottom, grid_grey);
        char mark[8];
        format_percent_value(25.0f * (float)quarter, 0, 0, mark, sizeof mark);
        strcat(mark, "%");
        RECT box = {x - widest_share.cx, bottom, x + widest_share.cx, area->bottom - pad / 2};
        text_at(dc, mark, box, DT_CENTER);
    }
    auto x_of = [left, right](float percent) { return left + (int)((float)(right - left) * percent / 100.0f + 0.5f); };
    // By a list, the All row's share as a line across the groups, behind
    // the bars and their texts.
    const BreakdownRow &all = breakdown->rows[0];
    if (breakdown->scope.by != BY_ANSWERS && all.respondents > 0) {
        int x = x_of(all.share);
        fill(dc, x, top, x + unit, bottom, ink);
    }
    const int pitch = (bottom - top) / rows->count;
    int thickness = pitch * 3 / 5;
    if (thickness > line)
        thickness = line;
    for (int i = 0; i < rows->count; i++) {
        const BreakdownRow *row = &breakdown->rows[rows->order[i]];
        const int y = top + pitch * i + pitch / 2;
        RECT label = {area->left + pad, y - pitch / 2, area->left + pad + label_width, y + pitch / 2 + 1};
        text_at(dc, breakdown_row_label(breakdown, row), label, DT_LEFT | DT_END_ELLIPSIS);
        if (row->respondents == 0)
            continue;
        int end = x_of(row->share);
        fill(dc, left, y - thickness / 2, end > left ? end : left + unit, y - thickness / 2 + thickness,
             bar_color(breakdown, row));
        // The interval as a whisker: a thin line with a tick at each end.
        int low = x_of(row->low), high = x_of(row->high), tick = thickness / 3 + unit;
        fill(dc, low, y - unit / 2, high + unit, y - unit / 2 + unit, ink);
        fill(dc, low, y - tick, low + unit, y + tick, ink);
        fill(dc, high, y - tick, high + unit, y + tick, ink);
        char share[24];
        breakdown_cell(breakdown, row, BREAKDOWN_SHARE, share, sizeof share);
        // On white, so the All line does not run through it.
        SIZE extent;
        GetTextExtentPoint32A(dc, share, (int)strlen(share), &extent);
        int x = (high > end ? high : end) + pad;
        fill(dc, x, y - extent.cy / 2, x + extent.cx, y - extent.cy / 2 + extent.cy, white);
        RECT beside = {x, y - pitch / 2, area->right, y + pitch / 2 + 1};
        text_at(dc, share, beside, DT_LEFT);
    }
    SelectObject(dc, old_font);
}

int copy_breakdown_chart(HWND owner, const ChartRows *rows, const char *title, HFONT font, int unit,
                         SIZE chart, int title_height)
{
    const int width = 2 * chart.cx, height = 2 * (title_height + chart.cy);
    BITMAPINFO info;
    memset(&info, 0, sizeof info);
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // rows bottom first, as an RgbImage has them
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    LOGFONTA large;
    HDC dc = CreateCompatibleDC(nullptr);
    void *bits = nullptr;
    HBITMAP bitmap = dc ? CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
    HFONT twice = nullptr;
    // A font that cannot be read, the GUI's own serves.
    if (GetObjectA(font, sizeof large, &large) == sizeof large ||
        GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof large, &large) == sizeof large) {
        large.lfHeight *= 2;
        twice = CreateFontIndirectA(&large);
    }
    RgbImage image = {0, 0, 0, nullptr};
    int copied = 0;
    if (bitmap && twice && image_alloc(width, height, 3, &image)) {
        HGDIOBJ old_bitmap = SelectObject(dc, bitmap);
        fill(dc, 0, 0, width, height, white);
        HGDIOBJ old_font = SelectObject(dc, twice);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, ink);
        RECT heading = {8 * unit, 0, width - 8 * unit, 2 * title_height};
        DrawTextA(dc, title, -1, &heading, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
        SelectObject(dc, old_font);
        RECT body = {0, 2 * title_height, width, height};
        draw_breakdown_chart(dc, &body, rows, twice, 2 * unit);
        GdiFlush();
        SelectObject(dc, old_bitmap);
        // The section's rows are blue-green-red, padded to four bytes.
        size_t stride = ((size_t)width * 3 + 3) & ~(size_t)3;
        for (int y = 0; y < height; y++) {
            const uint8_t *from = (const uint8_t *)bits + (size_t)y * stride;
            uint8_t *to = image.pixels + (size_t)y * width * 3;
            for (int x = 0; x < width; x++, from += 3, to += 3) {
                to[0] = from[2];
                to[1] = from[1];
                to[2] = from[0];
            }
        }
        copied = copy_image(owner, "copy_breakdown_chart", &image);
    } else {
        MessageBoxA(nullptr, "copy_breakdown_chart() - not enough memory for the picture!\n", "ERROR!", MB_OK);
    }
    image_free(&image);
    if (twice)
        DeleteObject(twice);
    if (bitmap)
        DeleteObject(bitmap);
    if (dc)
        DeleteDC(dc);
    return copied;
}
