// SPDX-License-Identifier: Apache-2.0
// End-of-segment control: a colour ends once its decoder has consumed more
// bytes than the segment's budget.
#pragma once

#include <climits>

#include "QCoder.h"
#include "common_struct.h"

class CControl {
public:
    common_ptr info;
    int m_nMaxLength;
    BOOL m_bControlLength;
    BOOL m_bEnd;

    explicit CControl(common_ptr pinfo);
    // Puts the budget in force when it is above 0.
    void SetMaxLength(int nMaxLength);
    // Latches: once the end is reported it stays reported. Asked after
    // every symbol, so kept inline.
    BOOL bEndStream()
    {
        if (m_bEnd)
            return 1;
        if (!m_bControlLength || info->is_encoder)
            return 0;
        if (info->pAritDecoder->byte_counter > m_nMaxLength) {
            m_bEnd = 1;
            return 1;
        }
        return 0;
    }
    // The byte count past which bEndStream reports the end: a loop that
    // watches the count itself asks bEndStream only once it is passed.
    int Budget() const
    {
        if (m_bEnd)
            return -1;
        return !m_bControlLength || info->is_encoder ? INT_MAX : m_nMaxLength;
    }
};
