// The string built-ins, registered with the math family by Function_Math_Init.
#pragma once
#include "Code/Function.h"

#include <string>

// "%.2f" of any real, in the C locale.
std::string String_TwoDecimals(double r);
// The text `string` makes of a real: the integer when the real is a 32-bit integer, else
// String_TwoDecimals (the message built-ins use it too).
std::string String_OfReal(double r);

void F_real(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args);
void F_string(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args);
void F_string_format(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args);
void F_chr(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args);
void F_ansi_char(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args);
void F_ord(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args);
void F_string_length(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args);
void F_string_pos(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args);
void F_string_copy(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args);
void F_string_char_at(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args);
void F_string_byte_length(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args);
void F_string_byte_at(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args);
void F_string_set_byte_at(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args);
void F_string_delete(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args);
void F_string_insert(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args);
void F_string_lower(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args);
void F_string_upper(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args);
void F_string_repeat(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args);
void F_string_letters(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args);
void F_string_digits(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args);
void F_string_lettersdigits(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args);
void F_string_replace(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args);
void F_string_replace_all(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args);
void F_string_count(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args);
