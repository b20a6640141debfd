// A read through pelorin-service against a direct readIDCard call, both on
// the simulated reader with the same card: p50 and p99 of each, and the
// service's resident memory over many reads. Targets: the service adds at
// most 10 ms at p99; its memory stays flat after warm-up.
//   bench_service [TIMED_READS [MEMORY_READS]]   (defaults 200 and 10000)
#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWebSocket>

#include <pelorin/pelorin_api.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
const char* kCard = PELORIN_FIXTURES_DIR "/cards/cn_payload.json";

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Percentiles {
    double p50;
    double p99;
};

Percentiles percentiles(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    const auto at = [&](double q) { return ms[std::min(ms.size() - 1, static_cast<size_t>(q * ms.size()))]; };
    return {at(0.50), at(0.99)};
}

double directRead()
{
    ID_TYPE type = ID_TYPE_UNKNOWN;
    auto cn = std::make_unique<IDCARD_INFO_ALL_CN>();
    auto f2017 = std::make_unique<IDCARD_INFO_ALL_FOREIGN_2017>();
    auto fnew = std::make_unique<IDCARD_INFO_ALL_FOREIGN_NEW>();
    auto hmt = std::make_unique<IDCARD_INFO_ALL_HMT>();
    std::string front, back;
    const auto start = Clock::now();
    if (readIDCard(&type, cn.get(), f2017.get(), fnew.get(), hmt.get(), &front, &back) != READ_OK) {
        std::fprintf(stderr, "direct read failed\n");
        std::exit(1);
    }
    return msSince(start);
}

class ServiceClient {
public:
    bool open(quint16 port)
    {
        QEventLoop loop;
        QObject::connect(&m_socket, &QWebSocket::connected, &loop, &QEventLoop::quit);
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        m_socket.open(QUrl(QString("ws://127.0.0.1:%1").arg(port)));
        loop.exec();
        QObject::connect(&m_socket, &QWebSocket::textMessageReceived, [this](const QString& text) {
            m_reply = text;
            m_wait.quit();
        });
        return m_socket.state() == QAbstractSocket::ConnectedState;
    }

    // One read with photo and faces, as a page would ask for it.
    double read()
    {
        const auto start = Clock::now();
        m_socket.sendTextMessage(R"({"type":"read","photo":true,"faces":true})");
        m_wait.exec();
        const double ms = msSince(start);
        if (QJsonDocument::fromJson(m_reply.toUtf8()).object().value("type") != "read") {
            std::fprintf(stderr, "service read failed: %s\n", qPrintable(m_reply.left(200)));
            std::exit(1);
        }
        return ms;
    }

private:
    QWebSocket m_socket;
    QEventLoop m_wait;
    QString m_reply;
};

long residentKiB(qint64 pid)
{
    QFile status(QString("/proc/%1/status").arg(pid));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("KVSSIM_CARD", kCard);
    QGuiApplication app(argc, argv);
    const int timedReads = argc > 1 ? std::atoi(argv[1]) : 200;
    const int memoryReads = argc > 2 ? std::atoi(argv[2]) : 10000;

    QTemporaryDir dir;
    const quint16 port = freePort();
    QFile config(dir.filePath("service.conf"));
    config.open(QIODevice::WriteOnly);
    config.write(QString("port = %1\nrequests-per-second = 1000\n").arg(port).toUtf8());
    config.close();
    QProcess service;
    service.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    service.setStandardOutputFile(QProcess::nullDevice());
    service.start(QCoreApplication::applicationDirPath() + "/pelorin-service", {"--config", config.fileName()});
    service.waitForStarted();
    ServiceClient client;
    for (int attempt = 0; attempt < 50 && !client.open(port); ++attempt)
        QThread::msleep(100);

    std::vector<double> direct, throughService;
    for (int i = 0; i < 10; ++i) {  // warm-up: fonts, templates, the decoder's buffers
        directRead();
        client.read();
    }
    // Interleaved, so both see the same machine load.
    for (int i = 0; i < timedReads; ++i) {
        direct.push_back(directRead());
        throughService.push_back(client.read());
    }
    const Percentiles d = percentiles(direct);
    const Percentiles s = percentiles(throughService);
    std::printf("reads: %d each, photo and both faces\n", timedReads);
    std::printf("direct readIDCard:   p50 %7.2f ms   p99 %7.2f ms\n", d.p50, d.p99);
    std::printf("through the service: p50 %7.2f ms   p99 %7.2f ms\n", s.p50, s.p99);
    std::printf("service overhead:    p50 %7.2f ms   p99 %7.2f ms   (target: p99 at most 10 ms)\n",
                s.p50 - d.p50, s.p99 - d.p99);

    std::printf("service memory (VmRSS) over %d reads:\n", memoryReads);
    const int step = std::max(1, memoryReads / 10);
    for (int i = 1; i <= memoryReads; ++i) {
        client.read();
        if (i % step == 0) {
            std::printf("  after %6d reads: %ld KiB\n", i, residentKiB(service.processId()));
            std::fflush(stdout);
        }
    }
    service.terminate();
    service.waitForFinished();
    return 0;
}
