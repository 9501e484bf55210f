// Music files and audio CDs through MCI command strings. The command sequences here are the
// runner's; the interpreter that answers them (MCI_Send) is the platform's, in Linux/.
#pragma once
#include <string>
#include <vector>

// The interpreter: sends one command string; the reply (cut to replyLength - 1 bytes, always
// ended) goes to `reply` when it is not null. 0 on success, else an error code.
int MCI_Send(const char* command, char* reply, int replyLength);
// The text of an error code, cut to `length` - 1 bytes.
void MCI_GetErrorString(int code, char* text, int length);
// Stops and closes everything the interpreter opened (shut-down).
void MCI_CloseAll();
// A fake audio CD of ten tracks for tests (also turned on by RUNNER_FAKE_CD=1 in the
// environment): present, its time standing still; with it off, no disc is present.
void MCI_SetFakeDisc(bool on);

// Every command string sent through the sequences below, for tests (null: none kept).
extern std::vector<std::string>* MCI_Log;

// Music: the file opened last has the alias "MediaFile" and the counter.
void MCI_PlayFile(const char* name, bool loop);
void MCI_Pause();
void MCI_Resume();
void MCI_Stop();
void MCI_SetVolume(float volume);
bool MCI_IsPlaying();

// CD audio; with no disc present every query gives 0 (false).
void CDAudio_Init();
bool CDAudio_IsPresent();
int CDAudio_GetTrackCount();
bool CDAudio_IsPlaying();
bool CDAudio_IsPaused();
int CDAudio_GetTrack();
int CDAudio_GetLength();
int CDAudio_GetTrackLength(int track);
int CDAudio_GetPosition();
int CDAudio_GetTrackPosition();
void CDAudio_Play(int first, int last);
void CDAudio_Stop();
void CDAudio_Pause();
void CDAudio_Resume();
void CDAudio_SetPosition(int milliseconds);
void CDAudio_SetTrackPosition(int milliseconds);
void CDAudio_OpenDoor();
void CDAudio_CloseDoor();

// MCI_command: the reply of any command string, "" when there is none.
std::string MCI_Command(const char* command);
