// SPDX-License-Identifier: Apache-2.0
// Writes the photo, face and copy files of a read that a program asks for
// (pelorin-read's command line), readable by their owner only.
#pragma once

#include "card_read.h"

#include <QJsonObject>
#include <QString>

// The files asked for; an empty name: not that file.
struct CardFileNames {
    QString photoFile;
    QString frontFile;
    QString backFile;
    QString copyFile;   // the true-size copy of both faces, .pdf or .png
    QString watermark;  // across the faces of the copy; empty: none
};

// Writes all of data or nothing, mode 0600; returns the file name, or why it
// could not be written (allWritten then turns false), which also goes to
// standard error with the file name.
QString writeCardFile(const QString& fileName, const QByteArray& data, bool& allWritten);

// One entry per requested file ("photo", "front", "back", "copy"): the file name when
// it was written, otherwise why not. allWritten turns false when a file that
// had data could not be written.
QJsonObject writeCardFiles(const CardFileNames& names, const CardRead& read, bool& allWritten);
