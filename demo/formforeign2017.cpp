// SPDX-License-Identifier: Apache-2.0
#include "formforeign2017.h"
#include "ui_formforeign2017.h"

#include "cardpage.h"

FormForeign2017::FormForeign2017(QWidget *parent) : QWidget(parent), ui(new Ui::FormForeign2017)
{
    ui->setupUi(this);
}

FormForeign2017::~FormForeign2017()
{
    delete ui;
}

void FormForeign2017::updateUIFromForeign2017Data(_tagIDCARD_INFO_ALL_FOREIGN_2017 f2017Data,
                                                  QPixmap &frontImg, QPixmap &backImg)
{
    const ID_TEXT_INFO_FOREIGN_2017 &text = f2017Data.idTextInfoForeign2017;
    showForeignerFields(*ui, text);
    showCommonFields(*ui, text, f2017Data.idInfoTailOther.headImage, frontImg, backImg);
}
