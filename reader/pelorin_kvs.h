// SPDX-License-Identifier: Apache-2.0
/* What pelorin's reader library offers beyond the four calls of every
 * reader-access library: the readers file of this process, and its readers.
 * A vendor's library has neither, so callers declare them weak (see
 * reader_choice.h) and find them null there. */
#ifndef PELORIN_KVS_H
#define PELORIN_KVS_H

#ifdef __cplusplus
extern "C" {
#endif

/* Names the readers file the next opens read, for this process; NULL or ""
 * goes back to PELORIN_READERS and the files after it. Returns 144. */
int pelorin_kvs_use_readers(const char* path);

/* The readers file, and why it cannot be used (NULL when it can). */
typedef void (*pelorin_kvs_file_seen)(void* context, const char* path, const char* problem);
/* One reader of it: "serial", "usb" or "simulated"; where it is ("/dev/ttyUSB0
 * 115200", "0400:c35a", a card file or ""); whether it is there. When probed,
 * `answer` is what it said to find card (144 a card, 128 none, other: its
 * failure) or 0 when it was not asked, and `problem` why it could not be
 * opened (else NULL). */
typedef void (*pelorin_kvs_reader_seen)(void* context, const char* kind, const char* where, int present,
                                        int answer, const char* problem);

/* Reads the readers file in use: `file` once, then `reader` for each reader
 * in order. With `probe` non-zero, each reader that is there is opened and
 * asked for a card. Returns 144, -101 when the file cannot be used, or -107
 * for a null callback. */
int pelorin_kvs_list_readers(int probe, void* context, pelorin_kvs_file_seen file,
                             pelorin_kvs_reader_seen reader);

#ifdef __cplusplus
}
#endif

#endif /* PELORIN_KVS_H */
