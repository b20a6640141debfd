// SPDX-License-Identifier: Apache-2.0
// The two steps that complete a read: the holder's photo in the form every
// consumer can load, and the pictures of the card's two faces.
#pragma once

#include "pelorin_api.h"

// Turns the photo as the reader delivered it (photoLength bytes of the
// 38862-byte buffer readerPhoto) into what headImage receives. A bitmap is
// kept as it is; a 1024-byte compressed payload is decoded and framed as a
// bitmap file, and PARSE_ERROR is returned when it does not decode; any other
// length passes the buffer on unchanged.
READ_RESULT completePhoto(const unsigned char* readerPhoto, unsigned int photoLength, unsigned char* headImage);

// Composes the front and back of the card the record of kind type holds
// and stores them as base64 JPEG text.
void composeFaces(ID_TYPE type, const ReadInfo& info);
