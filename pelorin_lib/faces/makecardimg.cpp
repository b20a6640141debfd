// SPDX-License-Identifier: Apache-2.0
#include "makecardimg.h"

#include <QDebug>
#include <QPixmap>

#include "card_faces.h"
#include "face_drawing.h"
#include "permit_faces.h"
#include "tools.h"

using FaceDrawing::kCardHeightMM;
using FaceDrawing::kCardWidthMM;

namespace {

template <typename Record>
QString base64Face(Record* record, const QPixmap& (*compose)(const Record&))
{
    return record ? Tools::convertPixmapToBase64ViaJpg(compose(*record)) : QString();
}

}  // namespace

QPointF MakeCardImg::getPixelPosFromMMPos(QPointF pointPos)
{
    return QPointF(pointPos.x() * Tools::getmm2Pixel(), pointPos.y() * Tools::getmm2Pixel());
}

QSizeF MakeCardImg::getCardRealPixelSize()
{
    const qreal width = kCardWidthMM * Tools::getmm2Pixel();
    const qreal height = kCardHeightMM * Tools::getmm2Pixel();
    qDebug() << "Card pixWidthScreen=" << width << "Card pixHeightScreen=" << height;
    return QSizeF(width, height);
}

qreal MakeCardImg::getRealScaleRatio(QString bmpFilePath)
{
    const qreal factor = Tools::getmm2Pixel();
    const QSizeF picture(Tools::getBmpSize(bmpFilePath));
    return (kCardWidthMM * factor / picture.width() + kCardHeightMM * factor / picture.height()) / 2;
}

QString MakeCardImg::makeIDCardCNFrontBase64(IDCARD_INFO_ALL_CN* idcard_info_all_cn)
{
    return base64Face(idcard_info_all_cn, CardFaces::cnFront);
}

QString MakeCardImg::makeIDCardCNBackBase64(IDCARD_INFO_ALL_CN* idcard_info_all_cn)
{
    return base64Face(idcard_info_all_cn, CardFaces::cnBack);
}

QString MakeCardImg::makeIDCardHmtFrontBase64(IDCARD_INFO_ALL_HMT* idcard_info_all_hmt)
{
    return base64Face(idcard_info_all_hmt, CardFaces::hmtFront);
}

QString MakeCardImg::makeIDCardHmtBackBase64(IDCARD_INFO_ALL_HMT* idcard_info_all_hmt)
{
    // A number without a back template gives no picture and no log line.
    int firstBaseline = 0;
    if (!idcard_info_all_hmt ||
        PermitFaces::backTemplate(idcard_info_all_hmt->idTextInfoHMT, firstBaseline).isEmpty())
        return QString();
    return base64Face(idcard_info_all_hmt, CardFaces::hmtBack);
}

QString MakeCardImg::makeIDCardFNewFrontBase64(IDCARD_INFO_ALL_FOREIGN_NEW* idcard_info_all_fnew)
{
    return base64Face(idcard_info_all_fnew, CardFaces::foreignNewFront);
}

QString MakeCardImg::makeIDCardF2017FrontBase64(IDCARD_INFO_ALL_FOREIGN_2017* idcard_info_all_f2017)
{
    return base64Face(idcard_info_all_f2017, CardFaces::foreign2017Front);
}

QString MakeCardImg::makeIDCardFNewBackBase64(IDCARD_INFO_ALL_FOREIGN_NEW*)
{
    return Tools::convertPixmapToBase64ViaJpg(CardFaces::foreignNewBack());
}

QString MakeCardImg::makeIDCardF2017BackBase64(IDCARD_INFO_ALL_FOREIGN_2017*)
{
    return Tools::convertPixmapToBase64ViaJpg(CardFaces::foreign2017Back());
}
