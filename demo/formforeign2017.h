// SPDX-License-Identifier: Apache-2.0
// Page of the main window's stack that shows a foreigner's permanent residence card, 2017 layout.
#pragma once

#include <pelorin/pelorin_api.h>

#include <QPixmap>
#include <QWidget>

namespace Ui {
class FormForeign2017;
}

class FormForeign2017 : public QWidget {
    Q_OBJECT

public:
    explicit FormForeign2017(QWidget *parent = nullptr);
    ~FormForeign2017() override;

    void updateUIFromForeign2017Data(_tagIDCARD_INFO_ALL_FOREIGN_2017 f2017Data, QPixmap &frontImg, QPixmap &backImg);

private:
    Ui::FormForeign2017 *ui;
};
