// Tools: static helpers of the card face composer (drawing toolkit) and the
// country-code lookup shared by the read path.
#pragma once

#include <string>

class Tools {
public:
    // Chinese country name of a three-letter code; empty when the code is unknown.
    static std::string convertNationCodeToName(std::string strNationCode);
};
