// MP3 music through the MCI layer, heard through the wave back end: it plays on its own thread
// while the main thread sleeps, loops, pauses, stops, and reports its mode.
#include "WaveTest.h"

#include "Sound/MCI.h"
#include "Support/LoadSave.h"
#include "../unit/Support/LinkSwap.h"

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class MusicTest : public WaveTest {
protected:
    void SetUp() override
    {
        folder = "/tmp/sound_music_" + std::to_string(getpid()) + "/";
        mkdir(folder.c_str(), 0755);
        std::string command = std::string(TONE_PATH) + " " + folder + "song.mp3 330 0.5 2";
        ASSERT_EQ(system(command.c_str()), 0);
        LoadSave_SetProgramFolder(folder.c_str());
        ASSERT_TRUE(Open(false, {{"snd_song", 1, "song.mid", 1, -1}}, {}));
        Frames(2);
    }
    void TearDown() override
    {
        WaveTest::TearDown();
        unlink((folder + "song.mp3").c_str());
        rmdir(folder.c_str());
    }
    std::string folder;
};

}  // namespace

TEST_F(MusicTest, PlaysLoopsPausesAndStops)
{
    CSound* song = Sound_GetSound(0);
    Sound_Play(song->m_fileName, song->GetSoundId(), true);  // song.mid plays song.mp3
    EXPECT_TRUE(Sound_IsPlaying(song->m_fileName, song->m_hardwareId));
    EXPECT_EQ(g_SoundHardware->CurrentMusic(), "song.mp3");
    // The main thread sleeps: the music goes on, round its end and again.
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    EXPECT_TRUE(Sound_IsPlaying(song->m_fileName, song->m_hardwareId));
    double pause = Now();
    g_SoundHardware->PauseMusic();
    EXPECT_FALSE(g_SoundHardware->PlayingMP3());
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    double resume = Now();
    g_SoundHardware->ResumeMusic();
    EXPECT_TRUE(g_SoundHardware->PlayingMP3());
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    double stop = Now();
    Sound_Stop(song->m_fileName, song->m_hardwareId);
    EXPECT_FALSE(Sound_IsPlaying(song->m_fileName, song->m_hardwareId));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Recording r = Finish();
    double onset = r.Onset(0.01);
    ASSERT_GT(onset, 0);
    // The music thread keeps its own time: the recording is read by its quiet and loud stretches.
    const double step = 0.01;
    std::vector<bool> quiet;
    for (double t = 0; t + step <= r.Seconds(); t += step) quiet.push_back(r.Rms(t, t + step) < 0.005);
    size_t first = (size_t)(onset / step), last = first;
    for (size_t i = first; i < quiet.size(); i++)
        if (!quiet[i]) last = i;
    size_t gapStart = 0, gapLength = 0;
    for (size_t i = first, run = 0; i <= last; i++) {
        run = quiet[i] ? run + 1 : 0;
        if (run > gapLength) gapLength = run, gapStart = i + 1 - run;
    }
    // Played 1.2 s (more than twice the file) without a break, paused 0.3 s, played 0.3 s more.
    EXPECT_GT((double)(gapStart - first) * step, 1.0);
    EXPECT_NEAR((double)gapLength * step, resume - pause, 0.2);
    EXPECT_NEAR((double)(last + 1 - gapStart - gapLength) * step, stop - resume, 0.2);
    EXPECT_GT(r.Seconds() - (double)(last + 1) * step, 0.2);  // silent once stopped
    EXPECT_NEAR(r.Frequency(onset + 0.1, onset + 0.4), 330, 5);
    EXPECT_GT(r.Tone(330, onset + 0.7, onset + 1.0), 0.1);  // the second time round
}

TEST_F(MusicTest, WithoutRepeatItEndsAndSaysSo)
{
    std::vector<std::string> log;
    MCI_Log = &log;
    g_SoundHardware->PlayMP3("song.mp3", false);
    MCI_Log = nullptr;
    ASSERT_FALSE(log.empty());
    std::string alias = log[0].substr(log[0].rfind(' ') + 1);
    EXPECT_EQ(MCI_Command(("status " + alias + " mode").c_str()), "playing");
    std::this_thread::sleep_for(std::chrono::milliseconds(900));
    EXPECT_EQ(MCI_Command(("status " + alias + " mode").c_str()), "stopped");
    EXPECT_FALSE(g_SoundHardware->PlayingMP3());
    // Commands that scripts may send: volume in range, an unknown one, a second open of the alias.
    EXPECT_EQ(MCI_Send(("setaudio " + alias + " volume to 500").c_str(), nullptr, 0), 0);
    EXPECT_NE(MCI_Send(("setaudio " + alias + " volume to 1001").c_str(), nullptr, 0), 0);
    EXPECT_EQ(MCI_Command(("status " + alias + " weather").c_str()), "");
    EXPECT_NE(MCI_Send(("open \"song.mp3\" type mpegvideo alias " + alias).c_str(), nullptr, 0), 0);
    EXPECT_NE(MCI_Send("open \"../../etc/passwd\" type mpegvideo alias x", nullptr, 0), 0);
    EXPECT_NE(MCI_Send("open \"missing.mp3\" type mpegvideo alias y", nullptr, 0), 0);
    // Files opened and never closed meet a limit, and closing makes room again.
    int opened = 0;
    for (int i = 0; i < 40; i++)
        opened += MCI_Send(("open \"song.mp3\" type mpegvideo alias many" + std::to_string(i)).c_str(), nullptr, 0) == 0;
    EXPECT_EQ(opened, 31);  // 32 with the music's own
    EXPECT_EQ(MCI_Send("close many0", nullptr, 0), 0);
    EXPECT_EQ(MCI_Send("open \"song.mp3\" type mpegvideo alias again", nullptr, 0), 0);
    Recording r = Finish();
    EXPECT_GT(r.Tone(330, 0, r.Seconds()), 0.01);
}

TEST_F(MusicTest, PlacesAndRangesInMilliseconds)
{
    auto say = [](const std::string& command) { return MCI_Command(command.c_str()); };
    auto ok = [](const std::string& command) { return MCI_Send(command.c_str(), nullptr, 0) == 0; };
    ASSERT_TRUE(ok("open \"song.mp3\" type mpegvideo alias s"));
    EXPECT_EQ(say("status s length"), "500");
    EXPECT_EQ(say("status s position"), "0");
    EXPECT_EQ(say("status s ready"), "true");
    EXPECT_TRUE(ok("setaudio s volume to 250"));
    EXPECT_EQ(say("status s volume"), "250");
    // Places outside the file, a range that runs backwards, and another time format are refused.
    EXPECT_FALSE(ok("seek s to 501"));
    EXPECT_FALSE(ok("seek s to -1"));
    EXPECT_FALSE(ok("play s from 300 to 100"));
    EXPECT_FALSE(ok("play s from"));
    EXPECT_FALSE(ok("play s to 9999"));
    EXPECT_FALSE(ok("set s time format frames"));
    EXPECT_TRUE(ok("set s time format ms"));
    // A seek stops there; "wait" and "notify" hold nothing up.
    EXPECT_TRUE(ok("seek s to 200 wait"));
    EXPECT_EQ(say("status s mode"), "stopped");
    EXPECT_EQ(say("status s position"), "200");
    EXPECT_TRUE(ok("play s notify"));
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_TRUE(ok("pause s"));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    long paused = atol(say("status s position").c_str());
    EXPECT_GT(paused, 200);
    EXPECT_LT(paused, 500);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(atol(say("status s position").c_str()), paused);  // it holds while paused
    // Played to its end it stops there, and a play from there plays nothing more.
    EXPECT_TRUE(ok("resume s"));
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    EXPECT_EQ(say("status s mode"), "stopped");
    EXPECT_EQ(say("status s position"), "500");
    EXPECT_TRUE(ok("play s"));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(say("status s mode"), "stopped");
    // A stretch over and over: still playing after three times its length, and inside it.
    EXPECT_TRUE(ok("play s from 100 to 200 repeat"));
    std::this_thread::sleep_for(std::chrono::milliseconds(350));
    EXPECT_EQ(say("status s mode"), "playing");
    long place = atol(say("status s position").c_str());
    EXPECT_GE(place, 100);
    EXPECT_LE(place, 200);
    EXPECT_TRUE(ok("stop s"));
    EXPECT_TRUE(ok("close s"));
    EXPECT_EQ(say("status s mode"), "");
}

TEST_F(MusicTest, ADamagedFileIsRefused)
{
    FILE* f = fopen((folder + "noise.mp3").c_str(), "wb");
    for (int i = 0; i < 5000; i++) fputc((i * 7919) & 0xFF, f);
    fclose(f);
    EXPECT_NE(MCI_Send("open \"noise.mp3\" type mpegvideo alias n", nullptr, 0), 0);
    unlink((folder + "noise.mp3").c_str());
    g_SoundHardware->PlayMP3("noise.mp3", true);
    EXPECT_TRUE(Warned("error opening mp3 file"));
    EXPECT_FALSE(g_SoundHardware->PlayingMP3());
}

// What plays is the file the folders checked: a folder swapped for a link after the check is not
// followed (the checked file opens), and the file swapped for a link is refused.
TEST_F(MusicTest, ALinkSwappedInWhileMusicOpensIsNotFollowed)
{
    namespace fs = std::filesystem;
    const fs::path tunes = folder + "tunes", outside = folder + "outside";
    fs::create_directories(tunes);
    fs::create_directories(outside);
    fs::copy_file(folder + "song.mp3", tunes / "tune.mp3");
    fs::copy_file(folder + "song.mp3", outside / "real.mp3");
    FILE* f = fopen((outside / "tune.mp3").c_str(), "wb");
    ASSERT_TRUE(f);
    fputs("not music", f);
    fclose(f);
    LinkSwap::Arm(tunes / "tune.mp3", tunes, outside);
    EXPECT_EQ(MCI_Send("open \"tunes/tune.mp3\" type mpegvideo alias checked", nullptr, 0), 0);
    EXPECT_TRUE(LinkSwap::Met());
    fs::remove(tunes);
    fs::rename(folder + "tunes.old", tunes);
    LinkSwap::Arm(tunes / "tune.mp3", outside / "real.mp3");
    EXPECT_NE(MCI_Send("open \"tunes/tune.mp3\" type mpegvideo alias swapped", nullptr, 0), 0);
    EXPECT_TRUE(LinkSwap::Met());
    LinkSwap::Disarm();
    MCI_Send("close checked", nullptr, 0);
    fs::remove_all(tunes);
    fs::remove_all(folder + "tunes.old");
    fs::remove_all(outside);
}
