// SPDX-License-Identifier: Apache-2.0
// Page of the main window's stack that shows a Hong Kong, Macau or Taiwan residence permit.
#pragma once

#include <pelorin/pelorin_api.h>

#include <QPixmap>
#include <QWidget>

namespace Ui {
class FormHMT;
}

class FormHMT : public QWidget {
    Q_OBJECT

public:
    explicit FormHMT(QWidget *parent = nullptr);
    ~FormHMT() override;

    void updateUIFromHMTData(_tagIDCARD_INFO_ALL_HMT hmtData, QPixmap &frontImg, QPixmap &backImg);

private:
    Ui::FormHMT *ui;
};
