// Recording input, playing it back step by step, and refusing recordings that do not fit.
#include "../Base/CapturedWarnings.h"
#include "Base/Console.h"
#include "IO/IO.h"
#include "IO/IO_Record.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int64_t START = 1700000000123456;  // the recorded game's start: 2023-11-14, in microseconds
constexpr size_t HEADER = 20;

struct Recorded {
    IO_StepState state;
    std::string typed;
    IO_ReplayValues values;
};

// The input of step n of the scripted session.
void FeedStep(int n)
{
    switch (n % 6) {
    case 0: IO_Event_Key(65 + n % 26, true); break;
    case 1: IO_Event_MouseMove(0, n * 3, -n); IO_Event_MouseButton(0, 1 + n % 3, true); break;
    case 2: IO_Event_Text(n % 12 == 2 ? "a\xC3\xA9" : "b"); IO_Event_MouseWheel(0, n % 4 == 0 ? 1 : -1); break;
    case 3: IO_Event_Key(65 + (n - 3) % 26, false); IO_Event_MouseMove(2, 7, 8); break;
    case 4: IO_Event_MouseButton(0, 1 + (n - 3) % 3, false); IO_Event_Backspace(); break;
    default: break;  // a step without input
    }
}

class RecordTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("rec_test_" + std::to_string(getpid()));
        fs::create_directories(dir);
        path = (dir / "input.rec").string();
        Reset();
    }
    void TearDown() override
    {
        IO_Playback_Stop();
        IO_Record_Stop();
        fs::remove_all(dir);
    }
    static void Reset()
    {
        IO_SetLiveInput(true);
        IO_Clear();
        IO_SetLastKey(0);
        for (int d = 0; d < IO_MOUSE_DEVICES; d++) {
            IO_SetMouseLastButton(d, 0);
            RawMouse.x[d] = RawMouse.y[d] = 0;
        }
        IO_Start_Step();
    }
    std::vector<Recorded> RecordSession(int steps, uint32_t gameId)
    {
        std::vector<Recorded> out;
        EXPECT_TRUE(IO_Record_Start(path.c_str(), gameId, START));
        for (int n = 0; n < steps; n++) {
            FeedStep(n);
            IO_Start_Step();
            Recorded r;
            memset(&r.state, 0, sizeof r.state);
            IO_GetStepState(&r.state);
            r.typed = IO_GetTypedText();
            memset(&r.values, 0, sizeof r.values);
            r.values.value[IO_REPLAY_SEED] = 12345 + n / 4;
            r.values.value[IO_REPLAY_TIME] = -1000000LL * n;
            IO_Record_Step(r.values);
            out.push_back(r);
        }
        IO_Record_Stop();
        return out;
    }
    std::vector<uint8_t> Bytes()
    {
        std::ifstream in(path, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }
    void Write(const std::vector<uint8_t>& bytes)
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write((const char*)bytes.data(), (std::streamsize)bytes.size());
    }

    fs::path dir;
    std::string path;
    TCapturedWarnings capture;
};

TEST_F(RecordTest, PlaybackReproducesEveryStep)
{
    const int steps = 40;
    std::vector<Recorded> recorded = RecordSession(steps, 7);
    EXPECT_FALSE(IO_Recording());
    Reset();
    IO_SetTypedText("left over");

    ASSERT_TRUE(IO_Playback_Start(path.c_str(), 7)) << capture.text;
    EXPECT_TRUE(IO_PlaybackActive());
    int64_t start = 0;
    EXPECT_TRUE(IO_Playback_StartTime(&start));
    EXPECT_EQ(start, START);
    for (int n = 0; n < steps; n++) {
        IO_Event_Key(90, true);  // live input is ignored while playing
        IO_Event_MouseMove(0, 999, 999);
        IO_Start_Step();
        IO_ReplayValues values;
        ASSERT_TRUE(IO_Playback_Step(&values)) << "step " << n;
        IO_StepState now;
        memset(&now, 0, sizeof now);
        IO_GetStepState(&now);
        ASSERT_EQ(memcmp(&now, &recorded[n].state, sizeof now), 0) << "step " << n;
        ASSERT_EQ(IO_GetTypedText(), recorded[n].typed) << "step " << n;
        ASSERT_EQ(memcmp(&values, &recorded[n].values, sizeof values), 0) << "step " << n;
    }
    IO_ReplayValues values;
    EXPECT_FALSE(IO_Playback_Step(&values));
    EXPECT_FALSE(IO_PlaybackActive());
    EXPECT_NE(capture.text.find("finished after 40 steps"), std::string::npos) << capture.text;
    IO_Event_Key(88, true);
    IO_Start_Step();
    EXPECT_TRUE(IO_KeyPressed(88)) << "live input resumes after playback";
}

TEST_F(RecordTest, ForeignAndDamagedRecordingsAreRefused)
{
    RecordSession(12, 7);
    std::vector<uint8_t> good = Bytes();

    EXPECT_FALSE(IO_Playback_Start(path.c_str(), 8));
    EXPECT_NE(capture.text.find("another game"), std::string::npos) << capture.text;
    EXPECT_FALSE(IO_PlaybackActive());

    EXPECT_FALSE(IO_Playback_Start((dir / "missing.rec").c_str(), 7));

    std::vector<uint8_t> bad = good;
    bad[0] = 'X';
    Write(bad);
    capture.text.clear();
    EXPECT_FALSE(IO_Playback_Start(path.c_str(), 7));
    EXPECT_NE(capture.text.find("not an input recording"), std::string::npos) << capture.text;

    bad = good;
    bad[4] = 9;  // version
    Write(bad);
    EXPECT_FALSE(IO_Playback_Start(path.c_str(), 7));

    bad = good;
    bad[HEADER + 5] = 0x77;  // the first change record of step 0 gets an unknown tag
    Write(bad);
    capture.text.clear();
    EXPECT_FALSE(IO_Playback_Start(path.c_str(), 7));
    EXPECT_NE(capture.text.find("damaged"), std::string::npos) << capture.text;

    bad.assign(good.begin(), good.begin() + 16);  // cut inside the start time
    Write(bad);
    capture.text.clear();
    EXPECT_FALSE(IO_Playback_Start(path.c_str(), 7));
    EXPECT_NE(capture.text.find("header is cut short"), std::string::npos) << capture.text;

    // A last character of up to four bytes is taken; a longer one, one holding a NUL, and one that
    // is not UTF-8 are not.
    const std::pair<std::vector<uint8_t>, bool> lastChars[] = {{{0x18, 2, 0xC3, 0xA9}, true},
                                                               {{0x18, 5, 'a', 'b', 'c', 'd', 'e'}, false},
                                                               {{0x18, 2, 'a', 0}, false},
                                                               {{0x18, 1, 0xFF}, false},
                                                               {{0x18, 2, 'a', 'b'}, false}};
    for (const auto& [record, taken] : lastChars) {
        bad.assign(good.begin(), good.begin() + HEADER + 5);  // the header and step 0's mark
        bad.insert(bad.end(), record.begin(), record.end());
        bad.push_back(0xFF);
        Write(bad);
        EXPECT_EQ(IO_Playback_Start(path.c_str(), 7), taken) << record.size();
        IO_Playback_Stop();
    }

    bad.assign(good.begin(), good.end() - 3);  // cut inside a record
    Write(bad);
    EXPECT_FALSE(IO_Playback_Start(path.c_str(), 7));

    bad = good;
    bad.push_back(0x01);  // bytes after the end mark
    Write(bad);
    EXPECT_FALSE(IO_Playback_Start(path.c_str(), 7));

    bad.assign(good.begin(), good.end() - 1);  // no end mark: the runner stopped without closing
    Write(bad);
    EXPECT_TRUE(IO_Playback_Start(path.c_str(), 7));
    IO_Playback_Stop();
    EXPECT_FALSE(IO_PlaybackActive());

    // Random damage never crashes; whatever is accepted plays to its end.
    std::mt19937 random(3);
    for (int round = 0; round < 300; round++) {
        bad = good;
        for (int k = 0; k < 3; k++) bad[HEADER + random() % (bad.size() - HEADER)] = (uint8_t)random();
        Write(bad);
        if (IO_Playback_Start(path.c_str(), 7)) {
            IO_ReplayValues values;
            int played = 0;
            while (IO_Playback_Step(&values)) ASSERT_LT(++played, 100);
        }
    }
}

// A recording of version 1 (a 12-byte header without the start time) still plays: the input and
// the values of its steps, without a clock.
TEST_F(RecordTest, RecordingsOfVersionOneStillPlay)
{
    std::vector<Recorded> recorded = RecordSession(6, 7);
    std::vector<uint8_t> bytes = Bytes();
    bytes[4] = 1;
    bytes.erase(bytes.begin() + 12, bytes.begin() + HEADER);
    Write(bytes);
    Reset();
    ASSERT_TRUE(IO_Playback_Start(path.c_str(), 7)) << capture.text;
    int64_t start;
    EXPECT_FALSE(IO_Playback_StartTime(&start)) << "no clock in a recording of version 1";
    for (const Recorded& r : recorded) {
        IO_Start_Step();
        IO_ReplayValues values;
        ASSERT_TRUE(IO_Playback_Step(&values));
        IO_StepState now;
        memset(&now, 0, sizeof now);
        IO_GetStepState(&now);
        EXPECT_EQ(memcmp(&now, &r.state, sizeof now), 0);
        EXPECT_EQ(values.value[IO_REPLAY_SEED], r.values.value[IO_REPLAY_SEED]);
    }
    IO_Playback_Stop();
    bytes[4] = 3;  // a version this runner does not know
    Write(bytes);
    capture.text.clear();
    EXPECT_FALSE(IO_Playback_Start(path.c_str(), 7));
    EXPECT_NE(capture.text.find("has version 3; this runner plays versions 1 and 2"), std::string::npos) << capture.text;
}

// The game's clock reads a replay's times as they stand (current_time is the step's time less the
// start): a start or a step time that no date of the years 0 to 9999 has is damage, refused before
// the clock could count with it.
TEST_F(RecordTest, TimesTheClockCannotHoldAreRefused)
{
    RecordSession(3, 7);
    const std::vector<uint8_t> good = Bytes();
    auto put64 = [](std::vector<uint8_t>& b, size_t at, int64_t v) {
        for (int i = 0; i < 8; i++) b[at + i] = (uint8_t)((uint64_t)v >> (8 * i));
    };
    const int64_t first = -62167219200LL * 1000000, last = 253402300800LL * 1000000 - 1;  // 0000-01-01, 9999-12-31
    for (int64_t start : {INT64_MIN, first - 1, last + 1, INT64_MAX}) {
        std::vector<uint8_t> bad = good;
        put64(bad, 12, start);
        Write(bad);
        capture.text.clear();
        EXPECT_FALSE(IO_Playback_Start(path.c_str(), 7)) << start;
        EXPECT_NE(capture.text.find("damaged"), std::string::npos) << capture.text;
    }
    // Step 0's time record (the session's first step records time 0, which is no change: step 1's
    // is the first), made one the clock cannot hold.
    std::vector<uint8_t> bad = good;
    const uint8_t timeRecord[] = {0x17, 1};
    auto at = std::search(bad.begin() + HEADER, bad.end(), timeRecord, timeRecord + 2);
    ASSERT_NE(at, bad.end());
    put64(bad, (size_t)(at - bad.begin()) + 2, INT64_MAX);
    Write(bad);
    capture.text.clear();
    EXPECT_FALSE(IO_Playback_Start(path.c_str(), 7));
    EXPECT_NE(capture.text.find("damaged (step 1"), std::string::npos) << capture.text;
    put64(bad, (size_t)(at - bad.begin()) + 2, last);
    Write(bad);
    EXPECT_TRUE(IO_Playback_Start(path.c_str(), 7)) << capture.text;
    int64_t start;
    EXPECT_TRUE(IO_Playback_StartTime(&start));
    EXPECT_EQ(start, START);
}

TEST_F(RecordTest, UnwritableRecordingIsReported)
{
    EXPECT_FALSE(IO_Record_Start((dir / "no/such/folder/x.rec").c_str(), 1, START));
    EXPECT_FALSE(IO_Recording());
    EXPECT_NE(capture.text.find("Cannot create"), std::string::npos);
}

// A mistyped switch (say, the game file itself after -record) must not wipe another file.
TEST_F(RecordTest, OnlyRecordingsAreOverwritten)
{
    const std::vector<uint8_t> game = {'F', 'O', 'R', 'M', 1, 2, 3, 4};
    Write(game);
    EXPECT_FALSE(IO_Record_Start(path.c_str(), 1, START));
    EXPECT_FALSE(IO_Recording());
    EXPECT_EQ(Bytes(), game);
    EXPECT_NE(capture.text.find("not an input recording"), std::string::npos);
    Write({'R', 'I'});  // shorter than a recording's mark
    EXPECT_FALSE(IO_Record_Start(path.c_str(), 1, START));
    fs::remove(path);

    RecordSession(3, 1);
    std::vector<Recorded> again = RecordSession(5, 2);  // an old recording is replaced
    ASSERT_TRUE(IO_Playback_Start(path.c_str(), 2)) << capture.text;
    IO_ReplayValues values;
    int played = 0;
    while (IO_Playback_Step(&values)) played++;
    EXPECT_EQ(played, (int)again.size());

    Write({});
    EXPECT_TRUE(IO_Record_Start(path.c_str(), 1, START));  // an empty file holds nothing to lose
}

}  // namespace

// The typed text of a recording is UTF-8 (four-byte characters too); a text that is not is refused
// before the game sees any step, with the reason.
TEST_F(RecordTest, TypedTextThatIsNotUtf8IsRefused)
{
    IO_Event_Text("\xF0\x9F\x98\x80");
    IO_Start_Step();
    RecordSession(6, 7);
    ASSERT_TRUE(IO_Playback_Start(path.c_str(), 7)) << capture.text;
    IO_Playback_Stop();

    std::vector<uint8_t> bytes = Bytes();
    const std::vector<uint8_t> typed = {'a', 0xC3, 0xA9};  // what FeedStep types at step 2
    auto at = std::search(bytes.begin(), bytes.end(), typed.begin(), typed.end());
    ASSERT_NE(at, bytes.end());
    at[2] = '(';  // a start byte without its continuation
    Write(bytes);
    capture.text.clear();
    EXPECT_FALSE(IO_Playback_Start(path.c_str(), 7));
    EXPECT_FALSE(IO_PlaybackActive());
    EXPECT_NE(capture.text.find("is damaged (step 2, byte "), std::string::npos) << capture.text;
    EXPECT_NE(capture.text.find("its typed text is not UTF-8"), std::string::npos) << capture.text;
}
