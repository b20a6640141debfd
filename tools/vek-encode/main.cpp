// SPDX-License-Identifier: Apache-2.0
// Turns a picture into a card photo payload:
//   vek-encode <picture> <payload> [--level N] [--preview <decoded picture>]
// The picture (any format Qt reads) is scaled to 102 x 126; the payload is
// the 1024 bytes a card stores. --preview decodes the payload again with
// libvekORN and saves what a reader would show.
#include "PhotoEncoder.h"
#include "libvek2019.h"

#include <QFile>
#include <QImage>
#include <QString>

#include <cstdio>
#include <vector>

namespace {

const int WIDTH = 102;
const int HEIGHT = 126;

std::vector<uint8_t> PictureBytes(const QImage& source)
{
    const QImage picture = source.convertToFormat(QImage::Format_RGB888)
                               .scaled(WIDTH, HEIGHT, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    std::vector<uint8_t> rgb;
    for (int r = 0; r < HEIGHT; ++r) {
        const uchar* line = picture.constScanLine(r);
        rgb.insert(rgb.end(), line, line + WIDTH * 3);
    }
    return rgb;
}

// The raster comes bottom row first.
bool SavePreview(Bytes payload, const QString& path)
{
    std::vector<char> raster(WIDTH * HEIGHT * 3);
    if (unpack(reinterpret_cast<char*>(payload.data()), raster.data(), 0) != 1)
        return false;
    QImage picture(WIDTH, HEIGHT, QImage::Format_RGB888);
    for (int r = 0; r < HEIGHT; ++r)
        std::copy_n(&raster[(HEIGHT - 1 - r) * WIDTH * 3], WIDTH * 3, picture.scanLine(r));
    return picture.save(path);
}

int Usage()
{
    std::fprintf(stderr, "usage: vek-encode <picture> <payload> [--level N] [--preview <picture>]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return Usage();
    int level = 4;
    QString preview;
    for (int i = 3; i < argc; ++i) {
        const QString option = QString::fromLocal8Bit(argv[i]);
        if (option == "--level" && i + 1 < argc) {
            level = QString::fromLocal8Bit(argv[++i]).toInt();
        } else if (option == "--preview" && i + 1 < argc) {
            preview = QString::fromLocal8Bit(argv[++i]);
        } else {
            return Usage();
        }
    }
    if (level < 1 || level > 8) {
        std::fprintf(stderr, "vek-encode: level must be 1 to 8\n");
        return 2;
    }
    const QImage source(QString::fromLocal8Bit(argv[1]));
    if (source.isNull()) {
        std::fprintf(stderr, "vek-encode: cannot read %s\n", argv[1]);
        return 1;
    }
    const Bytes payload = Encode_Photo(PictureBytes(source), level);
    QFile out(QString::fromLocal8Bit(argv[2]));
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(reinterpret_cast<const char*>(payload.data()), static_cast<qint64>(payload.size())) !=
            static_cast<qint64>(payload.size())) {
        std::fprintf(stderr, "vek-encode: cannot write %s\n", argv[2]);
        return 1;
    }
    out.close();
    if (!preview.isEmpty() && !SavePreview(payload, preview)) {
        std::fprintf(stderr, "vek-encode: cannot decode or save the preview\n");
        return 1;
    }
    return 0;
}
