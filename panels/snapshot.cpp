#include "panels/snapshot.h"

#include <GL/gl.h>
#include <commdlg.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "gis/png.h"
#include "panels/clipboard.h"
#include "panels/file_dialogs.h"
#include "survey/data_stream.h"
#include "view/app_windows.h"
#include "view/map_view.h"
#include "view/page_layout.h"

namespace {

// The printout in progress, from open_printer to the end of print_image.
struct PrintJob {
    HDC dc;
    int page_width;
    int page_height;
    HGLRC context;  // null when the printer offers no OpenGL pixel format
};

PrintJob print_job;

// The snapshot's file types, the BMP first as it always was.
enum { SNAPSHOT_BMP, SNAPSHOT_PNG, SNAPSHOT_TYPES };
const FileType snapshot_types[SNAPSHOT_TYPES] = {{"Bitmap (*.bmp)", ".bmp"},
                                                 {"PNG image (*.png)", ".png"}};

// The panels in the order their visibility is renewed after a capture.
const int captured_panels[PANEL_COUNT] = {PANEL_DEMOGRAPHICS, PANEL_QUESTION, PANEL_GIS, PANEL_INFO,
                                          PANEL_ABOUT, PANEL_AREAS, PANEL_BREAKDOWN};

void write_failure_box(const char *path)
{
    char text[PATH_BYTES + 128];
    snprintf(text, sizeof text, "save_snapshot() - %s snapshot file: %s!\n",
             data_failure_phrase(data_stream_failure()), path);
    MessageBoxA(nullptr, text, "ERROR!", MB_OK);
}

// Stops the timer and reads one freshly drawn frame into `image`.  The
// pixels are read from the back buffer before the swap, which may discard
// it, so the image always equals the frame shown.  1, or 0 when the client
// area is empty or the memory cannot be had.
int capture_view(RgbImage *image)
{
    KillTimer(main_window(), FRAME_TIMER_ID);
    Sleep(251);
    if (!image_alloc(client_width(), client_height(), 3, image))
        return 0;
    draw_frame();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, image->width, image->height, GL_RGB, GL_UNSIGNED_BYTE, image->pixels);
    present_frame();
    for (int panel : captured_panels) {
        HWND window = panel_window(panel);
        if (IsWindowVisible(window))
            ShowWindow(window, SW_SHOW);
    }
    return 1;
}

// The screen's resolution, recorded in PNG snapshots.
int screen_dpi(void)
{
    int dpi = GetDeviceCaps(main_window_dc(), LOGPIXELSX);
    return dpi > 0 ? dpi : 96;
}

void restart_timer(void)
{
    SetTimer(main_window(), FRAME_TIMER_ID, FRAME_TIMER_MS, nullptr);
}

void free_dialog_blocks(PRINTDLGA *dialog)
{
    if (dialog->hDevMode)
        GlobalFree(dialog->hDevMode);
    if (dialog->hDevNames)
        GlobalFree(dialog->hDevNames);
}

void printer_error(HWND owner, const char *text)
{
    MessageBoxA(owner, text, "Error", MB_OK);
}

// Makes the printer context current and prepares a white page with
// picture-pixel coordinates from the bottom left.
void begin_opengl_page(void)
{
    wglMakeCurrent(print_job.dc, print_job.context);
    glEnable(GL_TEXTURE_2D);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glViewport(0, 0, print_job.page_width, print_job.page_height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, print_job.page_width, 0, print_job.page_height, -100, 100);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// The picture as one textured quad; 1, or 0 when the texture image could
// not be made.
int draw_opengl_page(const RgbImage *image, const PagePlacement *placement)
{
    RgbImage texture = {0, 0, 0, nullptr};
    if (!resample_pow2(image, &texture))
        return 0;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, texture.width, texture.height, 0, GL_RGB,
                 GL_UNSIGNED_BYTE, texture.pixels);
    image_free(&texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTranslatef(placement->x0, placement->y0, 0.0f);
    glScalef(placement->scale, placement->scale, 1.0f);
    glColor3f(1.0f, 1.0f, 1.0f);
    glBegin(GL_QUADS);
    glTexCoord2i(0, 0);
    glVertex2i(0, 0);
    glTexCoord2i(1, 0);
    glVertex2i(image->width, 0);
    glTexCoord2i(1, 1);
    glVertex2i(image->width, image->height);
    glTexCoord2i(0, 1);
    glVertex2i(0, image->height);
    glEnd();
    glFinish();
    return 1;
}

}  // namespace

void save_snapshot(void)
{
    RgbImage image = {0, 0, 0, nullptr};
    if (!capture_view(&image)) {
        MessageBoxA(nullptr, "save_snapshot() - can't capture the map view!\n", "ERROR!", MB_OK);
    } else {
        char path[PATH_BYTES];
        int type = SNAPSHOT_BMP;
        if (choose_save_file_of_type(path, snapshot_types, SNAPSHOT_TYPES, &type)) {
            int written = type == SNAPSHOT_PNG ? write_png(path, &image, screen_dpi())
                                               : write_bmp(path, &image);
            if (written) {
                MessageBoxA(nullptr, "Save complete", "Info", MB_OK);
            } else {
                write_failure_box(path);
            }
        }
    }
    image_free(&image);
    restart_timer();
}

void copy_map(void)
{
    RgbImage image = {0, 0, 0, nullptr};
    if (!capture_view(&image)) {
        MessageBoxA(nullptr, "copy_map() - can't capture the map view!\n", "ERROR!", MB_OK);
    } else {
        copy_image(main_window(), "copy_map", &image);
    }
    image_free(&image);
    restart_timer();
}

void print_view(void)
{
    RgbImage image = {0, 0, 0, nullptr};
    if (!capture_view(&image))
        printer_error(main_window(), "Cannot capture the map view!");
    else if (open_printer(main_window())) {
        if (print_image(&image))
            MessageBoxA(nullptr, "Print spooled", "Info", MB_OK);
        else
            printer_error(main_window(), "Cannot finish the printout!");
    }
    image_free(&image);
    restart_timer();
}

int open_printer(HWND owner)
{
    PRINTDLGA dialog;
    memset(&dialog, 0, sizeof dialog);
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.Flags = PD_RETURNDC | PD_NOSELECTION | PD_NOPAGENUMS | PD_HIDEPRINTTOFILE;
    int chosen = PrintDlgA(&dialog);
    // The device blocks are of no further use; only the DC is kept.
    free_dialog_blocks(&dialog);
    if (!chosen)
        return 0;
    if (!dialog.hDC) {
        printer_error(owner, "Cannot open the printer!");
        return 0;
    }
    memset(&print_job, 0, sizeof print_job);
    print_job.dc = dialog.hDC;
    print_job.page_width = GetDeviceCaps(print_job.dc, HORZRES);
    print_job.page_height = GetDeviceCaps(print_job.dc, VERTRES);

    DOCINFOA document;
    memset(&document, 0, sizeof document);
    document.cbSize = sizeof document;
    document.lpszDocName = "Pellora2.0 printout";
    PIXELFORMATDESCRIPTOR request;
    memset(&request, 0, sizeof request);
    request.nSize = sizeof request;
    request.nVersion = 1;
    request.dwFlags = PFD_SUPPORT_OPENGL | PFD_SUPPORT_GDI | PFD_DEPTH_DONTCARE;
    request.iPixelType = PFD_TYPE_RGBA;
    request.cColorBits = 24;
    // Many printer drivers offer no OpenGL pixel format; those get the
    // same picture through GDI.
    int format = ChoosePixelFormat(print_job.dc, &request);

    if (StartDocA(print_job.dc, &document) <= 0 || StartPage(print_job.dc) <= 0) {
        AbortDoc(print_job.dc);
        DeleteDC(print_job.dc);
        printer_error(owner, "Cannot start the printout!");
        return 0;
    }
    if (format != 0) {
        if (!SetPixelFormat(print_job.dc, format, &request)) {
            AbortDoc(print_job.dc);
            DeleteDC(print_job.dc);
            printer_error(owner, "Cannot set printer pixel format!");
            return 0;
        }
        print_job.context = wglCreateContext(print_job.dc);
    }
    if (print_job.context)
        begin_opengl_page();
    return 1;
}

int print_image(const RgbImage *image)
{
    PagePlacement placement;
    int drawn = 0;
    if (print_job.context) {
        drawn = place_on_page(print_job.page_width, print_job.page_height, image->width,
                              image->height, &placement) &&
                draw_opengl_page(image, &placement);
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(print_job.context);
    } else {
        drawn = stretch_image_to_page(print_job.dc, print_job.page_width, print_job.page_height,
                                      image);
    }
    int spooled = 0;
    if (drawn && EndPage(print_job.dc) > 0)
        spooled = EndDoc(print_job.dc) > 0;
    if (!spooled)
        AbortDoc(print_job.dc);
    DeleteDC(print_job.dc);
    memset(&print_job, 0, sizeof print_job);
    wglMakeCurrent(main_window_dc(), main_gl_context());
    return spooled;
}

int stretch_image_to_page(HDC page, int page_width, int page_height, const RgbImage *image)
{
    PagePlacement placement;
    if (!place_on_page(page_width, page_height, image->width, image->height, &placement))
        return 0;
    // A DIB wants blue-green-red rows padded to four bytes, bottom first
    // like the image.
    size_t stride = ((size_t)image->width * 3 + 3) & ~(size_t)3;
    uint8_t *bits = (uint8_t *)calloc(stride, (size_t)image->height);
    if (!bits)
        return 0;
    for (int32_t y = 0; y < image->height; y++) {
        const uint8_t *from = image->pixels + (size_t)y * image->width * 3;
        uint8_t *to = bits + (size_t)y * stride;
        for (int32_t x = 0; x < image->width; x++, from += 3, to += 3) {
            to[0] = from[2];
            to[1] = from[1];
            to[2] = from[0];
        }
    }
    BITMAPINFO info;
    memset(&info, 0, sizeof info);
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = image->width;
    info.bmiHeader.biHeight = image->height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    // GDI counts y down from the top: the picture's top edge lies
    // y0 + height * scale up from the bottom.
    int left = (int)lroundf(placement.x0);
    int right = (int)lroundf(placement.x0 + (float)image->width * placement.scale);
    int bottom = page_height - (int)lroundf(placement.y0);
    int top = page_height - (int)lroundf(placement.y0 + (float)image->height * placement.scale);
    SetStretchBltMode(page, HALFTONE);
    SetBrushOrgEx(page, 0, 0, nullptr);
    int lines = StretchDIBits(page, left, top, right - left, bottom - top, 0, 0, image->width,
                              image->height, bits, &info, DIB_RGB_COLORS, SRCCOPY);
    free(bits);
    return lines > 0;
}
