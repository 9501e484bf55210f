// The pixel tests over huge footprints, and both ways of answering them (walking room pixels,
// searching frame pixels) against a plain walk of every room pixel.
#include "Sprite/Sprite_Class.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <random>

namespace {

std::unique_ptr<CSprite> Masked(int w, int h, std::vector<uint8_t> mask, int xo, int yo)
{
    auto s = std::make_unique<CSprite>();
    s->m_numb = 1;
    s->m_width = w;
    s->m_height = h;
    s->m_xorigin = xo;
    s->m_yorigin = yo;
    s->m_hasMasks = true;
    s->m_masks = {std::move(mask)};
    return s;
}

TSpritePlace Placed(int x, int y, float xs, float ys, float angle, int reach)
{
    return {0, {x - reach, y - reach, x + reach, y + reach}, x, y, xs, ys, angle};
}

// The plain walk: every room pixel of the instance box mapped into the frame.
struct Reference {
    const CSprite& sp;
    const TSpritePlace& p;
    bool truncate;
    bool Hit(float dx, float dy) const
    {
        float a = -p.angle * 3.1415927f / 180, s = std::sin(a), c = std::cos(a);
        float lx = (dy * s + dx * c) / p.xscale + sp.m_xorigin, ly = (dy * c - dx * s) / p.yscale + sp.m_yorigin;
        lx = truncate ? std::trunc(lx) : std::floor(lx);
        ly = truncate ? std::trunc(ly) : std::floor(ly);
        return lx >= 0 && lx < sp.m_width && ly >= 0 && ly < sp.m_height && sp.m_masks[0][(size_t)ly * sp.m_width + (size_t)lx];
    }
    bool Pixel(int X, int Y) const
    {
        return X >= p.box.left && X <= p.box.right && Y >= p.box.top && Y <= p.box.bottom && Hit((float)(X - p.x), (float)(Y - p.y));
    }
};

bool RefArea(const Reference& r, TSpriteBox q, bool ellipse)
{
    int64_t cx = ((int64_t)q.left + q.right) / 2, cy = ((int64_t)q.top + q.bottom) / 2;
    int64_t rx = ((int64_t)q.right - q.left) / 2, ry = ((int64_t)q.bottom - q.top) / 2;
    for (int Y = q.top; Y <= q.bottom; Y++)
        for (int X = q.left; X <= q.right; X++) {
            double ex = rx ? (double)(X - cx) / rx : 0, ey = ry ? (double)(Y - cy) / ry : 0;
            if ((!ellipse || ex * ex + ey * ey <= 1) && r.Pixel(X, Y)) return true;
        }
    return false;
}

bool RefLine(const Reference& r, int x1, int y1, int x2, int y2)
{
    if (x1 == x2 || y1 == y2) return RefArea(r, {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)}, false);
    const TSpriteBox& b = r.p.box;
    if (std::abs(x2 - x1) < std::abs(y2 - y1)) {
        if (y1 > y2) std::swap(x1, x2), std::swap(y1, y2);
        float slope = (float)(x2 - x1) / (float)(y2 - y1);
        for (int Y = std::max(y1, b.top); Y <= std::min(y2, b.bottom); Y++)
            if (r.Hit(x1 + (float)(Y - y1) * slope - r.p.x, (float)(Y - r.p.y))) return true;
    } else {
        if (x1 > x2) std::swap(x1, x2), std::swap(y1, y2);
        float slope = (float)(y2 - y1) / (float)(x2 - x1);
        for (int X = std::max(x1, b.left); X <= std::min(x2, b.right); X++)
            if (r.Hit((float)(X - r.p.x), y1 + (float)(X - x1) * slope - r.p.y)) return true;
    }
    return false;
}

bool RefSprite(const Reference& a, const Reference& b)
{
    const TSpriteBox &p = a.p.box, &q = b.p.box;
    for (int Y = std::max(p.top, q.top); Y <= std::min(p.bottom, q.bottom); Y++)
        for (int X = std::max(p.left, q.left); X <= std::min(p.right, q.right); X++)
            if (a.Pixel(X, Y) && b.Pixel(X, Y)) return true;
    return false;
}

struct Tally {
    int hits = 0;    // by the plain walk
    int missed = 0;  // hits the sprite did not report
    int extra = 0;   // hits the sprite reported alone
};

// Random frames, places and shapes from a fixed seed, each test answered by the sprite and by
// the plain walk.
Tally Compare(uint32_t seed, int cases, float minScale, float maxScale)
{
    std::mt19937 rng(seed);
    auto pick = [&](int lo, int hi) { return lo + (int)(rng() % (uint32_t)(hi - lo + 1)); };
    auto real = [&](float lo, float hi) { return lo + (hi - lo) * (float)(rng() % 10000) / 10000; };
    auto frame = [&]() {
        int w = pick(1, 6), h = pick(1, 6);
        std::vector<uint8_t> m((size_t)w * h);
        for (uint8_t& v : m) v = rng() % 3 == 0;
        return Masked(w, h, m, pick(0, w - 1), pick(0, h - 1));
    };
    auto place = [&](float size) {
        float xs = real(minScale, maxScale) * (rng() % 4 ? 1 : -1), ys = real(minScale, maxScale) * (rng() % 4 ? 1 : -1);
        float angle = rng() % 4 ? real(-360, 360) : (float)(pick(0, 3) * 90);
        return Placed(pick(-5, 5), pick(-5, 5), xs, ys, angle, (int)(size * 1.5f * maxScale));
    };
    Tally tally;
    for (int i = 0; i < cases; i++) {
        auto s = frame(), o = frame();
        TSpritePlace p = place(6), q = place(6);
        Reference rs{*s, p, false};
        int reach = (int)(8 * maxScale);
        int l = pick(-reach, reach), t = pick(-reach, reach);
        TSpriteBox rect = {l, t, l + pick(0, reach), t + pick(0, reach)};
        int x1 = pick(-reach, reach), y1 = pick(-reach, reach), x2 = pick(-reach, reach), y2 = pick(-reach, reach);
        bool answers[4] = {s->CollisionRectangle(p, rect), s->CollisionEllipse(p, rect), s->CollisionLine(p, x1, y1, x2, y2),
                           s->CollisionSprite(p, o.get(), q)};
        bool expected[4] = {RefArea(rs, rect, false), RefArea(rs, rect, true), RefLine(rs, x1, y1, x2, y2),
                            RefSprite(Reference{*s, p, true}, Reference{*o, q, true})};
        for (int k = 0; k < 4; k++) {
            tally.hits += expected[k];
            tally.missed += expected[k] && !answers[k];
            tally.extra += answers[k] && !expected[k];
        }
    }
    return tally;
}

TEST(SpriteMaskSearch, OrdinaryCasesMatchThePlainWalk)
{
    Tally t = Compare(20261206, 300, 0.3f, 4);
    EXPECT_EQ(t.missed, 0);
    EXPECT_EQ(t.extra, 0);
    EXPECT_GT(t.hits, 200);  // both answers occur
    EXPECT_LT(t.hits, 1000);
}

TEST(SpriteMaskSearch, LongRunsMatchThePlainWalk)
{
    // Each frame pixel covers a run of 6 to 16 room pixels along a row: the runs' ends are found
    // from guesses and by galloping, and must land where the plain walk changes pixel.
    Tally t = Compare(41, 40, 6, 16);
    EXPECT_EQ(t.missed, 0);
    EXPECT_EQ(t.extra, 0);
    EXPECT_GT(t.hits, 20);
    EXPECT_LT(t.hits, 140);
}

TEST(SpriteMaskSearch, FrameSearchMatchesThePlainWalkOverLargePixels)
{
    // Every test searches frame pixels; each frame pixel covers hundreds of room pixels, so a
    // meeting of the shapes is witnessed by whole room pixels.
    Sprite_SetWalkLimit(0);
    Tally t = Compare(7, 60, 20, 32);
    Sprite_SetWalkLimit((int64_t)1 << 18);
    EXPECT_EQ(t.missed, 0);
    EXPECT_EQ(t.extra, 0);
    EXPECT_GT(t.hits, 30);
    EXPECT_LT(t.hits, 200);
}

TEST(SpriteMaskSearch, HugeFootprintsAnswerQuickly)
{
    auto empty = Masked(32, 32, std::vector<uint8_t>(32 * 32, 0), 16, 16);
    std::vector<uint8_t> one(32 * 32, 0);
    one[20 * 32 + 5] = 1;
    auto dot = Masked(32, 32, one, 16, 16);
    const int reach = 1000000000;
    for (float scale : {1000.0f, 10000.0f, 1e6f}) {
        for (float angle : {0.0f, 1.0f, 45.0f}) {
            TSpritePlace p = Placed(0, 0, scale, scale, angle, reach);
            TSpriteBox all = {-reach, -reach, reach, reach};
            EXPECT_FALSE(empty->CollisionEllipse(p, all)) << scale << " " << angle;
            EXPECT_FALSE(empty->CollisionRectangle(p, all)) << scale << " " << angle;
            EXPECT_FALSE(empty->CollisionLine(p, -reach, -reach + 1, reach, reach)) << scale << " " << angle;
            EXPECT_FALSE(empty->CollisionSprite(p, dot.get(), p)) << scale << " " << angle;
            EXPECT_TRUE(dot->CollisionEllipse(p, all)) << scale << " " << angle;
            EXPECT_TRUE(dot->CollisionRectangle(p, all)) << scale << " " << angle;
            EXPECT_TRUE(dot->CollisionSprite(p, dot.get(), p)) << scale << " " << angle;
        }
        // Unturned, the set pixel covers room columns -11 .. -10 and rows 4 .. 5 in scale units.
        TSpritePlace p = Placed(0, 0, scale, scale, 0, reach);
        int in = (int)(-10.5 * scale), row = (int)(4.5 * scale);
        EXPECT_TRUE(dot->CollisionLine(p, in, -reach, in + 1, reach)) << scale;
        EXPECT_FALSE(dot->CollisionLine(p, in + (int)scale, -reach, in + (int)scale + 1, reach)) << scale;
        EXPECT_TRUE(dot->CollisionEllipse(p, {in - 3, row - 3, in + 3, row + 3})) << scale;
        EXPECT_FALSE(dot->CollisionEllipse(p, {in + (int)scale, row - 3, in + (int)scale + 6, row + 3})) << scale;
    }
}

}  // namespace
