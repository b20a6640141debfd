// SPDX-License-Identifier: Apache-2.0
// Working set of the mask decode: background parameters and contours.
#pragma once

#include "common_struct.h"
#include "trace.h"

class AritDecoder;
class CImageData;

class CWorkField {
public:
    int m_nWidth;
    int m_nHeight;
    int face_model;
    int mask_area_ratio;
    PIXEL m_clrmean;
    VERTEX m_points[4];
    CImageData* m_pEdge;
    trace_buffer tb;

    // The mask of a picture of width x height pixels.
    CWorkField(int width, int height);
    ~CWorkField();
    CWorkField(const CWorkField&) = delete;
    CWorkField& operator=(const CWorkField&) = delete;

    // Reads the mask segment. Too many contours, overlong contours and
    // contours leaving the image raise the decode fault.
    void Decoder(AritDecoder* decode, int& back);
    void Output(char** buf);
};

extern CWorkField* pSrcWork;
