// SPDX-License-Identifier: Apache-2.0
// Reads the card on the reader once and prints the holder's name and the
// card's kind. Built against the installed kit (see CMakeLists.txt, Makefile).
#include <pelorin/pelorin_api.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

struct CardRecords {
    ID_TYPE type = ID_TYPE_UNKNOWN;
    IDCARD_INFO_ALL_CN cn;
    IDCARD_INFO_ALL_FOREIGN_2017 foreign2017;
    IDCARD_INFO_ALL_FOREIGN_NEW foreignNew;
    IDCARD_INFO_ALL_HMT hmt;
    std::string front;
    std::string back;
};

// The holder's name and the kind of card, as the record of that kind holds it.
void printHolder(const CardRecords& card)
{
    switch (card.type) {
    case ID_TYPE_CN:
        printf("%s\nresident identity card\n", card.cn.idTextInfoCN.name.c_str());
        break;
    case ID_TYPE_HMT:
        printf("%s\nresidence permit for Hong Kong, Macau and Taiwan residents\n",
               card.hmt.idTextInfoHMT.name.c_str());
        break;
    case ID_TYPE_FOREIGN_2017:
        printf("%s\nforeigner's permanent residence card (2017)\n",
               card.foreign2017.idTextInfoForeign2017.nameEN.c_str());
        break;
    case ID_TYPE_FOREIGN_NEW:
        printf("%s\nforeigner's permanent residence card (new layout)\n",
               card.foreignNew.idTextInfoForeignNew.nameEN.c_str());
        break;
    default:
        printf("unknown card kind %d\n", static_cast<int>(card.type));
    }
}

}  // namespace

int main()
{
    // The read needs a Qt GUI application object; a program without one of
    // its own lets the library make it.
    guiInit();
    auto card = std::make_unique<CardRecords>();
    READ_RESULT result = readIDCard(&card->type, &card->cn, &card->foreign2017, &card->foreignNew,
                                    &card->hmt, &card->front, &card->back);
    if (result == READ_OK)
        printHolder(*card);
    else
        fprintf(stderr, "read failed: %d\n", static_cast<int>(result));
    guiUninit();
    return result == READ_OK ? 0 : 1;
}
