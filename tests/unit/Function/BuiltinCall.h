// Calls built-ins the way compiled code does: by name through the built-in table, with the
// arguments padded with the real 0 up to the registered count. Run-time errors are captured.
#pragma once
#include "Code/Error.h"
#include "Code/Function.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

// Base is the fixture underneath (a drawing fixture for the graphics built-ins).
template <class Base = ::testing::Test>
class BuiltinTestOn : public Base {
protected:
    void SetUp() override
    {
        Base::SetUp();
        Function_Clear();
        Register();
        Error_Display_Hook = Capture;
        Error_FatalPending = false;
        Errors().clear();
        MemoryManager_TakeFailure();  // another test's failed allocation is not this one's
    }
    void TearDown() override
    {
        Error_Display_Hook = nullptr;
        Error_FatalPending = false;
        Function_Clear();
        Base::TearDown();
    }
    virtual void Register() = 0;

    static TaggedValue Call(const char* name, std::vector<TaggedValue> args = {}, CInstance* self = nullptr)
    {
        int id = -1;
        EXPECT_TRUE(Function_Find(name, &id)) << name;
        const RFunction* f = Function_Get(id);
        if (!f) return TaggedValue();
        while (f->argc >= 0 && (int)args.size() < f->argc) args.emplace_back(0.0);
        TaggedValue result;
        Function_Call(f, &result, self, self, (int)args.size(), args.data());
        return result;
    }
    // Calls with exactly the arguments given (no padding), for the argument checks.
    static TaggedValue CallExact(const char* name, std::vector<TaggedValue> args)
    {
        int id = -1;
        EXPECT_TRUE(Function_Find(name, &id)) << name;
        TaggedValue result;
        Function_Call(Function_Get(id), &result, nullptr, nullptr, (int)args.size(), args.data());
        return result;
    }
    static double Real(const char* name, std::vector<TaggedValue> args = {})
    {
        TaggedValue r = Call(name, std::move(args));
        EXPECT_TRUE(r.IsReal()) << name;
        return r.GetReal();
    }
    static std::string Text(const char* name, std::vector<TaggedValue> args = {})
    {
        TaggedValue r = Call(name, std::move(args));
        EXPECT_TRUE(r.IsString()) << name;
        return std::string(r.GetString(), r.GetLength());
    }

    static std::vector<std::string>& Errors()
    {
        static std::vector<std::string> errors;
        return errors;
    }

private:
    static void Capture(const char*, bool fatal)
    {
        Errors().push_back(LastErrorText + (fatal ? " [fatal]" : ""));
    }
};
using BuiltinTest = BuiltinTestOn<>;

inline TaggedValue S(const char* text) { return TaggedValue(text); }
