// SPDX-License-Identifier: Apache-2.0
// The demo's one window: a read button above a stack of four card pages.
#pragma once

#include <QMainWindow>

namespace Ui {
class MainWindow;
}

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

private slots:
    void on_btnReadCard_clicked();

private:
    Ui::MainWindow *ui;
};
