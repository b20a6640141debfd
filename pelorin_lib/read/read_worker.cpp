// SPDX-License-Identifier: Apache-2.0
// CMpsReader::readIDCardThread: the body of one card read.
#include <QMutex>
#include <memory>
#include <mutex>
#include <vector>

#include "card_completion.h"
#include "dbglog.h"
#include "exit_gate.h"
#include "kvsdecompose.h"
#include "mps_reader.h"
#include "record_assembly.h"

namespace {

// The first null pointer of the read context, with its log line and result.
READ_RESULT checkReadInfo(const ReadInfo* info)
{
    if (info == nullptr) {
        safe_write_fmt("invalid parameter pParam");
        return INVALID_ID_TYPE_PARAM;
    }
    struct Check {
        bool missing;
        const char* line;
        READ_RESULT result;
    };
    const Check checks[] = {
        {info->pIDType == nullptr, "invalid id type parameter\n", INVALID_ID_TYPE_PARAM},
        {info->pIDAllInfoCN == nullptr, "invalid pIDAllInfoCN parameter\n", INVALID_CN_ID_DATA_PARAM},
        {info->pIDAllInfoForeign2017 == nullptr, "invalid pIDAllInfoForeign2017 parameter\n",
         INVALID_FOREIGN_2017_ID_DATA_PARAM},
        {info->pIDAllInfoForeignNew == nullptr, "invalid pIDAllInfoForeignNew parameter\n",
         INVALID_FOREIGN_NEW_ID_DATA_PARAM},
        {info->pIDAllInfoHMT == nullptr, "invalid pIDAllInfoHMT parameter\n", INVALID_HMT_ID_DATA_PARAM},
        {info->pFrontBase64 == nullptr, "invalid pFrontBase64 parameter\n", INVALID_FRONT_BASE64_DATA_PARAM},
        {info->pBackBase64 == nullptr, "invalid pBackBase64 parameter\n", INVALID_BACK_BASE64_DATA_PARAM},
    };
    for (const Check& check : checks) {
        if (check.missing) {
            safe_write_fmt("%s", check.line);
            return check.result;
        }
    }
    return READ_OK;
}

READ_RESULT resultOfFailedFetch(int fetched)
{
    switch (fetched) {
    case KVS_RETRY: return READ_DATA_FAIL;
    case CARD_NOT_FOUND: return READ_NO_DATA;
    case 1: return OPEN_DEV_FAIL;
    default: return READ_DATA_FAIL;
    }
}

}  // namespace

READ_RESULT CMpsReader::readIDCardThread(void* pParam)
{
    // Waiting for the read lock is waiting for the reader: a late worker may
    // hold it for as long as the reader keeps it.
    std::unique_lock<QMutex> readLock(s_mtxRead, std::defer_lock);
    {
        ReaderWait wait;
        readLock.lock();
    }
    const ReadInfo* info = static_cast<const ReadInfo*>(pParam);
    READ_RESULT checked = checkReadInfo(info);
    if (checked != READ_OK)
        return checked;
    if (getReaderStatus() != DEV_UNINIT) {
        safe_write_fmt("reader not ready for reading.\n");
        return DEV_IS_BUSY;
    }

    CMpsReader idr;
    auto docInfo = std::make_shared<CardInfoStruct>();
    std::vector<unsigned char> pPHMsg(HEAD_IMAGE_BMP_SIZE, 0);
    std::vector<unsigned char> pFPMsg(FINGER_FEATURE_SIZE, 0);
    unsigned int pPHMsgLen = 0;
    unsigned int pFPMsgLen = 0;

    int fetched = idr.FetchCardData(docInfo.get(), pPHMsg.data(), &pPHMsgLen, pFPMsg.data(), &pFPMsgLen);
    if (fetched != KVS_OK) {
        safe_write_fmt("FetchCardData return %d\n", fetched);
        safe_write_fmt("reader status is: return %d\n", static_cast<int>(getReaderStatus()));
        return resultOfFailedFetch(fetched);
    }

    FetchedCard card{docInfo.get(), pPHMsg.data(), pFPMsg.data(), pFPMsgLen};
    READ_RESULT usable = checkFetchedCard(card);
    if (usable != READ_OK)
        return usable;
    std::vector<unsigned char> pPHMsgEx(HEAD_IMAGE_BMP_SIZE, 0);
    READ_RESULT photo = completePhoto(pPHMsg.data(), pPHMsgLen, pPHMsgEx.data());
    if (photo != READ_OK)
        return photo;
    card.photo = pPHMsgEx.data();
    storeFetchedCard(card, *info);
    composeFaces(*info->pIDType, *info);
    return READ_OK;
}
