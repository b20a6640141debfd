// SPDX-License-Identifier: Apache-2.0
// Top-level decode: the payload buffer, the stream header and the raster copy.
#pragma once

#include "common_struct.h"

const int PAYLOAD_SIZE = 1024;
const int IMAGE_WIDTH = 102;
const int IMAGE_HEIGHT = 126;
const int RASTER_SIZE = IMAGE_WIDTH * IMAGE_HEIGHT * 3;

extern unsigned char newbuffer[PAYLOAD_SIZE];
extern int MemIndex;

// Writes the stream header into newbuffer and descrambles the payload after it.
void Load_Payload(const char* src);
// Decodes newbuffer into dst (RASTER_SIZE bytes). Returns 1 when dst has
// been written; on any decode fault returns 0 and leaves dst untouched.
int RdDpDpRd(int bmpSave, char* dst);
void ProcInit(common_ptr info);
