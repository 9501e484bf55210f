// Collision boxes, per-pixel masks and the pixel-exact collision tests. The tests work in room
// pixels: each pixel of the region in question is mapped back into the frame through the
// instance's position, scale and angle and looked up in the frame's mask. Along a row of room
// pixels one frame pixel covers a run of them, whose end is found by galloping rather than by
// mapping each pixel, so that a frame scaled up costs about what it costs unscaled; a frame that
// is not turned maps columns and rows on their own, so its runs are found once for the region.
// A turned frame whose region holds too many rows to walk (scaled up thousands of times) is
// searched by frame pixels instead (FrameSearch).
#include "Sprite/Sprite_Class.h"

#include "Graphics_API/Bitmap32.h"
#include "Graphics_API/GR_Texture.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {
const float PI_F = 3.1415927f;

// A frame pixel as the mapping gives it, each coordinate held to -1..size: -1 and size stand for
// every place before and after the frame. Held so, the mapping stays monotone along a row of room
// pixels: equal values at both ends of a span mean one frame pixel all along it.
struct Cell {
    int x, y;
    bool operator==(const Cell& o) const { return x == o.x && y == o.y; }
};

int Hold(float v, int size) { return !(v >= 0) ? -1 : v >= (float)size ? size : (int)v; }
int Hold(int64_t v, int size) { return v < 0 ? -1 : v >= size ? size : (int)v; }

// How a test maps room pixels: the sprite against sprite test truncates toward zero and takes
// the integer offset only at an angle of exactly 0; the point, rectangle and ellipse tests floor
// and take it below 0.0001 degrees; the line's walk always takes the general mapping.
enum class Mapping { SPRITE, SHAPE, LINE };

// How room pixels map into one sprite's frame for one test.
struct FrameMap {
    const CSprite* sprite;
    const TSpritePlace* place;
    const uint8_t* mask;  // null: solid over the whole frame
    int w, h;
    float s, c;
    bool offsetOnly;  // unscaled and unturned: an integer offset
    bool truncate;    // truncate toward zero instead of flooring
    bool separable;   // not turned: a room column maps to a frame column whatever the row
    double xinverse, yinverse;  // 1 / scale, for guessing where runs end

    FrameMap(const CSprite* sp, const TSpritePlace& p, Mapping mapping)
        : sprite(sp), place(&p), mask(nullptr), w(sp->m_width), h(sp->m_height), truncate(mapping == Mapping::SPRITE)
    {
        float a = -p.angle * PI_F / 180;
        s = std::sin(a);
        c = std::cos(a);
        bool noTurn = mapping == Mapping::SPRITE ? p.angle == 0 : std::fabs(p.angle) < 0.0001f;
        offsetOnly = mapping != Mapping::LINE && p.xscale == 1 && p.yscale == 1 && noTurn;
        separable = offsetOnly || s == 0;
        xinverse = 1.0 / p.xscale;
        yinverse = 1.0 / p.yscale;
        int count = (int)sp->m_masks.size();
        if (sp->m_hasMasks && count > 0) {
            int m = p.image % count;
            if (m < 0) m += count;
            const std::vector<uint8_t>& bytes = sp->m_masks[m];
            if (bytes.size() == (size_t)w * h) mask = bytes.data();
        }
    }

    // The frame pixel under a room point given relative to the instance position. Scales of 0
    // and other non-finite results land outside, so they never hit.
    Cell Map(float dx, float dy) const
    {
        float lx = (dy * s + dx * c) / place->xscale + sprite->m_xorigin;
        float ly = (dy * c - dx * s) / place->yscale + sprite->m_yorigin;
        lx = truncate ? std::trunc(lx) : std::floor(lx);
        ly = truncate ? std::trunc(ly) : std::floor(ly);
        return {Hold(lx, w), Hold(ly, h)};
    }
    Cell Pixel(int64_t X, int64_t Y) const
    {
        if (offsetOnly) return {Hold(X - place->x + sprite->m_xorigin, w), Hold(Y - place->y + sprite->m_yorigin, h)};
        return Map((float)(X - place->x), (float)(Y - place->y));
    }
    // Of a separable map: the frame column of a room column and the frame row of a room row
    // (a row through the instance's position maps no row term into the column).
    int Column(int64_t X) const { return Pixel(X, place->y).x; }
    int Row(int64_t Y) const { return Pixel(place->x, Y).y; }

    // How many more steps of (ux, uy) room pixels from the point (dx, dy) (relative to the
    // instance) stay in its frame pixel v, by the mapping's slope: a guess, as single precision
    // may end the run a step away.
    int64_t Reach(float dx, float dy, const Cell& v, double ux, double uy) const
    {
        if (offsetOnly) return 0;
        double lx = ((double)dy * s + (double)dx * c) * xinverse + sprite->m_xorigin;
        double ly = ((double)dy * c - (double)dx * s) * yinverse + sprite->m_yorigin;
        double steps = std::min(AxisReach(lx, (uy * s + ux * c) * xinverse, v.x, w), AxisReach(ly, (uy * c - ux * s) * yinverse, v.y, h));
        return steps < 1e15 ? (int64_t)steps : (int64_t)1e15;
    }
    // Steps until the coordinate l, moving by d a step, leaves frame coordinate k (of 0..size-1,
    // or -1 and size for either side): k covers [k, k + 1), and with truncation 0 covers (-1, 1).
    double AxisReach(double l, double d, int k, int size) const
    {
        double edge;
        if (d > 0) {
            if (k >= size) return INFINITY;
            edge = truncate && k == -1 ? -1 : k + 1;
        } else if (d < 0) {
            if (k < 0) return INFINITY;
            edge = truncate && k == 0 ? -1 : k;
        } else {
            return INFINITY;
        }
        double steps = std::ceil((edge - l) / d) - 1;
        return steps > 0 ? steps : 0;
    }
    // The runs of frame pixels along room row Y from X = from to to (see Runs).
    template <class Visit> bool RowRuns(int64_t from, int64_t to, int64_t Y, Visit visit) const;
    // Of a separable map: the runs of Column and Row.
    int64_t ColumnReach(int64_t X, int fx) const { return Reach((float)(X - place->x), 0, {fx, 0}, 1, 0); }
    int64_t RowReach(int64_t Y, int fy) const { return Reach(0, (float)(Y - place->y), {0, fy}, 0, 1); }
    bool InsideX(int fx) const { return fx >= 0 && fx < w; }
    bool InsideY(int fy) const { return fy >= 0 && fy < h; }
    bool Inside(const Cell& p) const { return InsideX(p.x) && InsideY(p.y); }
    bool Solid(int fx, int fy) const { return !mask || mask[(size_t)fy * w + fx] != 0; }
    bool MaskIsOne(int fx, int fy) const { return !mask || mask[(size_t)fy * w + fx] == 1; }
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

// Calls visit(from, to, value) for each run of equal values of value(t) over t in [from, to], in
// order, until visit returns true (then true). value must be monotone in each of its parts, so
// that equal values at both ends of a span mean equal values all along it. guess(t, value) tells
// how many more steps the run likely holds; a run is settled by checking the guessed end and the
// step after it, and where the guess misses, by galloping and halving, so it never costs more than
// about 2 log n evaluations.
template <class Value, class Guess, class Visit>
bool Runs(int64_t from, int64_t to, Value value, Guess guess, Visit visit)
{
    using V = decltype(value(from));
    V v = value(from);
    for (int64_t at = from; at <= to;) {
        int64_t same = at, differs = to + 1;
        V next{};  // the value at differs once known
        bool known = false;
        auto check = [&](int64_t t) {
            V got = value(t);
            if (got == v) {
                same = std::max(same, t);
                return true;
            }
            if (t < differs) differs = t, next = got, known = true;
            return false;
        };
        int64_t g = at + std::clamp<int64_t>(guess(at, v), 0, to - at);
        if (g > at) {
            if (check(g)) {
                if (g < to) check(g + 1);
            } else if (g - 1 > at) {
                check(g - 1);
            }
        }
        for (int64_t step = 1; step < differs - same; step *= 2)
            if (!check(same + step)) break;
        while (differs - same > 1) check(same + (differs - same) / 2);
        if (visit(at, same, v)) return true;
        at = same + 1;
        if (at <= to) v = known && differs == at ? next : value(at);
    }
    return false;
}

template <class Visit> bool FrameMap::RowRuns(int64_t from, int64_t to, int64_t Y, Visit visit) const
{
    float dy = (float)(Y - place->y);
    return Runs(from, to, [&](int64_t X) { return Pixel(X, Y); },
                [&](int64_t X, const Cell& v) { return Reach((float)(X - place->x), dy, v, 1, 0); }, visit);
}

// A run of room columns that maps to one frame column (of each of two maps).
struct Span {
    int64_t from, to;
    int a, b;
};

// The runs of the region's columns whose frame columns lie inside the frames of both separable
// maps (two may be the same map as one).
std::vector<Span> ColumnSpans(const FrameMap& one, const FrameMap& two, int64_t from, int64_t to)
{
    std::vector<Span> spans;
    Runs(from, to, [&](int64_t X) { return Cell{one.Column(X), two.Column(X)}; },
         [&](int64_t X, Cell v) { return std::min(one.ColumnReach(X, v.x), two.ColumnReach(X, v.y)); },
         [&](int64_t f, int64_t t, Cell v) {
             if (one.InsideX(v.x) && two.InsideX(v.y)) spans.push_back({f, t, v.x, v.y});
             return false;
         });
    return spans;
}

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
    // Two pixels of margin cover rounding, and more where single precision grows coarse.
    double margin = 2 + std::max({std::fabs(minX), std::fabs(maxX), std::fabs(minY), std::fabs(maxY)}) * 1e-6;
    auto clamp = [](double v) { return (int64_t)std::clamp(v, -4e9, 4e9); };
    region->Meet(p.x + clamp(std::floor(minX - margin)), p.y + clamp(std::floor(minY - margin)),
                 p.x + clamp(std::ceil(maxX + margin)), p.y + clamp(std::ceil(maxY + margin)));
}

// Above this many runs (or line steps) a test of a turned frame searches the frame's pixels
// instead of walking room pixels, so that no script value makes a test run for long.
int64_t g_walkLimit = (int64_t)1 << 18;

bool WalkTooLong(double steps) { return steps > (double)g_walkLimit; }

// The most runs a row of a turned frame holds: one per frame column and row crossed.
double RowRuns(const FrameMap& map) { return (double)map.w + map.h + 2; }

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

// The box of the visible pixels of a sprite of the game data file, which has no frame images: its
// masks give it, else the images on its texture pages; false when neither can be read.
static bool VisiblePixelsBox(const CSprite& sprite, TSpriteBox* box)
{
    TSpriteBox b = *box;
    if (sprite.m_hasMasks) {
        for (const std::vector<uint8_t>& mask : sprite.m_masks)
            for (size_t i = 0; i < mask.size(); i++) {
                if (!mask[i]) continue;
                int x = (int)(i % sprite.m_width), y = (int)(i / sprite.m_width);
                b = {std::min(b.left, x), std::min(b.top, y), std::max(b.right, x), std::max(b.bottom, y)};
            }
        *box = b;
        return true;
    }
    std::vector<const TPageEntry*> entries;
    for (int f = 0; f < sprite.m_numb; f++) entries.push_back(sprite.PageEntry(f));
    int widened[4] = {b.left, b.top, b.right, b.bottom};
    if (!TPage_VisibleBox(entries.data(), (int)entries.size(), widened)) return false;
    *box = {widened[0], widened[1], widened[2], widened[3]};
    return true;
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
    // The visible pixels widen a box that starts inverted (and stays so when there are none).
    TSpriteBox box = {m_width - 1, m_height - 1, 0, 0};
    if (HasPageEntries()) {
        // Without either, the box stays as it was rather than turning inverted.
        if (VisiblePixelsBox(*this, &box)) m_bbox = box;
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
    FrameMap one(this, place, Mapping::SPRITE), two(other, otherPlace, Mapping::SPRITE);
    Region r = {INT64_MIN, INT64_MIN, INT64_MAX, INT64_MAX};
    r.Meet(place.box);
    r.Meet(otherPlace.box);
    MeetFrame(&r, one);
    MeetFrame(&r, two);
    if (r.Empty()) return false;
    if (one.separable && two.separable) {
        std::vector<Span> columns = ColumnSpans(one, two, r.left, r.right);
        if (columns.empty()) return false;
        return Runs(r.top, r.bottom, [&](int64_t Y) { return Cell{one.Row(Y), two.Row(Y)}; },
                    [&](int64_t Y, Cell v) { return std::min(one.RowReach(Y, v.x), two.RowReach(Y, v.y)); },
                    [&](int64_t, int64_t, Cell rows) {
                        if (!one.InsideY(rows.x) || !two.InsideY(rows.y)) return false;
                        for (const Span& c : columns)
                            if (one.Solid(c.a, rows.x) && two.Solid(c.b, rows.y)) return true;
                        return false;
                    });
    }
    if (WalkTooLong((double)(r.bottom - r.top + 1) * (RowRuns(one) + RowRuns(two)))) {
        FrameSearch a(one, r, false), b(two, r, false);
        return a.FindWith(a.Whole(), b, b.Whole());
    }
    // Along each row, the second frame is only looked at under solid pixels of the first.
    for (int64_t Y = r.top; Y <= r.bottom; Y++) {
        bool met = one.RowRuns(r.left, r.right, Y, [&](int64_t from, int64_t to, Cell a) {
            return one.Inside(a) && one.Solid(a.x, a.y) &&
                   two.RowRuns(from, to, Y, [&](int64_t, int64_t, Cell b) { return two.Inside(b) && two.Solid(b.x, b.y); });
        });
        if (met) return true;
    }
    return false;
}

bool CSprite::CollisionPoint(const TSpritePlace& place, int px, int py) const
{
    if (!m_hasMasks) return true;
    if (m_numb < 1) return false;
    FrameMap map(this, place, Mapping::SHAPE);
    Cell p = map.Pixel(px, py);
    return map.Inside(p) && map.Solid(p.x, p.y);
}

namespace {
// The pixels of one row inside an ellipse: cx - k .. cx + k, with k found for the row (the test
// grows with |X - cx|, so the pixels inside form that span).
struct Ellipse {
    int64_t cx, cy, rx, ry;
    explicit Ellipse(const TSpriteBox& rect)
        : cx(((int64_t)rect.left + rect.right) / 2), cy(((int64_t)rect.top + rect.bottom) / 2),
          rx(((int64_t)rect.right - rect.left) / 2), ry(((int64_t)rect.bottom - rect.top) / 2)
    {
    }
    // An axis under two pixels long has no half axis: the rectangle already bounds it.
    static double Term(int64_t d, int64_t radius) { return radius ? ((double)d / radius) * ((double)d / radius) : 0; }
    bool Inside(int64_t X, int64_t Y) const { return Term(X - cx, rx) + Term(Y - cy, ry) <= 1; }
    // Narrows [*lo, *hi] to the row's pixels inside; false when none is left.
    bool Row(int64_t Y, int64_t* lo, int64_t* hi) const
    {
        if (!Inside(cx, Y)) return false;
        if (rx) {
            double rest = 1 - Term(Y - cy, ry);
            int64_t k = (int64_t)std::floor(rx * std::sqrt(std::max(0.0, rest)));
            while (Inside(cx + k + 1, Y)) k++;
            while (k > 0 && !Inside(cx + k, Y)) k--;
            *lo = std::max(*lo, cx - k);
            *hi = std::min(*hi, cx + k);
        }
        return *lo <= *hi;
    }
};
}  // namespace

// The pixels of the instance box and the rectangle, optionally only those inside the ellipse
// that the rectangle bounds.
static bool CollisionArea(const CSprite* sprite, const TSpritePlace& place, const TSpriteBox& rect, bool ellipse)
{
    FrameMap map(sprite, place, Mapping::SHAPE);
    Region r = {INT64_MIN, INT64_MIN, INT64_MAX, INT64_MAX};
    r.Meet(place.box);
    r.Meet(rect);
    MeetFrame(&r, map);
    if (r.Empty()) return false;
    Ellipse shape(rect);
    if (map.separable) {
        std::vector<Span> columns = ColumnSpans(map, map, r.left, r.right);
        if (columns.empty()) return false;
        return Runs(r.top, r.bottom, [&](int64_t Y) { return map.Row(Y); }, [&](int64_t Y, int row) { return map.RowReach(Y, row); },
                    [&](int64_t from, int64_t to, int row) {
            int64_t lo = r.left, hi = r.right;
            // Within rows of one frame row, the row nearest the centre holds the widest span.
            if (!map.InsideY(row) || (ellipse && !shape.Row(std::clamp(shape.cy, from, to), &lo, &hi))) return false;
            for (const Span& c : columns)
                if (c.to >= lo && c.from <= hi && map.MaskIsOne(c.a, row)) return true;
            return false;
        });
    }
    if (WalkTooLong((double)(r.bottom - r.top + 1) * RowRuns(map))) {
        FrameSearch search(map, r, true);
        // The region lies inside the rectangle already; the ellipse is made a unit circle.
        if (!ellipse || !shape.rx || !shape.ry) return search.Find(search.Whole(), [](const Poly& p) { return p.n > 0; });
        return search.Find(search.Whole(), [&](Poly p) {
            for (int i = 0; i < p.n; i++) p.x[i] = (p.x[i] - shape.cx) / shape.rx, p.y[i] = (p.y[i] - shape.cy) / shape.ry;
            return PolyMeetsUnitCircle(p);
        });
    }
    for (int64_t Y = r.top; Y <= r.bottom; Y++) {
        int64_t lo = r.left, hi = r.right;
        if (ellipse && !shape.Row(Y, &lo, &hi)) continue;
        if (map.RowRuns(lo, hi, Y, [&](int64_t, int64_t, Cell p) { return map.Inside(p) && map.MaskIsOne(p.x, p.y); }))
            return true;
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
    FrameMap map(this, place, Mapping::LINE);
    Region r = {INT64_MIN, INT64_MIN, INT64_MAX, INT64_MAX};
    r.Meet(place.box);
    MeetFrame(&r, map);
    if (r.Empty()) return false;
    // Walked by rows when steep, else by columns: one point a row or column, the other
    // coordinate a float along the line.
    bool steep = std::abs((int64_t)x2 - x1) < std::abs((int64_t)y2 - y1);
    if (steep ? y1 > y2 : x1 > x2) std::swap(x1, x2), std::swap(y1, y2);
    int64_t lo = steep ? std::max<int64_t>(r.top, y1) : std::max<int64_t>(r.left, x1);
    int64_t hi = steep ? std::min<int64_t>(r.bottom, y2) : std::min<int64_t>(r.right, x2);
    float slope = steep ? (float)((double)x2 - x1) / (float)((double)y2 - y1) : (float)((double)y2 - y1) / (float)((double)x2 - x1);
    // The point of step t relative to the instance.
    auto dx = [&](int64_t t) { return steep ? x1 + (float)(t - y1) * slope - place.x : (float)(t - place.x); };
    auto dy = [&](int64_t t) { return steep ? (float)(t - place.y) : y1 + (float)(t - x1) * slope - place.y; };
    auto point = [&](int64_t t) { return map.Map(dx(t), dy(t)); };
    auto hit = [&](const Cell& p) { return map.Inside(p) && map.MaskIsOne(p.x, p.y); };
    // Unturned, both frame coordinates move one way along the walk: it goes by runs.
    if (map.separable) {
        double ux = steep ? slope : 1, uy = steep ? 1 : slope;
        return Runs(lo, hi, point, [&](int64_t t, Cell p) { return map.Reach(dx(t), dy(t), p, ux, uy); },
                    [&](int64_t, int64_t, Cell p) { return hit(p); });
    }
    if (WalkTooLong((double)hi - lo + 1)) {
        Poly segment;
        segment.Add(x1, y1);
        segment.Add(x2, y2);
        FrameSearch search(map, r, true);
        return search.Find(search.Whole(), [&](const Poly& p) { return PolysMeet(p, segment); });
    }
    for (int64_t t = lo; t <= hi; t++)
        if (hit(point(t))) return true;
    return false;
}
