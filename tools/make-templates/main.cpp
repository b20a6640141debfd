// SPDX-License-Identifier: Apache-2.0
// Draws the nine card templates and the icon into the directory given as the
// only argument (pelorin_lib/faces/Pics). Label places follow where the faces draw the
// values: the resident card in millimetres on a 400 x 254 picture, the others in
// pixels on 494 x 312 pictures.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QtGlobal>

#include <cstdio>
#include <functional>

#include "bmp_writer.h"
#include "card_art.h"

namespace {

const QSize kResidentSize(400, 254);
const QSize kLargeSize(494, 312);

const QColor kLabelBlue(30, 110, 175);
const QColor kTitleRed(190, 30, 40);
const QColor kTitleInk(40, 60, 90);

const CardPalette kResidentFrontPalette{QColor(232, 243, 250), QColor(250, 238, 232),
                                        QColor(190, 214, 232)};
const CardPalette kResidentBackPalette{QColor(236, 244, 250), QColor(246, 236, 226),
                                       QColor(200, 220, 236)};
const CardPalette kPermitPalette{QColor(236, 246, 240), QColor(232, 240, 250),
                                 QColor(196, 222, 210)};
const CardPalette kForeignerPalette{QColor(246, 242, 230), QColor(236, 240, 248),
                                    QColor(222, 210, 186)};

// Millimetres on the resident card to pixels of its 400 x 254 template, as the
// faces map them: the template is shown at 325 x 205 pixels on a 96 dpi screen.
QPointF residentPoint(qreal xMM, qreal yMM)
{
    const qreal pixelsPerMM = 96.0 / 25.4;
    return QPointF(xMM * pixelsPerMM * 400.0 / 325.0, yMM * pixelsPerMM * 254.0 / 205.0);
}

void residentLabel(QPainter& p, const QString& text, qreal xMM, qreal baselineMM)
{
    paintLabel(p, text, residentPoint(xMM, baselineMM), 13, kLabelBlue);
}

void drawResidentFront(QPainter& p)
{
    paintCardBody(p, kResidentSize, kResidentFrontPalette);
    paintGuilloche(p, QRectF(0, 0, 250, 254), kResidentFrontPalette.pattern);
    residentLabel(p, QStringLiteral("姓  名"), 5.5, 10.8);
    residentLabel(p, QStringLiteral("性  别"), 5.5, 17.3);
    residentLabel(p, QStringLiteral("民  族"), 25.0, 17.3);
    residentLabel(p, QStringLiteral("出  生"), 5.5, 23.8);
    residentLabel(p, QStringLiteral("年"), 25.2, 23.8);
    residentLabel(p, QStringLiteral("月"), 33.4, 23.8);
    residentLabel(p, QStringLiteral("日"), 41.4, 23.8);
    // The address runs from the top of its first line at 28 mm.
    residentLabel(p, QStringLiteral("住  址"), 5.5, 31.2);
    residentLabel(p, QStringLiteral("公民身份号码"), 5.5, 48.0);
}

void drawResidentBack(QPainter& p)
{
    paintCardBody(p, kResidentSize, kResidentBackPalette);
    paintGuilloche(p, QRectF(0, 120, 400, 134), kResidentBackPalette.pattern);
    paintEmblem(p, residentPoint(14.0, 13.5), 38);
    paintLabel(p, QStringLiteral("中华人民共和国"), residentPoint(30.0, 12.5), 24, kTitleRed, true,
               4.0);
    paintLabel(p, QStringLiteral("居民身份证"), residentPoint(30.0, 25.0), 36, kTitleRed, true,
               10.0);
    paintWall(p, QRectF(residentPoint(0.0, 29.0), residentPoint(85.6, 36.5)),
              QColor(205, 150, 130));
    residentLabel(p, QStringLiteral("签发机关"), 17.0, 41.5);
    residentLabel(p, QStringLiteral("有效期限"), 17.0, 48.5);
}

void drawPermitFront(QPainter& p)
{
    paintCardBody(p, kLargeSize, kPermitPalette);
    paintGuilloche(p, QRectF(0, 0, 300, 312), kPermitPalette.pattern);
    const int size = 15;
    paintLabel(p, QStringLiteral("姓名"), QPointF(36, 64), size, kLabelBlue);
    paintLabel(p, QStringLiteral("性别"), QPointF(36, 100), size, kLabelBlue);
    paintLabel(p, QStringLiteral("出生"), QPointF(36, 136), size, kLabelBlue);
    paintLabel(p, QStringLiteral("年"), QPointF(140, 136), size, kLabelBlue);
    paintLabel(p, QStringLiteral("月"), QPointF(192, 136), size, kLabelBlue);
    paintLabel(p, QStringLiteral("日"), QPointF(241, 136), size, kLabelBlue);
    paintLabel(p, QStringLiteral("住址"), QPointF(36, 174), size, kLabelBlue);
    paintLabel(p, QStringLiteral("公民身份号码"), QPointF(36, 269), size, kLabelBlue);
}

void drawPermitBack(QPainter& p, const QString& title, int firstBaseline)
{
    paintCardBody(p, kLargeSize, kPermitPalette);
    paintGuilloche(p, QRectF(0, 150, 494, 162), kPermitPalette.pattern);
    paintEmblem(p, QPointF(80, 82), 48);
    paintLabel(p, QStringLiteral("中华人民共和国"), QPointF(150, 70), 28, kTitleRed, true, 5.0);
    paintLabel(p, title, QPointF(150, 125), 34, kTitleRed, true, 6.0);
    paintLabel(p, QStringLiteral("签发机关"), QPointF(120, firstBaseline), 14, kLabelBlue);
    paintLabel(p, QStringLiteral("有效期限"), QPointF(120, firstBaseline + 23), 14, kLabelBlue);
    paintLabel(p, QStringLiteral("通行证号码"), QPointF(120, firstBaseline + 44), 14, kLabelBlue);
}

void foreignerLabel(QPainter& p, const QString& text, QPointF baseline)
{
    paintLabel(p, text, baseline, 11, kLabelBlue);
}

void drawForeignerNewFront(QPainter& p)
{
    paintCardBody(p, kLargeSize, kForeignerPalette);
    paintGuilloche(p, QRectF(0, 40, 310, 272), kForeignerPalette.pattern);
    paintLabel(p, QStringLiteral("中华人民共和国外国人永久居留身份证"), QPointF(47, 32), 14,
               kTitleRed, true, 1.0);
    foreignerLabel(p, QStringLiteral("姓名 / Name"), QPointF(47, 56));
    foreignerLabel(p, QStringLiteral("性别 / Sex"), QPointF(47, 134));
    foreignerLabel(p, QStringLiteral("出生日期 / Date of Birth"), QPointF(153, 134));
    foreignerLabel(p, QStringLiteral("国籍 / Nationality"), QPointF(47, 177));
    foreignerLabel(p, QStringLiteral("有效期限 / Period of Validity"), QPointF(47, 224));
    foreignerLabel(p, QStringLiteral("证件号码 / ID No."), QPointF(47, 271));
}

void drawForeigner2017Front(QPainter& p)
{
    paintCardBody(p, kLargeSize, kForeignerPalette);
    paintGuilloche(p, QRectF(0, 30, 310, 282), kForeignerPalette.pattern);
    paintLabel(p, QStringLiteral("中华人民共和国外国人永久居留证"), QPointF(48, 24), 13, kTitleRed,
               true, 1.0);
    foreignerLabel(p, QStringLiteral("性别 / Sex"), QPointF(48, 108));
    foreignerLabel(p, QStringLiteral("出生日期 / Date of Birth"), QPointF(154, 108));
    foreignerLabel(p, QStringLiteral("国籍 / Nationality"), QPointF(48, 149));
    foreignerLabel(p, QStringLiteral("有效期限 / Period of Validity"), QPointF(48, 186));
    foreignerLabel(p, QStringLiteral("签发机关 / Issuing Authority"), QPointF(48, 226));
    paintLabel(p, QStringLiteral("证件号码 / Card No."), QPointF(48, 265), 10, kLabelBlue);
}

void drawForeignerBackTitles(QPainter& p)
{
    paintCardBody(p, kLargeSize, kForeignerPalette);
    paintGuilloche(p, QRectF(0, 0, 494, 312), kForeignerPalette.pattern);
    paintEmblem(p, QPointF(78, 78), 46);
    paintLabel(p, QStringLiteral("中华人民共和国"), QPointF(146, 56), 22, kTitleRed, true, 4.0);
    paintLabel(p, QStringLiteral("外国人永久居留身份证"), QPointF(146, 90), 24, kTitleRed, true, 3.0);
    paintLabel(p, QStringLiteral("FOREIGN PERMANENT RESIDENT ID CARD"), QPointF(146, 114), 13,
               kTitleRed, true, 0.5);
}

void drawForeignerNewBack(QPainter& p)
{
    drawForeignerBackTitles(p);
    paintParagraph(p,
                   QStringLiteral("本证是外国人在中国境内永久居留的身份证件，可单独使用。"
                                  "持证人应妥善保管，不得转借他人。如有遗失，请及时向签发机关报告。"),
                   QRectF(40, 150, 414, 60), 13, kTitleInk);
    paintParagraph(p,
                   QStringLiteral("This card is the identity document of a foreigner with permanent "
                                  "residence in China and may be used on its own."),
                   QRectF(40, 206, 414, 40), 11, kTitleInk);
    paintLabel(p, QStringLiteral("签发机关：中华人民共和国国家移民管理局"), QPointF(40, 272), 13,
               kTitleInk);
}

void drawForeigner2017Back(QPainter& p)
{
    drawForeignerBackTitles(p);
    paintParagraph(p,
                   QStringLiteral("本证是外国人在中国境内永久居留的身份证件。持证人应妥善保管，"
                                  "不得涂改、转借他人。"),
                   QRectF(40, 150, 414, 50), 13, kTitleInk);
    paintParagraph(p,
                   QStringLiteral("This card is the identity document of a foreigner with permanent "
                                  "residence in China. The holder shall keep it safe and shall not "
                                  "alter it or lend it to others."),
                   QRectF(40, 206, 414, 60), 11, kTitleInk);
}

void drawIcon(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath card;
    card.addRoundedRect(QRectF(4, 14, 64, 44), 6, 6);
    p.fillPath(card, QColor(44, 120, 190));
    p.fillRect(QRectF(10, 22, 18, 22), QColor(235, 242, 250));
    for (int line = 0; line < 4; ++line)
        p.fillRect(QRectF(32, 22 + line * 7, 30 - line * 5, 3), QColor(235, 242, 250));
}

bool render(const QString& dir, const QString& name, QSize size, int bitsPerPixel,
            const std::function<void(QPainter&)>& draw)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        draw(painter);
    }
    const QString path = dir + QLatin1Char('/') + name;
    const bool written = bitsPerPixel > 0 ? writeBmp(image, bitsPerPixel, path)
                                          : image.save(path, "PNG");
    if (!written)
        std::fprintf(stderr, "make-templates: cannot write %s\n", qPrintable(path));
    return written;
}

}  // namespace

int main(int argc, char** argv)
{
    // Drawing needs no display; the fonts come from fontconfig either way.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-templates <output directory>\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(dir);

    bool ok = true;
    ok &= render(dir, "IDCardFront.bmp", kResidentSize, 32, drawResidentFront);
    ok &= render(dir, "IDCardBack.bmp", kResidentSize, 32, drawResidentBack);
    ok &= render(dir, "hmt_front.bmp", kLargeSize, 24, drawPermitFront);
    ok &= render(dir, "hm_back.bmp", kLargeSize, 24, [](QPainter& p) {
        drawPermitBack(p, QStringLiteral("港澳居民居住证"), 224);
    });
    ok &= render(dir, "tw_back.bmp", kLargeSize, 24, [](QPainter& p) {
        drawPermitBack(p, QStringLiteral("台湾居民居住证"), 223);
    });
    ok &= render(dir, "fnew_front.bmp", kLargeSize, 24, drawForeignerNewFront);
    ok &= render(dir, "fnew_back.bmp", kLargeSize, 24, drawForeignerNewBack);
    ok &= render(dir, "f2017_front.bmp", kLargeSize, 24, drawForeigner2017Front);
    ok &= render(dir, "f2017_back.bmp", kLargeSize, 24, drawForeigner2017Back);
    ok &= render(dir, "icon.png", QSize(72, 72), 0, drawIcon);
    return ok ? 0 : 1;
}
