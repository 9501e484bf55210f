// The service built-ins: the registration table, virtual keys, web addresses through a fake
// opener, device and OS queries, digests and base64, the answers of services this platform lacks,
// the pause and purchase events through whole frames, and hostile arguments.
#include "Function/Quenby_Functions.h"
#include "Function/Quenby_FunctionsM.h"
#include "../Base/CapturedWarnings.h"
#include "../Room/World.h"
#include "FileFolders.h"

#include "Code/Code_Constant.h"
#include "Graphics_API/GR_Device.h"
#include "Function/Function_DataStructures.h"
#include "Function/Function_Math.h"
#include "Function/Function_Misc.h"
#include "IO/IO.h"
#include "StartUp.h"
#include "IO/Window.h"
#include "Support/DataStructures.h"
#include "Support/LoadSave_Http.h"
#include "Variable/Variable_BuiltIn.h"

#include <SDL2/SDL.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <ifaddrs.h>
#include <set>
#include <net/if.h>
#include <netinet/in.h>
#include <thread>

namespace {

class Services : public FileFolders {
protected:
    void Register() override { Quenby_Functions_Init(); }
    void SetUp() override
    {
        FileFolders::SetUp();
        savedDebug = Console_Debug;
        Console_Debug = &debug;
    }
    void TearDown() override
    {
        Console_Debug = savedDebug;
        for (int i = 0; i < IO_VirtualButtonCount; i++) IO_VirtualButton_Delete(i);
        IO_Clear();
        AchievementQueue_Clear();
        AchievementQueue_SetPoster(nullptr);
        AchievementQueue_SetServiceAvailable(false);
        Call("display_set_gui_size", {-1.0, -1.0});
        DS_FreeAll();
        FileFolders::TearDown();
    }
    std::string LastError() const { return Errors().empty() ? "" : Errors().back(); }
    TCaptureConsole debug;
    tagIConsole* savedDebug = nullptr;
};

TEST_F(Services, RegistersEveryNameInOrderWithItsCount)
{
    const std::pair<const char*, int> names[] = {
        {"virtual_key_add", 5}, {"Quenby_AddVirtualKey", 5}, {"virtual_key_delete", 1}, {"Quenby_DeleteVirtualKey", 1},
        {"virtual_key_show", 1}, {"Quenby_ShowVirtualKey", 1}, {"virtual_key_hide", 1}, {"Quenby_HideVirtualKey", 1},
        {"achievement_login", 0}, {"Quenby_LoginAchievements", 0}, {"achievement_logout", 0},
        {"Quenby_LogoutAchievements", 0}, {"achievement_available", 0}, {"Quenby_AchievementsAvailable", 0},
        {"achievement_post", 2}, {"Quenby_PostAchievement", 2}, {"achievement_post_score", 2}, {"Quenby_PostScore", 2},
        {"achievement_is_online", 0}, {"Quenby_OF_IsOnline", 0}, {"achievement_map_achievement", 2},
        {"Quenby_OF_AddAchievement", 2}, {"achievement_map_leaderboard", 3}, {"Quenby_OF_AddLeaderboard", 3},
        {"openfeint_start", 0}, {"Quenby_OF_StartDashboard", 0}, {"openfeint_send_challenge", 3},
        {"Quenby_OF_SendChallenge", 3}, {"openfeint_send_invite", 1}, {"Quenby_OF_SendInvite", 1},
        {"openfeint_send_social", 3}, {"Quenby_OF_SendSocial", 3}, {"openfeint_set_url", 1}, {"Quenby_OF_SetURL", 1},
        {"openfeint_send_result", 2}, {"Quenby_OF_SendChallengeResult", 2}, {"openfeint_accept_challenge", 0},
        {"Quenby_OF_AcceptChallenge", 0},
        {"url_open", 1}, {"Quenby_OpenURL", 1}, {"url_open_ext", 2}, {"Quenby_OpenURL_ext", 2}, {"url_open_full", 3},
        {"Quenby_OpenURL_full", 3}, {"url_get_domain", 1},
        {"draw_enable_alphablend", 1}, {"Quenby_EnableAlphaBlend", 1}, {"draw_texture_flush", 0},
        {"ads_enable", 3}, {"Quenby_EnableAds", 5}, {"ads_move", 3}, {"ads_disable", 0}, {"Quenby_DisableAds", 0},
        {"ads_get_display_width", 1}, {"ads_get_display_height", 1}, {"ads_setup", 2}, {"ads_engagement_available", 1},
        {"ads_engagement_active", 1}, {"ads_engagement_launch", 1}, {"pocketchange_display_shop", 0},
        {"pocketchange_display_reward", 0}, {"shop_leave_rating", 4}, {"Quenby_LeaveRating", 4}, {"clickable_add", 6},
        {"clickable_add_ext", 8}, {"clickable_change", 4}, {"clickable_change_ext", 5}, {"clickable_delete", 1},
        {"Quenby_GetPlatform", 0}, {"Quenby_GetDevice", 0}, {"Quenby_GetCPUDetails", 0}, {"get_timer", 0},
        {"Quenby_GetTimer", 0}, {"device_get_tilt_x", 0}, {"device_get_tilt_y", 0}, {"device_get_tilt_z", 0},
        {"Quenby_GetTiltX", 0}, {"Quenby_GetTiltY", 0}, {"Quenby_GetTiltZ", 0}, {"device_is_keypad_open", 0},
        {"Quenby_IsKeypadOpen", 0}, {"device_ios_get_imagename", 0}, {"Quenby_SelectPicture", 0},
        {"device_ios_get_image", 0}, {"Quenby_GetPictureSprite", 0}, {"device_mouse_check_button", 2},
        {"device_mouse_check_button_pressed", 2}, {"device_mouse_check_button_released", 2},
        {"Quenby_MouseCheckButton", 2}, {"Quenby_MouseCheckButtonPressed", 2}, {"Quenby_MouseCheckButtonReleased", 2},
        {"device_mouse_x", 1}, {"device_mouse_y", 1}, {"Quenby_MouseX", 1}, {"Quenby_MouseY", 1},
        {"device_mouse_raw_x", 1}, {"device_mouse_raw_y", 1}, {"Quenby_MouseXRaw", 1}, {"Quenby_MouseYRaw", 1},
        {"os_get_language", 0}, {"display_get_dpi_x", 0}, {"display_get_dpi_y", 0}, {"display_set_gui_size", 2},
        {"display_get_gui_width", 0}, {"display_get_gui_height", 0}, {"os_is_network_connected", 0},
        {"os_is_paused", 0}, {"Quenby_OSPauseEvent", 0}, {"os_powersave_enable", 1}, {"os_lock_orientation", 1},
        {"base64_encode", 1}, {"base64_decode", 1}, {"md5_string_utf8", 1}, {"md5_string_unicode", 1}, {"md5_file", 1},
        {"sha1_string_utf8", 1}, {"sha1_string_unicode", 1}, {"sha1_file", 1},
        {"iap_activate", 1}, {"iap_status", 0}, {"iap_files_purchased", 0}, {"iap_store_status", 0},
        {"iap_product_status", 1}, {"iap_acquire", 1}, {"iap_consume", 1}, {"iap_is_purchased", 1},
        {"iap_is_downloaded", 1}, {"iap_product_details", 2}, {"iap_product_files", 2}, {"iap_restore_all", 0},
        {"iap_event_queue", 0},
        {"facebook_init", 0}, {"facebook_logout", 0}, {"facebook_login", 1}, {"facebook_status", 0},
        {"facebook_graph_request", 4}, {"facebook_dialog", 3}, {"facebook_post_message", 7},
        {"facebook_send_invite", 4}, {"facebook_launch_offerwall", 1},
        {"analytics_event", 1}, {"analytics_event_ext", -1},
        {"win8_livetile_tile_notification", 4}, {"win8_livetile_tile_clear", 0}, {"win8_livetile_badge_notification", 1},
        {"win8_livetile_badge_clear", 0}, {"win8_livetile_queue_enable", 1}, {"win8_secondarytile_pin", 8},
        {"win8_secondarytile_notification", 5}, {"win8_secondarytile_badge_notification", 5},
        {"win8_secondarytile_delete", 1}, {"win8_appbar_enable", 1}, {"win8_appbar_add_element", 0},
        {"win8_appbar_remove_element", 0}, {"win8_settingscharm_add_entry", 2},
        {"win8_settingscharm_add_html_entry", 3}, {"win8_settingscharm_remove_entry", 1}, {"win8_share_image", 3},
        {"win8_share_screenshot", 2}, {"win8_share_file", 3}, {"win8_share_url", 3}, {"win8_share_text", 3},
        {"win8_search_enable", 1}, {"win8_search_disable", 0}, {"win8_search_add_suggestions", 1},
        {"win8_device_touchscreen_available", 0},
        {"winphone_tile_title", 1}, {"winphone_tile_count", 1}, {"winphone_tile_back_title", 1},
        {"winphone_tile_back_content", 1}, {"winphone_tile_front_image", 1}, {"winphone_tile_back_image", 1},
        {"winphone_tile_background_color", 1}, {"winphone_tile_icon_image", 1}, {"winphone_tile_small_icon_image", 1},
        {"winphone_tile_small_background_image", 1}, {"winphone_tile_wide_content", 2},
        {"winphone_tile_cycle_images", -1},
        {"tombwrightLogin", 2}, {"tombwrightSave", 2}, {"tombwrightLoad", 1}, {"tombwrightIsLoggedIn", 0},
        {"tombwrightIsLoaded", 0},
    };
    ASSERT_EQ(Function_Count(), 183);
    ASSERT_EQ(std::size(names), 183u);
    for (int id = 0; id < Function_Count(); id++) {
        EXPECT_STREQ(Function_Get(id)->name, names[id].first);
        EXPECT_EQ(Function_Get(id)->argc, names[id].second) << names[id].first;
    }
}

TEST_F(Services, ConstantsAndVariablesOfThisPlatform)
{
    StartUp_Constants();
    const std::pair<const char*, double> constants[] = {
        {"os_unknown", -1}, {"os_win32", 0}, {"os_windows", 0}, {"os_linux", 6}, {"os_winphone", 7},
        {"device_ios_ipad_retina", 3}, {"device_emulator", 256}, {"device_tablet", 2}, {"browser_not_a_browser", -1},
        {"browser_windows_store", 8}, {"of_challenge_tie", 2}, {"leaderboard_type_time_mins_secs", 1},
    };
    for (const auto& [name, value] : constants) {
        double got = NAN;
        EXPECT_TRUE(Code_Constant_Find(name, &got)) << name;
        EXPECT_EQ(got, value) << name;
    }
    StartUp_Variables();
    auto Read = [](const char* name) {
        const RVariable* v = Variable_BuiltIn_Get(Variable_BuiltIn_Find(name));
        TaggedValue out;
        EXPECT_TRUE(v && !v->canSet && v->getter(nullptr, 0, &out)) << name;
        return out.GetReal();
    };
    EXPECT_EQ(Read("os_type"), 6);
    EXPECT_EQ(Real("Quenby_GetPlatform"), 6);
    EXPECT_EQ(Read("os_device"), -1);
    EXPECT_EQ(Read("os_browser"), -1);
    // The kernel's release names the version: "6.1.0-18-amd64" is 6 x 65536 + 1.
    std::ifstream release("/proc/sys/kernel/osrelease");
    int major = 0, minor = 0;
    char dot = 0;
    ASSERT_TRUE(release >> major >> dot >> minor);
    EXPECT_EQ(Read("os_version"), major * 65536 + minor);
    EXPECT_EQ(Read("browser_width"), Real("display_get_gui_width"));
    EXPECT_EQ(Read("browser_height"), Real("display_get_gui_height"));
}

TEST_F(Services, VirtualKeysTakeRecordsThatHoldTheirKey)
{
    EXPECT_EQ(Real("virtual_key_add", {10.0, 20.0, 30.0, 40.0, 65.0}), 1.0);
    const IO_VirtualButton& b = IO_VirtualButtons[0];
    EXPECT_EQ(b.flags, IO_VB_IN_USE);
    EXPECT_EQ(b.right, 40);
    EXPECT_EQ(b.bottom, 60);
    EXPECT_EQ(b.key, 65);
    IO_Event_MouseMove(0, 39, 59);
    IO_Event_MouseButton(0, 1, true);
    IO_Start_Step();
    EXPECT_TRUE(IO_KeyDown(65)) << "the mouse held inside the key holds it";

    EXPECT_EQ(Real("Quenby_AddVirtualKey", {2e9, 2e9, 2e9, 2e9, 66.0}), 2.0);
    EXPECT_EQ(IO_VirtualButtons[1].right, INT32_MAX) << "the edge does not wrap round";
    Call("virtual_key_show", {2.0});
    EXPECT_EQ(IO_VirtualButtons[1].flags, IO_VB_IN_USE | IO_VB_SHOWN);
    Call("virtual_key_hide", {2.0});
    EXPECT_EQ(IO_VirtualButtons[1].flags, IO_VB_IN_USE);
    EXPECT_TRUE(Errors().empty());

    Call("virtual_key_delete", {0.0});
    EXPECT_EQ(LastError(), "Illegal virtual key handle");
    Call("virtual_key_show", {S("1")});
    EXPECT_EQ(LastError(), "Illegal argument");
    Call("virtual_key_delete", {2.0});
    EXPECT_EQ(IO_VirtualButtons[1].flags, 0);
    Errors().clear();
    Call("virtual_key_show", {2.0});
    EXPECT_EQ(LastError(), "Illegal virtual key handle") << "a deleted key is no key";
    EXPECT_EQ(IO_VirtualButtons[1].flags, 0) << "and its record stays free";
    Call("virtual_key_hide", {(double)IO_VirtualButtonCount + 1});
    Call("virtual_key_hide", {-2147483648.0});
    EXPECT_EQ(Errors().size(), 3u);
    Call("virtual_key_add", {1.0, 1.0, 1.0, 1.0, S("A")});
    EXPECT_EQ(LastError(), "Illegal argument type");

    // With every record taken the result is 0.
    while (IO_VirtualButton_FindFree()) Real("virtual_key_add", {0.0, 0.0, 1.0, 1.0, 1.0});
    EXPECT_EQ(Real("virtual_key_add", {0.0, 0.0, 1.0, 1.0, 1.0}), 0.0);
}

// A fake xdg-open early on PATH writes each address it gets on a line of its own.
class Addresses : public Services {
protected:
    void SetUp() override
    {
        Services::SetUp();
        Put(root / "bin" / "xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$*\" >> \"" + (root / "opened").string() + "\"\n");
        fs::permissions(root / "bin" / "xdg-open", fs::perms::owner_all);
        path = getenv("PATH");
        setenv("PATH", ((root / "bin").string() + ":" + path).c_str(), 1);
    }
    void TearDown() override
    {
        setenv("PATH", path.c_str(), 1);
        Services::TearDown();
    }
    // The opened addresses once `lines` have arrived (or after 3 s).
    std::string Opened(size_t lines)
    {
        std::string text;
        for (int i = 0; i < 300; i++) {
            text = Get(root / "opened");
            if ((size_t)std::count(text.begin(), text.end(), '\n') >= lines) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return text;
    }
    std::string path;
};

TEST_F(Addresses, WebAddressesOpenInLowerCaseAndOtherSchemesNot)
{
    TaggedValue address("HTTP://Example.COM/Path?Q=1");
    EXPECT_EQ(Real("url_open", {address}), 0.0);
    EXPECT_STREQ(address.GetString(), "HTTP://Example.COM/Path?Q=1") << "the caller's string is not changed";
    EXPECT_EQ(Opened(1), "http://example.com/path?q=1\n");

    EXPECT_EQ(Real("url_open", {S("ftp://example.com/")}), 0.0);
    EXPECT_EQ(Real("url_open", {S("-https://x")}), 0.0);
    EXPECT_EQ(Real("url_open", {S("http:/")}), 0.0);
    EXPECT_EQ(Real("url_open_ext", {S("HTTPS://A.b"), S("_blank")}), 0.0);
    EXPECT_EQ(Opened(2), "http://example.com/path?q=1\nhttps://a.b\n");
    EXPECT_EQ(Real("Quenby_OpenURL_full", {S("https:/short"), S("_self"), S("")}), 0.0);
    EXPECT_EQ(Opened(3), "http://example.com/path?q=1\nhttps://a.b\nhttps:/short\n");
    EXPECT_TRUE(Errors().empty());

    // An address is never a local program, whatever the current folder holds, and keeps its
    // backslashes.
    Put(root / "http:" / "x" / "run", "#!/bin/sh\ntouch \"" + (root / "ran").string() + "\"\n");
    fs::permissions(root / "http:" / "x" / "run", fs::perms::owner_all);
    fs::path here = fs::current_path();
    fs::current_path(root);
    Call("url_open", {S("http://x/run")});
    Opened(4);  // the two openers would race for the log
    Call("url_open", {S("http://x/a\\b")});
    fs::current_path(here);
    EXPECT_EQ(Opened(5), "http://example.com/path?q=1\nhttps://a.b\nhttps:/short\nhttp://x/run\nhttp://x/a\\b\n");
    EXPECT_FALSE(fs::exists(root / "ran"));

    EXPECT_EQ(Text("url_get_domain", {S("http://x")}), "localhost");
    CallExact("url_open", {S("http://a"), S("b")});
    EXPECT_EQ(LastError(), "Illegal argument count");
    Call("url_open", {5.0});
    EXPECT_EQ(LastError(), "Illegal argument type");
}

TEST_F(Services, DigestsAndBase64)
{
    EXPECT_EQ(Text("md5_string_utf8", {S("")}), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(Text("md5_string_utf8", {S("abc")}), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(Text("sha1_string_utf8", {S("abc")}), "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_EQ(Text("sha1_string_utf8", {S("")}), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
    // UTF-16, low byte first: "abc" hashes 61 00 62 00 63 00; é two bytes, the euro sign too.
    EXPECT_EQ(Text("md5_string_unicode", {S("abc")}), "ce1473cf80c6b3fda8e3dfc006adc315");
    EXPECT_EQ(Text("sha1_string_unicode", {S("abc")}), "9f04f41a848514162050e3d68c1a7abb441dc2b5");
    EXPECT_EQ(Text("md5_string_unicode", {S("\xC3\xA9")}), "ed71e8ffd3d8c47c1a2e22c53cd384aa");
    EXPECT_EQ(Text("md5_string_unicode", {S("a\xC3\xA9\xE2\x82\xAC")}), "19bbbe42793a185dc03149958fc1362a");
    // A sequence cut at the end is one unit a byte, and nothing past the string is read.
    EXPECT_EQ(Text("md5_string_unicode", {S("a\xE2\x82")}), "f7f6b6f249173816b3bc9414ca6256d0");
    EXPECT_EQ(Text("base64_encode", {S("Man")}), "TWFu");
    EXPECT_EQ(Text("base64_encode", {S("ab")}), "YWI=");
    EXPECT_EQ(Text("base64_encode", {S("")}), "");
    EXPECT_EQ(Text("base64_decode", {S("YWI=")}), "ab");
    EXPECT_EQ(Text("base64_decode", {S("TWFu")}), "Man");
    EXPECT_EQ(Text("base64_decode", {S("YQBi")}), "a") << "the text ends at a decoded zero byte";
    EXPECT_EQ(Text("base64_decode", {S("!!!")}), "");
    std::string big(100000, 'z');
    EXPECT_EQ(Text("base64_decode", {S(Text("base64_encode", {S(big.c_str())}).c_str())}), big);
    for (const char* name : {"base64_encode", "base64_decode", "md5_string_utf8", "md5_string_unicode", "md5_file",
                             "sha1_string_utf8", "sha1_string_unicode", "sha1_file"}) {
        EXPECT_EQ(Text(name, {7.0}), "") << name;
        TaggedValue r = CallExact(name, {S("abc"), S("abc")});
        EXPECT_TRUE(r.IsString() && !*r.GetString()) << name;
    }
}

TEST_F(Services, FileDigestsReadTheSaveFolderFirst)
{
    Put(prog / "data.txt", "abc");
    EXPECT_EQ(Text("md5_file", {S("data.txt")}), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(Text("sha1_file", {S("DATA.TXT")}), "a9993e364706816aba3e25717850c26c9cd0d89d");
    Put(save / "data.txt", "");
    EXPECT_EQ(Text("md5_file", {S("data.txt")}), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(Text("md5_file", {S("missing.txt")}), "");
    EXPECT_EQ(Text("md5_file", {S("../outside/secret.txt")}), "");
    EXPECT_EQ(Text("sha1_file", {S((root / "secret.txt").c_str())}), "");
    EXPECT_EQ(Text("md5_file", {S("")}), "");
}

TEST_F(Services, TheLanguageComesFromTheLocale)
{
    const char* saved[3];
    const char* variables[3] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    std::string keep[3];
    for (int i = 0; i < 3; i++) {
        saved[i] = getenv(variables[i]);
        if (saved[i]) keep[i] = saved[i];
        unsetenv(variables[i]);
    }
    const std::pair<const char*, const char*> locales[] = {
        {"da_DK.UTF-8", "da"}, {"de_AT", "de"}, {"pt_BR.utf8@x", "pt"}, {"km_KH", "kh"}, {"nb_NO.UTF-8", "no"},
        {"hsb_DE", "dsb"}, {"gsw_CH", "gsw"}, {"sr_RS@latin", "hr"}, {"xx_YY", "--"}, {"fa_IR", "--"},
        {"C", "en"}, {"POSIX", "en"}, {"C.UTF-8", "en"}, {"", "en"}, {"1234", "en"},
    };
    for (const auto& [locale, code] : locales) {
        setenv("LANG", locale, 1);
        EXPECT_EQ(Text("os_get_language"), code) << locale;
    }
    // LC_ALL comes first, then LC_MESSAGES, then LANG.
    setenv("LANG", "fr_FR", 1);
    setenv("LC_MESSAGES", "it_IT", 1);
    EXPECT_EQ(Text("os_get_language"), "it");
    setenv("LC_ALL", "ja_JP", 1);
    EXPECT_EQ(Text("os_get_language"), "ja");
    for (int i = 0; i < 3; i++) {
        if (saved[i]) setenv(variables[i], keep[i].c_str(), 1);
        else unsetenv(variables[i]);
    }
}

TEST_F(Services, DevicesOutsideTheFiveAnswerZero)
{
    IO_Event_MouseMove(2, 30, 40);
    IO_Event_MouseButton(4, 2, true);
    IO_Start_Step();
    EXPECT_EQ(Real("device_mouse_raw_x", {2.0}), 30.0);
    EXPECT_EQ(Real("Quenby_MouseYRaw", {2.0}), 40.0);
    EXPECT_EQ(Real("device_mouse_check_button", {4.0, 2.0}), 1.0);
    EXPECT_EQ(Real("Quenby_MouseCheckButtonPressed", {4.0, 2.0}), 1.0);
    EXPECT_EQ(Real("device_mouse_check_button_released", {4.0, 2.0}), 0.0);
    for (double device : {5.0, 7.0, -1.0, 1e300, (double)NAN}) {
        EXPECT_EQ(Real("device_mouse_raw_x", {device}), 0.0) << device;
        EXPECT_EQ(Real("device_mouse_raw_y", {device}), 0.0) << device;
        EXPECT_EQ(Real("device_mouse_x", {device}), 0.0) << device;
        EXPECT_EQ(Real("device_mouse_y", {device}), 0.0) << device;
        EXPECT_EQ(Real("device_mouse_check_button", {device, -1.0}), 0.0) << device;
    }
    EXPECT_EQ(Real("display_get_dpi_x"), 96.0);
    EXPECT_EQ(Real("display_get_gui_width"), 0.0) << "no back buffer here";
    Call("display_set_gui_size", {320.4, 200.6});
    EXPECT_EQ(Real("display_get_gui_width"), 320.0);
    EXPECT_EQ(Real("display_get_gui_height"), 201.0);
    double t = Real("get_timer");
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_GE(Real("Quenby_GetTimer") - t, 2000.0);
    EXPECT_EQ(Real("Quenby_GetDevice"), -1.0);
    EXPECT_EQ(Real("device_ios_get_image"), -1.0);
}

TEST_F(Services, AlphaBlendingIsSetAsARenderState)
{
    Call("draw_enable_alphablend", {0.4});
    EXPECT_EQ(GR_D3D_Get_Render_State(GR_RS_ALPHABLEND), 0u);
    Call("Quenby_EnableAlphaBlend", {-3.0});
    EXPECT_EQ(GR_D3D_Get_Render_State(GR_RS_ALPHABLEND), 1u);
    Call("draw_enable_alphablend", {0.0});
    Call("draw_enable_alphablend", {S("1")});
    EXPECT_EQ(LastError(), "Illegal argument type: true/false expected");
    EXPECT_EQ(GR_D3D_Get_Render_State(GR_RS_ALPHABLEND), 0u);
    Call("draw_enable_alphablend", {1.0});
}

TEST(ServiceBackEnds, AConnectionIsAnInterfaceUpAndRunningWithAnAddress)
{
    sockaddr_in v4{};
    v4.sin_family = AF_INET;
    sockaddr_in6 v6{};
    v6.sin6_family = AF_INET6;
    sockaddr link{};
    link.sa_family = AF_PACKET;
    ifaddrs lo{}, eth{}, wifi{};
    lo.ifa_flags = IFF_UP | IFF_RUNNING | IFF_LOOPBACK;
    lo.ifa_addr = (sockaddr*)&v4;
    eth.ifa_flags = IFF_UP;
    eth.ifa_addr = (sockaddr*)&v4;
    wifi.ifa_flags = IFF_UP | IFF_RUNNING;
    wifi.ifa_addr = &link;
    lo.ifa_next = &eth;
    eth.ifa_next = &wifi;
    EXPECT_FALSE(Quenby_AnyConnection(&lo)) << "the loopback, a cable out and an interface without an address";
    EXPECT_FALSE(Quenby_AnyConnection(nullptr));
    wifi.ifa_addr = (sockaddr*)&v6;
    EXPECT_TRUE(Quenby_AnyConnection(&lo));
    wifi.ifa_addr = nullptr;
    eth.ifa_flags = IFF_UP | IFF_RUNNING;
    EXPECT_TRUE(Quenby_AnyConnection(&lo));
}

struct Post {
    uint32_t kind;
    std::string name;
    double value;
};
std::vector<Post> Posts;
const AchievementPoster Recorder = {
    [](uint32_t kind, const char* name, int32_t value) { Posts.push_back({kind, name, (double)value}); },
    [](uint32_t kind, const char* name, float value) { Posts.push_back({kind, name, value}); },
};

TEST_F(Services, AchievementsGoToThePlatformWithCheckedArguments)
{
    EXPECT_EQ(Real("achievement_available"), 1.0) << "the service counts as available";
    AchievementQueue_SetPoster(&Recorder);
    Posts.clear();
    Call("achievement_post", {S("badge"), 33.3});
    ASSERT_EQ(Posts.size(), 1u);
    EXPECT_EQ(Posts[0].kind, 2u);
    EXPECT_EQ(Posts[0].name, "badge");
    EXPECT_EQ(Posts[0].value, (double)33.3f);
    // Scores are truncated and held within 32 bits.
    const std::pair<double, double> scores[] = {{12.9, 12}, {-12.9, -12}, {4294967301.0, 2147483647},
                                                {-1e300, -2147483648.0}, {(double)NAN, 0}};
    for (const auto& [score, sent] : scores) {
        Posts.clear();
        Call("Quenby_PostScore", {S("board"), score});
        ASSERT_EQ(Posts.size(), 1u) << score;
        EXPECT_EQ(Posts[0].kind, 1u);
        EXPECT_EQ(Posts[0].value, sent) << score;
    }
    EXPECT_EQ(AchievementQueue_Count(), 0) << "posts do not go through the queue";
    EXPECT_TRUE(Errors().empty());

    Posts.clear();
    Call("achievement_post", {1.0, 2.0});
    EXPECT_EQ(LastError(), "Illegal argument type");
    Errors().clear();
    Call("achievement_post_score", {S("a"), S("b")});
    EXPECT_EQ(LastError(), "Illegal argument type");
    AchievementQueue_SetServiceAvailable(false);
    Call("achievement_post", {S("badge"), 1.0});
    EXPECT_TRUE(Posts.empty());
    EXPECT_EQ(Real("Quenby_AchievementsAvailable"), 0.0);

    Errors().clear();
    CallExact("achievement_login", {1.0});
    CallExact("openfeint_send_challenge", {1.0, 2.0});
    CallExact("achievement_map_leaderboard", {S("a"), S("b"), 1.0, 2.0});
    EXPECT_EQ(Errors(), std::vector<std::string>(3, "Illegal argument count"));
    Errors().clear();
    CallExact("achievement_map_leaderboard", {S("a"), S("b")});
    EXPECT_TRUE(Errors().empty()) << "the leaderboard kind may be left out";
    EXPECT_EQ(Text("openfeint_accept_challenge"), "");
    EXPECT_EQ(Real("achievement_is_online"), 0.0);
}

TEST_F(Services, ServicesThisPlatformLacksAnswerAsTheyShould)
{
    EXPECT_EQ(Real("iap_status"), -1.0);
    EXPECT_EQ(Real("iap_files_purchased"), -1.0);
    double files = Real("iap_activate", {0.0});
    EXPECT_EQ(Real("iap_files_purchased"), files);
    int status = (int)Real("iap_status");
    ASSERT_NE(DS_Map_Find(status), nullptr);
    const CDS_Map::Entry* e = DS_Map_Find(status)->Find(TaggedValue("status"));
    ASSERT_NE(e, nullptr);
    EXPECT_STREQ(e->value.GetString(), "Not Available");
    EXPECT_NE(DS_Map_Find((int)files), nullptr);
    EXPECT_EQ(Text("iap_store_status"), "Not Available");
    EXPECT_EQ(Text("iap_product_status", {S("coins")}), "Unavailable");
    EXPECT_EQ(Real("iap_acquire", {S("coins")}), 0.0);
    EXPECT_EQ(Text("facebook_status"), "IDLE");
    EXPECT_EQ(Real("facebook_login", {1.0}), 0.0);
    EXPECT_EQ(Text("tombwrightLoad", {S("x")}), "");
    EXPECT_TRUE(Errors().empty());

    Call("ads_enable", {1.0, S("2"), 3.0});
    EXPECT_EQ(LastError(), "Illegal argument type");
    Errors().clear();
    Call("shop_leave_rating", {S("a"), S("b"), S("c"), 4.0});
    Call("os_lock_orientation", {S("portrait")});
    EXPECT_EQ(Errors(), std::vector<std::string>(2, "Illegal argument type"));

    // Analytics: the name, then (string, number) pairs; an odd last one is left out.
    Errors().clear();
    EXPECT_EQ(Text("analytics_event_ext", {S("level"), S("score"), 10.0, S("left out")}), "");
    EXPECT_TRUE(Errors().empty());
    Call("analytics_event_ext", {S("level"), 1.0, 2.0});
    EXPECT_EQ(LastError(), "malformed analytics parameter must be string, number pair");
    Call("analytics_event_ext", {5.0});
    EXPECT_EQ(LastError(), "Illegal argument type");
    CallExact("analytics_event_ext", {});
    EXPECT_EQ(LastError(), "Illegal argument count");

    Call("win8_share_url", {S("a"), S("b"), S("c")});
    Call("winphone_tile_count", {3.0});
    Call("winphone_tile_count", {S("3")});
    Call("winphone_tile_wide_content", {S("text"), 1.0});
    Call("winphone_tile_cycle_images", {S("a"), S("b")});
    CallExact("winphone_tile_cycle_images", {});
    EXPECT_EQ(debug.text,
              "Windows8 functionality not supported on this platform\n"
              "Windows Phone functionality not supported on this platform\n"
              "incorrect arguments to winphone_tile_count( count )\n"
              "Windows Phone functionality not supported on this platform\n"
              "Windows Phone functionality not supported on this platform\n"
              "incorrect arguments to winphone_tile_cycle_images( filename1, filename2, ... up to filename9 )\n");
}

TEST_F(Services, HostileArgumentsAreHarmless)
{
    Put(root / "bin" / "xdg-open", "#!/bin/sh\nexit 0\n");
    fs::permissions(root / "bin" / "xdg-open", fs::perms::owner_all);
    std::string path = getenv("PATH");
    setenv("PATH", (root / "bin").c_str(), 1);
    const TaggedValue patterns[] = {TaggedValue(0.0), TaggedValue((double)NAN), TaggedValue(1e300), TaggedValue(-1e300),
                                    TaggedValue(-1.0), TaggedValue(1e6), S(""), S("\xE2"), S("../x"),
                                    S("HTTP://localhost/")};
    for (const TaggedValue& p : patterns) {
        for (int id = 0; id < Function_Count(); id++) {
            const RFunction* f = Function_Get(id);
            Call(f->name, std::vector<TaggedValue>(f->argc < 0 ? 11 : (size_t)f->argc, p));
        }
    }
    setenv("PATH", path.c_str(), 1);
    const std::set<std::string> messages = {"Illegal argument count", "Illegal argument type", "Illegal argument",
                                            "Illegal virtual key handle",
                                            "Illegal argument type: true/false expected",
                                            "malformed analytics parameter must be string, number pair"};
    for (const std::string& e : Errors()) EXPECT_TRUE(messages.count(e)) << e;
    // Every key the pass made can be deleted by its handle, and the pool is whole again.
    for (int handle = 1; handle <= IO_VirtualButtonCount; handle++)
        if (IO_VirtualButtons[handle - 1].flags) Call("virtual_key_delete", {(double)handle});
    EXPECT_EQ(IO_VirtualButton_FindFree(), &IO_VirtualButtons[0]);
    EXPECT_EQ(Text("md5_string_unicode", {S("abc")}), "ce1473cf80c6b3fda8e3dfc006adc315");
}

// Whole frames of a running game: the pause after a lost focus and the purchase event.
class ServiceEvents : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        int id;
        if (!Function_Find("show_debug_message", &id)) Function_Misc_Init();
        if (!Function_Find("ds_queue_size", &id)) Function_DataStructures_Init();
        if (!Function_Find("string", &id)) Function_Math_Init();
        if (!Function_Find("os_is_paused", &id)) Quenby_Functions_Init();
        StartUp_Variables();
        RequestList_Free();
    }
    void TearDown() override
    {
        RequestList_Free();
        DS_FreeAll();
        WorldTest::TearDown();
    }
    TCapturedWarnings warnings;
};

TEST_F(ServiceEvents, ALostFocusPausesExactlyOneFrame)
{
    int o = Object();
    Object_Find(o)->AddEvent(3, 0, "show_debug_message(string(os_is_paused()));");
    ASSERT_NO_FATAL_FAILURE(Start());
    Put(o, 0, 0);
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0);
    EXPECT_EQ(Frame(), "0\n");
    SDL_Event lost{};
    lost.type = SDL_WINDOWEVENT;
    lost.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    ASSERT_EQ(SDL_PushEvent(&lost), 1);
    PumpMessages();
    EXPECT_EQ(warnings.text, "OS has raised a pause event\n");
    EXPECT_EQ(Frame(), "1\n");
    EXPECT_EQ(Frame(), "0\n");
    EXPECT_EQ(Frame(), "0\n");
    EXPECT_EQ(warnings.text, "OS has raised a pause event\nPause event has been registered for this frame\n"
                             "Pause event has been unregistered\n");
    // The focus taken by a message box of the runner's own is no pause; the next loss is.
    warnings.text.clear();
    Window_FocusTakenByOwnWindow();
    ASSERT_EQ(SDL_PushEvent(&lost), 1);
    PumpMessages();
    EXPECT_EQ(Frame(), "0\n");
    ASSERT_EQ(SDL_PushEvent(&lost), 1);
    PumpMessages();
    EXPECT_EQ(Frame(), "1\n");
    EXPECT_EQ(warnings.text, "OS has raised a pause event\nPause event has been registered for this frame\n");
    SDL_QuitSubSystem(SDL_INIT_EVENTS);
}

TEST_F(ServiceEvents, PurchaseEventsQueueTheirNumbersAndRaiseOneEvent)
{
    int o = Object();
    Object_Find(o)->AddEvent(7, 66, "q = iap_event_queue(); show_debug_message(string(ds_queue_size(q)) + ' ' + string(ds_queue_head(q)));");
    ASSERT_NO_FATAL_FAILURE(Start());
    Put(o, 0, 0);
    Put(o, 0, 0);
    EXPECT_EQ(Quenby_PurchaseEventQueue(), -1);
    EXPECT_EQ(Frame(), "");
    Quenby_ReportPurchaseEvent(7);
    Quenby_ReportPurchaseEvent(8);
    EXPECT_EQ(RequestList_Count(), 1) << "one event for the two reports";
    EXPECT_EQ(Frame(), "2 7\n2 7\n");
    EXPECT_EQ(Frame(), "");
    // The queue stays and later events add to it.
    Quenby_ReportPurchaseEvent(9);
    EXPECT_EQ(Frame(), "3 7\n3 7\n");
    // A queue the game destroyed is made again.
    ASSERT_TRUE(DS_Queue_Destroy(Quenby_PurchaseEventQueue()));
    Quenby_ReportPurchaseEvent(10);
    EXPECT_EQ(Frame(), "1 10\n1 10\n");
}

}  // namespace
