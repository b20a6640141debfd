// SPDX-License-Identifier: Apache-2.0
#include "formcn.h"
#include "ui_formcn.h"

#include "cardpictures.h"

FormCN::FormCN(QWidget *parent) : QWidget(parent), ui(new Ui::FormCN)
{
    ui->setupUi(this);
}

FormCN::~FormCN()
{
    delete ui;
}

void FormCN::updateUIFromCNData(_tagIDCARD_INFO_ALL_CN cnData, QPixmap &frontImg, QPixmap &backImg)
{
    const ID_TEXT_INFO_CN &text = cnData.idTextInfoCN;
    ui->leName->setText(QString::fromStdString(text.name));
    ui->leGender->setText(QString::fromStdString(text.gender));
    ui->leBirthYear->setText(QString::fromStdString(text.birth.year));
    ui->leBithMon->setText(QString::fromStdString(text.birth.month));
    ui->leBithDay->setText(QString::fromStdString(text.birth.day));
    ui->leNation->setText(QString::fromStdString(text.nation));
    ui->teAddress->setPlainText(QString::fromStdString(text.address));  // card text, never markup
    ui->leIDCode->setText(QString::fromStdString(text.idCode));
    ui->leDept->setText(QString::fromStdString(text.dept));
    ui->leValidDateBegin->setText(QString::fromStdString(text.validPeriod.start));
    ui->leValidDateEnd->setText(QString::fromStdString(text.validPeriod.end));
    showCardPictures(cnData.idInfoTailCN.headImage, ui->LabHeadImg, frontImg, ui->LabFrontImg,
                     backImg, ui->LabBackImg);
}
