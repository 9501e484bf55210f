// How much of the current thread's stack is left, so that deep recursion in compiled code or in
// the compiler ends with an error instead of overflowing.
#pragma once
#include <cstddef>

size_t Stack_Remaining();
// The address below which fewer than `reserve` bytes of this thread's stack remain; a frame
// address under it means the stack is nearly used up.
const char* Stack_Limit(size_t reserve);
inline bool Stack_Below(const char* limit) { return (const char*)__builtin_frame_address(0) < limit; }
