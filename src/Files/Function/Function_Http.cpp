#include "Function/Function_Http.h"

#include "Base/String.h"
#include "Code/Function.h"
#include "Support/DS_Json.h"
#include "Support/DataStructures.h"
#include "Support/LoadSave_Http.h"
#include "Variable/Arguments.h"

#include <cctype>
#include <cstring>
#include <string>

#define HTTP_BUILTIN(name) \
    static void F_##name(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)

namespace {
const int HTTP_ASYNC_EVENT = 62;

// The map that the asynchronous event of a finished request reads.
int Http_ResultToMap(HTTP_REQ_CONTEXT* request, void*, int* asyncMap)
{
    *asyncMap = CDS_Map_CreateFromList(5, "id", (double)request->id, (const char*)nullptr,
                                       "url", 0.0, request->url,
                                       "result", 0.0, request->BodyText(),
                                       "http_status", (double)request->httpStatus, (const char*)nullptr,
                                       "status", request->bytesRead < 1 ? -1.0 : 0.0, (const char*)nullptr);
    return HTTP_ASYNC_EVENT;
}

// The URL of a request: a string that begins with the scheme in lower case; null otherwise.
const char* Url(const TaggedValue& arg)
{
    if (!arg.IsString()) return nullptr;
    const char* url = arg.GetString();
    return !strncmp(url, "http://", 7) || !strncmp(url, "https://", 8) ? url : nullptr;
}

// The text json_decode parses when its argument is not a JSON object: a map of one string.
std::string Wrapped(const char* text)
{
    return std::string("{ \"default\" : \"") + text + "\" }";
}

bool LooksLikeObject(const char* text)
{
    size_t begin = 0, end = strlen(text);
    while (begin < end && isspace((unsigned char)text[begin])) begin++;
    while (end > begin && isspace((unsigned char)text[end - 1])) end--;
    return end > begin && text[begin] == '{' && text[end - 1] == '}';
}
}

HTTP_BUILTIN(http_get)
{
    const char* url = Url(args[0]);
    result->SetReal(url ? LoadSave_HttpGet(url, Http_ResultToMap, nullptr, nullptr) : -1);
}

HTTP_BUILTIN(http_post_string)
{
    const char* url = Url(args[0]);
    result->SetReal(url ? LoadSave_HttpPost(url, Arg_S(args[1]), Http_ResultToMap, nullptr, nullptr) : -1);
}

HTTP_BUILTIN(json_decode)
{
    std::string original;
    if (args[0].IsString()) {
        original = args[0].GetString();
    } else {
        char number[400];
        String_FromReal(number, sizeof number, "%.2f", args[0].GetReal());
        original = number;
    }
    // A real is always wrapped; a text only when it is not an object, or when it does not parse.
    bool object = args[0].IsString() && LooksLikeObject(original.c_str());
    int map = DS_Json_Decode(object ? original.c_str() : Wrapped(original.c_str()).c_str());
    if (map < 0 && object) map = DS_Json_Decode(Wrapped(original.c_str()).c_str());
    result->SetReal(map);
}

HTTP_BUILTIN(json_encode)
{
    if (!DS_Json_Encode(TruncToInt(args[0].GetReal()), result)) result->SetString("");
}

namespace {
const FunctionEntry kHttpJson[] = {
    FUNCTION_ENTRY(http_post_string, 2),
    FUNCTION_ENTRY(http_get, 1),
    FUNCTION_ENTRY(json_encode, 1),
    FUNCTION_ENTRY(json_decode, 1),
};
}

void Function_Http_Init()
{
    Function_AddTable(kHttpJson);
}
