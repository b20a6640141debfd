// SPDX-License-Identifier: Apache-2.0
// pelorin-reader-emulator: a card reader on a pseudo-terminal that answers
// the frame protocol with a card file's card, and misbehaves on request.
#include <QCoreApplication>
#include <QCommandLineParser>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

#include "card_data_frame.h"
#include "frame.h"
#include "pty_port.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;

// How long after a late answer the answer to the request it met follows.
constexpr int kLateGapMs = 100;

enum class Fault { None, NoCard, Slow, Late, Truncated, BadChecksum, WrongPreamble, Garbage, Silence, HangUp };

struct FaultName {
    const char* name;
    Fault fault;
};
const FaultName kFaults[] = {
    {"no-card", Fault::NoCard},          {"slow", Fault::Slow},
    {"late", Fault::Late},               {"truncated", Fault::Truncated},
    {"bad-checksum", Fault::BadChecksum}, {"wrong-preamble", Fault::WrongPreamble},
    {"garbage", Fault::Garbage},         {"silence", Fault::Silence},
    {"hang-up", Fault::HangUp},
};

// The reader's own status in place of the answer to select card or read card,
// for the first `count` of those requests (--status STEP:HEX:COUNT).
struct StatusAnswer {
    cardproto::Bytes request;  // empty: none
    uint8_t status = 0;
    int count = 0;
};

bool parseStatusAnswer(const QString& text, StatusAnswer& answer)
{
    const QStringList parts = text.split(':');
    if (parts.size() != 3)
        return false;
    bool statusOk = false, countOk = false;
    const unsigned status = parts[1].toUInt(&statusOk, 16);
    answer.status = uint8_t(status);
    answer.count = parts[2].toInt(&countOk);
    if (parts[0] == "select")
        answer.request = cardproto::selectCardRequest();
    else if (parts[0] == "read")
        answer.request = cardproto::readCardRequest();
    return !answer.request.empty() && statusOk && status <= 0xFF && countOk && answer.count > 0;
}

// The reader: answers each request it recognises. Faults that break a read
// strike once, at the first request they concern, so the next read works.
class Emulator {
public:
    Emulator(PtyPort& port, cardproto::Bytes dataFrame, Fault fault, int delayMs, StatusAnswer status)
        : m_port(port), m_dataFrame(std::move(dataFrame)), m_fault(fault), m_delayMs(delayMs),
          m_status(std::move(status)) {}

    void answer(const cardproto::Bytes& request)
    {
        if (!m_heldBack.empty()) {
            // The late answer comes first; this request's own answer a moment later.
            send(m_heldBack);
            m_heldBack.clear();
            std::this_thread::sleep_for(std::chrono::milliseconds(kLateGapMs));
        }
        if (request == m_status.request && m_status.count > 0) {
            --m_status.count;
            send(cardproto::buildFrame({0x00, 0x00, m_status.status}));
        } else if (request == cardproto::findCardRequest()) {
            if (strike(Fault::Silence))
                return;
            send(strike(Fault::NoCard) ? cardproto::buildFrame({0x00, 0x00, cardproto::kStatusNoCard})
                                       : cardproto::cardFoundResponse());
        } else if (request == cardproto::selectCardRequest()) {
            if (strike(Fault::Late))
                m_heldBack = cardproto::cardSelectedResponse();
            else
                send(cardproto::cardSelectedResponse());
        } else if (request == cardproto::readCardRequest()) {
            answerRead();
        }
    }

private:
    bool strike(Fault fault)
    {
        if (m_fault != fault || m_struck)
            return false;
        m_struck = true;
        return true;
    }

    void answerRead()
    {
        cardproto::Bytes frame = m_dataFrame;
        const size_t half = frame.size() / 2;
        if (strike(Fault::Truncated)) {
            frame.resize(half);
        } else if (strike(Fault::BadChecksum)) {
            frame.back() ^= 0xFF;
        } else if (strike(Fault::WrongPreamble)) {
            frame[4] = 0x68;
        } else if (strike(Fault::HangUp)) {
            m_port.send(frame.data(), half);
            std::string problem;
            if (!m_port.replug(problem))
                std::fprintf(stderr, "reader emulator: %s\n", problem.c_str());
            return;
        }
        send(frame);
    }

    void send(const cardproto::Bytes& frame)
    {
        if (m_fault == Fault::Slow)
            std::this_thread::sleep_for(std::chrono::milliseconds(m_delayMs));
        if (m_fault == Fault::Garbage) {
            static const uint8_t noise[] = {0x00, 0xAA, 0x96, 0x69, 0xAA, 0xAA, 0x13, 0xFF, 0xAA, 0xAA};
            m_port.send(noise, sizeof noise);
        }
        m_port.send(frame.data(), frame.size());
    }

    PtyPort& m_port;
    cardproto::Bytes m_dataFrame;
    Fault m_fault;
    int m_delayMs;
    StatusAnswer m_status;
    cardproto::Bytes m_heldBack;  // the late answer, sent when the next request comes
    bool m_struck = false;
};

// Collects the host's bytes and hands on each whole request (a preamble and
// the five bytes after it); other bytes are dropped.
class RequestReader {
public:
    bool next(cardproto::Bytes& request)
    {
        constexpr size_t kRequestSize = 10;
        while (!m_bytes.empty() && !std::equal(m_bytes.begin(),
                                               m_bytes.begin() + long(std::min(m_bytes.size(), size_t(5))),
                                               cardproto::kPreamble))
            m_bytes.erase(m_bytes.begin());
        if (m_bytes.size() < kRequestSize)
            return false;
        request.assign(m_bytes.begin(), m_bytes.begin() + kRequestSize);
        m_bytes.erase(m_bytes.begin(), m_bytes.begin() + kRequestSize);
        return true;
    }
    void add(const uint8_t* data, size_t size) { m_bytes.insert(m_bytes.end(), data, data + size); }

private:
    cardproto::Bytes m_bytes;
};

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "A card reader on a pseudo-terminal for tests and for trying the kit without a reader.\n"
        "It answers find card, select card and read card with the card of a card file (see\n"
        "simulator/README.md; the photo must be the 1024-byte payload) and makes LINK point\n"
        "at its end of the line; name LINK in the readers file as \"serial LINK\".\n"
        "Faults (-f): no-card, silence (the first find card), truncated, bad-checksum,\n"
        "wrong-preamble, hang-up (the first card data: half a frame, then the line closes and\n"
        "a new one opens), late (the first answer to select card is held back until the next\n"
        "request comes, then sent just before that request's answer), slow (every answer late\n"
        "by --delay), garbage (noise before every answer).\n"
        "--status STEP:HEX:COUNT answers the first COUNT select card (STEP select) or read card\n"
        "(STEP read) requests with status HEX alone, e.g. select:41:3 (41: try again).");
    parser.addHelpOption();
    parser.addOptions({{{"c", "card"}, "The card file.", "FILE"},
                       {{"l", "link"}, "The path that leads to the line.", "LINK"},
                       {{"b", "baud"}, "Pace of the answers; 0 sends at once.", "BAUD", "115200"},
                       {{"f", "fault"}, "How to misbehave.", "FAULT"},
                       {"delay", "Lateness of the slow fault.", "MS", "500"},
                       {"status", "Answer with a status alone.", "STEP:HEX:COUNT"}});
    parser.process(app);

    Fault fault = Fault::None;
    for (const FaultName& known : kFaults)
        if (parser.value("fault") == QLatin1String(known.name))
            fault = known.fault;
    StatusAnswer status;
    if (!parser.isSet("card") || !parser.isSet("link") ||
        (parser.isSet("fault") && fault == Fault::None) ||
        (parser.isSet("status") && !parseStatusAnswer(parser.value("status"), status))) {
        std::fprintf(stderr, "reader emulator: needs --card and --link, a known --fault, and\n"
                             "--status as select:HEX:COUNT or read:HEX:COUNT\n");
        return 2;
    }
    cardproto::Bytes dataFrame;
    QString cardProblem;
    if (!cardDataFrame(parser.value("card"), dataFrame, cardProblem)) {
        std::fprintf(stderr, "reader emulator: card file %s: %s\n", qPrintable(parser.value("card")),
                     qPrintable(cardProblem));
        return 2;
    }
    PtyPort port(parser.value("link").toStdString(), parser.value("baud").toInt());
    std::string problem;
    if (!port.open(problem)) {
        std::fprintf(stderr, "reader emulator: %s\n", problem.c_str());
        return 1;
    }
    std::signal(SIGTERM, [](int) { g_stop = 1; });
    std::signal(SIGINT, [](int) { g_stop = 1; });
    std::printf("ready\n");
    std::fflush(stdout);

    Emulator emulator(port, dataFrame, fault, parser.value("delay").toInt(), status);
    RequestReader requests;
    while (!g_stop) {
        uint8_t bytes[256];
        const long n = port.receive(bytes, sizeof bytes, 200);
        if (n < 0 && !port.replug(problem))
            break;
        if (n > 0)
            requests.add(bytes, size_t(n));
        cardproto::Bytes request;
        while (requests.next(request))
            emulator.answer(request);
    }
    return 0;
}
