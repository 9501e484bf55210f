// The display: modes of the primary screen, antialias and vsync, the system mouse.
#pragma once

struct SDL_Window;

int GR_Display_Get_Width();
int GR_Display_Get_Height();
int GR_Display_Get_ColorDepth();   // -1 when unreadable
int GR_Display_Get_Frequency();    // -1 when unreadable or unknown
// Fields whose argument is > 0 replace those of the current mode; the set forms change the
// display mode of the full-screen window (false without one) and leave the device reset to the
// caller, the test form only asks whether the mode exists.
bool GR_Display_Set_Size(int w, int h);
bool GR_Display_Set_ColorDepth(int bpp);
bool GR_Display_Set_Frequency(int hz);
bool GR_Display_Set_All(int w, int h, int hz, int bpp);
bool GR_Display_Test_All(int w, int h, int hz, int bpp);
// 2, 4, 8 or 16 samples, anything else none; both take effect at the next device reset.
void GR_Display_Set_Antialias(int samples);
int GR_Display_Get_Antialias();
void GR_Display_Set_VSync(bool on);
bool GR_Display_Get_VSync();
int GR_Display_Mouse_Get_X();
int GR_Display_Mouse_Get_Y();
void GR_Display_Mouse_Set(int x, int y);
void GR_Display_Leave_Fullscreen();
