// SPDX-License-Identifier: Apache-2.0
// Helpers shared by the decoder tests: a decode record over a payload, run
// stage by stage, and the shipped library loaded as a caller would.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "Color.h"
#include "DecodeFault.h"
#include "MemManage.h"
#include "PayloadBuilder.h"
#include "Vek.h"
#include "dezw.h"
#include "common_struct.h"

// A record set up as RdDpDpRd sets it up, with the header read (ProcInit).
struct DecodeRecord {
    common_ptr info;

    explicit DecodeRecord(const Bytes& payload)
    {
        DecodeFault = 0;
        Load_Payload(reinterpret_cast<const char*>(payload.data()));
        MemIndex = 0;
        info = static_cast<common_ptr>(calloc(1, sizeof(common_struct)));
        info->Read = RD_file;
        info->image_width = IMAGE_WIDTH;
        info->image_height = IMAGE_HEIGHT;
        ProcInit(info);
    }
    ~DecodeRecord()
    {
        if (info->buf_stream) {
            Term_Color(info);
            Term_Wavelet(info);
            Term_buf_stream(info);
        }
        free(info);
        DecodeFault = 0;
    }
    DecodeRecord(const DecodeRecord&) = delete;
    DecodeRecord& operator=(const DecodeRecord&) = delete;
};

// libvekORN opened by path, with its two exported entry points.
struct VekLibrary {
    void* handle = nullptr;
    int (*unpack)(char*, char*, int) = nullptr;
    int (*libvek2019Test)() = nullptr;

    VekLibrary()
    {
        handle = dlopen(VEKORN_PATH, RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            return;
        unpack = reinterpret_cast<int (*)(char*, char*, int)>(dlsym(handle, "unpack"));
        libvek2019Test = reinterpret_cast<int (*)()>(dlsym(handle, "libvek2019Test"));
    }
    ~VekLibrary()
    {
        if (handle)
            dlclose(handle);
    }
    VekLibrary(const VekLibrary&) = delete;
    VekLibrary& operator=(const VekLibrary&) = delete;
};

// Colour segments that are well-formed but arbitrary: a bit-plane byte and
// "o" followed by pseudo-random code bytes; with Arbitrary_Object_Length
// all three fit in the payload.
inline std::vector<Bytes> Arbitrary_Colour_Segments(unsigned seed, int colours, int t = 7)
{
    std::vector<Bytes> segments;
    unsigned x = seed * 2654435761u + 1;
    for (int k = 0; k < colours; ++k) {
        Bytes s = {(uint8_t)t, 'o'};
        for (int i = 0; i < 60; ++i) {
            x = x * 1103515245u + 12345u;
            s.push_back((uint8_t)(x >> 16));
        }
        segments.push_back(s);
    }
    return segments;
}

inline int Arbitrary_Object_Length()
{
    return Object_Length_For({62, 62, 62});
}

// A three-colour payload with the given mask (face model 1) or none.
inline Bytes Payload_With_Mask(const MaskContent* mask, unsigned seed = 1, int level = 4)
{
    PayloadContent content;
    content.config = Config_Byte(3, mask ? 1 : 0, level);
    if (mask)
        content.mask_segment = Encode_Mask_Segment(*mask);
    content.colour_segments = Arbitrary_Colour_Segments(seed, 3);
    content.object_length = Arbitrary_Object_Length();
    return Build_Payload(content);
}
