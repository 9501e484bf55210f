// Snapping, contact, outside, bounce and wrap moves of one instance.
#include "Motion/Motion_Main.h"

#include "Object/Instance_Class.h"
#include "Room/Room_Collision.h"
#include "Room/Room_Main.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double DEG = 3.14159265358979323846 / 180.0;
constexpr int DEFAULT_DISTANCE = 1000;
constexpr int MAX_DISTANCE = 1000000;  // one pixel a test: an absurd distance must still end

bool Blocked(CInstance* inst, double x, double y, bool solidOnly)
{
    return Instance_PlaceBlocked(inst, (float)x, (float)y, -3, solidOnly);
}

// Whole steps of one pixel that stay within the maximum distance.
int PixelSteps(float maxDist)
{
    if (!(maxDist > 0)) return DEFAULT_DISTANCE;
    return (int)std::min<double>(std::floor(maxDist), MAX_DISTANCE);
}
}  // namespace

void Instance_MoveSnap(CInstance* inst, float hsnap, float vsnap)
{
    if (!inst) return;
    float x = inst->x, y = inst->y;
    if (hsnap > 0) x = std::round(x / hsnap) * hsnap;
    if (vsnap > 0) y = std::round(y / vsnap) * vsnap;
    inst->SetPosition(x, y);
}

void Instance_MoveTowardsPoint(CInstance* inst, float x, float y, float speed)
{
    if (!inst) return;
    double dx = (double)x - inst->x, dy = (double)y - inst->y;
    if (dx == 0 && dy == 0) {
        inst->SetSpeed(0);
        return;
    }
    inst->SetDirection((float)(std::atan2(-dy, dx) / DEG));
    inst->SetSpeed(speed);
}

void Instance_MoveContact(CInstance* inst, float direction, float maxDist, bool solidOnly)
{
    if (!inst || !std::isfinite(direction) || Blocked(inst, inst->x, inst->y, solidOnly)) return;
    double dx = std::cos(direction * DEG), dy = -std::sin(direction * DEG);
    double x0 = inst->x, y0 = inst->y;
    int steps = PixelSteps(maxDist);
    for (int i = 1; i <= steps; i++) {
        double nx = x0 + dx * i, ny = y0 + dy * i;
        if (Blocked(inst, nx, ny, solidOnly)) return;
        inst->SetPosition((float)nx, (float)ny);
    }
}

void Instance_MoveOutside(CInstance* inst, float direction, float maxDist, bool solidOnly)
{
    if (!inst || !std::isfinite(direction)) return;
    double dx = std::cos(direction * DEG), dy = -std::sin(direction * DEG);
    double x0 = inst->x, y0 = inst->y;
    int steps = PixelSteps(maxDist);
    for (int i = 1; i <= steps && Blocked(inst, inst->x, inst->y, solidOnly); i++)
        inst->SetPosition((float)(x0 + dx * i), (float)(y0 + dy * i));
}

void Instance_Bounce(CInstance* inst, bool advanced, bool solidOnly)
{
    if (!inst) return;
    double x = inst->x, y = inst->y, hs = inst->hspeed, vs = inst->vspeed;
    if (!Blocked(inst, x + hs, y + vs, solidOnly)) return;
    if (advanced) {
        // The directions around the instance, 10 degrees apart at the distance of one step,
        // that meet an instance point into the obstacle; their sum is the surface's inward
        // normal, and the motion is mirrored off the surface.
        double reach = std::max(1.0, std::hypot(hs, vs)), nx = 0, ny = 0;
        for (int a = 0; a < 360; a += 10) {
            double ux = std::cos(a * DEG), uy = -std::sin(a * DEG);
            if (Blocked(inst, x + ux * reach, y + uy * reach, solidOnly)) {
                nx += ux;
                ny += uy;
            }
        }
        double len = std::hypot(nx, ny);
        if (len > 1e-9) {
            nx /= len;
            ny /= len;
            double along = hs * nx + vs * ny;
            if (along > 0) {
                inst->SetHSpeed((float)(hs - 2 * along * nx));
                inst->SetVSpeed((float)(vs - 2 * along * ny));
                return;
            }
        }
    }
    bool hBlocked = Blocked(inst, x + hs, y, solidOnly), vBlocked = Blocked(inst, x, y + vs, solidOnly);
    if (hBlocked || !vBlocked) inst->SetHSpeed((float)-hs);
    if (vBlocked || !hBlocked) inst->SetVSpeed((float)-vs);
}

void Instance_MoveWrap(CInstance* inst, bool hor, bool vert, float margin)
{
    if (!inst || !Run_Room) return;
    float x = inst->x, y = inst->y, w = (float)Run_Room->width, h = (float)Run_Room->height;
    if (hor) {
        if (x < -margin) x = w + x + 2 * margin;
        if (x > w + margin) x = x - w - 2 * margin;
    }
    if (vert) {
        if (y < -margin) y = h + y + 2 * margin;
        if (y > h + margin) y = y - h - 2 * margin;
    }
    inst->SetPosition(x, y);
}
