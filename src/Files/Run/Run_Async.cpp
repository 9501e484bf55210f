#include "Run/Run_Main.h"

#include "Debug/Dialog.h"
#include "Object/Event_Main.h"
#include "Room/Room_Main.h"
#include "Support/DataStructures.h"
#include "Support/LoadSave_Http.h"

void Run_AsyncPass()
{
    LoadSave_HttpPoll();
    Dialog_AsyncShowNext();
    // A room change asked for by one event leaves the rest for the next step's pass.
    while (!Room_ChangePending()) {
        HTTP_REQ_CONTEXT* request = RequestList_TakeComplete();
        if (!request) break;
        async_load = -1;
        int event = request->process ? request->process(request, request->userData, &async_load) : 0;
        // The event may destroy the map itself and another map may take its slot: only the
        // map the request made is destroyed.
        int map = async_load;
        CDS_Map* made = DS_Map_Find(map);
        uint64_t serial = made ? made->Serial() : 0;
        if (event >= 60) Event_Other_PerformAll(event);
        if (made) DS_Map_DestroyIfSame(map, serial);
        async_load = -1;
        RequestList_Delete(request);
    }
}
