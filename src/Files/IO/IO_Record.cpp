// Input recording: a header, then per step the changes of the step state since the last step.
#include "IO/IO_Record.h"

#include "Base/Clock.h"
#include "Base/Console.h"
#include "Base/UTF8.h"
#include "IO/IO.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char MAGIC[4] = {'R', 'I', 'N', 'P'};
// Version 2 adds the game's start time to the header and the clock of each step; a recording of
// version 1 holds neither and plays with the running clock.
constexpr uint32_t VERSION = 2, VERSION_WITHOUT_TIME = 1;
constexpr size_t HEADER_SIZE = 20, HEADER_SIZE_WITHOUT_TIME = 12;
constexpr long MAX_FILE = 512L * 1024 * 1024;
constexpr uint32_t MAX_TEXT = IO_TYPED_MAX * 4;

enum Tag : uint8_t {
    TAG_STEP = 0x01,
    TAG_KEY = 0x10,
    TAG_MOUSE = 0x11,
    TAG_WHEEL = 0x12,
    TAG_POSITION = 0x13,
    TAG_LASTKEY = 0x14,
    TAG_LASTBUTTON = 0x15,
    TAG_TEXT = 0x16,
    TAG_VALUE = 0x17,
    TAG_LASTCHAR = 0x18,
    TAG_END = 0xFF,
};

// Everything a step restores; the recording holds its changes.
struct Snapshot {
    IO_StepState state;
    std::string typed;
    IO_ReplayValues values;
};

void SnapshotReset(Snapshot& s)
{
    memset(&s.state, 0, sizeof s.state);
    s.typed.clear();
    memset(&s.values, 0, sizeof s.values);
}

// ---- writing

FILE* recordFile;
std::string recordPath;
Snapshot recorded;
uint32_t recordStep;

void Put8(std::vector<uint8_t>& b, uint8_t v) { b.push_back(v); }
void Put32(std::vector<uint8_t>& b, uint32_t v)
{
    for (int i = 0; i < 4; i++) b.push_back((uint8_t)(v >> (8 * i)));
}
void Put64(std::vector<uint8_t>& b, uint64_t v)
{
    for (int i = 0; i < 8; i++) b.push_back((uint8_t)(v >> (8 * i)));
}

bool WriteBytes(const std::vector<uint8_t>& bytes)
{
    if (fwrite(bytes.data(), 1, bytes.size(), recordFile) == bytes.size() && fflush(recordFile) == 0) return true;
    Console_Warnings->Output("Recording stopped: cannot write \"%s\"\n", recordPath.c_str());
    fclose(recordFile);
    recordFile = nullptr;
    return false;
}

void EncodeChanges(std::vector<uint8_t>& b, const Snapshot& now, const Snapshot& was)
{
    const IO_StepState& n = now.state;
    const IO_StepState& w = was.state;
    for (int k = 0; k < IO_KEY_COUNT; k++)
        if (n.key[k] != w.key[k]) {
            Put8(b, TAG_KEY), Put8(b, (uint8_t)k), Put8(b, n.key[k]);
        }
    for (int d = 0; d < IO_MOUSE_DEVICES; d++) {
        for (int m = 0; m < IO_MOUSE_BUTTONS; m++)
            if (n.mouse[d][m] != w.mouse[d][m]) {
                Put8(b, TAG_MOUSE), Put8(b, (uint8_t)d), Put8(b, (uint8_t)m), Put8(b, n.mouse[d][m]);
            }
        if (n.wheel[d] != w.wheel[d]) Put8(b, TAG_WHEEL), Put8(b, (uint8_t)d), Put8(b, n.wheel[d]);
        if (n.mouseX[d] != w.mouseX[d] || n.mouseY[d] != w.mouseY[d]) {
            Put8(b, TAG_POSITION), Put8(b, (uint8_t)d), Put32(b, (uint32_t)n.mouseX[d]), Put32(b, (uint32_t)n.mouseY[d]);
        }
        if (n.lastButton[d] != w.lastButton[d]) Put8(b, TAG_LASTBUTTON), Put8(b, (uint8_t)d), Put32(b, (uint32_t)n.lastButton[d]);
    }
    if (n.lastKey != w.lastKey) Put8(b, TAG_LASTKEY), Put32(b, (uint32_t)n.lastKey);
    if (strcmp(n.lastChar, w.lastChar) != 0) {
        size_t length = strlen(n.lastChar);
        Put8(b, TAG_LASTCHAR), Put8(b, (uint8_t)length);
        b.insert(b.end(), n.lastChar, n.lastChar + length);
    }
    if (now.typed != was.typed) {
        Put8(b, TAG_TEXT), Put32(b, (uint32_t)now.typed.size());
        b.insert(b.end(), now.typed.begin(), now.typed.end());
    }
    for (int s = 0; s < IO_REPLAY_SLOTS; s++)
        if (now.values.value[s] != was.values.value[s]) Put8(b, TAG_VALUE), Put8(b, (uint8_t)s), Put64(b, (uint64_t)now.values.value[s]);
}

// ---- reading

std::vector<uint8_t> playBytes;
size_t playPos;
std::string playPath;
Snapshot played;
uint32_t playStep;
bool playing;
bool playHasTime;
int64_t playStartTime;

struct Reader {
    const std::vector<uint8_t>& bytes;
    size_t pos;
    bool Get8(uint8_t* v)
    {
        if (pos + 1 > bytes.size()) return false;
        *v = bytes[pos++];
        return true;
    }
    bool Get32(uint32_t* v)
    {
        if (pos + 4 > bytes.size()) return false;
        *v = 0;
        for (int i = 0; i < 4; i++) *v |= (uint32_t)bytes[pos++] << (8 * i);
        return true;
    }
    bool Get64(uint64_t* v)
    {
        if (pos + 8 > bytes.size()) return false;
        *v = 0;
        for (int i = 0; i < 8; i++) *v |= (uint64_t)bytes[pos++] << (8 * i);
        return true;
    }
};

enum class Parse { Step, End, Damaged, NotUtf8 };

// Whether the bytes are exactly one UTF-8 character: well-formed, as long as its first byte says.
bool OneCharacter(const char* text, size_t length)
{
    unsigned char lead = (unsigned char)text[0];
    size_t said = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    return said == length && UTF8_Valid(text, length);
}

// Applies one step's changes (starting at its step tag) to the snapshot.
Parse ParseStep(Reader& r, Snapshot& s, uint32_t expectedStep)
{
    if (r.pos == r.bytes.size()) return Parse::End;  // a recording cut off after a whole step
    uint8_t tag;
    uint32_t number;
    if (!r.Get8(&tag)) return Parse::Damaged;
    if (tag == TAG_END) return r.pos == r.bytes.size() ? Parse::End : Parse::Damaged;
    if (tag != TAG_STEP || !r.Get32(&number) || number != expectedStep) return Parse::Damaged;
    IO_StepState& st = s.state;
    while (r.pos < r.bytes.size() && r.bytes[r.pos] != TAG_STEP && r.bytes[r.pos] != TAG_END) {
        uint8_t a, b, c;
        uint32_t x, y;
        uint64_t v;
        r.Get8(&tag);
        switch (tag) {
        case TAG_KEY:
            if (!r.Get8(&a) || !r.Get8(&b) || b > 7) return Parse::Damaged;
            st.key[a] = b;
            break;
        case TAG_MOUSE:
            if (!r.Get8(&a) || !r.Get8(&b) || !r.Get8(&c) || a >= IO_MOUSE_DEVICES || b >= IO_MOUSE_BUTTONS || c > 7)
                return Parse::Damaged;
            st.mouse[a][b] = c;
            break;
        case TAG_WHEEL:
            if (!r.Get8(&a) || !r.Get8(&b) || a >= IO_MOUSE_DEVICES || b > 3) return Parse::Damaged;
            st.wheel[a] = b;
            break;
        case TAG_POSITION:
            if (!r.Get8(&a) || !r.Get32(&x) || !r.Get32(&y) || a >= IO_MOUSE_DEVICES) return Parse::Damaged;
            st.mouseX[a] = (int32_t)x;
            st.mouseY[a] = (int32_t)y;
            break;
        case TAG_LASTKEY:
            if (!r.Get32(&x)) return Parse::Damaged;
            st.lastKey = (int32_t)x;
            break;
        case TAG_LASTBUTTON:
            if (!r.Get8(&a) || !r.Get32(&x) || a >= IO_MOUSE_DEVICES) return Parse::Damaged;
            st.lastButton[a] = (int32_t)x;
            break;
        case TAG_TEXT:
            if (!r.Get32(&x) || x > MAX_TEXT || r.bytes.size() - r.pos < x) return Parse::Damaged;
            s.typed.assign((const char*)r.bytes.data() + r.pos, x);
            if (s.typed.find('\0') != std::string::npos) return Parse::Damaged;
            if (!UTF8_Valid(s.typed.data(), s.typed.size())) return Parse::NotUtf8;
            r.pos += x;
            break;
        case TAG_LASTCHAR:
            if (!r.Get8(&a) || a > IO_CHAR_BYTES || r.bytes.size() - r.pos < a) return Parse::Damaged;
            memset(st.lastChar, 0, sizeof st.lastChar);
            memcpy(st.lastChar, r.bytes.data() + r.pos, a);
            r.pos += a;
            if (strlen(st.lastChar) != a) return Parse::Damaged;
            if (a > 0 && !OneCharacter(st.lastChar, a)) return Parse::NotUtf8;
            break;
        case TAG_VALUE:
            if (!r.Get8(&a) || !r.Get64(&v) || a >= IO_REPLAY_SLOTS) return Parse::Damaged;
            s.values.value[a] = (int64_t)v;
            break;
        default:
            return Parse::Damaged;
        }
    }
    return Parse::Step;
}

bool ReadWholeFile(const char* path, std::vector<uint8_t>& bytes)
{
    FILE* f = fopen(path, "rbe");
    if (!f) return false;
    bool ok = fseek(f, 0, SEEK_END) == 0;
    long size = ok ? ftell(f) : -1;
    ok = ok && size >= 0 && size <= MAX_FILE && fseek(f, 0, SEEK_SET) == 0;
    if (ok) {
        bytes.resize((size_t)size);
        ok = fread(bytes.data(), 1, bytes.size(), f) == bytes.size();
    }
    fclose(f);
    return ok;
}

// True when the file is missing, empty or an earlier recording: nothing of value is overwritten.
bool Replaceable(const char* path)
{
    FILE* f = fopen(path, "rbe");
    if (!f) return true;
    char head[sizeof MAGIC];
    size_t n = fread(head, 1, sizeof head, f);
    fclose(f);
    return n == 0 || (n == sizeof head && memcmp(head, MAGIC, sizeof head) == 0);
}

}  // namespace

bool IO_Record_Start(const char* path, uint32_t gameId, int64_t startTime)
{
    IO_Record_Stop();
    if (!Replaceable(path)) {
        Console_Warnings->Output("Will not overwrite \"%s\": it is not an input recording\n", path);
        return false;
    }
    recordFile = fopen(path, "wbe");
    if (!recordFile) {
        Console_Warnings->Output("Cannot create the recording \"%s\"\n", path);
        return false;
    }
    recordPath = path;
    SnapshotReset(recorded);
    recordStep = 0;
    std::vector<uint8_t> header(MAGIC, MAGIC + 4);
    Put32(header, VERSION);
    Put32(header, gameId);
    Put64(header, (uint64_t)startTime);
    return WriteBytes(header);
}

void IO_Record_Step(const IO_ReplayValues& values)
{
    if (!recordFile) return;
    Snapshot now;
    IO_GetStepState(&now.state);
    now.typed = IO_GetTypedText();
    now.values = values;
    std::vector<uint8_t> bytes;
    Put8(bytes, TAG_STEP);
    Put32(bytes, recordStep++);
    EncodeChanges(bytes, now, recorded);
    if (WriteBytes(bytes)) recorded = now;
}

void IO_Record_Stop()
{
    if (!recordFile) return;
    if (WriteBytes({TAG_END})) fclose(recordFile);
    recordFile = nullptr;
}

bool IO_Recording() { return recordFile != nullptr; }

bool IO_Playback_Start(const char* path, uint32_t gameId)
{
    IO_Playback_Stop();
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes)) {
        Console_Warnings->Output("Cannot read the recording \"%s\"\n", path);
        return false;
    }
    Reader r{bytes, 0};
    uint32_t version = 0, id = 0;
    uint64_t startTime = 0;
    if (bytes.size() < HEADER_SIZE_WITHOUT_TIME || memcmp(bytes.data(), MAGIC, 4) != 0) {
        Console_Warnings->Output("\"%s\" is not an input recording\n", path);
        return false;
    }
    r.pos = 4;
    r.Get32(&version);
    r.Get32(&id);
    if (version != VERSION && version != VERSION_WITHOUT_TIME) {
        Console_Warnings->Output("The recording \"%s\" has version %u; this runner plays versions %u and %u\n", path,
                                 version, VERSION_WITHOUT_TIME, VERSION);
        return false;
    }
    if (version == VERSION && !r.Get64(&startTime)) {
        Console_Warnings->Output("The recording \"%s\" is damaged (its header is cut short)\n", path);
        return false;
    }
    if (version == VERSION && !Clock_Holds((int64_t)startTime)) {
        Console_Warnings->Output("The recording \"%s\" is damaged (its start time is out of range)\n", path);
        return false;
    }
    if (id != gameId) {
        Console_Warnings->Output("The recording \"%s\" was made with another game (id %u, this game %u)\n", path, id, gameId);
        return false;
    }
    // Check every step before the game sees any of them.
    Snapshot scratch;
    SnapshotReset(scratch);
    for (uint32_t n = 0;; n++) {
        size_t at = r.pos;
        Parse p = ParseStep(r, scratch, n);
        if (p == Parse::End) break;
        // The game's clock stands at each step's time.
        if (p == Parse::Step && version == VERSION && !Clock_Holds(scratch.values.value[IO_REPLAY_TIME])) p = Parse::Damaged;
        if (p == Parse::Damaged || p == Parse::NotUtf8) {
            Console_Warnings->Output("The recording \"%s\" is damaged (step %u, byte %zu)%s\n", path, n, at,
                                     p == Parse::NotUtf8 ? ": its typed text is not UTF-8" : "");
            return false;
        }
    }
    playBytes = std::move(bytes);
    playPos = version == VERSION ? HEADER_SIZE : HEADER_SIZE_WITHOUT_TIME;
    playHasTime = version == VERSION;
    playStartTime = (int64_t)startTime;
    playPath = path;
    SnapshotReset(played);
    playStep = 0;
    playing = true;
    IO_SetLiveInput(false);
    return true;
}

bool IO_Playback_Step(IO_ReplayValues* values)
{
    if (!playing) return false;
    Reader r{playBytes, playPos};
    if (ParseStep(r, played, playStep) != Parse::Step) {
        Console_Warnings->Output("Playback of \"%s\" finished after %u steps\n", playPath.c_str(), playStep);
        IO_Playback_Stop();
        return false;
    }
    playPos = r.pos;
    playStep++;
    IO_SetStepState(played.state);
    IO_SetTypedText(played.typed.c_str());
    *values = played.values;
    return true;
}

void IO_Playback_Stop()
{
    if (!playing) return;
    playing = false;
    playBytes.clear();
    IO_SetLiveInput(true);
}

bool IO_PlaybackActive() { return playing; }

bool IO_Playback_StartTime(int64_t* time)
{
    *time = playStartTime;
    return playing && playHasTime;
}
