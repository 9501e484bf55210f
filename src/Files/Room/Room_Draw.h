// Drawing the running room: each visible view (or the whole room when views are off) gets its
// port and projection, is cleared with the room colour, and shows backgrounds, then instances and
// tiles from the greatest depth to the least (an instance without a draw event shows its sprite),
// then foregrounds. DrawRegion is set to the room rectangle each view sees.
#pragma once
class CRoom;

// Views follow their objects, then every visible view is drawn. Without a graphics device only
// the draw events run (once a view); backgrounds and tiles are left out. Stops early when a draw event asks for a room change.
void Room_Draw(CRoom* room);
