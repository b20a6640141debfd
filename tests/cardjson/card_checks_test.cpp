// SPDX-License-Identifier: Apache-2.0
// The checks of a card record: the identity number's check character, its
// birth date and sex, expiry and age, on a given day.
#include "card_checks.h"

#include <QJsonValue>
#include <gtest/gtest.h>

#include <memory>

namespace {

std::unique_ptr<CardRead> residentCard(const char* idCode, const char* birth = "19900102",
                                       const char* gender = "女", const char* end = "20350611")
{
    auto read = std::make_unique<CardRead>();
    read->idType = ID_TYPE_CN;
    ID_TEXT_INFO_CN& text = read->cn.idTextInfoCN;
    text.idCode = idCode;
    const std::string date = birth;
    const auto part = [&date](size_t from, size_t count) {
        return from < date.size() ? date.substr(from, count) : "";
    };
    text.birth = {part(0, 4), part(4, 2), part(6, std::string::npos)};
    text.gender = gender;
    text.validPeriod = {"20150611", end};
    return read;
}

const QDate kToday(2026, 12, 10);

}  // namespace

TEST(CardChecks, CheckCharacterOfTheIdentityNumber)
{
    const std::string good = "310115199001020024";
    EXPECT_EQ(checkCard(*residentCard(good.c_str()), kToday).idNumberValid, true);
    // Any single digit changed anywhere breaks the check.
    for (size_t i = 0; i < good.size(); ++i) {
        std::string changed = good;
        changed[i] = changed[i] == '9' ? '0' : static_cast<char>(changed[i] + 1);
        EXPECT_EQ(checkCard(*residentCard(changed.c_str()), kToday).idNumberValid, false) << changed;
    }
    // One good number for each of the eleven check characters; a lower-case x
    // is the same character as X.
    for (const char* number : {"440306198507140030", "440306198507140081", "440306198507140022",
                               "440306198507140073", "440306198507140014", "440306198507140065",
                               "440306198507140006", "440306198507140057", "440306198507140188",
                               "440306198507140049", "44030619850714009X", "44030619850714009x"}) {
        EXPECT_EQ(checkCard(*residentCard(number, "19850714"), kToday).idNumberValid, true) << number;
        std::string otherEnd = number;
        otherEnd.back() = otherEnd.back() == '0' ? 'X' : '0';
        EXPECT_EQ(checkCard(*residentCard(otherEnd.c_str(), "19850714"), kToday).idNumberValid, false) << otherEnd;
    }
    for (const char* malformed : {"", "31011519900102002", "3101151990010200244", "3101151990O1020024"})
        EXPECT_EQ(checkCard(*residentCard(malformed), kToday).idNumberValid, false) << malformed;

    // Kinds without such a number: null, not false.
    CardRead foreigner;
    foreigner.idType = ID_TYPE_FOREIGN_2017;
    foreigner.foreign2017.idTextInfoForeign2017.idCode = "CAN110780921012";
    EXPECT_EQ(checkCard(foreigner, kToday).idNumberValid, std::nullopt);
    foreigner.idType = ID_TYPE_FOREIGN_NEW;
    foreigner.foreignNew.idTextInfoForeignNew.idCode = "931840198506120019";
    EXPECT_EQ(checkCard(foreigner, kToday).idNumberValid, true);
    EXPECT_EQ(checkCard(foreigner, kToday).birthMatchesIdNumber, std::nullopt);
}

TEST(CardChecks, BirthDateAndSexAgainstTheNumber)
{
    CardChecks checks = checkCard(*residentCard("310115199001020024"), kToday);
    EXPECT_EQ(checks.birthMatchesIdNumber, true);
    EXPECT_EQ(checks.genderMatchesIdNumber, true);  // 2, even: a woman
    checks = checkCard(*residentCard("310115199001020024", "19900103", "男"), kToday);
    EXPECT_EQ(checks.birthMatchesIdNumber, false);
    EXPECT_EQ(checks.genderMatchesIdNumber, false);
    EXPECT_EQ(checkCard(*residentCard("110108198803151231", "19880315", "男"), kToday).genderMatchesIdNumber,
              true);
    // A missing field: nothing to compare.
    checks = checkCard(*residentCard("310115199001020024", "", ""), kToday);
    EXPECT_EQ(checks.birthMatchesIdNumber, std::nullopt);
    EXPECT_EQ(checks.genderMatchesIdNumber, std::nullopt);
    EXPECT_EQ(checks.ageYears, std::nullopt);
    checks = checkCard(*residentCard(""), kToday);
    EXPECT_EQ(checks.birthMatchesIdNumber, std::nullopt);
    EXPECT_EQ(checks.genderMatchesIdNumber, std::nullopt);
}

TEST(CardChecks, ExpiryOnTheLastDayAndForTheLongTerm)
{
    const auto endingOn = [](const char* end) { return residentCard("310115199001020024", "19900102", "女", end); };
    EXPECT_EQ(checkCard(*endingOn("20261210"), kToday).expired, false) << "valid through its last day";
    EXPECT_EQ(checkCard(*endingOn("20261210"), kToday.addDays(1)).expired, true);
    EXPECT_EQ(checkCard(*endingOn("长期"), QDate(2200, 1, 1)).expired, false);
    EXPECT_EQ(checkCard(*endingOn(""), kToday).expired, std::nullopt);
    EXPECT_EQ(checkCard(*endingOn("20261341"), kToday).expired, std::nullopt);
}

TEST(CardChecks, AgeOnTheBirthdayAndTheDayBefore)
{
    const auto card = residentCard("310115199001020024");  // born 1990-01-02
    EXPECT_EQ(checkCard(*card, QDate(2008, 1, 1)).ageYears, 17);
    EXPECT_EQ(checkCard(*card, QDate(2008, 1, 2)).ageYears, 18);
    EXPECT_EQ(checkCard(*card, QDate(1990, 1, 2)).ageYears, 0);
    EXPECT_EQ(checkCard(*card, QDate(1990, 1, 1)).ageYears, std::nullopt) << "not born yet";
    // Born on 29 February: a year older on 1 March of a common year.
    const auto leap = residentCard("310115200002290021", "20000229");
    EXPECT_EQ(checkCard(*leap, QDate(2001, 2, 28)).ageYears, 0);
    EXPECT_EQ(checkCard(*leap, QDate(2001, 3, 1)).ageYears, 1);
    EXPECT_EQ(checkCard(*residentCard("310115199001020024", "199001"), kToday).ageYears, std::nullopt);
}

TEST(CardChecks, JsonNamesAndNulls)
{
    CardRead foreigner;
    foreigner.idType = ID_TYPE_FOREIGN_2017;
    const QJsonObject json = checksJson(checkCard(foreigner, kToday));
    EXPECT_EQ(json.keys(), (QStringList{"ageYears", "birthMatchesIdNumber", "expired", "genderMatchesIdNumber",
                                        "idNumberValid"}));
    for (const QJsonValue value : json)
        EXPECT_TRUE(value.isNull());
    const QJsonObject resident = checksJson(checkCard(*residentCard("310115199001020024"), kToday));
    EXPECT_EQ(resident["idNumberValid"], true);
    EXPECT_EQ(resident["expired"], false);
    EXPECT_EQ(resident["ageYears"], 36);
}
