// The service back ends on Linux: the kernel version from uname, the language from the locale
// settings, the network state from the interfaces. There is no achievement service.
#include "Function/Quenby_FunctionsM.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <ifaddrs.h>
#include <net/if.h>
#include <sys/socket.h>
#include <sys/utsname.h>

namespace {

struct Language {
    int id;
    const char* code;
};

// Primary language identifiers and their codes; where an identifier occurs twice the first entry
// decides.
const Language kLanguages[] = {
    {54, "af"},   {28, "sq"},   {132, "gsw"}, {94, "am"},   {1, "ar"},    {43, "hy"},   {77, "as"},   {44, "az"},
    {109, "ba"},  {45, "eu"},   {35, "be"},   {69, "bn"},   {126, "br"},  {2, "bg"},    {146, "ku"},  {92, "chr"},
    {3, "ca"},    {4, "zh"},    {131, "co"},  {26, "hr"},   {5, "cs"},    {6, "da"},    {140, "prs"}, {101, "dv"},
    {19, "nl"},   {9, "en"},    {37, "et"},   {56, "fo"},   {100, "fil"}, {11, "fi"},   {12, "fr"},   {98, "fy"},
    {86, "gl"},   {55, "ka"},   {7, "de"},    {8, "el"},    {111, "kl"},  {71, "gu"},   {104, "ha"},  {117, "haw"},
    {13, "he"},   {57, "hi"},   {14, "hu"},   {15, "is"},   {112, "ig"},  {33, "id"},   {93, "iu"},   {60, "ga"},
    {52, "xh"},   {53, "zu"},   {16, "it"},   {17, "ja"},   {75, "kn"},   {63, "kk"},   {83, "kh"},   {134, "qut"},
    {135, "rw"},  {87, "kok"},  {18, "ko"},   {64, "ky"},   {84, "lo"},   {38, "lv"},   {39, "lt"},   {46, "dsb"},
    {110, "lb"},  {47, "mk"},   {62, "ms"},   {76, "ml"},   {58, "mt"},   {129, "mi"},  {122, "arn"}, {78, "mr"},
    {124, "moh"}, {80, "mn"},   {97, "ne"},   {20, "no"},   {130, "oc"},  {72, "or"},   {99, "ps"},   {21, "pl"},
    {22, "pt"},   {103, "ff"},  {70, "pa"},   {107, "quz"}, {24, "ro"},   {23, "rm"},   {25, "ru"},   {133, "sah"},
    {59, "smn"},  {79, "sa"},   {108, "nso"}, {50, "tn"},   {91, "si"},   {27, "sk"},   {36, "sl"},   {10, "es"},
    {65, "sw"},   {29, "sv"},   {90, "syr"},  {40, "tg"},   {95, "tzm"},  {73, "ta"},   {68, "tt"},   {74, "te"},
    {30, "th"},   {81, "bo"},   {115, "ti"},  {31, "tr"},   {66, "tk"},   {34, "uk"},   {46, "hsb"},  {32, "ur"},
    {128, "ug"},  {67, "uz"},   {3, "ca"},    {42, "vi"},   {82, "cy"},   {136, "wo"},  {120, "ii"},  {106, "yo"},
};

// Locale codes that name a language of the table by another code (a family that shares one
// identifier, or an older code).
const Language kAliases[] = {
    {83, "km"}, {20, "nb"}, {20, "nn"}, {26, "sr"}, {26, "bs"}, {146, "ckb"}, {100, "tl"}, {59, "se"}, {107, "qu"},
};

int IdOfCode(const std::string& code)
{
    for (const Language& l : kLanguages)
        if (code == l.code) return l.id;
    for (const Language& l : kAliases)
        if (code == l.code) return l.id;
    return -1;
}

void PostNowhere(uint32_t, const char*, int32_t) {}
void PostNowhere(uint32_t, const char*, float) {}

}  // namespace

const AchievementPoster Quenby_AchievementPoster = {PostNowhere, PostNowhere};

void Quenby_Platform_Start() { AchievementQueue_SetServiceAvailable(true); }

int Quenby_OSVersion()
{
    utsname name;
    if (uname(&name) != 0) return -1;
    char* end = nullptr;
    long major = strtol(name.release, &end, 10);
    if (end == name.release || *end != '.' || major < 0 || major > 32767) return -1;
    const char* minorText = end + 1;
    long minor = strtol(minorText, &end, 10);
    if (end == minorText || minor < 0 || minor > 65535) return -1;
    return (int)(major * 65536 + minor);
}

std::string Quenby_LanguageOfLocale(const char* locale)
{
    std::string code;
    for (const char* p = locale ? locale : ""; *p && isalpha((unsigned char)*p); p++)
        code += (char)tolower((unsigned char)*p);
    if (code.empty() || code == "c" || code == "posix") return "en";
    int id = IdOfCode(code);
    for (const Language& l : kLanguages)
        if (l.id == id) return l.code;
    return "--";
}

std::string Quenby_Language()
{
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = getenv(variable);
        if (value && *value) return Quenby_LanguageOfLocale(value);
    }
    return Quenby_LanguageOfLocale(nullptr);
}

bool Quenby_AnyConnection(const ifaddrs* interfaces)
{
    for (const ifaddrs* i = interfaces; i; i = i->ifa_next) {
        bool usable = (i->ifa_flags & IFF_UP) && (i->ifa_flags & IFF_RUNNING) && !(i->ifa_flags & IFF_LOOPBACK);
        if (usable && i->ifa_addr && (i->ifa_addr->sa_family == AF_INET || i->ifa_addr->sa_family == AF_INET6))
            return true;
    }
    return false;
}

bool Quenby_NetworkConnected()
{
    ifaddrs* interfaces = nullptr;
    if (getifaddrs(&interfaces) != 0) return false;
    bool connected = Quenby_AnyConnection(interfaces);
    freeifaddrs(interfaces);
    return connected;
}
