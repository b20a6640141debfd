// SPDX-License-Identifier: Apache-2.0
// The four card kinds in one table: for each, its ID_TYPE, its name, the
// reader-access library's cardType, where ReadInfo keeps its record, where
// that record keeps its text and photo, its raw text parser and its face
// composers. Code that does something per kind asks visitKind for the kind
// and finds the rest here instead of choosing by kind itself.
#pragma once

#include <QPixmap>
#include <QString>

#include <pelorin/iddata.h>
#include <pelorin/makecardimg.h>
#include <pelorin/pelorin_api.h>

#include "card_faces.h"

namespace CardKinds {

template <typename Record>
struct Kind;

template <>
struct Kind<IDCARD_INFO_ALL_CN> {
    using Record = IDCARD_INFO_ALL_CN;
    static constexpr ID_TYPE idType = ID_TYPE_CN;
    static constexpr const char* name = "ID_TYPE_CN";
    static constexpr int cardType = 1;
    static constexpr bool hasFingerprints = true;
    static constexpr Record* ReadInfo::*record = &ReadInfo::pIDAllInfoCN;
    static constexpr auto text = &Record::idTextInfoCN;
    static unsigned char* headImage(Record& r) { return r.idInfoTailCN.headImage; }
    static constexpr auto parseText = &CIdData::parseChinaIdText;
    static constexpr auto frontBase64 = &MakeCardImg::makeIDCardCNFrontBase64;
    static constexpr auto backBase64 = &MakeCardImg::makeIDCardCNBackBase64;
    static const QPixmap& front(const Record& r) { return CardFaces::cnFront(r); }
    static const QPixmap& back(const Record& r) { return CardFaces::cnBack(r); }
};

template <>
struct Kind<IDCARD_INFO_ALL_HMT> {
    using Record = IDCARD_INFO_ALL_HMT;
    static constexpr ID_TYPE idType = ID_TYPE_HMT;
    static constexpr const char* name = "ID_TYPE_HMT";
    static constexpr int cardType = 2;
    static constexpr bool hasFingerprints = false;
    static constexpr Record* ReadInfo::*record = &ReadInfo::pIDAllInfoHMT;
    static constexpr auto text = &Record::idTextInfoHMT;
    static unsigned char* headImage(Record& r) { return r.idInfoTailOther.headImage; }
    static constexpr auto parseText = &CIdData::parseHMTIDText;
    static constexpr auto frontBase64 = &MakeCardImg::makeIDCardHmtFrontBase64;
    static constexpr auto backBase64 = &MakeCardImg::makeIDCardHmtBackBase64;
    static const QPixmap& front(const Record& r) { return CardFaces::hmtFront(r); }
    static const QPixmap& back(const Record& r) { return CardFaces::hmtBack(r); }
};

template <>
struct Kind<IDCARD_INFO_ALL_FOREIGN_2017> {
    using Record = IDCARD_INFO_ALL_FOREIGN_2017;
    static constexpr ID_TYPE idType = ID_TYPE_FOREIGN_2017;
    static constexpr const char* name = "ID_TYPE_FOREIGN_2017";
    static constexpr int cardType = 3;
    static constexpr bool hasFingerprints = false;
    static constexpr Record* ReadInfo::*record = &ReadInfo::pIDAllInfoForeign2017;
    static constexpr auto text = &Record::idTextInfoForeign2017;
    static unsigned char* headImage(Record& r) { return r.idInfoTailOther.headImage; }
    static constexpr auto parseText = &CIdData::parseForeign2017IDText;
    static constexpr auto frontBase64 = &MakeCardImg::makeIDCardF2017FrontBase64;
    static constexpr auto backBase64 = &MakeCardImg::makeIDCardF2017BackBase64;
    static const QPixmap& front(const Record& r) { return CardFaces::foreign2017Front(r); }
    static const QPixmap& back(const Record&) { return CardFaces::foreign2017Back(); }
};

template <>
struct Kind<IDCARD_INFO_ALL_FOREIGN_NEW> {
    using Record = IDCARD_INFO_ALL_FOREIGN_NEW;
    static constexpr ID_TYPE idType = ID_TYPE_FOREIGN_NEW;
    static constexpr const char* name = "ID_TYPE_FOREIGN_NEW";
    static constexpr int cardType = 4;
    static constexpr bool hasFingerprints = false;
    static constexpr Record* ReadInfo::*record = &ReadInfo::pIDAllInfoForeignNew;
    static constexpr auto text = &Record::idTextInfoForeignNew;
    static unsigned char* headImage(Record& r) { return r.idInfoTailOther.headImage; }
    static constexpr auto parseText = &CIdData::parseForeignNewIDText;
    static constexpr auto frontBase64 = &MakeCardImg::makeIDCardFNewFrontBase64;
    static constexpr auto backBase64 = &MakeCardImg::makeIDCardFNewBackBase64;
    static const QPixmap& front(const Record& r) { return CardFaces::foreignNewFront(r); }
    static const QPixmap& back(const Record&) { return CardFaces::foreignNewBack(); }
};

// Calls visit(Kind<...>()) for the kind `type` names and returns what it
// returns; for ID_TYPE_UNKNOWN, a value-initialised result.
template <typename Visit>
auto visitKind(ID_TYPE type, Visit&& visit) -> decltype(visit(Kind<IDCARD_INFO_ALL_CN>()))
{
    using Result = decltype(visit(Kind<IDCARD_INFO_ALL_CN>()));
    switch (type) {
    case ID_TYPE_CN: return visit(Kind<IDCARD_INFO_ALL_CN>());
    case ID_TYPE_HMT: return visit(Kind<IDCARD_INFO_ALL_HMT>());
    case ID_TYPE_FOREIGN_2017: return visit(Kind<IDCARD_INFO_ALL_FOREIGN_2017>());
    case ID_TYPE_FOREIGN_NEW: return visit(Kind<IDCARD_INFO_ALL_FOREIGN_NEW>());
    case ID_TYPE_UNKNOWN: break;
    }
    return Result();
}

// The kind's name ("ID_TYPE_CN", ...); null for ID_TYPE_UNKNOWN.
inline const char* nameOf(ID_TYPE type)
{
    return visitKind(type, [](auto kind) { return kind.name; });
}

// The kind of a reader-access library cardType; ID_TYPE_UNKNOWN for others.
inline ID_TYPE idTypeOfCardType(int cardType)
{
    for (ID_TYPE type : {ID_TYPE_CN, ID_TYPE_HMT, ID_TYPE_FOREIGN_2017, ID_TYPE_FOREIGN_NEW})
        if (visitKind(type, [](auto kind) { return kind.cardType; }) == cardType)
            return type;
    return ID_TYPE_UNKNOWN;
}

// The record of the card's kind in `records`: visit(kind, record).
template <typename Visit>
auto visitRecord(ID_TYPE type, const ReadInfo& records, Visit&& visit)
{
    return visitKind(type, [&](auto kind) { return visit(kind, *(records.*kind.record)); });
}

}  // namespace CardKinds
