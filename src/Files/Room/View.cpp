#include "Room/View.h"

#include "IO/IO.h"
#include "IO/Window.h"
#include "Room/Room_Class.h"
#include "Room/Room_Main.h"

#include <cmath>

int view_current = 0;

namespace {
// The view when it maps: index below 32, an entry of the running room, active, non-zero size.
const RoomView* MappingView(int view)
{
    if (view < 0 || view >= 32 || view >= ROOM_SLOTS || !Run_Room || !Run_Room->enable_views) return nullptr;
    const RoomView& v = Run_Room->views[view];
    if (!v.visible || v.wview == 0 || v.hview == 0 || v.wport == 0 || v.hport == 0) return nullptr;
    return &v;
}

int Nearest(double value)
{
    if (!std::isfinite(value) || value > 2147483647.0 || value < -2147483648.0) return (int)0x80000000u;
    return (int)std::nearbyint(value);
}

// The window point mapped back to the room: the port turned back by the view angle about its
// centre, then scaled into the view.
void WindowToRoom(int view, int wx, int wy, double* rx, double* ry)
{
    const RoomView* v = MappingView(view);
    if (!v) {
        int ww = Window_GetWidth(), wh = Window_GetHeight();
        int roomW = Run_Room ? Run_Room->width : ww, roomH = Run_Room ? Run_Room->height : wh;
        *rx = ww > 0 ? (double)wx * roomW / ww : wx;
        *ry = wh > 0 ? (double)wy * roomH / wh : wy;
        return;
    }
    double px = wx, py = wy;
    if (std::fabs(v->angle) >= 0.01) {
        double cx = v->xport + v->wport / 2.0, cy = v->yport + v->hport / 2.0;
        double a = -v->angle * M_PI / 180.0, dx = px - cx, dy = py - cy;
        px = cx + dx * std::cos(a) - dy * std::sin(a);
        py = cy + dx * std::sin(a) + dy * std::cos(a);
    }
    *rx = v->xview + (px - v->xport) * v->wview / v->wport;
    *ry = v->yview + (py - v->yport) * v->hview / v->hport;
}
}

void View_RoomToWindow(int view, float x, float y, int* outX, int* outY)
{
    int ix = Nearest(x), iy = Nearest(y);
    *outX = ix, *outY = iy;
    const RoomView* v = MappingView(view);
    if (!v) return;
    double mx = (double)(ix - v->xview) * v->wport / v->wview;
    double my = (double)(iy - v->yview) * v->hport / v->hview;
    if (std::fabs(v->angle) < 0.01) {
        *outX = Nearest(v->xport + mx);
        *outY = Nearest(v->yport + my);
        return;
    }
    // Turned about the port centre: a positive angle turns the room clockwise on the screen.
    double cx = v->wport / 2.0, cy = v->hport / 2.0, a = v->angle * M_PI / 180.0;
    double dx = mx - cx, dy = my - cy;
    *outX = Nearest(v->xport + cx + dx * std::cos(a) - dy * std::sin(a));
    *outY = Nearest(v->yport + cy + dx * std::sin(a) + dy * std::cos(a));
}

float View_WindowToRoomX(int view, int windowX, int windowY)
{
    double x, y;
    WindowToRoom(view, windowX, windowY, &x, &y);
    return (float)x;
}

float View_WindowToRoomY(int view, int windowX, int windowY)
{
    double x, y;
    WindowToRoom(view, windowX, windowY, &x, &y);
    return (float)y;
}

float View_GetMouseX(int view)
{
    return View_WindowToRoomX(view, Window_GetMouseX(), Window_GetMouseY());
}

float View_GetMouseY(int view)
{
    return View_WindowToRoomY(view, Window_GetMouseX(), Window_GetMouseY());
}

// The view a device's pointer is seen through, -1 with views off.
static int PointerView(int device)
{
    if (!Run_Room || !Run_Room->enable_views) return -1;
    int x = RawMouse.x[device], y = RawMouse.y[device];
    for (int v = 0; v < ROOM_SLOTS; v++) {
        const RoomView& view = Run_Room->views[v];
        if (view.visible && x >= view.xport && x < view.xport + view.wport && y >= view.yport &&
            y < view.yport + view.hport)
            return v;
    }
    return 0;
}

float Mouse_GetRoomX(int device)
{
    if (device < 0 || device >= IO_MOUSE_DEVICES) return 0;
    return View_WindowToRoomX(PointerView(device), RawMouse.x[device], RawMouse.y[device]);
}

float Mouse_GetRoomY(int device)
{
    if (device < 0 || device >= IO_MOUSE_DEVICES) return 0;
    return View_WindowToRoomY(PointerView(device), RawMouse.x[device], RawMouse.y[device]);
}
