// Everything one readIDCard call fills.
#pragma once

#include "pelorin_api.h"

#include <string>

struct CardRead {
    ID_TYPE idType = ID_TYPE_UNKNOWN;
    IDCARD_INFO_ALL_CN cn{};
    IDCARD_INFO_ALL_FOREIGN_2017 foreign2017{};
    IDCARD_INFO_ALL_FOREIGN_NEW foreignNew{};
    IDCARD_INFO_ALL_HMT hmt{};
    std::string frontBase64;
    std::string backBase64;
};
