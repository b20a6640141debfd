// SPDX-License-Identifier: Apache-2.0
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "formcn.h"
#include "formforeign2017.h"
#include "formforeignnew.h"
#include "formhmt.h"
#include <pelorin/pelorin_api.h>
#include "tools.h"

#include <QApplication>
#include <QDebug>
#include <QMessageBox>
#include <QStackedWidget>

#include <exception>
#include <string>

namespace {

// Page indices of the stack; the order differs from the numbers of ID_TYPE.
enum PageIndex { PAGE_CN = 0, PAGE_HMT = 1, PAGE_FOREIGN_NEW = 2, PAGE_FOREIGN_2017 = 3 };

// Each page is made current before it is filled.
template <typename Form, typename Record>
void showCard(QStackedWidget *pages, PageIndex page, const char *kindText,
              void (Form::*update)(Record, QPixmap &, QPixmap &), const Record &record, QPixmap &frontImg,
              QPixmap &backImg)
{
    qDebug() << kindText;
    pages->setCurrentIndex(page);
    (static_cast<Form *>(pages->currentWidget())->*update)(record, frontImg, backImg);
}

QString readFailureText(int result)
{
    switch (result) {
    case READ_NO_DATA:
        return QStringLiteral("请放置有效身份证件（若已放置证件，请将证件拿起再重新放置），然后再单击读取身份信息按钮。");
    case READ_DATA_TIMEOUT:
        return QStringLiteral("读证超时。若已放置证件，请将证件拿起再重新放置，然后再单击读取身份信息按钮。");
    default:
        return QStringLiteral("读卡器忙。若已放置证件，请将证件拿起再重新放置，然后再单击读取身份信息按钮。");
    }
}

}  // namespace

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent), ui(new Ui::MainWindow)
{
    ui->setupUi(this);  // also binds on_btnReadCard_clicked by name
    setWindowTitle(QStringLiteral("身份证件信息读取程序 " PELORIN_VERSION "版"));
    ui->stackedWidget->setCurrentIndex(PAGE_CN);
}

MainWindow::~MainWindow()
{
    delete ui;
}

void MainWindow::on_btnReadCard_clicked()
{
    try {
        QWidget *boxParent = QApplication::activeWindow();

        // Value-initialised: a read that reports success without filling
        // everything must not leave garbage for the pages to show.
        ID_TYPE idType = ID_TYPE_UNKNOWN;
        _tagIDCARD_INFO_ALL_CN cnData{};
        _tagIDCARD_INFO_ALL_FOREIGN_2017 f2017Data{};
        _tagIDCARD_INFO_ALL_FOREIGN_NEW fnewData{};
        _tagIDCARD_INFO_ALL_HMT hmtData{};
        std::string frontBase64;
        std::string backBase64;

        const int result = readIDCard(&idType, &cnData, &f2017Data, &fnewData, &hmtData,
                                      &frontBase64, &backBase64);
        if (result != READ_OK) {
            QMessageBox::information(boxParent, QStringLiteral("友情提示"), readFailureText(result));
            return;
        }
        qDebug() << "read ok!";

        QPixmap frontImg = Tools::base64ToJpg(QString::fromStdString(frontBase64));
        QPixmap backImg = Tools::base64ToJpg(QString::fromStdString(backBase64));

        QStackedWidget *pages = ui->stackedWidget;
        if (idType == ID_TYPE_CN)
            showCard(pages, PAGE_CN, "is 二代居民身份证", &FormCN::updateUIFromCNData, cnData, frontImg,
                     backImg);
        else if (idType == ID_TYPE_HMT)
            showCard(pages, PAGE_HMT, "is 港澳台居民居住证", &FormHMT::updateUIFromHMTData, hmtData,
                     frontImg, backImg);
        else if (idType == ID_TYPE_FOREIGN_NEW)
            showCard(pages, PAGE_FOREIGN_NEW, "is 新版外国人永久居留身份证",
                     &FormForeignNew::updateUIFromForeignNewData, fnewData, frontImg, backImg);
        else if (idType == ID_TYPE_FOREIGN_2017)
            showCard(pages, PAGE_FOREIGN_2017, "is 2017版外国人永久居留身份证",
                     &FormForeign2017::updateUIFromForeign2017Data, f2017Data, frontImg, backImg);
    } catch (const std::exception &e) {
        qDebug() << "met exception due to " << e.what();
    }
}
