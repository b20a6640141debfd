// SPDX-License-Identifier: Apache-2.0
#include "usb_read.h"

#include "card_files.h"
#include "pelorin_kit.h"
#include <pelorin/iddata.h>

#include <QByteArray>
#include <QRegularExpression>

bool parseUsbIds(const QString& text, uint16_t& vid, uint16_t& pid)
{
    static const QRegularExpression ids("^([0-9A-Fa-f]{1,4}):([0-9A-Fa-f]{1,4})$");
    const QRegularExpressionMatch match = ids.match(text);
    if (!match.hasMatch())
        return false;
    vid = uint16_t(match.captured(1).toUInt(nullptr, 16));
    pid = uint16_t(match.captured(2).toUInt(nullptr, 16));
    return true;
}

READ_RESULT readCardOverUsb(const ReadOptions& options, CardRead& read, QJsonObject& files,
                            bool& allWritten)
{
    uint16_t vid = 0, pid = 0;
    parseUsbIds(options.usbIds, vid, pid);
    QByteArray fingerprints;
    FP_INFO_TYPE fpType = NO_FP_INFO;
    const READ_RESULT result = pelorin_kit::readCardOverUsb(vid, pid, read.records(), fingerprints, fpType);
    if (result != READ_OK)
        return result;

    if (options.fpFile.isEmpty()) {
        auto* block = reinterpret_cast<unsigned char*>(fingerprints.data());
        CIdData(fingerprints, fpType).saveFpRawDataToFile(fpType, block);
        if (!fingerprints.isEmpty())
            files["fingerprints"] = "fp_raw_data.dat";
    } else if (!fingerprints.isEmpty()) {
        files["fingerprints"] = writeCardFile(options.fpFile, fingerprints, allWritten);
    } else {
        files["fingerprints"] = "not available";
    }
    return READ_OK;
}
