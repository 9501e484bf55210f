// Images the runner carries built in: 1 to 14 are the particle shapes (64 x 64, white with alpha).
#pragma once

struct GR_DeviceTexture;

const int EMBEDDED_IMAGE_COUNT = 15;
// The device texture of an embedded image, made when first asked for; null for an index outside
// the table or without a device.
GR_DeviceTexture* EmbeddedImages_GetTexture(int index);
// Releases the textures made (device shut-down).
void EmbeddedImages_Free();
