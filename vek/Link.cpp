// SPDX-License-Identifier: Apache-2.0
#include "Link.h"

#include "MemManage.h"

namespace {

unsigned Magnitude(int a)
{
    return a < 0 ? 0u - static_cast<unsigned>(a) : static_cast<unsigned>(a);
}

} // namespace

link_ptr Init_Link(common_ptr info, int T)
{
    const int linklen = info->sample_width * info->sample_height;
    const int buflen = linklen;  // Sort_Link parks at most the whole list
    // The record and both arrays in one block; entries are written before
    // they are read, so only the record needs clearing.
    auto* block = static_cast<unsigned char*>(
        MallocBlock(sizeof(link_struct) + sizeof(position_struct) * (static_cast<size_t>(linklen) + buflen)));
    if (!block)
        return nullptr;
    auto* pl = reinterpret_cast<link_ptr>(block);
    *pl = link_struct{};
    pl->linklen = linklen;
    pl->buflen = buflen;
    pl->T = T + 1;
    pl->head = reinterpret_cast<position_struct*>(block + sizeof(link_struct));
    pl->buf = pl->head + linklen;
    return pl;
}

void Term_Link(common_ptr info)
{
    FreeBlock(info->pl);
    info->pl = nullptr;
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
    const unsigned testBit = 1u << (t - 1);
    // One pass: entries with the test bit go back into head at once, the
    // others wait in buf (which holds the whole list if need be) until
    // their run ends. head is never written ahead of the entry read.
    int write = 0;
    int parked = 0;
    unsigned runKey = 0;
    for (int i = 0; i < pl->length; ++i) {
        const position_struct e = pl->head[i];
        const unsigned magnitude = Magnitude(info->A[e.row][e.col]);
        const unsigned key = (magnitude >> t) & keyMask;
        if (key != runKey) {
            for (int k = 0; k < parked; ++k)
                pl->head[write++] = pl->buf[k];
            parked = 0;
            runKey = key;
        }
        // Which way an entry goes is as hard to predict as the bit: it is
        // written both ways and only its count moves (head[write] has been
        // read already, and is written again before the end).
        const int set = (magnitude & testBit) != 0;
        pl->head[write] = e;
        pl->buf[parked] = e;
        write += set;
        parked += 1 - set;
    }
    for (int k = 0; k < parked; ++k)
        pl->head[write++] = pl->buf[k];
}
