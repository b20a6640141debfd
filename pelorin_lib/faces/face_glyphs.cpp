// SPDX-License-Identifier: Apache-2.0
#include "face_glyphs.h"

#include <QFontMetrics>

#include <atomic>

#include "dbglog.h"

namespace FaceGlyphs {

namespace {

thread_local Watch* t_watch = nullptr;

// Spaces and control characters draw no glyph: nothing to miss there.
bool drawable(const QString& text, const QFont& font)
{
    const QFontMetrics metrics(font);
    for (int i = 0; i < text.size(); ++i) {
        uint ucs4 = text.at(i).unicode();
        if (QChar::isHighSurrogate(ucs4) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ucs4 = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            ++i;
        }
        if (QChar::isPrint(ucs4) && !QChar::isSpace(ucs4) && !metrics.inFontUcs4(ucs4))
            return false;
    }
    return true;
}

}  // namespace

Watch::Watch() : m_outer(t_watch)
{
    t_watch = this;
}

Watch::~Watch()
{
    t_watch = m_outer;
}

void check(const QString& text, const QFont& font)
{
    if (drawable(text, font))
        return;
    for (Watch* watch = t_watch; watch != nullptr; watch = watch->m_outer)
        watch->m_missed = true;
    static std::atomic_bool logged{false};
    if (!logged.exchange(true))
        safe_write_fmt("[%s(%d)<%s>] no installed font draws all the card faces' text (Chinese shows "
                       "as boxes): install the package fonts-noto-cjk\n",
                       LOG_AT);
}

}  // namespace FaceGlyphs
