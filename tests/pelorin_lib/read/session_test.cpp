// SPDX-License-Identifier: Apache-2.0
// The reader session on its own: state machine, attempts, close.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <unistd.h>

#include "kvsdecompose.h"
#include "pelorin_kit.h"
#include <pelorin/mps_reader.h>
#include "read_arguments.h"
#include "read_harness.h"

namespace {

struct Buffers {
    CardInfoStruct doc{};
    unsigned char photo[HEAD_IMAGE_BMP_SIZE] = {};
    unsigned char fp[FINGER_FEATURE_SIZE] = {};
    unsigned int photoLen = 0;
    unsigned int fpLen = 0;

    int fetch(CMpsReader& session) { return session.FetchCardData(&doc, photo, &photoLen, fp, &fpLen); }
};

// Standard output of the process while it lives, for the console texts.
class StdoutCapture {
public:
    StdoutCapture()
    {
        m_file.open();
        fflush(stdout);
        m_saved = dup(STDOUT_FILENO);
        dup2(m_file.handle(), STDOUT_FILENO);
    }
    QString text()
    {
        fflush(stdout);
        dup2(m_saved, STDOUT_FILENO);
        close(m_saved);
        QFile file(m_file.fileName());
        file.open(QIODevice::ReadOnly);
        return QString::fromUtf8(file.readAll());
    }

private:
    QTemporaryFile m_file;
    int m_saved = -1;
};

}  // namespace

TEST(Session, AbsentReaderIsNotCalledAgainAndLeavesNoBusyState)
{
    SimulatorSetting sim("no-reader");
    LogTail log;
    {
        CMpsReader session;
        EXPECT_EQ(CMpsReader::getReaderStatus(), DEV_OPEN_FAIL);
        Buffers buffers;
        EXPECT_EQ(buffers.fetch(session), 1);
    }
    EXPECT_EQ(sim.trace(), QStringList{"open -102"});
    EXPECT_TRUE(log.containsInOrder({"打开读卡器失败，错误码：-102", "FetchCardData return 1 due to mState：-2",
                                     "reader deconstruct issue: mState：-2"}));
    EXPECT_EQ(CMpsReader::getReaderStatus(), DEV_UNINIT);
}

TEST(Session, NoCardKeepsTheReaderOpenUntilDestruction)
{
    SimulatorSetting sim("no-card");
    LogTail log;
    {
        CMpsReader session;
        Buffers buffers;
        EXPECT_EQ(buffers.fetch(session), CARD_NOT_FOUND);
        EXPECT_EQ(CMpsReader::getReaderStatus(), DEV_OPEN_OK);
    }
    EXPECT_EQ(CMpsReader::getReaderStatus(), DEV_UNINIT);
    EXPECT_EQ(sim.trace(), (QStringList{"open 144", "find 128", "close 144"}));
    EXPECT_TRUE(log.containsInOrder({"FetchCardData return CARD_NOT_FOUND due to KVS_FindIDCard return 128"}));
}

TEST(Session, RetriesWhileTheReaderAsksAndPausesBetweenAttempts)
{
    SimulatorSetting sim("retry:2");
    StdoutCapture console;
    QElapsedTimer clock;
    clock.start();
    {
        CMpsReader session;
        Buffers buffers;
        EXPECT_EQ(buffers.fetch(session), KVS_OK);
        EXPECT_EQ(CMpsReader::getReaderStatus(), READ_DATA_OK);
        EXPECT_EQ(buffers.doc.cardType, 1);
    }
    EXPECT_GE(clock.elapsed(), 100);
    EXPECT_EQ(console.text().count("card reading fail!\n"), 2);
    EXPECT_EQ(sim.trace(), (QStringList{"open 144", "find 144", "read 65", "read 65", "read 144", "close 144"}));
}

TEST(Session, TenRefusedAttemptsGiveUp)
{
    SimulatorSetting sim("always-retry");
    LogTail log;
    {
        CMpsReader session;
        Buffers buffers;
        EXPECT_EQ(buffers.fetch(session), KVS_RETRY);
        EXPECT_EQ(CMpsReader::getReaderStatus(), CARD_READ_FAIL);
    }
    QStringList trace = sim.trace();
    EXPECT_EQ(trace.count("read 65"), 10);
    EXPECT_EQ(trace.last(), "close 144");
    EXPECT_TRUE(log.containsInOrder({"FetchCardData return 65 due to KVS_ReadIDCard return 65"}));
}

TEST(Session, OtherReadErrorIsPassedOnAndClosesOnDemand)
{
    SimulatorSetting sim("read-error:50");
    CMpsReader session;
    Buffers buffers;
    EXPECT_EQ(buffers.fetch(session), 50);
    EXPECT_EQ(CMpsReader::getReaderStatus(), CARD_READ_DATA_FAIL);
    EXPECT_EQ(buffers.fetch(session), KVS_RETRY);  // no further reader call in this state
    EXPECT_EQ(session.closeDev(), KVS_OK);
    EXPECT_EQ(CMpsReader::getReaderStatus(), DEV_UNINIT);
    EXPECT_EQ(session.closeDev(), -1);
    EXPECT_EQ(sim.trace(), (QStringList{"open 144", "find 144", "read 50", "close 144"}));
}

// The console texts of a read, the session's and the read's end mark, are
// the host's: a read made for a guest prints none of them.
TEST(Session, ConsoleTextsAreTheHostsNeverAGuests)
{
    SimulatorSetting sim("retry:1");
    QString host;
    {
        StdoutCapture console;
        ASSERT_EQ(ReadArguments().read(), READ_OK);
        host = console.text();
    }
    EXPECT_TRUE(QRegularExpression("^card reading fail!\n\\[pelorin_api\\.cpp\\(\\d+\\)<readIDCard>\\] <5>\n$")
                    .match(host)
                    .hasMatch())
        << host.toStdString();
    pelorin_kit::GuestMode guest;
    StdoutCapture console;
    ASSERT_EQ(ReadArguments().read(), READ_OK);
    EXPECT_EQ(console.text().toStdString(), "");
}
