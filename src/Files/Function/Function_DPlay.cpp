// The registrar and handlers of the multiplayer built-ins. Numbers are rounded to integers; a
// boolean answer becomes 1 or 0; a missing name becomes the empty string.
#include "Function/Function_DPlay.h"

#include "Code/Function.h"
#include "DPlay/DPlay.h"
#include "Variable/Arguments.h"

namespace {

#define MPLAY_BUILTIN(name) void F_##name(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)

void SetText(TaggedValue* result, const char* text) { result->SetString(text ? text : ""); }

MPLAY_BUILTIN(mplay_init_ipx) { result->SetReal(DPlay_InitIPX()); }
MPLAY_BUILTIN(mplay_init_tcpip) { result->SetReal(DPlay_InitTCPIP(Arg_S(args[0]))); }
MPLAY_BUILTIN(mplay_init_modem) { result->SetReal(DPlay_InitModem(Arg_S(args[0]), Arg_S(args[1]))); }

MPLAY_BUILTIN(mplay_init_serial)
{
    result->SetReal(DPlay_InitSerial(Arg_I(args[0]), Arg_I(args[1]), Arg_I(args[2]), Arg_I(args[3]), Arg_I(args[4])));
}

MPLAY_BUILTIN(mplay_connect_status) { result->SetReal(DPlay_ConnectStatus()); }
MPLAY_BUILTIN(mplay_end) { DPlay_End(); }
MPLAY_BUILTIN(mplay_session_mode) { DPlay_SetSessionMode(Arg_I(args[0]) >= 1); }

MPLAY_BUILTIN(mplay_session_create)
{
    result->SetReal(DPlay_SessionCreate(Arg_S(args[0]), Arg_I(args[1]), Arg_S(args[2])));
}

MPLAY_BUILTIN(mplay_session_find) { result->SetReal(DPlay_SessionFind()); }
MPLAY_BUILTIN(mplay_session_name) { SetText(result, DPlay_SessionName(Arg_I(args[0]))); }
MPLAY_BUILTIN(mplay_session_join) { result->SetReal(DPlay_SessionJoin(Arg_I(args[0]), Arg_S(args[1]))); }
MPLAY_BUILTIN(mplay_session_status) { result->SetReal(DPlay_SessionStatus()); }
MPLAY_BUILTIN(mplay_session_end) { DPlay_SessionEnd(); }
MPLAY_BUILTIN(mplay_player_find) { result->SetReal(DPlay_PlayerFind()); }
MPLAY_BUILTIN(mplay_player_name) { SetText(result, DPlay_PlayerName(Arg_I(args[0]))); }
MPLAY_BUILTIN(mplay_player_id) { result->SetReal(DPlay_PlayerId(Arg_I(args[0]))); }
MPLAY_BUILTIN(mplay_data_write) { result->SetReal(DPlay_DataWrite(Arg_I(args[0]), args[1])); }
MPLAY_BUILTIN(mplay_data_read) { DPlay_DataRead(Arg_I(args[0]), result); }
MPLAY_BUILTIN(mplay_data_mode) { DPlay_DataMode(Arg_I(args[0]) >= 1); }

// A player given as a string is a name, even when it looks like a number.
MPLAY_BUILTIN(mplay_message_send)
{
    bool sent = args[0].IsString() ? DPlay_MessageSendToName(Arg_S(args[0]), Arg_I(args[1]), args[2])
                                   : DPlay_MessageSendToId(Arg_I(args[0]), Arg_I(args[1]), args[2]);
    result->SetReal(sent);
}

MPLAY_BUILTIN(mplay_message_send_guaranteed)
{
    bool sent = args[0].IsString() ? DPlay_MessageSendGuaranteedToName(Arg_S(args[0]), Arg_I(args[1]), args[2])
                                   : DPlay_MessageSendGuaranteedToId(Arg_I(args[0]), Arg_I(args[1]), args[2]);
    result->SetReal(sent);
}

MPLAY_BUILTIN(mplay_message_receive)
{
    bool received = args[0].IsString() ? DPlay_MessageReceiveFromName(Arg_S(args[0]))
                                       : DPlay_MessageReceiveFromId(Arg_I(args[0]));
    result->SetReal(received);
}

MPLAY_BUILTIN(mplay_message_id) { result->SetReal(DPlay_MessageId()); }
MPLAY_BUILTIN(mplay_message_value) { *result = DPlay_MessageValue(); }
MPLAY_BUILTIN(mplay_message_player) { result->SetReal(DPlay_MessagePlayer()); }
MPLAY_BUILTIN(mplay_message_name) { SetText(result, DPlay_MessageName()); }
MPLAY_BUILTIN(mplay_message_count) { result->SetReal(DPlay_MessageCount(Arg_I(args[0]))); }
MPLAY_BUILTIN(mplay_message_clear) { DPlay_MessageClear(Arg_I(args[0])); }
MPLAY_BUILTIN(mplay_ipaddress) { SetText(result, DPlay_IpAddress()); }

#undef MPLAY_BUILTIN

#define ENTRY FUNCTION_ENTRY

const FunctionEntry kMultiplayer[] = {
    ENTRY(mplay_init_ipx, 0),
    ENTRY(mplay_init_tcpip, 1),
    ENTRY(mplay_init_modem, 2),
    ENTRY(mplay_init_serial, 5),
    ENTRY(mplay_connect_status, 0),
    ENTRY(mplay_end, 0),
    ENTRY(mplay_session_mode, 1),
    ENTRY(mplay_session_create, 3),
    ENTRY(mplay_session_find, 0),
    ENTRY(mplay_session_name, 1),
    ENTRY(mplay_session_join, 2),
    ENTRY(mplay_session_status, 0),
    ENTRY(mplay_session_end, 0),
    ENTRY(mplay_player_find, 0),
    ENTRY(mplay_player_name, 1),
    ENTRY(mplay_player_id, 1),
    ENTRY(mplay_data_write, 2),
    ENTRY(mplay_data_read, 1),
    ENTRY(mplay_data_mode, 1),
    ENTRY(mplay_message_send, 3),
    ENTRY(mplay_message_send_guaranteed, 3),
    ENTRY(mplay_message_receive, 1),
    ENTRY(mplay_message_id, 0),
    ENTRY(mplay_message_value, 0),
    ENTRY(mplay_message_player, 0),
    ENTRY(mplay_message_name, 0),
    ENTRY(mplay_message_count, 1),
    ENTRY(mplay_message_clear, 1),
    ENTRY(mplay_ipaddress, 0),
};

#undef ENTRY

}  // namespace

void Function_DPlay_Init()
{
    Function_AddTable(kMultiplayer);
}
