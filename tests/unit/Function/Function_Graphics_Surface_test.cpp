// The surface built-ins and screen captures under a real device: pixels drawn into surfaces and
// read back, nested targets, copies, and the BMP files that saves write into the save folder.
#include "../Base/CapturedWarnings.h"
#include "GraphicsBuiltins.h"

#include "IO/Window.h"
#include "Room/Room_Class.h"
#include "Room/Room_Main.h"
#include "Support/LoadSave.h"

#include <SDL.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A BMP file as the test sees it: its size and its pixels as 0xBBGGRR, rows top first.
struct Bmp {
    bool valid = false;
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[(size_t)y * width + x]; }
};

uint32_t Le32(const uint8_t* p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24;
}

// Saves go to a save folder of the test's own.
class SurfaceBuiltins : public DrawBuiltins {
protected:
    void SetUp() override
    {
        DrawBuiltins::SetUp();
        root = fs::canonical(fs::temp_directory_path()) / ("surface_test_" + std::to_string(getpid()));
        setenv("XDG_DATA_HOME", root.c_str(), 1);
        LoadSave_SetGameName("SurfaceGame");
    }
    void TearDown() override
    {
        fs::remove_all(root);
        DrawBuiltins::TearDown();
    }
    static Bmp ReadBmp(const char* name)
    {
        Bmp bmp;
        int64_t size = 0;
        uint8_t* file = LoadSave_ReadSaveFile(name, &size);
        if (!file) return bmp;
        if (size >= 54 && file[0] == 'B' && file[1] == 'M' && Le32(file + 10) == 54 && file[28] == 24) {
            bmp.width = (int)Le32(file + 18);
            bmp.height = (int)Le32(file + 22);
            size_t row = ((size_t)bmp.width * 3 + 3) & ~(size_t)3;
            if (bmp.width > 0 && bmp.height > 0 && (int64_t)(54 + row * bmp.height) == size) {
                bmp.valid = true;
                for (int y = bmp.height - 1; y >= 0; y--)  // stored bottom row first
                    for (int x = 0; x < bmp.width; x++) {
                        const uint8_t* p = file + 54 + row * y + x * 3;
                        bmp.pixels.push_back(p[0] << 16 | p[1] << 8 | p[2]);
                    }
            }
        }
        MemFree(file);
        return bmp;
    }
    // A new surface of that size cleared to a colour (the target is the screen again after).
    static double Filled(int w, int h, uint32_t colour)
    {
        double s = Real("surface_create", {(double)w, (double)h});
        EXPECT_EQ(Real("surface_set_target", {s}), 1);
        Call("draw_clear", {(double)colour});
        EXPECT_EQ(Real("surface_reset_target"), 1);
        return s;
    }
    static double GetPixel(double s, double x, double y) { return Real("surface_getpixel", {s, x, y}); }
    static ::testing::AssertionResult Sized(const Bmp& bmp, int w, int h)
    {
        if (bmp.valid && bmp.width == w && bmp.height == h) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "a BMP image of " << bmp.width << " x " << bmp.height
                                             << (bmp.valid ? "" : " (no valid file)") << ", wanted " << w << " x " << h;
    }
    fs::path root;
};

// Sizes are tested once converted; missing surfaces are reported only where they are used.
TEST_F(SurfaceBuiltins, CreateReadAndFree)
{
    // No surface is -1: 0 would be the id of the first surface.
    EXPECT_EQ(Real("surface_create", {0.3, 10.0}), -1);  // rounds to 0
    EXPECT_EQ(Real("surface_create", {NAN, 10.0}), -1);
    EXPECT_EQ(Real("surface_create", {-5.0, 10.0}), -1);
    ASSERT_EQ(Errors().size(), 3u);
    for (const std::string& e : Errors()) EXPECT_NE(e.find("Invalid surface dimensions"), std::string::npos);
    EXPECT_EQ(Real("surface_create", {1e9, 4.0}), -1);  // beyond the device
    double s = Filled(64, 64, RED);
    EXPECT_EQ(Real("surface_get_width", {s}) + Real("surface_get_height", {s}), 128);
    EXPECT_GE(Real("surface_get_texture", {s}), 0);
    Real("surface_set_target", {s});
    Call("draw_point_color", {63.0, 0.0, (double)BLUE});
    Real("surface_reset_target");
    EXPECT_EQ(GetPixel(s, 63.4, 0.4), BLUE);  // nearest integers
    EXPECT_EQ(GetPixel(s, 0, 63), RED);
    EXPECT_EQ(GetPixel(s, 64, 0), 0);          // off the surface
    EXPECT_EQ(GetPixel(s, -1e300, NAN), 0);
    EXPECT_EQ(Pixel(0, 0), BLACK);              // the screen was not drawn on

    Call("surface_free", {s});
    EXPECT_EQ(Real("surface_exists", {s}), 0);
    EXPECT_EQ(Real("surface_get_width", {s}) + Real("surface_get_texture", {s}), -2);
    EXPECT_EQ(Real("surface_set_target", {s}), 0);
    EXPECT_EQ(Errors().size(), 3u);
    EXPECT_EQ(GetPixel(s, 0, 0), 0);
    ASSERT_EQ(Errors().size(), 4u);
    EXPECT_NE(Errors()[3].find("Trying to use non-existing surface."), std::string::npos);
}

TEST_F(SurfaceBuiltins, TargetsNestAndResetToTheOneBefore)
{
    double a = Real("surface_create", {8.0, 8.0}), b = Real("surface_create", {4.0, 4.0});
    EXPECT_EQ(Real("surface_reset_target"), 0);  // nothing to go back to
    ASSERT_EQ(Real("surface_set_target", {a}), 1);
    Call("draw_clear", {(double)RED});
    ASSERT_EQ(Real("surface_set_target", {b}), 1);
    Call("draw_clear", {(double)GREEN});
    ASSERT_EQ(Real("surface_reset_target"), 1);
    // Back in a, with a's own projection: its far corner is reached.
    Call("draw_point_color", {7.0, 7.0, (double)BLUE});
    ASSERT_EQ(Real("surface_reset_target"), 1);
    Call("draw_point_color", {1.0, 1.0, (double)WHITE});
    EXPECT_EQ(Real("surface_reset_target"), 0);
    EXPECT_EQ(GetPixel(a, 0, 0), RED);
    EXPECT_EQ(GetPixel(a, 7, 7), BLUE);
    EXPECT_EQ(GetPixel(a, 1, 1), RED);
    EXPECT_EQ(GetPixel(b, 3, 3), GREEN);
    EXPECT_EQ(Pixel(1, 1), WHITE);

    // Freeing a surface kept on the stack goes back below it.
    ASSERT_EQ(Real("surface_set_target", {a}), 1);
    ASSERT_EQ(Real("surface_set_target", {b}), 1);
    Call("surface_free", {a});
    EXPECT_EQ(Real("surface_reset_target"), 0);
    Call("draw_point_color", {2.0, 2.0, (double)RED});
    EXPECT_EQ(Pixel(2, 2), RED);

    // The stack is bounded: a game that never resets cannot grow it without end.
    int pushed = 0;
    while (pushed < 1000 && Real("surface_set_target", {b}) == 1) pushed++;
    EXPECT_EQ(pushed, (int)GR_SURFACE_STACK_DEPTH);
    while (Real("surface_reset_target") == 1) {}
    EXPECT_TRUE(Errors().empty());
}

// Each drawing form reaches the device with its own arguments (snapping is played by the
// display_tiles test game).
TEST_F(SurfaceBuiltins, DrawingForms)
{
    double s = Filled(2, 2, RED);
    const double half = 0x000080;
    Clear();
    Call("draw_surface_ext", {s, 20.0, 20.0, 2.0, 2.0, 90.0, (double)WHITE, 1.0});  // turned: up from (20, 20)
    EXPECT_EQ(Pixel(21, 18), RED);
    EXPECT_EQ(Pixel(21, 21), BLACK);
    Call("draw_surface_stretched", {s, 0.0, 0.0, 6.0, 1.0});
    EXPECT_EQ(Pixel(5, 0), RED);
    EXPECT_EQ(Pixel(5, 1), BLACK);
    Call("draw_surface_stretched_ext", {s, 0.0, 4.0, 1.0, 1.0, half, 1.0});
    EXPECT_TRUE(Near(Pixel(0, 4), 0x000080));
    Call("draw_surface_part_ext", {s, 0.0, 0.0, 1.0, 1.0, 30.0, 0.0, 3.0, 3.0, (double)WHITE, 1.0});
    EXPECT_EQ(Pixel(32, 2), RED);
    EXPECT_EQ(Pixel(33, 2), BLACK);
    Call("draw_surface_general", {s, 0.0, 0.0, 2.0, 2.0, 40.0, 0.0, 1.0, 1.0, 0.0, half, half, half, half, 1.0});
    EXPECT_TRUE(Near(Pixel(40, 0), 0x000080));
    Call("draw_surface_part", {s, 0.0, 0.0, 2.0, 2.0, 50.0, 0.0});
    Call("draw_set_alpha", {0.0});
    Call("draw_surface_part", {s, 0.0, 0.0, 2.0, 2.0, 54.0, 0.0});  // with the draw alpha
    Call("draw_set_alpha", {1.0});
    EXPECT_EQ(Pixel(51, 1), RED);
    EXPECT_EQ(Pixel(54, 0), BLACK);

    // Tiled over the room, nothing without one.
    Clear();
    Call("draw_surface_tiled", {s, 1.0, 1.0});
    EXPECT_EQ(Pixel(40, 40), BLACK);
    CRoom room;
    room.width = 20, room.height = 10;
    Run_Room = &room;
    Call("draw_surface_tiled", {s, 1.0, 1.0});
    EXPECT_EQ(Pixel(20, 10), RED);  // whole copies from (1, 1) cover the room
    EXPECT_EQ(Pixel(22, 0), BLACK);
    Call("draw_surface_tiled_ext", {s, 0.0, 30.0, 2.0, 2.0, half, 1.0});
    Run_Room = nullptr;
    EXPECT_TRUE(Near(Pixel(5, 5), 0x000080));
    EXPECT_EQ(Pixel(25, 5), BLACK);
    EXPECT_TRUE(Errors().empty());
}

TEST_F(SurfaceBuiltins, CopiesAreClippedToBothSurfaces)
{
    double dest = Filled(8, 8, BLUE), source = Filled(4, 4, RED);
    Real("surface_set_target", {source});
    Call("draw_point_color", {1.0, 3.0, (double)GREEN});
    Call("draw_point_color", {3.0, 3.0, (double)GREEN});
    Real("surface_reset_target");
    Call("surface_copy", {dest, 6.0, -2.0, source});  // only (0..1, 2..3) of the source lands
    EXPECT_EQ(GetPixel(dest, 6, 0), RED);
    EXPECT_EQ(GetPixel(dest, 7, 1), GREEN);
    EXPECT_EQ(GetPixel(dest, 5, 0), BLUE);
    EXPECT_EQ(GetPixel(dest, 6, 2), BLUE);
    Call("surface_copy_part", {dest, 0.0, 0.0, source, 3.0, 3.0, 100.0, 100.0});
    EXPECT_EQ(GetPixel(dest, 0, 0), GREEN);
    EXPECT_EQ(GetPixel(dest, 1, 0), BLUE);
    Call("surface_copy_part", {dest, -2147483648.0, 2147483647.0, source, -1e300, 1e300, -1e300, 1e300});
    Call("surface_copy", {dest, 0.0, 0.0, dest});  // onto itself: nothing
    EXPECT_EQ(GetPixel(dest, 0, 0), GREEN);
    EXPECT_TRUE(Errors().empty());

    // A missing source is reported once; a missing destination stops before the source.
    Call("surface_copy", {dest, 0.0, 0.0, 99.0});
    EXPECT_EQ(Errors().size(), 1u);
    Call("surface_copy_part", {99.0, 0.0, 0.0, 98.0, 0.0, 0.0, 1.0, 1.0});
    EXPECT_EQ(Errors().size(), 2u);
    EXPECT_EQ(GetPixel(dest, 0, 0), GREEN);
}

TEST_F(SurfaceBuiltins, SavesWriteClippedBmpFilesWhateverTheExtension)
{
    double s = Filled(8, 4, RED);
    Real("surface_set_target", {s});
    Call("draw_point_color", {7.0, 0.0, (double)GREEN});
    Real("surface_reset_target");

    Call("surface_save", {s, S("whole.png")});
    Bmp whole = ReadBmp("whole.png");
    ASSERT_TRUE(Sized(whole, 8, 4));
    EXPECT_EQ(whole.At(7, 0), GREEN);
    EXPECT_EQ(whole.At(7, 3), RED);

    // Past the right and top edges: the image holds the part inside, 2 x 3.
    Call("surface_save_part", {s, S("shots\\part.bmp"), 6.0, -1.0, 10.0, 4.0});
    Bmp part = ReadBmp("shots/part.bmp");
    ASSERT_TRUE(Sized(part, 2, 3));
    EXPECT_EQ(part.At(1, 0), GREEN);
    EXPECT_EQ(part.At(0, 0), RED);
    EXPECT_EQ(part.At(1, 2), RED);

    // Nothing inside, a huge or hostile rectangle: no file, no crash.
    Call("surface_save_part", {s, S("none.bmp"), 8.0, 0.0, 5.0, 5.0});
    Call("surface_save_part", {s, S("huge.bmp"), -2147483648.0, -1e300, 1e300, NAN});
    EXPECT_FALSE(ReadBmp("none.bmp").valid);
    EXPECT_FALSE(ReadBmp("huge.bmp").valid);
    EXPECT_TRUE(Errors().empty());

    // The surface is checked before the name; an empty name is reported and writes nothing.
    Call("surface_save", {99.0, S("")});
    Call("surface_save", {s, S("")});
    Call("surface_save_part", {s, 5.0, 0.0, 0.0, 1.0, 1.0});  // a real is no name
    ASSERT_EQ(Errors().size(), 3u);
    EXPECT_NE(Errors()[0].find("Trying to use non-existing surface."), std::string::npos);
    EXPECT_NE(Errors()[1].find("Trying to save surface to empty image file name."), std::string::npos);
    EXPECT_NE(Errors()[2].find("Trying to save surface to empty image file name."), std::string::npos);

    // A name that leaves the save folder is refused with a warning, and nothing is written.
    TCapturedWarnings warnings;
    Call("surface_save", {s, S("../escape.bmp")});
    EXPECT_NE(warnings.text.find("../escape.bmp"), std::string::npos);
    EXPECT_FALSE(fs::exists(root / "escape.bmp"));
}

TEST_F(SurfaceBuiltins, ScreenSavesClipToTheBackBuffer)
{
    // A red column at x = 0 with a green pixel at its top.
    Clear();
    Call("draw_rectangle_color", {0.0, 0.0, 0.0, H - 1.0, (double)RED, (double)RED, (double)RED, (double)RED, 0.0});
    Call("draw_point_color", {0.0, 0.0, (double)GREEN});
    ASSERT_EQ(Pixel(0, H - 1), RED);
    Call("screen_save_part", {S("part.png"), -10.0, 0.0, 50.0, 100.0});
    Bmp part = ReadBmp("part.png");
    ASSERT_TRUE(Sized(part, 40, H));
    EXPECT_EQ(part.At(0, 0), GREEN);
    EXPECT_EQ(part.At(0, H - 1), RED);
    EXPECT_EQ(part.At(1, 5), BLACK);

    Call("screen_save_part", {S("none.bmp"), (double)W, 0.0, 10.0, 10.0});
    Call("screen_save_part", {S("huge.bmp"), 2147483647.0, -2147483648.0, 2147483647.0, NAN});
    EXPECT_FALSE(ReadBmp("none.bmp").valid);
    EXPECT_FALSE(ReadBmp("huge.bmp").valid);
    Call("screen_save", {S("")});
    Call("screen_save_part", {0.0, 0.0, 0.0, 1.0, 1.0});
    ASSERT_EQ(Errors().size(), 2u);
    for (const std::string& e : Errors())
        EXPECT_NE(e.find("Trying to save screen to empty image file name."), std::string::npos);

    // The screen is what the window shows now, not the game's base size.
    Window_SetBaseSize(32, 24);
    SDL_SetWindowSize(window, 80, 60);
    ASSERT_TRUE(GR_D3D_Reset_Device());
    Window_SetBaseSize(640, 480);
    Use2D(80, 60);
    Call("draw_clear", {(double)BLUE});
    Call("draw_point_color", {79.0, 59.0, (double)RED});
    Call("screen_save", {S("whole.bmp")});
    Bmp whole = ReadBmp("whole.bmp");
    ASSERT_TRUE(Sized(whole, 80, 60));
    EXPECT_EQ(whole.At(79, 59), RED);
    EXPECT_EQ(whole.At(0, 0), BLUE);
}

// Every surface and screen handler with hostile values, with a surface that exists to reach.
TEST_F(SurfaceBuiltins, HostileArgumentsAreHarmless)
{
    const TaggedValue patterns[] = {TaggedValue(0.0), TaggedValue((double)NAN), TaggedValue(1e300), TaggedValue(-1e300),
                                    TaggedValue(-1.0), TaggedValue(2147483647.0), TaggedValue(16385.0), S("x.bmp")};
    for (const TaggedValue& p : patterns)
        for (int id = 0; id < Function_Count(); id++) {
            const RFunction* f = Function_Get(id);
            if (!strstr(f->name, "surface") && !strstr(f->name, "screen_save")) continue;
            double s = Filled(4, 4, RED);
            std::vector<TaggedValue> args((size_t)f->argc, p);
            Call(f->name, args);
            if (args.empty()) continue;
            args[0] = TaggedValue(s);
            if (args.size() > 3 && strstr(f->name, "copy")) args[3] = TaggedValue(s);
            Call(f->name, args);
            while (Real("surface_reset_target") == 1) {}
            Call("surface_free", {s});
        }
    // The device still draws where it should.
    Clear();
    Call("draw_point_color", {3.0, 3.0, (double)GREEN});
    EXPECT_EQ(Pixel(3, 3), GREEN);
    double s = Filled(2, 2, BLUE);
    EXPECT_EQ(GetPixel(s, 1, 1), BLUE);
}

}  // namespace
