// Shape tests and collision queries over bounding boxes, refined by the pixel tests of the
// instances' sprites.
#include "Room/Room_Collision.h"

#include "Object/Event_Main.h"
#include "Object/Instance_Class.h"
#include "Object/Object_Main.h"
#include "Room/Instance_Ops.h"
#include "Room/Room_Main.h"
#include "Sprite/Sprite_Class.h"
#include "Sprite/Sprite_Main.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {
struct Rect {
    int left, top, right, bottom;  // pixel cells, inclusive
};

// Real coordinates far outside the room are clamped before they become pixel numbers.
int Pixel(float v)
{
    if (!(v > -1e9f)) return -1000000000;
    if (v > 1e9f) return 1000000000;
    return (int)std::floor(v);
}

Rect BoxOf(CInstance* inst)
{
    inst->Compute_BoundingBox();
    return {inst->bbox_left, inst->bbox_top, inst->bbox_right, inst->bbox_bottom};
}

bool Intersect(const Rect& a, const Rect& b, Rect* out)
{
    out->left = std::max(a.left, b.left);
    out->top = std::max(a.top, b.top);
    out->right = std::min(a.right, b.right);
    out->bottom = std::min(a.bottom, b.bottom);
    return out->left <= out->right && out->top <= out->bottom;
}

// The sprite whose mask gives the instance's shape: its mask sprite, else its sprite; null when
// the shape is the box alone.
CSprite* ShapeSprite(CInstance* inst)
{
    if (CSprite* mask = Sprite_Get(inst->mask_index)) return mask;
    return Sprite_Get(inst->sprite_index);
}

// Where the instance shows its shape sprite, as the sprite's tests take it (the box up to date).
TSpritePlace PlaceOf(CInstance* inst, const Rect& box)
{
    // Non-finite or far-off numbers are held to a range the integers take.
    auto whole = [](float v, bool round) {
        if (!std::isfinite(v)) return 0;
        v = std::clamp(v, -1e9f, 1e9f);
        return (int)(round ? std::lrint(v) : std::trunc(v));
    };
    return {whole(inst->image_index, false), {box.left, box.top, box.right, box.bottom}, whole(inst->x, true),
            whole(inst->y, true), inst->image_xscale, inst->image_yscale, inst->image_angle};
}

// Whether the shape touches the instance. Its box must meet the shape's bounds; then, in a precise
// test of an instance whose sprite is precise and has masks, the sprite's pixel test decides,
// else the shape's test against the box.
template <class PixelTest, class BoxTest>
bool Touches(CInstance* inst, const Rect& bounds, bool precise, PixelTest pixels, BoxTest box)
{
    Rect own = BoxOf(inst), region;
    if (!Intersect(own, bounds, &region)) return false;
    CSprite* s = precise ? ShapeSprite(inst) : nullptr;
    if (s && s->m_precise && s->m_hasMasks) return pixels(s, PlaceOf(inst, own));
    return box(own);
}

// The cell [l, r + 1] x [t, b + 1] of real coordinates against an ellipse.
bool EllipseTouchesCell(float cx, float cy, float rx, float ry, double l, double t, double r, double b)
{
    double nx = std::clamp((double)cx, l, r), ny = std::clamp((double)cy, t, b);
    double dx = nx - cx, dy = ny - cy;
    auto term = [](double d, double radius) { return radius > 0 ? (d / radius) * (d / radius) : (d == 0 ? 0.0 : 2.0); };
    return term(dx, rx) + term(dy, ry) <= 1.0;
}

// Liang-Barsky: whether the segment meets the closed rectangle.
bool SegmentTouchesCell(double x1, double y1, double x2, double y2, double l, double t, double r, double b)
{
    double t0 = 0, t1 = 1, dx = x2 - x1, dy = y2 - y1;
    const double p[4] = {-dx, dx, -dy, dy}, q[4] = {x1 - l, r - x1, y1 - t, b - y1};
    for (int i = 0; i < 4; i++) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        double u = q[i] / p[i];
        if (p[i] < 0) t0 = std::max(t0, u);
        else t1 = std::min(t1, u);
        if (t0 > t1) return false;
    }
    return true;
}

// The first live instance of the target passing the test; skip is passed over.
template <class Test>
CInstance* FirstOf(int target, CInstance* skip, Test test)
{
    if (target >= INSTANCE_ID_FIRST) {
        CInstance* inst = Instance_Find(target);
        return inst && inst != skip && !inst->marked && test(inst) ? inst : nullptr;
    }
    if (target != -3 && target < 0) return nullptr;
    auto first = [&](const auto& list) -> CInstance* {
        for (CInstance* inst : list)
            if (inst != skip && !inst->marked && !inst->deactivated && test(inst)) return inst;
        return nullptr;
    };
    if (!Run_Room) {
        std::vector<CInstance*> loose;
        Instance_CollectTargets(target, nullptr, nullptr, loose);
        return first(loose);
    }
    if (target == -3) return first(Run_Room->active);
    CObject* o = Object_Find(target);
    return o ? first(o->instances) : nullptr;
}

}  // namespace

bool Collision_InstancesOverlap(CInstance* a, CInstance* b, bool precise)
{
    if (!a || !b) return false;
    Rect ra = BoxOf(a), rb = BoxOf(b), region;
    if (!Intersect(ra, rb, &region)) return false;
    CSprite *sa = precise ? ShapeSprite(a) : nullptr, *sb = precise ? ShapeSprite(b) : nullptr;
    bool pa = sa && sa->m_precise, pb = sb && sb->m_precise;
    // Pixels count when either sprite is precise; a sprite without masks is solid over its frame.
    if (!pa && !pb) return true;
    if (sa && sb) return sa->CollisionSprite(PlaceOf(a, ra), sb, PlaceOf(b, rb));
    // The other shape is a plain box.
    if (pa) return sa->CollisionRectangle(PlaceOf(a, ra), {rb.left, rb.top, rb.right, rb.bottom});
    return sb->CollisionRectangle(PlaceOf(b, rb), {ra.left, ra.top, ra.right, ra.bottom});
}

bool Collision_InstanceCoversPoint(CInstance* inst, float x, float y, bool precise)
{
    int px = Pixel(x), py = Pixel(y);
    return Touches(
        inst, {px, py, px, py}, precise, [=](CSprite* s, const TSpritePlace& p) { return s->CollisionPoint(p, px, py); },
        [](const Rect&) { return true; });
}

bool Collision_InstanceTouchesRectangle(CInstance* inst, float x1, float y1, float x2, float y2, bool precise)
{
    Rect bounds{Pixel(std::min(x1, x2)), Pixel(std::min(y1, y2)), Pixel(std::max(x1, x2)), Pixel(std::max(y1, y2))};
    return Touches(
        inst, bounds, precise,
        [&](CSprite* s, const TSpritePlace& p) { return s->CollisionRectangle(p, {bounds.left, bounds.top, bounds.right, bounds.bottom}); },
        [](const Rect&) { return true; });
}

bool Collision_InstanceTouchesEllipse(CInstance* inst, float x1, float y1, float x2, float y2, bool precise)
{
    float cx = (x1 + x2) / 2, cy = (y1 + y2) / 2, rx = std::fabs(x2 - x1) / 2, ry = std::fabs(y2 - y1) / 2;
    Rect bounds{Pixel(std::min(x1, x2)), Pixel(std::min(y1, y2)), Pixel(std::max(x1, x2)), Pixel(std::max(y1, y2))};
    return Touches(
        inst, bounds, precise,
        [&](CSprite* s, const TSpritePlace& p) { return s->CollisionEllipse(p, {bounds.left, bounds.top, bounds.right, bounds.bottom}); },
        [=](const Rect& b) { return EllipseTouchesCell(cx, cy, rx, ry, b.left, b.top, b.right + 1.0, b.bottom + 1.0); });
}

bool Collision_InstanceTouchesLine(CInstance* inst, float x1, float y1, float x2, float y2, bool precise)
{
    Rect bounds{Pixel(std::min(x1, x2)), Pixel(std::min(y1, y2)), Pixel(std::max(x1, x2)), Pixel(std::max(y1, y2))};
    // The pixel walk takes the line's end pixels, the left one first.
    int px1 = Pixel(x1), py1 = Pixel(y1), px2 = Pixel(x2), py2 = Pixel(y2);
    if (px1 > px2) std::swap(px1, px2), std::swap(py1, py2);
    return Touches(
        inst, bounds, precise, [=](CSprite* s, const TSpritePlace& p) { return s->CollisionLine(p, px1, py1, px2, py2); },
        [=](const Rect& b) { return SegmentTouchesCell(x1, y1, x2, y2, b.left, b.top, b.right + 1.0, b.bottom + 1.0); });
}

CInstance* Collision_AtPoint(CInstance* self, float x, float y, int target, bool precise, bool notme)
{
    return FirstOf(target, notme ? self : nullptr,
                   [&](CInstance* i) { return Collision_InstanceCoversPoint(i, x, y, precise); });
}

CInstance* Collision_Rectangle(CInstance* self, float x1, float y1, float x2, float y2, int target, bool precise,
                               bool notme)
{
    return FirstOf(target, notme ? self : nullptr,
                   [&](CInstance* i) { return Collision_InstanceTouchesRectangle(i, x1, y1, x2, y2, precise); });
}

CInstance* Collision_Ellipse(CInstance* self, float x1, float y1, float x2, float y2, int target, bool precise,
                             bool notme)
{
    return FirstOf(target, notme ? self : nullptr,
                   [&](CInstance* i) { return Collision_InstanceTouchesEllipse(i, x1, y1, x2, y2, precise); });
}

CInstance* Collision_Line(CInstance* self, float x1, float y1, float x2, float y2, int target, bool precise,
                          bool notme)
{
    return FirstOf(target, notme ? self : nullptr,
                   [&](CInstance* i) { return Collision_InstanceTouchesLine(i, x1, y1, x2, y2, precise); });
}

bool Collision_PositionMeeting(float x, float y, int target) { return Instance_AtPosition(x, y, target) != nullptr; }

CInstance* Instance_AtPosition(float x, float y, int target)
{
    return FirstOf(target, nullptr, [&](CInstance* i) { return Collision_InstanceCoversPoint(i, x, y, true); });
}

// The active instances covering the point, gathered before any event runs.
static std::vector<CInstance*> CoveringPoint(float x, float y)
{
    std::vector<CInstance*> found;
    if (!Run_Room) return found;
    for (CInstance* i : Run_Room->active)
        if (!i->marked && Collision_InstanceCoversPoint(i, x, y, true)) found.push_back(i);
    return found;
}

void Instance_DestroyAtPosition(float x, float y)
{
    for (CInstance* i : CoveringPoint(x, y)) Instance_Destroy(i);
}

void Instance_ChangeAtPosition(float x, float y, int object, bool perform)
{
    if (!Object_Exists(object)) {
        Instance_ChangeObject(nullptr, object, perform);  // reports the missing object
        return;
    }
    for (CInstance* i : CoveringPoint(x, y))
        if (!i->marked) Instance_ChangeObject(i, object, perform);
}

CInstance* Instance_Place(CInstance* self, float x, float y, int target)
{
    if (!self) return nullptr;
    return self->TryAt(x, y, [&] {
        return FirstOf(target, self, [&](CInstance* i) { return Collision_InstancesOverlap(self, i, true); });
    });
}

bool Instance_PlaceBlocked(CInstance* self, float x, float y, int target, bool solidOnly)
{
    if (!self) return false;
    return self->TryAt(x, y, [&] {
        return FirstOf(target, self, [&](CInstance* i) {
            return (!solidOnly || i->solid) && Collision_InstancesOverlap(self, i, true);
        }) != nullptr;
    });
}

bool Instance_PlaceFree(CInstance* self, float x, float y) { return !Instance_PlaceBlocked(self, x, y, -3, true); }
bool Instance_PlaceEmpty(CInstance* self, float x, float y) { return !Instance_PlaceBlocked(self, x, y, -3, false); }

bool Instance_PlaceMeeting(CInstance* self, float x, float y, int target)
{
    return Instance_Place(self, x, y, target) != nullptr;
}
