#include "Run/GameFile_Chunks.h"

#include "Background/Background_Main.h"
#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Extension/Extension_Main.h"
#include "Font/Font_Main.h"
#include "Graphics_API/GR_Texture.h"
#include "Object/Instance_Class.h"
#include "Object/Object_Main.h"
#include "Option/Option_Main.h"
#include "Path/Path_Main.h"
#include "Room/Room_Main.h"
#include "Runner/GameFile_Pages.h"
#include "Script/Script_Main.h"
#include "Sound/Audio_Main.h"
#include "Sound/Sound_Main.h"
#include "Sprite/Sprite_Main.h"
#include "Support/LoadSave.h"
#include "TimeLine/TimeLine_Main.h"
#include "Variable/Variable_Main.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

void (*GameFile_RegisterFunctions)() = nullptr;

bool GameFile_LoadStrings(GameFileReader r)
{
    uint32_t count;
    if (!r.Count(&count, 4)) return false;
    for (uint32_t i = 0; i < count; i++) {
        GameFileReader s = r.At(r.U32());
        uint32_t length = s.U32();
        // The bytes and their terminating zero must lie in the file.
        if (!s.ok || length >= s.end - s.pos || GameFile_Base()[s.pos + length] != 0) return false;
    }
    return r.ok;
}

bool GameFile_LoadHeader(GameFileReader r)
{
    GameHeader h;
    const char* name = r.Str();
    h.gameId = r.U32();
    h.windowWidth = r.I32();
    h.windowHeight = r.I32();
    h.flags = r.U32();
    h.lastInstanceId = r.I32();
    h.lastTileId = r.I32();
    uint32_t count;
    if (!r.Count(&count, 4) || !name) return false;
    // Counters beyond their bounds would leave no id (or wrap); below the first instance id
    // they would give ids that name objects.
    if (h.lastInstanceId < 0 || h.lastInstanceId > INSTANCE_ID_LAST || h.lastTileId < 0 || h.lastTileId > TILE_ID_LAST) {
        Console_Warnings->Output("The header's last instance id or last tile id is out of range.\n");
        return false;
    }
    h.lastInstanceId = std::max(h.lastInstanceId, INSTANCE_ID_FIRST);
    std::vector<int> order(count);
    for (int& room : order) room = r.I32();
    if (!r.ok) return false;
    h.name = name;
    Game_Header = h;
    LoadSave_SetGameName(name);
    Room_SetOrder(order.data(), (int)order.size());
    Room_LastInstanceId = h.lastInstanceId;
    Room_LastTileId = h.lastTileId;
    return true;
}

bool GameFile_LoadOptions(GameFileReader r)
{
    uint32_t flags = r.U32();
    r.U32();
    uint32_t newAudio = r.U32();
    if (!r.ok) return false;
    Option_Flags = flags;
    Option_ShowCursor = (flags & OPTION_SHOW_CURSOR) ? 1 : 0;
    Option_NewAudio = newAudio != 0;
    Variable_UnsetReadsZero = (flags & OPTION_UNSET_READS_ZERO) != 0;
    return true;
}

static bool LoadScripts(GameFileReader chunk)
{
    uint32_t count;
    if (!chunk.Count(&count, 4)) return false;
    for (uint32_t i = 0; i < count; i++) {
        GameFileReader r = chunk.At(chunk.U32());
        const char* name = r.Str();
        const char* text = r.Str();
        if (!r.ok || !name) return false;
        Script_Add(name, text ? text : "");
    }
    return chunk.ok;
}

// Chunks whose byte code this runner does not use, and DAFL, which carries nothing: their count
// must be 0.
static bool CheckEmpty(const char* tag, GameFileReader chunk)
{
    uint32_t count = chunk.U32();
    if (chunk.ok && count != 0)
        Console_Warnings->Output("The %s chunk holds %u entries where it must hold none: this runner compiles source "
                                 "text and takes no byte code.\n",
                                 tag, count);
    return chunk.ok && count == 0;
}

int GameFile_DispatchChunk(const char* tag, GameFileReader r)
{
    // Read in the first pass, or kept (offset and size) for the readers of their resources.
    static const char* const Kept[] = {"STRG", "GEN8", "GEN7", "GENL", "OPTN"};
    for (const char* k : Kept)
        if (!strcmp(tag, k)) return 1;
    if (!strcmp(tag, "BGND")) return Background_Load(r);
    // The sounds go to the system that the game's option picks.
    if (!strcmp(tag, "SOND")) return Option_NewAudio ? Audio_Load(r) : Sound_Init(r);
    if (!strcmp(tag, "AUDO")) return Option_NewAudio ? Audio_WAVs(r) : Wave_Init(r);
    if (!strcmp(tag, "SCPT")) return LoadScripts(r);
    if (!strcmp(tag, "FONT")) return Font_Load(r);
    if (!strcmp(tag, "SPRT")) return Sprite_Load(r);
    if (!strcmp(tag, "PATH")) return Path_Load(r);
    if (!strcmp(tag, "TMLN")) return TimeLine_Load(r);
    if (!strcmp(tag, "OBJT")) return Object_Load(r);
    if (!strcmp(tag, "ROOM")) return Room_Load(r);
    if (!strcmp(tag, "TPAG")) return GameFile_LoadPageEntries(r);
    if (!strcmp(tag, "TXTR")) return GameFile_LoadPageTextures(r);
    if (!strcmp(tag, "EXTN")) return Extension_LoadChunk(r);
    for (const char* empty : {"DAFL", "CODE", "FUNC", "VARI"})
        if (!strcmp(tag, empty)) return CheckEmpty(tag, r);
    return -1;
}

// New ids follow every id placed in the rooms, whatever the header says.
static void RaiseCounters()
{
    for (int i = 0; i < Room_Count(); i++) {
        CRoom* room = Room_Get(i);
        if (!room) continue;
        for (const RoomInstanceEntry& e : room->entries) Game_Header.lastInstanceId = std::max(Game_Header.lastInstanceId, e.id);
        for (const RoomTile& t : room->entry_tiles) Game_Header.lastTileId = std::max(Game_Header.lastTileId, t.id);
    }
    Room_LastInstanceId = Game_Header.lastInstanceId;
    Room_LastTileId = Game_Header.lastTileId;
}

bool GameFile_CheckResources()
{
    if (!Object_LinkParents() || !Room_CheckOrder()) return false;
    RaiseCounters();
    return true;
}

void GameFile_FreeResources()
{
    Background_Clear();
    Sound_Clear();
    Audio_Clear();
    TPage_Free();
    Room_Clear();
    Font_Clear();
    Sprite_Clear();
    Object_Clear();
    TimeLine_Clear();
    Path_Clear();
    Script_Clear();
    Extension_Clear();
}

bool GameFile_LoadBuffer(uint8_t* buffer, size_t size)
{
    GameFile_Free();
    Option_Reset();
    if (!GameFile_Open(buffer, size)) return false;

    // First pass: strings, header and options, which the other readers rely on.
    GameFileVersion = 800;
    bool sawHeader = false;
    for (const GameFileChunk& c : GameFile_ChunkList()) {
        GameFileReader r(c.offset, (size_t)c.offset + c.size);
        bool done = true;
        if (!strcmp(c.tag, "STRG")) done = GameFile_LoadStrings(r);
        else if (!strcmp(c.tag, "GEN8") || !strcmp(c.tag, "GEN7") || !strcmp(c.tag, "GENL")) {
            if (sawHeader) return GameFile_Fail("The game data file has two header chunks.");
            sawHeader = true;
            done = GameFile_LoadHeader(r);
            if (done && GameFile_RegisterFunctions) GameFile_RegisterFunctions();
            if (strcmp(c.tag, "GEN8")) GameFileVersion = 700;
        } else if (!strcmp(c.tag, "OPTN")) done = GameFile_LoadOptions(r);
        if (!done) {
            Console_Warnings->Output("The %s chunk is damaged.\n", c.tag);
            return GameFile_Fail("The game data file is damaged.");
        }
    }
    if (!sawHeader) return GameFile_Fail("The game data file has no header chunk.");

    // Second pass: every chunk to its reader, in file order (the tables were emptied above).
    for (const GameFileChunk& c : GameFile_ChunkList()) {
        Console_Warnings->Output("Process Chunk: %s   %d\n", c.tag, (int)c.size);
        GameFileReader r(c.offset, (size_t)c.offset + c.size);
        int result = GameFile_DispatchChunk(c.tag, r);
        if (result < 0) {
            Console_Warnings->Output("Unknown chunk %s in the game data file.\n", c.tag);
            return GameFile_Fail("The game data file is damaged.");
        }
        if (result == 0) {
            Console_Warnings->Output("The %s chunk is damaged.\n", c.tag);
            return GameFile_Fail("The game data file is damaged.");
        }
    }
    if (!GameFile_CheckResources()) return GameFile_Fail("The game data file is damaged.");
    return true;
}

bool GameFile_Load(const char* path)
{
    // Only a regular file that offsets of 32 bits can span (not a device or a pipe that never ends).
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        Console_Warnings->Output("The game data file %s is missing or is not a file.\n", path);
        return GameFile_Fail("The game data file cannot be read.");
    }
    if (std::filesystem::file_size(path, error) > 0xFFFFFFFFu || error) return GameFile_Fail("The game data file is too large.");
    FILE* f = fopen(path, "rbe");
    if (!f) {
        Console_Warnings->Output("Cannot open the game data file %s.\n", path);
        return GameFile_Fail("The game data file cannot be read.");
    }
    std::vector<uint8_t> bytes;
    uint8_t block[65536];
    size_t n;
    while ((n = fread(block, 1, sizeof block, f)) > 0) bytes.insert(bytes.end(), block, block + n);
    bool readError = ferror(f);
    fclose(f);
    if (readError) return GameFile_Fail("The game data file cannot be read.");
    // The program folder is the folder of the game data file.
    std::string folder = path;
    size_t slash = folder.find_last_of('/');
    LoadSave_SetProgramFolder(slash == std::string::npos ? "." : folder.substr(0, slash + 1).c_str());
    uint8_t* buffer = (uint8_t*)MemAlloc(bytes.size() + 1);
    if (!buffer) return GameFile_Fail("There is not enough memory for the game data file.");
    if (!bytes.empty()) memcpy(buffer, bytes.data(), bytes.size());
    return GameFile_LoadBuffer(buffer, bytes.size());
}

void GameFile_Free()
{
    GameFile_FreeResources();
    GameFile_Close();
}
