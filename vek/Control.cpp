#include "Control.h"

#include "QCoder.h"

CControl::CControl(common_ptr pinfo)
    : info(pinfo), m_nMaxLength(0), m_bControlLength(0), m_bEnd(0)
{
}

void CControl::SetMaxLength(int nMaxLength)
{
    m_nMaxLength = nMaxLength;
    m_bControlLength = nMaxLength > 0;
}

BOOL CControl::bEndStream()
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
