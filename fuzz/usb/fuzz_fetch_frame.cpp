// SPDX-License-Identifier: Apache-2.0
// Any bytes the reader answers to the read request: the frame checks give a
// result code and read nothing outside the frame.
#include <QtGlobal>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include <pelorin/usbidreader.h>

namespace {
void discard(QtMsgType, const QMessageLogContext&, const QString&) {}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QtMessageHandler previous = qInstallMessageHandler(discard);
    (void)previous;
    // A read never delivers more than the 2321 bytes asked for; an exact-size
    // copy lets the sanitizer see any read past the received bytes.
    const size_t received = size > 2321 ? 2321 : size;
    std::vector<uint8_t> frame(data, data + received);
    const READ_RESULT code = CUsbIdReader::checkDataFrame(frame.data(), int(received));
    const bool known = code == DEV_INIT_OK || (code <= CARD_DATA_RESP_LEN_INVALID &&
                                               code >= CARD_FP_DATA_LEN_INVALID) ||
                       code == READ_NO_DATA;
    if (!known || (code == DEV_INIT_OK && received != 1297 && received != 1809 && received != 2321))
        std::abort();
    return 0;
}
