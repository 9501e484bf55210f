// The particle built-ins called by name: the table, the conversions, and hostile arguments.
#include "Function/Function_Particle.h"
#include "../Base/CapturedWarnings.h"
#include "../Graphics_API/GfxTest.h"
#include "BuiltinCall.h"

#include "Graphics_API/DrawRegion.h"
#include "Particle/Particle_Internal.h"
#include "Room/Room_Class.h"
#include "Room/Room_Main.h"

#include <cmath>
#include <vector>

namespace {

class ParticleBuiltins : public BuiltinTestOn<GfxTest> {
protected:
    void Register() override { Function_Particle_Init(); }
    void SetUp() override
    {
        BuiltinTestOn<GfxTest>::SetUp();
        Particle_Init();
        saved = DrawRegion;
        DrawRegion = {0, 0, W - 1, H - 1};
    }
    void TearDown() override
    {
        DrawRegion = saved;
        Run_Room = nullptr;
        Particle_Init();
        BuiltinTestOn<GfxTest>::TearDown();
    }
    TDrawRegion saved;
    TCapturedWarnings warnings;
};

}  // namespace

TEST_F(ParticleBuiltins, RegistersTheFamilyInOrder)
{
    struct Entry { const char* name; int argc; };
    const Entry entries[] = {
        {"part_type_create", 0}, {"part_type_destroy", 1}, {"part_type_exists", 1}, {"part_type_clear", 1},
        {"part_type_shape", 2}, {"part_type_sprite", 5}, {"part_type_size", 5}, {"part_type_scale", 3},
        {"part_type_life", 3}, {"part_type_step", 3}, {"part_type_death", 3}, {"part_type_speed", 5},
        {"part_type_direction", 5}, {"part_type_orientation", 6}, {"part_type_gravity", 3},
        {"part_type_color_mix", 3}, {"part_type_color_rgb", 7}, {"part_type_color_hsv", 7},
        {"part_type_color1", 2}, {"part_type_color2", 3}, {"part_type_color3", 4}, {"part_type_color", 4},
        {"part_type_alpha1", 2}, {"part_type_alpha2", 3}, {"part_type_alpha3", 4}, {"part_type_alpha", 4},
        {"part_type_blend", 2},
        {"part_system_create", 0}, {"part_system_destroy", 1}, {"part_system_exists", 1}, {"part_system_clear", 1},
        {"part_system_draw_order", 2}, {"part_system_depth", 2}, {"part_system_position", 3},
        {"part_system_automatic_update", 2}, {"part_system_automatic_draw", 2}, {"part_system_update", 1},
        {"part_system_drawit", 1},
        {"part_particles_create", 5}, {"part_particles_create_color", 6}, {"part_particles_clear", 1},
        {"part_particles_count", 1},
        {"part_emitter_create", 1}, {"part_emitter_destroy", 2}, {"part_emitter_destroy_all", 1},
        {"part_emitter_exists", 2}, {"part_emitter_clear", 2}, {"part_emitter_region", 8},
        {"part_emitter_burst", 4}, {"part_emitter_stream", 4},
        {"part_attractor_create", 1}, {"part_attractor_destroy", 2}, {"part_attractor_destroy_all", 1},
        {"part_attractor_exists", 2}, {"part_attractor_clear", 2}, {"part_attractor_position", 4},
        {"part_attractor_force", 6},
        {"part_destroyer_create", 1}, {"part_destroyer_destroy", 2}, {"part_destroyer_destroy_all", 1},
        {"part_destroyer_exists", 2}, {"part_destroyer_clear", 2}, {"part_destroyer_region", 7},
        {"part_deflector_create", 1}, {"part_deflector_destroy", 2}, {"part_deflector_destroy_all", 1},
        {"part_deflector_exists", 2}, {"part_deflector_clear", 2}, {"part_deflector_region", 6},
        {"part_deflector_kind", 3}, {"part_deflector_friction", 3},
        {"part_changer_create", 1}, {"part_changer_destroy", 2}, {"part_changer_destroy_all", 1},
        {"part_changer_exists", 2}, {"part_changer_clear", 2}, {"part_changer_region", 7},
        {"part_changer_kind", 3}, {"part_changer_types", 4},
        {"effect_create_below", 5}, {"effect_create_above", 5}, {"effect_clear", 0},
    };
    ASSERT_EQ(Function_Count(), 82);
    ASSERT_EQ(sizeof entries / sizeof entries[0], 82u);
    for (int id = 0; id < 82; id++) {
        EXPECT_STREQ(Function_Get(id)->name, entries[id].name);
        EXPECT_EQ(Function_Get(id)->argc, entries[id].argc) << entries[id].name;
    }
    EXPECT_EQ(Function_Get(20)->handler, Function_Get(21)->handler);  // part_type_color3, part_type_color
    EXPECT_EQ(Function_Get(24)->handler, Function_Get(25)->handler);  // part_type_alpha3, part_type_alpha
}

TEST_F(ParticleBuiltins, ConversionsAndResults)
{
    EXPECT_EQ(Real("part_type_exists", {0.0}), 0);
    EXPECT_EQ(Real("part_particles_count", {3.0}), 0);
    EXPECT_EQ(Real("part_type_create"), 0);
    EXPECT_EQ(Real("part_type_exists", {0.4}), 1);  // indexes go to the nearest integer
    EXPECT_EQ(Real("part_type_exists", {0.5}), 1);  // ties to even
    EXPECT_EQ(Real("part_type_exists", {1.5}), 0);
    double ps = Real("part_system_create");
    EXPECT_EQ(ps, 0);
    EXPECT_EQ(Real("part_emitter_create", {ps}), 0);
    EXPECT_EQ(Real("part_emitter_create", {7.0}), -1);

    // Flags are true from 0.5 up.
    Call("part_type_blend", {0.0, 0.4999});
    EXPECT_FALSE(Particle_TypeOf(0).additive);
    Call("part_type_blend", {0.0, 0.5});
    EXPECT_TRUE(Particle_TypeOf(0).additive);
    Call("part_system_automatic_update", {ps, 0.4999});
    EXPECT_FALSE(ParticleSystem_Get(0)->autoUpdate);

    // The two names of one handler set the same fields.
    Call("part_type_color", {0.0, 1.0, 2.0, 3.0});
    EXPECT_EQ(Particle_TypeOf(0).colour[2], 3);
    Call("part_type_color3", {0.0, 4.0, 5.0, 6.0});
    EXPECT_EQ(Particle_TypeOf(0).colour[2], 6);
    Call("part_type_alpha", {0.0, 1.0, 0.25, 0.0});
    EXPECT_EQ(Particle_TypeOf(0).alpha[1], 0.25f);

    Call("part_type_life", {0.0, 2.0, 2.0});
    Call("part_emitter_region", {ps, 0.0, 0.0, 10.0, 0.0, 10.0, 0.0, 0.0});
    Call("part_emitter_burst", {ps, 0.0, 0.0, 10.0});
    EXPECT_EQ(Real("part_particles_count", {ps}), 10);
    Call("part_system_update", {ps});
    Call("part_system_update", {ps});
    EXPECT_EQ(Real("part_particles_count", {ps}), 0);
    Call("part_particles_create_color", {ps, 3.0, 4.0, 0.0, 255.0, 2.0});
    EXPECT_EQ(ParticleSystem_Get(0)->particles[1].colour, 255u);
    Call("part_particles_clear", {ps});
    EXPECT_EQ(Real("part_particles_count", {ps}), 0);
}

// Every handler with every hostile value: for every argument, then after indexes that name what
// exists, then in the last argument alone (a count, a colour, a flag or a type). The runner stays
// whole and the family still works afterwards.
TEST_F(ParticleBuiltins, HostileArgumentsAreHarmless)
{
    CRoom room;
    Run_Room = &room;
    const TaggedValue patterns[] = {TaggedValue(0.0), TaggedValue((double)NAN), TaggedValue(1e300), TaggedValue(-1e300),
                                    TaggedValue(-1.0), TaggedValue(1048576.0), TaggedValue(2147483647.0), S("#\\#\n")};
    for (int mode = 0; mode < 3; mode++) {
        for (const TaggedValue& p : patterns) {
            for (int id = 0; id < Function_Count(); id++) {
                const RFunction* f = Function_Get(id);
                std::vector<TaggedValue> args((size_t)f->argc, mode == 2 ? TaggedValue(0.0) : p);
                // Systems and their components, and types, are made at index 0 by the calls before.
                if (mode == 1 && args.size() >= 2) args[0] = args[1] = TaggedValue(0.0);
                if (mode == 2 && !args.empty()) args.back() = p;
                Call(f->name, args);
            }
            Call("part_system_create");
            Call("part_type_create");
            Call("part_emitter_create", {0.0});
        }
    }
    Run_Room = nullptr;
    double ps = Real("part_system_create");
    double t = Real("part_type_create");
    Call("part_type_shape", {t, 2.0});
    Call("part_type_size", {t, 0.125, 0.125, 0.0, 0.0});
    Call("part_particles_create", {ps, 20.0, 20.0, t, 1.0});
    EXPECT_EQ(Real("part_particles_count", {ps}), 1);
    Graphics::Clear(0xFF000000u, 1, 0, Graphics::CLEAR_COLOR);
    Call("part_system_drawit", {ps});
    GR_Batch_Flush();
    EXPECT_EQ(Pixel(20, 20), WHITE);
}
