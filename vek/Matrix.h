// SPDX-License-Identifier: Apache-2.0
// Two-dimensional int arrays for the shape-adaptive transform.
#pragma once

struct matrix_t {
    int flags_;
    int numrows_;
    int numcols_;
    int** rows_;
    int maxrows_;
    int* data_;
    int datasize_;
};

// A zero-filled matrix, or null when memory runs out.
matrix_t* matrix_create(int numrows, int numcols);
void matrix_destroy(matrix_t* matrix);
// A matrix over rows of numcols ints laid one after the other from rows[0];
// it owns nothing and is not destroyed.
matrix_t matrix_view(int** rows, int numrows, int numcols);
void matrix_copy(matrix_t* dest, const matrix_t* src);
// Reduces any mask to 0/1: positive values become 1, everything else 0.
void matrix_mask_emerge(matrix_t* matrix);
