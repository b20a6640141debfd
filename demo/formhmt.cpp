// SPDX-License-Identifier: Apache-2.0
#include "formhmt.h"
#include "ui_formhmt.h"

#include "cardpictures.h"

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
    ui->leBirthYear->setText(QString::fromStdString(text.birth.year));
    ui->leBithMon->setText(QString::fromStdString(text.birth.month));
    ui->leBithDay->setText(QString::fromStdString(text.birth.day));
    ui->teAddress->setPlainText(QString::fromStdString(text.address));  // card text, never markup
    ui->leIDCode->setText(QString::fromStdString(text.idCode));
    ui->leDept->setText(QString::fromStdString(text.dept));
    ui->leValidDateBegin->setText(QString::fromStdString(text.validPeriod.start));
    ui->leValidDateEnd->setText(QString::fromStdString(text.validPeriod.end));
    ui->lePassCheckCode->setText(QString::fromStdString(text.passCheckCode));
    showCardPictures(hmtData.idInfoTailOther.headImage, ui->LabHeadImg, frontImg, ui->LabFrontImg,
                     backImg, ui->LabBackImg);
}
