// SPDX-License-Identifier: Apache-2.0
#include "result_text.h"

namespace {

// READ_OK and DEV_INIT_OK share 0; a read reports READ_OK.
const ResultWords kResults[] = {
    {READ_OK, "READ_OK", "the card was read"},
    {UNSUPPORT_CARD, "UNSUPPORT_CARD", "the card is of a kind this library does not support"},
    {INIT_DEV_FAIL, "INIT_DEV_FAIL", "the USB library could not be initialised"},
    {GET_DEV_LIST_FAIL, "GET_DEV_LIST_FAIL", "the list of USB devices could not be obtained"},
    {GET_DEV_DESC_FAIL, "GET_DEV_DESC_FAIL", "a USB device descriptor could not be read"},
    {OPEN_DEV_FAIL, "OPEN_DEV_FAIL", "the card reader could not be opened"},
    {ACCESS_DEV_ERROR, "ACCESS_DEV_ERROR", "the card reader could not be accessed"},
    {DEV_NOT_FOUND, "DEV_NOT_FOUND", "no card reader was found"},
    {DEV_REGISTER_FAIL, "DEV_REGISTER_FAIL", "the card reader could not be claimed"},
    {DEV_RESET_FAIL, "DEV_RESET_FAIL", "the card reader could not be reset"},
    {CARD_LOOKUP_DATA_NOT_MATCHED, "CARD_LOOKUP_DATA_NOT_MATCHED", "the reader gave an unexpected answer while looking for a card"},
    {CARD_LOOKUP_RESP_FAIL, "CARD_LOOKUP_RESP_FAIL", "the reader did not answer the card look-up"},
    {CARD_LOOKUP_REQ_FAIL, "CARD_LOOKUP_REQ_FAIL", "the card look-up could not be sent to the reader"},
    {CARD_SELECT_DATA_NOT_MATCHED, "CARD_SELECT_DATA_NOT_MATCHED", "the reader gave an unexpected answer while selecting the card"},
    {CARD_SELECT_RESP_FAIL, "CARD_SELECT_RESP_FAIL", "the reader did not answer the card selection"},
    {CARD_SELECT_REQ_FAIL, "CARD_SELECT_REQ_FAIL", "the card selection could not be sent to the reader"},
    {CARD_DATA_RESP_LEN_INVALID, "CARD_DATA_RESP_LEN_INVALID", "the card data from the reader has a wrong length"},
    {CARD_PREAMBLE_CHECK_MISMATCHED, "CARD_PREAMBLE_CHECK_MISMATCHED", "the card data from the reader has a bad preamble"},
    {CARD_FIXPART_CHECK_MISMATCHED, "CARD_FIXPART_CHECK_MISMATCHED", "the card data from the reader has a bad fixed part"},
    {CARD_DATA_TOTAL_LEN_MISMATCHED, "CARD_DATA_TOTAL_LEN_MISMATCHED", "the card data from the reader has a wrong total length"},
    {CARD_FP_DATA_LEN_INVALID, "CARD_FP_DATA_LEN_INVALID", "the card's fingerprint data has a wrong length"},
    {CARD_DATA_FATCH_RESP_FAIL, "CARD_DATA_FATCH_RESP_FAIL", "the reader did not deliver the card data"},
    {CARD_DATA_FATCH_REQ_FAIL, "CARD_DATA_FATCH_REQ_FAIL", "the card data request could not be sent to the reader"},
    {READ_DATA_FAIL, "READ_DATA_FAIL", "the card was found but its data could not be read"},
    {READ_NO_DATA, "READ_NO_DATA", "there is no card on the reader"},
    {READ_DATA_TIMEOUT, "READ_DATA_TIMEOUT", "the reader gave no result within 8 seconds"},
    {PARSE_ERROR, "PARSE_ERROR", "the card's data could not be decoded"},
    {INVALID_ID_TYPE_PARAM, "INVALID_ID_TYPE_PARAM", "no place was given for the card kind"},
    {INVALID_CN_ID_DATA_PARAM, "INVALID_CN_ID_DATA_PARAM", "no record was given for a resident identity card"},
    {INVALID_FOREIGN_2017_ID_DATA_PARAM, "INVALID_FOREIGN_2017_ID_DATA_PARAM", "no record was given for a 2017 foreigner card"},
    {INVALID_FOREIGN_NEW_ID_DATA_PARAM, "INVALID_FOREIGN_NEW_ID_DATA_PARAM", "no record was given for a new foreigner card"},
    {INVALID_HMT_ID_DATA_PARAM, "INVALID_HMT_ID_DATA_PARAM", "no record was given for a residence permit"},
    {DATA_TRANSFER_ERROR, "DATA_TRANSFER_ERROR", "the data transfer with the reader failed"},
    {OVER_RIGHT_OPERA, "OVER_RIGHT_OPERA", "the operation is not permitted"},
    {CANNOT_RECG_ERROR, "CANNOT_RECG_ERROR", "the card could not be recognised"},
    {SAM_CERT_FAIL, "SAM_CERT_FAIL", "the reader's security module could not authenticate the card"},
    {INFO_VERIFY_FAIL, "INFO_VERIFY_FAIL", "the card's data failed verification"},
    {INFO_LEN_ERROR, "INFO_LEN_ERROR", "the card's data has a wrong length"},
    {CARD_NOT_RECG_ERROR, "CARD_NOT_RECG_ERROR", "the card was not recognised"},
    {INVALID_FRONT_BASE64_DATA_PARAM, "INVALID_FRONT_BASE64_DATA_PARAM", "no place was given for the front face"},
    {INVALID_BACK_BASE64_DATA_PARAM, "INVALID_BACK_BASE64_DATA_PARAM", "no place was given for the back face"},
    {DEV_IS_BUSY, "DEV_IS_BUSY", "the card reader is busy with another read"},
    {UNKNOWN_ERROR, "UNKNOWN_ERROR", "an unknown error occurred"},
};

}  // namespace

const char* readResultName(int result)
{
    const ResultWords* entry = findResultWords(kResults, result);
    return entry ? entry->name : "UNKNOWN";
}

const char* readResultExplanation(int result)
{
    const ResultWords* entry = findResultWords(kResults, result);
    return entry ? entry->explanation : "the library returned a result it does not define";
}
