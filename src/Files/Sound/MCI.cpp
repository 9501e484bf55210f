#include "Sound/MCI.h"

#include "Base/Console.h"
#include "Support/LoadSave.h"
#include "Variable/Arguments.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

std::vector<std::string>* MCI_Log = nullptr;

namespace {

int MusicAlias = 0;  // the counter of the music opened last

// Formats and sends a command; the reply goes to `reply` (replyLength bytes) when given.
__attribute__((format(printf, 3, 4))) int Send(char* reply, int replyLength, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int n = vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string command((size_t)(n > 0 ? n : 0), '\0');
    va_start(args, format);
    vsnprintf(command.data(), command.size() + 1, format, args);
    va_end(args);
    if (MCI_Log) MCI_Log->push_back(command);
    return MCI_Send(command.c_str(), reply, replyLength);
}

// Prints a music command's failure with the error's text.
void Report(int code, const char* format, const char* name = nullptr)
{
    if (code == 0) return;
    char text[1024];
    MCI_GetErrorString(code, text, sizeof text);
    if (name) Console_Warnings->Output(format, name, text);
    else Console_Warnings->Output(format, text);
}

// CD commands keep their replies in a buffer of 20 characters; their errors are not reported.
char CdReply[20];

const char* Cd(const char* command)
{
    CdReply[0] = 0;
    Send(CdReply, sizeof CdReply, "%s", command);
    return CdReply;
}

int CdNumber(const char* command) { return atoi(Cd(command)); }

// The fields of a "track:minutes:seconds:frames" position; a missing field reads as 0.
void TmsfFields(const char* text, int fields[4])
{
    for (int i = 0; i < 4; i++) {
        fields[i] = atoi(text);
        const char* colon = strchr(text, ':');
        if (!colon) {
            for (int k = i + 1; k < 4; k++) fields[k] = 0;
            return;
        }
        text = colon + 1;
    }
}

}  // namespace

void MCI_PlayFile(const char* name, bool loop)
{
    std::string path = (name[0] == '/' || name[0] == '\\') ? name : std::string(LoadSave_GetProgramFolder()) + name;
    int alias = ++MusicAlias;
    Report(Send(nullptr, 0, "open \"%s\" type mpegvideo alias MediaFile%d", path.c_str(), alias), "error opening mp3 file %s - %s\n", path.c_str());
    Report(Send(nullptr, 0, "set MediaFile%d time format milliseconds", alias), "error opening set file time format for %s - %s\n", path.c_str());
    Report(Send(nullptr, 0, "set MediaFile%d seek exactly on", alias), "error opening set file seek exactly for %s - %s\n", path.c_str());
    Report(Send(nullptr, 0, loop ? "play MediaFile%d repeat" : "play MediaFile%d", alias), "error playing file for %s - %s\n", path.c_str());
}

void MCI_Pause()
{
    Report(Send(nullptr, 0, "pause MediaFile%d", MusicAlias), "error pausing mp3 file - %s\n");
}

void MCI_Resume()
{
    Report(Send(nullptr, 0, "resume MediaFile%d", MusicAlias), "error resuming mp3 file - %s\n");
}

void MCI_Stop()
{
    Report(Send(nullptr, 0, "seek MediaFile%d to start", MusicAlias), "error stopping mp3 file seeking - %s\n");
    Report(Send(nullptr, 0, "stop MediaFile%d", MusicAlias), "error stopping mp3 - %s\n");
    Report(Send(nullptr, 0, "close MediaFile%d", MusicAlias), "error closing mp3 - %s\n");
}

void MCI_SetVolume(float volume)
{
    int level = RealToInt((double)volume * 1000.0);
    int code = Send(nullptr, 0, "setaudio MediaFile%d volume to %d", MusicAlias, level);
    if (code == 0) return;
    char text[1024];
    MCI_GetErrorString(code, text, sizeof text);
    Console_Warnings->Output("error setting mp3 volume to %g(%d) - %s\n", (double)volume, level, text);
}

bool MCI_IsPlaying()
{
    char reply[1024] = "";
    Report(Send(reply, sizeof reply, "status MediaFile%d mode", MusicAlias), "error getting mp3 status - %s\n");
    return !strcmp(reply, "playing");
}

void CDAudio_Init()
{
    Cd("close cdaudio");
    Cd("open cdaudio");
}

bool CDAudio_IsPresent()
{
    Cd("open cdaudio");
    return !strcmp(Cd("status cdaudio media present"), "true");
}

int CDAudio_GetTrackCount()
{
    Cd("open cdaudio");
    return CDAudio_IsPresent() ? CdNumber("status cdaudio number of tracks") : 0;
}

bool CDAudio_IsPlaying()
{
    Cd("open cdaudio");
    return CDAudio_IsPresent() && !strcmp(Cd("status cdaudio mode"), "playing");
}

bool CDAudio_IsPaused()
{
    Cd("open cdaudio");
    if (!CDAudio_IsPresent()) return false;
    const char* mode = Cd("status cdaudio mode");
    return !strcmp(mode, "paused") || !strcmp(mode, "stopped");
}

int CDAudio_GetTrack()
{
    Cd("open cdaudio");
    Cd("set cdaudio time format tmsf wait");
    if (!CDAudio_IsPresent()) return 0;
    int fields[4];
    TmsfFields(Cd("status cdaudio position"), fields);
    return fields[0];
}

int CDAudio_GetLength()
{
    Cd("open cdaudio");
    Cd("set cdaudio time format ms wait");
    if (!CDAudio_IsPresent()) return 0;
    int length = CdNumber("status cdaudio length wait");
    Cd("set cdaudio time format tmsf wait");
    return length;
}

int CDAudio_GetTrackLength(int track)
{
    Cd("open cdaudio");
    if (track < 1 || track > CDAudio_GetTrackCount()) return 0;
    Cd("set cdaudio time format milliseconds wait");
    if (!CDAudio_IsPresent()) return 0;
    char command[64];
    snprintf(command, sizeof command, "status cdaudio length track %d", track);
    int length = CdNumber(command);
    Cd("set cdaudio time format tmsf wait");
    return length;
}

int CDAudio_GetPosition()
{
    Cd("open cdaudio");
    Cd("set cdaudio time format milliseconds wait");
    if (!CDAudio_IsPresent()) return 0;
    int position = CdNumber("status cdaudio position");
    Cd("set cdaudio time format tmsf wait");
    return position;
}

int CDAudio_GetTrackPosition()
{
    Cd("open cdaudio");
    Cd("set cdaudio time format tmsf wait");
    if (!CDAudio_IsPresent()) return 0;
    int fields[4];
    TmsfFields(Cd("status cdaudio position"), fields);
    return (fields[1] * 60 + fields[2]) * 1000;
}

void CDAudio_Play(int first, int last)
{
    if (!CDAudio_IsPresent()) return;
    Cd("set cdaudio time format tmsf wait");
    if (last < first) return;
    if (first < 1) first = 1;
    char command[64];
    if (last >= CDAudio_GetTrackCount()) snprintf(command, sizeof command, "play cdaudio from %d", first);
    else snprintf(command, sizeof command, "play cdaudio from %d to %d", first, last + 1);
    Cd(command);
}

void CDAudio_Stop()
{
    if (CDAudio_IsPresent()) Cd("stop cdaudio");
}

void CDAudio_Pause()
{
    if (CDAudio_IsPresent()) Cd("pause cdaudio");
}

void CDAudio_Resume()
{
    if (CDAudio_IsPresent()) Cd("play cdaudio");
}

void CDAudio_SetPosition(int milliseconds)
{
    if (!CDAudio_IsPresent()) return;
    Cd("set cdaudio time format milliseconds wait");
    char command[64];
    snprintf(command, sizeof command, CDAudio_IsPlaying() ? "play cdaudio from %d" : "seek cdaudio to %d", milliseconds);
    Cd(command);
    Cd("set cdaudio time format tmsf");
}

void CDAudio_SetTrackPosition(int milliseconds)
{
    if (!CDAudio_IsPresent()) return;
    int track = CDAudio_GetTrack();
    if (track <= 0) return;
    char time[48];
    snprintf(time, sizeof time, "%d:%d:%d", track, milliseconds / 60000, milliseconds % 60000 / 1000);
    Cd("set cdaudio time format tmsf wait");
    char command[96];
    snprintf(command, sizeof command, "%s%s", CDAudio_IsPlaying() ? "play cdaudio from " : "seek cdaudio to ", time);
    Cd(command);
    Cd("set cdaudio time format tmsf");
}

void CDAudio_OpenDoor()
{
    Cd("open cdaudio");
    Cd("set cdaudio door open");
}

void CDAudio_CloseDoor()
{
    Cd("open cdaudio");
    Cd("set cdaudio door closed");
}

std::string MCI_Command(const char* command)
{
    char reply[256] = "";
    if (MCI_Log) MCI_Log->push_back(command);
    MCI_Send(command, reply, 255);
    return reply;
}
