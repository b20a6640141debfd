// SPDX-License-Identifier: Apache-2.0
// The arguments of readIDCard, as a test reads a card with them.
#pragma once

#include <memory>
#include <string>

#include <pelorin/pelorin_api.h>

// One of each record and string, as a caller of readIDCard holds them.
struct ReadArguments {
    ID_TYPE idType = ID_TYPE_UNKNOWN;
    std::unique_ptr<IDCARD_INFO_ALL_CN> cn = std::make_unique<IDCARD_INFO_ALL_CN>();
    std::unique_ptr<IDCARD_INFO_ALL_FOREIGN_2017> foreign2017 = std::make_unique<IDCARD_INFO_ALL_FOREIGN_2017>();
    std::unique_ptr<IDCARD_INFO_ALL_FOREIGN_NEW> foreignNew = std::make_unique<IDCARD_INFO_ALL_FOREIGN_NEW>();
    std::unique_ptr<IDCARD_INFO_ALL_HMT> hmt = std::make_unique<IDCARD_INFO_ALL_HMT>();
    std::string front;
    std::string back;

    READ_RESULT read()
    {
        return readIDCard(&idType, cn.get(), foreign2017.get(), foreignNew.get(), hmt.get(), &front, &back);
    }
};
