// SPDX-License-Identifier: Apache-2.0
#include "Imagedata.h"

#include <cstring>
#include <new>

#include "MemManage.h"

CImageData::CImageData(int width, int height, int bits)
    : m_Width(width), m_Height(height), m_Bits(bits), pData(nullptr), m_pData(nullptr)
{
    // A plane, so that the decoder's masks come from its kept blocks rather
    // than from the heap.
    m_pData = reinterpret_cast<unsigned char**>(MallocBufUncleared(width, height, bits));
    if (!m_pData)
        throw std::bad_alloc();
    pData = m_pData[0];
    SetDefaultValue(255);
}

CImageData::~CImageData()
{
    FreeBuf(reinterpret_cast<void**>(m_pData));
}

void CImageData::SetDefaultValue(unsigned char c)
{
    memset(pData, c, (size_t)RowBytes() * m_Height);
}
