// SPDX-License-Identifier: Apache-2.0
// Exported entry points of libvekORN.
#pragma once

#define VEK_EXPORT __attribute__((visibility("default")))

extern "C" {
// Decodes the 1024-byte card photo payload at src into the 38556-byte
// raster at dst (126 rows of 102 RGB pixels, bottom row first).
// Returns 1 when the raster has been written; otherwise (also for a null
// buffer) dst is untouched.
// Safe to call from several threads: decodes are serialised.
VEK_EXPORT int unpack(char* src, char* dst, int bmpSave);
VEK_EXPORT int libvek2019Test();
}
