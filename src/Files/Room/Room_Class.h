// CRoom: a room's settings, its creation record (instances and tiles placed in the editor), and,
// while it runs, its active and deactivated instance lists and its tile array.
#pragma once
#include "Object/Instance_List.h"

#include <cstdint>
#include <string>
#include <vector>

class CInstance;
class CCode;
class CPhysicsWorld;

struct RoomBackground {
    bool visible = false;
    bool foreground = false;
    int index = -1;
    float x = 0, y = 0;
    bool htiled = true, vtiled = true;
    float hspeed = 0, vspeed = 0;
    float xscale = 1, yscale = 1;
    uint32_t blend = 0xFFFFFF;
    float alpha = 1;
};

struct RoomView {
    bool visible = false;
    int xview = 0, yview = 0, wview = 640, hview = 480;
    int xport = 0, yport = 0, wport = 640, hport = 480;
    float angle = 0;
    int hborder = 32, vborder = 32, hspeed = -1, vspeed = -1;
    int object = -1;
    int surface = -1;
};

struct RoomTile {
    float x = 0, y = 0;
    int background = -1;
    int left = 0, top = 0, width = 0, height = 0;
    float depth = 0;
    int id = 0;
    float xscale = 1, yscale = 1;
    uint32_t blend = 0xFFFFFF;
    float alpha = 1;
    uint8_t visible = 1;
};

// An instance placed in the room: made when the room is built, then its creation code runs.
struct RoomInstanceEntry {
    int x = 0, y = 0;
    int object = -1;
    int id = 0;
    std::string code;        // creation code text, empty for none
    CCode* compiled = nullptr;
    float xscale = 1, yscale = 1;
    uint32_t colour = 0xFFFFFFFF;
    float rotation = 0;
};

constexpr int ROOM_SLOTS = 8;

class CRoom {
public:
    CRoom() = default;
    ~CRoom();
    CRoom(const CRoom&) = delete;
    CRoom& operator=(const CRoom&) = delete;

    std::string name;
    char* caption = nullptr;
    int speed = 30;
    int width = 640, height = 480;
    bool persistent = false;
    uint32_t colour = 0xC0C0C0;
    bool show_colour = true;
    RoomBackground backgrounds[ROOM_SLOTS];
    bool enable_views = false;
    RoomView views[ROOM_SLOTS];
    std::string creation_code;
    CCode* creation_compiled = nullptr;
    bool physics = false;
    float physics_scale = 0.1f, physics_gravity_x = 0.0f, physics_gravity_y = 10.0f;
    CPhysicsWorld* physics_world = nullptr;

    // The creation record.
    std::vector<RoomInstanceEntry> entries;
    std::vector<RoomTile> entry_tiles;

    // While the room runs: instances in ascending depth, later ones after equal depths (the order
    // in which `all` is walked; drawing goes from the greatest depth to the least), deactivated
    // ones in the order they left; the tile array. Changed only through the methods below.
    CInstanceList active;
    CInstanceList deactivated;
    std::vector<RoomTile> tiles;

    // Copies the settings and the creation record of another room (not its instances).
    void CopyFrom(const CRoom& other);
    void SetCaption(const char* text);
    // Replaces the creation code text; the compiled code is kept aside (it may be running) and
    // the new text waits to be compiled.
    void SetCreationCode(const char* text);

    // Appends a copy with the next tile id; its position, or -1 (nothing added) when no tile id
    // is left.
    int AddTile(const RoomTile& tile);
    // Appends a tile to the creation record; its id, or -1 when no tile id is left.
    int CreateTile(int background, int left, int top, int width, int height, float x, float y, float depth,
                   float xscale, float yscale, uint32_t blend);
    int FindTile(int id);
    void SetTile(int index, const RoomTile& tile);  // writes the record back at a valid index
    int FindTileAt(float x, float y, bool foreground) const;
    int FindLayerTileAt(float depth, float x, float y);
    void DeleteTile(int index);
    void DeleteTilesAt(float x, float y, bool foreground);
    void DeleteLayer(float depth);
    void DeleteLayerTilesAt(float depth, float x, float y);
    void HideLayer(float depth);
    void ShowLayer(float depth);
    void SetLayerDepth(float depth, float newDepth);
    void ShiftLayer(float depth, float dx, float dy);
    void ClearTiles();

    int AddInstance(int x, int y, int object);  // to the creation record; the id, -1 when none is left
    void ClearInstances();

    // Makes an instance with the next id, linked into the active list, its object's lists and the
    // id hash; no event runs. An id outside 100000..INSTANCE_ID_LAST (0, say) takes the next id;
    // null, after a report, when no instance id is left.
    CInstance* CreateInstance(float x, float y, int object, int id = 0);
    // Links an instance into the active list by depth (after those of its depth) and into its
    // object's lists, or, when its deactivated flag is set, at the end of the deactivated list.
    void LinkInstance(CInstance* inst);
    // Links instances in the order listed, as LinkInstance does, but into their objects' lists in
    // creation (id) order: a saved room's instances come back so.
    void LinkInstances(const std::vector<CInstance*>& listed);
    // Takes an instance out of the active (or deactivated) list and its object's lists; false
    // when it was in neither list.
    bool UnlinkInstance(CInstance* inst);
    // Moves an active instance whose depth changed to the end of its new depth's instances; an
    // unchanged depth leaves it where it is.
    void ChangeDepth(CInstance* inst);
    // Takes an active instance out of its objects' lists before it changes object; false (and
    // nothing done) when it is not in the active list.
    bool LeaveObjectLists(CInstance* inst);
    // Puts it at the end of its new object's lists afterwards.
    void JoinObjectLists(CInstance* inst);
    // Moves instances whose deactivated flag changed between the two lists.
    void UpdateActivation();
    // Builds every object's list of instances again from the active list, in creation order,
    // after parent chains changed or an object was deleted.
    void RelinkObjects();
    // Takes the room's instances out of the id hash and their objects' lists while the room is
    // kept aside (a persistent room left), and puts them back when it runs again.
    void Suspend();
    void Resume();
    // Moves each visible view that follows an object (or instance) so that the followed instance
    // stays its border away from the view's edges, at most its speed a step, inside the room.
    void FollowViews();
    // Frees instances marked destroyed; returns how many.
    int FreeMarked();
    // Frees every instance of the room.
    void FreeAllInstances();

private:
    int m_lastFound = -1;
    // Compiled creation code replaced by CopyFrom, kept until the room goes: it may be running.
    std::vector<CCode*> m_retired;
};

// The counters of instance and tile ids, shared by every room (set from the header). Neither
// passes its bound: tile ids, like instance ids, stay within 0..TILE_ID_LAST.
extern int Room_LastInstanceId;
extern int Room_LastTileId;
constexpr int TILE_ID_LAST = 1000000000;
