// A one-room game talking to a test server on 127.0.0.1: its object's events are given as code
// (with URL written where the code says so), and its debug console lines are kept.
#pragma once
#include "../Support/HttpServer.h"
#include "Base/Console.h"
#include "Code/Error.h"
#include "Code/Function.h"
#include "Function/Function_DataStructures.h"
#include "Function/Function_Http.h"
#include "Function/Function_Math.h"
#include "Function/Function_Misc.h"
#include "Object/Object_Main.h"
#include "Room/Room_Main.h"
#include "Run/Run_Main.h"
#include "StartUp.h"
#include "Support/DataStructures.h"
#include "Support/LoadSave_Http.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

class HttpGame : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("no_proxy", "127.0.0.1", 1);
        Function_Clear();
        Function_Math_Init();
        Function_Misc_Init();
        Function_Http_Init();
        Function_DataStructures_Init();
        StartUp_Variables();
        RequestList_Free();
        DS_FreeAll();
        Object_Clear();
        Room_Clear();
        Error_Display_Hook = [](const char* text, bool) { ADD_FAILURE() << text; };
        saved = Console_Debug;
        Console_Debug = &log;
    }
    void TearDown() override
    {
        Run_EndGame();
        Run_NoWait = false;
        RequestList_Free();
        DS_FreeAll();
        Room_Clear();
        Object_Clear();
        Function_Clear();
        Error_Display_Hook = nullptr;
        Console_Debug = saved;
    }
    // Starts the game with one instance of an object that has these events ((type, number) and
    // code; "URL" in the code stands for the server's address).
    void Play(const std::vector<std::pair<std::pair<int, int>, std::string>>& events)
    {
        int o = Object_Add();
        for (const auto& e : events) Object_Find(o)->AddEvent(e.first.first, e.first.second, WithUrl(e.second).c_str());
        ASSERT_TRUE(Object_LinkParents());
        ASSERT_TRUE(Object_Prepare());
        Room_Get(Room_Add())->AddInstance(0, 0, o);
        Run_NoWait = true;
        ASSERT_TRUE(Run_StartGame());
    }
    std::string WithUrl(std::string code) const
    {
        std::string base = server.Url("");
        for (size_t at; (at = code.find("URL")) != std::string::npos;) code.replace(at, 3, base);
        return code;
    }
    // Runs frames until the debug console holds `lines` lines (at most ten seconds) and returns them.
    std::string Lines(size_t lines)
    {
        for (auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10); std::chrono::steady_clock::now() < until;) {
            if ((size_t)std::count(log.text.begin(), log.text.end(), '\n') >= lines) break;
            Run_Frame();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return log.text;
    }
    // The same lines sorted: requests that run at once raise their events in the order they end.
    std::vector<std::string> SortedLines(size_t lines)
    {
        std::string text = Lines(lines);
        std::vector<std::string> out;
        for (size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) out.push_back(text.substr(at, end - at));
        std::sort(out.begin(), out.end());
        return out;
    }
    // Runs frames until no request is left.
    void Settle()
    {
        for (auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
             RequestList_Count() && std::chrono::steady_clock::now() < until;) {
            Run_Frame();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ASSERT_EQ(RequestList_Count(), 0);
    }
    HttpServer server;
    TCaptureConsole log;
    tagIConsole* saved = nullptr;
};
