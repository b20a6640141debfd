// SPDX-License-Identifier: Apache-2.0
#include "card_files.h"

#include "card_copy.h"
#include "private_file.h"

#include <QByteArray>

#include <cerrno>
#include <cstdio>

namespace {

QString writeFace(const QString& fileName, const std::string& base64, bool& allWritten)
{
    if (base64.empty())
        return "not available";
    const auto decoded = QByteArray::fromBase64Encoding(QByteArray::fromStdString(base64),
                                                        QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.isEmpty())
        return "not available: the face is not valid base64";
    return writeCardFile(fileName, decoded.decoded, allWritten);
}

QString writeCopy(const CardFileNames& options, const CardRead& read, bool& allWritten)
{
    const QByteArray copy = cardCopy(read, copyFormatOfFile(options.copyFile).value_or(CopyFormat::Pdf),
                                     options.watermark);
    if (copy.isEmpty())
        return "not available";
    return writeCardFile(options.copyFile, copy, allWritten);
}

}  // namespace

// All of data or nothing, so a failed write leaves no partial file; card
// data, so readable by its owner only.
QString writeCardFile(const QString& fileName, const QByteArray& data, bool& allWritten)
{
    QString why;
    if (writePrivateFile(fileName, data, &why) == PrivateFileResult::Written)
        return fileName;
    allWritten = false;
    const QString entry = "could not be written: " + why;
    // The JSON may go to a program; the person at the terminal reads this.
    fprintf(stderr, "%s: %s %s\n", program_invocation_short_name, qPrintable(fileName), qPrintable(entry));
    return entry;
}

QJsonObject writeCardFiles(const CardFileNames& options, const CardRead& read, bool& allWritten)
{
    allWritten = true;
    QJsonObject files;
    const unsigned char* photo = read.headImage();
    if (!options.photoFile.isEmpty() && photo != nullptr) {
        const QByteArray bitmap(reinterpret_cast<const char*>(photo), HEAD_IMAGE_BMP_SIZE);
        files["photo"] = writeCardFile(options.photoFile, bitmap, allWritten);
    }
    if (!options.frontFile.isEmpty())
        files["front"] = writeFace(options.frontFile, read.frontBase64, allWritten);
    if (!options.backFile.isEmpty())
        files["back"] = writeFace(options.backFile, read.backBase64, allWritten);
    if (!options.copyFile.isEmpty())
        files["copy"] = writeCopy(options, read, allWritten);
    return files;
}
