// The resource built-ins called by name: the table of names, hostile values over every handler,
// the two argument layouts, PNG saves read back, grabs of the screen and surfaces, copies of a
// resource onto itself, paths, time lines, parents, rooms, and resources deleted while in use.
#include "Function/Function_Resource.h"
#include "../Graphics_API/GfxTest.h"
#include "../Base/CapturedWarnings.h"
#include "../Graphics_API/PngBytes.h"
#include "../Sound/SoundGame.h"
#include "BuiltinCall.h"

#include "Background/Background_Main.h"
#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Font/Font_Main.h"
#include "Graphics/DrawPrimitives.h"
#include "Graphics/Graphics_Text.h"
#include "Object/Instance_Class.h"
#include "Object/Object_Main.h"
#include "Path/Path_Main.h"
#include "Room/Room_Main.h"
#include "Run/GameFile_Chunks.h"
#include "Run/Run_Main.h"
#include "Runner/GameFile.h"
#include "Script/Script_Main.h"
#include "Sound/Sound_Class.h"
#include "Sprite/Sprite_Class.h"
#include "Sprite/Sprite_Main.h"
#include "StartUp.h"
#include "Support/LoadSave.h"
#include "TimeLine/TimeLine_Main.h"
#include "Variable/Variable_BuiltIn.h"
#include "Variable/Variable_Main.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const char* const kNames =
    "sprite_exists 1 sprite_get_name 1 sprite_name 1 sprite_get_number 1 sprite_get_width 1 sprite_get_height 1 "
    "sprite_get_transparent 1 sprite_get_smooth 1 sprite_get_preload 1 sprite_get_xoffset 1 "
    "sprite_get_yoffset 1 sprite_get_bbox_mode 1 sprite_get_bbox_left 1 sprite_get_bbox_right 1 "
    "sprite_get_bbox_top 1 sprite_get_bbox_bottom 1 sprite_get_precise 1 sprite_collision_mask 9 "
    "sprite_set_cache_size 2 sprite_set_cache_size_ext 3 font_set_cache_size 2 sprite_get_tpe 2 "
    "sprite_set_offset 3 sprite_set_bbox_mode 2 sprite_set_bbox 5 sprite_set_precise 2 "
    "sprite_set_alpha_from_sprite 2 sprite_add 6 sprite_create_from_screen 8 sprite_add_from_screen 7 "
    "sprite_create_from_surface 9 sprite_add_from_surface 8 sprite_replace 7 sprite_add_sprite 1 "
    "sprite_replace_sprite 2 sprite_save_strip 2 sprite_delete 1 sprite_duplicate 1 sprite_assign 2 "
    "sprite_merge 2 sprite_save 3 background_exists 1 background_get_name 1 background_name 1 "
    "background_get_width 1 background_get_height 1 background_get_transparent 1 background_get_smooth 1 "
    "background_get_preload 1 background_set_alpha_from_background 2 background_create_color 3 "
    "background_replace 4 background_create_from_screen 6 background_create_from_surface 7 "
    "background_create_gradient 5 background_add 3 background_add_background 1 background_replace_background 2 "
    "background_delete 1 background_duplicate 1 background_assign 2 background_save 2 sound_exists 1 "
    "sound_get_name 1 sound_name 1 sound_get_kind 1 sound_get_preload 1 sound_discard 1 sound_restore 1 "
    "sound_add 3 sound_replace 4 sound_delete 1 font_exists 1 font_get_name 1 font_name 1 font_get_fontname 1 "
    "font_get_size 1 font_get_bold 1 font_get_italic 1 font_get_first 1 font_get_last 1 font_add 6 "
    "font_replace 7 font_add_sprite 4 font_add_sprite_ext 4 font_replace_sprite 5 font_replace_sprite_ext 5 "
    "font_delete 1 script_name 1 script_exists 1 script_get_name 1 script_get_text 1 script_execute -1 "
    "path_name 1 path_exists 1 path_get_name 1 path_get_length 1 path_get_kind 1 path_get_closed 1 "
    "path_get_precision 1 path_get_number 1 path_get_point_x 2 path_get_point_y 2 path_get_point_speed 2 "
    "path_get_x 2 path_get_y 2 path_get_speed 2 path_set_kind 2 path_set_closed 2 path_set_precision 2 "
    "path_add 0 path_duplicate 1 path_assign 2 path_append 2 path_delete 1 path_add_point 4 path_insert_point 5 "
    "path_change_point 5 path_delete_point 2 path_clear_points 1 path_reverse 1 path_mirror 1 path_flip 1 "
    "path_rotate 2 path_rescale 3 path_shift 3 timeline_name 1 timeline_exists 1 timeline_get_name 1 "
    "timeline_add 0 timeline_delete 1 timeline_moment_clear 2 timeline_moment_add 3 object_name 1 "
    "object_exists 1 object_get_name 1 object_get_sprite 1 object_get_solid 1 object_get_visible 1 "
    "object_get_depth 1 object_get_persistent 1 object_get_mask 1 object_get_parent 1 object_is_ancestor 2 "
    "object_set_sprite 2 object_set_solid 2 object_set_visible 2 object_set_depth 2 object_set_persistent 2 "
    "object_set_mask 2 object_set_parent 2 object_add 0 object_delete 1 object_event_clear 3 object_event_add 4 "
    "room_name 1 room_exists 1 room_get_name 1 room_set_width 2 room_set_height 2 room_set_caption 2 "
    "room_set_persistent 2 room_set_code 2 room_set_background_color 3 room_set_background 12 room_set_view 16 "
    "room_set_view_enabled 2 room_add 0 room_duplicate 1 room_assign 2 room_instance_add 4 "
    "room_instance_clear 1 room_tile_add 9 room_tile_add_ext 12 room_tile_clear 1";

// The older set: these counts change, these names come, these go.
const char* const kOlderCounts =
    "sprite_add 8 sprite_create_from_screen 10 sprite_add_from_screen 5 sprite_create_from_surface 11 "
    "sprite_add_from_surface 6 sprite_replace 9 sprite_add_alpha 6 sprite_replace_alpha 7 background_create_color 4 "
    "background_replace 5 background_create_from_screen 7 background_create_from_surface 8 "
    "background_create_gradient 6 background_add 4 background_add_alpha 2 background_replace_alpha 3";
const char* const kOnlyCurrent[] = {"sprite_add_sprite", "sprite_replace_sprite", "sprite_save_strip",
                                    "background_add_background", "background_replace_background"};

std::vector<std::pair<std::string, int>> Rows(const char* text)
{
    std::vector<std::pair<std::string, int>> rows;
    std::istringstream in(text);
    std::string name;
    int argc;
    while (in >> name >> argc) rows.emplace_back(name, argc);
    return rows;
}

// A 3-frame strip of 16 x 16: red, green, blue; frame 1 has a clear pixel at (4, 3), the strip
// an opaque black bottom-left corner.
std::vector<uint8_t> StripPng()
{
    CBitmap32 image(48, 16, 0);
    for (int y = 0; y < 16; y++)
        for (int x = 0; x < 48; x++) image.GetData()[y * 48 + x] = 0xFF000000u | (0xFFu << (8 * (x / 16)));
    image.GetData()[3 * 48 + 20] = 0x00FFFFFFu;
    image.GetData()[15 * 48] = 0xFF000000u;
    return PngBytes(image);
}

class Resources : public BuiltinTestOn<GfxTest> {
protected:
    void Register() override { Function_Resource_Init(); }
    void SetUp() override
    {
        BuiltinTestOn<GfxTest>::SetUp();
        root = fs::canonical(fs::temp_directory_path()) / ("resources_" + std::to_string(getpid()));
        fs::remove_all(root);
        save = root / "xdg" / "Res";
        fs::create_directories(root / "prog");
        fs::create_directories(save);
        setenv("XDG_DATA_HOME", (root / "xdg").c_str(), 1);
        LoadSave_SetGameName("Res");
        LoadSave_SetProgramFolder((root / "prog").c_str());
        Draw_Init();
        savedDebug = Console_Debug;
        Console_Debug = &debug;
        std::vector<uint8_t> png = StripPng();
        std::ofstream(save / "strip.png", std::ios::binary).write((const char*)png.data(), (std::streamsize)png.size());
    }
    void TearDown() override
    {
        Run_EndGame();
        Room_Clear();
        Object_Clear();
        Path_Clear();
        TimeLine_Clear();
        Script_Clear();
        Sound_Clear();
        Font_Free();
        GR_Text_Free();
        Sprite_Free();
        Background_Free();
        GR_Surface_Free_All();
        Console_Debug = savedDebug;
        GameFileVersion = 800;
        LoadSave_SetProgramFolder("");
        fs::remove_all(root);
        BuiltinTestOn<GfxTest>::TearDown();
    }
    // Registers the set of a data format version.
    static void Version(int version)
    {
        GameFileVersion = version;
        Function_Clear();
        Function_Resource_Init();
    }
    // A one-room world with objects made beforehand; instances are placed directly.
    static void Start()
    {
        ASSERT_TRUE(Object_LinkParents());
        Room_Add();
        Run_NoWait = true;
        ASSERT_TRUE(Run_StartGame());
    }
    // The RGBA pixels of a PNG file in the save folder.
    std::vector<uint8_t> ReadPng(const char* name, int* w, int* h) const
    {
        std::ifstream in(save / name, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        uint8_t* rgba = PNG_Decode(bytes.data(), bytes.size(), w, h);
        std::vector<uint8_t> out;
        if (rgba) out.assign(rgba, rgba + (size_t)*w * *h * 4);
        MemFree(rgba);
        return out;
    }
    static uint32_t At(const std::vector<uint8_t>& rgba, int w, int x, int y)
    {
        const uint8_t* p = &rgba[((size_t)y * w + x) * 4];
        return (uint32_t)p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24;
    }
    bool HasError(const std::string& text) const
    {
        for (const std::string& e : Errors())
            if (e.find(text) != std::string::npos) return true;
        return false;
    }

    fs::path root, save;
    TCaptureConsole debug;
    tagIConsole* savedDebug = nullptr;
};

TEST_F(Resources, RegistersBothSetsInOrder)
{
    auto rows = Rows(kNames);
    ASSERT_EQ(Function_Count(), (int)rows.size());
    for (int i = 0; i < (int)rows.size(); i++) {
        EXPECT_STREQ(Function_Get(i)->name, rows[i].first.c_str()) << i;
        EXPECT_EQ(Function_Get(i)->argc, rows[i].second) << rows[i].first;
    }
    // The older names share their handlers.
    int a, b;
    for (const char* kind : {"sprite", "background", "sound", "font", "script", "path", "timeline", "object", "room"}) {
        ASSERT_TRUE(Function_Find((std::string(kind) + "_name").c_str(), &a));
        ASSERT_TRUE(Function_Find((std::string(kind) + "_get_name").c_str(), &b));
        EXPECT_EQ(Function_Get(a)->handler, Function_Get(b)->handler) << kind;
    }

    Version(700);
    for (auto& [name, argc] : Rows(kOlderCounts)) {
        ASSERT_TRUE(Function_Find(name.c_str(), &a)) << name;
        EXPECT_EQ(Function_Get(a)->argc, argc) << name;
    }
    for (const char* name : kOnlyCurrent) EXPECT_FALSE(Function_Find(name, &a)) << name;
    EXPECT_EQ(Function_Count(), (int)rows.size() - 5 + 4);
    ASSERT_TRUE(Function_Find("sprite_add_alpha", &a));
    ASSERT_TRUE(Function_Find("sprite_replace", &b));
    EXPECT_EQ(a, b + 1);
}

// Every handler with NaN, huge, negative and unknown indexes, strings for reals, reals for
// strings and names that lead out of the folders, over existing resources and a running room.
TEST_F(Resources, HostileArgumentsAreHarmless)
{
    Sprite_Add("strip.png", 3, true, true, false, true, 0, 0);
    CSprite* page = Sprite_Get(Sprite_AddNew());
    page->m_pages = {-1};
    page->m_numb = 1;
    Background_AddEmpty();
    Font_AddSprite(0, 65, true, 1);
    Path_Get(Path_Add())->AddPoint(0, 0, 100);
    TimeLine_Get(TimeLine_Add())->AddMoment(3, "");
    Object_Add();
    Object_Find(Object_Add())->parent_index = 0;
    Object_Find(1)->sprite = 0;
    ASSERT_NO_FATAL_FAILURE(Start());
    CInstance* inst = Run_Room->CreateInstance(5, 5, 1);
    inst->SetSprite(0);
    inst->path_index = 0;
    GR_Surface_Create(8, 8);

    const double NaN = std::nan("");
    const std::vector<TaggedValue> values = {NaN, 1e300, -1e300, -1.0, 1e9, 0.0, 1.0, S("text"), S(""),
                                             S("../../outside.png"), S("/etc/passwd")};
    for (int id = 0; id < Function_Count(); id++) {
        const RFunction* f = Function_Get(id);
        int argc = f->argc < 0 ? 3 : f->argc;
        for (const TaggedValue& v : values)
            for (bool firstZero : {false, true}) {
                std::vector<TaggedValue> args((size_t)argc, v);
                if (firstZero && argc > 0) args[0] = TaggedValue(0.0);
                Call(f->name, args, inst);
            }
    }
    for (int i = 0; i < 3; i++) Run_Frame();
    // Nothing was written outside the game's folders.
    EXPECT_FALSE(fs::exists(root / "outside.png"));
    EXPECT_FALSE(fs::exists(root / "xdg" / "outside.png"));
}

TEST_F(Resources, MissingResourcesGiveTheirDefaultsAndMessages)
{
    EXPECT_EQ(Real("sprite_get_width", {-5.0}), -1);
    EXPECT_EQ(Text("sprite_get_name", {-5.0}), "<undefined>");
    EXPECT_EQ(Real("background_get_preload", {3.0}), -1);
    EXPECT_EQ(Text("font_get_fontname", {0.0}), "");
    EXPECT_EQ(Real("path_get_point_x", {0.0, 0.0}), -1);
    EXPECT_EQ(Real("object_is_ancestor", {0.0, 0.0}), -1);
    EXPECT_EQ(Real("room_instance_add", {0.0, 1.0, 2.0, 3.0}), -1);
    EXPECT_EQ(Real("sprite_add_sprite", {0.0}), -1);
    EXPECT_EQ(debug.text, "unsupported function\n");
    Call("sprite_delete", {2.0});
    Call("sprite_merge", {0.0, 0.0});
    Call("background_duplicate", {0.0});
    Call("font_replace_sprite", {0.0, 0.0, 0.0, 0.0, 0.0});
    Call("path_append", {0.0, 0.0});
    Call("timeline_delete", {0.0});
    Call("object_delete", {0.0});
    Call("room_duplicate", {0.0});
    Call("sprite_assign", {0.0, 1.0});
    CallExact("script_execute", {});
    const std::vector<std::string> want = {
        "Trying to delete non-existing sprite.", "Trying to merge to non-existing sprite.",
        "Trying to duplicate non-existing background.", "Trying to replace non-existing font.",
        "Appending to non-existing path.", "Trying to delete non-existing timeline.",
        "Trying to delete non-existing object.", "Trying to duplicate non-existing room.", "Error assigning a sprite.",
        "Trying to execute non-existing script."};
    ASSERT_EQ(Errors().size(), want.size());
    for (size_t i = 0; i < want.size(); i++) EXPECT_NE(Errors()[i].find(want[i]), std::string::npos) << Errors()[i];
}

// Fifteen values reach the script, the caller's argument count comes back, and an error inside
// the script is reported once.
TEST_F(Resources, ScriptExecute)
{
    Variable_BuiltIn_Init();
    int count = Script_Add("scr_count", "return argument_count * 1000 + argument14 + argument15;");
    int fail = Script_Add("scr_fail", "return 7 + undefined_name;");
    std::vector<TaggedValue> args = {(double)count};
    for (int i = 1; i < 20; i++) args.emplace_back((double)i);
    argument_count = 3;
    CInstance self(700100, -1, 0, 0);
    EXPECT_EQ(Call("script_execute", args, &self).GetReal(), 15015);
    EXPECT_EQ(argument_count, 3);
    EXPECT_EQ(Text("script_get_text", {(double)fail}), "return 7 + undefined_name;");
    EXPECT_EQ(Text("script_get_text", {9.0}), "");
    Call("script_execute", {(double)fail, 1.0}, &self);
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_NE(Errors()[0].find("In script scr_fail:"), std::string::npos);
    EXPECT_FALSE(PendingScriptError.pending);
    argument_count = 0;
}

TEST_F(Resources, SpriteAddLayoutsAndTheSavedStrip)
{
    // (file, frames, removeback, smooth, xorig, yorig): not precise; flags at 0.5 split.
    int s = (int)Real("sprite_add", {S("strip.png"), 3.0, 0.5, 0.5, 4.0, 5.0});
    ASSERT_GE(s, 0);
    EXPECT_EQ(Real("sprite_get_number", {(double)s}), 3);
    EXPECT_EQ(Real("sprite_get_width", {(double)s}), 16);
    EXPECT_EQ(Real("sprite_get_precise", {(double)s}), 0);
    EXPECT_EQ(Real("sprite_get_transparent", {(double)s}), 1);
    EXPECT_EQ(Real("sprite_get_smooth", {(double)s}), 0);
    EXPECT_EQ(Real("sprite_get_yoffset", {(double)s}), 5);
    EXPECT_EQ(Real("sprite_add", {S("none.png"), 3.0, 0.0, 0.0, 0.0, 0.0}), -1);

    // The strip keeps each frame's colours and alpha: the removed corner and the clear pixel.
    Call("sprite_save_strip", {(double)s, S("out/strip.png")});
    int w = 0, h = 0;
    std::vector<uint8_t> strip = ReadPng("out/strip.png", &w, &h);
    ASSERT_EQ(w, 48);
    ASSERT_EQ(h, 16);
    EXPECT_EQ(At(strip, w, 8, 8), 0xFF0000FFu);
    EXPECT_EQ(At(strip, w, 24, 8), 0xFF00FF00u);
    EXPECT_EQ(At(strip, w, 40, 8), 0xFFFF0000u);
    EXPECT_EQ(At(strip, w, 20, 3) >> 24, 0u);
    EXPECT_EQ(At(strip, w, 0, 15) >> 24, 0u);
    // One frame.
    Call("sprite_save", {(double)s, 2.0, S("blue.png")});
    std::vector<uint8_t> frame = ReadPng("blue.png", &w, &h);
    ASSERT_EQ(w, 16);
    EXPECT_EQ(At(frame, w, 15, 15), 0xFFFF0000u);
    Call("sprite_save", {(double)s, 3.0, S("none.png")});
    EXPECT_EQ(debug.text, "sprite_save() failed - no bitmap data available\n");
    Call("sprite_save", {(double)s, 0.0, S("")});
    EXPECT_TRUE(HasError("Trying to save sprite bitmap to empty image file name."));
    // A strip wider than any image is not written.
    for (int i = 0; i < 9; i++) Call("sprite_merge", {(double)s, (double)s});
    debug.text.clear();
    Call("sprite_save_strip", {(double)s, S("wide.png")});
    EXPECT_EQ(debug.text, "sprite_save_strip() failed - a strip of 24576 x 16 pixels is too large\n");
    EXPECT_FALSE(fs::exists(save / "wide.png"));

    // Without removing the background the corner stays; the older layout gives precise and
    // transparent from arguments 2 and 3.
    int kept = (int)Real("sprite_add", {S("strip.png"), 3.0, 0.0, 0.0, 0.0, 0.0});
    Call("sprite_save", {(double)kept, 0.0, S("red.png")});
    frame = ReadPng("red.png", &w, &h);
    EXPECT_EQ(At(frame, w, 0, 15), 0xFF000000u);
    Version(700);
    int older = (int)Real("sprite_add", {S("strip.png"), 3.0, 1.0, 0.0, 1.0, 0.0, 0.0, 0.0});
    EXPECT_EQ(Real("sprite_get_precise", {(double)older}), 1);
    EXPECT_EQ(Real("sprite_get_transparent", {(double)older}), 0);
    EXPECT_EQ(Real("sprite_get_smooth", {(double)older}), 1);
    // sprite_replace keeps precise for the current layout, takes it for the older one.
    EXPECT_EQ(Real("sprite_replace", {(double)older, S("strip.png"), 1.0, 0.0, 1.0, 0.0, 0.0, 0.0, 0.0}), 1);
    EXPECT_EQ(Real("sprite_get_precise", {(double)older}), 0);
    EXPECT_EQ(Real("sprite_get_width", {(double)older}), 48);
    Version(800);
    EXPECT_EQ(Real("sprite_replace", {(double)older, S("strip.png"), 2.0, 0.0, 0.0, 0.0, 0.0}), 1);
    EXPECT_EQ(Real("sprite_get_precise", {(double)older}), 1);
    EXPECT_EQ(Real("sprite_get_width", {(double)older}), 24);
}

TEST_F(Resources, CopiesOntoThemselvesKeepTheirData)
{
    int s = Sprite_Add("strip.png", 3, true, false, false, true, 1, 2);
    Call("sprite_assign", {(double)s, (double)s});
    EXPECT_EQ(Real("sprite_get_number", {(double)s}), 3);
    Call("sprite_merge", {(double)s, (double)s});
    EXPECT_EQ(Real("sprite_get_number", {(double)s}), 6);
    Call("sprite_save", {(double)s, 4.0, S("merged.png")});
    int w, h;
    std::vector<uint8_t> frame = ReadPng("merged.png", &w, &h);
    ASSERT_EQ(w, 16);
    EXPECT_EQ(At(frame, w, 8, 8), 0xFF00FF00u);
    EXPECT_EQ(At(frame, w, 4, 3) >> 24, 0u);

    // A sprite of the game data file takes no frames and gives none.
    int page = Sprite_AddNew();
    Sprite_Get(page)->m_pages = {-1};
    Sprite_Get(page)->m_numb = 1;
    Call("sprite_merge", {(double)page, (double)s});
    Call("sprite_merge", {(double)s, (double)page});
    Call("sprite_add_from_screen", {(double)page, 0.0, 0.0, 4.0, 4.0, 0.0, 0.0});
    EXPECT_EQ(Real("sprite_get_number", {(double)page}), 1);
    EXPECT_EQ(Real("sprite_get_number", {(double)s}), 6);

    int b = (int)Real("background_create_color", {10.0, 6.0, (double)RED});
    Call("background_assign", {(double)b, (double)b});
    EXPECT_EQ(Real("background_get_width", {(double)b}), 10);
    Call("background_save", {(double)b, S("colour.png")});
    frame = ReadPng("colour.png", &w, &h);
    ASSERT_EQ(h, 6);
    EXPECT_EQ(At(frame, w, 9, 5), 0xFF0000FFu);

    int p = (int)Real("path_add");
    Call("path_add_point", {(double)p, 1.0, 2.0, 100.0});
    Call("path_assign", {(double)p, (double)p});
    Call("path_append", {(double)p, (double)p});
    EXPECT_EQ(Real("path_get_number", {(double)p}), 2);
    EXPECT_TRUE(HasError("ERROR: Can not assign a path to itself!"));
    EXPECT_TRUE(HasError("Error assigning a path."));

    int r = Room_Add();
    Call("room_instance_add", {(double)r, 1.0, 2.0, 0.0});
    Call("room_assign", {(double)r, (double)r});
    EXPECT_EQ(Room_Get(r)->entries.size(), 1u);
    EXPECT_FALSE(HasError("Error assigning a room."));
}

// Grabs outside the window give empty resources; inside, the pixels (and a surface's alpha).
TEST_F(Resources, GrabsOfTheScreenAndSurfaces)
{
    Draw_Clear(RED);
    int off = (int)Real("sprite_create_from_screen", {-100.0, -100.0, 10.0, 10.0, 0.0, 0.0, 0.0, 0.0});
    EXPECT_TRUE(Sprite_Exists(off));
    EXPECT_EQ(Real("sprite_get_number", {(double)off}), 0);
    int empty = (int)Real("background_create_from_screen", {W + 5.0, 0.0, 10.0, 10.0, 0.0, 0.0});
    EXPECT_EQ(Real("background_get_width", {(double)empty}), 0);
    Call("sprite_add_from_screen", {(double)off, 1e9, 0.0, 4.0, 4.0, 0.0, 0.0});
    EXPECT_EQ(Real("sprite_get_number", {(double)off}), 0);

    // A corner beyond the window is cut off.
    int s = (int)Real("sprite_create_from_screen", {W - 4.0, 0.0, 10.0, 3.0, 0.0, 0.0, 1.0, 1.0});
    EXPECT_EQ(Real("sprite_get_width", {(double)s}), 4);
    EXPECT_EQ(Real("sprite_get_height", {(double)s}), 3);
    Call("sprite_add_from_screen", {(double)s, 0.0, 0.0, 8.0, 8.0, 0.0, 0.0});
    EXPECT_EQ(Real("sprite_get_number", {(double)s}), 2);
    Call("sprite_save", {(double)s, 1.0, S("grab.png")});
    int w, h;
    std::vector<uint8_t> grab = ReadPng("grab.png", &w, &h);
    ASSERT_EQ(w, 4);  // stretched to the sprite's size
    EXPECT_EQ(At(grab, w, 3, 2), 0xFF0000FFu);

    int surface = GR_Surface_Create(8, 8);
    ASSERT_TRUE(GR_Surface_Set_Target(surface));
    Draw_ClearAlpha(GREEN, 0.5);
    GR_Surface_Reset_Target();
    int fromSurface = (int)Real("sprite_create_from_surface", {(double)surface, 0.0, 0.0, 8.0, 8.0, 0.0, 0.0, 0.0, 0.0});
    Call("sprite_save", {(double)fromSurface, 0.0, S("surface.png")});
    grab = ReadPng("surface.png", &w, &h);
    ASSERT_EQ(w, 8);
    EXPECT_EQ(At(grab, w, 4, 4) & 0xFFFFFF, 0x00FF00u);
    EXPECT_NEAR(At(grab, w, 4, 4) >> 24, 128, 2);
    int background = (int)Real("background_create_from_surface", {(double)surface, 2.0, 2.0, 3.0, 3.0, 0.0, 0.0});
    Call("background_save", {(double)background, S("back.png")});
    grab = ReadPng("back.png", &w, &h);
    ASSERT_EQ(w, 3);
    EXPECT_NEAR(At(grab, w, 1, 1) >> 24, 128, 2);
}

// A size no background can have is an error: -1, and no background is added.
TEST_F(Resources, ColourAndGradientSizesAreBounded)
{
    int count = Background_Count();
    for (double side : {0.0, -4.0, 16385.0, 100000.0, 1e300}) {
        EXPECT_EQ(Real("background_create_color", {side, 4.0, 0.0}), -1) << side;
        EXPECT_EQ(Real("background_create_color", {side, side, 0.0}), -1) << side;
        EXPECT_EQ(Real("background_create_gradient", {4.0, side, 0.0, 255.0, 1.0}), -1) << side;
    }
    EXPECT_EQ(Background_Count(), count);
    ASSERT_EQ(Errors().size(), 15u);
    for (const std::string& e : Errors()) EXPECT_NE(e.find("Invalid background dimensions"), std::string::npos);
    Errors().clear();
    int b = (int)Real("background_create_gradient", {4.0, 3.0, 0.0, (double)WHITE, 1.0});
    EXPECT_EQ(Real("background_get_preload", {(double)b}), 1);
    EXPECT_EQ(Real("background_get_height", {(double)b}), 3);
}

TEST_F(Resources, SpriteFontsStayWithinTheCodeTable)
{
    int s = Sprite_Add("strip.png", 3, false, false, false, true, 0, 0);
    for (double first : {250.0, 255.0, 65535.0, -3.0}) {
        int f = (int)Real("font_add_sprite", {(double)s, first, 0.0, 1.0});
        EXPECT_TRUE(Font_Exists(f)) << first;
        GR_Text_Set_Font(f);
        GR_Text_Draw(0, 0, "ABC", -1, -1);
    }
    int f = (int)Real("font_add_sprite_ext", {(double)s, S("abc"), 1.0, 2.0});
    EXPECT_EQ(Font_Get(f)->GetGlyphCount(), 4);  // a space is added
    EXPECT_EQ(Real("font_replace_sprite", {(double)f, (double)s, 48.0, 0.0, 0.0}), 1);
    EXPECT_EQ(Real("font_get_first", {(double)f}), 32);
    // A deleted sprite leaves its font drawing nothing.
    GR_Text_Set_Font(f);
    Call("sprite_delete", {(double)s});
    GR_Text_Draw(0, 0, "abc", -1, -1);
    Call("font_delete", {(double)f});
    GR_Text_Draw(0, 0, "abc", -1, -1);
    EXPECT_EQ(Real("font_exists", {(double)f}), 0);
    EXPECT_EQ(Real("font_add", {S("Sans"), 12.0, 0.5, 0.4, 32.0, 127.0}), f + 1);
    EXPECT_EQ(Real("font_get_bold", {f + 1.0}), 1);
    EXPECT_EQ(Real("font_get_italic", {f + 1.0}), 0);
    EXPECT_EQ(Text("font_get_fontname", {f + 1.0}), "Sans");
}

TEST_F(Resources, PathEdits)
{
    int p = (int)Real("path_add");
    EXPECT_EQ(Text("path_get_name", {(double)p}), "__newpath" + std::to_string(p));
    Call("path_set_closed", {(double)p, 0.0});
    Call("path_add_point", {(double)p, 0.0, 0.0, 100.0});
    Call("path_add_point", {(double)p, 100.0, 0.0, 50.0});
    Call("path_add_point", {(double)p, 100.0, 50.0, 100.0});
    EXPECT_EQ(Real("path_get_length", {(double)p}), 150);
    EXPECT_EQ(Real("path_get_x", {(double)p, 0.5}), 75);
    EXPECT_EQ(Real("path_get_speed", {(double)p, 0.5}), 62.5);
    // Mirrored about the box's centre (50, 25), turned by 90 degrees about it (the first point
    // (100, 0) goes to (25, -25)), then flipped about the new box's centre (y from -25 to 75).
    Call("path_mirror", {(double)p});
    EXPECT_EQ(Real("path_get_point_x", {(double)p, 0.0}), 100);
    Call("path_rotate", {(double)p, 90.0});
    EXPECT_NEAR(Real("path_get_point_x", {(double)p, 0.0}), 25, 1e-4);
    EXPECT_NEAR(Real("path_get_point_y", {(double)p, 0.0}), -25, 1e-4);
    EXPECT_NEAR(Real("path_get_point_y", {(double)p, 1.0}), 75, 1e-4);
    Call("path_flip", {(double)p});
    EXPECT_NEAR(Real("path_get_point_y", {(double)p, 0.0}), 75, 1e-4);
    Call("path_set_precision", {(double)p, 12.0});
    EXPECT_EQ(Real("path_get_precision", {(double)p}), 8);
    Call("path_set_kind", {(double)p, 5.0});
    EXPECT_EQ(Real("path_get_kind", {(double)p}), 0);
    // Point numbers outside the path: reads give zeros, inserts go to the nearer end.
    EXPECT_EQ(Real("path_get_point_speed", {(double)p, 7.0}), 0);
    Call("path_insert_point", {(double)p, 1e9, 1.0, 2.0, 3.0});
    Call("path_insert_point", {(double)p, -5.0, 4.0, 5.0, 6.0});
    Call("path_change_point", {(double)p, 9.0, 0.0, 0.0, 0.0});
    Call("path_delete_point", {(double)p, -1.0});
    EXPECT_EQ(Real("path_get_number", {(double)p}), 5);
    EXPECT_EQ(Real("path_get_point_x", {(double)p, 0.0}), 4);
    EXPECT_EQ(Real("path_get_point_speed", {(double)p, 4.0}), 3);
    Call("path_reverse", {(double)p});
    EXPECT_EQ(Real("path_get_point_x", {(double)p, 0.0}), 1);
    Call("path_shift", {(double)p, 10.0, 0.0});
    Call("path_rescale", {(double)p, 2.0, 1.0});
    Call("path_clear_points", {(double)p});
    EXPECT_EQ(Real("path_get_length", {(double)p}), 0);
    EXPECT_EQ(Real("path_delete", {(double)p}), 1);
    EXPECT_EQ(Real("path_exists", {(double)p}), 0);
}

TEST_F(Resources, MomentsAreClearedOnlyAtTheirStep)
{
    int t = (int)Real("timeline_add");
    CTimeLine* line = TimeLine_Get(t);
    line->AddMoment(10, "a = 1;");
    line->AddMoment(20, "a = 2;");
    Call("timeline_moment_clear", {(double)t, 15.0});
    Call("timeline_moment_clear", {(double)t, 25.0});
    EXPECT_EQ(line->GetCount(), 2);
    Call("timeline_moment_clear", {(double)t, 20.0});
    ASSERT_EQ(line->GetCount(), 1);
    EXPECT_EQ(line->GetMoment(0).time, 10);
    Call("timeline_moment_clear", {(double)t, 10.0});
    Call("timeline_moment_clear", {(double)t, 10.0});
    EXPECT_EQ(line->GetCount(), 0);
    Call("timeline_moment_add", {(double)t, 5.0, S("a = 3;")});
    EXPECT_EQ(line->GetCount(), 0);
    EXPECT_EQ(debug.text, "timeline_moment_add :: deprecated function\n");
}

TEST_F(Resources, ParentsRefuseCyclesAndMoveInstances)
{
    int a = Object_Add(), b = Object_Add(), c = Object_Add();
    ASSERT_NO_FATAL_FAILURE(Start());
    CInstance* ia = Run_Room->CreateInstance(0, 0, a);
    Call("object_set_parent", {(double)a, (double)b});
    Call("object_set_parent", {b + 0.9, (double)c});  // truncated: b
    EXPECT_EQ(Real("object_is_ancestor", {(double)a, (double)c}), 1);
    EXPECT_EQ(Real("object_is_ancestor", {(double)c, (double)a}), 0);
    EXPECT_EQ(Object_Find(c)->instances.Snapshot(), std::vector<CInstance*>{ia});
    Call("object_set_parent", {(double)a, (double)a});
    Call("object_set_parent", {(double)c, (double)a});
    Call("object_set_parent", {(double)a, 99.0});
    ASSERT_EQ(Errors().size(), 3u);
    EXPECT_NE(Errors()[0].find("Creating a cycle in the parent relation."), std::string::npos);
    EXPECT_NE(Errors()[1].find("Creating a cycle in the parent relation."), std::string::npos);
    EXPECT_NE(Errors()[2].find("Setting a non-existing parent."), std::string::npos);
    EXPECT_EQ(Real("object_get_parent", {(double)a}), b);

    // The instance leaves the lists of its old ancestors; destroying it later leaves no trace.
    Call("object_set_parent", {(double)a, -1.0});
    EXPECT_EQ(Real("object_get_parent", {(double)a}), -1);
    EXPECT_TRUE(Object_Find(b)->instances.empty());
    EXPECT_TRUE(Object_Find(c)->instances.empty());
    Call("object_set_parent", {(double)a, (double)c});
    ia->deactivated = true;
    Run_Room->UpdateActivation();
    Call("object_set_parent", {(double)a, -1.0});
    ia->marked = true;
    Run_Frame();
    EXPECT_TRUE(Object_Find(c)->instances.empty());
    CInstance* again = Run_Room->CreateInstance(0, 0, b);
    Call("object_delete", {(double)c});
    Call("object_delete", {(double)b});
    EXPECT_EQ(Real("object_exists", {(double)b}), 0);
    again->marked = true;
    Run_Frame();
    for (int i = 0; i < Object_Count(); i++)
        if (CObject* object = Object_Find(i)) {
            EXPECT_TRUE(object->instances.empty()) << i;
        }
}

// The setters of a sprite's box reach the instances showing it, deactivated ones too, and the
// instance's box variables are up to date when read.
TEST_F(Resources, BoxSettersReachDeactivatedInstances)
{
    Variable_BuiltIn_Init();
    StartUp_Variables();
    int s = Sprite_Add("strip.png", 3, false, false, false, true, 0, 0);
    int o = Object_Add();
    ASSERT_NO_FATAL_FAILURE(Start());
    CInstance* on = Run_Room->CreateInstance(100, 50, o);
    CInstance* off = Run_Room->CreateInstance(200, 50, o);
    on->SetSprite(s);
    off->SetSprite(s);
    on->Compute_BoundingBox();
    off->Compute_BoundingBox();
    EXPECT_EQ(off->bbox_right, 215);
    off->deactivated = true;
    Run_Room->UpdateActivation();
    Call("sprite_set_bbox_mode", {(double)s, 2.0});
    Call("sprite_set_bbox", {(double)s, 2.0, 3.0, 5.0, 6.0});
    Call("sprite_set_offset", {(double)s, 1.0, 1.0});
    TaggedValue v;
    ASSERT_TRUE(Instance_GetVariable(off, Variable_BuiltIn_Find("bbox_right"), 0, &v));
    EXPECT_EQ(v.GetReal(), 204);
    ASSERT_TRUE(Instance_GetVariable(on, Variable_BuiltIn_Find("bbox_top"), 0, &v));
    EXPECT_EQ(v.GetReal(), 52);
    EXPECT_FALSE(Variable_BuiltIn_Get(Variable_BuiltIn_Find("bbox_left"))->canSet);
    // A new sprite index gives a new box at once.
    TaggedValue none(-1.0);
    ASSERT_TRUE(Instance_SetVariable(on, Variable_BuiltIn_Find("sprite_index"), 0, &none));
    ASSERT_TRUE(Instance_GetVariable(on, Variable_BuiltIn_Find("bbox_left"), 0, &v));
    EXPECT_EQ(v.GetReal(), 100);
}

TEST_F(Resources, RoomEditsChangeTheResourceAndItsRecord)
{
    int o = Object_Add();
    ASSERT_NO_FATAL_FAILURE(Start());
    int r = (int)Real("room_add");
    int id = (int)Real("room_instance_add", {(double)r, 10.4, 20.6, (double)o});
    EXPECT_EQ(id, Room_LastInstanceId);
    int b = (int)Real("background_create_color", {8.0, 8.0, (double)BLUE});
    int tile = (int)Real("room_tile_add", {(double)r, (double)b, 0.0, 0.0, 4.0, 4.0, 1.0, 2.0, 10.0});
    EXPECT_EQ(tile, Room_LastTileId);
    EXPECT_EQ(Real("room_tile_add_ext", {(double)r, (double)b, 0.0, 0.0, 8.0, 8.0, 5.0, 5.0, -1.0, 2.0, 2.0, 0.5}), 1);
    Call("room_tile_add", {(double)r, 99.0, 0.0, 0.0, 4.0, 4.0, 0.0, 0.0, 0.0});
    EXPECT_TRUE(HasError("Background does not exist."));
    Call("room_set_view", {(double)r, 8.0, 1.0, 5.0, 5.0, 5.0, 5.0, 5.0, 5.0, 5.0, 5.0, 5.0, 5.0, 5.0, 5.0, 5.0});
    Call("room_set_view", {(double)r, 1.0, 1.0, 0.0, 0.0, 32.0, 24.0, 0.0, 0.0, 64.0, 48.0, 4.0, 4.0, -1.0, -1.0, -1.0});
    Call("room_set_background", {(double)r, 0.0, 1.0, 0.0, (double)b, 3.0, 4.0, 0.0, 1.0, 0.5, 0.0, 0.25});
    Call("room_set_width", {(double)r, 320.0});
    Call("room_set_caption", {(double)r, S("second")});
    Call("room_set_code", {(double)r, S("made = 1;")});
    EXPECT_NE(Room_Get(r)->creation_compiled, nullptr);
    Call("room_set_code", {(double)r, S("made = ;")});
    EXPECT_TRUE(HasError("Room creation code does not compile"));
    EXPECT_EQ(Room_Get(r)->creation_compiled, nullptr);
    Call("room_set_code", {(double)r, S("")});

    // The copy is made when the room starts: edits after that change only the resource.
    int copy = (int)Real("room_duplicate", {(double)r});
    Room_Goto(copy);
    Run_Frame();
    ASSERT_EQ(Run_RoomIndex, copy);
    EXPECT_EQ(Run_Room->width, 320);
    EXPECT_STREQ(Run_Room->caption, "second");
    EXPECT_TRUE(Run_Room->views[1].visible);
    EXPECT_EQ(Run_Room->views[1].wport, 64);
    EXPECT_EQ(Run_Room->backgrounds[0].index, b);
    EXPECT_FALSE(Run_Room->backgrounds[0].htiled);
    EXPECT_EQ(Run_Room->backgrounds[0].alpha, 0.25f);
    ASSERT_EQ(Run_Room->tiles.size(), 3u);
    EXPECT_EQ(Run_Room->tiles[1].xscale, 2.0f);
    EXPECT_EQ(Run_Room->tiles[1].alpha, 0.5f);
    CInstance* placed = Instance_Find(id);
    ASSERT_NE(placed, nullptr);  // the copy's entry keeps the id; the original's is not made twice
    EXPECT_EQ(placed->x, 10);
    EXPECT_EQ(placed->y, 21);
    Call("room_tile_clear", {(double)copy});
    Call("room_instance_clear", {(double)copy});
    EXPECT_EQ(Run_Room->tiles.size(), 3u);
    Room_Goto(r);
    Run_Frame();
    EXPECT_EQ(Run_Room->tiles.size(), 3u);
    Room_Goto(copy);
    Run_Frame();
    EXPECT_TRUE(Run_Room->tiles.empty());
    EXPECT_TRUE(Run_Room->active.empty());
}

// Deleting what live instances, fonts and rooms use: they go on without it (ASan watches).
TEST_F(Resources, DeletingResourcesInUseIsSafe)
{
    int s = Sprite_Add("strip.png", 3, true, true, false, true, 0, 0);
    int b = Background_AddEmpty();
    Background_Get(b)->CreateColor(8, 8, 0xFF, true);
    int p = Path_Add();
    Path_Get(p)->AddPoint(0, 0, 100);
    Path_Get(p)->AddPoint(50, 0, 100);
    int t = TimeLine_Add();
    TimeLine_Get(t)->AddMoment(1, "");
    ASSERT_TRUE(TimeLine_Prepare());
    int parent = Object_Add(), child = Object_Add();
    Object_Find(child)->parent_index = parent;
    Object_Find(child)->sprite = s;
    ASSERT_NO_FATAL_FAILURE(Start());
    Run_Room->backgrounds[0] = {true, false, b};
    RoomTile tile;
    tile.background = b;
    tile.width = tile.height = 8;
    Run_Room->AddTile(tile);
    std::vector<CInstance*> all;
    for (int i = 0; i < 4; i++) {
        CInstance* inst = Run_Room->CreateInstance(10.0f * i, 10, child);
        inst->StartPath(p, 2, 1, 0, true, 1);
        inst->timeline_index = t;
        inst->timeline_running = true;
        all.push_back(inst);
    }
    all[3]->deactivated = true;
    Run_Room->UpdateActivation();
    Call("font_add_sprite", {(double)s, 65.0, 1.0, 1.0});
    Run_Frame();
    Call("sprite_delete", {(double)s});
    Call("background_delete", {(double)b});
    Call("path_delete", {(double)p});
    Call("timeline_delete", {(double)t});
    Call("object_delete", {(double)child});
    GR_Text_Set_Font(0);
    GR_Text_Draw(0, 0, "ABC", -1, -1);
    for (int i = 0; i < 3; i++) Run_Frame();
    all[0]->marked = true;
    all[3]->deactivated = false;
    Run_Room->UpdateActivation();
    Run_Frame();
    EXPECT_EQ(Run_Room->active.size(), 3u);
    EXPECT_TRUE(Object_Find(parent)->instances.empty());
    EXPECT_EQ(all[1]->path_index, p);  // no longer followed
    Room_Goto(Run_RoomIndex);
    Run_Frame();
}

// The sounds of a game in either system exist; files come and go only in the older one.
class SoundResources : public BuiltinTestOn<SoundGame> {
protected:
    void Register() override { Function_Resource_Init(); }
    void TearDown() override
    {
        LoadSave_SetProgramFolder("");
        fs::remove_all(folder);
        BuiltinTestOn<SoundGame>::TearDown();
    }
    void PutBeep()
    {
        fs::create_directories(folder);
        std::vector<uint8_t> tone = WaveMaker::Tone(440, 0.05);
        std::ofstream(folder / "beep.wav", std::ios::binary).write((const char*)tone.data(), (std::streamsize)tone.size());
        LoadSave_SetProgramFolder(folder.c_str());
    }
    fs::path folder = fs::temp_directory_path() / ("resource_sounds_" + std::to_string(getpid()));
};

TEST_F(SoundResources, TheAudioSystemKeepsItsSoundsToItself)
{
    ASSERT_TRUE(Load(true, {{"snd_a", 0, "a.wav"}}, {SoundFile::Entry(WaveMaker::Tone(440, 0.05))}));
    PutBeep();
    EXPECT_EQ(Real("sound_exists", {0.0}), 1);
    EXPECT_EQ(Real("sound_exists", {1.0}), 0);
    EXPECT_EQ(Real("sound_add", {S("beep.wav"), 0.0, 1.0}), 0);
    Call("sound_delete", {0.0});
    EXPECT_EQ(Real("sound_exists", {0.0}), 1);
    EXPECT_EQ(Sound_Count(), 0);
    EXPECT_TRUE(Errors().empty());
}

TEST_F(SoundResources, TheOlderSystemAddsReplacesAndDeletes)
{
    ASSERT_TRUE(Load(false, {{"snd_a", 0, "a.wav"}, {}, {"snd_song", 1, "song.mp3", 1.0f, -1}},
                     {SoundFile::Entry(WaveMaker::Tone(440, 0.05))}));
    PutBeep();
    EXPECT_EQ(Real("sound_exists", {0.0}), 1);
    EXPECT_EQ(Real("sound_exists", {1.0}), 0);
    EXPECT_EQ(Text("sound_name", {2.0}), "snd_song");
    EXPECT_EQ(Real("sound_get_kind", {2.0}), 1);
    EXPECT_EQ(Real("sound_get_kind", {1.0}), -1);
    int added = (int)Real("sound_add", {S("beep.wav"), 2.0, 0.5});
    ASSERT_EQ(added, 3);
    EXPECT_EQ(Text("sound_get_name", {3.0}), "__newsound3");
    EXPECT_EQ(Real("sound_get_preload", {3.0}), 1);
    CSound* sound = Sound_GetSound(added);
    Call("sound_discard", {3.0});
    EXPECT_EQ(sound->m_hardwareId, -1);
    Call("sound_restore", {3.0});
    EXPECT_GE(sound->m_hardwareId, 0);
    EXPECT_EQ(Real("sound_replace", {3.0, S("beep.wav"), 0.0, 0.49}), 1);
    EXPECT_EQ(Real("sound_get_preload", {3.0}), 0);
    // A file that cannot be read leaves the sound as it was.
    EXPECT_EQ(Real("sound_replace", {3.0, S("missing.wav"), 1.0, 1.0}), 0);
    EXPECT_EQ(Real("sound_get_kind", {3.0}), 0);
    EXPECT_STREQ(Sound_GetSound(3)->m_fileName, "beep.wav");
    EXPECT_EQ(Real("sound_get_preload", {3.0}), 0);
    EXPECT_EQ(Real("sound_add", {S("missing.wav"), 0.0, 1.0}), -1);
    // A file that holds no WAV is refused with a line, unless it is music by its name; replacing
    // with it keeps the sound.
    std::ofstream(folder / "notes.txt") << "not a sound";
    std::ofstream(folder / "tune.mp3") << "ID3";
    TCapturedWarnings warnings;
    EXPECT_EQ(Real("sound_add", {S("notes.txt"), 0.0, 1.0}), -1);
    EXPECT_NE(warnings.text.find("notes.txt cannot be added: the image is neither WAV nor AU."), std::string::npos) << warnings.text;
    EXPECT_EQ(Real("sound_replace", {3.0, S("notes.txt"), 0.0, 1.0}), 0);
    EXPECT_STREQ(Sound_GetSound(3)->m_fileName, "beep.wav");
    int tune = (int)Real("sound_add", {S("tune.mp3"), 3.0, 0.0});
    EXPECT_GE(tune, 0);
    EXPECT_EQ(Real("sound_get_kind", {(double)tune}), 3);
    EXPECT_EQ(Real("sound_delete", {3.0}), 1);
    EXPECT_EQ(Real("sound_exists", {3.0}), 0);
    Call("sound_delete", {3.0});
    Call("sound_replace", {9.0, S("beep.wav"), 0.0, 0.0});
    ASSERT_EQ(Errors().size(), 2u);
    EXPECT_NE(Errors()[0].find("Trying to delete non-existing sound."), std::string::npos);
    EXPECT_NE(Errors()[1].find("Trying to replace non-existing sound."), std::string::npos);
}

// The sound rows with hostile values on a live device, in either system, with a file that is not a
// sound among the names: sounds made of it load, discard and restore harmlessly, and new sounds
// still play afterwards.
TEST_F(SoundResources, HostileArgumentsOnALiveDevice)
{
    for (bool newAudio : {false, true}) {
        GameFile_Free();
        Sound_Free();
        ASSERT_TRUE(Load(newAudio, {{"snd_a", 0, "a.wav"}}, {SoundFile::Entry(WaveMaker::Tone(440, 0.05))}));
        PutBeep();
        std::ofstream(folder / "junk.wav", std::ios::binary) << "RIFF\xff\xff\xff\x7fWAVEfmt \x10";
        const std::vector<TaggedValue> values = {std::nan(""), 1e300, -1e300, -1.0, 1.0, 1e9, S("junk.wav"),
                                                 S("beep.wav"), S("../../beep.wav"), S("/etc/passwd"), S("")};
        for (int id = 0; id < Function_Count(); id++) {
            const RFunction* f = Function_Get(id);
            if (std::string(f->name).rfind("sound_", 0) != 0) continue;
            for (const TaggedValue& v : values) Call(f->name, std::vector<TaggedValue>((size_t)f->argc, v));
        }
        for (int i = 0; i < Sound_Count(); i++)
            if (CSound* sound = Sound_GetSound(i)) sound->GetSoundId();
        if (newAudio) {
            EXPECT_EQ(Real("sound_exists", {0.0}), 1);
            continue;
        }
        // The file that is not a sound is refused; the sound added after it plays.
        EXPECT_EQ(Real("sound_add", {S("junk.wav"), 0.0, 1.0}), -1);
        CSound* beep = Sound_GetSound((int)Real("sound_add", {S("beep.wav"), 0.0, 1.0}));
        ASSERT_TRUE(beep);
        Sound_Play(beep->m_fileName, beep->GetSoundId(), false);
        EXPECT_TRUE(Sound_IsPlaying(beep->m_fileName, beep->GetSoundId()));
    }
}

}  // namespace
