// The registrar of the service built-ins, their argument checks, the per-frame and exit hooks,
// the pause and purchase events, and the platform's constants and built-in variables.
#include "Function/Quenby_Functions.h"
#include "Function/Quenby_FunctionsM.h"
#include "Function/Quenby_Functions_Internal.h"

#include "Base/Console.h"
#include "Code/Code_Constant.h"
#include "Code/Error.h"
#include "Graphics_API/GR_Device.h"
#include "Support/DataStructures.h"
#include "Support/LoadSave_Http.h"
#include "Variable/Variable_BuiltIn.h"

namespace {

bool PausePending = false;
bool Paused = false;

int PurchaseQueue = -1;
bool PurchasePending = false;  // a purchase event waits in the request list

// The purchase event: raised once for every event reported since the last one.
int DeliverPurchase(HTTP_REQ_CONTEXT*, void*, int*) { return 66; }
void PurchaseDelivered(HTTP_REQ_CONTEXT*) { PurchasePending = false; }

struct Constant {
    const char* name;
    double value;
};

const Constant kConstants[] = {
    {"os_unknown", -1}, {"os_win32", 0}, {"os_windows", 0}, {"os_macosx", 1}, {"os_psp", 2}, {"os_ios", 3},
    {"os_android", 4}, {"os_symbian", 5}, {"os_linux", OS_LINUX}, {"os_winphone", 7},
    {"device_ios_unknown", -1}, {"device_ios_iphone", 0}, {"device_ios_iphone_retina", 1},
    {"device_ios_ipad", 2}, {"device_ios_ipad_retina", 3}, {"device_emulator", 256}, {"device_tablet", 2},
    {"browser_not_a_browser", -1}, {"browser_unknown", 0}, {"browser_ie", 1}, {"browser_firefox", 2},
    {"browser_chrome", 3}, {"browser_safari", 4}, {"browser_safari_mobile", 5}, {"browser_opera", 6},
    {"browser_windows_store", 8},
    {"of_challenge_win", 0}, {"of_challenge_lose", 1}, {"of_challenge_tie", 2},
    {"leaderboard_type_number", 0}, {"leaderboard_type_time_mins_secs", 1},
};

template <int Value>
bool Fixed(CInstance*, int, TaggedValue* out)
{
    out->SetReal(Value);
    return true;
}

bool OSVersion(CInstance*, int, TaggedValue* out)
{
    out->SetReal(Quenby_OSVersion());
    return true;
}

bool BackbufferWidth(CInstance*, int, TaggedValue* out)
{
    out->SetReal(GR_D3D_Get_Backbuffer_Width());
    return true;
}

bool BackbufferHeight(CInstance*, int, TaggedValue* out)
{
    out->SetReal(GR_D3D_Get_Backbuffer_Height());
    return true;
}

}  // namespace

bool Quenby_CheckCount(int argc, int wanted)
{
    if (argc == wanted) return true;
    Error_Show_Action("Illegal argument count", false);
    return false;
}

bool Quenby_CheckKinds(int argc, const TaggedValue* args, uint32_t kind)
{
    for (int i = 0; i < argc; i++) {
        if (args[i].Kind() != kind) {
            Error_Show_Action("Illegal argument type", false);
            return false;
        }
    }
    return true;
}

QUENBY_BUILTIN(Quenby_MinusOne) { result->SetReal(-1); }
QUENBY_BUILTIN(Quenby_EmptyString) { result->SetString(""); }

void Quenby_Functions_Init()
{
    AchievementQueue_Load();
    Quenby_Platform_Start();
    for (void (*add)() : {Quenby_AddVirtualKeys, Quenby_AddAchievements, Quenby_AddAddresses, Quenby_AddDrawing,
                          Quenby_AddAdvertising, Quenby_AddDevice, Quenby_AddDigests, Quenby_AddPurchases,
                          Quenby_AddSocial, Quenby_AddAnalytics, Quenby_AddOtherPlatforms})
        add();
}

void Quenby_Constants_Init()
{
    for (const Constant& c : kConstants) Code_Constant_AddReal(c.name, c.value);
}

void Quenby_Variables_Init()
{
    Variable_BuiltIn_Add("os_type", Fixed<OS_LINUX>, nullptr, false);
    Variable_BuiltIn_Add("os_device", Fixed<-1>, nullptr, false);
    Variable_BuiltIn_Add("os_version", OSVersion, nullptr, false);
    Variable_BuiltIn_Add("os_browser", Fixed<-1>, nullptr, false);
    Variable_BuiltIn_Add("browser_width", BackbufferWidth, nullptr, false);
    Variable_BuiltIn_Add("browser_height", BackbufferHeight, nullptr, false);
}

void Quenby_PerFrame()
{
    AchievementQueue_Tick();
    if (PausePending) {
        Paused = true;
        PausePending = false;
        Console_Warnings->Output("Pause event has been registered for this frame\n");
    } else if (Paused) {
        Paused = false;
        Console_Warnings->Output("Pause event has been unregistered\n");
    }
}

void Quenby_Exit() { AchievementQueue_Save(); }

void Quenby_ReportPause()
{
    Console_Warnings->Output("OS has raised a pause event\n");
    PausePending = true;
}

bool Quenby_IsPaused() { return Paused; }

void Quenby_ReportPurchaseEvent(double number)
{
    if (!DS_Queue_Find(PurchaseQueue)) PurchaseQueue = DS_Queue_Create();
    if (CDS_Queue* queue = DS_Queue_Find(PurchaseQueue)) queue->Enqueue(TaggedValue(number));
    if (PurchasePending) return;
    PurchasePending = true;
    (new HTTP_REQ_CONTEXT(nullptr, DeliverPurchase, PurchaseDelivered, nullptr))->Complete();
}

int Quenby_PurchaseEventQueue() { return PurchaseQueue; }
