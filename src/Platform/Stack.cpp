#include "Platform/Stack.h"

#include <pthread.h>

namespace {
thread_local char* t_low = nullptr;

char* Low(char* here)
{
    if (!t_low) {
        pthread_attr_t attr;
        void* addr = nullptr;
        size_t size = 0;
        if (pthread_getattr_np(pthread_self(), &attr) == 0) {
            pthread_attr_getstack(&attr, &addr, &size);
            pthread_attr_destroy(&attr);
        }
        // Without an answer assume a small stack below this frame.
        t_low = addr ? (char*)addr : here - ((size_t)1 << 20);
    }
    return t_low;
}
}  // namespace

size_t Stack_Remaining()
{
    char* here = (char*)__builtin_frame_address(0);
    char* low = Low(here);
    return here > low ? (size_t)(here - low) : 0;
}

const char* Stack_Limit(size_t reserve)
{
    return Low((char*)__builtin_frame_address(0)) + reserve;
}
