// The region being drawn, in room coordinates: room drawing sets it to the view or room it draws;
// sprite drawing culls against it.
#pragma once

struct TDrawRegion {
    int left, top, right, bottom;
};
extern TDrawRegion DrawRegion;
