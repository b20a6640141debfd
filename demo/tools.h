// SPDX-License-Identifier: Apache-2.0
// The demo's own helper class. It shares its name with the reader library's
// drawing toolkit but not a single member, so the two never collide.
#pragma once

#include <QPixmap>
#include <QString>

class Tools {
public:
    Tools() = default;

    // Picture of a face as the library returns it (base64 text of a JPEG);
    // a null pixmap when the text holds no loadable JPEG.
    static QPixmap base64ToJpg(const QString &base64Text);
};
