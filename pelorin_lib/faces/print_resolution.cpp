// SPDX-License-Identifier: Apache-2.0
#include "card_faces.h"

namespace CardFaces {

namespace {
thread_local qreal t_dotsPerInch = 0;
const qreal kDesignDotsPerInch = 96;
}

PrintResolution::PrintResolution(qreal dotsPerInch) : m_outer(t_dotsPerInch)
{
    t_dotsPerInch = dotsPerInch;
}

PrintResolution::~PrintResolution()
{
    t_dotsPerInch = m_outer;
}

qreal PrintResolution::dotsPerInch()
{
    return t_dotsPerInch;
}

qreal PrintResolution::designPixel()
{
    return t_dotsPerInch > 0 ? t_dotsPerInch / kDesignDotsPerInch : 1.0;
}

}  // namespace CardFaces
