// The common cases of built-ins that the machine makes itself (OPC_STRING_CHAR_AT), shared with
// their handlers so that both give the same result.
#pragma once
#include "Variable/Arguments.h"

#include <cstdint>

// string_char_at: a text whose characters are all one byte and a real position give the
// character (a shared one-byte text) in *result, which may be one of the arguments, and true;
// anything else false, having changed nothing.
inline bool Code_Fast_StringCharAt(const TaggedValue& text, const TaggedValue& position, TaggedValue* result)
{
    if (!text.IsString() || !position.IsReal()) return false;
    int64_t length = text.TextChars();
    if (length != (int64_t)text.GetLength()) return false;
    int64_t i = (int64_t)Arg_I(position) - 1;
    unsigned char c = i < length ? (unsigned char)text.GetString()[i < 0 ? 0 : i] : 0;
    result->SetByte(c);  // 0: past the end, the empty text
    return true;
}
