// The platform half of the service built-ins (Linux/Quenby_FunctionsM.cpp): what the game-facing
// handlers ask of the system.
#pragma once
#include "Function/Quenby_Functions.h"

#include <string>

struct ifaddrs;

// Starts the platform's services at registration: marks the achievement service available.
void Quenby_Platform_Start();
// The achievement service's post operations. This platform has no service to deliver to: a post
// goes nowhere and no outcome comes back.
extern const AchievementPoster Quenby_AchievementPoster;

// The kernel's version as major x 65536 + minor, -1 when unknown.
int Quenby_OSVersion();
// The two- or three-letter code of the user's language from the locale settings (LC_ALL,
// LC_MESSAGES, LANG, first set wins), "--" for a language outside the code table.
std::string Quenby_Language();
// The code of a locale name such as "da_DK.UTF-8" (the C and POSIX locales are English).
std::string Quenby_LanguageOfLocale(const char* locale);
// 1 when a network interface other than the loopback is up and running with an address.
bool Quenby_NetworkConnected();
bool Quenby_AnyConnection(const ifaddrs* interfaces);
