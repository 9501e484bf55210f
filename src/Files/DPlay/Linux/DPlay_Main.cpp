// The multiplayer transport of this platform: there is none, so no connection starts, no session
// or player is found and no message or shared value travels.
#include "DPlay/DPlay.h"
#include "DPlay/DPlay_Transport.h"

bool DPlay_InitIPX() { return false; }
bool DPlay_InitTCPIP(const char*) { return false; }
int DPlay_InitModem(const char*, const char*) { return 0; }
bool DPlay_InitSerial(int, int, int, int, int) { return false; }
void DPlay_End() {}
int DPlay_ConnectStatus() { return 0; }
int DPlay_SessionStatus() { return 0; }

bool DPlay_SessionCreate(const char*, int, const char*) { return false; }
int DPlay_SessionFind() { return 0; }
const char* DPlay_SessionName(int) { return nullptr; }
bool DPlay_SessionJoin(int, const char*) { return false; }
void DPlay_SessionEnd() {}

bool DPlay_MessageSendToId(int, int, const TaggedValue&) { return false; }
bool DPlay_MessageSendToName(const char*, int, const TaggedValue&) { return false; }
bool DPlay_MessageSendGuaranteedToId(int, int, const TaggedValue&) { return false; }
bool DPlay_MessageSendGuaranteedToName(const char*, int, const TaggedValue&) { return false; }
bool DPlay_MessageReceiveFromId(int) { return false; }
bool DPlay_MessageReceiveFromName(const char*) { return false; }
int DPlay_MessageCount(int) { return 0; }
void DPlay_MessageClear(int) {}
const char* DPlay_IpAddress() { return nullptr; }

bool DPlay_Network_SharedRead(int, TaggedValue*) { return false; }
int DPlay_Network_SharedWrite(int, const TaggedValue&, bool) { return 0; }
