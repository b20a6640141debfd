// SPDX-License-Identifier: Apache-2.0
// The service's rules without sockets: origins and Host, the configuration
// file, the handshake verdict, and what a client's messages turn into.
#include "browser_policy.h"
#include "client_frames.h"
#include "handshake_policy.h"
#include "log_budget.h"
#include "replies.h"
#include "request_handler.h"
#include "service_config.h"

#include <gtest/gtest.h>

#include <pelorin/pelorin_api.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <unistd.h>

namespace {

OriginList listOf(std::initializer_list<const char*> texts)
{
    OriginList list;
    for (const char* text : texts) {
        OriginPattern pattern;
        QString problem;
        EXPECT_TRUE(OriginPattern::parse(text, pattern, problem)) << text << ": " << qPrintable(problem);
        list.add(pattern);
    }
    return list;
}

QJsonObject json(const QByteArray& message)
{
    return QJsonDocument::fromJson(message).object();
}

TEST(Origins, ExactPortAnyPortAndRefusals)
{
    const OriginList list = listOf({"https://desk.example.com", "http://localhost:*", "http://[::1]:8080"});
    for (const char* allowed : {"https://desk.example.com", "http://localhost", "http://localhost:3000",
                                "http://[::1]:8080"})
        EXPECT_TRUE(list.allows(allowed)) << allowed;
    for (const char* refused : {"null", "", "https://desk.example.com:444", "https://desk.example.com.evil.org",
                                "http://desk.example.com", "http://localhost.evil.org", "http://localhost:",
                                "http://localhost:80a", "http://localhost:123456", "http://[::1]",
                                "http://[::1]:80801", "HTTP://LOCALHOST"})
        EXPECT_FALSE(list.allows(refused)) << refused;
    EXPECT_TRUE(OriginList::thisMachine().allows("http://127.0.0.1:8000"));
    EXPECT_FALSE(OriginList::thisMachine().allows("http://192.168.1.2:8000"));

    for (const char* bad : {"null", "localhost", "http://localhost/", "http://localhost/app", "http://LocalHost",
                            "http://localhost:80", "https://x.org:443", "http://user@localhost",
                            "http://localhost:8080:*", "http://localhost?a=1", "*"}) {
        OriginPattern pattern;
        QString problem;
        EXPECT_FALSE(OriginPattern::parse(bad, pattern, problem)) << bad;
        EXPECT_FALSE(problem.isEmpty());
    }
}

TEST(Origins, HostMustNameTheLoopbackWithThePort)
{
    for (const char* host : {"127.0.0.1:47801", "localhost:47801", "LOCALHOST:47801", "[::1]:47801"})
        EXPECT_TRUE(isLoopbackHost(host, 47801)) << host;
    for (const char* host : {"evil.com:47801", "127.0.0.1", "127.0.0.1:47802", "localhost.evil.com:47801",
                             "127.0.0.2:47801", "", "0.0.0.0:47801", "[::1]"})
        EXPECT_FALSE(isLoopbackHost(host, 47801)) << host;
}

TEST(Origins, LoopbackPagesAndTheBrowserPolicy)
{
    QVector<QHostAddress> addresses;
    quint16 port = 0;
    ASSERT_TRUE(loopbackOriginServer("http://localhost", addresses, port));
    EXPECT_EQ(addresses, (QVector<QHostAddress>{QHostAddress("127.0.0.1"), QHostAddress("::1")}));
    EXPECT_EQ(port, 80);
    ASSERT_TRUE(loopbackOriginServer("https://127.0.0.2:8443", addresses, port));
    EXPECT_EQ(addresses, QVector<QHostAddress>{QHostAddress("127.0.0.2")});
    EXPECT_EQ(port, 8443);
    ASSERT_TRUE(loopbackOriginServer("https://[::ffff:7f00:1]", addresses, port));
    EXPECT_EQ(addresses, QVector<QHostAddress>{QHostAddress("127.0.0.1")});
    EXPECT_EQ(port, 443);
    EXPECT_TRUE(loopbackOriginServer("http://app.localhost:3000", addresses, port));
    EXPECT_TRUE(loopbackOriginServer("http://[::1]:9000", addresses, port));
    for (const char* elsewhere : {"https://desk.example.com", "http://128.0.0.1", "http://localhost.evil.org:80",
                                  "http://[::2]", "null", "", "ftp://localhost"})
        EXPECT_FALSE(loopbackOriginServer(elsewhere, addresses, port)) << elsewhere;

    const QJsonObject policy = QJsonDocument::fromJson(browserPolicy(listOf(
        {"https://desk.example.com", "http://localhost:*", "https://127.0.0.1:8443", "http://intranet.local:*"}))).object();
    EXPECT_EQ(policy, (QJsonObject{{"LocalNetworkAccessAllowedForUrls",
                                    QJsonArray{"https://desk.example.com", "http://intranet.local:*"}}}))
        << "pages of this machine need no permission";
}

TEST(Config, SettingsCommentsAndOneClearLinePerError)
{
    ServiceConfig config;
    QString error;
    ASSERT_TRUE(parseServiceConfig("# comment\n\nport = 50001  # trailing\norigin = http://app.local:8080\n"
                                   "origin=https://b.example\nmax-clients = 5\nidle-timeout=3\n",
                                   "f.conf", config, error))
        << qPrintable(error);
    EXPECT_EQ(config.port, 50001);
    EXPECT_EQ(config.maxClients, 5);
    EXPECT_EQ(config.idleTimeoutSeconds, 3);
    EXPECT_TRUE(config.allowedOrigins().allows("http://app.local:8080"));
    EXPECT_FALSE(config.allowedOrigins().allows("http://localhost:8080")) << "naming origins replaces the default";
    EXPECT_TRUE(ServiceConfig().allowedOrigins().allows("http://localhost:8080"));
    EXPECT_EQ(config.allowedUser(), geteuid()) << "by default the service's own account";
    ASSERT_TRUE(parseServiceConfig("user = nobody\n", "f.conf", config, error)) << qPrintable(error);
    EXPECT_EQ(config.allowedUser(), 65534u);
    ASSERT_TRUE(parseServiceConfig("user = 1234\n", "f.conf", config, error)) << qPrintable(error);
    EXPECT_EQ(config.allowedUser(), 1234u);

    const std::pair<const char*, const char*> bad[] = {
        {"port = 0", "f.conf:2: port"},
        {"port = 70000", "f.conf:2: port"},
        {"port = 80x", "f.conf:2: port"},
        {"prot = 1", "f.conf:2: unknown setting \"prot\""},
        {"origin = null", "f.conf:2: \"null\""},
        {"origin = http://x.org/", "f.conf:2: \"http://x.org/\" is not an origin"},
        {"just words", "f.conf:2: expected \"key = value\""},
        {"max-clients =", "f.conf:2: expected"},
        {"requests-per-second = 0", "f.conf:2: requests-per-second \"0\""},
        {"idle-timeout = 5\nidle-timeout = 6", "f.conf:3: idle-timeout is set twice"},
        {"user = no-such-account", "f.conf:2: user \"no-such-account\" is not an account"},
        {"user = -1", "f.conf:2: user \"-1\" is not an account"},
    };
    for (const auto& [line, expected] : bad) {
        ServiceConfig ignored;
        EXPECT_FALSE(parseServiceConfig(QByteArray("# first\n") + line, "f.conf", ignored, error)) << line;
        EXPECT_TRUE(error.startsWith(expected)) << qPrintable(error);
    }
}

TEST(Handshake, VerdictFromTheHeaderBlock)
{
    const OriginList origins = listOf({"http://127.0.0.1:8000"});
    const auto verdict = [&](const QByteArray& headers, const QByteArray& requestLine = "GET / HTTP/1.1") {
        return judgeHandshake(requestLine + "\r\n" + headers + "\r\n", origins, 47801).verdict;
    };
    const QByteArray page = "Host: 127.0.0.1:47801\r\nOrigin: http://127.0.0.1:8000\r\n";
    const QByteArray upgrade = "Upgrade: websocket\r\n";
    EXPECT_EQ(verdict(page + upgrade), HandshakeVerdict::Admit);
    EXPECT_EQ(verdict("host:localhost:47801\r\nupgrade: WebSocket\r\n"), HandshakeVerdict::Admit)
        << "no Origin: a local program";
    EXPECT_EQ(verdict(page + "Upgrade: h2c, websocket\r\n", "GET /?session=1 HTTP/1.1"), HandshakeVerdict::Admit);
    EXPECT_EQ(verdict("Host: 127.0.0.1:47801\r\nOrigin: null\r\n" + upgrade), HandshakeVerdict::OriginRefused);
    EXPECT_EQ(verdict("Host: 127.0.0.1:47801\r\nORIGIN: http://evil.com\r\n"), HandshakeVerdict::OriginRefused);
    EXPECT_EQ(verdict("Host: 127.0.0.1:47801\r\nOrigin: \r\n"), HandshakeVerdict::OriginRefused);
    EXPECT_EQ(verdict("Host: rebound.evil.com:47801\r\nOrigin: http://127.0.0.1:8000\r\n", "GET /x HTTP/1.1"),
              HandshakeVerdict::ForeignHost);

    EXPECT_EQ(verdict(page), HandshakeVerdict::NotWebSocket) << "plain HTTP";
    EXPECT_EQ(verdict(page + "Upgrade: h2c\r\n"), HandshakeVerdict::NotWebSocket);
    EXPECT_EQ(verdict(page + upgrade, "POST / HTTP/1.1"), HandshakeVerdict::NotWebSocket);
    EXPECT_EQ(verdict(page + upgrade, "GET /favicon.ico HTTP/1.1"), HandshakeVerdict::UnknownPath);
    EXPECT_EQ(verdict(page, "GET //evil HTTP/1.1"), HandshakeVerdict::UnknownPath);

    EXPECT_EQ(verdict(page + upgrade, "GET / HTTP/2"), HandshakeVerdict::BadRequest);
    EXPECT_EQ(verdict(page + upgrade, "GET /"), HandshakeVerdict::BadRequest);
    EXPECT_EQ(verdict(page + upgrade, "GET  / HTTP/1.1"), HandshakeVerdict::BadRequest);
    EXPECT_EQ(verdict("Origin: http://127.0.0.1:8000\r\n" + upgrade), HandshakeVerdict::BadRequest);
    EXPECT_EQ(verdict("Host: 127.0.0.1:47801\r\nHost: evil.com\r\n"), HandshakeVerdict::BadRequest);
    EXPECT_EQ(verdict(page + "Origin: http://evil.com\r\n"), HandshakeVerdict::BadRequest);
    EXPECT_EQ(verdict("Host: 127.0.0.1:47801\r\n Origin: http://evil.com\r\n"), HandshakeVerdict::BadRequest);
    EXPECT_EQ(headerBlockEnd("GET / HTTP/1.1\r\nHost: x\r\n"), -1);
    EXPECT_EQ(headerBlockEnd("GET / HTTP/1.1\r\n\r\nframe"), 18);
}

TEST(Frames, EveryClientFrameMustBeMasked)
{
    const auto header = [](int length, bool masked) {
        QByteArray bytes("\x81");
        const char mask = masked ? '\x80' : '\0';
        if (length < 126) {
            bytes += char(mask | length);
        } else if (length < 65536) {
            bytes += char(mask | 126);
            bytes += char(length >> 8);
            bytes += char(length & 0xff);
        } else {
            bytes += char(mask | 127);
            for (int shift = 56; shift >= 0; shift -= 8)
                bytes += char((qint64(length) >> shift) & 0xff);
        }
        return masked ? bytes + QByteArray(4, '\0') : bytes;
    };
    const auto masked = [&](int length) { return header(length, true) + QByteArray(length, 'x'); };
    const QByteArray handshake = "GET / HTTP/1.1\r\n\r\n";
    const QByteArray stream = handshake + masked(5) + masked(300) + masked(70000) + header(3, false) + "abc";

    ClientFrames whole(handshake.size());
    EXPECT_FALSE(whole.allMasked(stream, 0));

    // A byte at a time, the reader taking what it has read at once.
    ClientFrames trickled(handshake.size());
    const qint64 unmaskedAt = stream.size() - 5;
    for (qint64 at = 0; at < stream.size(); ++at)
        ASSERT_EQ(trickled.allMasked(stream.mid(int(at), 1), at), at < unmaskedAt + 1) << at;

    // The reader takes a header's first two bytes while its length is still
    // arriving: what was seen of it is kept.
    ClientFrames split(0);
    const QByteArray frames = masked(300) + masked(2);
    EXPECT_TRUE(split.allMasked(frames.left(3), 0));
    EXPECT_TRUE(split.allMasked(frames.mid(2, 400), 2));
    EXPECT_FALSE(split.allMasked(header(1, false), frames.size()));

    ClientFrames missed(0);
    EXPECT_TRUE(missed.allMasked(header(1, false), 10)) << "a header that went by unseen tells nothing";
    EXPECT_TRUE(missed.allMasked(header(1, false), 12)) << "nor does anything after it";
}

TEST(LogLines, BurstThenOneAnInterval)
{
    LogBudget budget(3, 1000);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(budget.allows(5000));
    EXPECT_FALSE(budget.allows(5000));
    EXPECT_FALSE(budget.allows(5999));
    EXPECT_TRUE(budget.allows(6000));
    EXPECT_FALSE(budget.allows(6500));
    EXPECT_EQ(budget.takeLeftOut(), 3);
    EXPECT_EQ(budget.takeLeftOut(), 0);
    EXPECT_FALSE(budget.allows(100)) << "a clock that steps back gives nothing";
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(budget.allows(1000000)) << "a long pause gives back the burst, no more";
    EXPECT_FALSE(budget.allows(1000000));
}

TEST(Messages, RequestsRepliesAndMalformedInput)
{
    RequestHandler handler({4096, 100});
    Handled read = handler.handleText(R"({"type":"read","id":"r1","photo":true})", 0);
    EXPECT_EQ(read.request.kind, Request::Read);
    EXPECT_TRUE(read.request.photo);
    EXPECT_FALSE(read.request.faces);
    EXPECT_TRUE(read.reply.isEmpty());

    const QJsonObject version = json(handler.handleText(R"({"type":"version","id":7})", 0).reply);
    EXPECT_EQ(version["type"], "version");
    EXPECT_EQ(version["id"], 7);
    EXPECT_EQ(version["sdk"], "version:" PELORIN_VERSION);

    Handled watch = handler.handleText(R"({"type":"watch","faces":true})", 0);
    EXPECT_EQ(watch.request.kind, Request::Watch);
    EXPECT_EQ(json(watch.reply)["watching"], true);
    EXPECT_EQ(handler.handleText(R"({"type":"unwatch"})", 0).request.kind, Request::Unwatch);

    const std::pair<QByteArray, const char*> bad[] = {
        {"", "MALFORMED_MESSAGE"},         {"not json", "MALFORMED_MESSAGE"},
        {"[1,2]", "MALFORMED_MESSAGE"},    {R"({"id":1})", "MALFORMED_MESSAGE"},
        {R"({"type":5})", "MALFORMED_MESSAGE"}, {R"({"type":"format"})", "UNKNOWN_TYPE"},
        {R"({"type":"read","photo":"yes"})", "BAD_FIELD"}, {R"({"type":"read","id":{}})", "BAD_FIELD"},
        {"{\"type\":\"read\"", "MALFORMED_MESSAGE"}, {QByteArray("{\"type\":\"r\0ead\"}", 16), "UNKNOWN_TYPE"},
    };
    for (const auto& [message, error] : bad) {
        const Handled handled = handler.handleText(message, 0);
        EXPECT_EQ(handled.request.kind, Request::None) << message.constData();
        EXPECT_FALSE(handled.disconnect);
        EXPECT_EQ(json(handled.reply)["error"], error) << message.constData();
    }
    EXPECT_EQ(json(handler.handleBinary(3, 0).reply)["error"], "MALFORMED_MESSAGE");
}

TEST(Messages, SizeAndRateLimitsCutTheClientOff)
{
    RequestHandler sized({300, 100});
    EXPECT_FALSE(sized.handleText(QByteArray(300, ' '), 0).disconnect);
    const Handled big = sized.handleText(QByteArray(301, ' '), 0);
    EXPECT_TRUE(big.disconnect);
    EXPECT_TRUE(big.reply.isEmpty());

    RequestHandler rated({4096, 5});
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(rated.handleText(R"({"type":"version"})", 1000).disconnect) << "burst " << i;
    EXPECT_TRUE(rated.handleText(R"({"type":"version"})", 1000).disconnect);

    RequestHandler steady({4096, 5});
    for (qint64 now = 0; now < 10000; now += 200)  // exactly the allowed rate
        ASSERT_FALSE(steady.handleText(R"({"type":"version"})", now).disconnect) << now;
    RequestHandler backwards({4096, 2});
    EXPECT_FALSE(backwards.handleText("{}", 5000).disconnect);
    EXPECT_FALSE(backwards.handleText("{}", 0).disconnect);
    EXPECT_TRUE(backwards.handleText("{}", 100).disconnect) << "a clock stepping back refills nothing";
}

TEST(Messages, ReadRepliesCarryWhatWasAskedFor)
{
    ReadOutcome outcome;
    outcome.card = {{"kind", "ID_TYPE_CN"}};
    outcome.photoPng = "PNG";
    outcome.frontJpeg = "FRONT";
    outcome.backJpeg = "BACK";
    Request request;
    request.id = 3;
    QJsonObject reply = json(readReply(request, outcome));
    EXPECT_EQ(reply["type"], "read");
    EXPECT_EQ(reply["id"], 3);
    EXPECT_EQ(reply["card"].toObject()["kind"], "ID_TYPE_CN");
    EXPECT_FALSE(reply.contains("photo") || reply.contains("front") || reply.contains("back"));
    request.photo = request.faces = true;
    reply = json(cardEvent(request, outcome));
    EXPECT_EQ(reply["type"], "card");
    EXPECT_FALSE(reply.contains("id"));
    EXPECT_EQ(reply["photo"], "PNG");
    EXPECT_EQ(reply["back"], "BACK");

    outcome.result = READ_NO_DATA;
    reply = json(readReply(request, outcome));
    EXPECT_EQ(reply["type"], "error");
    EXPECT_EQ(reply["error"], "READ_NO_DATA");
    EXPECT_EQ(reply["result"], -24);
    EXPECT_EQ(reply["text"], "there is no card on the reader");
    EXPECT_FALSE(reply.contains("card"));

    EXPECT_EQ(json(removedEvent("110101")), (QJsonObject{{"type", "removed"}, {"idCode", "110101"}}));
    reply = json(tooManyReadsError(4, 10, false));
    EXPECT_EQ(reply["id"], 4);
    EXPECT_EQ(reply["error"], "TOO_MANY_READS");
}

}  // namespace
