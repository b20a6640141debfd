// SPDX-License-Identifier: Apache-2.0
// pelorin-service: serves card reads to web pages on this machine over
// WebSocket (README, "Card service for web pages").
#include "browser_policy.h"
#include "card_service.h"
#include "service_config.h"
#include "service_log.h"
#include "stop_signals.h"

#include <QCommandLineParser>
#include <QGuiApplication>

#include <cstdio>

#include <sys/resource.h>

namespace {

// Each connection holds a descriptor until its handshake is judged; the
// usual soft limit of 1024 would let a few accounts' floods use them all.
void raiseOpenFileLimit()
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    // The card faces are painted with Qt's GUI classes; a service has no
    // display of its own.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName("pelorin-service");
    QGuiApplication::setApplicationVersion(PELORIN_SERVICE_VERSION);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Serves card reads to web pages on this machine over WebSocket, on the loopback only.\n"
        "Configuration: --config FILE, else ~/.config/pelorin/service.conf, else " PELORIN_SYSTEM_CONFIG
        ",\nelse the defaults (port 47801, pages served from this machine).");
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption configOption("config", "Read the configuration from FILE.", "FILE");
    parser.addOption(configOption);
    const QCommandLineOption policyOption(
        "browser-policy", "Print the managed browser policy that lets the allowed origins' pages reach the service "
                          "(for /etc/chromium/policies/managed/ or /etc/opt/chrome/policies/managed/), and exit.");
    parser.addOption(policyOption);
    parser.process(app);

    ServiceConfig config;
    const QString configFile = findServiceConfig(parser.value(configOption));
    QString error;
    if (!configFile.isEmpty() && !loadServiceConfig(configFile, config, error)) {
        logLine(error);
        return 2;
    }
    if (parser.isSet(policyOption)) {
        const QByteArray policy = browserPolicy(config.allowedOrigins());
        std::fwrite(policy.constData(), 1, static_cast<size_t>(policy.size()), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (!quitOnStopSignals(app)) {
        logLine("cannot set up the handling of SIGTERM");
        return 1;
    }

    raiseOpenFileLimit();
    CardService service(config);
    if (!service.listen(error)) {
        logLine(error);
        return 1;
    }
    QStringList origins;
    const OriginList allowed = config.allowedOrigins();
    for (const OriginPattern& pattern : allowed.patterns())
        origins << pattern.text();
    logLine(QString("listening on %1 (configuration: %2); allowed origins: %3")
                .arg(service.addresses().join(" and "),
                     configFile.isEmpty() ? QString("built-in defaults") : configFile, origins.join(' ')));
    const int status = app.exec();
    dropThreadStorageNotes();
    return status;
}
