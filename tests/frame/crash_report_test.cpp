// A SIGSEGV after the first read: report on stdout and in the log, status 1.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <unistd.h>

#include "read_harness.h"

static const char* g_crashHost = nullptr;

TEST(CrashReport, SegfaultAfterReadWritesTheReportAndExitsWithOne)
{
    LogTail log;
    QProcess host;
    host.start(QString::fromLocal8Bit(g_crashHost), QStringList());
    ASSERT_TRUE(host.waitForFinished(30000));
    EXPECT_EQ(host.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(host.exitCode(), 1);
    QString out = QString::fromUtf8(host.readAllStandardOutput());
    EXPECT_TRUE(out.contains("read result 0\n")) << out.toStdString();
    EXPECT_TRUE(out.contains("非法使用内存，请检查是否违规初始化GUI或者违规使用GUI方法。错误号:11\n")) << out.toStdString();

    QStringList lines = log.messages();
    int at = lines.indexOf("非法使用内存, 请检查是否违规初始化GUI或者违规使用GUI方法。错误号:11");
    ASSERT_GE(at, 0);
    ASSERT_LT(at + 3, lines.size());
    EXPECT_EQ(lines[at + 1], "Segmentation fault detected!");
    EXPECT_EQ(lines[at + 2], "Call stack:");
    EXPECT_TRUE(lines.mid(at + 3).join('\n').contains("crash_after_read")) << lines.join('\n').toStdString();
}

// Run as a user who cannot write beside the library, the read's lines and the
// report land in the user's state directory.
TEST(CrashReport, UnprivilegedHostReportsToTheStateDirectory)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to switch to the user nobody";
    QTemporaryDir state;
    ASSERT_EQ(chown(QFile::encodeName(state.path()).constData(), 65534, 65534), 0);
    QProcess host;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_STATE_HOME", state.path());
    host.setProcessEnvironment(env);
    host.start("setpriv", {"--reuid=nobody", "--regid=nogroup", "--clear-groups",
                           QString::fromLocal8Bit(g_crashHost)});
    ASSERT_TRUE(host.waitForFinished(30000));
    EXPECT_EQ(host.exitCode(), 1) << host.readAllStandardError().toStdString();

    QFile log(state.filePath("pelorin/pelorin_dbg.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(log.readAll());
    EXPECT_TRUE(text.contains("<readIDCard>")) << text.toStdString();
    EXPECT_TRUE(text.contains("}Segmentation fault detected!\n")) << text.toStdString();
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 2)
        return 2;
    g_crashHost = argv[1];
    return RUN_ALL_TESTS();
}
