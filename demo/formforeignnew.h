// SPDX-License-Identifier: Apache-2.0
// Page of the main window's stack that shows a foreigner's permanent residence card, new layout.
#pragma once

#include <pelorin/pelorin_api.h>

#include <QPixmap>
#include <QWidget>

namespace Ui {
class FormForeignNew;
}

class FormForeignNew : public QWidget {
    Q_OBJECT

public:
    explicit FormForeignNew(QWidget *parent = nullptr);
    ~FormForeignNew() override;

    void updateUIFromForeignNewData(_tagIDCARD_INFO_ALL_FOREIGN_NEW fnewData, QPixmap &frontImg, QPixmap &backImg);

private:
    Ui::FormForeignNew *ui;
};
