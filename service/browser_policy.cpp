// SPDX-License-Identifier: Apache-2.0
#include "browser_policy.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

QByteArray browserPolicy(const OriginList& allowed)
{
    // An origin pattern is also a pattern of the policy: "scheme://host"
    // means the scheme's default port there too, and ":*" any port.
    QJsonArray origins;
    for (const OriginPattern& pattern : allowed.patterns())
        if (!pattern.isLoopback())
            origins.append(pattern.text());
    return QJsonDocument(QJsonObject{{"LocalNetworkAccessAllowedForUrls", origins}}).toJson(QJsonDocument::Indented);
}
