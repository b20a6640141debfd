#include "card_reader.h"

#include "card_json.h"

#include <QBuffer>
#include <QImage>

#include <kvsdecompose.h>
#include <pelorin/mps_reader.h>

#include <memory>

namespace {

constexpr int kProbeLockMs = 8000;  // as long as a read may take
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

ReadOutcome outcomeOf(READ_RESULT result, const CardRead& read)
{
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
    return outcome;
}

}  // namespace

void CardReader::read()
{
    auto read = std::make_unique<CardRead>();
    const READ_RESULT result = readIDCard(&read->idType, &read->cn, &read->foreign2017, &read->foreignNew,
                                          &read->hmt, &read->frontBase64, &read->backBase64);
    emit readDone(outcomeOf(result, *read));
}

void CardReader::probe()
{
    // The library's read lock keeps the probe off the reader while a read,
    // even one whose call has timed out, still uses it.
    if (!CMpsReader::s_mtxRead.tryLock(kProbeLockMs)) {
        emit probed(DEV_IS_BUSY);
        return;
    }
    int result = DEV_IS_BUSY;
    if (CMpsReader::getReaderStatus() == DEV_UNINIT) {
        if (KVS_OpenPort(KVS_PORT) != KVS_OK) {
            result = OPEN_DEV_FAIL;
        } else {
            result = KVS_FindIDCard(KVS_PORT) == KVS_OK ? READ_OK : READ_NO_DATA;
            KVS_ClosePort(KVS_PORT);
        }
    }
    CMpsReader::s_mtxRead.unlock();
    emit probed(result);
}
