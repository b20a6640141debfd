// SPDX-License-Identifier: Apache-2.0
// libFuzzer harness for what a web page or a local program sends the card
// service: its messages (through one client's handler, with the clock taken
// from the input so the rate limit is exercised too) and its opening
// handshake's header block, and the frames it sends as the service follows
// them. Every reply must be a JSON object.
#include "client_frames.h"
#include "handshake_policy.h"
#include "request_handler.h"

#include <QJsonDocument>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<int>(size));

    static const OriginList origins = OriginList::thisMachine();
    judgeHandshake(input, origins, 47801);
    headerBlockEnd(input);

    // The frames whole, and in two pieces of which the reader took the first.
    ClientFrames whole(0);
    const bool allMasked = whole.allMasked(input, 0);
    ClientFrames pieces(0);
    const int cut = input.size() / 2;
    pieces.allMasked(input.left(cut), 0);
    if (pieces.allMasked(input.mid(cut), cut) != allMasked)
        abort();

    // Messages separated by newlines; the first byte of each picks text or
    // binary and how far the clock moves before it.
    RequestHandler handler({512, 5});
    qint64 now = 0;
    for (const QByteArray& message : input.split('\n')) {
        const auto control = message.isEmpty() ? 0u : static_cast<unsigned char>(message[0]);
        now += (control & 0x7f) * 10;
        const QByteArray body = message.mid(1);
        const Handled handled = (control & 0x80) ? handler.handleBinary(body.size(), now)
                                                 : handler.handleText(body, now);
        if (!handled.reply.isEmpty() && !QJsonDocument::fromJson(handled.reply).isObject())
            abort();
        if (handled.disconnect && (handled.reason.isEmpty() || !handled.reply.isEmpty()))
            abort();
    }
    return 0;
}
