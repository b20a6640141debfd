// SPDX-License-Identifier: Apache-2.0
// Planes and the decoder's input stream.
#pragma once

#include "common_struct.h"

#include <cstddef>

// A plane: an array of height row pointers to height rows of
// (width x bits + 7) / 8 zero-filled bytes, one after the other, in the same
// allocation. bits 8, 24, 32 hold bytes, PIXELs, ints.
void** MallocBuf(int width, int height, int bits);
// The same with the rows left as they come, for planes written in full before
// they are read.
void** MallocBufUncleared(int width, int height, int bits);
void FreeBuf(void** f);
// An uncleared block of bytes from the same store, for buffers that come and
// go with every decode; null when memory runs out.
void* MallocBlock(size_t bytes);
void FreeBlock(void* block);
// Frees the planes kept for reuse (when the library is unloaded).
void Free_Kept_Planes();

// Input stream over the process-wide payload buffer.
int Read(common_ptr info, void* obj, int size, int num);
int RD_file(void* obj, int size, int num);
// Reads a 32-bit little-endian value through Read.
int Read_Int32(common_ptr info);
// Moves the read cursor over n bytes without copying (n < 1: nothing).
void Skip_stream(common_ptr info, int n);

void Init_IO(common_ptr info);
void Init_buf_stream(common_ptr info);
void Term_buf_stream(common_ptr info);
// Capacity of buf_stream in bytes.
int Buf_Stream_Size(common_ptr info);

// Copies the next coded segment into buf_stream: the first form reads its
// 32-bit length first and stores it through buf_length. Bytes beyond
// buf_stream's capacity are passed over; a negative length copies nothing.
void Write_buf_stream(common_ptr info, unsigned char* buf_stream, int* buf_length);
void Write_buf_stream(common_ptr info, unsigned char* buf_stream, int buf_length);
