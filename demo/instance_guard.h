// SPDX-License-Identifier: Apache-2.0
// One demo per account: a local server in a directory only this account can
// write, so other accounts neither share the guard nor can block it.
#pragma once

#include <QLocalServer>
#include <QLocalSocket>
#include <QString>

class InstanceGuard {
public:
    explicit InstanceGuard(const QString& serverName);

    // Whether an instance of this account answers on the server's file.
    bool anotherInstanceRuns();
    // Holds the server for this instance. A file of a run that crashed is
    // removed once the connect to it has failed.
    void claim();

    // $XDG_RUNTIME_DIR when it is this account's own with mode 0700, else
    // $TMPDIR (or /tmp)/pelorin-demo-<uid>, made with mode 0700 and refused
    // unless it is a directory of this account with that mode; empty when
    // there is none.
    static QString privateDirectory();

private:
    const QString m_path;  // empty: the guard is off
    QLocalSocket m_socket;
    QLocalServer m_server;
    bool m_connectFailed = false;
};
