// The service built-ins of stores, networks and other platforms. This platform has none of those
// services: achievements and scores go to a platform that delivers nothing, advertising, social
// networks and analytics take their arguments and do nothing, purchases are "Not Available", and
// the live tiles of other systems write their line to the debug console.
#include "Function/Quenby_Functions.h"
#include "Function/Quenby_Functions_Internal.h"

#include "Base/Console.h"
#include "Code/Error.h"
#include "Support/DataStructures.h"
#include "Variable/Arguments.h"

#include <climits>
#include <cmath>

namespace {

// The data structures of iap_activate: the status map, a list, sixteen maps, the purchased-files
// map; -1 before the first activation.
constexpr int IAP_STRUCTURES = 19;
int IapIds[IAP_STRUCTURES] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
int& IapStatusMap = IapIds[0];
int& IapFilesMap = IapIds[IAP_STRUCTURES - 1];

// A score as the platform takes it: truncated toward zero and held within 32 bits (NaN is 0).
int32_t ScoreValue(double score)
{
    if (std::isnan(score)) return 0;
    if (score >= (double)INT32_MAX) return INT32_MAX;
    if (score <= (double)INT32_MIN) return INT32_MIN;
    return (int32_t)score;
}

// The name and the number of an achievement post: a string and a real.
bool PostArguments(int argc, const TaggedValue* args)
{
    if (!Quenby_CheckCount(argc, 2)) return false;
    if (args[0].IsString() && args[1].IsReal()) return true;
    Error_Show_Action("Illegal argument type", false);
    return false;
}

QUENBY_BUILTIN(achievement_available)
{
    if (Quenby_CheckCount(argc, 0)) result->SetReal(AchievementQueue_ServiceAvailable());
}

QUENBY_BUILTIN(achievement_post)
{
    if (PostArguments(argc, args) && AchievementQueue_ServiceAvailable())
        AchievementQueue_Poster().postFloat(ACHIEVEMENT_POST_PERCENT, Arg_S(args[0]), Arg_F(args[1]));
}

QUENBY_BUILTIN(achievement_post_score)
{
    if (PostArguments(argc, args) && AchievementQueue_ServiceAvailable())
        AchievementQueue_Poster().postInteger(ACHIEVEMENT_POST_SCORE, Arg_S(args[0]), ScoreValue(args[1].GetReal()));
}

// With two arguments the leaderboard kind is 1.
QUENBY_BUILTIN(achievement_map_leaderboard)
{
    if (argc != 2) Quenby_CheckCount(argc, 3);
}

QUENBY_BUILTIN(openfeint_accept_challenge)
{
    if (Quenby_CheckCount(argc, 0)) result->SetString("");
}

QUENBY_BUILTIN(shop_leave_rating)
{
    if (Quenby_CheckCount(argc, 4)) Quenby_CheckKinds(argc, args, VALUE_STRING);
}

QUENBY_BUILTIN(Nothing) {}

QUENBY_BUILTIN(iap_activate)
{
    IapStatusMap = DS_Map_Create();
    IapIds[1] = DS_List_Create();
    for (int i = 2; i < IAP_STRUCTURES; i++) IapIds[i] = DS_Map_Create();
    result->SetReal(IapFilesMap);
}

QUENBY_BUILTIN(iap_status)
{
    if (CDS_Map* status = DS_Map_Find(IapStatusMap)) {
        status->Add(TaggedValue("status"), TaggedValue("Not Available"));
    }
    result->SetReal(IapStatusMap);
}

QUENBY_BUILTIN(iap_files_purchased) { result->SetReal(IapFilesMap); }
QUENBY_BUILTIN(iap_store_status) { result->SetString("Not Available"); }
QUENBY_BUILTIN(iap_product_status) { result->SetString("Unavailable"); }
QUENBY_BUILTIN(iap_event_queue) { result->SetReal(Quenby_PurchaseEventQueue()); }
QUENBY_BUILTIN(facebook_status) { result->SetString("IDLE"); }

QUENBY_BUILTIN(analytics_event) { result->SetString(""); }

// The name, then (string, number) pairs; an odd last argument is left out.
QUENBY_BUILTIN(analytics_event_ext)
{
    result->SetString("");
    if (argc < 1) {
        Error_Show_Action("Illegal argument count", false);
        return;
    }
    if (!Quenby_CheckKinds(1, args, VALUE_STRING)) return;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!args[i].IsString() || !args[i + 1].IsReal()) {
            Error_Show_Action("malformed analytics parameter must be string, number pair", false);
            return;
        }
    }
}

QUENBY_BUILTIN(win8_unsupported) { Console_Debug->Output("Windows8 functionality not supported on this platform\n"); }

// The live-tile settings of another system: right arguments get the unsupported line, wrong ones
// their own.
enum ArgumentKind { REAL, TEXT };

template <ArgumentKind Kind>
bool WinphoneOne(int argc, const TaggedValue* args)
{
    return argc == 1 && (Kind == REAL ? args[0].IsReal() : args[0].IsString());
}

void WinphoneLine(bool right, const char* wrongLine)
{
    Console_Debug->Output("%s", right ? "Windows Phone functionality not supported on this platform\n" : wrongLine);
}

#define WINPHONE_TILE(name, kind, usage)                                                      \
    QUENBY_BUILTIN(name) { WinphoneLine(WinphoneOne<kind>(argc, args), "incorrect arguments to " #name "( " usage " )\n"); }

WINPHONE_TILE(winphone_tile_title, TEXT, "title")
WINPHONE_TILE(winphone_tile_count, REAL, "count")
WINPHONE_TILE(winphone_tile_back_title, TEXT, "title")
WINPHONE_TILE(winphone_tile_back_content, TEXT, "content")
WINPHONE_TILE(winphone_tile_front_image, TEXT, "filename")
WINPHONE_TILE(winphone_tile_back_image, TEXT, "filename")
WINPHONE_TILE(winphone_tile_background_color, REAL, "color")
WINPHONE_TILE(winphone_tile_icon_image, TEXT, "filename")
WINPHONE_TILE(winphone_tile_small_icon_image, TEXT, "filename")
WINPHONE_TILE(winphone_tile_small_background_image, TEXT, "filename")

#undef WINPHONE_TILE

QUENBY_BUILTIN(winphone_tile_wide_content)
{
    WinphoneLine(argc == 2 && args[0].IsString() && args[1].IsReal(),
                 "incorrect arguments to winphone_tile_wide_content( content, index )\n");
}

QUENBY_BUILTIN(winphone_tile_cycle_images)
{
    bool right = argc >= 1 && argc <= 9;
    for (int i = 0; i < argc && right; i++) right = args[i].IsString();
    WinphoneLine(right, "incorrect arguments to winphone_tile_cycle_images( filename1, filename2, ... up to filename9 )\n");
}

#define ENTRY FUNCTION_ENTRY

const FunctionEntry kAchievements[] = {
    {"achievement_login", F_Counted<0>, 0},
    {"Quenby_LoginAchievements", F_Counted<0>, 0},
    {"achievement_logout", F_Counted<0>, 0},
    {"Quenby_LogoutAchievements", F_Counted<0>, 0},
    ENTRY(achievement_available, 0),
    {"Quenby_AchievementsAvailable", F_achievement_available, 0},
    ENTRY(achievement_post, 2),
    {"Quenby_PostAchievement", F_achievement_post, 2},
    ENTRY(achievement_post_score, 2),
    {"Quenby_PostScore", F_achievement_post_score, 2},
    {"achievement_is_online", F_Counted<0>, 0},
    {"Quenby_OF_IsOnline", F_Counted<0>, 0},
    {"achievement_map_achievement", F_Counted<2>, 2},
    {"Quenby_OF_AddAchievement", F_Counted<2>, 2},
    ENTRY(achievement_map_leaderboard, 3),
    {"Quenby_OF_AddLeaderboard", F_achievement_map_leaderboard, 3},
    {"openfeint_start", F_Counted<0>, 0},
    {"Quenby_OF_StartDashboard", F_Counted<0>, 0},
    {"openfeint_send_challenge", F_Counted<3>, 3},
    {"Quenby_OF_SendChallenge", F_Counted<3>, 3},
    {"openfeint_send_invite", F_Counted<1>, 1},
    {"Quenby_OF_SendInvite", F_Counted<1>, 1},
    {"openfeint_send_social", F_Counted<3>, 3},
    {"Quenby_OF_SendSocial", F_Counted<3>, 3},
    {"openfeint_set_url", F_Counted<1>, 1},
    {"Quenby_OF_SetURL", F_Counted<1>, 1},
    {"openfeint_send_result", F_Counted<2>, 2},
    {"Quenby_OF_SendChallengeResult", F_Counted<2>, 2},
    ENTRY(openfeint_accept_challenge, 0),
    {"Quenby_OF_AcceptChallenge", F_openfeint_accept_challenge, 0},
};

const FunctionEntry kAdvertising[] = {
    {"ads_enable", F_CountedReals<3>, 3},
    {"Quenby_EnableAds", F_CountedReals<5>, 5},
    {"ads_move", F_CountedReals<3>, 3},
    {"ads_disable", F_Nothing, 0},
    {"Quenby_DisableAds", F_Nothing, 0},
    {"ads_get_display_width", F_Nothing, 1},
    {"ads_get_display_height", F_Nothing, 1},
    {"ads_setup", F_Nothing, 2},
    {"ads_engagement_available", F_Nothing, 1},
    {"ads_engagement_active", F_Nothing, 1},
    {"ads_engagement_launch", F_Nothing, 1},
    {"pocketchange_display_shop", F_Nothing, 0},
    {"pocketchange_display_reward", F_Nothing, 0},
    ENTRY(shop_leave_rating, 4),
    {"Quenby_LeaveRating", F_shop_leave_rating, 4},
    {"clickable_add", F_Nothing, 6},
    {"clickable_add_ext", F_Nothing, 8},
    {"clickable_change", F_Nothing, 4},
    {"clickable_change_ext", F_Nothing, 5},
    {"clickable_delete", F_Nothing, 1},
};

const FunctionEntry kPurchases[] = {
    ENTRY(iap_activate, 1),
    ENTRY(iap_status, 0),
    ENTRY(iap_files_purchased, 0),
    ENTRY(iap_store_status, 0),
    ENTRY(iap_product_status, 1),
    {"iap_acquire", F_Nothing, 1},
    {"iap_consume", F_Nothing, 1},
    {"iap_is_purchased", F_Nothing, 1},
    {"iap_is_downloaded", F_Nothing, 1},
    {"iap_product_details", F_Nothing, 2},
    {"iap_product_files", F_Nothing, 2},
    {"iap_restore_all", F_Nothing, 0},
    ENTRY(iap_event_queue, 0),
};

const FunctionEntry kSocial[] = {
    {"facebook_init", F_Nothing, 0},
    {"facebook_logout", F_Counted<0>, 0},
    {"facebook_login", F_Counted<1>, 1},
    ENTRY(facebook_status, 0),
    {"facebook_graph_request", F_Counted<4>, 4},
    {"facebook_dialog", F_Counted<3>, 3},
    {"facebook_post_message", F_Counted<7>, 7},
    {"facebook_send_invite", F_Counted<4>, 4},
    {"facebook_launch_offerwall", F_Nothing, 1},
};

const FunctionEntry kAnalytics[] = {
    ENTRY(analytics_event, 1),
    ENTRY(analytics_event_ext, -1),
};

const FunctionEntry kOtherPlatforms[] = {
    {"win8_livetile_tile_notification", F_win8_unsupported, 4},
    {"win8_livetile_tile_clear", F_win8_unsupported, 0},
    {"win8_livetile_badge_notification", F_win8_unsupported, 1},
    {"win8_livetile_badge_clear", F_win8_unsupported, 0},
    {"win8_livetile_queue_enable", F_win8_unsupported, 1},
    {"win8_secondarytile_pin", F_win8_unsupported, 8},
    {"win8_secondarytile_notification", F_win8_unsupported, 5},
    {"win8_secondarytile_badge_notification", F_win8_unsupported, 5},
    {"win8_secondarytile_delete", F_win8_unsupported, 1},
    {"win8_appbar_enable", F_win8_unsupported, 1},
    {"win8_appbar_add_element", F_win8_unsupported, 0},
    {"win8_appbar_remove_element", F_win8_unsupported, 0},
    {"win8_settingscharm_add_entry", F_win8_unsupported, 2},
    {"win8_settingscharm_add_html_entry", F_win8_unsupported, 3},
    {"win8_settingscharm_remove_entry", F_win8_unsupported, 1},
    {"win8_share_image", F_win8_unsupported, 3},
    {"win8_share_screenshot", F_win8_unsupported, 2},
    {"win8_share_file", F_win8_unsupported, 3},
    {"win8_share_url", F_win8_unsupported, 3},
    {"win8_share_text", F_win8_unsupported, 3},
    {"win8_search_enable", F_win8_unsupported, 1},
    {"win8_search_disable", F_win8_unsupported, 0},
    {"win8_search_add_suggestions", F_win8_unsupported, 1},
    {"win8_device_touchscreen_available", F_win8_unsupported, 0},
    ENTRY(winphone_tile_title, 1),
    ENTRY(winphone_tile_count, 1),
    ENTRY(winphone_tile_back_title, 1),
    ENTRY(winphone_tile_back_content, 1),
    ENTRY(winphone_tile_front_image, 1),
    ENTRY(winphone_tile_back_image, 1),
    ENTRY(winphone_tile_background_color, 1),
    ENTRY(winphone_tile_icon_image, 1),
    ENTRY(winphone_tile_small_icon_image, 1),
    ENTRY(winphone_tile_small_background_image, 1),
    ENTRY(winphone_tile_wide_content, 2),
    ENTRY(winphone_tile_cycle_images, -1),
    {"tombwrightLogin", F_Quenby_EmptyString, 2},
    {"tombwrightSave", F_Quenby_EmptyString, 2},
    {"tombwrightLoad", F_Quenby_EmptyString, 1},
    {"tombwrightIsLoggedIn", F_Quenby_EmptyString, 0},
    {"tombwrightIsLoaded", F_Quenby_EmptyString, 0},
};

#undef ENTRY

}  // namespace

void Quenby_AddAchievements() { Function_AddTable(kAchievements); }
void Quenby_AddAdvertising() { Function_AddTable(kAdvertising); }
void Quenby_AddPurchases() { Function_AddTable(kPurchases); }
void Quenby_AddSocial() { Function_AddTable(kSocial); }
void Quenby_AddAnalytics() { Function_AddTable(kAnalytics); }
void Quenby_AddOtherPlatforms() { Function_AddTable(kOtherPlatforms); }
