// The MCI command-string interpreter: the commands that the music and CD sequences send, and
// what scripts send through MCI_command. Music ("type mpegvideo") is decoded with libmpg123 and
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
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

// One open music file and the thread that streams it.
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
        long rate = 0;
        int channels = 0, encoding = 0;
        if (mpg123_open_fd(m_decoder, m_file) != MPG123_OK || mpg123_getformat(m_decoder, &rate, &channels, &encoding) != MPG123_OK)
            return false;
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

    // Play (with or without repeat), pause, resume or stop; a resume keeps the play's repeat.
    void SetMode(Mode mode, bool repeat = false)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (mode == PLAYING && m_mode != PAUSED) m_repeat = repeat;
            m_mode = mode;
        }
        m_wake.notify_all();
    }
    void Rewind()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_rewind = true;
        }
        m_wake.notify_all();
    }
    void SetGain(float gain)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_gain = gain;
    }
    Mode GetMode()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_mode;
    }

private:
    static constexpr int BUFFERS = 8;  // about 0.75 s ahead, for a thread that a busy machine delays
    static constexpr size_t CHUNK_BYTES = 16384;  // about a tenth of a second of 44.1 kHz stereo

    // Decodes the next chunk into a buffer; false at the end of the file (or a damaged stream).
    bool Fill(ALuint buffer)
    {
        unsigned char pcm[CHUNK_BYTES];
        size_t done = 0;
        int result = mpg123_read(m_decoder, pcm, sizeof pcm, &done);
        if (result == MPG123_NEW_FORMAT || (result == MPG123_OK && done == 0)) result = mpg123_read(m_decoder, pcm, sizeof pcm, &done);
        long rate = 0;
        int channels = 0, encoding = 0;
        mpg123_getformat(m_decoder, &rate, &channels, &encoding);
        size_t frame = channels == 2 ? 4 : 2;
        done -= done % frame;
        if (done == 0 || rate <= 0) return false;
        alBufferData(buffer, channels == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16, pcm, (ALsizei)done, (ALsizei)rate);
        return true;
    }

    void Drain()
    {
        alSourceStop(m_source);
        alSourcei(m_source, AL_BUFFER, 0);
        m_free.assign(m_buffers, m_buffers + BUFFERS);
        m_ended = false;
    }

    // Queues decoded chunks while buffers are free; a repeating stream starts over at its end.
    void Refill()
    {
        ALint processed = 0;
        alGetSourcei(m_source, AL_BUFFERS_PROCESSED, &processed);
        while (processed-- > 0) {
            ALuint done = 0;
            alSourceUnqueueBuffers(m_source, 1, &done);
            m_free.push_back(done);
        }
        bool restarted = false;
        while (!m_free.empty() && !m_ended) {
            if (Fill(m_free.back())) {
                alSourceQueueBuffers(m_source, 1, &m_free.back());
                m_free.pop_back();
                restarted = false;
            } else if (m_repeat && !restarted && mpg123_seek(m_decoder, 0, SEEK_SET) >= 0) {
                restarted = true;  // a file that decodes to nothing does not loop for ever
            } else {
                m_ended = true;
            }
        }
        ALint state = AL_STOPPED, queued = 0;
        alGetSourcei(m_source, AL_SOURCE_STATE, &state);
        alGetSourcei(m_source, AL_BUFFERS_QUEUED, &queued);
        if (state != AL_PLAYING && queued > 0) alSourcePlay(m_source);
        else if (state != AL_PLAYING && m_ended) m_mode = STOPPED;  // played to its end
    }

    void Run()
    {
        alcSetThreadContext(m_context);
        alGenSources(1, &m_source);
        alGenBuffers(BUFFERS, m_buffers);
        m_free.assign(m_buffers, m_buffers + BUFFERS);
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!m_quit) {
            if (m_rewind) {
                mpg123_seek(m_decoder, 0, SEEK_SET);
                Drain();
                m_rewind = false;
            }
            alSourcef(m_source, AL_GAIN, m_gain);
            ALint state = AL_STOPPED;
            alGetSourcei(m_source, AL_SOURCE_STATE, &state);
            if (m_mode == PLAYING) Refill();
            else if (m_mode == PAUSED && state == AL_PLAYING) alSourcePause(m_source);
            else if (m_mode == STOPPED && state == AL_PLAYING) alSourceStop(m_source);
            alGetError();
            m_wake.wait_for(lock, std::chrono::milliseconds(15));
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
    ALCcontext* m_context = nullptr;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    ALuint m_source = 0;
    ALuint m_buffers[BUFFERS] = {};
    std::vector<ALuint> m_free;
    Mode m_mode = STOPPED;
    bool m_repeat = false, m_rewind = false, m_quit = false, m_ended = false;
    float m_gain = 1.0f;
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

int MusicCommand(const std::vector<std::string>& w, MusicStream* s, char* reply, int length)
{
    const std::string& verb = w[0];
    size_t n = w.size();
    if (Is(verb, "play") && n <= 3) {
        if (n == 3 && !Is(w[2], "repeat")) return ERR_PARAMETER;
        s->SetMode(MusicStream::PLAYING, n == 3);
    } else if (Is(verb, "pause") && n == 2) {
        if (s->GetMode() == MusicStream::PLAYING) s->SetMode(MusicStream::PAUSED);
    } else if (Is(verb, "resume") && n == 2) {
        if (s->GetMode() == MusicStream::PAUSED) s->SetMode(MusicStream::PLAYING);
    } else if (Is(verb, "stop") && n == 2) {
        s->SetMode(MusicStream::STOPPED);
    } else if (Is(verb, "seek") && n == 4 && Is(w[2], "to") && Is(w[3], "start")) {
        s->Rewind();
    } else if (Is(verb, "set") && n == 5 && Is(w[2], "time") && Is(w[3], "format") && Is(w[4], "milliseconds")) {
    } else if (Is(verb, "set") && n == 5 && Is(w[2], "seek") && Is(w[3], "exactly") && (Is(w[4], "on") || Is(w[4], "off"))) {
    } else if (Is(verb, "setaudio") && n == 5 && Is(w[2], "volume") && Is(w[3], "to")) {
        long level = 0;
        if (!Number(w[4], &level) || level < 0 || level > 1000) return ERR_PARAMETER;
        s->SetGain((float)level / 1000.0f);
    } else if (Is(verb, "status") && n == 3 && Is(w[2], "mode")) {
        static const char* const Modes[] = {"stopped", "playing", "paused"};
        return Reply(reply, length, Modes[s->GetMode()]);
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
