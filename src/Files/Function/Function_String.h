// The string built-ins, registered with the math family by Function_Math_Init.
#pragma once
#include "Code/Function.h"

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
