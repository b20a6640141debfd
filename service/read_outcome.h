// SPDX-License-Identifier: Apache-2.0
// What one read of the card gives the clients: the result, and on success
// the card's JSON with the photo and faces ready to send.
#pragma once

#include "card_read.h"

#include <QJsonObject>
#include <QMetaType>
#include <QString>

#include <memory>

struct ReadOutcome {
    int result = 0;        // a READ_RESULT value
    QJsonObject card;      // the card JSON pelorin-read prints
    QString photoPng;      // the holder's photo, PNG in base64
    QString frontJpeg;     // the card's faces, JPEG in base64, as readIDCard returns them
    QString backJpeg;
    std::shared_ptr<const CardRead> read;  // the card itself, for a copy a request asks for
};
Q_DECLARE_METATYPE(ReadOutcome)
