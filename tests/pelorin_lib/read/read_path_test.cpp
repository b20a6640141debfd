// SPDX-License-Identifier: Apache-2.0
// readIDCard end to end against the simulated reader: argument checks,
// result mapping, time-out, serialisation.
#include <gtest/gtest.h>

#include <QAbstractEventDispatcher>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSemaphore>
#include <QThread>
#include <QThreadPool>
#include <QTimer>
#include <QtConcurrent>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <pelorin/mps_reader.h>
#include "read_arguments.h"
#include "read_harness.h"

TEST(ReadPath, NullArgumentsAreRejectedInOrderWithoutOpeningTheReader)
{
    struct Case {
        int nullIndex;
        READ_RESULT expected;
        const char* line;
    };
    const Case cases[] = {
        {0, INVALID_ID_TYPE_PARAM, "invalid id type parameter"},
        {1, INVALID_CN_ID_DATA_PARAM, "invalid pIDAllInfoCN parameter"},
        {2, INVALID_FOREIGN_2017_ID_DATA_PARAM, "invalid pIDAllInfoForeign2017 parameter"},
        {3, INVALID_FOREIGN_NEW_ID_DATA_PARAM, "invalid pIDAllInfoForeignNew parameter"},
        {4, INVALID_HMT_ID_DATA_PARAM, "invalid pIDAllInfoHMT parameter"},
        {5, INVALID_FRONT_BASE64_DATA_PARAM, "invalid pFrontBase64 parameter"},
        {6, INVALID_BACK_BASE64_DATA_PARAM, "invalid pBackBase64 parameter"},
    };
    for (const Case& c : cases) {
        SimulatorSetting sim;
        LogTail log;
        ReadArguments args;
        args.front = "caller's front";
        void* p[7] = {&args.idType, args.cn.get(), args.foreign2017.get(), args.foreignNew.get(),
                      args.hmt.get(), &args.front, &args.back};
        p[c.nullIndex] = nullptr;
        READ_RESULT result = readIDCard(static_cast<ID_TYPE*>(p[0]), static_cast<IDCARD_INFO_ALL_CN*>(p[1]),
                                        static_cast<IDCARD_INFO_ALL_FOREIGN_2017*>(p[2]),
                                        static_cast<IDCARD_INFO_ALL_FOREIGN_NEW*>(p[3]),
                                        static_cast<IDCARD_INFO_ALL_HMT*>(p[4]), static_cast<std::string*>(p[5]),
                                        static_cast<std::string*>(p[6]));
        EXPECT_EQ(result, c.expected) << c.line;
        EXPECT_TRUE(sim.trace().isEmpty()) << c.line;
        EXPECT_TRUE(log.containsInOrder({c.line})) << c.line;
        EXPECT_EQ(args.idType, ID_TYPE_UNKNOWN);
        if (c.nullIndex != 5) {
            EXPECT_EQ(args.front, "caller's front");
        }
    }
}

TEST(ReadPath, NullContextIsRejectedByTheWorker)
{
    LogTail log;
    EXPECT_EQ(CMpsReader::readIDCardThread(nullptr), INVALID_ID_TYPE_PARAM);
    EXPECT_TRUE(log.containsInOrder({"invalid parameter pParam"}));
}

TEST(ReadPath, BuiltInCardReadsAsResidentCard)
{
    SimulatorSetting sim;
    LogTail log;
    ReadArguments args;
    EXPECT_EQ(args.read(), READ_OK);
    EXPECT_EQ(args.idType, ID_TYPE_CN);
    EXPECT_EQ(sim.trace(), (QStringList{"open 144", "find 144", "read 144", "close 144"}));
    EXPECT_EQ(log.messages().filter("<readIDCard>] <4>").size(), 1);
    EXPECT_EQ(log.messages().filter("<readIDCard>] <5>").size(), 1);
    EXPECT_EQ(CMpsReader::getReaderStatus(), DEV_UNINIT);
}

TEST(ReadPath, FetchFailuresMapToResultsAndCloseTheReader)
{
    struct Case {
        const char* scenario;
        READ_RESULT expected;
        QStringList lines;
        bool closed;
    };
    const Case cases[] = {
        {"no-reader", OPEN_DEV_FAIL, {"FetchCardData return 1", "reader status is: return -2"}, false},
        {"no-card", READ_NO_DATA, {"FetchCardData return -4", "reader status is: return 2"}, true},
        {"always-retry", READ_DATA_FAIL, {"FetchCardData return 65", "reader status is: return -5"}, true},
        {"read-error:50", READ_DATA_FAIL, {"FetchCardData return 50", "reader status is: return -3"}, true},
        {"card-type:7", UNSUPPORT_CARD, {"unsupported card type: 7"}, true},
    };
    for (const Case& c : cases) {
        SimulatorSetting sim(c.scenario);
        LogTail log;
        ReadArguments args;
        EXPECT_EQ(args.read(), c.expected) << c.scenario;
        QStringList messages = log.messages();
        for (const QString& want : c.lines)
            EXPECT_TRUE(messages.contains(want)) << c.scenario << " " << want.toStdString();
        EXPECT_EQ(messages.filter(QStringLiteral("read fail, result:%1").arg(c.expected)).size(), 1) << c.scenario;
        EXPECT_EQ(sim.trace().contains("close 144"), c.closed) << c.scenario;
        EXPECT_EQ(CMpsReader::getReaderStatus(), DEV_UNINIT) << c.scenario;
        EXPECT_EQ(args.idType, ID_TYPE_UNKNOWN) << c.scenario;
    }
}

TEST(ReadPath, FailedOpenDoesNotMakeLaterReadsBusy)
{
    {
        SimulatorSetting sim("no-reader");
        ReadArguments args;
        EXPECT_EQ(args.read(), OPEN_DEV_FAIL);
    }
    SimulatorSetting sim;
    ReadArguments args;
    EXPECT_EQ(args.read(), READ_OK);
}

TEST(ReadPath, ConcurrentCallersAreServedOneAtATime)
{
    SimulatorSetting sim("block:300");
    constexpr int kCallers = 3;
    std::vector<READ_RESULT> results(kCallers, UNKNOWN_ERROR);
    std::vector<QThread*> threads;
    for (int i = 0; i < kCallers; ++i) {
        threads.push_back(QThread::create([&results, i] {
            ReadArguments args;
            results[i] = args.read();
        }));
        threads.back()->start();
    }
    for (QThread* thread : threads) {
        thread->wait();
        delete thread;
    }
    for (READ_RESULT result : results)
        EXPECT_EQ(result, READ_OK);
    QStringList expected;
    for (int i = 0; i < kCallers; ++i)
        expected << "open 144" << "find 144" << "read 144" << "close 144";
    EXPECT_EQ(sim.trace(), expected);
}

// A caller re-entering readIDCard from its event loop with the same records:
// each call hands back only the card it read, so neither wipes the other's.
TEST(ReadPath, ReEntrantReadWithTheSameRecordsKeepsBothCards)
{
    SimulatorSetting sim("block:400", fixtureCard("cn.json"));
    ReadArguments args;
    READ_RESULT inner = UNKNOWN_ERROR;
    QTimer::singleShot(80, [&] {
        setenv("KVSSIM_CARD", fixtureCard("hmt.json").toLocal8Bit().constData(), 1);
        unsetenv("KVSSIM_SCENARIO");
        inner = args.read();
    });
    EXPECT_EQ(args.read(), READ_OK);
    EXPECT_EQ(inner, READ_OK);
    EXPECT_EQ(args.cn->idTextInfoCN.name, "李婉清");
    EXPECT_EQ(args.hmt->idTextInfoHMT.name, "何志强");
    EXPECT_EQ(args.idType, ID_TYPE_HMT);  // the inner call finished last
    EXPECT_FALSE(args.front.empty());
}

// An application keeping every thread of the global pool busy must not make
// reads queue behind its tasks until they time out.
TEST(ReadPath, ReadsRunWhileTheApplicationKeepsTheGlobalThreadPoolBusy)
{
    SimulatorSetting sim;
    QThreadPool* pool = QThreadPool::globalInstance();
    QSemaphore release;
    std::vector<QFuture<void>> busy;
    for (int i = 0; i < pool->maxThreadCount(); ++i)
        busy.push_back(QtConcurrent::run(pool, [&release] { release.acquire(); }));
    ReadArguments args;
    EXPECT_EQ(args.read(), READ_OK);
    release.release(pool->maxThreadCount());
    for (QFuture<void>& task : busy)
        task.waitForFinished();
}

// A finished read leaves no timer behind in the caller's event dispatcher:
// a desk reading card after card would otherwise pile them up for 8 s each.
TEST(ReadPath, FinishedReadLeavesNoTimerRegistered)
{
    SimulatorSetting sim;
    ReadArguments warmUp;
    ASSERT_EQ(warmUp.read(), READ_OK);
    const int before = QAbstractEventDispatcher::instance()->children().size();
    for (int i = 0; i < 5; ++i) {
        ReadArguments args;
        ASSERT_EQ(args.read(), READ_OK);
    }
    EXPECT_EQ(QAbstractEventDispatcher::instance()->children().size(), before);
}

// The late worker of a timed-out call must not write into the caller's
// records, which are freed at once here; AddressSanitizer would see it.
TEST(ReadPath, TimeOutReturnsAfterEightSecondsAndTheLateWorkerTouchesNothing)
{
    SimulatorSetting sim("block:9000");
    LogTail log;
    auto args = std::make_unique<ReadArguments>();
    QElapsedTimer clock;
    clock.start();
    READ_RESULT result = args->read();
    qint64 elapsed = clock.elapsed();
    args.reset();
    EXPECT_EQ(result, READ_DATA_TIMEOUT);
    EXPECT_GE(elapsed, 7900);
    EXPECT_LT(elapsed, 8900);
    EXPECT_TRUE(log.containsInOrder({"超时8秒未完成读卡"}));

    // The next read waits for the late worker to finish, then runs normally.
    unsetenv("KVSSIM_SCENARIO");
    ReadArguments next;
    EXPECT_EQ(next.read(), READ_OK);
    EXPECT_EQ(next.idType, ID_TYPE_CN);
    QStringList trace = sim.trace();
    ASSERT_GE(trace.size(), 8);
    EXPECT_EQ(trace.mid(0, 4), (QStringList{"open 144", "find 144", "read 144", "close 144"}));
}

// Every text of the card file fixtureCard(name), two characters or longer.
QStringList cardTexts(const char* name)
{
    QFile file(fixtureCard(name));
    file.open(QIODevice::ReadOnly);
    QStringList texts;
    for (const QJsonValue& value : QJsonDocument::fromJson(file.readAll()).object().value("fields").toObject()) {
        if (value.toString().size() >= 2)
            texts << value.toString();
    }
    return texts;
}

// The log is a field installation's trace of every read: it must never hold
// what is on the card, on the good path or on any failure.
TEST(ReadPath, LogHoldsNothingFromTheCard)
{
    LogTail log;
    QStringList texts = {"陈思远"};  // the built-in card
    for (const char* card : {"cn.json", "hmt.json", "fnew.json", "f2017.json"}) {
        texts << cardTexts(card);
        for (const char* scenario : {"", "retry:2", "no-card", "always-retry", "read-error:50", "card-type:7"}) {
            SimulatorSetting sim(scenario, fixtureCard(card));
            ReadArguments args;
            args.read();
        }
    }
    // The plain read after the timed-out one waits for its late worker, which
    // then leaves the reader to the tests that follow.
    for (const char* scenario : {"block:9000", ""}) {
        SimulatorSetting sim(scenario);
        ReadArguments args;
        args.read();
    }
    ASSERT_GE(texts.size(), 30);
    const QString text = log.messages().join('\n');
    EXPECT_TRUE(text.contains("unsupported card type: 7"));
    EXPECT_TRUE(text.contains("超时8秒未完成读卡"));
    for (const QString& cardText : texts)
        EXPECT_FALSE(text.contains(cardText)) << cardText.toStdString();
    // Nor any run of digits as long as a date or a document number.
    EXPECT_FALSE(text.contains(QRegularExpression("\\d{8,}"))) << text.toStdString();
}

// A FIFO at the log's path (another account's trap) neither holds the read
// nor receives its lines, whether something reads the FIFO or not.
TEST(ReadPath, FifoAtTheLogPathNeitherHoldsTheReadNorGetsItsLines)
{
    const QByteArray path = QFile::encodeName(logFilePath());
    const QByteArray saved = path + ".saved";
    ASSERT_EQ(rename(path.constData(), saved.constData()), 0);
    ASSERT_EQ(mkfifo(path.constData(), 0600), 0);
    SimulatorSetting sim;
    ReadArguments args;
    EXPECT_EQ(args.read(), READ_OK);
    const int reader = open(path.constData(), O_RDONLY | O_NONBLOCK);
    EXPECT_EQ(args.read(), READ_OK);
    char byte;
    EXPECT_LE(read(reader, &byte, 1), 0);
    close(reader);
    unlink(path.constData());
    rename(saved.constData(), path.constData());
}
