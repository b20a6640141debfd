// SPDX-License-Identifier: Apache-2.0
// CUsbIdReader: the identity card reader's frame protocol over raw USB bulk
// pipes (find card, select card, read card data, split-pipe frames).
#pragma once

#include <QByteArray>
#include <cstdint>

#include "libusbex.h"
#include "pelorin_api.h"

class CUsbIdReader : public CLibUsbEx {
public:
    CUsbIdReader(unsigned short vid, unsigned short pid);

    bool lookup();
    bool select();
    bool fetch_data(QByteArray& outbuf, FP_INFO_TYPE& fp_type);

    bool write_pipe2(uint8_t len_high, uint8_t len_low);
    bool write_pipe6(uint16_t len, uint8_t cmd, uint8_t para, uint8_t* data_p, uint8_t chksum);
    bool read_pipe81(uint16_t& len);
    bool read_pipe85(uint16_t len);

    // Checks a received card data frame of `length` bytes, with the reader's
    // debug lines; returns DEV_INIT_OK or the failure code fetch_data records.
    static READ_RESULT checkDataFrame(const unsigned char* frame, int length);

private:
    struct FixedStep;
    bool runFixedStep(const FixedStep& step);
    bool sendRequest(const unsigned char* request, int length);
};
