// SPDX-License-Identifier: Apache-2.0
// The managed browser policy that lets the allowed web applications reach
// the service: Chromium and Google Chrome ask before a page from the
// network connects to the loopback (Local Network Access), unless the
// policy names the page's origin.
#pragma once

#include "origin_policy.h"

#include <QByteArray>

// {"LocalNetworkAccessAllowedForUrls": [...]} with every origin of `allowed`
// that is not on the loopback (pages of this machine need no permission).
QByteArray browserPolicy(const OriginList& allowed);
