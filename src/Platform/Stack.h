// How much of the current thread's stack is left, so that deep recursion in compiled code or in
// the compiler ends with an error instead of overflowing.
#pragma once
#include <cstddef>

size_t Stack_Remaining();
