// SPDX-License-Identifier: Apache-2.0
// The zero-tree passes over the active colour at bit plane t.
#pragma once

#include "common_struct.h"

// Symbols of a dominant pass (the encoder keeps them in B, where
// DescendFromZTR reads them).
enum {
    SYM_POSITIVE = 0,
    SYM_NEGATIVE = 1,
    SYM_ZEROTREE = 2,
    SYM_ISOLATED_ZERO = 3,
    SYM_OUTSIDE_ZEROTREE = 4,
    SYM_OUTSIDE_CODED = 5,
    SYM_NONE = 255,
};

// Flags of the detail coefficients that tell a dominant pass which ones it
// looks at. The passes need them: make them once the shape (FMask) is known.
// They are kept for the next decode of the same shape; Term_Tree_Flags frees
// them (when the library is unloaded).
void Init_Tree_Flags(common_ptr info);
void Term_Tree_Flags();

void DDomainPass(common_ptr info);
void DCScan(common_ptr info);
void ACScan(common_ptr info);
void DSubordinatePass(common_ptr info);
int DescendFromZTR(common_ptr info, int r, int c, int l);
int HaveValidDescend(common_ptr info, int r, int c, int l);
