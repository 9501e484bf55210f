#include "Graphics_API/DrawRegion.h"

// Until room drawing sets it the region is wide open, so nothing drawn before a room is culled.
TDrawRegion DrawRegion = {-1000000000, -1000000000, 1000000000, 1000000000};
bool Graphics3D_Mode = false;
