// SPDX-License-Identifier: Apache-2.0
// Whether the faces' text can be drawn: without a CJK font (Debian's
// fonts-noto-cjk) every Chinese character of a face comes out as a box, and
// a read must say so instead of handing the faces out as good ones.
#pragma once

#include <QFont>
#include <QString>

namespace FaceGlyphs {

// Checks text that is about to be drawn in font on the calling thread. A
// character that neither the font nor Qt's fallback fonts can draw marks the
// thread's Watch and, the first time in the process, goes to the log.
void check(const QString& text, const QFont& font);

// While it lives, collects what check() finds on the calling thread.
class Watch {
public:
    Watch();
    ~Watch();
    Watch(const Watch&) = delete;
    Watch& operator=(const Watch&) = delete;

    // Whether some text checked since its start could not be drawn.
    bool missed() const { return m_missed; }

private:
    friend void check(const QString& text, const QFont& font);
    bool m_missed = false;
    Watch* const m_outer;
};

}  // namespace FaceGlyphs
