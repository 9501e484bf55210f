// A running one-room world for tests: objects made in code, a room started, instances placed
// directly; errors collected instead of shown.
#pragma once
#include "Base/Console.h"
#include "Code/Error.h"
#include "Code/Function.h"
#include "Function/Function_Game.h"
#include "Object/Instance_Class.h"
#include "Object/Object_Main.h"
#include "Room/Room_Main.h"
#include "Run/Run_Main.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class WorldTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        int id;
        if (!Function_Find("instance_destroy", &id)) Function_Game_Init();
        Run_EndGame();
        Object_Clear();
        Room_Clear();
        Errors().clear();
        Error_Display_Hook = [](const char* text, bool) { Errors().push_back(text); };
    }
    void TearDown() override
    {
        Run_EndGame();
        Room_Clear();
        Object_Clear();
        Error_Display_Hook = nullptr;
        Error_FatalPending = false;
    }
    // Adds an object; events are added to the returned object before Start (called through
    // ASSERT_NO_FATAL_FAILURE).
    int Object(bool solid = false, int parent = -1)
    {
        int o = Object_Add();
        Object_Find(o)->flags = OBJECT_VISIBLE | (solid ? OBJECT_SOLID : 0);
        Object_Find(o)->parent_index = parent;
        return o;
    }
    void Start(int rooms = 1, int width = 640, int height = 480)
    {
        ASSERT_TRUE(Object_LinkParents());
        ASSERT_TRUE(Object_Prepare());
        for (int i = 0; i < rooms; i++) {
            CRoom* room = Room_Get(Room_Add());
            room->width = width;
            room->height = height;
        }
        Run_NoWait = true;
        ASSERT_TRUE(Run_StartGame());
    }
    CInstance* Put(int object, float x, float y) { return Run_Room->CreateInstance(x, y, object); }
    // The debug console lines of one frame.
    static std::string Frame()
    {
        TCaptureConsole lines;
        tagIConsole* previous = Console_Debug;
        Console_Debug = &lines;
        Run_Frame();
        Console_Debug = previous;
        return lines.text;
    }
    static std::vector<std::string>& Errors()
    {
        static std::vector<std::string> list;
        return list;
    }
};
