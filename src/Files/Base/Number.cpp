#include "Base/Number.h"

#include <charconv>
#include <cmath>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Whether a number that from_chars found out of range is too large (else too small): the
// position of its first significant digit relative to the point, plus its exponent, decides.
bool Overflows(const char* p, const char* end)
{
    long magnitude = 0;
    bool seenPoint = false, seenSignificant = false;
    for (; p < end && (IsDigit(*p) || *p == '.'); p++) {
        if (*p == '.') { seenPoint = true; continue; }
        if (*p != '0') seenSignificant = true;
        if (!seenPoint && seenSignificant) magnitude++;
        if (seenPoint && !seenSignificant) magnitude--;
    }
    if (p < end && (*p == 'e' || *p == 'E')) {
        p++;
        bool negative = *p == '-';
        if (*p == '-' || *p == '+') p++;
        long e = 0;
        for (; p < end && IsDigit(*p); p++) {
            if (e < 100000) e = e * 10 + (*p - '0');
        }
        magnitude += negative ? -e : e;
    }
    return magnitude > 0;
}

}  // namespace

size_t Number_FormatFixed(char* buffer, double value, int decimals)
{
    if (decimals < 0) decimals = 0;
    if (decimals > NUMBER_MAX_DECIMALS) decimals = NUMBER_MAX_DECIMALS;
    std::to_chars_result r =
        std::to_chars(buffer, buffer + NUMBER_FIXED_SIZE - 1, value, std::chars_format::fixed, decimals);
    size_t length = r.ec == std::errc() ? (size_t)(r.ptr - buffer) : 0;
    buffer[length] = 0;
    return length;
}

double Number_Parse(const char* text)
{
    if (!text) return 0.0;
    const char* p = text;
    while (IsSpace(*p)) p++;
    const char* start = p;
    bool negative = *p == '-';
    if (*p == '+' || *p == '-') p++;
    const char* mantissa = p;
    bool digits = false;
    while (IsDigit(*p)) { p++; digits = true; }
    if (*p == '.') {
        p++;
        while (IsDigit(*p)) { p++; digits = true; }
    }
    if (!digits) return 0.0;
    if (*p == 'e' || *p == 'E') {
        const char* e = p + 1;
        if (*e == '+' || *e == '-') e++;
        if (IsDigit(*e)) {
            while (IsDigit(*e)) e++;
            p = e;
        }
    }
    // from_chars takes no "+": start after it.
    if (*start == '+') start++;
    double value = 0.0;
    std::from_chars_result r = std::from_chars(start, p, value, std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range) {
        value = Overflows(mantissa, p) ? HUGE_VAL : 0.0;
        return negative ? -value : value;
    }
    return r.ec == std::errc() ? value : 0.0;
}
