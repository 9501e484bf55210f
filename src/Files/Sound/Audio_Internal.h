// The audio system's tables, shared by its platform-free half (sounds, emitters, listener) and
// its OpenAL half (buffers, voices, sources).
#pragma once
#include <memory>
#include <string>
#include <vector>

#include <cstddef>
#include <cstdint>

class SoundHardware;

struct AudioSound {
    std::string name;
    std::string fileName;  // its ending picks MP3 or MIDI for music
    float gain = 1.0f;
    bool streamed = false;  // music and other streamed kinds get no buffer
    int audioIndex = -1;
    const uint8_t* data = nullptr;  // the AUDO entry's bytes in the game data file, or null
    size_t length = 0;
    unsigned buffer = 0;  // the OpenAL buffer, 0 until prepared
};

struct AudioVoice {
    bool loop = false;
    bool active = false;
    bool stolen = false;  // its source was taken by a voice of higher priority
    int source = -1;      // index into the pool
    int id = 0;
    int sound = -1;
    float priority = 1.0f;
    int emitter = -1;  // the emitter whose list holds it, -1 for none
};

struct AudioEmitter {
    float x = 0, y = 0, z = 0;
    float vx = 0, vy = 0, vz = 0;
    bool active = false;
    float reference = 100.0f, maximum = 100000.0f, factor = 1.0f;
    float gain = 1.0f, pitch = 1.0f;
    std::vector<int> voices;  // voice indexes; -1 marks a free slot
};

struct AudioListener {
    float position[3] = {0, 0, 0};
    float velocity[3] = {0, 0, 0};
    float orientation[6] = {0, 0, 1, 0, 1, 0};
};

extern std::vector<std::unique_ptr<AudioSound>> Audio_Sounds;
extern std::vector<std::unique_ptr<AudioEmitter>> Audio_Emitters;
extern std::unique_ptr<AudioListener> Audio_Listener;
extern SoundHardware* Audio_Device;

// The sound of an index, or null.
AudioSound* Audio_GetSound(int sound);
// The emitter of an index when it has a record, or null.
AudioEmitter* Audio_GetEmitter(int emitter);
// The OpenAL half's own clearing (voices, pool, buffers) and set-up.
void Audio_ClearVoices();
void Audio_InitVoices();
