// Collision boxes, masks and the pixel tests, at the mask level (no device needed).
#include "Graphics_API/Bitmap32.h"
#include "Sprite/Sprite_Class.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

using Mask = std::vector<uint8_t>;

Mask Solid(int w, int h, std::initializer_list<std::pair<int, int>> pixels)
{
    Mask m((size_t)w * h, 0);
    for (auto [x, y] : pixels) m[(size_t)y * w + x] = 1;
    return m;
}

std::unique_ptr<CSprite> Make(int w, int h, std::vector<Mask> masks, int frames = 1, int xo = 0, int yo = 0)
{
    auto s = std::make_unique<CSprite>();
    s->m_numb = frames;
    s->m_width = w;
    s->m_height = h;
    s->m_xorigin = xo;
    s->m_yorigin = yo;
    s->m_hasMasks = !masks.empty();
    s->m_masks = std::move(masks);
    return s;
}

// An unscaled instance: its box is the frame.
TSpritePlace At(const CSprite& s, int x, int y, int image = 0)
{
    int l = x - s.m_xorigin, t = y - s.m_yorigin;
    return {image, {l, t, l + s.m_width - 1, t + s.m_height - 1}, x, y, 1, 1, 0};
}

// A scaled or turned instance with a generous box (the world has already tested the boxes).
TSpritePlace Turned(int x, int y, float xscale, float yscale, float angle)
{
    return {0, {x - 100, y - 100, x + 100, y + 100}, x, y, xscale, yscale, angle};
}

TEST(SpriteCollision, MasksTouchingAtOnePixel)
{
    auto a = Make(16, 16, {Solid(16, 16, {{15, 15}}), Solid(16, 16, {{0, 0}})}, 2);
    auto b = Make(16, 16, {Solid(16, 16, {{0, 0}})});
    EXPECT_TRUE(a->CollisionSprite(At(*a, 0, 0), b.get(), At(*b, 15, 15)));
    EXPECT_TRUE(b->CollisionSprite(At(*b, 15, 15), a.get(), At(*a, 0, 0)));
    // One pixel apart, with the boxes still overlapping.
    EXPECT_FALSE(a->CollisionSprite(At(*a, 0, 0), b.get(), At(*b, 15, 14)));
    EXPECT_FALSE(a->CollisionSprite(At(*a, 0, 0), b.get(), At(*b, 14, 14)));
    // The image picks the mask, modulo the mask count: 1, -1 and 3 take mask 1, 2 takes mask 0.
    for (int image : {1, -1, 3}) EXPECT_TRUE(a->CollisionSprite(At(*a, 0, 0, image), b.get(), At(*b, 0, 0))) << image;
    EXPECT_FALSE(a->CollisionSprite(At(*a, 0, 0, 2), b.get(), At(*b, 0, 0)));
    // No frames: no collision.
    auto none = Make(16, 16, {}, 0);
    EXPECT_FALSE(none->CollisionSprite(At(*none, 0, 0), b.get(), At(*b, 0, 0)));
}

TEST(SpriteCollision, SpritesWithoutMasksAreSolidOverTheirFrame)
{
    auto box = Make(16, 16, {});
    auto dot = Make(16, 16, {Solid(16, 16, {{0, 0}})});
    EXPECT_TRUE(box->CollisionSprite(At(*box, 0, 0), dot.get(), At(*dot, 15, 15)));
    EXPECT_TRUE(dot->CollisionSprite(At(*dot, 15, 15), box.get(), At(*box, 0, 0)));
    EXPECT_FALSE(box->CollisionSprite(At(*box, 0, 0), dot.get(), At(*dot, -1, -1)));
    // The box test has already decided for a sprite without masks.
    EXPECT_TRUE(box->CollisionPoint(At(*box, 0, 0), 500, 500));
    EXPECT_TRUE(box->CollisionRectangle(At(*box, 0, 0), {500, 500, 600, 600}));
    EXPECT_TRUE(box->CollisionLine(At(*box, 0, 0), 500, 500, 600, 700));
}

TEST(SpriteCollision, TenPixelRowsAndOrigins)
{
    auto s = Make(10, 2, {Solid(10, 2, {{9, 0}, {8, 1}})}, 1, 5, 1);
    TSpritePlace p = At(*s, 100, 50);
    EXPECT_TRUE(s->CollisionPoint(p, 104, 49));
    EXPECT_TRUE(s->CollisionPoint(p, 103, 50));
    EXPECT_FALSE(s->CollisionPoint(p, 105, 49));  // past the width
    EXPECT_FALSE(s->CollisionPoint(p, 95, 49));
    EXPECT_TRUE(s->CollisionRectangle(p, {103, 50, 200, 60}));
    EXPECT_FALSE(s->CollisionRectangle(p, {95, 49, 102, 50}));
}

TEST(SpriteCollision, ScaledAndTurnedInstances)
{
    auto bar = Make(4, 1, {Solid(4, 1, {{1, 0}})});
    // xscale 2: each frame column covers two room columns.
    TSpritePlace wide = Turned(10, 10, 2, 1, 0);
    EXPECT_FALSE(bar->CollisionPoint(wide, 11, 10));
    EXPECT_TRUE(bar->CollisionPoint(wide, 12, 10));
    EXPECT_TRUE(bar->CollisionPoint(wide, 13, 10));
    EXPECT_FALSE(bar->CollisionPoint(wide, 14, 10));
    // xscale -1 mirrors the frame about the origin.
    TSpritePlace mirrored = Turned(10, 10, -1, 1, 0);
    EXPECT_TRUE(bar->CollisionPoint(mirrored, 9, 10));
    EXPECT_FALSE(bar->CollisionPoint(mirrored, 11, 10));
    EXPECT_FALSE(bar->CollisionPoint(mirrored, 10, 10));

    // Turned 90 degrees counter-clockwise, the frame's x axis points up the screen.
    auto tip = Make(4, 1, {Solid(4, 1, {{3, 0}})});
    TSpritePlace up = Turned(10, 10, 1, 1, 90);
    EXPECT_TRUE(tip->CollisionPoint(up, 10, 7));
    EXPECT_FALSE(tip->CollisionPoint(up, 13, 10));
    EXPECT_FALSE(tip->CollisionPoint(up, 10, 13));
    EXPECT_TRUE(tip->CollisionRectangle(up, {9, 6, 11, 7}));
    EXPECT_FALSE(tip->CollisionRectangle(up, {11, 0, 20, 20}));

    // Sprite against sprite: a 2 x 2 block at xscale 3 reaches room column 5, not 6.
    auto block = Make(2, 2, {Solid(2, 2, {{0, 0}, {1, 0}, {0, 1}, {1, 1}})});
    auto dot = Make(1, 1, {Solid(1, 1, {{0, 0}})});
    EXPECT_TRUE(block->CollisionSprite(Turned(0, 0, 3, 1, 0), dot.get(), At(*dot, 5, 0)));
    EXPECT_FALSE(block->CollisionSprite(Turned(0, 0, 3, 1, 0), dot.get(), At(*dot, 6, 0)));
    // Sprite against sprite truncates toward zero where the other tests floor: half a column left
    // of the origin still lands in column 0.
    EXPECT_TRUE(dot->CollisionSprite(At(*dot, 9, 0), block.get(), Turned(10, 0, 2, 1, 0)));
    EXPECT_FALSE(block->CollisionPoint(Turned(10, 0, 2, 1, 0), 9, 0));
    EXPECT_TRUE(block->CollisionPoint(Turned(10, 0, 2, 1, 0), 10, 0));
    EXPECT_TRUE(dot->CollisionSprite(At(*dot, 0, -1), block.get(), Turned(0, 0, 1, 1, 90)));
    EXPECT_FALSE(dot->CollisionSprite(At(*dot, 0, 1), block.get(), Turned(0, 0, 1, 1, 90)));
}

TEST(SpriteCollision, DegenerateScalesAndHugeBoxesEndQuickly)
{
    auto s = Make(8, 8, {Solid(8, 8, {{0, 0}, {7, 7}})});
    auto other = Make(8, 8, {});
    for (float scale : {0.0f, -0.0f, NAN}) {
        TSpritePlace p = Turned(0, 0, scale, 1, 0);
        EXPECT_FALSE(s->CollisionPoint(p, 0, 0)) << scale;
        EXPECT_FALSE(s->CollisionRectangle(p, {-10, -10, 10, 10})) << scale;
        EXPECT_FALSE(s->CollisionSprite(p, other.get(), At(*other, 0, 0))) << scale;
        EXPECT_FALSE(other->CollisionSprite(At(*other, 0, 0), s.get(), p)) << scale;
    }
    EXPECT_FALSE(s->CollisionPoint(Turned(0, 0, 1, 1, NAN), 0, 0));
    // Boxes of the whole integer range walk only the pixels the frames can cover.
    TSpritePlace huge = {0, {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, 0, 0, 1, 1, 45};
    EXPECT_TRUE(s->CollisionRectangle(huge, {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}));
    EXPECT_TRUE(s->CollisionSprite(huge, other.get(), huge));
    EXPECT_TRUE(s->CollisionLine(huge, -1000000000, -999999999, 1000000000, 1000000001));

    // Frames scaled ten thousand times: squares of 10000 solid pixels that meet only when moved
    // by one pixel, and a mirrored one.
    auto corner = Make(4, 4, {Solid(4, 4, {{3, 3}})});
    auto first = Make(2, 2, {Solid(2, 2, {{0, 0}})});
    TSpritePlace big = Turned(0, 0, 10000, 10000, 0), apart = Turned(20000, 20000, 10000, 10000, 0);
    big.box = {0, 0, 39999, 39999};
    apart.box = {20000, 20000, 39999, 39999};
    EXPECT_FALSE(corner->CollisionSprite(big, first.get(), apart));
    apart.x = apart.y = 20001;
    EXPECT_TRUE(corner->CollisionSprite(big, first.get(), apart));
    EXPECT_TRUE(first->CollisionSprite(apart, corner.get(), big));
    TSpritePlace mirrored = Turned(70000, 20001, -10000, 10000, 0);
    mirrored.box = {30000, 20000, 70000, 40000};
    EXPECT_FALSE(corner->CollisionSprite(big, first.get(), mirrored));
    // Truncation toward zero widens the mirrored frame's first column to both sides of its origin.
    mirrored.x = 49999;
    EXPECT_FALSE(corner->CollisionSprite(big, first.get(), mirrored));
    mirrored.x = 49998;
    EXPECT_TRUE(corner->CollisionSprite(big, first.get(), mirrored));
    EXPECT_FALSE(corner->CollisionRectangle(big, {0, 0, 29999, 39999}));
    EXPECT_TRUE(corner->CollisionRectangle(big, {0, 0, 30000, 30000}));
}

TEST(SpriteCollision, EllipsesAndLines)
{
    auto corner = Make(16, 16, {Solid(16, 16, {{0, 0}})});
    TSpritePlace p = At(*corner, 0, 0);
    EXPECT_TRUE(corner->CollisionRectangle(p, {0, 0, 15, 15}));
    EXPECT_FALSE(corner->CollisionEllipse(p, {0, 0, 15, 15}));
    // An ellipse one pixel wide still covers its column.
    EXPECT_TRUE(corner->CollisionEllipse(p, {0, 0, 0, 0}));
    EXPECT_TRUE(corner->CollisionEllipse(p, {0, -3, 1, 3}));

    auto diagonal = Make(7, 7, {Solid(7, 7, {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}})});
    TSpritePlace d = At(*diagonal, 0, 0);
    EXPECT_TRUE(diagonal->CollisionLine(d, 0, 6, 6, 0));
    EXPECT_FALSE(diagonal->CollisionLine(d, 0, 1, 5, 6));
    EXPECT_TRUE(diagonal->CollisionLine(d, 2, 0, 3, 6));   // steep: walked by rows
    EXPECT_FALSE(diagonal->CollisionLine(d, 0, 6, 1, 0));  // steep, left of the diagonal below row 1
    EXPECT_TRUE(diagonal->CollisionLine(d, 0, 4, 6, 4));   // level: a rectangle one row high
    EXPECT_FALSE(diagonal->CollisionLine(d, 0, 4, 3, 4));
}

TEST(SpriteBox, ModesManualBoxesAndPrecision)
{
    auto s = Make(8, 6, {});
    s->m_transparent = true;
    // Frames wholly transparent give the inverted box.
    s->m_bitmaps = {new CBitmap32(8, 6, 0), new CBitmap32(8, 6, 0)};
    s->m_numb = 2;
    s->ComputeBoundingBox();
    EXPECT_EQ(s->m_bbox.left, 7);
    EXPECT_EQ(s->m_bbox.top, 5);
    EXPECT_EQ(s->m_bbox.right, 0);
    EXPECT_EQ(s->m_bbox.bottom, 0);
    s->m_bitmaps[1]->GetData()[2 * 8 + 3] = 0xFF0000FF;
    s->ComputeBoundingBox();
    EXPECT_EQ(s->m_bbox.left, 3);
    EXPECT_EQ(s->m_bbox.bottom, 2);
    s->CreateMask();
    ASSERT_EQ(s->m_masks.size(), 2u);
    EXPECT_EQ(s->m_masks[1][2 * 8 + 3], 1);
    EXPECT_EQ(s->m_masks[0][2 * 8 + 3], 0);

    s->SetBoundingBox(1, 1, 2, 2);  // not manual: ignored
    EXPECT_EQ(s->m_bbox.left, 3);
    for (int mode : {3, -1}) {
        s->SetBoundingBoxMode(mode);
        EXPECT_EQ(s->m_bboxMode, BBOX_AUTOMATIC);
    }
    s->SetBoundingBoxMode(BBOX_FULL);
    EXPECT_EQ(s->m_bbox.right, 7);
    s->SetBoundingBoxMode(BBOX_MANUAL);
    s->SetBoundingBox(1, 1, 2, 2);
    EXPECT_EQ(s->m_bbox.left, 1);
    EXPECT_EQ(s->m_bbox.right, 2);
    s->SetPrecise(false);
    EXPECT_FALSE(s->m_hasMasks);
    s->SetPrecise(true);
    EXPECT_TRUE(s->m_hasMasks);
}

TEST(SpriteBox, SpritesOfTheGameFileKeepUsableBoxes)
{
    // Frames on texture pages: no images to measure, so the masks give the automatic box.
    auto s = Make(8, 8, {Solid(8, 8, {{2, 3}, {5, 6}})}, 1);
    s->m_pages = {0};
    s->m_bbox = {0, 0, 7, 7};
    s->m_bboxMode = BBOX_FULL;
    s->SetBoundingBoxMode(BBOX_AUTOMATIC);
    EXPECT_EQ(s->m_bbox.left, 2);
    EXPECT_EQ(s->m_bbox.top, 3);
    EXPECT_EQ(s->m_bbox.right, 5);
    EXPECT_EQ(s->m_bbox.bottom, 6);
    // Such a sprite has no images to build masks from: turning precise off and on keeps those
    // of its record, and the box they give.
    s->SetPrecise(false);
    s->SetPrecise(true);
    EXPECT_TRUE(s->m_hasMasks);
    s->SetBoundingBoxMode(BBOX_FULL);
    s->SetBoundingBoxMode(BBOX_AUTOMATIC);
    EXPECT_EQ(s->m_bbox.left, 2);
    EXPECT_EQ(s->m_bbox.right, 5);
}

}  // namespace
