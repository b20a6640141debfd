#include "Link.h"

#include <cstdlib>

namespace {

unsigned Magnitude(int a)
{
    return a < 0 ? 0u - static_cast<unsigned>(a) : static_cast<unsigned>(a);
}

// Stable partition of head[begin, end): test bit set first. The entries
// without it wait in buf, which holds the whole list if need be.
void PartitionRun(common_ptr info, int begin, int end, int t)
{
    link_ptr pl = info->pl;
    const unsigned testBit = 1u << (t - 1);
    int write = begin;
    int parked = 0;
    for (int i = begin; i < end; ++i) {
        const position_struct e = pl->head[i];
        if (Magnitude(info->A[e.row][e.col]) & testBit)
            pl->head[write++] = e;
        else
            pl->buf[parked++] = e;
    }
    for (int i = 0; i < parked; ++i)
        pl->head[write++] = pl->buf[i];
}

} // namespace

link_ptr Init_Link(common_ptr info, int T)
{
    auto* pl = static_cast<link_ptr>(std::calloc(1, sizeof(link_struct)));
    pl->linklen = info->sample_width * info->sample_height;
    pl->buflen = pl->linklen > LINK_BUFLEN ? pl->linklen : LINK_BUFLEN;
    pl->T = T + 1;
    // Entries are written before they are read: no need to clear them.
    pl->head = static_cast<position_struct*>(std::malloc(sizeof(position_struct) * pl->linklen));
    pl->buf = static_cast<position_struct*>(std::malloc(sizeof(position_struct) * pl->buflen));
    return pl;
}

void Term_Link(common_ptr info)
{
    if (!info->pl)
        return;
    std::free(info->pl->head);
    std::free(info->pl->buf);
    std::free(info->pl);
    info->pl = nullptr;
}

int AddToTail(common_ptr info, int& row, int& col)
{
    link_ptr pl = info->pl;
    if (pl->length >= pl->linklen)
        return 0;
    pl->head[pl->length].row = static_cast<int16_t>(row);
    pl->head[pl->length].col = static_cast<int16_t>(col);
    ++pl->length;
    return 1;
}

int GetAt(common_ptr info, int current, int& row, int& col)
{
    link_ptr pl = info->pl;
    if (current >= pl->length)
        return 0;
    pl->current = current;
    row = pl->head[current].row;
    col = pl->head[current].col;
    return 1;
}

void Sort_Link(common_ptr info)
{
    link_ptr pl = info->pl;
    const int t = info->t;
    if (t < 1 || pl->length == 0)
        return;
    // Bits t to T - 1 of the magnitude; T is at most 31 and t at least 1.
    const unsigned keyMask = (1u << (pl->T - t)) - 1u;
    auto key = [&](int i) {
        const position_struct e = pl->head[i];
        return (Magnitude(info->A[e.row][e.col]) >> t) & keyMask;
    };
    for (int begin = 0; begin < pl->length;) {
        const unsigned runKey = key(begin);
        int end = begin + 1;
        while (end < pl->length && key(end) == runKey)
            ++end;
        PartitionRun(info, begin, end, t);
        begin = end;
    }
}
