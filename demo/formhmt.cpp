// SPDX-License-Identifier: Apache-2.0
#include "formhmt.h"
#include "ui_formhmt.h"

#include "cardpage.h"

FormHMT::FormHMT(QWidget *parent) : QWidget(parent), ui(new Ui::FormHMT)
{
    ui->setupUi(this);
}

FormHMT::~FormHMT()
{
    delete ui;
}

void FormHMT::updateUIFromHMTData(_tagIDCARD_INFO_ALL_HMT hmtData, QPixmap &frontImg, QPixmap &backImg)
{
    const ID_TEXT_INFO_HMT &text = hmtData.idTextInfoHMT;
    ui->leName->setText(QString::fromStdString(text.name));
    ui->leGender->setText(QString::fromStdString(text.gender));
    ui->teAddress->setPlainText(QString::fromStdString(text.address));  // card text, never markup
    ui->leDept->setText(QString::fromStdString(text.dept));
    ui->lePassCheckCode->setText(QString::fromStdString(text.passCheckCode));
    showCommonFields(*ui, text, hmtData.idInfoTailOther.headImage, frontImg, backImg);
}
