// SPDX-License-Identifier: Apache-2.0
// The service's settings and the configuration file they come from.
#pragma once

#include "origin_policy.h"

#include <QString>

#include <optional>
#include <sys/types.h>

struct ServiceConfig {
    quint16 port = 47801;
    // Empty: the file named no origin, and the pages of this machine may connect.
    OriginList origins;
    int maxClients = 32;
    int maxMessageBytes = 4096;
    int requestsPerSecond = 10;
    int idleTimeoutSeconds = 120;
    // The account whose programs and browser may connect; unset: the
    // account the service runs as.
    std::optional<uid_t> clientUser;

    OriginList allowedOrigins() const { return origins.isEmpty() ? OriginList::thisMachine() : origins; }
    uid_t allowedUser() const;
};

// Reads "key = value" lines; '#' starts a comment. On the first bad line,
// `error` is "FILE:LINE: what is wrong" and the result is false.
bool parseServiceConfig(const QByteArray& text, const QString& fileName, ServiceConfig& config,
                        QString& error);
bool loadServiceConfig(const QString& fileName, ServiceConfig& config, QString& error);

// The file to read: `option` (--config) when given, else the user's
// ~/.config/pelorin/service.conf, else the system's file, else none ("").
QString findServiceConfig(const QString& option);
