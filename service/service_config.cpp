// SPDX-License-Identifier: Apache-2.0
#include "service_config.h"

#include <QFile>
#include <QSet>
#include <QStandardPaths>

#include <pwd.h>
#include <unistd.h>

#include <vector>

namespace {

constexpr qint64 kMaxConfigBytes = 1 << 20;

struct NumberSetting {
    const char* key;
    int ServiceConfig::*field;
    int min;
    int max;
};

const NumberSetting kNumbers[] = {
    {"max-clients", &ServiceConfig::maxClients, 1, 1000},
    {"max-message-bytes", &ServiceConfig::maxMessageBytes, 256, 1 << 20},
    {"requests-per-second", &ServiceConfig::requestsPerSecond, 1, 1000},
    {"idle-timeout", &ServiceConfig::idleTimeoutSeconds, 1, 24 * 3600},
};

bool parseNumber(const QString& text, int min, int max, int& value)
{
    bool ok = false;
    value = text.toInt(&ok);
    return ok && value >= min && value <= max;
}

// An account name, or a uid in digits; false when no account has that name.
bool findUser(const QString& text, uid_t& uid)
{
    bool isNumber = false;
    const uint number = text.toUInt(&isNumber);
    if (isNumber) {
        uid = number;
        return uid != static_cast<uid_t>(-1);
    }
    passwd entry{};
    passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (getpwnam_r(text.toLocal8Bit().constData(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
        return false;
    uid = found->pw_uid;
    return true;
}

// Applies one setting; an empty result means it was accepted.
QString applySetting(const QString& key, const QString& value, ServiceConfig& config)
{
    if (key == "origin") {
        OriginPattern pattern;
        QString problem;
        if (!OriginPattern::parse(value, pattern, problem))
            return problem;
        config.origins.add(pattern);
        return {};
    }
    if (key == "port") {
        int port = 0;
        if (!parseNumber(value, 1, 65535, port))
            return QString("port \"%1\" is not a whole number from 1 to 65535").arg(value);
        config.port = static_cast<quint16>(port);
        return {};
    }
    if (key == "user") {
        uid_t uid = 0;
        if (!findUser(value, uid))
            return QString("user \"%1\" is not an account of this machine").arg(value);
        config.clientUser = uid;
        return {};
    }
    for (const NumberSetting& setting : kNumbers) {
        if (key == setting.key) {
            if (!parseNumber(value, setting.min, setting.max, config.*setting.field))
                return QString("%1 \"%2\" is not a whole number from %3 to %4")
                    .arg(key, value)
                    .arg(setting.min)
                    .arg(setting.max);
            return {};
        }
    }
    return QString("unknown setting \"%1\" (expected port, origin, user, max-clients, max-message-bytes, "
                   "requests-per-second or idle-timeout)")
        .arg(key);
}

}  // namespace

uid_t ServiceConfig::allowedUser() const
{
    return clientUser.value_or(geteuid());
}

bool parseServiceConfig(const QByteArray& text, const QString& fileName, ServiceConfig& config,
                        QString& error)
{
    QSet<QString> seen;
    const QList<QByteArray> lines = text.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = QString::fromUtf8(lines[i]).section('#', 0, 0).trimmed();
        if (line.isEmpty())
            continue;
        const int equals = line.indexOf('=');
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        QString problem;
        if (equals < 0 || key.isEmpty() || value.isEmpty())
            problem = QString("expected \"key = value\", found \"%1\"").arg(line);
        else if (key != "origin" && seen.contains(key))
            problem = QString("%1 is set twice").arg(key);
        else
            problem = applySetting(key, value, config);
        if (!problem.isEmpty()) {
            error = QString("%1:%2: %3").arg(fileName).arg(i + 1).arg(problem);
            return false;
        }
        seen.insert(key);
    }
    return true;
}

bool loadServiceConfig(const QString& fileName, ServiceConfig& config, QString& error)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QString("%1: %2").arg(fileName, file.errorString());
        return false;
    }
    const QByteArray text = file.read(kMaxConfigBytes + 1);
    if (text.size() > kMaxConfigBytes) {
        error = QString("%1: longer than %2 bytes; not a configuration file").arg(fileName).arg(kMaxConfigBytes);
        return false;
    }
    return parseServiceConfig(text, fileName, config, error);
}

QString findServiceConfig(const QString& option)
{
    if (!option.isEmpty())
        return option;
    const QString user =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/pelorin/service.conf";
    for (const QString& candidate : {user, QStringLiteral(PELORIN_SYSTEM_CONFIG)})
        if (QFile::exists(candidate))
            return candidate;
    return {};
}
