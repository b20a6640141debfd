#include "usb_read.h"

#include "card_files.h"
#include <pelorin/iddata.h>
#include <pelorin/usbidreader.h>

#include <QByteArray>
#include <QRegularExpression>
#include <algorithm>
#include <cstring>

namespace {

// Block offsets in the reader's card data frame.
constexpr int kTextBlockAt = 16;
constexpr int kPhotoBlockAt = 272;
constexpr int kFingerprintsAt = 1296;
constexpr int kFingerprintRecord = 512;

int fingerprintBytes(FP_INFO_TYPE type)
{
    switch (type) {
    case TWO_FP_INFO: return 2 * kFingerprintRecord;
    case ONE_FP_INFO: return kFingerprintRecord;
    case NO_FP_INFO: break;
    }
    return 0;
}

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

    // fetch_data hands on only whole frames of 1297, 1809 or 2321 bytes.
    auto* bytes = reinterpret_cast<unsigned char*>(frame.data());
    CIdData parser(frame, fpType);
    parser.parseIDType(bytes + kTextBlockAt, &read.idType);
    parseText(parser, bytes + kTextBlockAt, read);
    parser.parseIDHeadImage(bytes + kPhotoBlockAt, read.headImage());

    unsigned char* fingerprints = bytes + kFingerprintsAt;
    const int fpBytes = fingerprintBytes(fpType);
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
