// Collision boxes, per-pixel masks and the pixel-exact collision tests. The tests work in room
// pixels: each pixel of the region in question is mapped back into the frame through the
// instance's position, scale and angle and looked up in the frame's mask.
#include "Sprite/Sprite_Class.h"

#include "Graphics_API/Bitmap32.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {
const float PI_F = 3.1415927f;

// How room pixels map into one sprite's frame for one test.
struct FrameMap {
    const CSprite* sprite;
    const TSpritePlace* place;
    const uint8_t* mask;  // null: solid over the whole frame
    float s, c;
    bool offsetOnly;  // unscaled and unturned: an integer offset
    bool truncate;    // truncate toward zero instead of flooring

    FrameMap(const CSprite* sp, const TSpritePlace& p, bool exactAngle, bool trunc)
        : sprite(sp), place(&p), mask(nullptr), truncate(trunc)
    {
        float a = -p.angle * PI_F / 180;
        s = std::sin(a);
        c = std::cos(a);
        bool noTurn = exactAngle ? p.angle == 0 : std::fabs(p.angle) < 0.0001f;
        offsetOnly = p.xscale == 1 && p.yscale == 1 && noTurn;
        int count = (int)sp->m_masks.size();
        if (sp->m_hasMasks && count > 0) {
            int m = p.image % count;
            if (m < 0) m += count;
            const std::vector<uint8_t>& bytes = sp->m_masks[m];
            if (bytes.size() == (size_t)sp->m_width * sp->m_height) mask = bytes.data();
        }
    }

    // The frame pixel under a room position; false outside the frame. Scales of 0 and other
    // non-finite results land outside, so they never hit.
    // (dx, dy): the room position less the instance position.
    bool Map(float dx, float dy, int* fx, int* fy) const
    {
        const CSprite& sp = *sprite;
        float lx = (dy * s + dx * c) / place->xscale + sp.m_xorigin;
        float ly = (dy * c - dx * s) / place->yscale + sp.m_yorigin;
        lx = truncate ? std::trunc(lx) : std::floor(lx);
        ly = truncate ? std::trunc(ly) : std::floor(ly);
        if (!(lx >= 0 && lx < sp.m_width && ly >= 0 && ly < sp.m_height)) return false;
        *fx = (int)lx;
        *fy = (int)ly;
        return true;
    }
    bool MapPixel(int64_t X, int64_t Y, int* fx, int* fy) const
    {
        if (!offsetOnly) return Map((float)(X - place->x), (float)(Y - place->y), fx, fy);
        int64_t lx = X - place->x + sprite->m_xorigin, ly = Y - place->y + sprite->m_yorigin;
        if (lx < 0 || lx >= sprite->m_width || ly < 0 || ly >= sprite->m_height) return false;
        *fx = (int)lx;
        *fy = (int)ly;
        return true;
    }
    bool Solid(int fx, int fy) const { return !mask || mask[(size_t)fy * sprite->m_width + fx] != 0; }
    bool MaskIsOne(int fx, int fy) const { return !mask || mask[(size_t)fy * sprite->m_width + fx] == 1; }
};

// An inclusive range of room pixels; empty when left > right or top > bottom.
struct Region {
    int64_t left, top, right, bottom;
    void Meet(int64_t l, int64_t t, int64_t r, int64_t b)
    {
        left = std::max(left, l);
        top = std::max(top, t);
        right = std::min(right, r);
        bottom = std::min(bottom, b);
    }
    void Meet(const TSpriteBox& b) { Meet(b.left, b.top, b.right, b.bottom); }
    bool Empty() const { return left > right || top > bottom; }
};

// The room columns (or rows) of a span that a test visits. A short span is visited whole. Over a
// long one, a frame that is not turned maps runs of room pixels to one frame column, so only the
// pixels at each frame edge (and one on either side, for rounding) need a visit: a frame scaled
// up a thousand times then costs no more than an unscaled one.
const int64_t SPAN_VISITED_WHOLE = 4096;

struct Visits {
    int64_t from, to;
    std::vector<int64_t> sparse;  // the pixels to visit when isSparse
    bool isSparse = false;

    Visits(int64_t f, int64_t t, std::initializer_list<const FrameMap*> maps, bool vertical, bool maySkip = true)
        : from(f), to(t)
    {
        if (!maySkip || t - f < SPAN_VISITED_WHOLE) return;
        for (const FrameMap* m : maps)
            if (m->place->angle != 0) return;
        isSparse = true;
        sparse.push_back(f);
        for (const FrameMap* m : maps) {
            const CSprite& sp = *m->sprite;
            double pos = vertical ? m->place->y : m->place->x, scale = vertical ? m->place->yscale : m->place->xscale;
            int origin = vertical ? sp.m_yorigin : sp.m_xorigin, size = vertical ? sp.m_height : sp.m_width;
            // Truncation toward zero also changes at -1.
            for (int k = -1; k <= size; k++) {
                double edge = pos + ((double)k - origin) * scale;
                if (!std::isfinite(edge)) continue;
                int64_t c = (int64_t)std::ceil(std::clamp(edge, -4e18, 4e18));
                for (int64_t v : {c - 1, c, c + 1})
                    if (v >= f && v <= t) sparse.push_back(v);
            }
        }
        std::sort(sparse.begin(), sparse.end());
        sparse.erase(std::unique(sparse.begin(), sparse.end()), sparse.end());
    }
    int64_t Count() const { return isSparse ? (int64_t)sparse.size() : std::max<int64_t>(0, to - from + 1); }
    int64_t At(int64_t i) const { return isSparse ? sparse[i] : from + i; }
};

// Narrows a region to the room pixels that the frame can cover, so that no test walks pixels
// that cannot map into the frame, however large the boxes it is given.
void MeetFrame(Region* region, const FrameMap& map)
{
    const CSprite& sp = *map.sprite;
    const TSpritePlace& p = *map.place;
    double us[2] = {-(double)sp.m_xorigin * p.xscale, ((double)sp.m_width - sp.m_xorigin) * p.xscale};
    double vs[2] = {-(double)sp.m_yorigin * p.yscale, ((double)sp.m_height - sp.m_yorigin) * p.yscale};
    double minX = INFINITY, maxX = -INFINITY, minY = INFINITY, maxY = -INFINITY;
    for (double u : us)
        for (double v : vs) {
            double dx = map.c * u - map.s * v, dy = map.s * u + map.c * v;
            minX = std::min(minX, dx), maxX = std::max(maxX, dx);
            minY = std::min(minY, dy), maxY = std::max(maxY, dy);
        }
    if (!(std::isfinite(minX) && std::isfinite(maxX) && std::isfinite(minY) && std::isfinite(maxY))) {
        region->right = region->left - 1;
        return;
    }
    // Two pixels of margin cover rounding and truncation toward zero.
    auto clamp = [](double v) { return (int64_t)std::clamp(v, -4e9, 4e9); };
    region->Meet(p.x + clamp(std::floor(minX)) - 2, p.y + clamp(std::floor(minY)) - 2,
                 p.x + clamp(std::ceil(maxX)) + 2, p.y + clamp(std::ceil(maxY)) + 2);
}
}

void CSprite::ComputeBoundingBox()
{
    ComputeCullRadius();
    if (m_bboxMode == BBOX_MANUAL) return;
    if (m_bboxMode == BBOX_FULL || !m_transparent) {
        m_bbox = {0, 0, m_width - 1, m_height - 1};
        return;
    }
    if (m_numb < 1) {
        m_bbox = {0, 0, 0, 0};
        return;
    }
    TSpriteBox box = {m_width - 1, m_height - 1, 0, 0};
    if (HasPageEntries()) {
        // A sprite of the game data file has no frame images: its masks give the solid pixels,
        // and without masks the box of its record stays.
        if (!m_hasMasks) return;
        for (const std::vector<uint8_t>& mask : m_masks)
            for (size_t i = 0; i < mask.size(); i++) {
                if (!mask[i]) continue;
                int x = (int)(i % m_width), y = (int)(i / m_width);
                box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x), std::max(box.bottom, y)};
            }
        m_bbox = box;
        return;
    }
    for (const CBitmap32* b : m_bitmaps) {
        TSpriteBox f;
        if (!b || !b->GetBoundingBox(&f.left, &f.top, &f.right, &f.bottom)) continue;
        box = {std::min(box.left, f.left), std::min(box.top, f.top), std::max(box.right, f.right), std::max(box.bottom, f.bottom)};
    }
    m_bbox = box;
}

void CSprite::FreeMasks()
{
    m_masks.clear();
    m_hasMasks = false;
}

void CSprite::CreateMask()
{
    FreeMasks();
    if (!m_precise || !m_transparent || m_numb < 1 || HasPageEntries()) return;
    size_t size = (size_t)m_width * m_height;
    m_masks.resize(m_numb);
    for (int f = 0; f < m_numb; f++) {
        std::vector<uint8_t>& mask = m_masks[f];
        mask.assign(size, 0);
        const CBitmap32* b = f < (int)m_bitmaps.size() ? m_bitmaps[f] : nullptr;
        if (!b || !b->m_valid || b->GetWidth() != m_width || b->GetHeight() != m_height) continue;
        const uint32_t* pixels = b->GetData();
        for (size_t i = 0; i < size; i++) mask[i] = pixels[i] >= 0x01000000u;
    }
    m_hasMasks = true;
}

void CSprite::SetBoundingBoxMode(int mode)
{
    if (mode < BBOX_AUTOMATIC || mode > BBOX_MANUAL || mode == m_bboxMode) return;
    m_bboxMode = mode;
    ComputeBoundingBox();
}

void CSprite::SetBoundingBox(int left, int top, int right, int bottom)
{
    if (m_bboxMode == BBOX_MANUAL) m_bbox = {left, top, right, bottom};
}

void CSprite::SetPrecise(bool precise)
{
    if (precise == m_precise) return;
    m_precise = precise;
    CreateMask();
}

bool CSprite::CollisionSprite(const TSpritePlace& place, const CSprite* other, const TSpritePlace& otherPlace) const
{
    if (!other || m_numb < 1 || other->m_numb < 1) return false;
    FrameMap one(this, place, true, true), two(other, otherPlace, true, true);
    Region r = {INT64_MIN, INT64_MIN, INT64_MAX, INT64_MAX};
    r.Meet(place.box);
    r.Meet(otherPlace.box);
    MeetFrame(&r, one);
    MeetFrame(&r, two);
    if (r.Empty()) return false;
    Visits xs(r.left, r.right, {&one, &two}, false), ys(r.top, r.bottom, {&one, &two}, true);
    for (int64_t i = 0; i < xs.Count(); i++)
        for (int64_t j = 0; j < ys.Count(); j++) {
            int64_t X = xs.At(i), Y = ys.At(j);
            int x1, y1, x2, y2;
            if (!one.MapPixel(X, Y, &x1, &y1) || !one.Solid(x1, y1)) continue;
            if (two.MapPixel(X, Y, &x2, &y2) && two.Solid(x2, y2)) return true;
        }
    return false;
}

bool CSprite::CollisionPoint(const TSpritePlace& place, int px, int py) const
{
    if (!m_hasMasks) return true;
    if (m_numb < 1) return false;
    FrameMap map(this, place, false, false);
    int fx, fy;
    return map.MapPixel(px, py, &fx, &fy) && map.Solid(fx, fy);
}

// The pixels of the instance box and the rectangle, optionally only those inside the ellipse
// that the rectangle bounds.
static bool CollisionArea(const CSprite* sprite, const TSpritePlace& place, const TSpriteBox& rect, bool ellipse)
{
    FrameMap map(sprite, place, false, false);
    Region r = {INT64_MIN, INT64_MIN, INT64_MAX, INT64_MAX};
    r.Meet(place.box);
    r.Meet(rect);
    MeetFrame(&r, map);
    int64_t cx = ((int64_t)rect.left + rect.right) / 2, cy = ((int64_t)rect.top + rect.bottom) / 2;
    int64_t rx = ((int64_t)rect.right - rect.left) / 2, ry = ((int64_t)rect.bottom - rect.top) / 2;
    if (r.Empty()) return false;
    // Inside an ellipse every pixel counts on its own: no sparse visits.
    Visits xs(r.left, r.right, {&map}, false, !ellipse), ys(r.top, r.bottom, {&map}, true, !ellipse);
    for (int64_t i = 0; i < xs.Count(); i++)
        for (int64_t j = 0; j < ys.Count(); j++) {
            int64_t X = xs.At(i), Y = ys.At(j);
            if (ellipse) {
                // An axis under two pixels long has no half axis: the rectangle already bounds it.
                double ex = rx ? (double)(X - cx) / rx : 0, ey = ry ? (double)(Y - cy) / ry : 0;
                if (ex * ex + ey * ey > 1) continue;
            }
            int fx, fy;
            if (map.MapPixel(X, Y, &fx, &fy) && map.MaskIsOne(fx, fy)) return true;
        }
    return false;
}

bool CSprite::CollisionRectangle(const TSpritePlace& place, const TSpriteBox& rect) const
{
    if (!m_hasMasks) return true;
    if (m_numb < 1) return false;
    return CollisionArea(this, place, rect, false);
}

bool CSprite::CollisionEllipse(const TSpritePlace& place, const TSpriteBox& rect) const
{
    if (!m_hasMasks) return true;
    if (m_numb < 1) return false;
    return CollisionArea(this, place, rect, true);
}

bool CSprite::CollisionLine(const TSpritePlace& place, int x1, int y1, int x2, int y2) const
{
    if (!m_hasMasks) return true;
    if (m_numb < 1) return false;
    if (x1 == x2 || y1 == y2)
        return CollisionArea(this, place, {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)}, false);
    FrameMap map(this, place, false, false);
    Region r = {INT64_MIN, INT64_MIN, INT64_MAX, INT64_MAX};
    r.Meet(place.box);
    MeetFrame(&r, map);
    int fx, fy;
    if (std::abs((int64_t)x2 - x1) < std::abs((int64_t)y2 - y1)) {
        if (y1 > y2) std::swap(x1, x2), std::swap(y1, y2);
        float slope = (float)((double)x2 - x1) / (float)((double)y2 - y1);
        for (int64_t Y = std::max<int64_t>(r.top, y1); Y <= std::min<int64_t>(r.bottom, y2); Y++)
            if (map.Map(x1 + (float)(Y - y1) * slope - place.x, (float)(Y - place.y), &fx, &fy) && map.MaskIsOne(fx, fy)) return true;
    } else {
        if (x1 > x2) std::swap(x1, x2), std::swap(y1, y2);
        float slope = (float)((double)y2 - y1) / (float)((double)x2 - x1);
        for (int64_t X = std::max<int64_t>(r.left, x1); X <= std::min<int64_t>(r.right, x2); X++)
            if (map.Map((float)(X - place.x), y1 + (float)(X - x1) * slope - place.y, &fx, &fy) && map.MaskIsOne(fx, fy)) return true;
    }
    return false;
}
