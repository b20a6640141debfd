// SPDX-License-Identifier: Apache-2.0
// A copy of the card as a desk files or prints it: one A4 portrait page with
// the front above the back, each at the card's real size (ISO/IEC 7810 ID-1,
// 85.60 x 53.98 mm), and optionally a line saying what the copy is for
// across both faces, so that a copy that leaks cannot be used for anything
// else.
#pragma once

#include "card_read.h"

#include <QByteArray>
#include <QString>

#include <optional>

enum class CopyFormat { Pdf, Png };

// "pdf" or "png", in any case.
std::optional<CopyFormat> copyFormatNamed(const QString& name);
// By the file name's suffix, ".pdf" or ".png" in any case.
std::optional<CopyFormat> copyFormatOfFile(const QString& fileName);

// The page as a PDF file, or as a PNG picture of 300 dots per inch. The faces
// are composed afresh at 300 dots per inch; the watermark, when not empty, is
// written across each face, semi-transparent, in rows that leave no part of
// it free (as text in the PDF). Empty when the faces cannot be composed: the
// process has no Qt GUI application object, or the card is of no known kind.
// Runs where faces are composed: on a thread of a process with a GUI
// application object.
QByteArray cardCopy(const CardRead& read, CopyFormat format, const QString& watermark);
