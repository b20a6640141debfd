// SPDX-License-Identifier: Apache-2.0
#include "Imagedata.h"

#include <cstring>

CImageData::CImageData(int width, int height, int bits)
    : m_Width(width), m_Height(height), m_Bits(bits), pData(nullptr), m_pData(nullptr)
{
    const int row = RowBytes();
    pData = new unsigned char[(size_t)row * height];
    m_pData = new unsigned char*[height];
    for (int i = 0; i < height; ++i)
        m_pData[i] = pData + (size_t)i * row;
    SetDefaultValue(255);
}

CImageData::~CImageData()
{
    delete[] m_pData;
    delete[] pData;
}

void CImageData::SetDefaultValue(unsigned char c)
{
    memset(pData, c, (size_t)RowBytes() * m_Height);
}
