// SPDX-License-Identifier: Apache-2.0
// CIdData: takes a card's raw data frame apart into the public records, the
// photo bitmap and the fingerprint file.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <string>

#include "pelorin_api.h"

class CIdData {
public:
    CIdData(QByteArray& data, FP_INFO_TYPE fp_type);

    // Decodes the UTF-16 field of iItemSize bytes at pbyCHMsg + iItemPos into
    // at most iDstSize bytes of UTF-8 at pszDst.
    void DecodeIDBase(unsigned char* pbyCHMsg, int iItemPos, int iItemSize, char* pszDst,
                      int iDstSize);

    bool parseIDType(unsigned char* byData, ID_TYPE* pIDType);
    void parseChinaIdText(unsigned char* byData, ID_TEXT_INFO_CN* pid_text_info_cn);
    void parseHMTIDText(unsigned char* byData, ID_TEXT_INFO_HMT* pid_text_info_hmt);
    void parseForeign2017IDText(unsigned char* byData,
                                ID_TEXT_INFO_FOREIGN_2017* pid_text_info_foreign_2017);
    void parseForeignNewIDText(unsigned char* byData,
                               ID_TEXT_INFO_FOREIGN_NEW* pid_text_info_foreign_new);
    void parseIDHeadImage(unsigned char* byData, unsigned char* img_out);
    void saveFpRawDataToFile(FP_INFO_TYPE fp_info_type, unsigned char* byData);
    bool parseNationality(QString countryID, QString& nationality);
    bool parseGender(QString genderCode, QString& genderName) const;
    std::string GetNation(uint16_t ethnic) const;

protected:
    QByteArray m_data;
    FP_INFO_TYPE m_fp_type;
};
