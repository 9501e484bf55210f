// Collision boxes, per-pixel masks and the pixel-exact collision tests. The tests work in room
// pixels: each pixel of the region in question is mapped back into the frame through the
// instance's position, scale and angle and looked up in the frame's mask. A region too large to
// walk (a frame scaled up thousands of times) is searched by frame pixels instead (FrameSearch).
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
    // Truncation toward zero gives the first column and row frame coordinates from -1 on.
    double first = map.truncate ? -1 : 0;
    double us[2] = {(first - sp.m_xorigin) * p.xscale, ((double)sp.m_width - sp.m_xorigin) * p.xscale};
    double vs[2] = {(first - sp.m_yorigin) * p.yscale, ((double)sp.m_height - sp.m_yorigin) * p.yscale};
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
    // Two pixels of margin cover rounding.
    auto clamp = [](double v) { return (int64_t)std::clamp(v, -4e9, 4e9); };
    region->Meet(p.x + clamp(std::floor(minX)) - 2, p.y + clamp(std::floor(minY)) - 2,
                 p.x + clamp(std::ceil(maxX)) + 2, p.y + clamp(std::ceil(maxY)) + 2);
}

// Above this many room pixels (or line steps) a test searches the frame's pixels instead of
// walking room pixels, so that no script value makes a test run for seconds.
int64_t g_walkLimit = (int64_t)1 << 22;

bool WalkTooLong(double steps) { return steps > (double)g_walkLimit; }

// A convex polygon in room coordinates; clipping a parallelogram by four sides leaves at most 8
// corners.
struct Poly {
    double x[12], y[12];
    int n = 0;
    void Add(double px, double py) { x[n] = px, y[n] = py, n++; }
};

// Keeps the part of the polygon where a * x + b * y <= limit.
Poly ClipSide(const Poly& in, double a, double b, double limit)
{
    Poly out;
    for (int i = 0; i < in.n; i++) {
        int j = (i + 1) % in.n;
        double di = a * in.x[i] + b * in.y[i] - limit, dj = a * in.x[j] + b * in.y[j] - limit;
        if (di <= 0) out.Add(in.x[i], in.y[i]);
        if ((di < 0 && dj > 0) || (di > 0 && dj < 0)) {
            double t = di / (di - dj);
            out.Add(in.x[i] + t * (in.x[j] - in.x[i]), in.y[i] + t * (in.y[j] - in.y[i]));
        }
    }
    return out;
}

Poly ClipToRegion(Poly p, const Region& r)
{
    p = ClipSide(p, -1, 0, -(double)r.left);
    p = ClipSide(p, 1, 0, (double)r.right);
    p = ClipSide(p, 0, -1, -(double)r.top);
    return ClipSide(p, 0, 1, (double)r.bottom);
}

// Whether the axis (ax, ay) separates the two point sets.
bool Separates(const Poly& p, const Poly& q, double ax, double ay)
{
    if (ax == 0 && ay == 0) return false;
    double pMin = INFINITY, pMax = -INFINITY, qMin = INFINITY, qMax = -INFINITY;
    for (int i = 0; i < p.n; i++) pMin = std::min(pMin, ax * p.x[i] + ay * p.y[i]), pMax = std::max(pMax, ax * p.x[i] + ay * p.y[i]);
    for (int i = 0; i < q.n; i++) qMin = std::min(qMin, ax * q.x[i] + ay * q.y[i]), qMax = std::max(qMax, ax * q.x[i] + ay * q.y[i]);
    return pMax < qMin || qMax < pMin;
}

// Convex polygons (points and segments included) meet, touching counts.
bool PolysMeet(const Poly& p, const Poly& q)
{
    if (p.n == 0 || q.n == 0) return false;
    for (const Poly* a : {&p, &q})
        for (int i = 0; i < a->n; i++) {
            int j = (i + 1) % a->n;
            if (Separates(p, q, a->y[i] - a->y[j], a->x[j] - a->x[i])) return false;
        }
    return !Separates(p, q, q.x[0] - p.x[0], q.y[0] - p.y[0]);
}

// A convex polygon meets the unit circle about the origin.
bool PolyMeetsUnitCircle(const Poly& p)
{
    double area = 0;
    for (int i = 0; i < p.n; i++) {
        int j = (i + 1) % p.n;
        area += p.x[i] * p.y[j] - p.x[j] * p.y[i];
    }
    bool inside = area != 0;
    for (int i = 0; i < p.n; i++) {
        int j = (i + 1) % p.n;
        double ex = p.x[j] - p.x[i], ey = p.y[j] - p.y[i];
        if ((ex * -p.y[i] - ey * -p.x[i]) * area < 0) inside = false;
        double len = ex * ex + ey * ey, t = len > 0 ? std::clamp(-(p.x[i] * ex + p.y[i] * ey) / len, 0.0, 1.0) : 0;
        double nx = p.x[i] + t * ex, ny = p.y[i] + t * ey;
        if (nx * nx + ny * ny <= 1) return true;
    }
    return inside;
}

// A block of frame pixels [x0, x1) x [y0, y1).
struct Block {
    int x0, y0, x1, y1;
};

// The frame's pixels as blocks that can be counted and placed in the room. The search answers
// whether a set pixel's square, mapped into the room as a parallelogram and clipped to the
// region, meets the query shape as a real shape (touching counts). It skips the room-pixel
// rounding of the walk: it may report a meeting that no whole room pixel witnesses, so it serves
// only footprints whose pixels are far larger than a room pixel.
struct FrameSearch {
    const FrameMap* map;
    const Region* region;
    std::vector<int64_t> sum;  // (w + 1) x (h + 1) counts of set pixels above and left

    FrameSearch(const FrameMap& m, const Region& r, bool onlyOne) : map(&m), region(&r)
    {
        int w = m.sprite->m_width, h = m.sprite->m_height;
        sum.assign((size_t)(w + 1) * (h + 1), 0);
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++)
                sum[(size_t)(y + 1) * (w + 1) + x + 1] = sum[(size_t)(y + 1) * (w + 1) + x] + sum[(size_t)y * (w + 1) + x + 1] -
                                                         sum[(size_t)y * (w + 1) + x] + (onlyOne ? m.MaskIsOne(x, y) : m.Solid(x, y));
    }
    Block Whole() const { return {0, 0, map->sprite->m_width, map->sprite->m_height}; }
    int64_t Count(const Block& b) const
    {
        size_t w = map->sprite->m_width + 1;
        return sum[b.y1 * w + b.x1] - sum[b.y0 * w + b.x1] - sum[b.y1 * w + b.x0] + sum[b.y0 * w + b.x0];
    }
    // The block's room parallelogram clipped to the region. Truncation toward zero gives the
    // first column and row frame coordinates from -1 on.
    Poly Place(const Block& b) const
    {
        const CSprite& sp = *map->sprite;
        const TSpritePlace& p = *map->place;
        double f0 = b.x0 == 0 && map->truncate ? -1 : b.x0, g0 = b.y0 == 0 && map->truncate ? -1 : b.y0;
        double us[2] = {(f0 - sp.m_xorigin) * p.xscale, ((double)b.x1 - sp.m_xorigin) * p.xscale};
        double vs[2] = {(g0 - sp.m_yorigin) * p.yscale, ((double)b.y1 - sp.m_yorigin) * p.yscale};
        Poly q;
        for (int k : {0, 1, 3, 2}) {
            double u = us[k & 1], v = vs[k >> 1];
            q.Add(p.x + map->c * u - map->s * v, p.y + map->s * u + map->c * v);
        }
        return ClipToRegion(q, *region);
    }
    bool Single(const Block& b) const { return b.x1 - b.x0 == 1 && b.y1 - b.y0 == 1; }
    // Splits along the side that is longer in the room.
    void Split(const Block& b, Block* one, Block* two) const
    {
        double w = (b.x1 - b.x0) * std::fabs(map->place->xscale), h = (b.y1 - b.y0) * std::fabs(map->place->yscale);
        *one = *two = b;
        if (b.y1 - b.y0 == 1 || (b.x1 - b.x0 > 1 && w >= h))
            one->x1 = two->x0 = (b.x0 + b.x1) / 2;
        else
            one->y1 = two->y0 = (b.y0 + b.y1) / 2;
    }
    double Size(const Block& b) const
    {
        return std::max((b.x1 - b.x0) * std::fabs(map->place->xscale), (b.y1 - b.y0) * std::fabs(map->place->yscale));
    }

    // Some set pixel of the block meets the shape (a test on clipped polygons).
    template <typename Meets> bool Find(const Block& b, const Meets& meets) const
    {
        if (Count(b) == 0 || !meets(Place(b))) return false;
        if (Single(b)) return true;
        Block one, two;
        Split(b, &one, &two);
        return Find(one, meets) || Find(two, meets);
    }
    // Some set pixel of the block meets a set pixel of the other frame's block.
    bool FindWith(const Block& b, const FrameSearch& other, const Block& ob) const
    {
        if (Count(b) == 0 || other.Count(ob) == 0 || !PolysMeet(Place(b), other.Place(ob))) return false;
        if (Single(b) && other.Single(ob)) return true;
        Block one, two;
        if (!Single(b) && (other.Single(ob) || Size(b) >= other.Size(ob))) {
            Split(b, &one, &two);
            return FindWith(one, other, ob) || FindWith(two, other, ob);
        }
        other.Split(ob, &one, &two);
        return FindWith(b, other, one) || FindWith(b, other, two);
    }
};
}

void Sprite_SetWalkLimit(int64_t pixels)
{
    g_walkLimit = pixels;
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
    // A sprite of the game data file has no frame images to build masks from: it keeps those of
    // its record.
    if (HasPageEntries()) return;
    FreeMasks();
    if (!m_precise || !m_transparent || m_numb < 1) return;
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
    if (WalkTooLong((double)xs.Count() * ys.Count())) {
        FrameSearch a(one, r, false), b(two, r, false);
        return a.FindWith(a.Whole(), b, b.Whole());
    }
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
    if (WalkTooLong((double)xs.Count() * ys.Count())) {
        FrameSearch search(map, r, true);
        // The region lies inside the rectangle already; the ellipse is made a unit circle.
        if (!ellipse || !rx || !ry) return search.Find(search.Whole(), [](const Poly& p) { return p.n > 0; });
        return search.Find(search.Whole(), [&](Poly p) {
            for (int i = 0; i < p.n; i++) p.x[i] = (p.x[i] - cx) / rx, p.y[i] = (p.y[i] - cy) / ry;
            return PolyMeetsUnitCircle(p);
        });
    }
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
    if (r.Empty()) return false;
    bool steep = std::abs((int64_t)x2 - x1) < std::abs((int64_t)y2 - y1);
    int64_t lo = steep ? std::max<int64_t>(r.top, std::min(y1, y2)) : std::max<int64_t>(r.left, std::min(x1, x2));
    int64_t hi = steep ? std::min<int64_t>(r.bottom, std::max(y1, y2)) : std::min<int64_t>(r.right, std::max(x1, x2));
    if (WalkTooLong((double)hi - lo + 1)) {
        Poly segment;
        segment.Add(x1, y1);
        segment.Add(x2, y2);
        FrameSearch search(map, r, true);
        return search.Find(search.Whole(), [&](const Poly& p) { return PolysMeet(p, segment); });
    }
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
