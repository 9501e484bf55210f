// The achievement post queue, its cache file and its tick. Everything runs on the main thread:
// the platform's post operations answer through AchievementQueue_Report on it.
#include "Function/Quenby_Functions.h"
#include "Function/Quenby_FunctionsM.h"

#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Support/LoadSave.h"

#include <cstring>

const char* const ACHIEVEMENT_CACHE_FILE = "achievementcache.dat";

namespace {

// Tick states: idle, a post waiting for its outcome, posted, failed, resting before the next post.
enum { IDLE, POSTING, POSTED, FAILED, RESTING };

std::deque<AchievementEntry> Queue;
int State = IDLE;
int Retry = 0;
bool ServiceAvailable = false;
AchievementPoster Poster;
bool PosterSet = false;

uint32_t ReadU32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24; }

void PutU32(std::string* out, uint32_t v)
{
    for (int shift = 0; shift < 32; shift += 8) out->push_back((char)(v >> shift & 0xFF));
}

// The head goes behind the others; it is retried after the rest.
void Rest()
{
    Retry = ACHIEVEMENT_RETRY_STEPS;
    State = RESTING;
}

}  // namespace

std::deque<AchievementEntry> AchievementCache_Parse(const uint8_t* bytes, int64_t size, int limit, int64_t* used)
{
    std::deque<AchievementEntry> entries;
    int64_t at = 0;
    while ((int)entries.size() < limit && size - at >= 9) {
        const uint8_t* name = bytes + at + 4;
        const void* end = memchr(name, 0, (size_t)(size - at - 4));
        if (!end) break;
        int64_t nameLength = (const uint8_t*)end - name;
        if (size - at - 4 - nameLength - 1 < 4) break;
        entries.push_back({ReadU32(bytes + at), std::string((const char*)name, (size_t)nameLength),
                           ReadU32(name + nameLength + 1)});
        at += nameLength + 9;
    }
    *used = at;
    return entries;
}

std::string AchievementCache_Format(const std::deque<AchievementEntry>& entries)
{
    std::string out;
    for (const AchievementEntry& e : entries) {
        PutU32(&out, e.kind);
        // A name ends at its first zero byte, as the file stores it.
        out.append(e.name.c_str());
        out.push_back('\0');
        PutU32(&out, e.value);
    }
    return out;
}

const AchievementPoster& AchievementQueue_Poster() { return PosterSet ? Poster : Quenby_AchievementPoster; }

void AchievementQueue_SetPoster(const AchievementPoster* poster)
{
    PosterSet = poster != nullptr;
    if (poster) Poster = *poster;
}

bool AchievementQueue_Save()
{
    std::string bytes = AchievementCache_Format(Queue);
    return LoadSave_WriteFile(ACHIEVEMENT_CACHE_FILE, bytes.data(), (int64_t)bytes.size());
}

bool AchievementQueue_Enqueue(uint32_t kind, const char* name, uint32_t value)
{
    if (Queue.size() > (size_t)ACHIEVEMENT_QUEUE_LIMIT) return false;
    Queue.push_back({kind, name ? name : "", value});
    AchievementQueue_Save();
    return true;
}

bool AchievementQueue_Load()
{
    if (!Queue.empty()) return true;
    int64_t size = 0;
    unsigned char* bytes = LoadSave_ReadSaveFile(ACHIEVEMENT_CACHE_FILE, &size);
    if (!bytes) return true;
    int64_t used = 0;
    Queue = AchievementCache_Parse(bytes, size, ACHIEVEMENT_QUEUE_LIMIT + 1, &used);
    MemFree(bytes);
    bool whole = used == size || Queue.size() > (size_t)ACHIEVEMENT_QUEUE_LIMIT;
    if (!whole)
        Console_Warnings->Output("%s: %lld bytes after the last whole record were dropped\n", ACHIEVEMENT_CACHE_FILE,
                                 (long long)(size - used));
    return whole;
}

void AchievementQueue_Report(bool posted)
{
    if (State == POSTING) State = posted ? POSTED : FAILED;
}

void AchievementQueue_Tick()
{
    if (!ServiceAvailable || Queue.empty()) return;
    switch (State) {
    case IDLE: {
        State = POSTING;
        // A copy: the post may answer at once, and the answer may change the queue.
        AchievementEntry head = Queue.front();
        if (head.kind == 1 || head.kind == 4) {
            AchievementQueue_Poster().postInteger(head.kind, head.name.c_str(), (int32_t)head.value);
        } else if (head.kind == 2 || head.kind == 3) {
            float value;
            memcpy(&value, &head.value, sizeof value);
            AchievementQueue_Poster().postFloat(head.kind, head.name.c_str(), value);
        } else {
            Queue.pop_front();
            AchievementQueue_Save();
            Rest();
        }
        break;
    }
    case POSTED:
        Queue.pop_front();
        AchievementQueue_Save();
        State = IDLE;
        break;
    case FAILED:
        Rest();
        Queue.push_back(std::move(Queue.front()));
        Queue.pop_front();
        AchievementQueue_Save();
        break;
    case RESTING:
        if (Retry > 0) Retry--;
        else State = IDLE;
        break;
    default:
        break;
    }
}

int AchievementQueue_Count() { return (int)Queue.size(); }

const AchievementEntry* AchievementQueue_Get(int index)
{
    return index >= 0 && index < (int)Queue.size() ? &Queue[(size_t)index] : nullptr;
}

void AchievementQueue_Clear()
{
    Queue.clear();
    State = IDLE;
    Retry = 0;
}

void AchievementQueue_SetServiceAvailable(bool available) { ServiceAvailable = available; }
bool AchievementQueue_ServiceAvailable() { return ServiceAvailable; }
