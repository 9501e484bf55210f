// What the device-independent half of the graphics layer asks of the device half.
#pragma once
#include <cstdint>

struct GR_DeviceTexture;

// A texture of 8-bit RGBA pixels (rows top first; null pixels leave it transparent); null when
// there is no device or the size is beyond the device.
GR_DeviceTexture* GRB_Texture_Create(int width, int height, const uint8_t* rgba);
void GRB_Texture_Destroy(GR_DeviceTexture* texture);
void GRB_Texture_Set_Priority(GR_DeviceTexture* texture, float priority);
int GRB_Max_Texture_Size();  // 0 without a device
// Draws count vertices of a primitive kind with the stage-0 sampling state of GR_Texture.h.
void GRB_Draw(int kind, GR_DeviceTexture* texture, int stride, const void* vertices, int count);
