// SPDX-License-Identifier: Apache-2.0
#include "mps_reader.h"

#include <QThread>
#include <clocale>

#include "console_text.h"
#include "dbglog.h"
#include "exit_gate.h"
#include "guest_mode.h"
#include "kvsdecompose.h"

QMutex CMpsReader::s_mtxRead;
std::atomic<READER_STATE> CMpsReader::mState{DEV_UNINIT};

namespace {

constexpr int kReadAttempts = 10;
constexpr unsigned long kRetryPauseMs = 50;

// A call into the reader library, where a worker may wait for any time.
template <typename Call>
int readerCall(Call call)
{
    ReaderWait wait;
    return call();
}

}  // namespace

CMpsReader::CMpsReader()
{
    mState = DEV_UNINIT;
    if (!inGuestMode())  // a guest's worker has the environment's locale for itself
        setlocale(LC_ALL, "");
    mState = DEV_INITED_OK;
    int result = readerCall([] { return KVS_OpenPort(KVS_PORT); });
    if (result == KVS_OK) {
        mState = DEV_OPEN_OK;
        return;
    }
    printConsole(L"打开读卡器失败，错误码：%d\n", result);
    safe_write_fmt("打开读卡器失败，错误码：%d\n", result);
    mState = DEV_OPEN_FAIL;
}

CMpsReader::~CMpsReader()
{
    if (isOpenState(mState)) {
        closePort();
        return;
    }
    safe_write_fmt("reader deconstruct issue: mState：%d\n", static_cast<int>(mState.load()));
    // A session that never opened must not leave the reader looking busy:
    // the next read tries the reader again.
    mState = DEV_UNINIT;
}

int CMpsReader::closeDev()
{
    if (isOpenState(mState)) {
        int result = readerCall([] { return KVS_ClosePort(KVS_PORT); });
        mState = DEV_UNINIT;
        return result;
    }
    safe_write_fmt("reader deconstruct issue: mState：%d\n", static_cast<int>(mState.load()));
    return -1;
}

void CMpsReader::closePort()
{
    readerCall([] { return KVS_ClosePort(KVS_PORT); });
    mState = DEV_UNINIT;
}

bool CMpsReader::isOpenState(READER_STATE state)
{
    return state == DEV_OPEN_OK || state == READ_DATA_OK || state == CARD_READ_DATA_FAIL ||
           state == CARD_READ_FAIL;
}

READER_STATE CMpsReader::getReaderStatus()
{
    return mState;
}

int CMpsReader::FetchCardData(CardInfoStruct* docInfo, unsigned char* pPHMsg, unsigned int* pPHMsgLen,
                              unsigned char* pFPMsg, unsigned int* pFPMsgLen)
{
    READER_STATE state = mState;
    if (state == DEV_INIT_FAIL || state == DEV_OPEN_FAIL) {
        safe_write_fmt("FetchCardData return 1 due to mState：%d\n", static_cast<int>(state));
        return 1;
    }
    if (state == CARD_READ_DATA_FAIL) {
        safe_write_fmt("FetchCardData return 0x41 due to mState：%d\n", static_cast<int>(state));
        return KVS_RETRY;
    }
    int found = readerCall([] { return KVS_FindIDCard(KVS_PORT); });
    if (found != KVS_OK) {
        safe_write_fmt("FetchCardData return CARD_NOT_FOUND due to KVS_FindIDCard return %d\n", found);
        return CARD_NOT_FOUND;
    }
    int result = KVS_RETRY;
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        result = readerCall(
            [&] { return KVS_ReadIDCard(KVS_PORT, docInfo, pPHMsg, pPHMsgLen, pFPMsg, pFPMsgLen, 1); });
        if (result != KVS_RETRY)
            break;
        printConsole(L"card reading fail!\n");
        QThread::msleep(kRetryPauseMs);
    }
    if (result == KVS_RETRY) {
        printConsole(L"card reading fail, result is：%d\n", result);
        safe_write_fmt("FetchCardData return %d due to KVS_ReadIDCard return %d\n", result, result);
        mState = CARD_READ_FAIL;
        return result;
    }
    if (result == KVS_OK) {
        mState = READ_DATA_OK;
        return result;
    }
    printConsole(L"cannot read data, result is：%d\n", result);
    safe_write_fmt("FetchCardData return %d due to KVS_ReadIDCard return %d\n", result, result);
    mState = CARD_READ_DATA_FAIL;
    return result;
}
