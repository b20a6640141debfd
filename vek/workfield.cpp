// SPDX-License-Identifier: Apache-2.0
#include "workfield.h"

#include "DecodeFault.h"
#include "Imagedata.h"
#include "QCoder.h"

CWorkField* pSrcWork = nullptr;

// Next direction = previous + turn(symbol), modulo 8.
static const int TURN[8] = {0, -1, 1, -2, 2, -3, 3, -4};

CWorkField::CWorkField(int width, int height)
    : m_nWidth(width),
      m_nHeight(height),
      face_model(0),
      mask_area_ratio(0),
      m_clrmean(),
      m_points(),
      m_pEdge(new CImageData(width, height)),
      tb()
{
    init_trace_buf(&tb, TRACE_MAX_STEPS);
}

CWorkField::~CWorkField()
{
    term_trace_buf(&tb);
    delete m_pEdge;
}

static PIXEL Decode_colour(AritDecoder* decode)
{
    PIXEL p;
    p.r = (UCHR)decode->decode_bits(8);
    p.g = (UCHR)decode->decode_bits(8);
    p.b = (UCHR)decode->decode_bits(8);
    return p;
}

void CWorkField::Decoder(AritDecoder* decode, int& back)
{
    Adaptive_Model model(8);
    back = decode->decode_bits(1);
    if (back) {
        for (VERTEX& v : m_points) {
            v.x = decode->decode_bits(9);
            v.y = decode->decode_bits(9);
            v.p = Decode_colour(decode);
        }
    } else {
        m_clrmean = Decode_colour(decode);
    }

    const int count = decode->decode_bits(8);
    if (count > tb.buf_num) {
        Raise_Decode_Fault();
        return;
    }
    trace_header* t = tb.temp;
    for (int i = 0; i < count; ++i) {
        t->Lmax = TRACE_MAX_STEPS;
        t->stepnum = decode->decode_bits(16);
        if (t->stepnum > t->Lmax) {
            Raise_Decode_Fault();
            return;
        }
        t->x_init = decode->decode_bits(12);
        t->y_init = decode->decode_bits(12);
        t->code[0] = (unsigned char)decode->decode_symbol(model);
        for (int j = 1; j < t->stepnum; ++j)
            t->code[j] = (unsigned char)((t->code[j - 1] + TURN[decode->decode_symbol(model)] + 8) % 8);
        if (!trace_inside(t, m_nWidth, m_nHeight)) {
            Raise_Decode_Fault();
            return;
        }
        add_trace(&tb);
    }
    if (count > 0) {
        tb.buf[0]->neck_loc = decode->decode_bits(1);
        face_model = 1;
    } else {
        face_model = 0;
    }
}

void CWorkField::Output(char** buf)
{
    m_pEdge->SetDefaultValue(0);
    for (int i = 0; i < tb.trace_num; ++i)
        fill(m_pEdge, tb.buf[i]);
    // Rows through locals: a char store may alias any field, which would keep
    // the loop from vectorising.
    const int width = m_nWidth;
    const bool whole = face_model == 0;
    int inside = 0;
    for (int r = 0; r < m_nHeight; ++r) {
        const unsigned char* edge = m_pEdge->m_pData[r];
        char* out = buf[r];
        int rowInside = 0;
        for (int c = 0; c < width; ++c) {
            const char in = (whole || edge[c] != 0) ? 1 : 0;
            out[c] = in;
            rowInside += in;
        }
        inside += rowInside;
    }
    // Share of the picture inside the mask, in percent.
    mask_area_ratio = inside * 100 / (m_nWidth * m_nHeight);
}
