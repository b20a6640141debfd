// SPDX-License-Identifier: Apache-2.0
#include "ZeroTreeEncoder.h"

#include <cstdlib>

#include "DoPass.h"
#include "Link.h"
#include "MemManage.h"
#include "QMEncoder.h"

namespace {

class ZeroTreeCoder {
public:
    explicit ZeroTreeCoder(const ZeroTreePlanes& planes) : planes_(planes)
    {
        info_.sample_width = planes.width;
        info_.sample_height = planes.height;
        info_.level = planes.level;
        info_.MaskLayer = 1;
        info_.is_encoder = 1;
        info_.A = reinterpret_cast<int**>(MallocBuf(planes.width, planes.height, 32));
        info_.FMask = reinterpret_cast<int**>(MallocBuf(planes.width, planes.height, 32));
        info_.B = reinterpret_cast<UCHR**>(MallocBuf(planes.width, planes.height, 8));
        info_.C = reinterpret_cast<UCHR**>(MallocBuf(planes.width, planes.height, 8));
        for (int r = 0; r < planes.height; ++r)
            for (int c = 0; c < planes.width; ++c)
                info_.FMask[r][c] = planes.fmask[Index(r, c)];
    }

    ~ZeroTreeCoder()
    {
        Term_Link(&info_);
        FreeBuf(reinterpret_cast<void**>(info_.A));
        FreeBuf(reinterpret_cast<void**>(info_.FMask));
        FreeBuf(reinterpret_cast<void**>(info_.B));
        FreeBuf(reinterpret_cast<void**>(info_.C));
    }

    ZeroTreeCode Encode()
    {
        ZeroTreeCode code;
        code.initial_plane = InitialPlane();
        info_.pl = Init_Link(&info_, code.initial_plane);
        events_ = &code.events;
        for (info_.t = code.initial_plane; info_.t >= 0; --info_.t) {
            for (int r = 0; r < planes_.height; ++r)
                for (int c = 0; c < planes_.width; ++c)
                    info_.B[r][c] = SYM_NONE;
            DominantPass();
            SubordinatePass();
            Sort_Link(&info_);
        }
        code.segment.push_back(static_cast<uint8_t>(code.initial_plane));
        const std::vector<uint8_t> coded = encoder_.Finish();
        code.segment.insert(code.segment.end(), coded.begin(), coded.end());
        return code;
    }

private:
    int Index(int r, int c) const { return r * planes_.width + c; }
    int Coeff(int r, int c) const { return planes_.coeff[Index(r, c)]; }
    bool Inside(int r, int c) const { return info_.FMask[r][c] == 1; }
    int Threshold() const { return 1 << info_.t; }

    int InitialPlane() const
    {
        unsigned largest = 0;
        for (int r = 0; r < planes_.height; ++r)
            for (int c = 0; c < planes_.width; ++c)
                if (Inside(r, c) && static_cast<unsigned>(std::abs(Coeff(r, c))) > largest)
                    largest = static_cast<unsigned>(std::abs(Coeff(r, c)));
        int plane = 0;
        while (plane < 30 && (largest >> (plane + 1)) != 0)
            ++plane;
        return plane;
    }

    bool NewlySignificant(int r, int c) const
    {
        return Inside(r, c) && info_.C[r][c] == 0 && std::abs(Coeff(r, c)) >= Threshold();
    }

    bool HasNewlySignificantDescendant(int r, int c, int l) const
    {
        for (int k = 1; k < l; ++k)
            for (int dr = 0; dr < (1 << k); ++dr)
                for (int dc = 0; dc < (1 << k); ++dc)
                    if (NewlySignificant((r << k) + dr, (c << k) + dc))
                        return true;
        return false;
    }

    void Emit(Adaptive_Model& model, int id, int symbol, int r, int c)
    {
        encoder_.encode_symbol(model, symbol);
        events_->push_back({id, symbol, r, c, info_.A[r][c]});
    }

    // Symbols 0 and 1: the coefficient becomes significant with its sign.
    void MarkSignificant(int r, int c, int s)
    {
        info_.A[r][c] = s == SYM_POSITIVE ? Threshold() : -Threshold();
        info_.C[r][c] = 1;
        AddToTail(&info_, r, c);
    }

    int SignSymbol(int r, int c) const
    {
        return Coeff(r, c) > 0 ? SYM_POSITIVE : SYM_NEGATIVE;
    }

    void CodeLowBand()
    {
        const int h = planes_.height >> planes_.level;
        const int w = planes_.width >> planes_.level;
        for (int r = 0; r < h; ++r) {
            for (int c = 0; c < w; ++c) {
                if (!Inside(r, c) || info_.C[r][c] != 0)
                    continue;
                const int s = NewlySignificant(r, c) ? SignSymbol(r, c) : SYM_ZEROTREE;
                info_.B[r][c] = static_cast<UCHR>(s);
                if (s != SYM_ZEROTREE)
                    MarkSignificant(r, c, s);
                Emit(m0_, 0, s, r, c);
            }
        }
    }

    void CodeDetail(int r, int c, int l)
    {
        if (!Inside(r, c)) {
            if (l == 1 || DescendFromZTR(&info_, r, c, l) || !HaveValidDescend(&info_, r, c, l))
                return;
            const int s = HasNewlySignificantDescendant(r, c, l) ? 1 : 0;
            info_.B[r][c] = s == 0 ? SYM_OUTSIDE_ZEROTREE : SYM_OUTSIDE_CODED;
            Emit(m5_, 5, s, r, c);
            return;
        }
        if (DescendFromZTR(&info_, r, c, l) || info_.C[r][c] != 0)
            return;
        int s;
        if (NewlySignificant(r, c))
            s = SignSymbol(r, c);
        else if (l > 1 && HasNewlySignificantDescendant(r, c, l))
            s = SYM_ISOLATED_ZERO;
        else
            s = SYM_ZEROTREE;
        info_.B[r][c] = static_cast<UCHR>(s);
        if (s == SYM_POSITIVE || s == SYM_NEGATIVE)
            MarkSignificant(r, c, s);
        if (l > 1)
            Emit(m1_, 1, s, r, c);
        else
            Emit(m2_, 2, s, r, c);
    }

    void DominantPass()
    {
        CodeLowBand();
        for (int l = planes_.level; l >= 1; --l) {
            const int h = planes_.height >> l;
            const int w = planes_.width >> l;
            for (int c = w; c < 2 * w; ++c)  // band (0, 1), column by column
                for (int r = 0; r < h; ++r)
                    CodeDetail(r, c, l);
            for (int r = h; r < 2 * h; ++r)  // band (1, 0)
                for (int c = 0; c < w; ++c)
                    CodeDetail(r, c, l);
            for (int r = h; r < 2 * h; ++r)  // band (1, 1)
                for (int c = w; c < 2 * w; ++c)
                    CodeDetail(r, c, l);
        }
    }

    void SubordinatePass()
    {
        const int t = info_.t;
        if (t <= 0)
            return;
        for (int i = 0; i < info_.pl->length; ++i) {
            int r, c;
            GetAt(&info_, i, r, c);
            const int bit = (std::abs(Coeff(r, c)) >> (t - 1)) & 1;
            if (bit) {
                int& a = info_.A[r][c];
                a = a < 0 ? -(-a | (1 << (t - 1))) : (a | (1 << (t - 1)));
            }
            Emit(m3_, 3, bit, r, c);
        }
    }

    const ZeroTreePlanes& planes_;
    common_struct info_ = {};
    QMEncoder encoder_;
    // The decoder's models m0, m1, m2, m3 and m5 (m4 codes nothing).
    Adaptive_Model m0_{3}, m1_{4}, m2_{3}, m3_{2}, m5_{2};
    std::vector<ZeroTreeEvent>* events_ = nullptr;
};

} // namespace

ZeroTreeCode Encode_Zero_Tree(const ZeroTreePlanes& planes)
{
    ZeroTreeCoder coder(planes);
    return coder.Encode();
}
