// SPDX-License-Identifier: Apache-2.0
#include "common.h"

#include "private_file.h"

#include <QByteArray>
#include <QDebug>
#include <QFile>
#include <iconv.h>

#include <algorithm>
#include <cstring>
#include <cwchar>

namespace {
// The longest text field a reader delivers, in bytes.
constexpr size_t kMaxFieldBytes = 120;
}  // namespace

void CCommon::uchar2wchar(unsigned char* uchar, size_t uchar_count, wchar_t* wchar)
{
    const size_t units = uchar_count / 2;
    for (size_t i = 0; i < units; ++i)
        wchar[i] = static_cast<wchar_t>(uchar[2 * i] | (uchar[2 * i + 1] << 8));
    wchar[units] = 0;
}

std::string CCommon::unicode2Utf8Str(unsigned char* uStr, size_t uchar_count)
{
    if (uStr == nullptr)
        return std::string();
    wchar_t wide[kMaxFieldBytes / 2 + 1];
    uchar2wchar(uStr, std::min(uchar_count, kMaxFieldBytes), wide);
    return QString::fromWCharArray(wide, static_cast<int>(wcslen(wide))).toStdString();
}

void CCommon::iconv_ex(const char* szSrcCode, char* pszSrcBuf, int iSrcSize, const char* szDstCode,
                       char* pszDstBuf, int iDstSize)
{
    iconv_t cd = iconv_open(szDstCode, szSrcCode);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return;
    char* in = pszSrcBuf;
    char* out = pszDstBuf;
    // A negative size would turn into a huge unsigned count: convert nothing then.
    size_t inLeft = iSrcSize > 0 ? static_cast<size_t>(iSrcSize) : 0;
    size_t outLeft = iDstSize > 0 ? static_cast<size_t>(iDstSize) : 0;
    iconv(cd, &in, &inLeft, &out, &outLeft);
    iconv_close(cd);
}

int CCommon::Bgr2Bmp(unsigned char* dst, int& dst_size, const unsigned char* src, int src_size,
                     int width, int height)
{
    // 64-bit sizes, so hostile dimensions cannot wrap around into a match.
    const long long rasterRow = 3LL * width;
    const long long stride = (rasterRow + 3) / 4 * 4;
    if (width <= 0 || height <= 0 || src_size != rasterRow * height)
        return -1;
    if (dst_size < stride * height)
        return -2;

    std::memset(dst, 0, static_cast<size_t>(dst_size));
    for (long long i = 0; i < height; ++i) {
        const unsigned char* in = src + rasterRow * i;
        unsigned char* out = dst + stride * i;
        for (long long j = 0; j < width; ++j) {
            out[3 * j] = in[3 * j + 2];
            out[3 * j + 1] = in[3 * j + 1];
            out[3 * j + 2] = in[3 * j];
        }
    }
    dst_size = static_cast<int>(stride * height);
    return 0;
}

void CCommon::saveByteDataToFile(uint8_t* byteData, int data_len, QString file_name)
{
    // QByteArray reads a negative length as "up to the first zero byte"; refuse
    // instead of reading past the caller's buffer.
    if (data_len < 0 || (byteData == nullptr && data_len > 0)) {
        qWarning() << "Invalid data to write:" << data_len << "bytes.";
        return;
    }
    const QByteArray data(reinterpret_cast<const char*>(byteData), data_len);
    // The bytes are a card holder's fingerprints: readable by the owner only,
    // and all of them or none, so a full disk is not reported as success.
    switch (writePrivateFile(file_name, data)) {
    case PrivateFileResult::Written:
        qDebug() << "Successfully wrote" << data_len << "bytes to the file.";
        break;
    case PrivateFileResult::NotOpened: qCritical() << "Failed to open the file for writing."; break;
    case PrivateFileResult::NotWritten:
        qDebug() << "wrote" << 0 << "bytes to the file, "
                 << "want to write " << data_len << "bytes to the file.";
        break;
    }
}

bool CCommon::fileRename(QString origFileName, QString newFileName)
{
    if (QFile::rename(origFileName, newFileName))
        return true;
    qDebug() << "rename fail!";
    return false;
}

bool CCommon::fileExist(QString fileName)
{
    return QFile::exists(fileName);
}

bool CCommon::fileRemove(QString fileName)
{
    if (!QFile::exists(fileName))
        return false;
    return QFile::remove(fileName);
}

std::string CCommon::trim(std::string rawStr)
{
    const char* blanks = " \t";
    const size_t first = rawStr.find_first_not_of(blanks);
    if (first == std::string::npos)
        return std::string();
    const size_t last = rawStr.find_last_not_of(blanks);
    return rawStr.substr(first, last - first + 1);
}
