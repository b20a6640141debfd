// SPDX-License-Identifier: Apache-2.0
// CCommon: text, bitmap and file helpers shared by the read path and the raw
// card parser. No state; every operation is static.
#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <string>

class CCommon {
public:
    // UTF-8 text of a little-endian UCS-2 field of uchar_count bytes, ending at
    // the first zero unit. Fields longer than the longest card field (120 bytes)
    // are cut there.
    static std::string unicode2Utf8Str(unsigned char* uStr, size_t uchar_count);

    // Widens uchar_count / 2 little-endian 16-bit units into wchar and ends it
    // with a zero; wchar must hold uchar_count / 2 + 1 elements.
    static void uchar2wchar(unsigned char* uchar, size_t uchar_count, wchar_t* wchar);

    // Converts iSrcSize bytes between character sets through iconv. The output
    // holds whatever was converted; it is left untouched when the pair of sets
    // is not available.
    static void iconv_ex(const char* szSrcCode, char* pszSrcBuf, int iSrcSize,
                         const char* szDstCode, char* pszDstBuf, int iDstSize);

    // Frames a bare RGB raster (width x height pixels, no padding) as the pixel
    // rows of a 24-bit bitmap file: blue and red swapped, rows padded to four
    // bytes. Returns 0 and sets dst_size to the bytes used, -1 when src_size
    // does not fit the dimensions, -2 when dst is too small.
    static int Bgr2Bmp(unsigned char* dst, int& dst_size, const unsigned char* src, int src_size,
                       int width, int height);

    static void saveByteDataToFile(uint8_t* byteData, int data_len, QString file_name);
    static bool fileRename(QString origFileName, QString newFileName);
    static bool fileExist(QString fileName);
    static bool fileRemove(QString fileName);

    // Strips leading and trailing spaces and tabs.
    static std::string trim(std::string rawStr);
};
