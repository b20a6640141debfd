// SPDX-License-Identifier: Apache-2.0
// Follows the frames a client sends, header by header, to tell whether each
// one is masked. A client must mask every frame it sends and a server must
// close the connection on one that is not; the WebSocket layer does not
// check it.
#pragma once

#include <QByteArray>

class ClientFrames {
public:
    // `firstFrameAt`: where the first frame begins in what the client sends
    // (just after its handshake request).
    explicit ClientFrames(qint64 firstFrameAt) : m_nextHeader(firstFrameAt) {}

    // `bytes` are what the client sent from offset `at` on, as far as it has
    // arrived; calls come with ever later data. False once a frame without a
    // mask was seen.
    bool allMasked(const QByteArray& bytes, qint64 at);

private:
    qint64 m_nextHeader;  // -1: a header was missed, nothing more can be told
    // What was seen of the next header so far, up to its payload length.
    unsigned char m_header[10] = {};
    int m_headerBytes = 0;
    bool m_unmasked = false;
};
