#include "Physics/Physics_Check.h"
#include "Physics/Physics_Main.h"

#include "Code/Error.h"

#include <cmath>
#include <string>

namespace {
bool LogHook = false;
}  // namespace

void Physics_InstallLogHook()
{
    LogHook = true;
}

bool Physics_LogHookInstalled()
{
    return LogHook;
}

void Physics_Refuse(const char* who, const char* problem, const char* engineCheck)
{
    std::string text = std::string(who) + ": " + problem;
    Error_Show_Action(text.c_str(), false);
    if (LogHook && engineCheck) Error_Show_Action(engineCheck, false);
}

bool Physics_CheckValues(const char* who, std::initializer_list<double> values)
{
    for (double v : values)
        if (!(std::fabs(v) <= PHYSICS_MAX_VALUE)) {
            Physics_Refuse(who, "an argument is not a finite number within range", "b2IsValid(x)");
            return false;
        }
    return true;
}

bool Physics_CheckSize(const char* who, const char* what, double size)
{
    if (size > 0.0 && size <= PHYSICS_MAX_SIZE) return true;
    std::string problem = std::string("the ") + what + (size > PHYSICS_MAX_SIZE ? " is too large" : " must be greater than 0");
    Physics_Refuse(who, problem.c_str(), "area > b2_epsilon");
    return false;
}

bool Physics_CheckNotNegative(const char* who, const char* what, double value, double limit)
{
    if (value >= 0.0 && value <= limit) return true;
    std::string problem = std::string("the ") + what + (value >= 0.0 ? " is too large" : " must be 0 or more");
    Physics_Refuse(who, problem.c_str(), "b2IsValid(x) && x >= 0.0f");
    return false;
}
