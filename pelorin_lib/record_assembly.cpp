#include "record_assembly.h"

#include "dbglog.h"
#include "kvsdecompose.h"

ID_TYPE idTypeOfCard(int cardType)
{
    switch (cardType) {
    case 1: return ID_TYPE_CN;
    case 2: return ID_TYPE_HMT;
    case 3: return ID_TYPE_FOREIGN_2017;
    case 4: return ID_TYPE_FOREIGN_NEW;
    default: return ID_TYPE_UNKNOWN;
    }
}

READ_RESULT checkFetchedCard(const FetchedCard& card)
{
    ID_TYPE type = idTypeOfCard(card.docInfo->cardType);
    if (type == ID_TYPE_UNKNOWN) {
        safe_write_fmt("unsupported card type: %d\n", card.docInfo->cardType);
        return UNSUPPORT_CARD;
    }
    if (type == ID_TYPE_CN && card.fingerprintLength != 0 && card.fingerprintLength != 512 &&
        card.fingerprintLength != 1024) {
        safe_write_fmt("invalid fingerprint length: %u\n", card.fingerprintLength);
        return PARSE_ERROR;
    }
    return READ_OK;
}

void storeFetchedCard(const FetchedCard& card, const ReadInfo& info)
{
    *info.pIDType = idTypeOfCard(card.docInfo->cardType);
}
