// The platform and service built-ins: virtual on-screen keys, achievements and scores, web
// addresses, advertising, social networks, in-app purchases, analytics, live tiles, device and OS
// queries, digests and base64; the achievement post queue with its cache file; the pause and
// purchase events; the platform's constants and built-in variables.
#pragma once
#include <cstdint>
#include <deque>
#include <string>

// Registers the family's names. First it loads the achievement cache (the save folder must be
// known) and starts the platform's services.
void Quenby_Functions_Init();
// The platform's named constants (os_*, device_*, browser_*...), registered with the script
// engine's constants, and its read-only built-in variables (os_type, os_version...).
void Quenby_Constants_Init();
void Quenby_Variables_Init();

// Called at the start of each step: the achievement queue's tick, then the pause update.
void Quenby_PerFrame();
// Called in the shut-down: the achievement queue is written once more.
void Quenby_Exit();

// The window lost activation to another program: os_is_paused holds during the next step.
void Quenby_ReportPause();
bool Quenby_IsPaused();

// A purchase event of the platform's store: the number joins the purchase event queue
// (iap_event_queue) and the next asynchronous pass raises the purchase event (66) once for all
// events reported since the last one. Called on the main thread.
void Quenby_ReportPurchaseEvent(double number);
// The purchase event queue's data-structure index, -1 until the first event.
int Quenby_PurchaseEventQueue();

// The achievement post queue. Posts that the platform has yet to deliver wait here, and every
// change rewrites the cache file (ACHIEVEMENT_CACHE_FILE in the save folder) whole, so they survive
// a restart. Once a step the tick hands the head to the platform's post and waits for the outcome;
// a failed post goes behind the others and is retried after ACHIEVEMENT_RETRY_STEPS steps.
// Kinds 1 and 4 carry a whole number, kinds 2 and 3 the bits of a 32-bit float; an entry of any
// other kind is dropped when it reaches the head.
//
// The cache file: records in queue order, each a 4-byte little-endian kind, the name's bytes and
// one zero byte, and the 4-byte little-endian value; nothing else.
extern const char* const ACHIEVEMENT_CACHE_FILE;
constexpr int ACHIEVEMENT_QUEUE_LIMIT = 2048;  // with more entries queued, new ones are dropped
constexpr int ACHIEVEMENT_RETRY_STEPS = 600;

struct AchievementEntry {
    uint32_t kind;
    std::string name;
    uint32_t value;
};

// The platform's post operations; the platform answers later through AchievementQueue_Report.
struct AchievementPoster {
    void (*postInteger)(uint32_t kind, const char* name, int32_t value);
    void (*postFloat)(uint32_t kind, const char* name, float value);
};
// The post operations in use, which achievement_post and achievement_post_score call too.
const AchievementPoster& AchievementQueue_Poster();
// Replaces the post operations (tests); null restores the platform's.
void AchievementQueue_SetPoster(const AchievementPoster* poster);

// Appends an entry and rewrites the cache; false (nothing changes) when the queue is full.
bool AchievementQueue_Enqueue(uint32_t kind, const char* name, uint32_t value);
// Reads the cache file when the queue is empty: its whole records join the queue in file order,
// up to the limit; a cut record at the end is dropped. False when the file held anything else
// than whole records (what came before still joins).
bool AchievementQueue_Load();
// Writes the whole queue to the cache file; false when it cannot be written.
bool AchievementQueue_Save();
// The outcome of the post the tick handed out; ignored when no post is waiting for one.
void AchievementQueue_Report(bool posted);
void AchievementQueue_Tick();
int AchievementQueue_Count();
const AchievementEntry* AchievementQueue_Get(int index);  // null outside the queue
// Empties the queue and its tick state (the file stays).
void AchievementQueue_Clear();
void AchievementQueue_SetServiceAvailable(bool available);
bool AchievementQueue_ServiceAvailable();

// The cache file's format: Parse takes whole records only, at most `limit` of them, and sets *used
// to the bytes they took; Format gives the bytes of the entries.
std::deque<AchievementEntry> AchievementCache_Parse(const uint8_t* bytes, int64_t size, int limit, int64_t* used);
std::string AchievementCache_Format(const std::deque<AchievementEntry>& entries);
