// SPDX-License-Identifier: Apache-2.0
#include "card_templates.h"

#include <QImage>
#include <QMutex>
#include <QMutexLocker>
#include <QPainter>
#include <map>
#include <tuple>

#include "tools.h"

namespace CardTemplates {

namespace {

// Decoding, scaling and copying a template for every face allocated three
// large pictures per face; freed at the end of each read, their pages went
// back to the system and the next read faulted them all in again. So the
// templates are decoded once per process and each thread draws on pictures of
// its own, allocated once.
using Key = std::tuple<QString, int, int>;

// Images, not pixmaps, are shared between threads: their sharing is thread-safe.
QImage cachedTemplate(const QString& path, QSize size)
{
    static QMutex mutex;
    static std::map<Key, QImage> templates;
    QMutexLocker locker(&mutex);
    const Key key(path, size.width(), size.height());
    const auto found = templates.find(key);
    if (found != templates.end())
        return found->second;
    QImage image = Tools::bmpFileToPixmap(path).toImage();
    if (image.isNull())
        return image;
    if (size.isValid())
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    templates.emplace(key, image);
    return image;
}

}  // namespace

QPixmap& canvas(const QString& path, QSize size, qreal pixelRatio)
{
    thread_local std::map<Key, QPixmap> canvases;
    QPixmap& face = canvases[Key(path, size.width(), size.height())];
    const QImage blank = cachedTemplate(path, size);
    if (blank.isNull()) {
        face = QPixmap();
        return face;
    }
    if (face.size() != blank.size() || face.hasAlphaChannel() != blank.hasAlphaChannel() ||
        face.devicePixelRatioF() != pixelRatio) {
        face = QPixmap::fromImage(blank.copy());
        face.setDevicePixelRatio(pixelRatio);
    } else {
        // Drawn in the face's own units, the blank must be of its pixel ratio
        // to cover it pixel for pixel.
        QImage blankAtRatio = blank;
        blankAtRatio.setDevicePixelRatio(pixelRatio);
        QPainter painter(&face);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, blankAtRatio);
    }
    return face;
}

}  // namespace CardTemplates
