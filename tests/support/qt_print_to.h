// SPDX-License-Identifier: Apache-2.0
// Readable Qt strings in test failure messages.
#pragma once

#include <QString>
#include <QStringList>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }
inline void PrintTo(const QStringList& lines, std::ostream* os)
{
    *os << "[\"" << lines.join("\", \"").toStdString() << "\"]";
}
