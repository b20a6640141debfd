// SPDX-License-Identifier: Apache-2.0
#include "sample_looks.h"

namespace kvssample {

const FaceLook& builtinLook()
{
    static const FaceLook look{{236, 242, 250}, {236, 196, 164}, {30, 26, 24}, {40, 60, 110},
                               {60, 40, 30},    HairStyle::Short, false,       false};
    return look;
}

const std::vector<NamedLook>& fixtureLooks()
{
    static const std::vector<NamedLook> looks{
        {"cn", {{250, 250, 250}, {242, 208, 182}, {22, 18, 18}, {200, 60, 70}, {55, 35, 25},
                HairStyle::Long, false, false}},
        {"hmt", {{214, 232, 248}, {226, 184, 150}, {60, 45, 35}, {245, 245, 245}, {50, 35, 25},
                 HairStyle::Short, true, false}},
        {"fnew", {{222, 238, 252}, {246, 214, 196}, {150, 95, 50}, {50, 90, 60}, {70, 110, 160},
                  HairStyle::Receding, false, true}},
        {"f2017", {{240, 236, 228}, {250, 222, 205}, {205, 160, 90}, {90, 50, 120}, {60, 120, 90},
                   HairStyle::Bun, true, false}},
    };
    return looks;
}

}  // namespace kvssample
