// The bounding box is a cache of what the instance's shape depends on (position, scale, angle,
// sprite, mask): whatever writes one of those, the box read next is the one a fresh instance in the
// same state computes. Only CInstance's setters can write them (a direct write does not compile);
// these tests catch a setter, a built-in variable or an operation that forgets the box.
#include "Object/Instance_Class.h"
#include "Object/Object_Class.h"
#include "Object/Object_Main.h"
#include "Room/Instance_Ops.h"
#include "Sprite/Sprite_Class.h"
#include "Sprite/Sprite_Main.h"
#include "StartUp.h"
#include "Variable/Variable_BuiltIn.h"
#include "Variable/Variable_Main.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <type_traits>

namespace {

// Outside CInstance the shape and the box can be read, never written.
static_assert(!std::is_assignable_v<CInstanceField<float>&, float>);
static_assert(!std::is_assignable_v<CInstanceField<float>&, const CInstanceField<float>&>);
static_assert(!std::is_assignable_v<CInstanceField<int>&, int>);
static_assert(std::is_convertible_v<CInstanceField<float>, float>);

using Box = std::array<int, 4>;

Box BoxOf(CInstance& i)
{
    i.Compute_BoundingBox();
    return {i.bbox_left, i.bbox_top, i.bbox_right, i.bbox_bottom};
}

// The box of a new instance standing as `i` stands.
Box FreshBox(const CInstance& i)
{
    CInstance fresh(INSTANCE_ID_LAST, i.object_index, i.x, i.y);
    fresh.SetSprite(i.sprite_index);
    fresh.SetMask(i.mask_index);
    fresh.SetImageXScale(i.image_xscale);
    fresh.SetImageYScale(i.image_yscale);
    fresh.SetImageAngle(i.image_angle);
    return BoxOf(fresh);
}

int AddSprite(int width, int height, int xorigin, TSpriteBox box)
{
    int index = Sprite_AddNew();
    CSprite* s = Sprite_Get(index);
    s->m_width = width, s->m_height = height;
    s->m_xorigin = xorigin;
    s->m_bbox = box;
    s->m_numb = 1;
    return index;
}

class InstanceBox : public ::testing::Test {
protected:
    void SetUp() override
    {
        Sprite_Clear();
        Object_Clear();
        small = AddSprite(8, 8, 0, {0, 0, 7, 7});
        wide = AddSprite(40, 10, 20, {2, 1, 37, 8});
        object = Object_Add();
        Object_Find(object)->sprite = wide;
        Variable_BuiltIn_Init();
        StartUp_Variables();
    }
    void TearDown() override
    {
        Sprite_Clear();
        Object_Clear();
    }
    // Runs each write on an instance whose box is up to date, then checks the box.
    void ExpectBoxFollows(const char* what, const std::function<void(CInstance&)>& write)
    {
        CInstance inst(INSTANCE_ID_FIRST + 7, object, 30, 40);
        inst.SetSprite(small);
        BoxOf(inst);
        write(inst);
        EXPECT_EQ(BoxOf(inst), FreshBox(inst)) << what;
    }
    int small = -1, wide = -1, object = -1;
};

TEST_F(InstanceBox, EveryWriteOfTheShapeRemakesTheBox)
{
    ExpectBoxFollows("SetPosition", [](CInstance& i) { i.SetPosition(100, -20); });
    ExpectBoxFollows("SetImageXScale", [](CInstance& i) { i.SetImageXScale(-3); });
    ExpectBoxFollows("SetImageYScale", [](CInstance& i) { i.SetImageYScale(0.5f); });
    ExpectBoxFollows("SetImageAngle", [](CInstance& i) { i.SetImageAngle(45); });
    ExpectBoxFollows("SetSprite", [&](CInstance& i) { i.SetSprite(wide); });
    ExpectBoxFollows("SetMask", [&](CInstance& i) { i.SetMask(wide); });
    ExpectBoxFollows("Instance_SetSprite", [&](CInstance& i) { Instance_SetSprite(&i, wide); });
    ExpectBoxFollows("Instance_ChangeObject", [&](CInstance& i) { Instance_ChangeObject(&i, object, false); });
    ExpectBoxFollows("Assign", [&](CInstance& i) {
        CInstance other(INSTANCE_ID_FIRST + 8, object, 5, 6);
        other.SetImageAngle(90);
        i.Assign(&other);
    });
    // Trying a place leaves the box of the place the instance stands on.
    ExpectBoxFollows("TryAt", [](CInstance& i) { EXPECT_EQ(i.TryAt(500, 500, [&] { return BoxOf(i)[0]; }), 500); });
    ExpectBoxFollows("the sprite's box changed", [&](CInstance& i) {
        Sprite_Get(small)->m_bbox = {1, 1, 3, 5};
        i.ShapeChanged();
    });
}

// Every writable built-in variable of an instance, given values that move, scale, turn or reshape
// it: the box read next is right whichever variable was written.
TEST_F(InstanceBox, EveryInstanceVariableKeepsTheBoxTrue)
{
    int written = 0;
    for (int id = 0; id < Variable_BuiltIn_Count(); id++) {
        const RVariable* v = Variable_BuiltIn_Get(id);
        if (!v->shape.instance || !v->canSet) continue;
        for (double value : {3.0, -2.5, 1.0, 0.0, (double)wide}) {
            ExpectBoxFollows(v->name, [&](CInstance& i) {
                TaggedValue t(value);
                written += Instance_SetVariable(&i, id, 0, &t);
            });
        }
    }
    EXPECT_GT(written, 100);
}

}  // namespace
