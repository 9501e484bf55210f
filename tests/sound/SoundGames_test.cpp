// Packed games that play sounds, run by the runner at their room speed on the wave back end:
// their debug output must equal expected.txt, and what they played is measured.
#include "Recording.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

struct GameRun {
    int status = -1;
    std::string out, err;
    Recording recording;
};

// Runs games/<name> with its own recording file; `environment` adds variables ("A=1 B=2").
GameRun RunGame(const std::string& name, const std::string& environment = "", bool recorded = true)
{
    std::string base = "/tmp/sound_game_" + name + "_" + std::to_string(getpid());
    std::string conf = base + ".conf", wav = base + ".wav";
    std::ofstream(conf) << "[wave]\nfile=" << wav << "\n";
    bool windowed = access((std::string(SOUND_SOURCE_DIR) + "/games/" + name + "/windowed").c_str(), F_OK) == 0;
    std::string command = "env ALSOFT_DRIVERS=wave ALSOFT_CONF=" + conf + " RUNNER_MAX_FRAMES=2000 XDG_DATA_HOME=" + base +
                          ".data " + (windowed ? "" : "RUNNER_HEADLESS=1 ") + environment + " " + RUNNER_PATH + " -game " +
                          SOUND_GAMES_DIR + "/" + name + "/data.win >" + base + ".out 2>" + base + ".err";
    GameRun run;
    int status = system(command.c_str());
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadFile(base + ".out");
    run.err = ReadFile(base + ".err");
    EXPECT_EQ(run.recording.Read(wav), recorded) << name;
    for (const std::string& file : {conf, wav, base + ".out", base + ".err"}) unlink(file.c_str());
    system(("rm -rf " + base + ".data").c_str());
    return run;
}

// Runs the game, which must end normally with the output of its expected file.
GameRun RunChecked(const std::string& name, const std::string& environment = "", const char* expected = "expected.txt")
{
    GameRun run = RunGame(name, environment);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, ReadFile(std::string(SOUND_SOURCE_DIR) + "/games/" + name + "/" + expected)) << run.err;
    return run;
}

}  // namespace

TEST(SoundGames, OlderSoundsPlayLoopFadeAndStop)
{
    GameRun run = RunChecked("old_sounds");
    // The beep, then the hum from frame 15: loud, at half volume from frame 45, faded from frame
    // 60 to 75; what follows is silent.
    const Recording& r = run.recording;
    auto b = r.Bursts(0.005);
    ASSERT_EQ(b.size(), 2u);
    EXPECT_NEAR(r.Frequency(b[0].first + 0.05, b[0].first + 0.25), 880, 8);
    double hum = b[1].first;
    EXPECT_NEAR(r.Frequency(hum + 0.1, hum + 0.9), 220, 3);
    double full = r.Rms(hum + 0.1, hum + 0.9);
    EXPECT_NEAR(r.Rms(hum + 1.2, hum + 1.4) / full, 0.5, 0.08);
    EXPECT_NEAR(b[1].second - hum, 2.0, 0.3);
}

TEST(SoundGames, VoicesAndAnEmitterMovedByTheScript)
{
    GameRun run = RunChecked("audio_voices");
    // The emitter from frame 10: on the left for half a second, then on the right, then on the
    // left again as the listener turns round: each at least six windows of 50 ms in a row.
    const Recording& r = run.recording;
    std::string runs;
    for (double t = 0; t + 0.05 <= r.Seconds(); t += 0.05) {
        double left = r.RmsLeft(t, t + 0.05), right = r.RmsRight(t, t + 0.05);
        runs += left > 3 * right && left > 0.01 ? 'L' : right > 3 * left && right > 0.01 ? 'R' : '-';
    }
    size_t l1 = runs.find("LLLLLL"), r1 = runs.find("RRRRRR", l1), l2 = runs.find("LLLLLL", r1);
    EXPECT_NE(l1, std::string::npos) << runs;
    EXPECT_NE(r1, std::string::npos) << runs;
    EXPECT_NE(l2, std::string::npos) << runs;
}

TEST(SoundGames, CdAudioOnTheFakeDiscAndWithout)
{
    GameRun fake = RunChecked("cd_audio", "RUNNER_FAKE_CD=1");
    GameRun none = RunChecked("cd_audio", "", "expected_nodisc.txt");
}

// In a window under Xvfb: a sound and the music (a MIDI name playing its MP3 twin) together.
TEST(SoundGames, AWindowedGamePlaysASoundAndMusic)
{
    GameRun run = RunChecked("music_window");
    EXPECT_EQ(run.err.find("Running without a window."), std::string::npos);
    const Recording& r = run.recording;
    double start = r.Onset(0.01);
    ASSERT_GT(start, 0);
    EXPECT_GT(r.Tone(440, start, start + 0.4), 0.1);
    EXPECT_GT(r.Tone(330, start + 0.4, start + 1.2), 0.1);  // the music loops on
    EXPECT_LT(r.Tone(440, start + 0.6, start + 1.2), 0.01);  // the chime is over
}

TEST(SoundGames, WithoutAudioTheGamePlaysOnSilently)
{
    GameRun quiet = RunGame("old_sounds", "ALSOFT_DRIVERS=none", false);
    EXPECT_EQ(quiet.status, 0) << quiet.err;
    EXPECT_NE(quiet.err.find("No audio device could be opened: the game plays without sound."), std::string::npos);
    EXPECT_NE(quiet.out.find("beep playing 0"), std::string::npos);
}

// The audio system with a 2.0 s MP3 as music, asked through MCI_command while it plays, and a hum
// that plays on while the channel count changes under it.
TEST(SoundGames, TheMusicInterfaceAnswersAndVoicesKeepTheirChannels)
{
    GameRun run = RunChecked("audio_music");
    const Recording& r = run.recording;
    double start = r.Onset(0.01);
    ASSERT_GE(start, 0);
    // The hum from the first frame to the last (1.5 s), unbroken where the count changes (0.5 s).
    for (double t = start + 0.05; t + 0.1 < start + 1.4; t += 0.1) EXPECT_GT(r.Tone(220, t, t + 0.1), 0.05) << t - start;
    // The music until the seek (0.7 s), then only the 0.3 s from 1.5 s to 1.8 s of the file.
    EXPECT_GT(r.Tone(330, start + 0.1, start + 0.6), 0.05);
    EXPECT_LT(r.Tone(330, start + 1.3, start + 1.45), 0.01);
}

TEST(SoundGames, WithoutADeviceTheAudioSystemStaysAndPlaysNothing)
{
    GameRun quiet = RunGame("audio_music", "ALSOFT_DRIVERS=none", false);
    EXPECT_EQ(quiet.status, 0) << quiet.err;
    EXPECT_EQ(quiet.out, ReadFile(std::string(SOUND_SOURCE_DIR) + "/games/audio_music/expected_nodevice.txt"));
    EXPECT_NE(quiet.err.find("No audio device could be opened: the game plays without sound."), std::string::npos);
}
