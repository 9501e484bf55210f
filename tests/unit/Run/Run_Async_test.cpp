// Delivery of complete requests in the step's asynchronous pass.
#include "../Room/World.h"
#include "Base/Console.h"
#include "Function/Function_DataStructures.h"
#include "Function/Function_Math.h"
#include "Function/Function_Misc.h"
#include "StartUp.h"
#include "Support/DataStructures.h"
#include "Support/LoadSave_Http.h"

namespace {

std::vector<int> g_cleaned;
int g_lastMap = -1;

// Makes a map {"id": the request's id} and raises the event number kept in the user data.
int MapAndEvent(HTTP_REQ_CONTEXT* request, void* userData, int* asyncMap)
{
    *asyncMap = g_lastMap = CDS_Map_CreateFromList(1, "id", (double)request->id, (const char*)nullptr);
    return (int)(intptr_t)userData;
}

void Cleaned(HTTP_REQ_CONTEXT* request) { g_cleaned.push_back(request->id); }

class AsyncDelivery : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        int id;
        if (!Function_Find("show_debug_message", &id)) Function_Misc_Init();
        if (!Function_Find("ds_map_find_value", &id)) Function_DataStructures_Init();
        if (!Function_Find("string", &id)) Function_Math_Init();
        StartUp_Variables();
        RequestList_Free();
        DS_FreeAll();
        g_cleaned.clear();
    }
    void TearDown() override
    {
        RequestList_Free();
        DS_FreeAll();
        WorldTest::TearDown();
    }
    // A request that completes on the main thread and raises the event.
    static HTTP_REQ_CONTEXT* Complete(int event)
    {
        HTTP_REQ_CONTEXT* r = new HTTP_REQ_CONTEXT(nullptr, MapAndEvent, Cleaned, (void*)(intptr_t)event);
        r->Complete();
        return r;
    }
};

TEST_F(AsyncDelivery, EveryInstanceWithTheEventReadsTheMapWhichIsThenDestroyed)
{
    int o = Object();
    Object_Find(o)->AddEvent(7, 62, "show_debug_message(string(id) + ' ' + string(ds_map_find_value(async_load, 'id')));");
    int other = Object();
    Object_Find(other)->AddEvent(7, 63, "show_debug_message('dialog ' + string(ds_map_find_value(async_load, 'id')));");
    ASSERT_NO_FATAL_FAILURE(Start());
    CInstance* a = Put(o, 0, 0);
    CInstance* b = Put(o, 0, 0);
    Put(other, 0, 0);
    EXPECT_EQ(Frame(), "");
    Complete(62);
    Complete(63);
    Complete(0);  // no event, but still delivered and freed
    std::string expected = std::to_string(a->id) + " 0\n" + std::to_string(b->id) + " 0\ndialog 1\n";
    EXPECT_EQ(Frame(), expected);
    EXPECT_EQ(g_cleaned, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(RequestList_Count(), 0);
    EXPECT_EQ(DS_Map_Find(g_lastMap), nullptr);
    EXPECT_EQ(async_load, -1);
    EXPECT_EQ(Frame(), "");
}

TEST_F(AsyncDelivery, AMapThatTheEventReplacedInItsSlotSurvives)
{
    int o = Object();
    Object_Find(o)->AddEvent(7, 62, "ds_map_destroy(async_load); global.kept = ds_map_create();");
    ASSERT_NO_FATAL_FAILURE(Start());
    Put(o, 0, 0);
    Complete(62);
    Frame();
    // The new map took the slot of the destroyed one and stays.
    ASSERT_NE(DS_Map_Find(g_lastMap), nullptr);
    EXPECT_EQ(DS_Map_Find(g_lastMap)->Size(), 0);
}

TEST_F(AsyncDelivery, ARoomChangeLeavesTheRestForTheNextRoom)
{
    int o = Object();
    Object_Find(o)->AddEvent(7, 62, "show_debug_message(ds_map_find_value(async_load, 'id')); room_goto(1);");
    Object_Find(o)->flags |= OBJECT_PERSISTENT;
    ASSERT_NO_FATAL_FAILURE(Start(2));
    Put(o, 0, 0);
    Complete(62);
    Complete(62);
    EXPECT_EQ(Frame(), "0\n");
    EXPECT_EQ(RequestList_Count(), 1);
    EXPECT_EQ(Frame(), "1\n");
    EXPECT_EQ(RequestList_Count(), 0);
}

}  // namespace
