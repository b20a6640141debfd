// SPDX-License-Identifier: Apache-2.0
// A SIGSEGV after the first read: report on stdout and in the log, then the
// signal goes on to what the host had: the default death or its own handler.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <csignal>

#include "read_harness.h"

static const char* g_crashHost = nullptr;
static const char* g_crashProgram = nullptr;  // the host's own file, not its launcher

struct Ending {
    QProcess::ExitStatus status;
    int code;  // the exit code, or the signal that ended the host
    QString out;
};

Ending runHost(const QStringList& arguments)
{
    QProcess host;
    host.start(QString::fromLocal8Bit(g_crashHost), arguments);
    host.waitForFinished(30000);
    return {host.exitStatus(), host.exitCode(), QString::fromUtf8(host.readAllStandardOutput())};
}

TEST(CrashReport, SegfaultAfterReadWritesTheReportThenDiesOfTheSignal)
{
    LogTail log;
    const Ending host = runHost({});
    EXPECT_EQ(host.status, QProcess::CrashExit);
    EXPECT_EQ(host.code, SIGSEGV);
    const QString& out = host.out;
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

TEST(CrashReport, HostsOwnHandlerStillRunsAfterTheReport)
{
    LogTail log;
    const Ending host = runHost({"own-handler"});
    EXPECT_EQ(host.status, QProcess::NormalExit);
    EXPECT_EQ(host.code, 42);
    EXPECT_TRUE(log.messages().contains("Segmentation fault detected!"));
}

// Run as a user who cannot write beside the library, the read's lines and the
// report land in the user's state directory. The user may not reach the
// build tree at all (a clone under /root, which only root may enter): the
// host runs from a copy of it and the libraries and readers file beside it,
// in a directory the user may enter but not write.
TEST(CrashReport, UnprivilegedHostReportsToTheStateDirectory)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to switch to the user nobody";
    QTemporaryDir state, copy;
    ASSERT_EQ(chown(QFile::encodeName(state.path()).constData(), 65534, 65534), 0);
    ASSERT_EQ(chmod(QFile::encodeName(copy.path()).constData(), 0755), 0);
    const QDir built = QFileInfo(QString::fromLocal8Bit(g_crashProgram)).dir();
    const QString program = QFileInfo(QString::fromLocal8Bit(g_crashProgram)).fileName();
    for (const QString& name : built.entryList({program, "lib*.so*", "pelorin-readers.conf"}, QDir::Files))
        ASSERT_TRUE(QFile::copy(built.filePath(name), copy.filePath(name))) << name.toStdString();
    QProcess host;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_STATE_HOME", state.path());
    host.setProcessEnvironment(env);
    QStringList command = {"--reuid=nobody", "--regid=nogroup", "--clear-groups"};
    if (*PELORIN_EMULATOR != '\0')
        command << PELORIN_EMULATOR;
    host.start("setpriv", command << copy.filePath(program));
    ASSERT_TRUE(host.waitForFinished(30000));
    EXPECT_EQ(host.exitStatus(), QProcess::CrashExit) << host.readAllStandardError().toStdString();

    QFile log(state.filePath("pelorin/pelorin_dbg.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(log.readAll());
    EXPECT_TRUE(text.contains("<readIDCard>")) << text.toStdString();
    EXPECT_TRUE(text.contains("}Segmentation fault detected!\n")) << text.toStdString();
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 3)
        return 2;
    g_crashHost = argv[1];
    g_crashProgram = argv[2];
    struct rlimit noCore = {0, 0};  // the hosts die of SIGSEGV: no core files
    setrlimit(RLIMIT_CORE, &noCore);
    return RUN_ALL_TESTS();
}
