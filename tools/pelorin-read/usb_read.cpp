// SPDX-License-Identifier: Apache-2.0
#include "usb_read.h"

#include "card_files.h"
#include "data_frame.h"
#include <pelorin/iddata.h>
#include <pelorin/usbidreader.h>

#include <QByteArray>
#include <QRegularExpression>
#include <algorithm>
#include <cstring>

namespace {

void parseText(CIdData& parser, unsigned char* text, CardRead& read)
{
    switch (read.idType) {
    case ID_TYPE_CN: parser.parseChinaIdText(text, &read.cn.idTextInfoCN); break;
    case ID_TYPE_HMT: parser.parseHMTIDText(text, &read.hmt.idTextInfoHMT); break;
    case ID_TYPE_FOREIGN_NEW:
        parser.parseForeignNewIDText(text, &read.foreignNew.idTextInfoForeignNew);
        break;
    case ID_TYPE_FOREIGN_2017:
        parser.parseForeign2017IDText(text, &read.foreign2017.idTextInfoForeign2017);
        break;
    case ID_TYPE_UNKNOWN: break;
    }
}

}  // namespace

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
    CUsbIdReader reader(vid, pid);
    QByteArray frame;
    FP_INFO_TYPE fpType = NO_FP_INFO;
    if (reader.getLibUsbInitErrorType() != DEV_INIT_OK || !reader.fetch_data(frame, fpType))
        return reader.getLibUsbInitErrorType();

    // fetch_data hands on only frames that passed the data frame checks.
    const cardproto::DataFrameBlocks blocks = cardproto::sliceDataFrame(
        reinterpret_cast<const uint8_t*>(frame.constData()), size_t(frame.size()));
    // CIdData's parsers take the blocks as writable bytes; they only read them.
    auto* text = const_cast<unsigned char*>(blocks.text);
    auto* fingerprints = const_cast<unsigned char*>(blocks.fingerprints);
    CIdData parser(frame, fpType);
    parser.parseIDType(text, &read.idType);
    parseText(parser, text, read);
    parser.parseIDHeadImage(const_cast<unsigned char*>(blocks.photo), read.headImage());

    const int fpBytes = int(blocks.fingerprintLength);
    if (read.idType == ID_TYPE_CN) {
        read.cn.idInfoTailCN.finger_info_type = fpType;
        std::memcpy(read.cn.idInfoTailCN.fingerFeature, fingerprints,
                    std::min(fpBytes, int(FINGER_FEATURE_SIZE)));
    }
    if (options.fpFile.isEmpty()) {
        parser.saveFpRawDataToFile(fpType, fingerprints);
        if (fpBytes > 0)
            files["fingerprints"] = "fp_raw_data.dat";
    } else if (fpBytes > 0) {
        const QByteArray block(reinterpret_cast<const char*>(fingerprints), fpBytes);
        files["fingerprints"] = writeCardFile(options.fpFile, block, allWritten);
    } else {
        files["fingerprints"] = "not available";
    }
    return READ_OK;
}
