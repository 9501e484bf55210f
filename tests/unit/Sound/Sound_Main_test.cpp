// The older sound system on the null back end: loading from the game data file (and refusing
// damaged entries without losing the game), the device table, music by name, files and streams.
#include "SoundGame.h"

#include "Option/Option_Main.h"
#include "Room/Room_Class.h"
#include "Room/Room_Main.h"
#include "Sound/MCI.h"
#include "Support/LoadSave.h"
#include "Support/Stream.h"

#include <cstdio>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using SoundMain = SoundGame;

const std::vector<uint8_t> kTone = WaveMaker::Tone(440, 0.5);

std::string Folder()
{
    std::string folder = "/tmp/sound_main_test_" + std::to_string(getpid()) + "/";
    mkdir(folder.c_str(), 0755);
    return folder;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary).write((const char*)bytes.data(), (std::streamsize)bytes.size());
}

}  // namespace

TEST_F(SoundMain, GameSoundsLoadPlayAndStop)
{
    ASSERT_TRUE(Load(false, {{"snd_a", 0, "a.wav", 1.0f, 0}, {}, {"snd_song", 1, "song.mp3", 1.0f, -1}}, {SoundFile::Entry(kTone)}));
    EXPECT_TRUE(Warned("Sound_Init()") && Warned("Wave_Init()"));
    ASSERT_EQ(Sound_Count(), 3);
    EXPECT_STREQ(Sound_GetName(0), "snd_a");
    EXPECT_STREQ(Sound_GetName(1), "<undefined>");
    EXPECT_STREQ(Sound_GetName(7), "<undefined>");
    EXPECT_EQ(Sound_Find("snd_song"), 2);
    EXPECT_EQ(Sound_Find("nothing"), -1);
    EXPECT_EQ(Audio_Count(), 0);  // only the older table is filled
    CSound* a = Sound_GetSound(0);
    ASSERT_NE(a, nullptr);
    int id = a->GetSoundId();
    ASSERT_GE(id, 0);
    EXPECT_FALSE(Sound_IsPlaying(a->m_fileName, id));
    Sound_Play(a->m_fileName, id, false);
    EXPECT_TRUE(Sound_IsPlaying(a->m_fileName, id));
    Sound_Stop(a->m_fileName, id);
    EXPECT_FALSE(Sound_IsPlaying(a->m_fileName, id));
    // Music from the game data file gets an entry but no sample; it plays by name.
    EXPECT_GE(Sound_GetSound(2)->GetSoundId(), 0);
    EXPECT_EQ(Sound_GetSound(2)->m_gameData, nullptr);
}

TEST_F(SoundMain, DamagedEntriesLeaveSilentSoundsAndTheGameLoads)
{
    std::vector<uint8_t> runsPast = {0xFF, 0xFF, 0xFF, 0x7F, 'R', 'I', 'F', 'F'};
    std::vector<uint8_t> notWave = SoundFile::Entry({'n', 'o', 'p', 'e', 0, 0, 0, 0, 0, 0, 0, 0});
    ASSERT_TRUE(Load(false,
                     {{"snd_far", 0, "", 1, 9}, {"snd_neg", 0, "", 1, -7}, {"snd_past", 0, "", 1, 0}, {"snd_bad", 0, "", 1, 1}, {"snd_ok", 0, "", 1, 2}},
                     {runsPast, notWave, SoundFile::Entry(kTone)}));
    EXPECT_TRUE(Warned("Sound snd_far names audio entry 9, which the game data file does not hold."));
    EXPECT_TRUE(Warned("Sound snd_neg names audio entry -7"));
    EXPECT_TRUE(Warned("The audio entry 0 of sound snd_past runs past the end of the game data file."));
    EXPECT_TRUE(Warned("ALUT error on load 0000020f(527) : the image is neither WAV nor AU\n"));
    for (int i = 0; i < 4; i++) {
        CSound* s = Sound_GetSound(i);
        ASSERT_NE(s, nullptr);
        Sound_Play(s->m_fileName, s->GetSoundId(), false);
        EXPECT_FALSE(Sound_IsPlaying(s->m_fileName, s->GetSoundId())) << i;
    }
    CSound* ok = Sound_GetSound(4);
    Sound_Play(ok->m_fileName, ok->GetSoundId(), false);
    EXPECT_TRUE(Sound_IsPlaying(ok->m_fileName, ok->GetSoundId()));
}

TEST_F(SoundMain, AFailureThatRepeatsForEverySoundIsToldOnce)
{
    // 10,000 samples want four sources each, more than the device has; 100 images are damaged.
    std::vector<SoundFile::Sound> sounds;
    for (int i = 0; i < 10100; i++) sounds.push_back({"snd" + std::to_string(i), 0, "", 1, i < 10000 ? 0 : 1});
    std::vector<uint8_t> cut = WaveMaker::Tone(440, 0.01);
    cut.resize(60);
    ASSERT_TRUE(Load(false, sounds, {SoundFile::Entry(WaveMaker::Tone(440, 0.01)), SoundFile::Entry(cut)}));
    auto count = [&](const std::string& text) {
        size_t n = 0;
        for (size_t at = warnings.text.find(text); at != std::string::npos; at = warnings.text.find(text, at + 1)) n++;
        return n;
    };
    EXPECT_EQ(count("AL Error : "), 1u);
    EXPECT_EQ(count("ALUT error on load 00000211(529) : a chunk runs past the end of the image\n"), 1u);
    // The first sounds have their sources; the last of the 10,000 is silent.
    CSound* first = Sound_GetSound(0);
    CSound* last = Sound_GetSound(9999);
    Sound_Play(first->m_fileName, first->GetSoundId(), false);
    Sound_Play(last->m_fileName, last->GetSoundId(), false);
    EXPECT_TRUE(Sound_IsPlaying(first->m_fileName, first->GetSoundId()));
    EXPECT_FALSE(Sound_IsPlaying(last->m_fileName, last->GetSoundId()));
}

TEST_F(SoundMain, AnAuSoundPlays)
{
    std::vector<uint8_t> au = {'.', 's', 'n', 'd', 0, 0, 0, 24, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 1, 0, 0, 0x1F, 0x40, 0, 0, 0, 1};
    for (int i = 0; i < 4000; i++) au.push_back((uint8_t)(i % 2 ? 0x20 : 0xA0));  // mu-law, a loud square wave
    ASSERT_TRUE(Load(false, {{"snd_au", 0, "", 1, 0}}, {SoundFile::Entry(au)}));
    CSound* s = Sound_GetSound(0);
    Sound_Play(s->m_fileName, s->GetSoundId(), false);
    EXPECT_TRUE(Sound_IsPlaying(s->m_fileName, s->GetSoundId()));
    EXPECT_FALSE(Warned("error on load"));
}

TEST_F(SoundMain, DamagedRecordsFailTheLoad)
{
    // A record's name that lies outside the file cannot be read: the load fails, cleanly.
    std::vector<uint8_t> file = SoundFile::Make(false, {{"snd", 0, "", 1, 0}}, {});
    // The SOND record offset is the first word after the chunk's count.
    size_t sond = 0;
    for (size_t i = 8; i + 4 <= file.size(); i++)
        if (!memcmp(&file[i], "SOND", 4)) sond = i + 8;
    ASSERT_NE(sond, 0u);
    SoundFile::Patch(file, sond + 4, 0x7FFFFFF0u);
    uint8_t* buffer = (uint8_t*)MemAlloc(file.size() + 1);
    memcpy(buffer, file.data(), file.size());
    EXPECT_FALSE(GameFile_LoadBuffer(buffer, file.size()));
    EXPECT_TRUE(Warned("The SOND chunk is damaged."));
    EXPECT_EQ(Sound_Count(), 0);
}

TEST_F(SoundMain, ReplacingAndDeletingGiveTheirSamplesBack)
{
    ASSERT_TRUE(Load(false, {}, {}));
    std::string folder = Folder();
    LoadSave_SetProgramFolder(folder.c_str());
    WriteFile(folder + "beep.wav", kTone);
    int index = Sound_AddFromFile("beep.wav", 0, true);
    ASSERT_EQ(index, 0);
    EXPECT_STREQ(Sound_GetName(0), "__newsound0");
    EXPECT_STREQ(Sound_GetSound(0)->m_extension, ".wav");
    EXPECT_STREQ(Sound_GetSound(0)->m_fileName, "beep.wav");
    // Four sources a sample: without giving them back, the device's 4096 would run out.
    WriteFile(folder + "beep.wav", WaveMaker::Tone(440, 0.05));
    for (int i = 0; i < 1100; i++) ASSERT_TRUE(Sound_Replace(index, "beep.wav", 0, true)) << i;
    CSound* s = Sound_GetSound(index);
    Sound_Play(s->m_fileName, s->GetSoundId(), false);
    EXPECT_TRUE(Sound_IsPlaying(s->m_fileName, s->GetSoundId()));
    EXPECT_FALSE(Warned("AL Error"));
    EXPECT_EQ(Sound_AddFromFile("missing.wav", 0, true), -1);
    EXPECT_STREQ(Sound_GetName(1), "__newsound1");  // the slot stays, with an empty sound
    EXPECT_TRUE(Sound_Delete(0));
    EXPECT_FALSE(Sound_Delete(0));
    EXPECT_FALSE(Sound_Replace(-1, "beep.wav", 0, true));
    unlink((folder + "beep.wav").c_str());
}

TEST_F(SoundMain, DeletingThePlayingMusicThenStoppingIt)
{
    std::vector<std::string> log;
    MCI_Log = &log;
    ASSERT_TRUE(Load(false, {{"snd_song", 1, "song.mp3", 1, -1}, {"snd_same", 1, "song.mp3", 1, -1}}, {}));
    CSound* song = Sound_GetSound(0);
    // With no music playing, a music fade only keeps the volume: no command goes out.
    Sound_SetVolume(song->GetSoundId(), 0.25, 1000);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(g_SoundHardware->GetMusicVolume(), 0.25f);
    Sound_Play(song->m_fileName, song->GetSoundId(), true);
    EXPECT_EQ(Sound_CurrentMusic, "song.mp3");
    ASSERT_TRUE(Sound_Delete(0));
    // The current music is the runner's own copy of the name: the other sound of that name stops it.
    CSound* same = Sound_GetSound(1);
    log.clear();
    Sound_Stop(same->m_fileName, same->GetSoundId());
    EXPECT_EQ(Sound_CurrentMusic, "");
    EXPECT_EQ(log.size(), 3u);  // seek, stop, close
    Sound_Stop(same->m_fileName, same->GetSoundId());
    MCI_Log = nullptr;
}

TEST_F(SoundMain, MidiPlaysItsMp3Twin)
{
    std::vector<std::string> log;
    MCI_Log = &log;
    LoadSave_SetProgramFolder("/tmp/");
    ASSERT_TRUE(Load(false, {{"snd_mid", 1, "tune.mid", 1, -1}, {"snd_midi", 1, "tune.midi", 1, -1}}, {}));
    for (int i = 0; i < 2; i++) {
        CSound* s = Sound_GetSound(i);
        Sound_Play(s->m_fileName, s->GetSoundId(), false);
    }
    ASSERT_EQ(log.size(), 11u);  // open, set, set, play; seek, stop, close; open, set, set, play
    EXPECT_EQ(log[0].rfind("open \"/tmp/tune.mp3\" type mpegvideo alias MediaFile", 0), 0u);
    EXPECT_EQ(log[7].rfind("open \"/tmp/tune.mmp3\" type mpegvideo alias MediaFile", 0), 0u);
    EXPECT_EQ(g_SoundHardware->CurrentMusic(), "tune.mmp3");
    g_SoundHardware->PlayMP3(std::string(300, 'x').c_str(), false);  // refused, not cut
    EXPECT_EQ(g_SoundHardware->CurrentMusic(), "tune.mmp3");
    EXPECT_TRUE(Warned("is too long to play"));
    MCI_Log = nullptr;
}

TEST_F(SoundMain, FadesLastTheirFramesAtTheRoomSpeed)
{
    EXPECT_EQ(Sound_FadeFrames(1000), 30);  // no room: 30 a second, 33 ms a frame
    EXPECT_EQ(Sound_FadeFrames(0), 1);
    EXPECT_EQ(Sound_FadeFrames(-50), 1);
    CRoom room;
    Run_Room = &room;
    room.speed = 0;  // counts as 1: a frame of 1000 ms
    EXPECT_EQ(Sound_FadeFrames(1000), 1);
    EXPECT_EQ(Sound_FadeFrames(5000), 5);
    room.speed = 2000;  // a frame of at least 1 ms
    EXPECT_EQ(Sound_FadeFrames(1000), 1000);
    Run_Room = nullptr;
}

TEST_F(SoundMain, StreamsOfBothVersions)
{
    auto stream = [](int version, bool data, bool compressed) {
        CStream* s = new CStream();
        s->WriteInteger(version);
        s->WriteInteger(2);
        s->WriteString(".wav");
        s->WriteString("beep.wav");
        s->WriteBoolean(data);
        if (data) {
            CStream block;
            block.WriteBytes(kTone.data(), (int64_t)kTone.size());
            if (compressed) ZCompressStream(s, &block);
            else s->WriteStream(&block);
        }
        s->WriteInteger(5);
        s->WriteReal(0.5);
        s->WriteReal(-0.25);
        s->WriteBoolean(false);
        s->Seek(0);
        return s;
    };
    ASSERT_TRUE(Load(false, {}, {}));
    for (int version : {600, 800}) {
        CStream* s = stream(version, true, version == 600);
        CSound sound;
        ASSERT_TRUE(sound.LoadFromStream(s)) << version;
        EXPECT_EQ(sound.m_kind, 2);
        EXPECT_STREQ(sound.m_fileName, "beep.wav");
        EXPECT_EQ(sound.m_data->GetSize(), (int64_t)kTone.size());
        EXPECT_EQ(sound.m_volume, 0.5);
        EXPECT_EQ(sound.m_pan, -0.25);
        EXPECT_FALSE(sound.m_preload);
        EXPECT_GE(sound.GetSoundId(), 0);
        delete s;
    }
    CStream* wrong = stream(700, false, false);
    CSound sound;
    EXPECT_FALSE(sound.LoadFromStream(wrong));
    EXPECT_EQ(sound.m_kind, -1);
    delete wrong;
    // A stream cut anywhere is refused, with the sound cleared.
    CStream* whole = stream(800, true, false);
    for (int64_t cut = 0; cut < whole->GetSize(); cut += 97) {
        CStream part;
        part.WriteBytes(whole->GetBuffer(), cut);
        part.Seek(0);
        EXPECT_FALSE(sound.LoadFromStream(&part)) << cut;
        EXPECT_EQ(sound.m_data, nullptr);
    }
    delete whole;
}

TEST_F(SoundMain, WithoutAudioNothingIsLoadedOrPlayed)
{
    Sound_NoAudio = true;
    ASSERT_TRUE(Load(true, {{"snd", 0, "", 1, 0}}, {SoundFile::Entry(kTone)}));
    EXPECT_FALSE(Audio_IsNewSystem());  // "-noaudio" turns the audio system off
    EXPECT_EQ(Audio_PlaySound(0, 1, false), -1);
    EXPECT_FALSE(Warned("AL"));
}
