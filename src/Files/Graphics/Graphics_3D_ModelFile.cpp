// The model file: text lines of the format version, the command count and the commands.
//
// Reading trusts nothing: lines end at CR, LF, NUL or the end of the file, blank lines are
// skipped, at most the announced count of lines is read (and at most MODEL_FILE_MAX_COMMANDS),
// a line without a kind is skipped, and numbers missing from a line are 0. A line of a kind
// outside 0..15 (a newer tool's) is kept as it stands. Numbers read as the file writes them:
// decimals, and "inf" and "nan" with an optional sign.
#include "Graphics/Graphics_3D_Model.h"
#include "Base/String.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <string>
#include <strings.h>

namespace {

const char* const FORMAT_VERSION = "100";

// The next line that is not blank, without its terminator.
bool NextLine(const char*& p, const char* end, std::string* line)
{
    auto terminator = [](char c) { return c == '\r' || c == '\n' || c == 0; };
    while (p < end && terminator(*p)) p++;
    if (p >= end) return false;
    const char* start = p;
    while (p < end && !terminator(*p)) p++;
    line->assign(start, p);
    return true;
}

// A decimal integer after optional white space, clamped to the range of int; false when the text
// does not start with one.
bool ReadInt(const char*& s, int* out)
{
    while (isspace((unsigned char)*s)) s++;
    const char* p = s;
    bool negative = *p == '-';
    if (*p == '-' || *p == '+') p++;
    if (!isdigit((unsigned char)*p)) return false;
    long long value = 0;
    for (; isdigit((unsigned char)*p); p++) value = std::min(value * 10 + (*p - '0'), 1LL << 32);
    if (negative) value = -value;
    *out = (int)std::clamp(value, -2147483648LL, 2147483647LL);
    s = p;
    return true;
}

// The next number after optional white space; false when there is none.
bool ReadReal(const char*& s, float* out)
{
    const char* end = nullptr;
    double number = String_ToReal(s, &end);
    if (end != s) {
        *out = (float)number;
        s = end;
        return true;
    }
    const char* p = s;
    while (isspace((unsigned char)*p)) p++;
    float sign = *p == '-' ? -1.0f : 1.0f;
    if (*p == '-' || *p == '+') p++;
    for (const char* word : {"infinity", "inf", "nan"}) {
        size_t n = strlen(word);
        if (strncasecmp(p, word, n) == 0) {
            *out = sign * (word[0] == 'n' ? NAN : INFINITY);
            s = p + n;
            return true;
        }
    }
    return false;
}

bool ParseCommand(const std::string& line, D3DModelCommand* command)
{
    const char* s = line.c_str();
    if (!ReadInt(s, &command->kind)) return false;
    for (float& value : command->values)
        if (!ReadReal(s, &value)) break;
    return true;
}

}  // namespace

bool D3DModel_ToText(int model, std::string* text)
{
    if (!D3DModel_Exists(model) || !text) return false;
    char number[64];
    int count = D3DModel_CommandCount(model);
    *text = std::string(FORMAT_VERSION) + "\n" + std::to_string(count) + "\n";
    for (int i = 0; i < count; i++) {
        if (const std::string* kept = D3DModel_GetKeptLine(model, i)) {
            *text += *kept + "\n";
            continue;
        }
        const D3DModelCommand* c = D3DModel_GetCommand(model, i);
        *text += std::to_string(c->kind);
        for (float value : c->values) {
            String_FromReal(number, sizeof number, " %10.4f", value);
            *text += number;
        }
        *text += "\n";
    }
    return true;
}

bool D3DModel_FromText(int model, const char* bytes, int64_t size)
{
    if (!D3DModel_Exists(model)) return false;
    D3DModel_Clear(model);
    if (!bytes || size <= 0) return false;
    const char* p = bytes;
    const char* end = bytes + size;
    std::string line;
    if (!NextLine(p, end, &line) || line != FORMAT_VERSION) return false;
    if (!NextLine(p, end, &line)) return false;
    const char* s = line.c_str();
    int count = 0;
    if (!ReadInt(s, &count)) return false;
    count = std::min(count, MODEL_FILE_MAX_COMMANDS);
    int read = 0;
    for (; read < count && NextLine(p, end, &line); read++) {
        D3DModelCommand command = {0, {}};
        if (!ParseCommand(line, &command)) continue;
        if (command.kind >= 0 && command.kind < MODEL_KIND_COUNT) D3DModel_AddCommand(model, command);
        else D3DModel_AddKeptLine(model, command, line);
    }
    // A file cut short is damaged: none of it is taken.
    if (read < count) {
        D3DModel_Clear(model);
        return false;
    }
    return true;
}
