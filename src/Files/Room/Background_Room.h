// A room's background layers and tiles, drawn through their backgrounds.
#pragma once

class CRoom;
struct RoomBackground;
struct RoomTile;

// One layer slot: when visible and its background exists, copies tiled as the slot asks over the
// region being drawn (left, top, width, height in room coordinates).
void Background_DrawLayer(const RoomBackground& slot, float left, float top, float width, float height);
// Every visible layer of the room that is (foreground) or is not (background) in front.
void Background_DrawLayers(const CRoom& room, bool foreground, float left, float top, float width, float height);
// A visible tile: its part of its background at its place, scale, blend and alpha.
void Background_DrawTile(const RoomTile& tile);
