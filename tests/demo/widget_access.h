// SPDX-License-Identifier: Apache-2.0
// Small helpers to look into the demo's widgets by their object names.
#pragma once

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QString>
#include <QTextEdit>

#include <gtest/gtest.h>

#include "qt_print_to.h"

inline QString lineText(const QWidget *page, const char *name)
{
    const auto *edit = page->findChild<QLineEdit *>(QLatin1String(name));
    EXPECT_NE(edit, nullptr) << name;
    return edit ? edit->text() : QStringLiteral("<missing %1>").arg(QLatin1String(name));
}

inline QString addressText(const QWidget *page)
{
    const auto *edit = page->findChild<QTextEdit *>(QStringLiteral("teAddress"));
    EXPECT_NE(edit, nullptr);
    return edit ? edit->toPlainText() : QString();
}

inline QLabel *label(const QWidget *page, const char *name)
{
    auto *found = page->findChild<QLabel *>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

inline QPixmap labelPixmap(const QWidget *page, const char *name)
{
    const QLabel *found = label(page, name);
    return found ? found->pixmap(Qt::ReturnByValue) : QPixmap();
}

inline QString q(const std::string &utf8)
{
    return QString::fromStdString(utf8);
}
