// SPDX-License-Identifier: Apache-2.0
#include "card_reader.h"

#include "card_check.h"
#include "card_json.h"
#include "pelorin_kit.h"

#include <QBuffer>
#include <QImage>

#include <memory>

namespace {

// zlib level 1: the default level costs more time than the read's own work
// around it for a photo of 38 KB, and saves only a few kilobytes.
constexpr int kPngQuality = 80;

QString pngBase64(const unsigned char* bitmap)
{
    const QImage photo = QImage::fromData(bitmap, HEAD_IMAGE_BMP_SIZE, "BMP");
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (photo.isNull() || !photo.save(&buffer, "PNG", kPngQuality))
        return {};
    return QString::fromLatin1(png.toBase64());
}

ReadOutcome outcomeOf(READ_RESULT result, const std::shared_ptr<const CardRead>& card)
{
    const CardRead& read = *card;
    ReadOutcome outcome;
    outcome.result = result;
    if (result != READ_OK)
        return outcome;
    if (idTypeName(read.idType) == nullptr) {
        outcome.result = UNSUPPORT_CARD;
        return outcome;
    }
    outcome.card = cardJson(read, {});
    outcome.photoPng = pngBase64(read.headImage());
    outcome.frontJpeg = QString::fromStdString(read.frontBase64);
    outcome.backJpeg = QString::fromStdString(read.backBase64);
    outcome.read = card;
    return outcome;
}

}  // namespace

void CardReader::read()
{
    // The C++ API prints its progress on standard output for the programs
    // built on it; a service's output is its journal, which gets the
    // service's own lines only.
    const pelorin_kit::GuestMode quiet;
    auto read = std::make_shared<CardRead>();
    const READ_RESULT result = readCardRecords(*read);
    emit readDone(outcomeOf(result, read));
}

void CardReader::probe()
{
    emit probed(checkForCard());
}
