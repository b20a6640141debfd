// SPDX-License-Identifier: Apache-2.0
// Significance list of the active colour: the coefficients found significant,
// in the order in which the refinement passes visit them.
#pragma once

#include "common_struct.h"

link_ptr Init_Link(common_ptr info, int T);
void Term_Link(common_ptr info);
// Inline: the dominant pass appends to the list for every coefficient it finds significant.
inline int AddToTail(common_ptr info, int& row, int& col)
{
    link_ptr pl = info->pl;
    if (pl->length >= pl->linklen)
        return 0;
    pl->head[pl->length].row = static_cast<int16_t>(row);
    pl->head[pl->length].col = static_cast<int16_t>(col);
    ++pl->length;
    return 1;
}
int GetAt(common_ptr info, int current, int& row, int& col);
// Moves, within each run of entries that agree on bits t and above, the ones
// whose bit t - 1 is set before the others, keeping their order otherwise.
void Sort_Link(common_ptr info);
