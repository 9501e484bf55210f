// What the files of the service built-ins share: the handler form, the argument checks, the
// handlers that only answer, and each file's sections of the registration table.
#pragma once
#include "Code/Function.h"

#include <cstdint>

// The value of os_linux: what os_type and Quenby_GetPlatform answer here.
constexpr int OS_LINUX = 6;

#define QUENBY_BUILTIN(name) \
    void F_##name(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)

// The argument checks: each reports its non-fatal error ("Illegal argument count", "Illegal
// argument type") and answers false when the arguments are not as wanted.
bool Quenby_CheckCount(int argc, int wanted);
// The kind check takes VALUE_REAL or VALUE_STRING for every argument.
bool Quenby_CheckKinds(int argc, const TaggedValue* args, uint32_t kind);

// Services this platform does not have: the handler checks its count, passes nothing on and the
// result stays the real 0.
template <int Count>
QUENBY_BUILTIN(Counted)
{
    Quenby_CheckCount(argc, Count);
}
// The same for services whose arguments are all numbers.
template <int Count>
QUENBY_BUILTIN(CountedReals)
{
    if (Quenby_CheckCount(argc, Count)) Quenby_CheckKinds(argc, args, VALUE_REAL);
}
QUENBY_BUILTIN(Quenby_MinusOne);
QUENBY_BUILTIN(Quenby_EmptyString);

// The kinds of posts the achievement built-ins hand the platform.
enum : uint32_t { ACHIEVEMENT_POST_SCORE = 1, ACHIEVEMENT_POST_PERCENT = 2 };

// Each run of names of the registration table, registered in its order; the registrar calls them
// in the family's order.
// Quenby_Functions_Device.cpp.
void Quenby_AddVirtualKeys();
void Quenby_AddAddresses();
void Quenby_AddDrawing();
void Quenby_AddDevice();
void Quenby_AddDigests();
// Quenby_Functions_Services.cpp.
void Quenby_AddAchievements();
void Quenby_AddAdvertising();
void Quenby_AddPurchases();
void Quenby_AddSocial();
void Quenby_AddAnalytics();
void Quenby_AddOtherPlatforms();
