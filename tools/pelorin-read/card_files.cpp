// SPDX-License-Identifier: Apache-2.0
#include "card_files.h"

#include <QByteArray>
#include <QSaveFile>

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

}  // namespace

// All of data or nothing, so a failed write leaves no partial file.
QString writeCardFile(const QString& fileName, const QByteArray& data, bool& allWritten)
{
    QSaveFile file(fileName);
    if (file.open(QIODevice::WriteOnly) && file.write(data) == data.size() && file.commit())
        return fileName;
    allWritten = false;
    return "could not be written: " + file.errorString();
}

QJsonObject writeCardFiles(const ReadOptions& options, const CardRead& read, bool& allWritten)
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
    return files;
}
