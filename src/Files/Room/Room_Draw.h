// Drawing the running room: each visible view (or the whole room when views are off) gets its
// port and projection, is cleared with the room colour, and shows backgrounds, then instances and
// tiles from the greatest depth to the least, then foregrounds.
#pragma once
#include "Graphics/DrawRegion.h"

class CRoom;
class CInstance;
struct RoomBackground;
struct RoomTile;

// Room drawing sets DrawRegion (Graphics/DrawRegion.h) to the room rectangle it draws: the
// view's, or the whole room's.

// Drawers that the resource modules install; null ones draw nothing. An instance without a draw
// event is drawn by the sprite drawer.
extern void (*Room_DrawBackgroundHook)(const RoomBackground& background);
extern void (*Room_DrawTileHook)(const RoomTile& tile);
extern void (*Room_DrawSpriteHook)(CInstance* inst);

// Views follow their objects, then every visible view is drawn. Without a graphics device only
// the draw events run (once a view). Stops early when a draw event asks for a room change.
void Room_Draw(CRoom* room);
