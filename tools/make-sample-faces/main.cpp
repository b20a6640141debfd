// SPDX-License-Identifier: Apache-2.0
// Writes the faces of the sample cards as JPEG files into the directory given
// as the only argument, to look at them. Needs a display (or the offscreen
// platform, whose 100 dpi make the resident faces slightly larger).
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QString>

#include <cstdio>

#include <pelorin/makecardimg.h>
#include "sample_cards.h"

namespace {

bool writeFace(const QString& dir, const char* name, const QString& base64)
{
    const QString path = dir + QLatin1Char('/') + QLatin1String(name) + QLatin1String(".jpg");
    QFile file(path);
    const QByteArray jpeg = QByteArray::fromBase64(base64.toLatin1());
    if (jpeg.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(jpeg) != jpeg.size()) {
        std::fprintf(stderr, "make-sample-faces: no picture for %s\n", qPrintable(path));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-sample-faces <output directory>\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(dir);

    auto cn = SampleCards::resident();
    auto hk = SampleCards::hongKongPermit();
    auto tw = SampleCards::taiwanPermit();
    auto fnew = SampleCards::foreignerNew();
    auto f2017 = SampleCards::foreigner2017();
    bool ok = true;
    ok &= writeFace(dir, "cn_front", MakeCardImg::makeIDCardCNFrontBase64(cn.get()));
    ok &= writeFace(dir, "cn_back", MakeCardImg::makeIDCardCNBackBase64(cn.get()));
    ok &= writeFace(dir, "hmt_front", MakeCardImg::makeIDCardHmtFrontBase64(hk.get()));
    ok &= writeFace(dir, "hmt_back_hk", MakeCardImg::makeIDCardHmtBackBase64(hk.get()));
    ok &= writeFace(dir, "hmt_back_tw", MakeCardImg::makeIDCardHmtBackBase64(tw.get()));
    ok &= writeFace(dir, "fnew_front", MakeCardImg::makeIDCardFNewFrontBase64(fnew.get()));
    ok &= writeFace(dir, "fnew_back", MakeCardImg::makeIDCardFNewBackBase64(fnew.get()));
    ok &= writeFace(dir, "f2017_front", MakeCardImg::makeIDCardF2017FrontBase64(f2017.get()));
    ok &= writeFace(dir, "f2017_back", MakeCardImg::makeIDCardF2017BackBase64(f2017.get()));
    return ok ? 0 : 1;
}
