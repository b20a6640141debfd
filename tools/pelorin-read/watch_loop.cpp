// SPDX-License-Identifier: Apache-2.0
#include "watch_loop.h"

#include "card_json.h"
#include "card_look.h"
#include "card_output.h"

#include <QJsonDocument>

#include <csignal>
#include <cstdio>
#include <ctime>
#include <memory>

namespace {

sigset_t stopSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

// Waits out the pause between two looks; false once a stop signal came.
bool pauseUntilNextLook()
{
    const sigset_t set = stopSignals();
    const timespec pause{CardPresence::kLookIntervalMs / 1000,
                         (CardPresence::kLookIntervalMs % 1000) * 1000000L};
    return sigtimedwait(&set, nullptr, &pause) < 0;
}

void printLine(const QJsonObject& object)
{
    const QByteArray line = QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
    fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout);
    fflush(stdout);
}

int readInto(const ReadOptions& options, QJsonObject& card)
{
    auto read = std::make_unique<CardRead>();
    const READ_RESULT result = readIntoRecords(*read);
    if (result != READ_OK)
        return result;
    if (idTypeName(read->idType) == nullptr)
        return UNSUPPORT_CARD;
    bool allWritten = true;  // the "files" entries tell what was not
    card = cardDocument(options, *read, allWritten);
    return READ_OK;
}

}  // namespace

void holdStopSignals()
{
    const sigset_t set = stopSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

int watchCards(const ReadOptions& options)
{
    CardPresence presence;
    QJsonValue cardNumber;
    do {
        QJsonObject card;
        int result = READ_OK;
        switch (lookAtReader(presence, [&] { return readInto(options, card); }, result)) {
        case CardPresence::Event::Placed:
            cardNumber = card["record"].toObject()["idCode"];
            printLine(card);
            break;
        case CardPresence::Event::Removed: printLine({{"removed", cardNumber}}); break;
        case CardPresence::Event::Failed: reportFailure(result); break;
        case CardPresence::Event::None: break;
        }
    } while (pauseUntilNextLook());
    return 0;
}
