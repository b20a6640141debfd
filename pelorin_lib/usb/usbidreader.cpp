// SPDX-License-Identifier: Apache-2.0
#include "usbidreader.h"

#include "data_frame.h"
#include "usb_device.h"

#include <QDebug>
#include <cstring>
#include <vector>

namespace {

constexpr unsigned int kNoTimeout = 0;
constexpr unsigned int kResponseTimeoutMs = 5000;

constexpr int kRequestLength = 10;
constexpr int kSplitHeaderLength = 7;

const cardproto::Bytes kLookupRequest = cardproto::findCardRequest();
const cardproto::Bytes kLookupResponse = cardproto::cardFoundResponse();
const cardproto::Bytes kSelectRequest = cardproto::selectCardRequest();
const cardproto::Bytes kSelectResponse = cardproto::cardSelectedResponse();
const cardproto::Bytes kFetchRequest = cardproto::readCardRequest();

}  // namespace

// One request and its fixed answer; its debug lines are named after it.
struct CUsbIdReader::FixedStep {
    const cardproto::Bytes& request;
    const cardproto::Bytes& response;
    const char* name;
    READ_RESULT requestFail;
    READ_RESULT responseFail;
    READ_RESULT dataMismatch;
};

CUsbIdReader::CUsbIdReader(unsigned short vid, unsigned short pid) : CLibUsbEx(vid, pid)
{
    if (m_einitErrorType == DEV_INIT_OK)
        lookup();
    if (m_einitErrorType == DEV_INIT_OK) {
        select();
        // A reader that does not answer select card has no card to give.
        if (m_einitErrorType == CARD_SELECT_RESP_FAIL) {
            qDebug("CARD_SELECT_RESP_FAIL=>READ_NO_DATA");
            m_einitErrorType = READ_NO_DATA;
        }
    }
}

bool CUsbIdReader::lookup()
{
    return runFixedStep({kLookupRequest, kLookupResponse, "lookup", CARD_LOOKUP_REQ_FAIL, CARD_LOOKUP_RESP_FAIL,
                         CARD_LOOKUP_DATA_NOT_MATCHED});
}

bool CUsbIdReader::select()
{
    return runFixedStep({kSelectRequest, kSelectResponse, "select", CARD_SELECT_REQ_FAIL, CARD_SELECT_RESP_FAIL,
                         CARD_SELECT_DATA_NOT_MATCHED});
}

bool CUsbIdReader::sendRequest(const unsigned char* request, int length)
{
    int rc = 0;
    if (!usb::sendAll(m_hdev, usb::kRequestPipe, request, length, kNoTimeout, rc)) {
        qDebug("write pipe2 error(%d)!", rc);
        return false;
    }
    qDebug("write pipe2 success!");
    return true;
}

bool CUsbIdReader::runFixedStep(const FixedStep& step)
{
    if (m_einitErrorType != DEV_INIT_OK)
        return false;
    if (!sendRequest(step.request.data(), kRequestLength)) {
        m_einitErrorType = step.requestFail;
        return false;
    }

    unsigned char response[32] = {};
    const int responseLength = int(step.response.size());
    int received = 0;
    const int rc = usb::bulk(m_hdev, usb::kAnswerPipe, response, responseLength, kResponseTimeoutMs, received);
    if (rc < 0) {
        qDebug("%s_resp error(%d), actual_length=%d!", step.name, rc, received);
        m_einitErrorType = step.responseFail;
        return false;
    }
    if (received == responseLength) {
        qDebug("%s_resp success!", step.name);
        if (std::memcmp(response, step.response.data(), responseLength) != 0) {
            qDebug("found data not matched!!!");
            m_einitErrorType = step.dataMismatch;
            return false;
        }
    } else {
        // A status-only answer is let through: the reader has nothing more to say.
        qDebug("%s_resp error(%d), actual_length=%d!", step.name, rc, received);
    }
    qDebug("%s success!", step.name);
    return true;
}

READ_RESULT CUsbIdReader::checkDataFrame(const unsigned char* frame, int length)
{
    using cardproto::DataFrameVerdict;
    const cardproto::DataFrameCheck check = cardproto::checkDataFrame(frame, size_t(length));
    switch (check.verdict) {
    case DataFrameVerdict::NoCardData:
        qDebug("total length(%d), no card data for reading!", length);
        return READ_NO_DATA;
    case DataFrameVerdict::BadLength:
        qDebug("total length(%d) invalid!", length);
        return CARD_DATA_RESP_LEN_INVALID;
    default:
        break;
    }
    qDebug("fetch_data_resp success!");
    switch (check.verdict) {
    case DataFrameVerdict::BadPreamble:
        qDebug("found preamble not matched!!!");
        return CARD_PREAMBLE_CHECK_MISMATCHED;
    case DataFrameVerdict::BadFixedPart:
        qDebug("found resp data not matched!!!");
        return CARD_FIXPART_CHECK_MISMATCHED;
    case DataFrameVerdict::BadTotalLength:
        qDebug("total data length(%d) not matched!!!", check.value);
        return CARD_DATA_TOTAL_LEN_MISMATCHED;
    default:
        break;
    }
    qDebug("fplen=%d", check.fingerprintLength);
    if (check.verdict == DataFrameVerdict::BadFingerprintLength) {
        qDebug("fplen invalid!");
        return CARD_FP_DATA_LEN_INVALID;
    }
    return DEV_INIT_OK;
}

bool CUsbIdReader::fetch_data(QByteArray& outbuf, FP_INFO_TYPE& fp_type)
{
    if (m_einitErrorType != DEV_INIT_OK)
        return false;
    if (!sendRequest(kFetchRequest.data(), kRequestLength)) {
        m_einitErrorType = CARD_DATA_FATCH_REQ_FAIL;
        return false;
    }

    std::vector<unsigned char> frame(cardproto::kFrameTwoFingerprints, 0);
    int received = 0;
    const int rc = usb::bulk(m_hdev, usb::kAnswerPipe, frame.data(), int(frame.size()), kResponseTimeoutMs,
                             received);
    if (rc < 0) {
        qDebug("fetch_data_resp error(%d)!", rc);
        m_einitErrorType = CARD_DATA_FATCH_RESP_FAIL;
        return false;
    }
    const READ_RESULT check = checkDataFrame(frame.data(), received);
    if (check != DEV_INIT_OK) {
        m_einitErrorType = check;
        return false;
    }

    outbuf.clear();
    outbuf.append(reinterpret_cast<const char*>(frame.data()), received);
    // The frame's length, not its fingerprint length field, tells the count.
    const size_t fpBytes = cardproto::sliceDataFrame(frame.data(), size_t(received)).fingerprintLength;
    fp_type = fpBytes == 2 * cardproto::kFingerprintRecordSize ? TWO_FP_INFO
            : fpBytes == cardproto::kFingerprintRecordSize     ? ONE_FP_INFO
                                                               : NO_FP_INFO;
    qDebug("fetch data success, outbuf size=%d", int(outbuf.size()));
    return true;
}

bool CUsbIdReader::write_pipe2(uint8_t len_high, uint8_t len_low)
{
    if (m_einitErrorType != DEV_INIT_OK)
        return false;
    using cardproto::kPreamble;
    const unsigned char header[kSplitHeaderLength] = {kPreamble[0], kPreamble[1], kPreamble[2],
                                                      kPreamble[3], kPreamble[4], len_high,
                                                      len_low};
    return sendRequest(header, kSplitHeaderLength);
}

bool CUsbIdReader::write_pipe6(uint16_t len, uint8_t cmd, uint8_t para, uint8_t* data_p,
                               uint8_t chksum)
{
    if (m_einitErrorType != DEV_INIT_OK)
        return false;
    // A body needs room for command, parameter and check byte.
    if (len < 3) {
        qDebug("write pipe6 error(%d)!", LIBUSB_ERROR_INVALID_PARAM);
        return false;
    }
    std::vector<unsigned char> body(len, 0);
    body[0] = cmd;
    body[1] = para;
    if (data_p != nullptr)
        std::memcpy(body.data() + 2, data_p, len - 3);
    body[len - 1] = chksum;

    int rc = 0;
    if (!usb::sendAll(m_hdev, usb::kRequestBodyPipe, body.data(), len, kNoTimeout, rc)) {
        qDebug("write pipe6 error(%d)!", rc);
        return false;
    }
    qDebug("write pipe6 success!");
    return true;
}

bool CUsbIdReader::read_pipe81(uint16_t& len)
{
    if (m_einitErrorType != DEV_INIT_OK)
        return false;
    unsigned char header[kSplitHeaderLength] = {};
    int received = 0;
    const int rc = usb::bulk(m_hdev, usb::kAnswerPipe, header, kSplitHeaderLength, kResponseTimeoutMs, received);
    if (rc != 0 || received != kSplitHeaderLength) {
        qDebug("write pipe81 error(%d)!", rc);
        return false;
    }
    qDebug("write pipe81 success!");
    for (int i = 0; i < kSplitHeaderLength; ++i)
        qDebug("pipe81_data[%d]=0x%02X", i, header[i]);
    len = uint16_t(header[5] * 256 + header[6]);
    return true;
}

bool CUsbIdReader::read_pipe85(uint16_t len)
{
    if (m_einitErrorType != DEV_INIT_OK)
        return false;
    std::vector<unsigned char> body(len, 0);
    int received = 0;
    const int rc = usb::bulk(m_hdev, usb::kAnswerBodyPipe, body.data(), len, kResponseTimeoutMs, received);
    if (rc != 0 || received != len) {
        qDebug("write pipe85 error(%d)!", rc);
        return false;
    }
    qDebug("write pipe85 success!");
    for (int i = 0; i < received; ++i)
        qDebug("pipe85_data[%d]=0x%02X", i, body[i]);
    return true;
}
