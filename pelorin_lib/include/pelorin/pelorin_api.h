// SPDX-License-Identifier: Apache-2.0
// Public interface of libpelorin: the records a card read fills, the result
// codes, and the four exported functions.
#pragma once

#include <string>

class QGuiApplication;

typedef struct _tagBIRTH_INFO {
    std::string year;
    std::string month;
    std::string day;
} BIRTH_INFO;

typedef struct _tagVALID_PERIOD_INFO {
    std::string start;
    std::string end;
} VALID_PERIOD_INFO;

typedef struct _tagID_TEXT_INFO_CN {
    std::string name;
    std::string gender;
    std::string nation;
    BIRTH_INFO birth;
    std::string address;
    std::string idCode;
    std::string dept;
    VALID_PERIOD_INFO validPeriod;
} ID_TEXT_INFO_CN;

typedef struct _tagID_TEXT_INFO_HMT {
    std::string name;
    std::string gender;
    BIRTH_INFO birth;
    std::string address;
    std::string idCode;
    std::string dept;
    VALID_PERIOD_INFO validPeriod;
    std::string passCheckCode;
    std::string changes;
} ID_TEXT_INFO_HMT;

typedef struct _tagID_TEXT_INFO_FOREIGN_NEW {
    std::string nameCN;
    std::string gender;
    std::string changes;
    BIRTH_INFO birth;
    std::string nameEN;
    std::string idCode;
    VALID_PERIOD_INFO validPeriod;
    std::string nationality;
} ID_TEXT_INFO_FOREIGN_NEW;

typedef struct _tagID_TEXT_INFO_FOREIGN_2017 {
    std::string nameEN;
    std::string gender;
    std::string idCode;
    std::string nationality;
    std::string nameCN;
    VALID_PERIOD_INFO validPeriod;
    BIRTH_INFO birth;
    std::string acceptanceDept;
} ID_TEXT_INFO_FOREIGN_2017;

enum { HEAD_IMAGE_BMP_SIZE = 38862, FINGER_FEATURE_SIZE = 1024 };

typedef enum _tagFP_INFO_TYPE : unsigned int {
    TWO_FP_INFO = 0,
    ONE_FP_INFO = 1,
    NO_FP_INFO = 2,
} FP_INFO_TYPE;

typedef struct _tagIDCARD_INFO_TAIL_CN {
    unsigned char headImage[HEAD_IMAGE_BMP_SIZE];
    FP_INFO_TYPE finger_info_type;
    unsigned char fingerFeature[FINGER_FEATURE_SIZE];
} IDCARD_INFO_TAIL_CN;

typedef struct _tagIDCARD_INFO_TAIL_OTHER {
    unsigned char headImage[HEAD_IMAGE_BMP_SIZE];
} IDCARD_INFO_TAIL_OTHER;

typedef struct _tagIDCARD_INFO_ALL_CN {
    ID_TEXT_INFO_CN idTextInfoCN;
    IDCARD_INFO_TAIL_CN idInfoTailCN;
} IDCARD_INFO_ALL_CN;

typedef struct _tagIDCARD_INFO_ALL_HMT {
    ID_TEXT_INFO_HMT idTextInfoHMT;
    IDCARD_INFO_TAIL_OTHER idInfoTailOther;
} IDCARD_INFO_ALL_HMT;

typedef struct _tagIDCARD_INFO_ALL_FOREIGN_NEW {
    ID_TEXT_INFO_FOREIGN_NEW idTextInfoForeignNew;
    IDCARD_INFO_TAIL_OTHER idInfoTailOther;
} IDCARD_INFO_ALL_FOREIGN_NEW;

typedef struct _tagIDCARD_INFO_ALL_FOREIGN_2017 {
    ID_TEXT_INFO_FOREIGN_2017 idTextInfoForeign2017;
    IDCARD_INFO_TAIL_OTHER idInfoTailOther;
} IDCARD_INFO_ALL_FOREIGN_2017;

typedef enum _tagID_TYPE : int {
    ID_TYPE_CN = 0,
    ID_TYPE_FOREIGN_2017 = 1,
    ID_TYPE_FOREIGN_NEW = 2,
    ID_TYPE_HMT = 3,
    ID_TYPE_UNKNOWN = -1,
} ID_TYPE;

typedef enum _tagREAD_RESULT : int {
    READ_OK = 0,
    DEV_INIT_OK = 0,
    UNSUPPORT_CARD = -1,
    INIT_DEV_FAIL = -2,
    GET_DEV_LIST_FAIL = -3,
    GET_DEV_DESC_FAIL = -4,
    OPEN_DEV_FAIL = -5,
    ACCESS_DEV_ERROR = -6,
    DEV_NOT_FOUND = -7,
    DEV_REGISTER_FAIL = -8,
    DEV_RESET_FAIL = -9,
    CARD_LOOKUP_DATA_NOT_MATCHED = -10,
    CARD_LOOKUP_RESP_FAIL = -11,
    CARD_LOOKUP_REQ_FAIL = -12,
    CARD_SELECT_DATA_NOT_MATCHED = -13,
    CARD_SELECT_RESP_FAIL = -14,
    CARD_SELECT_REQ_FAIL = -15,
    CARD_DATA_RESP_LEN_INVALID = -16,
    CARD_PREAMBLE_CHECK_MISMATCHED = -17,
    CARD_FIXPART_CHECK_MISMATCHED = -18,
    CARD_DATA_TOTAL_LEN_MISMATCHED = -19,
    CARD_FP_DATA_LEN_INVALID = -20,
    CARD_DATA_FATCH_RESP_FAIL = -21,
    CARD_DATA_FATCH_REQ_FAIL = -22,
    READ_DATA_FAIL = -23,
    READ_NO_DATA = -24,
    READ_DATA_TIMEOUT = -25,
    PARSE_ERROR = -26,
    INVALID_ID_TYPE_PARAM = -27,
    INVALID_CN_ID_DATA_PARAM = -28,
    INVALID_FOREIGN_2017_ID_DATA_PARAM = -29,
    INVALID_FOREIGN_NEW_ID_DATA_PARAM = -30,
    INVALID_HMT_ID_DATA_PARAM = -31,
    DATA_TRANSFER_ERROR = -32,
    OVER_RIGHT_OPERA = -33,
    CANNOT_RECG_ERROR = -34,
    SAM_CERT_FAIL = -35,
    INFO_VERIFY_FAIL = -36,
    INFO_LEN_ERROR = -37,
    CARD_NOT_RECG_ERROR = -38,
    INVALID_FRONT_BASE64_DATA_PARAM = -39,
    INVALID_BACK_BASE64_DATA_PARAM = -40,
    DEV_IS_BUSY = -41,
    UNKNOWN_ERROR = -55,
} READ_RESULT;

// The read context handed from readIDCard to its worker.
typedef struct _tagReadInfo {
    ID_TYPE* pIDType;
    IDCARD_INFO_ALL_CN* pIDAllInfoCN;
    IDCARD_INFO_ALL_FOREIGN_2017* pIDAllInfoForeign2017;
    IDCARD_INFO_ALL_FOREIGN_NEW* pIDAllInfoForeignNew;
    IDCARD_INFO_ALL_HMT* pIDAllInfoHMT;
    std::string* pFrontBase64;
    std::string* pBackBase64;
} ReadInfo;

enum { COUNTRY_CODE_ROWS = 239 };

extern "C" {

extern bool gHasInited;
extern bool gHasRegisterSignal;
extern QGuiApplication* theApp;
// Rows of numeric code, alpha-3 code and Chinese short name.
extern std::string COUNTRY_CODE_LIST[COUNTRY_CODE_ROWS][3];

READ_RESULT readIDCard(ID_TYPE* pIDType, IDCARD_INFO_ALL_CN* pIDAllInfoCN,
                       IDCARD_INFO_ALL_FOREIGN_2017* pIDAllInfoForeign2017,
                       IDCARD_INFO_ALL_FOREIGN_NEW* pIDAllInfoForeignNew,
                       IDCARD_INFO_ALL_HMT* pIDAllInfoHMT, std::string* pFrontBase64,
                       std::string* pBackBase64);
// Unmangled for lookup by name, yet called from C++ only: clang's warning
// about a C++ return type under C linkage says nothing to a caller.
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wreturn-type-c-linkage"
#endif
std::string getSDKVersion();
#if defined(__clang__)
#pragma clang diagnostic pop
#endif
void guiInit();
void guiUninit();

}  // extern "C"
