// Drawing the running room: each visible view (or the whole room when views are off) gets its
// port and projection, is cleared with the room colour, and shows backgrounds, then instances and
// tiles from the greatest depth to the least, then foregrounds.
#pragma once
class CRoom;
class CInstance;

// The room rectangle being drawn (the view's, or the whole room's).
struct DrawRegionRect {
    float left, top, right, bottom;
};
extern DrawRegionRect DrawRegion;

// Draws an instance that has no draw event (its sprite); the sprite module installs it, and
// until then such instances draw nothing.
extern void (*Room_DrawSpriteHook)(CInstance* inst);

// Views follow their objects, then every visible view is drawn. Without a graphics device only
// the draw events run (once a view); backgrounds and tiles are left out. Stops early when a draw event asks for a room change.
void Room_Draw(CRoom* room);
