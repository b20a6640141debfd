// SPDX-License-Identifier: Apache-2.0
// Interface of the reader-access library libkvsdecompose, as libpelorin
// calls it. The vendor's library and ours (reader/) both provide it.
#pragma once

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)
struct CardInfoStruct {
    int32_t cardType;  // 1 resident, 2 residence permit, 3 foreigner 2017, 4 foreigner new

    unsigned char sfz_name[30];
    unsigned char sfz_gender[6];
    unsigned char sfz_nation[8];
    unsigned char sfz_birthday[16];
    unsigned char sfz_address[70];
    unsigned char sfz_idNumber[36];
    unsigned char sfz_issueOrganization[30];
    unsigned char sfz_validDateStart[16];
    unsigned char sfz_validDateEnd[16];
    unsigned char sfz_reserved[36];

    unsigned char gat_name[30];
    unsigned char gat_gender[6];
    unsigned char gat_reserved1[4];
    unsigned char gat_birthday[16];
    unsigned char gat_address[70];
    unsigned char gat_idNumber[36];
    unsigned char gat_issueOrganization[30];
    unsigned char gat_validDateStart[16];
    unsigned char gat_validDateEnd[16];
    unsigned char gat_passCheckId[18];
    unsigned char gat_issuesNumber[4];
    unsigned char gat_reserved2[6];
    unsigned char gat_cardType[2];
    unsigned char gat_reserved3[6];

    unsigned char yjzOld_nameEnglish[120];
    unsigned char yjzOld_gender[6];
    unsigned char yjzOld_idNumber[30];
    unsigned char yjzOld_nationality[6];
    unsigned char yjzOld_nameChinese[30];
    unsigned char yjzOld_validDateStart[16];
    unsigned char yjzOld_validDateEnd[16];
    unsigned char yjzOld_birthday[16];
    unsigned char yjzOld_cardVersion[4];
    unsigned char yjzOld_issueOrganization[8];
    unsigned char yjzOld_cardType[2];
    unsigned char yjzOld_reserved[6];

    unsigned char yjz_nameChinese[30];
    unsigned char yjz_gender[6];
    unsigned char yjz_renewalNumber[4];
    unsigned char yjz_birthday[16];
    unsigned char yjz_nameEnglish[70];
    unsigned char yjz_idNumber[36];
    unsigned char yjz_reserved[30];
    unsigned char yjz_validDateStart[16];
    unsigned char yjz_validDateEnd[16];
    unsigned char yjz_nameEnglishAdd[22];
    unsigned char yjz_nationality[6];
    unsigned char yjz_cardType[2];
    unsigned char yjz_releatedItems[6];
    unsigned char yjz_historicalNumber[30];

    unsigned char padding[2];
};
#pragma pack(pop)

static_assert(sizeof(CardInfoStruct) == 1080, "CardInfoStruct is 1080 bytes");
#define KVS_AT(field, off) static_assert(offsetof(CardInfoStruct, field) == off, #field)
KVS_AT(cardType, 0);
KVS_AT(sfz_name, 4); KVS_AT(sfz_gender, 34); KVS_AT(sfz_nation, 40); KVS_AT(sfz_birthday, 48);
KVS_AT(sfz_address, 64); KVS_AT(sfz_idNumber, 134); KVS_AT(sfz_issueOrganization, 170);
KVS_AT(sfz_validDateStart, 200); KVS_AT(sfz_validDateEnd, 216); KVS_AT(sfz_reserved, 232);
KVS_AT(gat_name, 268); KVS_AT(gat_gender, 298); KVS_AT(gat_reserved1, 304); KVS_AT(gat_birthday, 308);
KVS_AT(gat_address, 324); KVS_AT(gat_idNumber, 394); KVS_AT(gat_issueOrganization, 430);
KVS_AT(gat_validDateStart, 460); KVS_AT(gat_validDateEnd, 476); KVS_AT(gat_passCheckId, 492);
KVS_AT(gat_issuesNumber, 510); KVS_AT(gat_reserved2, 514); KVS_AT(gat_cardType, 520);
KVS_AT(gat_reserved3, 522);
KVS_AT(yjzOld_nameEnglish, 528); KVS_AT(yjzOld_gender, 648); KVS_AT(yjzOld_idNumber, 654);
KVS_AT(yjzOld_nationality, 684); KVS_AT(yjzOld_nameChinese, 690); KVS_AT(yjzOld_validDateStart, 720);
KVS_AT(yjzOld_validDateEnd, 736); KVS_AT(yjzOld_birthday, 752); KVS_AT(yjzOld_cardVersion, 768);
KVS_AT(yjzOld_issueOrganization, 772); KVS_AT(yjzOld_cardType, 780); KVS_AT(yjzOld_reserved, 782);
KVS_AT(yjz_nameChinese, 788); KVS_AT(yjz_gender, 818); KVS_AT(yjz_renewalNumber, 824);
KVS_AT(yjz_birthday, 828); KVS_AT(yjz_nameEnglish, 844); KVS_AT(yjz_idNumber, 914);
KVS_AT(yjz_reserved, 950); KVS_AT(yjz_validDateStart, 980); KVS_AT(yjz_validDateEnd, 996);
KVS_AT(yjz_nameEnglishAdd, 1012); KVS_AT(yjz_nationality, 1034); KVS_AT(yjz_cardType, 1040);
KVS_AT(yjz_releatedItems, 1042); KVS_AT(yjz_historicalNumber, 1048); KVS_AT(padding, 1078);
#undef KVS_AT

// Every call answers 144 (0x90) on success; KVS_ReadIDCard answers 65 (0x41)
// for a failed attempt worth repeating.
enum { KVS_OK = 144, KVS_RETRY = 65, KVS_PORT = 1001 };

extern "C" {
int KVS_OpenPort(int port);
int KVS_FindIDCard(int port);
int KVS_ReadIDCard(int port, CardInfoStruct* docInfo, unsigned char* pPHMsg, unsigned int* pPHMsgLen,
                   unsigned char* pFPMsg, unsigned int* pFPMsgLen, int flag);
int KVS_ClosePort(int port);
}
