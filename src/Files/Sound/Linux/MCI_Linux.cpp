// The MCI command-string interpreter: the commands that the music and CD sequences send, and
// what scripts send through MCI_command. A music file answers open, play (from, to, repeat),
// pause, resume, stop, seek (to start, end or a place), set (time format milliseconds, seek
// exactly), setaudio volume, status (mode, position, length, time format, ready, volume) and
// close; places are milliseconds. Music ("type mpegvideo") is decoded with libmpg123 and
// streamed into an OpenAL source by a thread of its own per alias, so that dialogs and sleeps of
// the main thread never stop it; that thread uses a context of its own on the sound device, so
// its OpenAL errors never mix with the main thread's. CD audio is a fake disc for tests, or none.
#include "Sound/MCI.h"

#include "Sound/Linux/Sound_AL.h"
#include "Support/LoadSave.h"

#define AL_ALEXT_PROTOTYPES
#include <AL/alext.h>
#include <mpg123.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <strings.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace {

enum MciError {
    MCI_OK = 0,
    ERR_UNKNOWN_COMMAND = 1,
    ERR_UNKNOWN_DEVICE,
    ERR_FILE,
    ERR_PARAMETER,
    ERR_ALIAS_TAKEN,
    ERR_NO_AUDIO,
    ERR_NO_DISC,
    ERR_TOO_MANY,
};

const char* const ErrorTexts[] = {
    "The command was carried out.",
    "The specified command is not recognized.",
    "The specified device is not open or is not recognized.",
    "The specified file cannot be opened or played.",
    "A parameter is missing or out of range.",
    "The alias is already in use.",
    "No audio device is available.",
    "There is no disc in the drive.",
    "Too many files are open.",
};

std::vector<std::string> Words(const char* command)
{
    std::vector<std::string> words;
    const char* p = command;
    while (*p) {
        while (*p == ' ' || *p == '\t') p++;
        if (!*p) break;
        if (*p == '"') {
            const char* close = strchr(p + 1, '"');
            if (!close) return {};  // an unclosed quote makes the command unreadable
            words.emplace_back(p + 1, close);
            p = close + 1;
        } else {
            const char* start = p;
            while (*p && *p != ' ' && *p != '\t') p++;
            words.emplace_back(start, p);
        }
    }
    return words;
}

bool Is(const std::string& word, const char* text) { return !strcasecmp(word.c_str(), text); }

// Reads a whole decimal number (an optional sign, then digits); false for anything else.
bool Number(const std::string& text, long* out)
{
    if (text.empty() || text.size() > 12) return false;
    char* end = nullptr;
    *out = strtol(text.c_str(), &end, 10);
    return *end == 0 && end != text.c_str();
}

int Reply(char* reply, int length, const std::string& text)
{
    if (reply && length > 0) {
        size_t n = std::min(text.size(), (size_t)length - 1);
        memcpy(reply, text.data(), n);
        reply[n] = 0;
    }
    return MCI_OK;
}

// One open music file and the thread that streams it. The main thread only sets what it wants
// (a mode, a place to seek to, an end, a gain) and reads what the thread last saw (the mode, the
// place), each under a lock held for a few instructions: the thread decodes and talks to OpenAL
// outside it, so no command waits behind a decode. Places count samples.
class MusicStream {
public:
    enum Mode { STOPPED, PLAYING, PAUSED };

    ~MusicStream()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_quit = true;
        }
        m_wake.notify_all();
        if (m_thread.joinable()) m_thread.join();
        if (m_decoder) mpg123_delete(m_decoder);
        if (m_file >= 0) close(m_file);
    }

    // Takes the descriptor of the file, which it closes.
    bool Open(int file, ALCdevice* device)
    {
        m_file = file;
        m_decoder = mpg123_new(nullptr, nullptr);
        if (!m_decoder) return false;
        mpg123_param(m_decoder, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
        const long* rates = nullptr;
        size_t count = 0;
        mpg123_rates(&rates, &count);
        mpg123_format_none(m_decoder);
        for (size_t i = 0; i < count; i++) mpg123_format(m_decoder, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
        int channels = 0, encoding = 0;
        if (mpg123_open_fd(m_decoder, m_file) != MPG123_OK || mpg123_getformat(m_decoder, &m_rate, &channels, &encoding) != MPG123_OK ||
            m_rate <= 0)
            return false;
        // A scan of the frames gives the exact length, and a seek index.
        mpg123_scan(m_decoder);
        m_length = std::max<long>(0, (long)mpg123_length(m_decoder));
        m_context = alcCreateContext(device, nullptr);
        if (!m_context) return false;
        try {
            m_thread = std::thread([this] { Run(); });
        } catch (const std::system_error&) {
            alcDestroyContext(m_context);
            return false;
        }
        return true;
    }

    long Rate() const { return m_rate; }
    long Length() const { return m_length; }

    // Plays from `from` (-1: where it is) to `to` (-1: the end), over again with repeat (from
    // `from`, or the start). A play of a paused stream without a place resumes it.
    void Play(long from, long to, bool repeat)
    {
        Command([&] {
            if (from >= 0) SeekLocked(from);
            m_wanted.end = to;
            m_wanted.repeat = repeat;
            m_wanted.loopFrom = from >= 0 ? from : 0;
            m_wanted.mode = PLAYING;
        });
    }
    void Pause()
    {
        Command([&] {
            if (m_wanted.mode == PLAYING) m_wanted.mode = PAUSED;
        });
    }
    void Resume()
    {
        Command([&] {
            if (m_wanted.mode == PAUSED) m_wanted.mode = PLAYING;
        });
    }
    void Stop()
    {
        Command([&] { m_wanted.mode = STOPPED; });
    }
    // Moves to the place and stops there.
    void Seek(long sample)
    {
        Command([&] {
            SeekLocked(sample);
            m_wanted.mode = STOPPED;
        });
    }
    // Taken at the thread's next round (within 15 ms): a gain that changes every frame wakes nothing.
    void SetGain(float gain)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_wanted.gain = gain;
    }
    float Gain()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_wanted.gain;
    }
    Mode GetMode()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_wanted.mode;
    }
    long Position()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_position;
    }

private:
    static constexpr int BUFFERS = 8;  // about 0.75 s ahead, for a thread that a busy machine delays
    static constexpr size_t CHUNK_BYTES = 16384;  // about a tenth of a second of 44.1 kHz stereo

    // What the main thread asked for. Each command counts in `serial`; the thread reports what it
    // saw only while no later command came, so a command's answer is never undone by a stale one.
    struct Wanted {
        Mode mode = STOPPED;
        bool repeat = false;
        long end = -1;       // where play stops (-1: the end of the file)
        long loopFrom = 0;   // where a repeat starts again
        long seekTo = 0;     // the place of the latest seek, counted by seeks
        unsigned seeks = 0;
        float gain = 1.0f;
        unsigned serial = 0;
    };

    template <class Change>
    void Command(Change change)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            change();
            m_wanted.serial++;
        }
        m_wake.notify_all();
    }
    void SeekLocked(long sample)
    {
        m_wanted.seekTo = sample;
        m_wanted.seeks++;
        m_position = sample;
    }
    long End(long end) const { return end >= 0 ? std::min(end, m_length) : m_length; }

    // The thread's own: the decoder, the source and its queue.

    // Decodes the next chunk into a buffer, no further than `end`; false at the end (or at a
    // damaged stream).
    bool Fill(ALuint buffer, long end)
    {
        unsigned char pcm[CHUNK_BYTES];
        long start = (long)mpg123_tell(m_decoder);
        if (start >= end) return false;
        size_t done = 0;
        int result = mpg123_read(m_decoder, pcm, sizeof pcm, &done);
        if (result == MPG123_NEW_FORMAT || (result == MPG123_OK && done == 0)) result = mpg123_read(m_decoder, pcm, sizeof pcm, &done);
        long rate = 0;
        int channels = 0, encoding = 0;
        mpg123_getformat(m_decoder, &rate, &channels, &encoding);
        size_t frame = channels == 2 ? 4 : 2;
        done = std::min(done - done % frame, (size_t)(end - start) * frame);
        if (done == 0 || rate <= 0) return false;
        alBufferData(buffer, channels == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16, pcm, (ALsizei)done, (ALsizei)rate);
        m_queue.push_back({start, (long)(done / frame)});
        return true;
    }

    // Empties the source and puts the decoder at a place.
    void MoveTo(long sample)
    {
        alSourceStop(m_source);
        alSourcei(m_source, AL_BUFFER, 0);
        m_free.assign(m_buffers, m_buffers + BUFFERS);
        m_queue.clear();
        m_ended = false;
        mpg123_seek(m_decoder, (off_t)sample, SEEK_SET);
        m_here = sample;
    }

    // Where the source is in the file: its offset into its queue (which may run over a repeat's
    // start again), found in the queued stretches; after them once it has played them all.
    long Here()
    {
        if (m_queue.empty()) return m_here;
        ALint state = AL_STOPPED, offset = 0;
        alGetSourcei(m_source, AL_SOURCE_STATE, &state);
        alGetSourcei(m_source, AL_SAMPLE_OFFSET, &offset);
        if (state != AL_STOPPED)
            for (const Stretch& s : m_queue) {
                if (offset < s.samples) return s.start + offset;
                offset -= (ALint)s.samples;
            }
        return m_queue.back().start + m_queue.back().samples;
    }

    // Queues decoded chunks while buffers are free; a repeating stream starts over at its end.
    // True once it has played to its end.
    bool Refill(const Wanted& w)
    {
        ALint processed = 0;
        alGetSourcei(m_source, AL_BUFFERS_PROCESSED, &processed);
        while (processed-- > 0 && !m_queue.empty()) {
            ALuint done = 0;
            alSourceUnqueueBuffers(m_source, 1, &done);
            m_free.push_back(done);
            m_here = m_queue.front().start + m_queue.front().samples;
            m_queue.pop_front();
        }
        long end = End(w.end);
        bool restarted = false;
        while (!m_free.empty() && !m_ended) {
            if (Fill(m_free.back(), end)) {
                alSourceQueueBuffers(m_source, 1, &m_free.back());
                m_free.pop_back();
                restarted = false;
            } else if (w.repeat && !restarted && mpg123_seek(m_decoder, (off_t)std::min(w.loopFrom, end), SEEK_SET) >= 0) {
                restarted = true;  // a stretch that decodes to nothing does not loop for ever
            } else {
                m_ended = true;
                m_here = std::min((long)mpg123_tell(m_decoder), end);
            }
        }
        ALint state = AL_STOPPED, queued = 0;
        alGetSourcei(m_source, AL_SOURCE_STATE, &state);
        alGetSourcei(m_source, AL_BUFFERS_QUEUED, &queued);
        if (state != AL_PLAYING && queued > 0) alSourcePlay(m_source);
        return state != AL_PLAYING && queued == 0 && m_ended;
    }

    void Run()
    {
        alcSetThreadContext(m_context);
        alGenSources(1, &m_source);
        alGenBuffers(BUFFERS, m_buffers);
        m_free.assign(m_buffers, m_buffers + BUFFERS);
        Wanted last;
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!m_quit) {
            Wanted w = m_wanted;
            lock.unlock();
            if (w.seeks != last.seeks) {
                MoveTo(w.seekTo);
            } else if (w.mode == PLAYING && w.serial != last.serial) {
                // A new end holds at once: what was decoded for the old one goes.
                if (w.end != last.end) MoveTo(Here());
                m_ended = false;
            }
            last = w;
            alSourcef(m_source, AL_GAIN, w.gain);
            ALint state = AL_STOPPED;
            alGetSourcei(m_source, AL_SOURCE_STATE, &state);
            bool ended = false;
            if (w.mode == PLAYING) ended = Refill(w);
            else if (w.mode == PAUSED && state == AL_PLAYING) alSourcePause(m_source);
            else if (w.mode == STOPPED && !m_queue.empty()) MoveTo(Here());  // a later play goes on from here
            long here = Here();
            alGetError();
            lock.lock();
            if (m_wanted.serial == w.serial) {
                m_position = here;
                if (ended) m_wanted.mode = STOPPED;
            }
            if (m_wanted.serial == w.serial && !m_quit)
                m_wake.wait_for(lock, std::chrono::milliseconds(15), [&] { return m_quit || m_wanted.serial != w.serial; });
        }
        alSourceStop(m_source);
        alSourcei(m_source, AL_BUFFER, 0);
        alDeleteSources(1, &m_source);
        alDeleteBuffers(BUFFERS, m_buffers);
        alcSetThreadContext(nullptr);
        alcDestroyContext(m_context);
    }

    int m_file = -1;
    mpg123_handle* m_decoder = nullptr;
    long m_rate = 0, m_length = 0;
    ALCcontext* m_context = nullptr;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    // Shared, under the mutex.
    Wanted m_wanted;
    long m_position = 0;
    bool m_quit = false;
    // The thread's.
    ALuint m_source = 0;
    ALuint m_buffers[BUFFERS] = {};
    std::vector<ALuint> m_free;
    struct Stretch {
        long start, samples;
    };
    std::deque<Stretch> m_queue;  // what each queued buffer holds, in queue order
    long m_here = 0;              // the place when nothing is queued
    bool m_ended = false;
};

struct AliasLess {
    bool operator()(const std::string& a, const std::string& b) const { return strcasecmp(a.c_str(), b.c_str()) < 0; }
};
std::map<std::string, std::unique_ptr<MusicStream>, AliasLess> Streams;
// Each open file has a thread: scripts that open without closing meet a limit.
constexpr size_t STREAMS_MAX = 32;

int OpenMusic(const std::vector<std::string>& w)
{
    // open "path" type mpegvideo alias NAME
    if (w.size() != 6 || !Is(w[2], "type") || !Is(w[3], "mpegvideo") || !Is(w[4], "alias") || Is(w[5], "cdaudio"))
        return ERR_PARAMETER;
    if (Streams.count(w[5])) return ERR_ALIAS_TAKEN;
    if (Streams.size() >= STREAMS_MAX) return ERR_TOO_MANY;
    ALCdevice* device = Sound_ALDevice();
    if (!device) return ERR_NO_AUDIO;
    // The file opened where it was found, so that what plays is what the folders allow.
    int file = LoadSave_OpenFile(LOADSAVE_BUNDLE, w[1].c_str());
    if (file < 0) file = LoadSave_OpenFile(LOADSAVE_SAVE, w[1].c_str());
    if (file < 0) return ERR_FILE;
    auto stream = std::make_unique<MusicStream>();
    if (!stream->Open(file, device)) return ERR_FILE;
    Streams[w[5]] = std::move(stream);
    return MCI_OK;
}

// A place in milliseconds (the only time format): a whole number within the file, as samples.
bool Place(const std::string& text, const MusicStream* s, long* sample)
{
    long ms = 0;
    long length = s->Length() * 1000 / s->Rate();
    if (!Number(text, &ms) || ms < 0 || ms > length) return false;
    *sample = std::min((long)((double)ms * (double)s->Rate() / 1000.0), s->Length());
    return true;
}

long Milliseconds(long samples, const MusicStream* s) { return (long)((double)samples * 1000.0 / (double)s->Rate()); }

int MusicCommand(std::vector<std::string> w, MusicStream* s, char* reply, int length)
{
    // Nothing waits for a command to finish and no window is told: "wait" and "notify" change nothing.
    while (w.size() > 2 && (Is(w.back(), "wait") || Is(w.back(), "notify"))) w.pop_back();
    const std::string& verb = w[0];
    size_t n = w.size();
    if (Is(verb, "play")) {
        // play ALIAS [from X] [to Y] [repeat]
        long from = -1, to = -1;
        bool repeat = false;
        for (size_t i = 2; i < n; i++) {
            if (Is(w[i], "repeat")) repeat = true;
            else if (Is(w[i], "from") && i + 1 < n && Place(w[i + 1], s, &from)) i++;
            else if (Is(w[i], "to") && i + 1 < n && Place(w[i + 1], s, &to)) i++;
            else return ERR_PARAMETER;
        }
        if (to >= 0 && to < (from >= 0 ? from : s->Position())) return ERR_PARAMETER;
        s->Play(from, to, repeat);
    } else if (Is(verb, "pause") && n == 2) {
        s->Pause();
    } else if (Is(verb, "resume") && n == 2) {
        s->Resume();
    } else if (Is(verb, "stop") && n == 2) {
        s->Stop();
    } else if (Is(verb, "seek") && n == 4 && Is(w[2], "to")) {
        long to = 0;
        if (Is(w[3], "start")) to = 0;
        else if (Is(w[3], "end")) to = s->Length();
        else if (!Place(w[3], s, &to)) return ERR_PARAMETER;
        s->Seek(to);
    } else if (Is(verb, "set") && n == 5 && Is(w[2], "time") && Is(w[3], "format")) {
        if (!Is(w[4], "milliseconds") && !Is(w[4], "ms")) return ERR_PARAMETER;
    } else if (Is(verb, "set") && n == 5 && Is(w[2], "seek") && Is(w[3], "exactly") && (Is(w[4], "on") || Is(w[4], "off"))) {
    } else if (Is(verb, "setaudio") && n == 5 && Is(w[2], "volume") && Is(w[3], "to")) {
        long level = 0;
        if (!Number(w[4], &level) || level < 0 || level > 1000) return ERR_PARAMETER;
        s->SetGain((float)level / 1000.0f);
    } else if (Is(verb, "status") && n >= 3) {
        std::string item = w[2];
        for (size_t i = 3; i < n; i++) item += " " + w[i];
        static const char* const Modes[] = {"stopped", "playing", "paused"};
        if (Is(item, "mode")) return Reply(reply, length, Modes[s->GetMode()]);
        if (Is(item, "position")) return Reply(reply, length, std::to_string(Milliseconds(s->Position(), s)));
        if (Is(item, "length")) return Reply(reply, length, std::to_string(Milliseconds(s->Length(), s)));
        if (Is(item, "time format")) return Reply(reply, length, "milliseconds");
        if (Is(item, "ready")) return Reply(reply, length, "true");
        if (Is(item, "volume")) return Reply(reply, length, std::to_string(lrintf(s->Gain() * 1000.0f)));
        return ERR_UNKNOWN_COMMAND;
    } else {
        return ERR_UNKNOWN_COMMAND;
    }
    return MCI_OK;
}

// The fake disc: ten tracks, track n lasting 120 + n seconds; time stands still while it plays.
struct FakeDisc {
    static constexpr int TRACKS = 10;
    bool on = false;
    bool doorOpen = false;
    bool tmsf = true;  // the time format: tmsf, else milliseconds
    enum { STOPPED, PLAYING, PAUSED } mode = STOPPED;
    long position = 0;  // milliseconds from the start of the disc

    static long TrackLength(int track) { return (120 + track) * 1000L; }
    static long TrackStart(int track)
    {
        long start = 0;
        for (int t = 1; t < track; t++) start += TrackLength(t);
        return start;
    }
    static long Length() { return TrackStart(TRACKS + 1); }
    int Track() const
    {
        int t = 1;
        while (t < TRACKS && position >= TrackStart(t + 1)) t++;
        return t;
    }
    std::string Format(long ms) const
    {
        char text[48];
        if (!tmsf) snprintf(text, sizeof text, "%ld", ms);
        else {
            int t = 1;
            while (t < TRACKS && ms >= TrackStart(t + 1)) t++;
            long in = ms - TrackStart(t);
            snprintf(text, sizeof text, "%02d:%02ld:%02ld:%02ld", t, in / 60000, in / 1000 % 60, in % 1000 * 75 / 1000);
        }
        return text;
    }
    // A time in the current format: milliseconds, or track[:minutes[:seconds[:frames]]].
    bool Parse(const std::string& text, long* ms) const
    {
        if (!tmsf) return Number(text, ms) && *ms >= 0 && *ms <= Length();
        long fields[4] = {0, 0, 0, 0};
        size_t start = 0;
        for (int i = 0; i < 4; i++) {
            size_t colon = text.find(':', start);
            if (!Number(text.substr(start, colon - start), &fields[i]) || fields[i] < 0) return false;
            if (colon == std::string::npos) break;
            if (i == 3) return false;
            start = colon + 1;
        }
        if (fields[0] < 1 || fields[0] > TRACKS || fields[1] > 99 || fields[2] > 59 || fields[3] > 74) return false;
        *ms = TrackStart((int)fields[0]) + fields[1] * 60000 + fields[2] * 1000 + fields[3] * 1000 / 75;
        return *ms <= Length();
    }
};
FakeDisc Disc;

int CdCommand(const std::vector<std::string>& w, char* reply, int length)
{
    const std::string& verb = w[0];
    size_t n = w.size();
    if ((Is(verb, "open") || Is(verb, "close")) && n == 2) return MCI_OK;
    bool present = Disc.on && !Disc.doorOpen;
    if (Is(verb, "status") && n == 4 && Is(w[2], "media") && Is(w[3], "present")) return Reply(reply, length, present ? "true" : "false");
    if (Is(verb, "set") && n >= 4 && Is(w[2], "door")) {
        if (!Disc.on) return ERR_NO_DISC;
        if (n != 4 || !(Is(w[3], "open") || Is(w[3], "closed"))) return ERR_PARAMETER;
        Disc.doorOpen = Is(w[3], "open");
        if (Disc.doorOpen) Disc.mode = FakeDisc::STOPPED;
        return MCI_OK;
    }
    if (!present) return ERR_NO_DISC;
    bool wait = n > 2 && Is(w[n - 1], "wait");
    size_t m = wait ? n - 1 : n;  // the words before a closing "wait"
    if (Is(verb, "set") && m == 5 && Is(w[2], "time") && Is(w[3], "format")) {
        if (Is(w[4], "tmsf")) Disc.tmsf = true;
        else if (Is(w[4], "ms") || Is(w[4], "milliseconds")) Disc.tmsf = false;
        else return ERR_PARAMETER;
        return MCI_OK;
    }
    if (Is(verb, "status") && m >= 3) {
        if (m == 5 && Is(w[2], "number") && Is(w[3], "of") && Is(w[4], "tracks")) return Reply(reply, length, std::to_string(FakeDisc::TRACKS));
        if (m == 3 && Is(w[2], "mode")) {
            static const char* const Modes[] = {"stopped", "playing", "paused"};
            return Reply(reply, length, Modes[Disc.mode]);
        }
        if (m == 3 && Is(w[2], "position")) return Reply(reply, length, Disc.Format(Disc.position));
        if (m == 3 && Is(w[2], "length")) return Reply(reply, length, std::to_string(FakeDisc::Length()));
        long track = 0;
        if (m == 5 && Is(w[2], "length") && Is(w[3], "track")) {
            if (!Number(w[4], &track) || track < 1 || track > FakeDisc::TRACKS) return ERR_PARAMETER;
            return Reply(reply, length, std::to_string(FakeDisc::TrackLength((int)track)));
        }
        return ERR_UNKNOWN_COMMAND;
    }
    if (Is(verb, "play")) {
        // play cdaudio [from X] [to Y]; the end is kept by no one: the fake disc never reaches it.
        long from = Disc.position, to = 0;
        size_t i = 2;
        if (i < m && Is(w[i], "from")) {
            if (i + 1 >= m || !Disc.Parse(w[i + 1], &from)) return ERR_PARAMETER;
            i += 2;
        }
        if (i < m && Is(w[i], "to")) {
            if (i + 1 >= m || !Disc.Parse(w[i + 1], &to) || to < from) return ERR_PARAMETER;
            i += 2;
        }
        if (i != m) return ERR_PARAMETER;
        Disc.position = from;
        Disc.mode = FakeDisc::PLAYING;
        return MCI_OK;
    }
    if (Is(verb, "seek") && m == 4 && Is(w[2], "to")) {
        long to = 0;
        if (!Disc.Parse(w[3], &to)) return ERR_PARAMETER;
        Disc.position = to;
        Disc.mode = FakeDisc::STOPPED;
        return MCI_OK;
    }
    if (Is(verb, "stop") && m == 2) {
        Disc.mode = FakeDisc::STOPPED;
        return MCI_OK;
    }
    if (Is(verb, "pause") && m == 2) {
        if (Disc.mode == FakeDisc::PLAYING) Disc.mode = FakeDisc::PAUSED;
        return MCI_OK;
    }
    return ERR_UNKNOWN_COMMAND;
}

bool FakeDiscFromEnvironment()
{
    const char* value = getenv("RUNNER_FAKE_CD");
    return value && !strcmp(value, "1");
}
bool FakeDiscChecked = false;

}  // namespace

void MCI_SetFakeDisc(bool on)
{
    FakeDiscChecked = true;
    Disc = FakeDisc();
    Disc.on = on;
}

int MCI_Send(const char* command, char* reply, int replyLength)
{
    if (reply && replyLength > 0) reply[0] = 0;
    if (!FakeDiscChecked) MCI_SetFakeDisc(FakeDiscFromEnvironment());
    std::vector<std::string> w = Words(command ? command : "");
    if (w.size() < 2) return ERR_UNKNOWN_COMMAND;
    if (Is(w[1], "cdaudio")) return CdCommand(w, reply, replyLength);
    if (Is(w[0], "open")) return OpenMusic(w);
    auto it = Streams.find(w[1]);
    if (it == Streams.end()) return ERR_UNKNOWN_DEVICE;
    if (Is(w[0], "close") && w.size() == 2) {
        Streams.erase(it);
        return MCI_OK;
    }
    return MusicCommand(w, it->second.get(), reply, replyLength);
}

void MCI_GetErrorString(int code, char* text, int length)
{
    if (!text || length <= 0) return;
    const char* message = code >= 0 && code < (int)(sizeof ErrorTexts / sizeof ErrorTexts[0]) ? ErrorTexts[code] : "Unknown error.";
    snprintf(text, (size_t)length, "%s", message);
}

void MCI_CloseAll()
{
    Streams.clear();
}
