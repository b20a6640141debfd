// SPDX-License-Identifier: Apache-2.0
#include "card_completion.h"

#include <QDebug>
#include <QGuiApplication>
#include <cstring>
#include <vector>

#include "card_kinds.h"
#include "dbglog.h"
#include "libvek2019.h"
#include "photo_bitmap.h"

namespace {

constexpr unsigned int kPayloadSize = 1024;

struct Faces {
    QString front;
    QString back;
};

Faces facesOf(ID_TYPE type, const ReadInfo& info)
{
    return CardKinds::visitKind(type, [&](auto kind) {
        return Faces{kind.frontBase64(info.*kind.record), kind.backBase64(info.*kind.record)};
    });
}

}  // namespace

READ_RESULT completePhoto(const unsigned char* readerPhoto, unsigned int photoLength, unsigned char* headImage)
{
    if (photoLength == kPayloadSize) {
        // unpack reads and writes through non-const pointers; work on copies.
        std::vector<char> payload(readerPhoto, readerPhoto + HEAD_IMAGE_BMP_SIZE);
        std::vector<char> raster(HEAD_IMAGE_BMP_SIZE, 0);
        if (unpack(payload.data(), raster.data(), 106) != 1) {
            qDebug() << "解码头像数据失败!";
            return PARSE_ERROR;
        }
        // Every consumer of headImage expects the bitmap file, so the decoded
        // raster is framed as one rather than stored bare.
        if (!frameRasterAsPhotoBitmap(reinterpret_cast<const unsigned char*>(raster.data()), headImage)) {
            qDebug() << "解码头像数据失败!";
            return PARSE_ERROR;
        }
        return READ_OK;
    }
    std::memcpy(headImage, readerPhoto, HEAD_IMAGE_BMP_SIZE);
    return READ_OK;
}

void composeFaces(ID_TYPE type, const ReadInfo& info)
{
    // Pictures need the GUI application object; without one Qt would end
    // the process, so the faces stay empty and the read still succeeds.
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        safe_write_fmt("no GUI application object, card faces left empty\n");
        info.pFrontBase64->clear();
        info.pBackBase64->clear();
        return;
    }
    Faces faces = facesOf(type, info);
    *info.pFrontBase64 = faces.front.toUtf8().toStdString();
    *info.pBackBase64 = faces.back.toUtf8().toStdString();
}
