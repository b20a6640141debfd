// SPDX-License-Identifier: Apache-2.0
// The four reader calls, answered by a simulated reader whose card and
// behaviour come from the KVSSIM_* environment variables (see README.md).
#include "kvsdecompose.h"

#include "builtin_card.h"
#include "call_trace.h"
#include "card_file.h"
#include "scenario.h"

#include <QFile>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

namespace {

// Answers of the simulator besides KVS_OK and KVS_RETRY.
constexpr int kNoReader = 1;     // reader absent, or a call on a port that is not open
constexpr int kBadScenario = 2;  // KVSSIM_SCENARIO not understood
constexpr int kBadCardFile = 3;  // KVSSIM_CARD cannot be used
constexpr int kBadArgument = 4;  // a null record, buffer or length pointer
constexpr int kNoCard = 128;

struct Reader {
    bool open = false;
    Scenario scenario;
    SimulatedCard card;
    int retriesLeft = 0;
};

std::mutex g_mutex;
Reader g_reader;

QByteArray environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? QByteArray(value) : QByteArray();
}

// KVSSIM_SCENARIO_FILE, when set, wins over KVSSIM_SCENARIO: a test can then
// change the reader's behaviour under a running process by rewriting the file.
bool scenarioSetting(QByteArray& text)
{
    const QByteArray path = environment("KVSSIM_SCENARIO_FILE");
    if (path.isEmpty()) {
        text = environment("KVSSIM_SCENARIO");
        return true;
    }
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "kvssim: scenario file %s: %s\n", path.constData(),
                     file.errorString().toLocal8Bit().constData());
        return false;
    }
    text = file.read(256).trimmed();
    return true;
}

int openReader(int port)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_reader.open = false;
    if (port != KVS_PORT)
        return kNoReader;

    Scenario scenario;
    QByteArray scenarioText;
    if (!scenarioSetting(scenarioText))
        return kBadScenario;
    if (!parseScenario(scenarioText, scenario)) {
        std::fprintf(stderr,
                     "kvssim: unknown KVSSIM_SCENARIO \"%s\" (expected no-reader, no-card, retry:N, "
                     "always-retry, read-error:CODE, block:MS or card-type:N)\n",
                     scenarioText.constData());
        return kBadScenario;
    }
    if (scenario.kind == Scenario::NoReader)
        return kNoReader;

    SimulatedCard card;
    const QByteArray cardPath = environment("KVSSIM_CARD");
    if (cardPath.isEmpty()) {
        card = builtinCard();
    } else {
        QString problem;
        if (!loadCardFile(QString::fromLocal8Bit(cardPath), card, problem)) {
            std::fprintf(stderr, "kvssim: card file %s: %s\n", cardPath.constData(),
                         problem.toLocal8Bit().constData());
            return kBadCardFile;
        }
    }

    g_reader.open = true;
    g_reader.scenario = scenario;
    g_reader.card = card;
    g_reader.retriesLeft = scenario.kind == Scenario::Retry ? scenario.value : 0;
    return KVS_OK;
}

int findCard(int port)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_reader.open || port != KVS_PORT)
        return kNoReader;
    return g_reader.scenario.kind == Scenario::NoCard ? kNoCard : KVS_OK;
}

void handOver(const SimulatedCard& card, CardInfoStruct* docInfo, unsigned char* photo,
              unsigned int* photoLength, unsigned char* fingerprints, unsigned int* fingerprintLength)
{
    *docInfo = card.info;
    std::memcpy(photo, card.photo.constData(), static_cast<size_t>(card.photo.size()));
    *photoLength = static_cast<unsigned int>(card.photo.size());
    std::memcpy(fingerprints, card.fingerprints.constData(), static_cast<size_t>(card.fingerprints.size()));
    *fingerprintLength = static_cast<unsigned int>(card.fingerprints.size());
}

int readCard(int port, CardInfoStruct* docInfo, unsigned char* photo, unsigned int* photoLength,
             unsigned char* fingerprints, unsigned int* fingerprintLength)
{
    SimulatedCard card;
    int delayMs = 0;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (!g_reader.open || port != KVS_PORT)
            return kNoReader;
        if (!docInfo || !photo || !photoLength || !fingerprints || !fingerprintLength)
            return kBadArgument;
        const Scenario& scenario = g_reader.scenario;
        switch (scenario.kind) {
        case Scenario::AlwaysRetry:
            return KVS_RETRY;
        case Scenario::Retry:
            if (g_reader.retriesLeft > 0) {
                --g_reader.retriesLeft;
                return KVS_RETRY;
            }
            break;
        case Scenario::ReadError:
            return scenario.value;
        case Scenario::Block:
            delayMs = scenario.value;
            break;
        default:
            break;
        }
        card = g_reader.card;
        if (scenario.kind == Scenario::CardType)
            card.info.cardType = scenario.value;
    }
    // Sleep without the lock, so a stuck read does not also stall the other calls.
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    handOver(card, docInfo, photo, photoLength, fingerprints, fingerprintLength);
    return KVS_OK;
}

int closeReader(int port)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_reader.open || port != KVS_PORT)
        return kNoReader;
    g_reader.open = false;
    return KVS_OK;
}

}  // namespace

int KVS_OpenPort(int port)
{
    const int result = openReader(port);
    traceCall("open", result);
    return result;
}

int KVS_FindIDCard(int port)
{
    const int result = findCard(port);
    traceCall("find", result);
    return result;
}

int KVS_ReadIDCard(int port, CardInfoStruct* docInfo, unsigned char* pPHMsg, unsigned int* pPHMsgLen,
                   unsigned char* pFPMsg, unsigned int* pFPMsgLen, int /*flag*/)
{
    const int result = readCard(port, docInfo, pPHMsg, pPHMsgLen, pFPMsg, pFPMsgLen);
    traceCall("read", result);
    return result;
}

int KVS_ClosePort(int port)
{
    const int result = closeReader(port);
    traceCall("close", result);
    return result;
}
