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

#include <exception>
#include <string>

namespace {

// Page indices of the stack; the order differs from the numbers of ID_TYPE.
enum PageIndex { PAGE_CN = 0, PAGE_HMT = 1, PAGE_FOREIGN_NEW = 2, PAGE_FOREIGN_2017 = 3 };

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

        // Each page is made current before it is filled.
        if (idType == ID_TYPE_CN) {
            qDebug() << "is 二代居民身份证";
            ui->stackedWidget->setCurrentIndex(PAGE_CN);
            static_cast<FormCN *>(ui->stackedWidget->currentWidget())
                ->updateUIFromCNData(cnData, frontImg, backImg);
        } else if (idType == ID_TYPE_HMT) {
            qDebug() << "is 港澳台居民居住证";
            ui->stackedWidget->setCurrentIndex(PAGE_HMT);
            static_cast<FormHMT *>(ui->stackedWidget->currentWidget())
                ->updateUIFromHMTData(hmtData, frontImg, backImg);
        } else if (idType == ID_TYPE_FOREIGN_NEW) {
            qDebug() << "is 新版外国人永久居留身份证";
            ui->stackedWidget->setCurrentIndex(PAGE_FOREIGN_NEW);
            static_cast<FormForeignNew *>(ui->stackedWidget->currentWidget())
                ->updateUIFromForeignNewData(fnewData, frontImg, backImg);
        } else if (idType == ID_TYPE_FOREIGN_2017) {
            qDebug() << "is 2017版外国人永久居留身份证";
            ui->stackedWidget->setCurrentIndex(PAGE_FOREIGN_2017);
            static_cast<FormForeign2017 *>(ui->stackedWidget->currentWidget())
                ->updateUIFromForeign2017Data(f2017Data, frontImg, backImg);
        }
    } catch (const std::exception &e) {
        qDebug() << "met exception due to " << e.what();
    }
}
