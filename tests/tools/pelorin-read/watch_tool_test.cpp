// SPDX-License-Identifier: Apache-2.0
// pelorin-read --watch against the simulated reader, whose behaviour the test
// changes under the running program through the scenario file.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>

#include "tool_process.h"

namespace {

class WatchRun {
public:
    WatchRun(const QString& card, const QByteArray& scenario)
    {
        setScenario(scenario);
        m_environment.insert("KVSSIM_CARD", QStringLiteral(PELORIN_FIXTURES_DIR "/cards/") + card);
        m_environment.insert("KVSSIM_SCENARIO_FILE", m_dir.filePath("scenario"));
        m_environment.insert("KVSSIM_TRACE", m_dir.filePath("trace"));
        m_environment.insert("QT_QPA_PLATFORM", "offscreen");
        m_watch.setProcessEnvironment(m_environment);
        m_watch.start(PELORIN_READ_PATH, {"--watch"});
    }
    ~WatchRun()
    {
        m_watch.kill();
        m_watch.waitForFinished();
    }

    void setScenario(const QByteArray& scenario)
    {
        QFile file(m_dir.filePath("scenario"));
        if (file.open(QIODevice::WriteOnly))
            file.write(scenario);
    }
    // The next line on standard output, parsed; empty after 10 s without one.
    QJsonObject nextEvent()
    {
        for (int waited = 0; !m_watch.canReadLine() && waited < 100; ++waited)
            m_watch.waitForReadyRead(100);
        return QJsonDocument::fromJson(m_watch.readLine()).object();
    }
    // What a single pelorin-read prints for the card on the reader now.
    QJsonObject singleRead()
    {
        return runToolProcess(PELORIN_READ_PATH, {}, m_environment, QString(), 20000).json;
    }
    int reads() const
    {
        QFile trace(m_dir.filePath("trace"));
        trace.open(QIODevice::ReadOnly);
        return trace.readAll().count("read ");
    }
    QProcess& process() { return m_watch; }

private:
    QTemporaryDir m_dir;
    QProcessEnvironment m_environment = QProcessEnvironment::systemEnvironment();
    QProcess m_watch;
};

void waitSomeLooks() { QThread::msleep(1600); }

TEST(WatchTool, PrintsEachCardPlacedOnceAndItsRemovalUntilInterrupted)
{
    WatchRun run("hmt.json", "");
    const QJsonObject placed = run.nextEvent();
    const QString idCode = placed["record"].toObject()["idCode"].toString();
    EXPECT_FALSE(idCode.isEmpty());
    waitSomeLooks();
    EXPECT_EQ(run.reads(), 1) << "a card that stays is read once";

    run.setScenario("no-card");
    EXPECT_EQ(run.nextEvent(), QJsonObject({{"removed", idCode}}));
    waitSomeLooks();
    EXPECT_EQ(run.reads(), 1) << "an empty reader is only checked";
    run.setScenario("");
    EXPECT_EQ(run.nextEvent(), placed) << "the card is placed again";
    EXPECT_EQ(run.reads(), 2);
    EXPECT_EQ(run.singleRead(), placed) << "the same JSON as a single read";

    // A reader that fails is told once on standard error; watching goes on.
    run.setScenario("no-reader");
    waitSomeLooks();
    run.setScenario("");
    waitSomeLooks();
    EXPECT_EQ(run.reads(), 3) << "only the single read came in between";

    ::kill(run.process().processId(), SIGINT);
    ASSERT_TRUE(run.process().waitForFinished(10000));
    EXPECT_EQ(run.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(run.process().exitCode(), 0);
    const QString errors = QString::fromUtf8(run.process().readAllStandardError());
    EXPECT_EQ(errors.count("OPEN_DEV_FAIL"), 1) << errors.toStdString();
}

TEST(WatchTool, ATerminatedWatchLetsTheReadInProgressEndAndPrintsIt)
{
    WatchRun run("cn.json", "block:1500");
    QThread::msleep(700);
    ::kill(run.process().processId(), SIGTERM);
    ASSERT_TRUE(run.process().waitForFinished(10000));
    EXPECT_EQ(run.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(run.process().exitCode(), 0);
    EXPECT_EQ(run.nextEvent()["kind"], "ID_TYPE_CN");
}

}  // namespace
