// SPDX-License-Identifier: Apache-2.0
// The blank card pictures the faces are drawn on.
#pragma once

#include <QPixmap>
#include <QSize>
#include <QString>

namespace CardTemplates {

// A picture holding the template at path (a resource), smoothly scaled to size
// when size is valid; null when the template does not load. The picture has
// the device pixel ratio pixelRatio, so that painting on it in the template's
// own pixels fills an enlarged picture. It is the calling thread's own and is
// handed out again for the next face of the same template and size, so it is
// valid until then.
QPixmap& canvas(const QString& path, QSize size = QSize(), qreal pixelRatio = 1.0);

}  // namespace CardTemplates
