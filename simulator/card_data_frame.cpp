// SPDX-License-Identifier: Apache-2.0
#include "card_data_frame.h"

#include "card_file.h"
#include "data_frame.h"
#include "text_block_writer.h"

bool cardDataFrame(const QString& cardPath, cardproto::Bytes& frame, QString& problem)
{
    SimulatedCard card;
    if (!loadCardFile(cardPath, card, problem))
        return false;
    const int fp = card.fingerprints.size();
    if (card.photo.size() != int(cardproto::kPhotoBlockSize) || (fp != 0 && fp != 512 && fp != 1024)) {
        problem = QStringLiteral("a reader sends a 1024-byte photo payload and 0, 512 or 1024 bytes "
                                 "of fingerprints; this card has %1 and %2")
                      .arg(card.photo.size())
                      .arg(fp);
        return false;
    }
    uint8_t text[cardproto::kTextBlockSize];
    cardproto::writeTextBlock(card.info, text);
    frame = cardproto::buildDataFrame(text, reinterpret_cast<const uint8_t*>(card.photo.constData()),
                                      reinterpret_cast<const uint8_t*>(card.fingerprints.constData()),
                                      size_t(fp));
    return true;
}
