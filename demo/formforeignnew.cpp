// SPDX-License-Identifier: Apache-2.0
#include "formforeignnew.h"
#include "ui_formforeignnew.h"

#include "cardpictures.h"
#include "foreigngender.h"

#include <QDebug>

FormForeignNew::FormForeignNew(QWidget *parent) : QWidget(parent), ui(new Ui::FormForeignNew)
{
    ui->setupUi(this);
}

FormForeignNew::~FormForeignNew()
{
    delete ui;
}

void FormForeignNew::updateUIFromForeignNewData(_tagIDCARD_INFO_ALL_FOREIGN_NEW fnewData,
                                                QPixmap &frontImg, QPixmap &backImg)
{
    const ID_TEXT_INFO_FOREIGN_NEW &text = fnewData.idTextInfoForeignNew;
    ui->leNameCN->setText(QString::fromStdString(text.nameCN));
    qDebug() << "fnewData.idTextInfoForeignNew.nameEN=" << text.nameEN.c_str();
    ui->leNameEN->setText(QString::fromStdString(text.nameEN));
    const QString gender = bilingualGender(text.gender);
    if (!gender.isNull())
        ui->leGender->setText(gender);
    else
        qDebug("fnewData.idTextInfoForeignNew.gender=%s", text.gender.c_str());
    ui->leBirthYear->setText(QString::fromStdString(text.birth.year));
    ui->leBithMon->setText(QString::fromStdString(text.birth.month));
    ui->leBithDay->setText(QString::fromStdString(text.birth.day));
    ui->leNationality->setText(QString::fromStdString(text.nationality));
    ui->leValidDateBegin->setText(QString::fromStdString(text.validPeriod.start));
    ui->leValidDateEnd->setText(QString::fromStdString(text.validPeriod.end));
    ui->leIDCode->setText(QString::fromStdString(text.idCode));
    showCardPictures(fnewData.idInfoTailOther.headImage, ui->LabHeadImg, frontImg, ui->LabFrontImg,
                     backImg, ui->LabBackImg);
}
