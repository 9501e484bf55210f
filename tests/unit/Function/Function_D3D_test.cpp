// The d3d built-ins called by name: the registrar's order, argument conversions, the model files
// through the folder mapping, and hostile values on the device.
#include "Function/Function_D3D.h"
#include "../Graphics_API/GfxTest.h"
#include "BuiltinCall.h"

#include "Base/Console.h"
#include "Graphics/DrawPrimitives.h"
#include "Graphics/Graphics3D.h"
#include "Graphics/Graphics_3D_Model.h"
#include "Support/LoadSave.h"
#include "../Support/LinkSwap.h"

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

class D3DBuiltins : public BuiltinTestOn<GfxTest> {
protected:
    void Register() override { Function_D3D_Init(); }
    void SetUp() override
    {
        BuiltinTestOn<GfxTest>::SetUp();
        Draw_Init();
    }
    void TearDown() override
    {
        Call("d3d_end");
        Call("d3d_transform_stack_clear");
        Call("d3d_transform_set_identity");
        D3DModel_Free();
        BuiltinTestOn<GfxTest>::TearDown();
    }
};

TEST_F(D3DBuiltins, RegistersEveryNameInOrder)
{
    const std::pair<const char*, int> expected[] = {
        {"d3d_start", 0}, {"d3d_end", 0}, {"d3d_set_perspective", 1}, {"d3d_set_hidden", 1}, {"d3d_set_depth", 1},
        {"d3d_set_lighting", 1}, {"d3d_set_shading", 1}, {"d3d_set_fog", 4}, {"d3d_set_culling", 1},
        {"d3d_set_zwriteenable", 1}, {"d3d_set_projection", 9}, {"d3d_set_projection_ext", 13},
        {"d3d_set_projection_ortho", 5}, {"d3d_set_projection_perspective", 5},
        {"d3d_transform_set_identity", 0}, {"d3d_transform_set_translation", 3}, {"d3d_transform_set_scaling", 3},
        {"d3d_transform_set_rotation_x", 1}, {"d3d_transform_set_rotation_y", 1}, {"d3d_transform_set_rotation_z", 1},
        {"d3d_transform_set_rotation_axis", 4}, {"d3d_transform_add_translation", 3}, {"d3d_transform_add_scaling", 3},
        {"d3d_transform_add_rotation_x", 1}, {"d3d_transform_add_rotation_y", 1}, {"d3d_transform_add_rotation_z", 1},
        {"d3d_transform_add_rotation_axis", 4}, {"d3d_transform_stack_clear", 0}, {"d3d_transform_stack_empty", 0},
        {"d3d_transform_stack_push", 0}, {"d3d_transform_stack_pop", 0}, {"d3d_transform_stack_top", 0},
        {"d3d_transform_stack_discard", 0},
        {"d3d_primitive_begin", 1}, {"d3d_primitive_begin_texture", 2}, {"d3d_primitive_end", 0}, {"d3d_vertex", 3},
        {"d3d_vertex_color", 5}, {"d3d_vertex_texture", 5}, {"d3d_vertex_texture_color", 7}, {"d3d_vertex_normal", 6},
        {"d3d_vertex_normal_color", 8}, {"d3d_vertex_normal_texture", 8}, {"d3d_vertex_normal_texture_color", 10},
        {"d3d_draw_block", 9}, {"d3d_draw_cylinder", 11}, {"d3d_draw_cone", 11}, {"d3d_draw_ellipsoid", 10},
        {"d3d_draw_wall", 9}, {"d3d_draw_floor", 9},
        {"d3d_light_define_ambient", 1}, {"d3d_light_define_direction", 5}, {"d3d_light_define_point", 6},
        {"d3d_light_enable", 2},
        {"d3d_model_create", 0}, {"d3d_model_destroy", 1}, {"d3d_model_clear", 1}, {"d3d_model_load", 2},
        {"d3d_model_save", 2}, {"d3d_model_draw", 5}, {"d3d_model_primitive_begin", 2}, {"d3d_model_primitive_end", 1},
        {"d3d_model_vertex", 4}, {"d3d_model_vertex_color", 6}, {"d3d_model_vertex_texture", 6},
        {"d3d_model_vertex_texture_color", 8}, {"d3d_model_vertex_normal", 7}, {"d3d_model_vertex_normal_color", 9},
        {"d3d_model_vertex_normal_texture", 9}, {"d3d_model_vertex_normal_texture_color", 11}, {"d3d_model_block", 9},
        {"d3d_model_wall", 9}, {"d3d_model_floor", 9}, {"d3d_model_cylinder", 11}, {"d3d_model_cone", 11},
        {"d3d_model_ellipsoid", 10},
    };
    ASSERT_EQ(Function_Count(), 76);
    for (int id = 0; id < 76; id++) {
        EXPECT_STREQ(Function_Get(id)->name, expected[id].first) << id;
        EXPECT_EQ(Function_Get(id)->argc, expected[id].second) << expected[id].first;
    }
}

TEST_F(D3DBuiltins, StatesTakeTheirArgumentsAsTheirMarksSay)
{
    EXPECT_EQ(Real("d3d_start"), 1);
    EXPECT_TRUE(Graphics3D_Mode);
    // Fog distances keep their low 16 bits.
    Call("d3d_set_fog", {1.0, 255.0, 70000.0, -1.0});
    EXPECT_EQ(GR_D3D_Get_Render_State(GR_RS_FOGENABLE), 1u);
    EXPECT_EQ(GR_D3D_Get_Render_State(GR_RS_FOGSTART), 4464u);
    EXPECT_EQ(GR_D3D_Get_Render_State(GR_RS_FOGEND), 65535u);
    EXPECT_EQ(GR_D3D_Get_Render_State(GR_RS_FOGCOLOR), 0xFFFF0000u);
    Call("d3d_set_fog", {0.0, 0.0, (double)NAN, 1e300});
    EXPECT_EQ(GR_D3D_Get_Render_State(GR_RS_FOGSTART), 0u);
    // Flags are "at least 0.5" on the double itself.
    Call("d3d_set_lighting", {0.49999999});
    EXPECT_EQ(GR_D3D_Get_Render_State(GR_RS_LIGHTING), 0u);
    Call("d3d_set_lighting", {0.5});
    EXPECT_EQ(GR_D3D_Get_Render_State(GR_RS_LIGHTING), 1u);
    Call("d3d_set_lighting", {0.0});
    // The ambient colour is truncated, and a string changes nothing.
    Call("d3d_light_define_ambient", {255.9});
    EXPECT_EQ(GR_D3D_Get_Render_State(GR_RS_AMBIENT), 0xFFFF0000u);
    Call("d3d_light_define_ambient", {S("65280")});
    EXPECT_EQ(GR_D3D_Get_Render_State(GR_RS_AMBIENT), 0xFFFF0000u);
    Call("d3d_set_depth", {20000.0});
    EXPECT_EQ(GR_Depth, 16000);
    EXPECT_EQ(Real("d3d_end"), 1);
    EXPECT_FALSE(Graphics3D_Mode);
}

TEST_F(D3DBuiltins, TheStackHoldsFiftyOneTransforms)
{
    EXPECT_EQ(Real("d3d_transform_stack_empty"), 1);
    EXPECT_EQ(Real("d3d_transform_stack_pop"), 0);
    EXPECT_EQ(Real("d3d_transform_stack_top"), 0);
    EXPECT_EQ(Real("d3d_transform_stack_discard"), 0);
    for (int i = 0; i < 51; i++) EXPECT_EQ(Real("d3d_transform_stack_push"), 1) << i;
    EXPECT_EQ(Real("d3d_transform_stack_push"), 0);
    EXPECT_EQ(Real("d3d_transform_stack_empty"), 0);
    EXPECT_EQ(Real("d3d_transform_stack_discard"), 1);
    EXPECT_EQ(Real("d3d_transform_stack_top"), 1);
    EXPECT_EQ(Real("d3d_transform_stack_pop"), 1);
}

TEST_F(D3DBuiltins, ModelFilesGoThroughTheFolders)
{
    fs::path root = fs::canonical(fs::temp_directory_path()) / ("d3d_test_" + std::to_string(getpid()));
    fs::create_directories(root / "program");
    setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    LoadSave_SetGameName("D3DGame");
    LoadSave_SetProgramFolder((root / "program").c_str());
    TCaptureConsole console;
    tagIConsole* saved = Console_Debug;
    Console_Debug = &console;

    double m = Real("d3d_model_create");
    Call("d3d_model_vertex", {m, 1.0, 2.0, 3.0});
    EXPECT_EQ(Real("d3d_model_save", {m, S("sub/both.d3d")}), 1);
    EXPECT_TRUE(fs::exists(root / "data" / "D3DGame" / "sub" / "both.d3d"));
    EXPECT_EQ(Real("d3d_model_save", {99.0, S("never.d3d")}), 0);
    EXPECT_FALSE(fs::exists(root / "data" / "D3DGame" / "never.d3d"));
    EXPECT_EQ(Real("d3d_model_save", {m, S("../outside.d3d")}), 0);
    EXPECT_EQ(Real("d3d_model_save", {S("0"), S("wrong.d3d")}), -1);
    EXPECT_EQ(Real("d3d_model_save", {m, 5.0}), -1);

    // A name in both folders is read from the save folder; one only in the program folder from
    // there.
    fs::create_directories(root / "program" / "sub");
    std::ofstream(root / "program" / "sub" / "both.d3d") << "100\n2\n1\n1\n";
    std::ofstream(root / "program" / "only.d3d") << "100\n3\n1\n1\n1\n";
    EXPECT_EQ(Real("d3d_model_load", {m, S("sub/both.d3d")}), 1);
    EXPECT_EQ(D3DModel_CommandCount((int)m), 1);
    EXPECT_EQ(Real("d3d_model_load", {m, S("only.d3d")}), 1);
    EXPECT_EQ(D3DModel_CommandCount((int)m), 3);
    // A file found but not a model, or cut short, is 0 and says so; it leaves the model empty.
    std::ofstream(root / "program" / "bad.d3d") << "101\n";
    std::ofstream(root / "program" / "short.d3d") << "100\n3\n1\n";
    EXPECT_EQ(Real("d3d_model_load", {m, S("bad.d3d")}), 0);
    EXPECT_EQ(D3DModel_CommandCount((int)m), 0);
    EXPECT_EQ(Real("d3d_model_load", {m, S("only.d3d")}), 1);
    EXPECT_EQ(Real("d3d_model_load", {m, S("short.d3d")}), 0);
    EXPECT_EQ(D3DModel_CommandCount((int)m), 0);
    EXPECT_EQ(Real("d3d_model_load", {m, S("missing.d3d")}), 0);
    EXPECT_EQ(console.text, "d3d_model_load - file bad.d3d is not a model or is damaged\n"
                            "d3d_model_load - file short.d3d is not a model or is damaged\n"
                            "d3d_model_load - unable to find file missing.d3d\n");
    EXPECT_EQ(Real("d3d_model_load", {S("0"), S("only.d3d")}), -1);

    // A folder swapped for a link to another folder: before the write it refuses the write; after
    // the read's check the checked file is read all the same.
    const fs::path sub = root / "data" / "D3DGame" / "sub", outside = root / "outside";
    fs::create_directories(outside);
    std::ofstream(outside / "both.d3d") << "100\n3\n1\n1\n1\n";
    LinkSwap::Arm(sub, outside);
    EXPECT_EQ(Real("d3d_model_save", {m, S("sub/new.d3d")}), 0);
    EXPECT_TRUE(LinkSwap::Met());
    EXPECT_FALSE(fs::exists(outside / "new.d3d"));
    fs::remove(sub);
    fs::rename(sub.string() + ".old", sub);
    LinkSwap::Arm(sub / "both.d3d", sub, outside, 1);  // the second check is the read's own
    EXPECT_EQ(Real("d3d_model_load", {m, S("sub/both.d3d")}), 1);
    EXPECT_TRUE(LinkSwap::Met());
    EXPECT_EQ(D3DModel_CommandCount((int)m), 1);
    LinkSwap::Disarm();

    Console_Debug = saved;
    LoadSave_SetProgramFolder(".");
    fs::remove_all(root);
}

TEST_F(D3DBuiltins, HostileArgumentsAreHarmless)
{
    double model = Real("d3d_model_create");
    Call("d3d_model_block", {model, 0.0, 0.0, 0.0, 10.0, 10.0, 10.0, 1.0, 1.0});
    const TaggedValue patterns[] = {TaggedValue(0.0), TaggedValue((double)NAN), TaggedValue(1e300), TaggedValue(-1e300),
                                    TaggedValue(1e-30), TaggedValue(1048576.0), TaggedValue(-1.0), S("#\\#\n")};
    for (const TaggedValue& p : patterns) {
        for (int id = 0; id < Function_Count(); id++) {
            const RFunction* f = Function_Get(id);
            std::vector<TaggedValue> args((size_t)f->argc, p);
            // The first argument names the model that exists.
            if (!args.empty() && p.IsReal() && p.GetReal() == 1048576.0) args[0] = TaggedValue(model);
            Call(f->name, args);
        }
        Call("d3d_primitive_end");
    }
    EXPECT_TRUE(Errors().empty());
    // Afterwards the device draws as before.
    Call("d3d_end");
    Call("d3d_set_lighting", {0.0});
    Call("d3d_set_fog", {0.0, 0.0, 0.0, 0.0});
    Call("d3d_set_culling", {0.0});
    Call("d3d_transform_set_identity");
    Use2D(W, H);
    Graphics::Clear(0xFF000000u, 1, 0, 7);
    Draw_SetColor(WHITE);
    Call("d3d_draw_floor", {1.0, 1.0, 0.0, 5.0, 5.0, 0.0, -1.0, 1.0, 1.0});
    EXPECT_EQ(Pixel(3, 3), WHITE);
}

}  // namespace
