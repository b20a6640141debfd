// SPDX-License-Identifier: Apache-2.0
// The main window's read button against the simulated reader: the page that
// becomes current, what it shows, and the hint boxes of failed reads.
#include "mainwindow.h"
#include <pelorin/pelorin_api.h>
#include "tools.h"
#include "qt_message_capture.h"
#include "read_arguments.h"
#include "widget_access.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>

#include <string>

namespace {

// Answers every modal message box that opens while it lives and remembers
// what the box said.
class MessageBoxCloser {
public:
    MessageBoxCloser()
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            titles << box->windowTitle();
            texts << box->text();
            icons << box->icon();
            box->done(QMessageBox::Ok);
        });
        timer_.start(20);
    }

    QStringList titles;
    QStringList texts;
    QList<QMessageBox::Icon> icons;

private:
    QTimer timer_;
};

class ReadFlow : public ::testing::Test {
protected:
    void SetUp() override
    {
        qunsetenv("KVSSIM_SCENARIO");
        qunsetenv("KVSSIM_CARD");
        window_.show();
        stack_ = window_.findChild<QStackedWidget *>(QStringLiteral("stackedWidget"));
        button_ = window_.findChild<QPushButton *>(QStringLiteral("btnReadCard"));
        ASSERT_NE(stack_, nullptr);
        ASSERT_NE(button_, nullptr);
    }

    static void useCard(const char *fixture)
    {
        qputenv("KVSSIM_CARD", QByteArray(PELORIN_FIXTURES_DIR "/cards/") + fixture + ".json");
    }

    void clickRead() { button_->click(); }

    QWidget *page(int index) const { return stack_->widget(index); }

    MainWindow window_;
    QStackedWidget *stack_ = nullptr;
    QPushButton *button_ = nullptr;
    QtMessageCapture debug_;
};

// What the library itself returns for the card now on the reader.
struct DirectRead : ReadArguments {
    READ_RESULT result = read();
};

void expectShown(const QWidget *page, const char *widget, const std::string &value)
{
    EXPECT_FALSE(value.empty()) << widget << ": the sample card should fill this field";
    EXPECT_EQ(lineText(page, widget), q(value)) << widget;
}

void expectPictures(const QWidget *page, const DirectRead &read)
{
    const QPixmap photo = labelPixmap(page, "LabHeadImg");
    ASSERT_FALSE(photo.isNull());
    EXPECT_EQ(photo.size(), QSize(102, 126));
    // Faces appear exactly when the library hands over a loadable picture.
    const QPixmap front = Tools::base64ToJpg(q(read.front));
    const QPixmap back = Tools::base64ToJpg(q(read.back));
    EXPECT_EQ(labelPixmap(page, "LabFrontImg").size(), front.size());
    EXPECT_EQ(labelPixmap(page, "LabBackImg").size(), back.size());
    EXPECT_EQ(labelPixmap(page, "LabFrontImg").isNull(), front.isNull());
}

}  // namespace

TEST_F(ReadFlow, ResidentCardFillsPage0)
{
    useCard("cn");
    const DirectRead read;
    ASSERT_EQ(read.result, READ_OK);
    ASSERT_EQ(read.idType, ID_TYPE_CN);
    stack_->setCurrentIndex(3);  // the read must switch back
    clickRead();

    ASSERT_EQ(stack_->currentIndex(), 0);
    const QWidget *p = page(0);
    const ID_TEXT_INFO_CN &t = read.cn->idTextInfoCN;
    EXPECT_EQ(lineText(p, "leName"), QStringLiteral("李婉清"));
    expectShown(p, "leName", t.name);
    expectShown(p, "leGender", t.gender);
    expectShown(p, "leNation", t.nation);
    expectShown(p, "leBirthYear", t.birth.year);
    expectShown(p, "leBithMon", t.birth.month);
    expectShown(p, "leBithDay", t.birth.day);
    EXPECT_EQ(addressText(p), q(t.address));
    expectShown(p, "leIDCode", t.idCode);
    expectShown(p, "leDept", t.dept);
    expectShown(p, "leValidDateBegin", t.validPeriod.start);
    expectShown(p, "leValidDateEnd", t.validPeriod.end);
    expectPictures(p, read);
    EXPECT_TRUE(debug_.has(QStringLiteral("read ok!")));
    EXPECT_TRUE(debug_.has(QStringLiteral("is 二代居民身份证")));
}

TEST_F(ReadFlow, PermitFillsPage1)
{
    useCard("hmt");
    const DirectRead read;
    ASSERT_EQ(read.result, READ_OK);
    ASSERT_EQ(read.idType, ID_TYPE_HMT);
    clickRead();

    ASSERT_EQ(stack_->currentIndex(), 1);  // not 3, the number of its ID_TYPE
    const QWidget *p = page(1);
    const ID_TEXT_INFO_HMT &t = read.hmt->idTextInfoHMT;
    EXPECT_EQ(lineText(p, "leName"), QStringLiteral("何志强"));
    expectShown(p, "leName", t.name);
    expectShown(p, "leGender", t.gender);
    expectShown(p, "leBirthYear", t.birth.year);
    expectShown(p, "leBithMon", t.birth.month);
    expectShown(p, "leBithDay", t.birth.day);
    EXPECT_EQ(addressText(p), q(t.address));
    expectShown(p, "leIDCode", t.idCode);
    expectShown(p, "leDept", t.dept);
    expectShown(p, "leValidDateBegin", t.validPeriod.start);
    expectShown(p, "leValidDateEnd", t.validPeriod.end);
    expectShown(p, "lePassCheckCode", t.passCheckCode);
    expectPictures(p, read);
    EXPECT_TRUE(debug_.has(QStringLiteral("is 港澳台居民居住证")));
}

TEST_F(ReadFlow, NewForeignerCardFillsPage2)
{
    useCard("fnew");
    const DirectRead read;
    ASSERT_EQ(read.result, READ_OK);
    ASSERT_EQ(read.idType, ID_TYPE_FOREIGN_NEW);
    clickRead();

    ASSERT_EQ(stack_->currentIndex(), 2);
    const QWidget *p = page(2);
    const ID_TEXT_INFO_FOREIGN_NEW &t = read.foreignNew->idTextInfoForeignNew;
    EXPECT_EQ(lineText(p, "leNameEN"), QStringLiteral("MILLER, MARK JAMES"));
    expectShown(p, "leNameCN", t.nameCN);
    expectShown(p, "leNameEN", t.nameEN);
    EXPECT_EQ(lineText(p, "leGender"), QStringLiteral("男 / M"));
    expectShown(p, "leBirthYear", t.birth.year);
    expectShown(p, "leBithMon", t.birth.month);
    expectShown(p, "leBithDay", t.birth.day);
    expectShown(p, "leNationality", t.nationality);
    expectShown(p, "leValidDateBegin", t.validPeriod.start);
    expectShown(p, "leValidDateEnd", t.validPeriod.end);
    expectShown(p, "leIDCode", t.idCode);
    expectPictures(p, read);
    EXPECT_TRUE(debug_.has(QStringLiteral("is 新版外国人永久居留身份证")));
    EXPECT_TRUE(debug_.has(
        QStringLiteral("fnewData.idTextInfoForeignNew.nameEN= MILLER, MARK JAMES")));
}

TEST_F(ReadFlow, OldForeignerCardFillsPage3)
{
    useCard("f2017");
    const DirectRead read;
    ASSERT_EQ(read.result, READ_OK);
    ASSERT_EQ(read.idType, ID_TYPE_FOREIGN_2017);
    clickRead();

    ASSERT_EQ(stack_->currentIndex(), 3);  // not 1, the number of its ID_TYPE
    const QWidget *p = page(3);
    const ID_TEXT_INFO_FOREIGN_2017 &t = read.foreign2017->idTextInfoForeign2017;
    EXPECT_EQ(lineText(p, "leNameCN"), QStringLiteral("麦雅丽"));
    expectShown(p, "leNameCN", t.nameCN);
    expectShown(p, "leNameEN", t.nameEN);
    EXPECT_EQ(lineText(p, "leGender"), QStringLiteral("女 / F"));
    expectShown(p, "leBirthYear", t.birth.year);
    expectShown(p, "leBithMon", t.birth.month);
    expectShown(p, "leBithDay", t.birth.day);
    expectShown(p, "leNationality", t.nationality);
    expectShown(p, "leValidDateBegin", t.validPeriod.start);
    expectShown(p, "leValidDateEnd", t.validPeriod.end);
    expectShown(p, "leIDCode", t.idCode);
    expectPictures(p, read);
    EXPECT_TRUE(debug_.has(QStringLiteral("is 2017版外国人永久居留身份证")));
}

TEST_F(ReadFlow, NewForeignerGenderFemaleThenEmptyKeepsPrevious)
{
    useCard("fnew_female");
    clickRead();
    ASSERT_EQ(stack_->currentIndex(), 2);
    EXPECT_EQ(lineText(page(2), "leGender"), QStringLiteral("女 / F"));
    EXPECT_EQ(lineText(page(2), "leNameCN"), QStringLiteral("马丽莎"));

    debug_.clear();
    useCard("fnew_nogender");
    clickRead();
    EXPECT_EQ(lineText(page(2), "leNameCN"), QStringLiteral("马克"));  // this card was shown
    EXPECT_EQ(lineText(page(2), "leGender"), QStringLiteral("女 / F"));
    EXPECT_TRUE(debug_.has(QStringLiteral("fnewData.idTextInfoForeignNew.gender=")));
}

TEST_F(ReadFlow, ResidentThenNewForeignerKeepsBothPages)
{
    useCard("cn");
    clickRead();
    ASSERT_EQ(stack_->currentIndex(), 0);
    useCard("fnew");
    clickRead();
    EXPECT_EQ(stack_->currentIndex(), 2);
    EXPECT_EQ(lineText(page(0), "leName"), QStringLiteral("李婉清"));
    EXPECT_EQ(lineText(page(0), "leIDCode"), QStringLiteral("310115199001020024"));
    EXPECT_EQ(lineText(page(2), "leNameCN"), QStringLiteral("马克"));
}

struct FailureCase {
    const char *name;
    const char *scenario;
    int result;
    const char *text;
};

void PrintTo(const FailureCase &failure, std::ostream *os)
{
    *os << failure.scenario;
}

class ReadFailure : public ReadFlow, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ReadFailure, ShowsHintAndKeepsPage)
{
    useCard("cn");
    clickRead();  // fill page 0 first: a failed read must leave it alone
    ASSERT_EQ(stack_->currentIndex(), 0);
    useCard("hmt");
    qputenv("KVSSIM_SCENARIO", GetParam().scenario);
    {
        const DirectRead read;
        ASSERT_EQ(read.result, GetParam().result);
    }
    debug_.clear();
    MessageBoxCloser closer;
    clickRead();

    ASSERT_EQ(closer.texts.size(), 1);
    EXPECT_EQ(closer.titles.first(), QStringLiteral("友情提示"));
    EXPECT_EQ(closer.icons.first(), QMessageBox::Information);
    EXPECT_EQ(closer.texts.first(), QString::fromUtf8(GetParam().text));
    EXPECT_EQ(stack_->currentIndex(), 0);
    EXPECT_EQ(lineText(page(0), "leName"), QStringLiteral("李婉清"));
    EXPECT_TRUE(lineText(page(1), "leName").isEmpty());
    EXPECT_FALSE(debug_.has(QStringLiteral("read ok!")));
}

INSTANTIATE_TEST_SUITE_P(
    Results, ReadFailure,
    ::testing::Values(
        FailureCase{"NoCard", "no-card", READ_NO_DATA,
                    "请放置有效身份证件（若已放置证件，请将证件拿起再重新放置），然后再单击读取身份信息按钮。"},
        FailureCase{"NoReader", "no-reader", OPEN_DEV_FAIL,
                    "读卡器忙。若已放置证件，请将证件拿起再重新放置，然后再单击读取身份信息按钮。"},
        FailureCase{"UnsupportedCard", "card-type:9", UNSUPPORT_CARD,
                    "读卡器忙。若已放置证件，请将证件拿起再重新放置，然后再单击读取身份信息按钮。"}),
    [](const auto &info) { return std::string(info.param.name); });

// The one slow case: a reader that blocks past the library's 8 s time-out.
TEST_F(ReadFlow, TimeoutShowsItsHint)
{
    useCard("cn");
    qputenv("KVSSIM_SCENARIO", "block:9000");
    MessageBoxCloser closer;
    QElapsedTimer clock;
    clock.start();
    clickRead();
    const qint64 waited = clock.elapsed();

    ASSERT_EQ(closer.texts.size(), 1);
    EXPECT_EQ(closer.titles.first(), QStringLiteral("友情提示"));
    EXPECT_EQ(closer.texts.first(),
              QStringLiteral("读证超时。若已放置证件，请将证件拿起再重新放置，然后再单击读取身份信息按钮。"));
    EXPECT_GE(waited, 7900);
    EXPECT_EQ(stack_->currentIndex(), 0);
    EXPECT_TRUE(lineText(page(0), "leName").isEmpty());

    // The late worker finishes after the click's records are gone; give it
    // time to do so while this process is still alive and watched.
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 1500)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_TRUE(lineText(page(0), "leName").isEmpty());
}
