// The multiplayer built-ins: every name with its count and its answer on this platform, the
// session and data modes, and hostile arguments.
#include "Function/Function_DPlay.h"
#include "BuiltinCall.h"

#include "DPlay/DPlay.h"

#include <cmath>
#include <variant>

namespace {

class MultiplayerBuiltins : public BuiltinTest {
protected:
    void Register() override { Function_DPlay_Init(); }
    void TearDown() override
    {
        DPlay_Reset();
        BuiltinTest::TearDown();
    }
};

struct Row {
    const char* name;
    int argc;
    std::variant<double, const char*> answer;
};

// In registration order, with what each answers when no network is there.
const Row kRows[] = {
    {"mplay_init_ipx", 0, 0.0},           {"mplay_init_tcpip", 1, 0.0},         {"mplay_init_modem", 2, 0.0},
    {"mplay_init_serial", 5, 0.0},        {"mplay_connect_status", 0, 0.0},     {"mplay_end", 0, 0.0},
    {"mplay_session_mode", 1, 0.0},       {"mplay_session_create", 3, 0.0},     {"mplay_session_find", 0, 0.0},
    {"mplay_session_name", 1, ""},        {"mplay_session_join", 2, 0.0},       {"mplay_session_status", 0, 0.0},
    {"mplay_session_end", 0, 0.0},        {"mplay_player_find", 0, 0.0},        {"mplay_player_name", 1, ""},
    {"mplay_player_id", 1, 0.0},          {"mplay_data_write", 2, 0.0},         {"mplay_data_read", 1, 0.0},
    {"mplay_data_mode", 1, 0.0},          {"mplay_message_send", 3, 0.0},       {"mplay_message_send_guaranteed", 3, 0.0},
    {"mplay_message_receive", 1, 0.0},    {"mplay_message_id", 0, 0.0},         {"mplay_message_value", 0, 0.0},
    {"mplay_message_player", 0, 0.0},     {"mplay_message_name", 0, "(unknown)"}, {"mplay_message_count", 1, 0.0},
    {"mplay_message_clear", 1, 0.0},      {"mplay_ipaddress", 0, ""},
};

TEST_F(MultiplayerBuiltins, RegistersAll29NamesWithTheirCountsAndNeutralAnswers)
{
    ASSERT_EQ(Function_Count(), 29);
    for (int id = 0; id < Function_Count(); id++) {
        const Row& row = kRows[id];
        EXPECT_STREQ(Function_Get(id)->name, row.name);
        EXPECT_EQ(Function_Get(id)->argc, row.argc) << row.name;
        TaggedValue result = Call(row.name, {});
        if (std::holds_alternative<double>(row.answer)) {
            EXPECT_TRUE(result.IsReal()) << row.name;
            EXPECT_EQ(result.GetReal(), std::get<double>(row.answer)) << row.name;
        } else {
            EXPECT_TRUE(result.IsString()) << row.name;
            EXPECT_STREQ(result.GetString(), std::get<const char*>(row.answer)) << row.name;
        }
    }
    EXPECT_TRUE(Errors().empty());
}

TEST_F(MultiplayerBuiltins, ModesRoundTheirArgument)
{
    Call("mplay_session_mode", {0.6});
    EXPECT_TRUE(DPlay_GetSessionMode()) << "0.6 rounds to 1";
    Call("mplay_session_mode", {0.4});
    EXPECT_FALSE(DPlay_GetSessionMode());
    Call("mplay_session_mode", {S("1")});
    EXPECT_FALSE(DPlay_GetSessionMode()) << "a string reads as 0";
}

TEST_F(MultiplayerBuiltins, DataReadsCopyTheSlotWithinItsBounds)
{
    DPlay_Shared_Set(2, TaggedValue("kept"));
    EXPECT_EQ(Text("mplay_data_read", {2.0}), "kept");
    EXPECT_EQ(Real("mplay_data_read", {-1.0}), 0.0);
    EXPECT_EQ(Real("mplay_data_read", {1000001.0}), 0.0);
    EXPECT_EQ(DPlay_Shared_Length(), 3) << "refused indexes grow nothing";
    EXPECT_EQ(Real("mplay_data_write", {2.0, 5.0}), 0.0);
    EXPECT_EQ(Text("mplay_data_read", {2.4}), "kept");
    // A player name the list does not know comes back as the empty string.
    DPlay_AddPlayer(4, nullptr);
    EXPECT_EQ(Text("mplay_player_name", {0.0}), "");
    EXPECT_EQ(Real("mplay_player_id", {0.0}), 4.0);
}

TEST_F(MultiplayerBuiltins, HostileArgumentsAreHarmless)
{
    const TaggedValue patterns[] = {TaggedValue((double)NAN), TaggedValue(1e300), TaggedValue(-1e300), TaggedValue(-1.0),
                                    TaggedValue(1e6), S("5"), S("")};
    for (const TaggedValue& p : patterns) {
        for (int id = 0; id < Function_Count(); id++) {
            const RFunction* f = Function_Get(id);
            Call(f->name, std::vector<TaggedValue>((size_t)f->argc, p));
        }
    }
    EXPECT_LE(DPlay_Shared_Length(), DPLAY_SHARED_MAX + 1);
    EXPECT_TRUE(Errors().empty());
}

}  // namespace
