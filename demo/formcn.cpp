// SPDX-License-Identifier: Apache-2.0
#include "formcn.h"
#include "ui_formcn.h"

#include "cardpage.h"

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
    ui->leNation->setText(QString::fromStdString(text.nation));
    ui->teAddress->setPlainText(QString::fromStdString(text.address));  // card text, never markup
    ui->leDept->setText(QString::fromStdString(text.dept));
    showCommonFields(*ui, text, cnData.idInfoTailCN.headImage, frontImg, backImg);
}
