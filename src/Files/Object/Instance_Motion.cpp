// The motion, image, path and alarm operations of CInstance.
#include "Object/Instance_Class.h"
#include "Sprite/Sprite_Class.h"
#include "Sprite/Sprite_Main.h"
#include "Path/Path_Main.h"

#include <algorithm>
#include <cmath>

static float FoldDegrees(float d)
{
    if (!std::isfinite(d)) return 0.0f;
    d = fmodf(d, 360.0f);
    if (d < 0.0f) d += 360.0f;
    return d;
}

static void SpeedFromComponents(CInstance* inst)
{
    inst->speed = sqrtf(inst->hspeed * inst->hspeed + inst->vspeed * inst->vspeed);
    if (inst->hspeed != 0.0f || inst->vspeed != 0.0f)
        inst->direction = FoldDegrees((float)(atan2(-inst->vspeed, inst->hspeed) * 180.0 / M_PI));
}

static void ComponentsFromSpeed(CInstance* inst)
{
    double a = inst->direction * M_PI / 180.0;
    inst->hspeed = (float)(inst->speed * cos(a));
    inst->vspeed = (float)(-inst->speed * sin(a));
}

void CInstance::SetPosition(float nx, float ny)
{
    if (nx != x || ny != y) bbox_dirty = true;
    x = nx;
    y = ny;
}

void CInstance::SetDirection(float d)
{
    direction = FoldDegrees(d);
    ComponentsFromSpeed(this);
}

void CInstance::SetSpeed(float s)
{
    speed = s;
    ComponentsFromSpeed(this);
}

void CInstance::SetHSpeed(float h)
{
    hspeed = h;
    SpeedFromComponents(this);
}

void CInstance::SetVSpeed(float v)
{
    vspeed = v;
    SpeedFromComponents(this);
}

void CInstance::AddMotion(float dir, float sp)
{
    double a = dir * M_PI / 180.0;
    hspeed += (float)(sp * cos(a));
    vspeed -= (float)(sp * sin(a));
    SpeedFromComponents(this);
}

void CInstance::SetImageXScale(float s)
{
    if (s != image_xscale) bbox_dirty = true;
    image_xscale = s;
}

void CInstance::SetImageYScale(float s)
{
    if (s != image_yscale) bbox_dirty = true;
    image_yscale = s;
}

void CInstance::SetImageAngle(float a)
{
    if (a != image_angle) bbox_dirty = true;
    image_angle = a;
}

void CInstance::SetSprite(int sprite)
{
    if (sprite != sprite_index) bbox_dirty = true;
    sprite_index = sprite;
}

void CInstance::SetMask(int mask)
{
    if (mask != mask_index) bbox_dirty = true;
    mask_index = mask;
}

void CInstance::SetPathPosition(float p)
{
    if (!(p > 0.0f)) p = 0.0f;
    if (p > 1.0f) p = 1.0f;
    path_position = p;
}

void CInstance::SetPathSpeed(float s) { path_speed = s; }

// Places the instance at its path position: the path's shape, scaled and turned about its first
// point, starting at path_xstart, path_ystart.
static void PlaceOnPath(CInstance* inst, const CPath* path)
{
    PathPoint p0 = path->GetPoint(0), pt = path->GetPointAt(inst->path_position);
    double dx = (pt.x - p0.x) * inst->path_scale, dy = (pt.y - p0.y) * inst->path_scale;
    double a = inst->path_orientation * M_PI / 180.0, c = cos(a), s = sin(a);
    inst->SetPosition((float)(inst->path_xstart + c * dx + s * dy), (float)(inst->path_ystart - s * dx + c * dy));
}

void CInstance::StartPath(int path, float sp, float scale, float orientation, bool relative, int endAction)
{
    CPath* p = Path_Get(path);
    if (!p || p->GetCount() == 0) {
        path_index = -1;
        return;
    }
    path_index = path;
    path_speed = sp;
    path_scale = scale;
    path_orientation = orientation;
    path_endaction = endAction;
    path_position = sp < 0.0f ? 1.0f : 0.0f;
    path_positionprevious = path_position;
    const PathPoint& p0 = p->GetPoint(0);
    path_xstart = relative ? x : p0.x;
    path_ystart = relative ? y : p0.y;
    if (sp < 0.0f && relative) {
        // Going backwards from the end: the end point is where the instance stands.
        PathPoint e = p->GetPointAt(1.0f);
        path_xstart -= (e.x - p0.x) * scale;
        path_ystart -= (e.y - p0.y) * scale;
    }
    PlaceOnPath(this, p);
}

bool CInstance::AdvancePath()
{
    CPath* p = Path_Get(path_index);
    if (!p) return false;
    float length = p->GetLength() * path_scale;
    if (length <= 0.0f) return false;
    float pointSpeed = p->GetPointAt(path_position).speed;
    path_position += path_speed * pointSpeed / 100.0f / length;
    bool reached = false;
    if (path_position >= 1.0f || path_position <= 0.0f) {
        if (path_position >= 1.0f && path_speed < 0.0f) return false;
        if (path_position <= 0.0f && path_speed > 0.0f) return false;
        reached = true;
        float atEnd = path_position >= 1.0f ? 1.0f : 0.0f;
        switch (path_endaction) {
        case 1:  // restart from the other end
            path_position = 1.0f - atEnd;
            break;
        case 2: {  // continue: the path goes on from where this run ended
            path_position = atEnd;
            PlaceOnPath(this, p);
            float ex = x, ey = y;
            path_position = 1.0f - atEnd;
            PlaceOnPath(this, p);
            path_xstart += ex - x;
            path_ystart += ey - y;
            break;
        }
        case 3:  // reverse
            path_position = atEnd;
            path_speed = -path_speed;
            break;
        default:  // stop
            path_position = atEnd;
            PlaceOnPath(this, p);
            path_index = -1;
            return true;
        }
    }
    PlaceOnPath(this, p);
    return reached;
}

int CInstance::GetAlarm(int index) const
{
    return index >= 0 && index < ALARM_COUNT ? alarm[index] : -1;
}

void CInstance::SetAlarm(int index, int value)
{
    if (index >= 0 && index < ALARM_COUNT) alarm[index] = value;
}

// A room coordinate as a pixel number, held to a range where the arithmetic stays defined.
static int BoxPixel(double v)
{
    if (!(v > -1e9)) return -1000000000;
    return (int)std::lrint(std::min(v, 1e9));
}

void CInstance::Compute_BoundingBox()
{
    if (!bbox_dirty) return;
    bbox_dirty = false;
    const CSprite* s = Sprite_Get(mask_index);
    if (!s) s = Sprite_Get(sprite_index);
    if (!s) {
        // Without a sprite or mask the box is the instance's position.
        bbox_left = bbox_right = BoxPixel(x);
        bbox_top = bbox_bottom = BoxPixel(y);
        return;
    }
    // The sprite's box (pixel cells, relative to its origin) scaled, turned about the origin and
    // placed at the instance; the box covers the cells the turned rectangle spans.
    // In doubles: a game may set any origin, and an int difference could overflow.
    double l = double(s->m_bbox.left) - s->m_xorigin, r = s->m_bbox.right + 1.0 - s->m_xorigin;
    double t = double(s->m_bbox.top) - s->m_yorigin, b = s->m_bbox.bottom + 1.0 - s->m_yorigin;
    double c = 1.0, sn = 0.0;  // most instances are not turned: no trigonometry for them
    if (image_angle != 0.0f) {
        double a = image_angle * 3.14159265358979323846 / 180.0;
        c = std::cos(a);
        sn = std::sin(a);
    }
    double minx = INFINITY, maxx = -INFINITY, miny = INFINITY, maxy = -INFINITY;
    for (double cx : {l, r})
        for (double cy : {t, b}) {
            double px = cx * image_xscale, py = cy * image_yscale;
            double rx = px * c + py * sn, ry = -px * sn + py * c;
            minx = std::min(minx, rx), maxx = std::max(maxx, rx);
            miny = std::min(miny, ry), maxy = std::max(maxy, ry);
        }
    bbox_left = BoxPixel(x + minx);
    bbox_top = BoxPixel(y + miny);
    bbox_right = std::max<int>(bbox_left, BoxPixel(x + maxx) - 1);
    bbox_bottom = std::max<int>(bbox_top, BoxPixel(y + maxy) - 1);
}
