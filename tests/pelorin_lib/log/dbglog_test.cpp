// SPDX-License-Identifier: Apache-2.0
// The log writer: line format, locking against other processes, paths.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "dbglog.h"
#include "log_file.h"
#include "read_harness.h"

#include <functional>

namespace {

int writeLine(int fd, const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    int n = safe_write_va(fd, fmt, args);
    va_end(args);
    return n;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

bool privateToOwner(const QString& dir)
{
    struct stat info;
    return stat(QFile::encodeName(dir).constData(), &info) == 0 && (info.st_mode & 077) == 0;
}

}  // namespace

TEST(DbgLog, LineIsStampThenMessageThenNewline)
{
    QTemporaryDir dir;
    QString path = dir.filePath("log.txt");
    int fd = open(path.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    ASSERT_GE(fd, 0);
    QDateTime before = QDateTime::currentDateTime().addMSecs(-1);
    EXPECT_EQ(writeLine(fd, "invalid parameter pParam"), 24);
    EXPECT_EQ(writeLine(fd, "invalid id type parameter\n"), 26);
    EXPECT_EQ(writeLine(fd, "[%s(%d)<%s>] read fail, result:%d\n", "a.cpp", 12, "f", -24), 37);
    QDateTime after = QDateTime::currentDateTime().addMSecs(1);
    close(fd);

    QString text = QString::fromUtf8(fileBytes(path));
    QRegularExpression line(QStringLiteral(
        "^\\{(\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3})\\}invalid parameter pParam\\n"
        "\\{[^}]{23}\\}invalid id type parameter\\n"
        "\\{[^}]{23}\\}\\[a\\.cpp\\(12\\)<f>\\] read fail, result:-24\\n$"));
    QRegularExpressionMatch match = line.match(text);
    ASSERT_TRUE(match.hasMatch()) << text.toStdString();
    QDateTime stamp = QDateTime::fromString(match.captured(1), QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    EXPECT_GE(stamp, before);
    EXPECT_LE(stamp, after);
}

TEST(DbgLog, FormattedTimeHasMillisecondsAtPosition19)
{
    char buffer[32];
    memset(buffer, 'x', sizeof buffer);
    get_formatted_time(buffer, sizeof buffer);
    EXPECT_EQ(strlen(buffer), 23u);
    EXPECT_EQ(buffer[19], '.');
    EXPECT_TRUE(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}$").match(buffer).hasMatch());
}

// A fixed time with few milliseconds (padding), then the calendar arithmetic
// against the C library's own conversion across leap days and centuries.
TEST(DbgLog, StampTextMatchesTheCalendar)
{
    char text[kStampTextSize];
    struct tm fixed = {};
    fixed.tm_year = 2026 - 1900;
    fixed.tm_mon = 0;
    fixed.tm_mday = 2;
    fixed.tm_hour = 9;
    fixed.tm_min = 5;
    fixed.tm_sec = 3;
    formatStampText(timegm(&fixed), 7, text);
    EXPECT_STREQ(text, "2026-01-02 09:05:03.007");

    for (long long t = 0; t < 4102444800LL; t += 7 * 3600 + 13) {  // 1970 to 2100
        const time_t seconds = static_cast<time_t>(t);
        struct tm utc;
        gmtime_r(&seconds, &utc);
        char expected[32];
        strftime(expected, sizeof expected, "%Y-%m-%d %H:%M:%S.042", &utc);
        formatStampText(t, 42, text);
        ASSERT_STREQ(text, expected) << t;
    }
}

TEST(DbgLog, GivesUpWhenAnotherProcessHoldsTheLockTooLong)
{
    QTemporaryDir dir;
    QByteArray path = dir.filePath("locked.log").toLocal8Bit();
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t child = fork();
    if (child == 0) {
        int fd = open(path.constData(), O_WRONLY | O_CREAT, 0644);
        flock(fd, LOCK_EX);
        char c = 1;
        (void)!write(ready[1], &c, 1);
        sleep(7);
        _exit(0);
    }
    char c;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    int fd = open(path.constData(), O_WRONLY | O_APPEND);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(writeLine(fd, "dropped line\n"), -1);
    qint64 elapsed = clock.elapsed();
    close(fd);
    EXPECT_GT(elapsed, 5000);
    EXPECT_LT(elapsed, 7000);
    EXPECT_TRUE(fileBytes(QString::fromLocal8Bit(path)).isEmpty());
    int status = 0;
    waitpid(child, &status, 0);
}

TEST(DbgLog, LogFileSitsBesideTheLibrary)
{
    EXPECT_EQ(QString::fromUtf8(getLogName()), logFilePath());
}

// Past 1 MiB the log moves aside to one older file, replacing the one
// before; both are the owner's only.
TEST(DbgLog, FullLogMovesAsideKeepingOneOlderFile)
{
    const QString path = logFilePath();
    QFile::remove(path);
    QFile::remove(path + ".1");
    const std::string line(999, 'x');  // 1000 bytes with the newline, 1025 stamped
    for (int i = 0; i < 3 * 1050; ++i)
        ASSERT_EQ(safe_write_fmt("%s\n", line.c_str()), 1000);
    const QByteArray older = fileBytes(path + ".1");
    EXPECT_GE(older.size(), 1024 * 1024);
    EXPECT_LT(older.size(), 1024 * 1024 + 1025);
    EXPECT_LT(QFileInfo(path).size(), 1024 * 1024);
    EXPECT_FALSE(older.contains("\n\n"));
    EXPECT_TRUE(older.startsWith('{'));
    for (const QString& file : {path, path + ".1"}) {
        struct stat info;
        ASSERT_EQ(stat(QFile::encodeName(file).constData(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0600u) << file.toStdString();
    }
    QFile::remove(path + ".1");
}

// Each line finds the log anew: after another process moved it aside, or
// after it was removed, the next line starts a new file at the log's path.
TEST(DbgLog, LogMovedAsideOrRemovedMeanwhileIsMadeAnew)
{
    const QString path = logFilePath();
    QFile::remove(path + ".1");
    ASSERT_EQ(safe_write_fmt("before the move\n"), 16);
    ASSERT_TRUE(QFile::rename(path, path + ".1"));
    ASSERT_EQ(safe_write_fmt("after the move\n"), 15);
    EXPECT_TRUE(fileBytes(path + ".1").endsWith("}before the move\n"));
    EXPECT_TRUE(fileBytes(path).endsWith("}after the move\n"));
    EXPECT_EQ(fileBytes(path).count('\n'), 1);
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_EQ(safe_write_fmt("after the removal\n"), 18);
    EXPECT_EQ(fileBytes(path).count('\n'), 1);
    EXPECT_TRUE(fileBytes(path).endsWith("}after the removal\n"));
    QFile::remove(path + ".1");
}

// An installed library never logs beside itself, even where it could (as
// root): in the system log directory when writable, else the state
// directory. The loader may name it by a link from outside /usr.
TEST(DbgLog, InstalledLibraryNeverLogsBesideItself)
{
    QTemporaryDir dir;
    Dl_info libc;
    ASSERT_NE(dladdr(reinterpret_cast<void*>(&strlen), &libc), 0);
    const QString linked = dir.filePath("libpelorin.so.1");
    ASSERT_TRUE(QFile::link(QFileInfo(libc.dli_fname).canonicalFilePath(), linked));
    const QByteArray state = QFile::encodeName(dir.filePath("state"));
    setenv("XDG_STATE_HOME", state.constData(), 1);
    char out[256];
    const bool chosen = chooseLogPath(QFile::encodeName(linked).constData(), out, sizeof out);
    unsetenv("XDG_STATE_HOME");
    ASSERT_TRUE(chosen);
    EXPECT_STREQ(out, access("/var/log/pelorin", W_OK) == 0 ? "/var/log/pelorin/pelorin_dbg.log"
                                                           : (state + "/pelorin/pelorin_dbg.log").constData());
    // A copy outside /usr (a build tree) keeps its log beside it.
    ASSERT_TRUE(chooseLogPath(QFile::encodeName(dir.filePath("libpelorin.so.2")).constData(), out, sizeof out));
    EXPECT_EQ(QString::fromLocal8Bit(out), dir.filePath("pelorin_dbg.log"));
}

TEST(DbgLog, PathThatDoesNotFitIsRefused)
{
    char out[256];
    std::string dir = "/" + std::string(230, 'd');
    EXPECT_TRUE(makeLogPath((dir + "/lib.so").c_str(), out, sizeof out));  // 231 + 16 bytes
    EXPECT_EQ(std::string(out), dir + "/pelorin_dbg.log");
    std::string longDir = "/" + std::string(239, 'd');  // 240 + 16 = 256 bytes: no room for the NUL
    EXPECT_FALSE(makeLogPath((longDir + "/lib.so").c_str(), out, sizeof out));
    EXPECT_STREQ(out, "");
}

// As root, permissions cannot make the directory unwritable; a directory in
// the log file's place makes every open fail the same way. A link there is
// not followed.
TEST(DbgLog, UnopenableLogDropsLinesAndReadsGoOn)
{
    QString path = logFilePath();
    QString saved = path + ".saved";
    QFile::remove(saved);
    QFile::rename(path, saved);
    ASSERT_TRUE(QDir().mkdir(path));
    EXPECT_EQ(safe_write_fmt("not written\n"), -1);
    QDir().rmdir(path);
    ASSERT_TRUE(QFile::link(saved, path));
    EXPECT_EQ(safe_write_fmt("not written\n"), -1);
    EXPECT_FALSE(fileBytes(saved).contains("not written"));
    QFile::remove(path);
    QFile::rename(saved, path);
}

namespace {

constexpr uid_t kNobodyUid = 65534;

bool opensLog(const QByteArray& path)
{
    LogFile log;
    const bool opened = openLogFile(path.constData(), log);
    closeLogFile(log);
    return opened;
}

}  // namespace

// What another account can plant at the log's path, or make of its file or
// directory, is never opened for root: root's lines then go nowhere, at once.
TEST(LogFile, RootRefusesWhatAnotherAccountCouldSteer)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "plants files of another account: needs root";
    QTemporaryDir dir;
    const QByteArray log = QFile::encodeName(dir.filePath("pelorin_dbg.log"));
    const QByteArray target = QFile::encodeName(dir.filePath("target"));
    const auto makeTarget = [&](uid_t owner) {
        QFile file(QFile::decodeName(target));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("kept") == 4);
        file.close();
        ASSERT_EQ(chown(target.constData(), owner, owner), 0);
    };
    int fifoReader = -1;
    struct Plant {
        const char* what;
        std::function<void()> make;
    };
    const Plant plants[] = {
        {"link to root's file", [&] { makeTarget(0); ASSERT_EQ(symlink(target.constData(), log.constData()), 0); }},
        {"link to another account's file",
         [&] { makeTarget(kNobodyUid); ASSERT_EQ(symlink(target.constData(), log.constData()), 0); }},
        {"link to a missing file", [&] { ASSERT_EQ(symlink(target.constData(), log.constData()), 0); }},
        {"FIFO without a reader", [&] { ASSERT_EQ(mkfifo(log.constData(), 0600), 0); }},
        {"FIFO with a reader",
         [&] {
             ASSERT_EQ(mkfifo(log.constData(), 0600), 0);
             fifoReader = open(log.constData(), O_RDONLY | O_NONBLOCK);
         }},
        {"another account's file", [&] { makeTarget(kNobodyUid); ASSERT_EQ(rename(target.constData(), log.constData()), 0); }},
        {"root's file others may write",
         [&] { makeTarget(0); ASSERT_EQ(chmod(target.constData(), 0622), 0); ASSERT_EQ(rename(target.constData(), log.constData()), 0); }},
        {"hard link to root's file", [&] { makeTarget(0); ASSERT_EQ(link(target.constData(), log.constData()), 0); }},
        {"directory of another account",
         [&] { ASSERT_EQ(chown(QFile::encodeName(dir.path()).constData(), kNobodyUid, kNobodyUid), 0); }},
        {"directory others may write", [&] { ASSERT_EQ(chmod(QFile::encodeName(dir.path()).constData(), 01777), 0); }},
    };
    for (const Plant& plant : plants) {
        plant.make();
        const bool targetMade = QFile::exists(QFile::decodeName(target));
        QElapsedTimer clock;
        clock.start();
        EXPECT_FALSE(opensLog(log)) << plant.what;
        EXPECT_LT(clock.elapsed(), 1000) << plant.what;
        if (targetMade) {
            EXPECT_EQ(fileBytes(QFile::decodeName(target)), "kept") << plant.what;
        } else {
            EXPECT_FALSE(QFile::exists(QFile::decodeName(target))) << plant.what;
        }
        if (fifoReader >= 0) {
            char byte;
            EXPECT_LE(read(fifoReader, &byte, 1), 0) << plant.what;
            close(fifoReader);
            fifoReader = -1;
        }
        // Back to a clean, private directory of root's.
        unlink(log.constData());
        unlink(target.constData());
        ASSERT_EQ(chown(QFile::encodeName(dir.path()).constData(), 0, 0), 0);
        ASSERT_EQ(chmod(QFile::encodeName(dir.path()).constData(), 0700), 0);
    }
    EXPECT_TRUE(opensLog(log));
}

// A new log is the owner's only whatever the umask, and its descriptors stay
// clear of the standard ones a host may have closed.
TEST(LogFile, NewLogIsPrivateAndAboveTheStandardDescriptors)
{
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath("pelorin_dbg.log"));
    const mode_t umaskBefore = umask(0);
    const int savedInput = dup(STDIN_FILENO);
    close(STDIN_FILENO);
    LogFile log;
    const bool opened = openLogFile(path.constData(), log);
    dup2(savedInput, STDIN_FILENO);
    close(savedInput);
    umask(umaskBefore);
    ASSERT_TRUE(opened);
    EXPECT_GT(log.file, STDERR_FILENO);
    EXPECT_GT(log.directory, STDERR_FILENO);
    EXPECT_TRUE(fcntl(log.file, F_GETFD) & FD_CLOEXEC);
    struct stat info;
    ASSERT_EQ(fstat(log.file, &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    closeLogFile(log);
}

// An installed library's directory is not writable for a normal user: the
// log moves to the user's state directory. Only root can become such a user.
class StateDirectoryLog : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (geteuid() != 0)
            GTEST_SKIP() << "needs root to switch to the user nobody";
        ASSERT_EQ(chown(QFile::encodeName(m_dir.path()).constData(), kNobody, kNobody), 0);
    }

    // Writes one line as the user nobody with this environment; true when written.
    static bool writeAsNobody(const char* stateHome, const QString& home)
    {
        pid_t child = fork();
        if (child == 0) {
            if (stateHome)
                setenv("XDG_STATE_HOME", stateHome, 1);
            else
                unsetenv("XDG_STATE_HOME");
            setenv("HOME", QFile::encodeName(home).constData(), 1);
            if (setgid(kNobody) != 0 || setuid(kNobody) != 0)
                _exit(2);
            _exit(safe_write_fmt("state log line\n") == 15 ? 0 : 1);
        }
        int status = -1;
        waitpid(child, &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

    static constexpr uid_t kNobody = 65534;
    QTemporaryDir m_dir;
};

TEST_F(StateDirectoryLog, GoesToXdgStateHomeInAPrivateDirectory)
{
    QByteArray state = QFile::encodeName(m_dir.filePath("state"));
    ASSERT_TRUE(writeAsNobody(state.constData(), m_dir.filePath("home")));
    QString dir = m_dir.filePath("state/pelorin");
    EXPECT_TRUE(fileBytes(dir + "/pelorin_dbg.log").endsWith("}state log line\n"));
    EXPECT_TRUE(privateToOwner(dir));
    EXPECT_FALSE(QFile::exists(m_dir.filePath("home/.local")));
}

TEST_F(StateDirectoryLog, DefaultsToLocalStateUnderHomeWhenUnsetOrRelative)
{
    QString home = m_dir.filePath("home");
    ASSERT_TRUE(writeAsNobody(nullptr, home));
    ASSERT_TRUE(writeAsNobody("relative/state", home));
    QByteArray log = fileBytes(home + "/.local/state/pelorin/pelorin_dbg.log");
    EXPECT_EQ(log.count("}state log line\n"), 2) << log.constData();
    EXPECT_TRUE(privateToOwner(home + "/.local"));
}
