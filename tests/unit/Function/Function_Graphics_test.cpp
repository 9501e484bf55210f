// The graphics built-ins called by name: argument conversions, colour arithmetic, and what each
// family draws into the back buffer.
#include "Function/Function_Graphics.h"
#include "GraphicsBuiltins.h"

#include "Graphics_API/GR_Display.h"
#include "IO/Window.h"
#include "Object/Instance_Class.h"
#include "Platform/TBitmap.h"
#include "Room/Room_Class.h"
#include "Room/Room_Main.h"
#include "Room/View.h"
#include "Sprite/Sprite_Class.h"

#include <climits>
#include <cmath>
#include <vector>

namespace {

// Colour arithmetic needs no device.
class ColourBuiltins : public BuiltinTest {
protected:
    void Register() override { Function_Graphics_Init(); }
};

bool AnyLit(const std::vector<uint32_t>& pixels)
{
    for (uint32_t p : pixels)
        if (p & 0xFFFFFF) return true;
    return false;
}

}  // namespace

// Every name of the registrar with its argument count, in order.
const std::pair<const char*, int> kRegistered[] = {
    // The display, the window and screen captures.
    {"display_get_width", 0}, {"display_get_height", 0}, {"display_get_colordepth", 0},
    {"display_get_frequency", 0}, {"display_get_orientation", 0}, {"display_set_size", 2},
    {"display_set_colordepth", 1}, {"display_set_frequency", 1}, {"display_set_all", 4}, {"display_test_all", 4},
    {"display_reset", 1}, {"display_mouse_get_x", 0}, {"display_mouse_get_y", 0}, {"display_mouse_set", 2},
    {"window_set_visible", 1}, {"window_set_showborder", 1}, {"window_set_showicons", 1},
    {"window_set_stayontop", 1}, {"window_set_sizeable", 1}, {"window_default", 0}, {"window_get_visible", 0},
    {"window_get_showborder", 0}, {"window_get_showicons", 0}, {"window_get_stayontop", 0},
    {"window_get_sizeable", 0}, {"window_set_fullscreen", 1}, {"window_get_fullscreen", 0},
    {"window_set_caption", 1}, {"window_get_caption", 0}, {"window_set_cursor", 1}, {"window_get_cursor", 0},
    {"window_set_color", 1}, {"window_get_color", 0}, {"window_set_position", 2}, {"window_set_size", 2},
    {"window_set_rectangle", 4}, {"window_center", 0}, {"window_get_x", 0}, {"window_get_y", 0},
    {"window_get_width", 0}, {"window_get_height", 0}, {"window_mouse_get_x", 0}, {"window_mouse_get_y", 0},
    {"window_mouse_set", 2}, {"window_view_mouse_get_x", 1}, {"window_view_mouse_get_y", 1},
    {"window_view_mouse_set", 3}, {"window_views_mouse_get_x", 0}, {"window_views_mouse_get_y", 0},
    {"window_views_mouse_set", 2}, {"screen_save", 1}, {"screen_save_part", 5},
    // Drawing.
    {"draw_set_color", 1}, {"draw_set_alpha", 1}, {"draw_get_color", 0}, {"draw_get_alpha", 0}, {"make_color", 3},
    {"make_color_rgb", 3}, {"make_color_hsv", 3}, {"color_get_red", 1}, {"color_get_green", 1},
    {"color_get_blue", 1}, {"color_get_hue", 1}, {"color_get_saturation", 1}, {"color_get_value", 1},
    {"merge_color", 3}, {"draw_set_blend_mode", 1}, {"draw_set_blend_mode_ext", 2},
    {"draw_set_color_write_enable", 4}, {"draw_clear", 1}, {"draw_clear_alpha", 2},
    {"draw_set_circle_precision", 1}, {"draw_point", 2}, {"draw_line", 4}, {"draw_line_width", 5},
    {"draw_rectangle", 5}, {"draw_roundrect", 5}, {"draw_triangle", 7}, {"draw_circle", 4}, {"draw_ellipse", 5},
    {"draw_arrow", 5}, {"draw_button", 5}, {"draw_healthbar", 11}, {"draw_point_color", 3},
    {"draw_line_color", 6}, {"draw_line_width_color", 7}, {"draw_rectangle_color", 9},
    {"draw_roundrect_color", 7}, {"draw_triangle_color", 10}, {"draw_circle_color", 6},
    {"draw_ellipse_color", 7}, {"draw_path", 4}, {"draw_primitive_begin", 1},
    {"draw_primitive_begin_texture", 2}, {"draw_primitive_end", 0}, {"draw_vertex", 2},
    {"draw_vertex_color", 4}, {"draw_vertex_texture", 4}, {"draw_vertex_texture_color", 6},
    {"sprite_get_texture", 2}, {"background_get_texture", 1}, {"texture_exists", 1},
    {"texture_set_interpolation", 1}, {"texture_set_blending", 1}, {"texture_set_repeat", 1},
    {"texture_get_width", 1}, {"texture_get_height", 1}, {"texture_preload", 1}, {"texture_set_priority", 2},
    {"draw_set_font", 1}, {"draw_set_halign", 1}, {"draw_set_valign", 1}, {"string_width", 1},
    {"string_height", 1}, {"string_width_ext", 3}, {"string_height_ext", 3}, {"draw_text", 3},
    {"draw_text_ext", 5}, {"draw_text_transformed", 6}, {"draw_text_ext_transformed", 8},
    {"draw_text_color", 8}, {"draw_text_ext_color", 10}, {"draw_text_transformed_color", 11},
    {"draw_text_ext_transformed_color", 13}, {"draw_sprite", 4}, {"draw_sprite_ext", 9},
    {"draw_sprite_stretched", 6}, {"draw_sprite_stretched_ext", 8}, {"draw_sprite_part", 8},
    {"draw_sprite_part_ext", 12}, {"draw_sprite_general", 16}, {"draw_sprite_tiled", 4},
    {"draw_sprite_tiled_ext", 8}, {"draw_sprite_pos", 11}, {"draw_self", 0}, {"draw_background", 3},
    {"draw_background_ext", 8}, {"draw_background_stretched", 5}, {"draw_background_stretched_ext", 7},
    {"draw_background_part", 7}, {"draw_background_part_ext", 11}, {"draw_background_general", 15},
    {"draw_background_tiled", 3}, {"draw_background_tiled_ext", 7}, {"draw_getpixel", 2},
    // Tiles and surfaces.
    {"tile_add", 8}, {"tile_delete", 1}, {"tile_exists", 1}, {"tile_get_x", 1}, {"tile_get_y", 1},
    {"tile_get_left", 1}, {"tile_get_top", 1}, {"tile_get_width", 1}, {"tile_get_height", 1},
    {"tile_get_depth", 1}, {"tile_get_visible", 1}, {"tile_get_xscale", 1}, {"tile_get_yscale", 1},
    {"tile_get_blend", 1}, {"tile_get_alpha", 1}, {"tile_get_background", 1}, {"tile_set_position", 3},
    {"tile_set_visible", 2}, {"tile_set_background", 2}, {"tile_set_region", 5}, {"tile_set_depth", 2},
    {"tile_set_scale", 3}, {"tile_set_blend", 2}, {"tile_set_alpha", 2}, {"tile_find", 3},
    {"tile_delete_at", 3}, {"tile_layer_hide", 1}, {"tile_layer_show", 1}, {"tile_layer_delete", 1},
    {"tile_layer_shift", 3}, {"tile_layer_find", 3}, {"tile_layer_delete_at", 3}, {"tile_layer_depth", 2},
    {"surface_create", 2}, {"surface_free", 1}, {"surface_exists", 1}, {"surface_get_width", 1},
    {"surface_get_height", 1}, {"surface_get_texture", 1}, {"surface_set_target", 1},
    {"surface_reset_target", 0}, {"draw_surface", 3}, {"draw_surface_ext", 8}, {"draw_surface_stretched", 5},
    {"draw_surface_stretched_ext", 7}, {"draw_surface_part", 7}, {"draw_surface_part_ext", 11},
    {"draw_surface_general", 15}, {"draw_surface_tiled", 3}, {"draw_surface_tiled_ext", 7},
    {"surface_getpixel", 3}, {"surface_copy", 4}, {"surface_copy_part", 8}, {"surface_save", 2},
    {"surface_save_part", 6},
};

TEST_F(ColourBuiltins, RegistersTheFamilyInOrder)
{
    static_assert(sizeof kRegistered / sizeof kRegistered[0] == 200);
    ASSERT_EQ(Function_Count(), 200);
    for (int i = 0; i < 200; i++) {
        EXPECT_STREQ(Function_Get(i)->name, kRegistered[i].first);
        EXPECT_EQ(Function_Get(i)->argc, kRegistered[i].second) << kRegistered[i].first;
    }
    int id = -1, other = -1;
    ASSERT_TRUE(Function_Find("make_color", &id) && Function_Find("make_color_rgb", &other));
    EXPECT_EQ(Function_Get(id)->handler, Function_Get(other)->handler);
}

// Each mark through a handler that uses it.
TEST_F(ColourBuiltins, ArgumentConversions)
{
    // i: nearest integer, ties to even; out of range and NaN give -2147483648, whose low byte is 0.
    EXPECT_EQ(Real("color_get_red", {2.5}), 2);
    EXPECT_EQ(Real("color_get_red", {3.5}), 4);
    EXPECT_EQ(Real("color_get_red", {-2.5}), -2);
    EXPECT_EQ(Real("color_get_red", {1e10 + 1}), 0);
    EXPECT_EQ(Real("color_get_red", {NAN}), 0);
    // fi: 16777217 narrows to 16777216, which has no red.
    EXPECT_EQ(Real("merge_color", {16777217.0, 0.0, 0.0}), 0);
    EXPECT_EQ(Real("merge_color", {16777215.0, 0.0, 0.0}), 16777215);
    // t: truncation toward zero.
    EXPECT_EQ(Real("make_color", {-1.7, 0.0, 0.0}), -1);
    EXPECT_EQ(Real("make_color", {2.7, 0.0, 0.0}), 2);
    EXPECT_EQ(Real("make_color", {NAN, 0.0, 0.0}), INT_MIN);
    // A string where a number is expected reads as 0.
    EXPECT_EQ(Real("make_color", {S("255"), 1.0, 0.0}), 256);
    // f: alphas are clamped, NaN is 0.
    Call("draw_set_alpha", {NAN});
    EXPECT_EQ(Real("draw_get_alpha"), 0);
    Call("draw_set_alpha", {7.0});
    EXPECT_EQ(Real("draw_get_alpha"), 1);
}

TEST_F(ColourBuiltins, ColourArithmetic)
{
    EXPECT_EQ(Real("make_color", {255.0, 255.0, 255.0}), 16777215);
    EXPECT_EQ(Real("make_color_rgb", {256.0, 0.0, 0.0}), 256);  // red overflow lands in green
    EXPECT_EQ(Real("make_color", {-1.0, 0.0, 0.0}), -1);
    EXPECT_EQ(Real("make_color", {0.0, 0.0, 128.0}), 8388608);
    // The sum wraps at 32 bits.
    EXPECT_EQ(Real("make_color", {0.0, 0.0, 32768.0}), INT_MIN);
    EXPECT_EQ(Real("make_color", {0.0, 0.0, 16777216.0}), 0);
    EXPECT_EQ(Real("make_color", {0.0, 2147483647.0, 2147483647.0}), -65536 - 256);

    EXPECT_EQ(Real("color_get_red", {-1.0}), -1);
    EXPECT_EQ(Real("color_get_green", {-256.0}), -1);
    EXPECT_EQ(Real("color_get_blue", {16777215.0}), 255);
    EXPECT_EQ(Real("color_get_green", {0x123456}), 0x34);

    // Hue, saturation and value are taken to their low bytes.
    EXPECT_EQ(Real("make_color_hsv", {256.0, 0.0, 0.0}), Real("make_color_hsv", {0.0, 0.0, 0.0}));
    EXPECT_EQ(Real("make_color_hsv", {300.0, 511.0, 255.0}), Real("make_color_hsv", {44.0, 255.0, 255.0}));
    EXPECT_EQ(Real("make_color_hsv", {0.0, 255.0, 255.0}), 255);  // red
    EXPECT_EQ(Real("make_color_hsv", {0.0, 0.0, 255.0}), 16777215);
    const int hsv[][3] = {{0, 255, 255}, {85, 255, 128}, {170, 200, 250}, {30, 100, 200}, {220, 255, 90}};
    for (auto& c : hsv) {
        double colour = Real("make_color_hsv", {(double)c[0], (double)c[1], (double)c[2]});
        EXPECT_NEAR(Real("color_get_hue", {colour}), c[0], 1) << colour;
        EXPECT_NEAR(Real("color_get_saturation", {colour}), c[1], 2) << colour;
        EXPECT_NEAR(Real("color_get_value", {colour}), c[2], 1) << colour;
    }

    EXPECT_EQ(Real("merge_color", {(double)RED, (double)BLUE, 0.5}), 0x800080);
    EXPECT_EQ(Real("merge_color", {(double)RED, (double)BLUE, 0.0}), RED);
    EXPECT_EQ(Real("merge_color", {(double)WHITE, (double)BLACK, 2.0}), 0);

    // The colour comes back without the alpha in its top byte.
    Call("draw_set_alpha", {0.5});
    Call("draw_set_color", {(double)0x123456});
    EXPECT_EQ(Real("draw_get_color"), 0x123456);
    Call("draw_set_alpha", {1.0});
}

TEST_F(ColourBuiltins, MissingResourcesAreReported)
{
    Call("draw_path", {3.0, 0.0, 0.0, 0.0});
    TaggedValue texture = Call("sprite_get_texture", {-1.0, 0.0});
    EXPECT_EQ(texture.GetReal(), 0);
    Call("background_get_texture", {1e12});
    Call("draw_sprite", {5.0, 0.0, 0.0, 0.0});
    Call("draw_background", {0.0, 0.0, 0.0});
    Call("draw_self");
    const std::vector<std::string> want = {
        "Trying to drawn non-existing path.", "Trying to get texture from non-existing sprite.",
        "Trying to get texture from non-existing background.", "Trying to draw non-existing sprite.",
        "Trying to draw non-existing background.", "Trying to draw non-existing sprite."};
    ASSERT_EQ(Errors().size(), want.size());
    for (size_t i = 0; i < want.size(); i++) EXPECT_NE(Errors()[i].find(want[i]), std::string::npos) << Errors()[i];
    EXPECT_EQ(Errors()[0].find("[fatal]"), std::string::npos);
}

TEST_F(DrawBuiltins, ShapesLandOnTheirPixels)
{
    Clear();
    // Corners given in either order cover both ends.
    Call("draw_rectangle", {10.0, 10.0, 0.0, 0.0, 0.0});
    EXPECT_EQ(Pixel(0, 0), WHITE);
    EXPECT_EQ(Pixel(10, 10), WHITE);
    EXPECT_EQ(Pixel(11, 11), BLACK);
    // An outline flag of 0.49999999 is 0.5 in single precision: an outline.
    Call("draw_rectangle", {20.0, 0.0, 30.0, 10.0, 0.49999999});
    EXPECT_EQ(Pixel(20, 0), WHITE);
    EXPECT_EQ(Pixel(25, 5), BLACK);
    Call("draw_rectangle_color", {40.0, 0.0, 50.0, 10.0, (double)RED, (double)RED, (double)RED, (double)RED, 0.0});
    EXPECT_EQ(Pixel(45, 5), RED);

    Clear();
    Call("draw_set_color", {(double)GREEN});
    Call("draw_circle", {10.0, 10.0, 6.0, 0.0});
    Call("draw_ellipse", {20.0, 2.0, 40.0, 18.0, 0.0});
    Call("draw_triangle", {44.0, 2.0, 60.0, 2.0, 44.0, 18.0, 0.0});
    EXPECT_EQ(Pixel(10, 10), GREEN);
    EXPECT_EQ(Pixel(1, 1), BLACK);
    EXPECT_EQ(Pixel(30, 10), GREEN);
    EXPECT_EQ(Pixel(47, 5), GREEN);
    EXPECT_EQ(Pixel(58, 16), BLACK);
    Call("draw_circle_color", {10.0, 35.0, 8.0, (double)RED, (double)RED, 0.0});
    Call("draw_ellipse_color", {20.0, 28.0, 40.0, 42.0, (double)BLUE, (double)BLUE, 0.0});
    Call("draw_triangle_color", {44.0, 28.0, 60.0, 28.0, 44.0, 44.0, (double)RED, (double)RED, (double)RED, 0.0});
    EXPECT_EQ(Pixel(10, 35), RED);
    EXPECT_EQ(Pixel(30, 35), BLUE);
    EXPECT_EQ(Pixel(47, 31), RED);

    Clear();
    Call("draw_set_color", {(double)WHITE});
    Call("draw_point", {3.0, 4.0});
    Call("draw_point_color", {5.0, 4.0, (double)RED});
    Call("draw_line", {0.0, 10.0, 20.0, 10.0});
    Call("draw_line_color", {0.0, 12.0, 20.0, 12.0, (double)BLUE, (double)BLUE});
    Call("draw_line_width", {30.0, 10.0, 50.0, 10.0, 5.0});
    Call("draw_line_width_color", {30.0, 20.0, 50.0, 20.0, 5.0, (double)GREEN, (double)GREEN});
    EXPECT_EQ(Pixel(3, 4), WHITE);
    EXPECT_EQ(Pixel(4, 4), BLACK);
    EXPECT_EQ(Pixel(5, 4), RED);
    EXPECT_EQ(Pixel(10, 10), WHITE);
    EXPECT_EQ(Pixel(10, 12), BLUE);
    EXPECT_EQ(Pixel(40, 8), WHITE);  // two pixels off the line: inside a width of 5
    EXPECT_EQ(Pixel(40, 14), BLACK);
    EXPECT_EQ(Pixel(40, 21), GREEN);

    Clear();
    Call("draw_roundrect", {0.0, 0.0, 30.0, 20.0, 0.0});
    Call("draw_roundrect_color", {34.0, 0.0, 63.0, 20.0, (double)RED, (double)RED, 0.0});
    EXPECT_EQ(Pixel(15, 10), WHITE);
    EXPECT_EQ(Pixel(0, 0), BLACK);  // the corner is cut by a radius of 10
    EXPECT_EQ(Pixel(48, 10), RED);
    Call("draw_arrow", {0.0, 30.0, 40.0, 30.0, 10.0});
    EXPECT_EQ(Pixel(20, 30), WHITE);
    EXPECT_EQ(Pixel(33, 28), WHITE);  // the head
    EXPECT_EQ(Pixel(20, 28), BLACK);
}

TEST_F(DrawBuiltins, ButtonsBarsAndPaths)
{
    Clear();
    Call("draw_set_color", {(double)0x808080});
    Call("draw_button", {0.0, 0.0, 20.0, 20.0, 1.0});
    EXPECT_EQ(Pixel(10, 10), 0x808080u);
    // A bar at 50 from the left: the filled half in the middle colour of red and blue.
    Call("draw_healthbar", {30.0, 0.0, 59.0, 9.0, 50.0, (double)BLACK, (double)RED, (double)BLUE, 0.0, 1.0, 0.0});
    EXPECT_TRUE(Near(Pixel(35, 5), 0x800080));
    EXPECT_EQ(Pixel(55, 5), BLACK);

    Clear();
    Call("draw_set_color", {(double)WHITE});
    int path = Path_Add();
    Path_Get(path)->SetClosed(false);
    Path_Get(path)->AddPoint(5, 30, 100);
    Path_Get(path)->AddPoint(25, 30, 100);
    // Absolute: at the path's own place, whatever x and y say.
    Call("draw_path", {(double)path, 40.0, 5.0, 1.0});
    EXPECT_EQ(Pixel(15, 30), WHITE);
    EXPECT_EQ(Pixel(50, 5), BLACK);
    // Relative: shifted to start at x, y.
    Call("draw_path", {(double)path, 30.0, 5.0, 0.0});
    EXPECT_EQ(Pixel(40, 5), WHITE);
    EXPECT_TRUE(Errors().empty());
}

TEST_F(DrawBuiltins, BlendModesWriteMaskAndClears)
{
    Clear();
    Call("draw_set_color", {(double)RED});
    Call("draw_rectangle", {0.0, 0.0, 9.0, 9.0, 0.0});
    Call("draw_set_blend_mode", {1.0});  // bm_add
    Call("draw_set_color", {(double)GREEN});
    Call("draw_rectangle", {0.0, 0.0, 9.0, 9.0, 0.0});
    EXPECT_EQ(Pixel(5, 5), 0x00FFFFu);
    Call("draw_set_blend_mode", {3.0});  // bm_subtract takes the source from the destination
    Call("draw_set_color", {(double)RED});
    Call("draw_rectangle", {0.0, 0.0, 9.0, 9.0, 0.0});
    EXPECT_EQ(Pixel(5, 5), GREEN);
    Call("draw_set_blend_mode", {0.0});

    // 0.5 is not above 0.5: red stays as it was.
    Call("draw_set_color_write_enable", {0.5, 1.0, 1.0, 1.0});
    Call("draw_set_color", {(double)WHITE});
    Call("draw_rectangle", {20.0, 0.0, 29.0, 9.0, 0.0});
    EXPECT_EQ(Pixel(25, 5), 0xFFFF00u);
    Call("draw_set_color_write_enable", {0.50000001, 1.0, 1.0, 1.0});
    Call("draw_rectangle", {20.0, 0.0, 29.0, 9.0, 0.0});
    EXPECT_EQ(Pixel(25, 5), WHITE);

    // Clears into a surface, which keeps alpha: draw_clear is opaque whatever the drawing alpha.
    int surface = GR_Surface_Create(4, 4);
    ASSERT_GE(surface, 0);
    ASSERT_TRUE(GR_Surface_Set_Target(surface));
    Call("draw_set_alpha", {0.0});
    Call("draw_clear", {(double)RED});
    GR_Batch_Flush();
    uint32_t* p = GR_D3D_Texture_Read_Pixels(GR_Texture_Get_API_Texture(GR_Surface_Get_Texture(surface)), 0, 0, 1, 1);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p[0], 0xFFFF0000u);
    MemFree(p);
    Call("draw_clear_alpha", {(double)BLUE, 0.0});
    p = GR_D3D_Texture_Read_Pixels(GR_Texture_Get_API_Texture(GR_Surface_Get_Texture(surface)), 0, 0, 1, 1);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p[0], 0x000000FFu);
    MemFree(p);
    GR_Surface_Reset_Target();
    GR_Surface_Free(surface);
}

TEST_F(DrawBuiltins, PrimitivesAndTextures)
{
    Clear();
    Call("draw_primitive_begin", {4.0});  // pr_trianglelist
    Call("draw_vertex", {0.0, 0.0});
    Call("draw_vertex_color", {20.0, 0.0, (double)WHITE, 1.0});
    Call("draw_vertex", {0.0, 20.0});
    Call("draw_primitive_end");
    EXPECT_EQ(Pixel(3, 3), WHITE);
    EXPECT_EQ(Pixel(18, 18), BLACK);

    // Values that are no texture draw untextured and never reach memory.
    const double bad[] = {12345.0, 1048576.0 + 9999, -5.0, 1e300, NAN};
    Call("draw_set_color", {(double)RED});
    for (double texture : bad) {
        EXPECT_EQ(Real("texture_exists", {texture}), 0) << texture;
        Clear();
        Call("draw_primitive_begin_texture", {4.0, texture});
        Call("draw_vertex_texture", {30.0, 0.0, 0.0, 0.0});
        Call("draw_vertex_texture_color", {50.0, 0.0, 1.0, 0.0, (double)RED, 1.0});
        Call("draw_vertex_texture", {30.0, 20.0, 0.0, 1.0});
        Call("draw_primitive_end");
        EXPECT_EQ(Pixel(33, 3), RED) << texture;
        Call("texture_preload", {texture});
        Call("texture_set_priority", {texture, 1.0});
        EXPECT_EQ(Real("texture_get_width", {texture}), 1.0);
    }

    Call("draw_set_color", {(double)WHITE});
    // A sprite made at run time: its texture is a real texture id, drawn by a textured primitive.
    TBitmap image(2, 2, 24);
    memset(image.Lock(), 0, 12);
    for (int i = 0; i < 4; i++) image.Lock()[i * 3 + 1] = 255;  // green
    int sprite = Sprite_AddNew();
    ASSERT_TRUE(Sprite_Get(sprite)->CreateFromBitmap(&image, false, false, false, true, 0, 0, false));
    double texture = Real("sprite_get_texture", {(double)sprite, 0.0});
    EXPECT_EQ(Real("texture_exists", {texture}), 1);
    Clear();
    Call("draw_primitive_begin_texture", {5.0, texture});  // pr_trianglestrip
    Call("draw_vertex_texture", {0.0, 0.0, 0.0, 0.0});
    Call("draw_vertex_texture", {10.0, 0.0, 1.0, 0.0});
    Call("draw_vertex_texture", {0.0, 10.0, 0.0, 1.0});
    Call("draw_vertex_texture", {10.0, 10.0, 1.0, 1.0});
    Call("draw_primitive_end");
    EXPECT_EQ(Pixel(5, 5), GREEN);

    int background = Background_AddEmpty();
    ASSERT_GE(Background_Get(background)->CreateColor(4, 4, 0x808080, false), 0);
    EXPECT_EQ(Real("texture_exists", {Real("background_get_texture", {(double)background})}), 1);
    EXPECT_TRUE(Errors().empty());
}

TEST_F(DrawBuiltins, TextPrintsRealsInSinglePrecision)
{
    EXPECT_TRUE(AnyLit(TextPixels(S("0.10"))));
    EXPECT_EQ(TextPixels(0.1), TextPixels(S("0.10")));
    EXPECT_EQ(TextPixels(3.0), TextPixels(S("3")));
    EXPECT_EQ(TextPixels(2.5), TextPixels(S("2.50")));
    EXPECT_EQ(TextPixels(16777217.0), TextPixels(S("16777216")));
    EXPECT_EQ(TextPixels(1e9), TextPixels(S("1000000000")));
    // Beyond the integer range: printed with decimals, never through an out-of-range integer.
    EXPECT_EQ(TextPixels(1e10), TextPixels(S("10000000000.00")));
    EXPECT_EQ(TextPixels(-2147483648.0), TextPixels(S("-2147483648")));
    EXPECT_NE(TextPixels(3.0), TextPixels(S("4")));

    EXPECT_GT(Real("string_width", {S("abc")}), Real("string_width", {S("a")}));
    EXPECT_EQ(Real("string_height", {S("a#b")}), 2 * Real("string_height", {S("a")}));
    EXPECT_EQ(Real("string_height_ext", {S("a#b"), 30.0, -1.0}) - Real("string_height_ext", {S("a#b"), 20.0, -1.0}), 10);
    EXPECT_EQ(Real("string_width_ext", {S("aaa aaa"), -1.0, 30.0}), Real("string_width", {S("aaa")}));

    // Colours and turns reach the text: red text, and text turned on its side.
    Clear();
    Call("draw_text_color", {2.0, 2.0, S("MMM"), (double)RED, (double)RED, (double)RED, (double)RED, 1.0});
    bool red = false;
    for (uint32_t p : Region(0, 0, W, 20)) red |= (p & 0xFFFFFF) == 0xFF0000;
    EXPECT_TRUE(red);
    Clear();
    Call("draw_text_transformed", {20.0, 40.0, S("MMMM"), 1.0, 1.0, 90.0});
    EXPECT_TRUE(AnyLit(Region(20, 0, 20, 40)));
    EXPECT_FALSE(AnyLit(Region(40, 0, 24, 48)));
}

TEST_F(DrawBuiltins, SpriteFramesAndBackgrounds)
{
    // Three 4 x 4 frames: red, green, blue.
    int sprite = Sprite_AddNew();
    CSprite* s = Sprite_Get(sprite);
    for (int f = 0; f < 3; f++) {
        TBitmap image(4, 4, 24);
        uint8_t* p = image.Lock();
        memset(p, 0, 48);
        for (int i = 0; i < 16; i++) p[i * 3 + 2 - f] = 255;  // the bytes are blue, green, red
        if (f == 0) ASSERT_TRUE(s->CreateFromBitmap(&image, false, false, false, true, 0, 0, false));
        else ASSERT_TRUE(s->AddFromBitmap(&image, false));
    }
    ASSERT_EQ(s->m_numb, 3);
    CInstance self(INSTANCE_ID_FIRST, 0, 0.0f, 0.0f);
    self.image_index = 2.7f;

    Clear();
    Call("draw_sprite", {(double)sprite, -1.0, 0.0, 0.0}, &self);   // the instance's frame 2
    Call("draw_sprite", {(double)sprite, -0.5, 8.0, 0.0}, &self);   // floors to -1: frame 2
    Call("draw_sprite", {(double)sprite, 1.9, 16.0, 0.0}, &self);   // floors to 1
    Call("draw_sprite", {sprite + 0.9, 4.0, 24.0, 0.0}, &self);     // truncated index; 4 wraps to 1
    EXPECT_EQ(Pixel(1, 1), BLUE);
    EXPECT_EQ(Pixel(9, 1), BLUE);
    EXPECT_EQ(Pixel(17, 1), GREEN);
    EXPECT_EQ(Pixel(25, 1), GREEN);

    Clear();
    Call("draw_sprite_ext", {(double)sprite, 0.0, 0.0, 0.0, 2.0, 2.0, 0.0, (double)WHITE, 1.0});
    Call("draw_sprite_stretched", {(double)sprite, 1.0, 10.0, 0.0, 8.0, 2.0});
    Call("draw_sprite_part", {(double)sprite, 0.0, 0.0, 0.0, 2.0, 2.0, 20.0, 0.0});
    Call("draw_sprite_general", {(double)sprite, 0.0, 0.0, 0.0, 4.0, 4.0, 30.0, 0.0, 1.0, 1.0, 0.0, (double)GREEN,
                                 (double)GREEN, (double)GREEN, (double)GREEN, 1.0});
    EXPECT_EQ(Pixel(7, 7), RED);    // scaled by 2
    EXPECT_EQ(Pixel(17, 1), GREEN); // stretched to 8 x 2
    EXPECT_EQ(Pixel(17, 2), BLACK);
    EXPECT_EQ(Pixel(21, 1), RED);
    EXPECT_EQ(Pixel(22, 1), BLACK);
    EXPECT_EQ(Pixel(31, 1), BLACK); // red blended by green: nothing left

    self.SetSprite(sprite);
    self.SetPosition(40, 0);
    self.SetImageXScale(2);
    Call("draw_self", {}, &self);
    EXPECT_EQ(Pixel(47, 1), BLUE);
    self.SetSprite(99);
    Call("draw_self", {}, &self);
    ASSERT_EQ(Errors().size(), 1u);

    // Tiled drawing covers the room; without a room it draws nothing.
    int background = Background_AddEmpty();
    ASSERT_GE(Background_Get(background)->CreateColor(4, 4, 0xFFFFFF, false), 0);
    Clear();
    Call("draw_background_tiled", {(double)background, 2.0, 2.0});
    Call("draw_sprite_tiled", {(double)sprite, 0.0, 0.0, 0.0});
    EXPECT_EQ(Pixel(30, 30), BLACK);
    CRoom room;
    room.width = 32, room.height = 16;
    Run_Room = &room;
    Call("draw_background_tiled", {(double)background, 2.0, 2.0});
    Run_Room = nullptr;
    EXPECT_EQ(Pixel(0, 0), WHITE);
    EXPECT_EQ(Pixel(33, 17), WHITE);  // whole copies from (2, 2) in steps of 4 cover the room
    EXPECT_EQ(Pixel(34, 17), BLACK);
    EXPECT_EQ(Pixel(33, 18), BLACK);

    Clear();
    Call("draw_background", {(double)background, 0.0, 0.0});
    Call("draw_background_stretched_ext", {(double)background, 10.0, 0.0, 8.0, 2.0, (double)RED, 1.0});
    Call("draw_background_part_ext", {(double)background, 0.0, 0.0, 2.0, 2.0, 20.0, 0.0, 2.0, 2.0, (double)GREEN, 1.0});
    EXPECT_EQ(Pixel(3, 3), WHITE);
    EXPECT_EQ(Pixel(4, 4), BLACK);
    EXPECT_EQ(Pixel(17, 1), RED);
    EXPECT_EQ(Pixel(17, 2), BLACK);
    EXPECT_EQ(Pixel(23, 3), GREEN);
    EXPECT_EQ(Pixel(24, 3), BLACK);
    EXPECT_EQ(Errors().size(), 1u);
}

TEST_F(DrawBuiltins, GetPixelSeesThroughTheViewBeingDrawn)
{
    Clear();
    Call("draw_point_color", {5.0, 6.0, (double)RED});
    Call("draw_point_color", {W - 1.0, H - 1.0, (double)0x123456});
    EXPECT_EQ(Real("draw_getpixel", {5.4, 5.6}), RED);  // nearest integers without a room
    EXPECT_EQ(Real("draw_getpixel", {W - 1.0, H - 1.0}), 0x123456);
    EXPECT_EQ(Real("draw_getpixel", {-1.0, 0.0}), 0);   // off the buffer
    EXPECT_EQ(Real("draw_getpixel", {NAN, 1e30}), 0);

    // View 1 shows the room from (100, 50) at half size in a port at (4, 6).
    CRoom room;
    room.enable_views = true;
    RoomView& v = room.views[1];
    v.visible = true;
    v.xview = 100, v.yview = 50, v.wview = 20, v.hview = 20;
    v.xport = 4, v.yport = 6, v.wport = 10, v.hport = 10;
    Run_Room = &room;
    view_current = 1;
    double seen = Real("draw_getpixel", {102.0, 50.0});
    double corner = Real("draw_getpixel", {100.0 + 2 * (W - 5), 50.0 + 2 * (H - 7)});
    view_current = 0;  // view 0 is not visible: the point is not mapped
    double unmapped = Real("draw_getpixel", {5.0, 6.0});
    Run_Room = nullptr;
    EXPECT_EQ(seen, RED);
    EXPECT_EQ(corner, 0x123456);
    EXPECT_EQ(unmapped, RED);
}

// Every handler with hostile arguments, with a sprite, a background and a room to reach: nothing
// crashes, hangs or reads past its arguments (the sanitizer build watches), the state that
// outlives a call can be put back, and what the window keeps stays valid.
TEST_F(DrawBuiltins, HostileArgumentsAreHarmless)
{
    TBitmap image(2, 2, 24);
    memset(image.Lock(), 255, 12);
    ASSERT_TRUE(Sprite_Get(Sprite_AddNew())->CreateFromBitmap(&image, false, false, false, true, 0, 0, false));
    ASSERT_GE(Background_Get(Background_AddEmpty())->CreateColor(2, 2, WHITE, false), 0);
    Path_Get(Path_Add())->AddPoint(0, 0, 100);
    CRoom room;
    Run_Room = &room;
    CInstance self(INSTANCE_ID_FIRST, 0, 0.0f, 0.0f);
    self.SetSprite(0);
    self.image_index = NAN;
    self.SetImageXScale(1e30f);

    const TaggedValue patterns[] = {TaggedValue(0.0), TaggedValue((double)NAN), TaggedValue(1e300), TaggedValue(-1e300),
                                    TaggedValue(1e-30), TaggedValue(1048576.0), TaggedValue(-1.0), S("#\\#\n")};
    for (const TaggedValue& p : patterns) {
        for (int id = 0; id < Function_Count(); id++) {
            const RFunction* f = Function_Get(id);
            std::vector<TaggedValue> args((size_t)f->argc, p);
            // The first argument names the resource: the one that exists.
            if (!args.empty() && p.IsReal() && p.GetReal() == 1048576.0) args[0] = TaggedValue(0.0);
            Call(f->name, args, &self);
        }
        Call("draw_primitive_end");
        Call("draw_set_blend_mode", {0.0});
        Call("draw_set_color_write_enable", {1.0, 1.0, 1.0, 1.0});
        Call("draw_set_alpha", {1.0});
        Call("draw_set_color", {(double)WHITE});
    }
    Run_Room = nullptr;
    Clear();
    Call("draw_rectangle", {0.0, 0.0, 3.0, 3.0, 0.0});
    EXPECT_EQ(Pixel(2, 2), WHITE);
    // What the display and window keep stays within its bounds.
    int cursor = (int)Real("window_get_cursor");
    EXPECT_TRUE(cursor >= -22 && cursor <= 0);
    EXPECT_LE(Real("window_get_color"), 16777215);
    EXPECT_GT(Real("window_get_width"), 0);
    int samples = GR_Display_Get_Antialias();
    EXPECT_TRUE(samples == 0 || samples == 2 || samples == 4 || samples == 8 || samples == 16);
    EXPECT_EQ(SurfaceTarget, -1);
    Window_Destroy();
    Window_SetBaseSize(640, 480);
}
