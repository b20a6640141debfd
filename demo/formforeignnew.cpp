// SPDX-License-Identifier: Apache-2.0
#include "formforeignnew.h"
#include "ui_formforeignnew.h"

#include "cardpage.h"

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
    qDebug() << "fnewData.idTextInfoForeignNew.nameEN=" << text.nameEN.c_str();
    if (bilingualGender(text.gender).isNull())
        qDebug("fnewData.idTextInfoForeignNew.gender=%s", text.gender.c_str());
    showForeignerFields(*ui, text);
    showCommonFields(*ui, text, fnewData.idInfoTailOther.headImage, frontImg, backImg);
}
