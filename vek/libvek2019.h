// Exported entry points of libvekORN.
#pragma once

extern "C" {
// Decodes the 1024-byte card photo payload at src into the 38556-byte
// raster at dst (126 rows of 102 RGB pixels, bottom row first).
// Returns 1 when the raster has been written.
int unpack(char* src, char* dst, int bmpSave);
int libvek2019Test();
}
