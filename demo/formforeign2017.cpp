// SPDX-License-Identifier: Apache-2.0
#include "formforeign2017.h"
#include "ui_formforeign2017.h"

#include "cardpictures.h"
#include "foreigngender.h"

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
    ui->leNameCN->setText(QString::fromStdString(text.nameCN));
    ui->leNameEN->setText(QString::fromStdString(text.nameEN));
    const QString gender = bilingualGender(text.gender);
    if (!gender.isNull())
        ui->leGender->setText(gender);
    ui->leBirthYear->setText(QString::fromStdString(text.birth.year));
    ui->leBithMon->setText(QString::fromStdString(text.birth.month));
    ui->leBithDay->setText(QString::fromStdString(text.birth.day));
    ui->leNationality->setText(QString::fromStdString(text.nationality));
    ui->leValidDateBegin->setText(QString::fromStdString(text.validPeriod.start));
    ui->leValidDateEnd->setText(QString::fromStdString(text.validPeriod.end));
    ui->leIDCode->setText(QString::fromStdString(text.idCode));
    showCardPictures(f2017Data.idInfoTailOther.headImage, ui->LabHeadImg, frontImg, ui->LabFrontImg,
                     backImg, ui->LabBackImg);
}
