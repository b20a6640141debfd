// SPDX-License-Identifier: Apache-2.0
/* pelorin_c.h: reading identity cards from C (and from anything that calls C:
 * Python's ctypes, JNA, P/Invoke). Link with -lpelorin_c.
 *
 * Results and ownership
 *   Every function returns an int result: PELORIN_OK (0) or a negative value.
 *   pelorin_result_name() and pelorin_result_text() put any result into words.
 *   A successful pelorin_read() hands out a card. The card and every pointer an
 *   accessor returns into it (texts, JSON, photo, faces, fingerprints) belong
 *   to the library and stay valid until pelorin_card_free() of that card;
 *   copy what you keep longer. Never free() them. Texts are UTF-8, ending in a
 *   zero byte. Output pointers are left untouched when a call fails, except
 *   that pelorin_read() sets *card to NULL on every failure and
 *   pelorin_readers() hands out a list with PELORIN_NO_READERS too.
 *
 * Cards are handles
 *   A pelorin_card pointer is a handle into the library's table of live cards,
 *   not an address: the library never dereferences it. A handle that was freed
 *   (or never handed out) is refused with PELORIN_BAD_CARD instead of touching
 *   memory, and handles are never reused, so freeing twice is harmless too.
 *
 * What the host process can rely on
 *   A read installs no signal handler, writes nothing to standard output or
 *   standard error (pelorin-reader's library for real readers reports there
 *   a readers file it cannot use or no reader it could open), not even when
 *   the process ends while a timed-out read is still under way, and leaves
 *   the locale and the environment as they were (see pelorin_init() for the
 *   locale during the first read).
 *   Failures come back as results, never as an exit: the card faces are
 *   painted offscreen, so DISPLAY and WAYLAND_DISPLAY (set, unset, or naming
 *   a display that cannot be reached) do not matter. The library's own
 *   threads block the asynchronous signals, which stay the host's. A read
 *   needs about 16 free file descriptors at once; with fewer it returns
 *   PELORIN_NO_DESCRIPTORS at once, and reads work again once they are free.
 *   What a read opens and what the library keeps open (its threads' event
 *   descriptors) is never descriptor 0, 1 or 2, even if the host closed
 *   those: during pelorin_init() and a read the library holds any of them
 *   that is closed open on /dev/null.
 *
 * Threads
 *   Reads need a Qt GUI application object: the card faces are painted with
 *   Qt. If the process has none, the first pelorin_read() starts a thread of
 *   the library's own that creates one and keeps it for the life of the
 *   process; then any thread may call pelorin_read(), at any time, and
 *   threads may come and go. Reads run one at a time; each caller waits for
 *   its turn and gets its own card.
 *   A host that is a Qt program keeps its own application object (create it
 *   before the first read): reads then must come from that object's thread,
 *   which runs its Qt event loop while it waits; from any other thread a
 *   read returns PELORIN_WRONG_THREAD at once and reads nothing.
 *   The accessors, the result texts and pelorin_card_free() may be called
 *   from any thread. A read waits for the reads of the callers before it,
 *   then at most about 8 seconds for the reader (PELORIN_READ_DATA_TIMEOUT).
 *   pelorin_init(), pelorin_read(), pelorin_watch_look(), pelorin_readers()
 *   and the copies (pelorin_card_copy(), pelorin_card_copy_bytes()) are no
 *   cancellation points: a thread cancelled (pthread_cancel) while in one
 *   finishes the call and acts on the request at its next cancellation
 *   point; a card or list it got is then the host's to free.
 *
 * fork()
 *   A child forked before the process's first read (or watch look, or
 *   pelorin_init()) reads like any process. In a child forked after it, the
 *   library's threads are missing, and every read and look returns
 *   PELORIN_FORKED at once: read in the parent, or start a new program (fork
 *   and exec). Such a child ends normally (exit(), return from main) even if
 *   the parent was reading when it forked.
 *
 * Readers
 *   The reader-access library of the package pelorin-reader (libkvsdecompose.so)
 *   reads, at every open, a readers file: one reader a line, tried in order,
 *       serial /dev/ttyUSB0 [SPEED]    a reader on a serial port (115200 8N1)
 *       usb 0400:c35a                  a USB reader, vendor:product in hex
 *       simulated [CARD_FILE]          the simulated reader: its built-in card,
 *                                      or a card file (relative: from the
 *                                      current directory)
 *   The file is the one pelorin_use_readers() named, else the one the
 *   environment variable PELORIN_READERS names, else pelorin-readers.conf
 *   beside that library (a build tree's names the simulated reader), else
 *   /etc/pelorin/readers.conf, which as installed names no reader. A vendor's
 *   libkvsdecompose.so reads no readers file: the reader functions return
 *   PELORIN_READERS_UNSUPPORTED with it.
 */
#ifndef PELORIN_C_H
#define PELORIN_C_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Results. The read results are those of the C++ interface's READ_RESULT
 * (every other negative value of it may appear as well); the last group is
 * this interface's own answer to bad use. */
#define PELORIN_OK 0
#define PELORIN_UNSUPPORT_CARD (-1)
#define PELORIN_OPEN_DEV_FAIL (-5)
#define PELORIN_READ_DATA_FAIL (-23)
#define PELORIN_READ_NO_DATA (-24)
#define PELORIN_READ_DATA_TIMEOUT (-25)
#define PELORIN_PARSE_ERROR (-26)
#define PELORIN_DEV_IS_BUSY (-41)
#define PELORIN_UNKNOWN_ERROR (-55)

#define PELORIN_NULL_ARGUMENT (-101) /* a pointer argument was NULL */
#define PELORIN_BAD_CARD (-102)      /* not a live card: freed or never handed out */
#define PELORIN_UNKNOWN_FIELD (-103) /* the card has no text field (or check) of that name or index */
#define PELORIN_WRONG_THREAD (-104)  /* in a Qt host, a read from another thread than its GUI thread */
#define PELORIN_FORKED (-105)        /* a read in a child forked after the process's first read */
#define PELORIN_NO_READERS (-106)    /* the readers file is missing, malformed or names no reader */
#define PELORIN_READERS_UNSUPPORTED (-107) /* the reader-access library in use reads no readers file */
#define PELORIN_NO_SUCH_READER (-108) /* the reader list has no reader of that number */
#define PELORIN_NO_DESCRIPTORS (-109) /* too few free file descriptors for a read */
#define PELORIN_BAD_ARGUMENT (-110)  /* an argument of the wrong form: a date, a copy's format */
#define PELORIN_WRITE_FAILED (-111)  /* the file could not be written */
#define PELORIN_NO_FACES (-112)      /* the card's faces could not be composed for a copy */

/* Card kinds. */
#define PELORIN_ID_TYPE_CN 0           /* resident identity card */
#define PELORIN_ID_TYPE_FOREIGN_2017 1 /* foreigner's permanent residence card, 2017 layout */
#define PELORIN_ID_TYPE_FOREIGN_NEW 2  /* foreigner's permanent residence card, new layout */
#define PELORIN_ID_TYPE_HMT 3          /* residence permit, Hong Kong, Macau, Taiwan */

/* Fingerprint content of a resident card. */
#define PELORIN_TWO_FP_INFO 0
#define PELORIN_ONE_FP_INFO 1
#define PELORIN_NO_FP_INFO 2

typedef struct pelorin_card pelorin_card;

/* Optional: makes the library ready for reads ahead of the first one. In a
 * process without a Qt application object it starts the library's thread,
 * which creates one; Qt then sets the process-wide locale from the
 * environment, and the library puts the host's back at once. Call it early,
 * before the program starts threads that format or parse numbers (or call
 * setlocale()): after it no read changes the process-wide locale, not even
 * for a moment. Without it the first read does this set-up, and another
 * thread may meanwhile see the environment's locale (a decimal comma, for
 * instance). Calling it again does nothing. Returns PELORIN_OK, or what a
 * read would return for the process (PELORIN_NO_DESCRIPTORS, after which a
 * later call tries again; PELORIN_FORKED; PELORIN_WRONG_THREAD). */
int pelorin_init(void);

/* Reads the card on the reader. On PELORIN_OK, *card is a new card for the
 * caller to free with pelorin_card_free(); on failure *card is NULL. */
int pelorin_read(pelorin_card** card);

/* Frees the card and everything its accessors returned. NULL is accepted and
 * does nothing, like free(NULL); a freed card gives PELORIN_BAD_CARD. */
int pelorin_card_free(pelorin_card* card);

/* The card kind, one of PELORIN_ID_TYPE_*, and its name ("ID_TYPE_CN"). */
int pelorin_card_id_type(const pelorin_card* card, int* id_type);
int pelorin_card_kind(const pelorin_card* card, const char** name);

/* Text fields, named as in the card's JSON record; the parts of the birth date
 * and of the validity period are "birth.year", "birth.month", "birth.day",
 * "validPeriod.start" and "validPeriod.end". Resident card: address, birth.*,
 * dept, gender, idCode, name, nation, validPeriod.*. Residence permit:
 * address, birth.*, changes, dept, gender, idCode, name, passCheckCode,
 * validPeriod.*. Foreigner cards: birth.*, gender, idCode, nameCN, nameEN,
 * nationality (the country's name), nationalityCode (its three-letter code;
 * empty for a code the country table lacks), validPeriod.*, and changes (new
 * layout) or acceptanceDept (2017 layout). */
int pelorin_card_text(const pelorin_card* card, const char* field, const char** utf8);
/* The name of the card's text field number index (0, 1, ...); past the last
 * one, PELORIN_UNKNOWN_FIELD. */
int pelorin_card_field_name(const pelorin_card* card, size_t index, const char** field);

/* The card as JSON, exactly as pelorin-read prints it (with an empty "files"
 * object, and "checks" as of the day of the read); *length excludes the
 * terminating zero. length may be NULL. */
int pelorin_card_json(const pelorin_card* card, const char** json, size_t* length);

/* What a desk checks before it accepts the card, from its record alone (the
 * record and the read's result are never changed), named as in the JSON's
 * "checks":
 *   "idNumberValid"          the 18-character identity number ends in the
 *                            ISO 7064 MOD 11-2 check character of its first
 *                            17 digits ("x" accepted for "X"); resident card,
 *                            residence permit, new foreigner card
 *   "birthMatchesIdNumber"   characters 7 to 14 of the number are the birth
 *                            date (resident card, residence permit)
 *   "genderMatchesIdNumber"  the 17th is odd for a man, even for a woman
 *                            (resident card, residence permit)
 *   "expired"                the validity period ended before the day;
 *                            PELORIN_CHECK_FALSE for a long-term card
 *   "ageYears"               whole years from the birth date to the day
 * *value is PELORIN_CHECK_TRUE or PELORIN_CHECK_FALSE (the age: the years),
 * or PELORIN_CHECK_NONE where the check does not apply to the card's kind or
 * a field it needs is missing. on_date is the day as "YYYY-MM-DD", or NULL
 * for today (the local date); another form gives PELORIN_BAD_ARGUMENT, a
 * name of no check PELORIN_UNKNOWN_FIELD. */
#define PELORIN_CHECK_FALSE 0
#define PELORIN_CHECK_TRUE 1
#define PELORIN_CHECK_NONE (-1)
int pelorin_card_check(const pelorin_card* card, const char* check, const char* on_date, int* value);

/* A true-size copy of the card, as a desk files or prints it: one A4
 * portrait page with the front above the back, each 85.60 x 53.98 mm
 * (ISO/IEC 7810 ID-1), composed afresh at 300 dots per inch. watermark
 * (UTF-8, NULL or "" for none) is written across both faces,
 * semi-transparent, in rows that leave no part of them free, as text in the
 * PDF: say what the copy is for, for instance "仅供酒店入住登记使用，他用无效".
 * Nothing of the copy goes to the library's log. Composing follows
 * pelorin_read()'s thread rule (PELORIN_WRONG_THREAD, PELORIN_FORKED).
 *
 * pelorin_card_copy() writes it to path, a PDF file when path ends in
 * ".pdf", a PNG picture of 300 dots per inch for ".png" (another ending:
 * PELORIN_BAD_ARGUMENT). The file is made anew with mode 0600 whatever the
 * umask, replacing one that was there, and is written whole or not at all
 * (PELORIN_WRITE_FAILED). pelorin_card_copy_bytes() hands out the copy in
 * format "pdf" or "png"; the bytes belong to the card, like its photo, and
 * each call makes a new copy. PELORIN_NO_FACES when the faces cannot be
 * composed: in a Qt host whose application object is not a GUI one. */
int pelorin_card_copy(const pelorin_card* card, const char* path, const char* watermark);
int pelorin_card_copy_bytes(const pelorin_card* card, const char* format, const char* watermark,
                            const unsigned char** bytes, size_t* size);

/* The holder's photo: a 102 x 126, 24-bit BMP file of 38862 bytes. */
int pelorin_card_photo(const pelorin_card* card, const unsigned char** bmp, size_t* size);

/* The card's front and back faces as JPEG files; size 0 (and a NULL pointer)
 * when the library could not compose that face. */
int pelorin_card_front(const pelorin_card* card, const unsigned char** jpeg, size_t* size);
int pelorin_card_back(const pelorin_card* card, const unsigned char** jpeg, size_t* size);

/* *degraded is 1 when characters of the faces came out as boxes because no
 * installed font draws them (a machine without a CJK font: install
 * fonts-noto-cjk), 0 otherwise; the JSON's "facesDegraded". The library's
 * log says so once per process. */
int pelorin_card_faces_degraded(const pelorin_card* card, int* degraded);

/* The fingerprint block of a resident card: 1024 bytes, of which the first
 * 512 hold the one fingerprint of a PELORIN_ONE_FP_INFO card and none of a
 * PELORIN_NO_FP_INFO card. Other kinds hold none: size 0, PELORIN_NO_FP_INFO. */
int pelorin_card_fingerprints(const pelorin_card* card, const unsigned char** block,
                              size_t* size, int* fp_type);

/* Watching the reader for cards placed and taken away, for a desk that reads
 * card after card. A watch starts with no card announced: a card already on
 * the reader is its first PELORIN_WATCH_PLACED. Each look checks whether a
 * card is there and reads it only when it is new, so each card is read once.
 * Look every PELORIN_WATCH_INTERVAL_MS; a look that reads takes as long as
 * pelorin_read() and follows its thread rule. */
typedef struct pelorin_watch pelorin_watch;

#define PELORIN_WATCH_INTERVAL_MS 500
#define PELORIN_WATCH_NOTHING 0 /* no change since the last look */
#define PELORIN_WATCH_PLACED 1  /* a card was placed: *card is it, to free as pelorin_read's */
#define PELORIN_WATCH_REMOVED 2 /* the card of the last PELORIN_WATCH_PLACED was taken away */
#define PELORIN_WATCH_FAILED 3  /* the reader failed as the result says; told once while it
                                   keeps failing that way, and watching may go on */

/* A new watch for pelorin_watch_look(); free it with pelorin_watch_free()
 * (NULL is accepted). A watch is a plain pointer: pass only live ones. */
int pelorin_watch_new(pelorin_watch** watch);
int pelorin_watch_free(pelorin_watch* watch);

/* One look at the reader. *event is one of PELORIN_WATCH_*; *card is a new
 * card with PELORIN_WATCH_PLACED and NULL otherwise. Returns PELORIN_OK, or
 * the reader's failure with PELORIN_WATCH_FAILED. */
int pelorin_watch_look(pelorin_watch* watch, int* event, pelorin_card** card);

/* Names the readers file of this process: every later open of the reader (a
 * read, a watch look) reads it. NULL or "" goes back to PELORIN_READERS and
 * the files after it. A relative path is taken from the current directory of
 * this call. Nothing is read yet: pelorin_readers() tells what the file holds.
 * Any thread may call it. */
int pelorin_use_readers(const char* path);

/* The readers of the readers file in use, for a person or a program to choose
 * from. A list is a plain pointer, like a watch: pass only live ones. */
typedef struct pelorin_reader_list pelorin_reader_list;

/* Reads the readers file in use and looks whether each reader is there
 * (the port exists, the USB device is attached, the simulated reader's card
 * file is there), opening none. PELORIN_OK: *list holds the readers.
 * PELORIN_NO_READERS: the file cannot be used, and *list holds no reader but
 * tells the file and why. Free *list with pelorin_reader_list_free() in both
 * cases; on any other result *list is NULL. Any thread may call it. */
int pelorin_readers(pelorin_reader_list** list);
/* The readers file the list comes from, and why it cannot be used (a line
 * such as "/etc/pelorin/readers.conf:3: unknown reader kind ..."), NULL
 * when it can. */
int pelorin_reader_list_file(const pelorin_reader_list* list, const char** path, const char** problem);
/* Reader number index (0, 1, ...) in the file's order: its kind ("serial",
 * "usb" or "simulated"), where it is ("/dev/ttyUSB0 115200", "0400:c35a", the
 * simulated reader's card file, or "" for its own card) and whether it is
 * there (1) or not (0). Past the last one, PELORIN_NO_SUCH_READER. */
int pelorin_reader_list_at(const pelorin_reader_list* list, size_t index, const char** kind,
                           const char** where, int* present);
/* Frees the list and its texts; NULL is accepted. */
int pelorin_reader_list_free(pelorin_reader_list* list);

/* The result's name ("READ_NO_DATA") and a one-line explanation for a person
 * at the reader. Static text, never NULL; "UNKNOWN" for values no result has. */
const char* pelorin_result_name(int result);
const char* pelorin_result_text(int result);

#ifdef __cplusplus
}
#endif

#endif /* PELORIN_C_H */
