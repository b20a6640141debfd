// SPDX-License-Identifier: Apache-2.0
// SIGTERM and SIGINT end the event loop, so the service stops the way it
// stops on quit: the read in progress ends, clients are closed.
#pragma once

class QCoreApplication;

// False when the signal pipe cannot be set up.
bool quitOnStopSignals(QCoreApplication& app);
