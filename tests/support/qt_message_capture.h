// SPDX-License-Identifier: Apache-2.0
// Collects the messages sent through Qt's logger while an object of this
// class lives.
#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include "qt_print_to.h"

class QtMessageCapture {
public:
    QtMessageCapture() : m_previous(qInstallMessageHandler(&QtMessageCapture::collect)) { s_lines.clear(); }
    ~QtMessageCapture() { qInstallMessageHandler(m_previous); }
    QtMessageCapture(const QtMessageCapture&) = delete;
    QtMessageCapture& operator=(const QtMessageCapture&) = delete;

    const QStringList& lines() const { return s_lines; }
    bool has(const QString& line) const { return s_lines.contains(line); }
    void clear() { s_lines.clear(); }

private:
    static void collect(QtMsgType, const QMessageLogContext&, const QString& message)
    {
        s_lines << message;
    }

    QtMessageHandler m_previous;
    static inline QStringList s_lines;
};
