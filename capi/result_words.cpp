// SPDX-License-Identifier: Apache-2.0
// pelorin_result_name / pelorin_result_text: the read results in the words
// pelorin-read uses, and this interface's own results.
#include "result_text.h"

#include <pelorin/pelorin_c.h>

namespace {

const ResultWords kInterfaceResults[] = {
    {PELORIN_NULL_ARGUMENT, "PELORIN_NULL_ARGUMENT", "a required pointer argument was null"},
    {PELORIN_BAD_CARD, "PELORIN_BAD_CARD", "the card was already freed or never handed out by pelorin_read"},
    {PELORIN_UNKNOWN_FIELD, "PELORIN_UNKNOWN_FIELD", "the card has no text field of that name or number"},
    {PELORIN_WRONG_THREAD, "PELORIN_WRONG_THREAD",
     "in a Qt application, reads must come from the thread of its application object"},
    {PELORIN_FORKED, "PELORIN_FORKED",
     "this process was forked after it first read a card: read in the parent or in a new process"},
    {PELORIN_NO_READERS, "PELORIN_NO_READERS", "the readers file is missing, malformed or names no reader"},
    {PELORIN_READERS_UNSUPPORTED, "PELORIN_READERS_UNSUPPORTED",
     "the reader-access library in use reads no readers file (it is not pelorin-reader's)"},
    {PELORIN_NO_SUCH_READER, "PELORIN_NO_SUCH_READER", "the list has no reader of that number"},
    {PELORIN_NO_DESCRIPTORS, "PELORIN_NO_DESCRIPTORS",
     "the program has too few free file descriptors for a read: close some (or raise its limit) and read again"},
    {PELORIN_BAD_ARGUMENT, "PELORIN_BAD_ARGUMENT",
     "an argument was not of the form asked for (a date as YYYY-MM-DD, a copy as pdf or png)"},
    {PELORIN_WRITE_FAILED, "PELORIN_WRITE_FAILED", "the file could not be written"},
    {PELORIN_NO_FACES, "PELORIN_NO_FACES",
     "the card's faces could not be composed: the Qt application object is not a GUI one"},
};

}  // namespace

extern "C" const char* pelorin_result_name(int result)
{
    const ResultWords* own = findResultWords(kInterfaceResults, result);
    return own ? own->name : readResultName(result);
}

extern "C" const char* pelorin_result_text(int result)
{
    const ResultWords* own = findResultWords(kInterfaceResults, result);
    return own ? own->explanation : readResultExplanation(result);
}
