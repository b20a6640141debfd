// SPDX-License-Identifier: Apache-2.0
// What the card pages show in widgets of the same names: every page the
// birth date, the validity, the number, the photo and the faces; both
// foreigner card pages also the names, the bilingual gender and the
// nationality.
#pragma once

#include <QPixmap>
#include <QString>

#include "cardpictures.h"
#include "foreigngender.h"

template <typename Ui, typename Text>
void showCommonFields(Ui &ui, const Text &text, const unsigned char (&headImage)[HEAD_IMAGE_BMP_SIZE],
                      const QPixmap &frontImg, const QPixmap &backImg)
{
    ui.leBirthYear->setText(QString::fromStdString(text.birth.year));
    ui.leBithMon->setText(QString::fromStdString(text.birth.month));
    ui.leBithDay->setText(QString::fromStdString(text.birth.day));
    ui.leValidDateBegin->setText(QString::fromStdString(text.validPeriod.start));
    ui.leValidDateEnd->setText(QString::fromStdString(text.validPeriod.end));
    ui.leIDCode->setText(QString::fromStdString(text.idCode));
    showCardPictures(headImage, ui.LabHeadImg, frontImg, ui.LabFrontImg, backImg, ui.LabBackImg);
}

// A gender other than "男" and "女" leaves the gender shown before.
template <typename Ui, typename Text>
void showForeignerFields(Ui &ui, const Text &text)
{
    ui.leNameCN->setText(QString::fromStdString(text.nameCN));
    ui.leNameEN->setText(QString::fromStdString(text.nameEN));
    const QString gender = bilingualGender(text.gender);
    if (!gender.isNull())
        ui.leGender->setText(gender);
    ui.leNationality->setText(QString::fromStdString(text.nationality));
}
