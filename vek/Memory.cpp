// SPDX-License-Identifier: Apache-2.0
#include "Memory.h"

#include <algorithm>
#include <cstring>

namespace {

RasterOut* s_out = nullptr;

} // namespace

int RasterOut::Write(const void* source, int size, int num)
{
    const int64_t n = (int64_t)size * num;
    if (n <= 0)
        return 0;
    const auto* from = static_cast<const unsigned char*>(source);
    const int64_t end = std::min(written_ + n, (int64_t)rowBytes_ * rows_);
    for (int64_t at = written_; at < end;) {
        const int64_t row = at / rowBytes_;
        const int64_t column = at % rowBytes_;
        const int64_t piece = std::min<int64_t>(rowBytes_ - column, end - at);
        std::memcpy(dst_ + (rows_ - 1 - row) * rowBytes_ + column, from + (at - written_), piece);
        at += piece;
    }
    written_ += n;
    return (int)n;
}

void InitStream(RasterOut* out)
{
    s_out = out;
}

int WRITE_memory(void* source, int size, int num)
{
    return s_out ? s_out->Write(source, size, num) : 0;
}
