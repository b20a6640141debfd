// SPDX-License-Identifier: Apache-2.0
#include "Vek.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "Color.h"
#include "DecodeFault.h"
#include "MemManage.h"
#include "Memory.h"
#include "dezw.h"

unsigned char newbuffer[PAYLOAD_SIZE];
int MemIndex = 0;

// Payload bytes before the scrambled stream are not read.
static const int PAYLOAD_SKIP = 10;
static const int HEADER_SIZE = 6;
static const int STREAM_SIZE = PAYLOAD_SIZE - PAYLOAD_SKIP;
static const unsigned char SCRAMBLE_KEY = 0xC5;

// More levels than it takes to bring 102 x 126 down to a single
// coefficient only pad the planes; beyond this they would just eat memory.
static const int MAX_LEVEL = 8;

void Load_Payload(const char* src)
{
    newbuffer[0] = 'J';
    newbuffer[1] = 'X';
    newbuffer[2] = IMAGE_WIDTH & 0xFF;
    newbuffer[3] = IMAGE_WIDTH >> 8;
    newbuffer[4] = IMAGE_HEIGHT & 0xFF;
    newbuffer[5] = IMAGE_HEIGHT >> 8;
    for (int i = 0; i < STREAM_SIZE; ++i)
        newbuffer[HEADER_SIZE + i] = (unsigned char)src[PAYLOAD_SKIP + i] ^ SCRAMBLE_KEY;
}

static int Round_up_to_level(int size, int level)
{
    return ((size + (1 << level) - 1) >> level) << level;
}

void ProcInit(common_ptr info)
{
    Init_IO(info);
    unsigned char magic[2];
    unsigned char size[4];  // width, height: low byte, high byte each
    unsigned char config;
    Read(info, magic, 2, 1);
    Read(info, size, 4, 1);
    Read(info, &config, 1, 1);
    info->image_width = size[0] | size[1] << 8;
    info->image_height = size[2] | size[3] << 8;
    info->color_number = config >> 6;
    info->face_model = (config >> 4) & 3;
    info->level = config & 15;
    info->image_bits = 8;
    info->t = 0;
    // Only grey and Y, U, V streams have a raster writer, and the raster
    // the caller receives has one fixed size.
    const bool known_size = info->image_width == IMAGE_WIDTH && info->image_height == IMAGE_HEIGHT;
    const bool has_writer = info->color_number == 1 || info->color_number == 3;
    if (!known_size || !has_writer || info->level > MAX_LEVEL) {
        Raise_Decode_Fault();
        return;
    }
    info->sample_width = Round_up_to_level(info->image_width, info->level);
    info->sample_height = Round_up_to_level(info->image_height, info->level);

    Init_buf_stream(info);
    Init_Color(info);
    Init_Wavelet(info);
    Init_Write_Raw(info);
}

int RdDpDpRd(int, char* dst)
{
    DecodeFault = 0;
    // The raster is written only once the whole photo has decoded, so the
    // caller's buffer is left alone by a decode that fails.
    RasterOut raster(reinterpret_cast<unsigned char*>(dst), IMAGE_WIDTH * 3, IMAGE_HEIGHT);
    InitStream(&raster);

    common_ptr info = (common_ptr)calloc(1, sizeof(common_struct));
    info->Read = RD_file;
    info->Write = WRITE_memory;
    info->is_encoder = 0;
    info->image_width = IMAGE_WIDTH;
    info->image_height = IMAGE_HEIGHT;

    ProcInit(info);
    const bool planes_made = info->buf_stream != nullptr;
    if (!DecodeFault)
        decompress(info);
    if (!DecodeFault && info->write_raw)
        info->write_raw(info);
    if (planes_made) {
        Term_Color(info);
        Term_Wavelet(info);
        Term_buf_stream(info);
    }
    free(info);
    InitStream(nullptr);  // no stale stream pointer outlives the decode
    return !DecodeFault && raster.Complete() ? 1 : 0;
}
