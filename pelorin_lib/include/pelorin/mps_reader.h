// SPDX-License-Identifier: Apache-2.0
// CMpsReader: one reader session over the reader-access library, and the
// read worker that turns a session's card data into the caller's records.
#pragma once

#include <QMutex>
#include <atomic>

#include "pelorin_api.h"

struct CardInfoStruct;

typedef enum _tagREADER_STATE : int {
    DEV_UNINIT = 0,
    DEV_INITED_OK = 1,
    DEV_OPEN_OK = 2,
    READ_DATA_OK = 3,
    DEV_INIT_FAIL = -1,
    DEV_OPEN_FAIL = -2,
    CARD_READ_DATA_FAIL = -3,
    CARD_NOT_FOUND = -4,
    CARD_READ_FAIL = -5,
    INVALID_PARAM = -6,
} READER_STATE;

class CMpsReader {
public:
    // Opens the reader.
    CMpsReader();
    // Closes the reader if it is open.
    ~CMpsReader();
    CMpsReader(const CMpsReader&) = delete;
    CMpsReader& operator=(const CMpsReader&) = delete;

    int closeDev();
    static READER_STATE getReaderStatus();
    // 144 when the card was read; 1 (reader not open), 65 (attempts
    // exhausted), -4 (no card) or the reader's own read result otherwise.
    int FetchCardData(CardInfoStruct* docInfo, unsigned char* pPHMsg, unsigned int* pPHMsgLen,
                      unsigned char* pFPMsg, unsigned int* pFPMsgLen);

    // The body of one card read; pParam points to a ReadInfo.
    static READ_RESULT readIDCardThread(void* pParam);

    static QMutex s_mtxRead;

private:
    static bool isOpenState(READER_STATE state);
    static void closePort();

    static std::atomic<READER_STATE> mState;
};
