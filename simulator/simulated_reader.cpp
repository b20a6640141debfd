// SPDX-License-Identifier: Apache-2.0
#include "simulated_reader.h"

#include "builtin_card.h"
#include "card_file.h"

#include <QFile>
#include <QFileInfo>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

constexpr int kNoCard = 128;

QByteArray environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? QByteArray(value) : QByteArray();
}

// KVSSIM_SCENARIO_FILE, when set, wins over KVSSIM_SCENARIO: a test can then
// change the reader's behaviour under a running process by rewriting the file.
bool scenarioSetting(QByteArray& text, std::string& problem)
{
    const QByteArray path = environment("KVSSIM_SCENARIO_FILE");
    if (path.isEmpty()) {
        text = environment("KVSSIM_SCENARIO");
        return true;
    }
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly)) {
        problem = "scenario file " + path.toStdString() + ": " + file.errorString().toStdString();
        return false;
    }
    text = file.read(256).trimmed();
    return true;
}

bool readScenario(Scenario& scenario, std::string& problem)
{
    QByteArray text;
    if (!scenarioSetting(text, problem))
        return false;
    if (!parseScenario(text, scenario)) {
        problem = "unknown KVSSIM_SCENARIO \"" + text.toStdString() +
                  "\" (expected no-reader, no-card, retry:N, always-retry, read-error:CODE, block:MS or "
                  "card-type:N)";
        return false;
    }
    return true;
}

// The card file to present: the line's, else KVSSIM_CARD's; empty for the built-in card.
QString cardFileOf(const std::string& lineCardFile)
{
    return lineCardFile.empty() ? QString::fromLocal8Bit(environment("KVSSIM_CARD"))
                                : QString::fromStdString(lineCardFile);
}

}  // namespace

SimulatedReader::SimulatedReader(const Scenario& scenario, const SimulatedCard& card)
    : m_scenario(scenario), m_card(card),
      m_retriesLeft(scenario.kind == Scenario::Retry ? scenario.value : 0)
{
}

std::unique_ptr<SimulatedReader> SimulatedReader::open(const std::string& cardFile, std::string& problem)
{
    Scenario scenario;
    if (!readScenario(scenario, problem))
        return nullptr;
    if (scenario.kind == Scenario::NoReader) {
        problem = "the simulated reader is absent (KVSSIM_SCENARIO no-reader)";
        return nullptr;
    }
    SimulatedCard card;
    const QString path = cardFileOf(cardFile);
    if (path.isEmpty()) {
        card = builtinCard();
    } else {
        QString cardProblem;
        if (!loadCardFile(path, card, cardProblem)) {
            problem = "card file " + path.toStdString() + ": " + cardProblem.toStdString();
            return nullptr;
        }
    }
    return std::unique_ptr<SimulatedReader>(new SimulatedReader(scenario, card));
}

bool SimulatedReader::present(const std::string& cardFile)
{
    Scenario scenario;
    std::string problem;
    if (readScenario(scenario, problem) && scenario.kind == Scenario::NoReader)
        return false;
    const QString path = cardFileOf(cardFile);
    return path.isEmpty() || QFileInfo(path).isFile();
}

int SimulatedReader::findCard()
{
    return m_scenario.kind == Scenario::NoCard ? kNoCard : KVS_OK;
}

int SimulatedReader::readCard(CardInfoStruct& info, unsigned char* photo, unsigned int& photoLength,
                              unsigned char* fingerprints, unsigned int& fingerprintLength)
{
    switch (m_scenario.kind) {
    case Scenario::AlwaysRetry:
        return KVS_RETRY;
    case Scenario::Retry:
        if (m_retriesLeft > 0) {
            --m_retriesLeft;
            return KVS_RETRY;
        }
        break;
    case Scenario::ReadError:
        return m_scenario.value;
    case Scenario::Block:
        std::this_thread::sleep_for(std::chrono::milliseconds(m_scenario.value));
        break;
    default:
        break;
    }
    info = m_card.info;
    if (m_scenario.kind == Scenario::CardType)
        info.cardType = m_scenario.value;
    std::memcpy(photo, m_card.photo.constData(), static_cast<size_t>(m_card.photo.size()));
    photoLength = static_cast<unsigned int>(m_card.photo.size());
    std::memcpy(fingerprints, m_card.fingerprints.constData(), static_cast<size_t>(m_card.fingerprints.size()));
    fingerprintLength = static_cast<unsigned int>(m_card.fingerprints.size());
    return KVS_OK;
}
