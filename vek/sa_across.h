// SPDX-License-Identifier: Apache-2.0
// Columns synthesised across: kAcross neighbouring columns of a plane a row
// at a time, four to a register, instead of one by one through transposed
// copies. Columns whose runs of the shape are the same (a rectangular shape,
// the margins) are lifted along their runs; columns whose runs differ (an
// outline) are lifted as if each were one run, then the few samples next to
// an end of a run are lifted again and those outside cleared.
#pragma once

#include <cstddef>

#include "sa_lines.h"

const int kAcross = 8;

// The runs of one column of a block.
struct ColumnRuns {
    const MaskRun* runs;
    int count;
};

// SynthesizeLine's fast form on kAcross neighbouring columns of h samples,
// top holding the block's first row, stride apart. work holds
// (h + h / 2 + 1) x kAcross ints. The columns' entries must all be small, h
// must be even and no run two samples long.
void SynthesizeColumnsAcross(int* top, size_t stride, int h, const ColumnRuns* columns, int* work);
