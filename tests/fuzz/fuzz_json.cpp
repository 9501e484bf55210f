// Feeds arbitrary texts to json_decode as a game calls it. Whatever decodes must encode, and the
// encoded text must decode and encode again to itself.
#include "Code/Function.h"
#include "Function/Function_Http.h"
#include "Support/DataStructures.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

TaggedValue CallBuiltin(const char* name, TaggedValue arg)
{
    int id = -1;
    if (!Function_Find(name, &id)) abort();
    TaggedValue result;
    Function_Get(id)->handler(&result, nullptr, nullptr, 1, &arg);
    return result;
}

// The text of json_encode of what json_decode made of the text; "" when it did not decode.
std::string RoundTrip(const std::string& text)
{
    TaggedValue map = CallBuiltin("json_decode", TaggedValue(text.c_str()));
    if (map.GetReal() < 0) return "";
    TaggedValue encoded = CallBuiltin("json_encode", map);
    if (!encoded.IsString() || encoded.GetLength() == 0) abort();
    return encoded.GetString();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool registered = false;
    if (!registered) {
        Function_Http_Init();
        registered = true;
    }
    std::string text((const char*)data, size);
    std::string once = RoundTrip(text.c_str());
    if (!once.empty() && RoundTrip(once) != once) abort();
    DS_FreeAll();
    return 0;
}
