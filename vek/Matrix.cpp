// SPDX-License-Identifier: Apache-2.0
#include "Matrix.h"

#include <cstdlib>
#include <cstring>

// The header, the row pointers and the data in one zeroed block.
matrix_t* matrix_create(int numrows, int numcols)
{
    if (numrows < 0 || numcols < 0)
        return nullptr;
    const size_t rows = numrows > 0 ? numrows : 1;
    const size_t data = static_cast<size_t>(numrows) * numcols > 0 ? static_cast<size_t>(numrows) * numcols : 1;
    const size_t head = (sizeof(matrix_t) + 15) / 16 * 16;
    auto* block = static_cast<unsigned char*>(std::calloc(1, head + rows * sizeof(int*) + data * sizeof(int)));
    if (!block)
        return nullptr;
    auto* matrix = reinterpret_cast<matrix_t*>(block);
    matrix->numrows_ = numrows;
    matrix->numcols_ = numcols;
    matrix->maxrows_ = numrows;
    matrix->datasize_ = numrows * numcols;
    matrix->rows_ = reinterpret_cast<int**>(block + head);
    matrix->data_ = reinterpret_cast<int*>(block + head + rows * sizeof(int*));
    for (int i = 0; i < numrows; ++i)
        matrix->rows_[i] = matrix->data_ + i * numcols;
    return matrix;
}

void matrix_destroy(matrix_t* matrix)
{
    std::free(matrix);
}

matrix_t matrix_view(int** rows, int numrows, int numcols)
{
    matrix_t view = {};
    view.numrows_ = numrows;
    view.numcols_ = numcols;
    view.maxrows_ = numrows;
    view.datasize_ = numrows * numcols;
    view.rows_ = rows;
    view.data_ = rows[0];
    return view;
}

void matrix_copy(matrix_t* dest, const matrix_t* src)
{
    std::memcpy(dest->data_, src->data_, sizeof(int) * src->datasize_);
}

void matrix_mask_emerge(matrix_t* matrix)
{
    for (int i = 0; i < matrix->datasize_; ++i)
        matrix->data_[i] = matrix->data_[i] > 0 ? 1 : 0;
}
