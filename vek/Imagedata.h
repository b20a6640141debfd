// SPDX-License-Identifier: Apache-2.0
// Byte image used by the mask decoder.
#pragma once

class CImageData {
public:
    int m_Width;
    int m_Height;
    int m_Bits;
    unsigned char* pData;
    unsigned char** m_pData;

    // A new image is filled with 255.
    CImageData(int width, int height, int bits = 8);
    ~CImageData();
    CImageData(const CImageData&) = delete;
    CImageData& operator=(const CImageData&) = delete;

    int RowBytes() const { return m_Width * m_Bits / 8; }
    void SetDefaultValue(unsigned char c);
};
