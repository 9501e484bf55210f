// UTF-8 text of one to three bytes a character (code points below 0x10000).
//
// Text from games is not always valid UTF-8 (single bytes made with ansi_char, bytes set one by
// one, files): a byte that does not start a complete, well-formed sequence (C0 and C1 start only
// overlong forms) is one character whose code point is the byte's value (0x80..0xFF). A sequence
// cut short by the terminating NUL is such a byte too, so decoding never reads past the NUL.
#pragma once
#include <cstddef>

// The code point of the character at *cursor; the cursor moves past it. At the NUL it returns 0
// and the cursor stays.
unsigned int UTF8_GetChar(const char** cursor);
// Writes the 1, 2 or 3 bytes of a code point (bits above 16 are dropped) and moves the cursor.
void UTF8_PutChar(char** cursor, unsigned int c);
// The number of characters of a NUL-terminated text; null counts as empty.
int UTF8_Length(const char* text);
// 0 when the first n characters agree (or a text ends first without a difference), else the
// difference of the first differing code points. Null counts as empty.
int UTF8_CompareN(const char* a, const char* b, int n);
// The byte offset of character index (0-based) of the text; the text's byte length when it has
// fewer characters.
size_t UTF8_Offset(const char* text, int index);
// Whether the bytes are well-formed UTF-8 as files exchange it: sequences of 1 to 4 bytes, none
// overlong, no surrogate halves (D800..DFFF), nothing above U+10FFFF.
bool UTF8_Valid(const char* text, size_t length);
