// SPDX-License-Identifier: Apache-2.0
#include "Control.h"

CControl::CControl(common_ptr pinfo)
    : info(pinfo), m_nMaxLength(0), m_bControlLength(0), m_bEnd(0)
{
}

void CControl::SetMaxLength(int nMaxLength)
{
    m_nMaxLength = nMaxLength;
    m_bControlLength = nMaxLength > 0;
}
