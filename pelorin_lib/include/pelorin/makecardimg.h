// SPDX-License-Identifier: Apache-2.0
// MakeCardImg: composes the front and back pictures of each card kind from the
// embedded templates and returns them as base64 JPEG text (empty on failure).
#pragma once

#include <QPointF>
#include <QSizeF>
#include <QString>

#include "pelorin_api.h"

class MakeCardImg {
public:
    // Millimetres on the card to pixels on the primary screen.
    static QPointF getPixelPosFromMMPos(QPointF pointPos);
    // The card's physical size (85.6 x 54.0 mm) in screen pixels.
    static QSizeF getCardRealPixelSize();
    // Mean ratio between the card's screen size and the pixel size of the picture.
    static qreal getRealScaleRatio(QString bmpFilePath);

    static QString makeIDCardCNFrontBase64(IDCARD_INFO_ALL_CN* idcard_info_all_cn);
    static QString makeIDCardCNBackBase64(IDCARD_INFO_ALL_CN* idcard_info_all_cn);
    static QString makeIDCardHmtFrontBase64(IDCARD_INFO_ALL_HMT* idcard_info_all_hmt);
    static QString makeIDCardHmtBackBase64(IDCARD_INFO_ALL_HMT* idcard_info_all_hmt);
    static QString makeIDCardFNewFrontBase64(IDCARD_INFO_ALL_FOREIGN_NEW* idcard_info_all_fnew);
    static QString makeIDCardFNewBackBase64(IDCARD_INFO_ALL_FOREIGN_NEW* idcard_info_all_fnew);
    static QString makeIDCardF2017FrontBase64(IDCARD_INFO_ALL_FOREIGN_2017* idcard_info_all_f2017);
    static QString makeIDCardF2017BackBase64(IDCARD_INFO_ALL_FOREIGN_2017* idcard_info_all_f2017);
};
