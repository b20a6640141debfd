// SPDX-License-Identifier: Apache-2.0
#include "card_codes.h"

namespace cardproto {

namespace {

// Ethnic groups 1 to 56 in the order of their numbers.
const char16_t* const kNations[] = {
    u"汉", u"蒙古", u"回", u"藏", u"维吾尔", u"苗", u"彝", u"壮", u"布依", u"朝鲜", u"满", u"侗", u"瑶", u"白",
    u"土家", u"哈尼", u"哈萨克", u"傣", u"黎", u"傈僳", u"佤", u"畲", u"高山", u"拉祜", u"水", u"东乡", u"纳西",
    u"景颇", u"柯尔克孜", u"土", u"达斡尔", u"仫佬", u"羌", u"布朗", u"撒拉", u"毛南", u"仡佬", u"锡伯", u"阿昌", u"普米",
    u"塔吉克", u"怒", u"乌孜别克", u"俄罗斯", u"鄂温克", u"德昂", u"保安", u"裕固", u"京", u"塔塔尔", u"独龙", u"鄂伦春",
    u"赫哲", u"门巴", u"珞巴", u"基诺",
};
constexpr int kListedNations = sizeof kNations / sizeof kNations[0];
static_assert(kListedNations == 56, "56 ethnic groups");

}  // namespace

const char16_t* genderWord(int code)
{
    switch (code) {
    case 0: return u"未知";
    case 1: return u"男";
    case 2: return u"女";
    case 9: return u"未说明";
    default: return nullptr;
    }
}

const char16_t* residentGenderWord(int code)
{
    return code == 1 ? u"男" : u"女";
}

const char* bilingualGender(const std::string& word)
{
    if (word == "男")
        return "男 / M";
    if (word == "女")
        return "女 / F";
    return nullptr;
}

std::string bilingualCountry(const std::string& name, const std::string& code)
{
    return name + kLanguageSeparator + code;
}

const char16_t* nationName(int number)
{
    if (number >= 1 && number <= kListedNations)
        return kNations[number - 1];
    switch (number) {
    case 97: return u"其他";
    case 98: return u"外国血统中国籍人士";
    default: return u"";
    }
}

}  // namespace cardproto
