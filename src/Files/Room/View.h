// Mapping between room and window coordinates through the views of the running room.
#pragma once

// The view being drawn (0 when views are off or outside drawing).
extern int view_current;

// Maps a room point to the window through view `view` (rounded to the nearest integers first).
// An index of 32 or more, an inactive view or one of zero size leaves the point unmapped.
void View_RoomToWindow(int view, float x, float y, int* outX, int* outY);
// The room coordinates of a window point seen through a view: the inverse mapping; without a
// usable view, the point scaled from the window to the room.
float View_WindowToRoomX(int view, int windowX, int windowY);
float View_WindowToRoomY(int view, int windowX, int windowY);
// The room coordinates of the window mouse position seen through a view.
float View_GetMouseX(int view);
float View_GetMouseY(int view);
// The room position of a mouse device: through the first visible view whose port holds its
// window position (view 0's when none does) when views are on, else scaled to the room.
float Mouse_GetRoomX(int device);
float Mouse_GetRoomY(int device);
