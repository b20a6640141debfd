// SPDX-License-Identifier: Apache-2.0
// Page of the main window's stack that shows a resident identity card.
#pragma once

#include <pelorin/pelorin_api.h>

#include <QPixmap>
#include <QWidget>

namespace Ui {
class FormCN;
}

class FormCN : public QWidget {
    Q_OBJECT

public:
    explicit FormCN(QWidget *parent = nullptr);
    ~FormCN() override;

    void updateUIFromCNData(_tagIDCARD_INFO_ALL_CN cnData, QPixmap &frontImg, QPixmap &backImg);

private:
    Ui::FormCN *ui;
};
