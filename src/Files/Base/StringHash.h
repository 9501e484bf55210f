// Hashing for tables keyed by std::string that are searched with a plain C string: the lookup
// makes no temporary std::string.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

struct StringHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

template <typename T>
using StringMap = std::unordered_map<std::string, T, StringHash, std::equal_to<>>;
