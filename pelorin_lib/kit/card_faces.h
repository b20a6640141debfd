// SPDX-License-Identifier: Apache-2.0
// The card faces as pictures, at the screen's resolution or at a printer's.
// MakeCardImg hands them out as base64 JPEG text; a true-size copy of the
// card takes them as they are drawn.
#pragma once

#include <QPixmap>
#include <QtGlobal>

#include <pelorin/pelorin_api.h>

namespace CardFaces {

// While an object of this class lives, the faces composed on its thread are
// drawn for dotsPerInch instead of the primary screen: the resident card's
// millimetres are converted at that resolution, and the other cards' faces,
// laid out in the pixels of their templates, are drawn on a picture as many
// times larger, so that they too cover the card's 85.6 mm at dotsPerInch.
class PrintResolution {
public:
    explicit PrintResolution(qreal dotsPerInch);
    ~PrintResolution();
    PrintResolution(const PrintResolution&) = delete;
    PrintResolution& operator=(const PrintResolution&) = delete;

    // The resolution asked for on the calling thread; 0 when the faces
    // follow the screen.
    static qreal dotsPerInch();
    // How many dots make one pixel of the faces' design, drawn for a screen
    // of 96 dots per inch: the few lengths the composer gives in pixels
    // keep their size on the card. 1 when the faces follow the screen.
    static qreal designPixel();

private:
    qreal m_outer;
};

// The faces exactly as MakeCardImg draws them before encoding; null where
// it gives an empty text. Each picture is the calling thread's own and is
// drawn on again by the next face of the same template: copy what you keep.
const QPixmap& cnFront(const IDCARD_INFO_ALL_CN& card);
const QPixmap& cnBack(const IDCARD_INFO_ALL_CN& card);
const QPixmap& hmtFront(const IDCARD_INFO_ALL_HMT& card);
const QPixmap& hmtBack(const IDCARD_INFO_ALL_HMT& card);
const QPixmap& foreignNewFront(const IDCARD_INFO_ALL_FOREIGN_NEW& card);
const QPixmap& foreignNewBack();
const QPixmap& foreign2017Front(const IDCARD_INFO_ALL_FOREIGN_2017& card);
const QPixmap& foreign2017Back();

}  // namespace CardFaces
