// Achievement cache files of any shape: the reader takes whole records only, never more than its
// limit, and what it took is written back byte for byte.
#include "Function/Quenby_Functions.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    int limit = size > 0 ? data[0] % 8 : 0;
    for (int max : {limit, ACHIEVEMENT_QUEUE_LIMIT + 1}) {
        int64_t used = -1;
        std::deque<AchievementEntry> entries = AchievementCache_Parse(data, (int64_t)size, max, &used);
        if ((int)entries.size() > max || used < 0 || used > (int64_t)size) abort();
        if ((int64_t)entries.size() * 9 > used) abort();
        std::string bytes = AchievementCache_Format(entries);
        if ((int64_t)bytes.size() != used || memcmp(bytes.data(), data, bytes.size()) != 0) abort();
    }
    return 0;
}
