// SPDX-License-Identifier: Apache-2.0
// The C interface's readers: the readers file for the process, and the
// readers it names, as the reader library in use tells them.
#include <pelorin/pelorin_c.h>

#include "cancellation.h"
#include "reader_choice.h"

#include <memory>

struct pelorin_reader_list {
    ReaderListing listing;
};

extern "C" {

int pelorin_use_readers(const char* path)
{
    try {
        return useReadersFile(path != nullptr ? path : "") ? PELORIN_OK : PELORIN_READERS_UNSUPPORTED;
    } catch (...) {
        return PELORIN_UNKNOWN_ERROR;  // out of memory: nothing may unwind into C
    }
}

int pelorin_readers(pelorin_reader_list** list)
{
    if (list == nullptr)
        return PELORIN_NULL_ARGUMENT;
    *list = nullptr;
    return withoutCancellation([list] {
        try {
            auto made = std::make_unique<pelorin_reader_list>();
            if (!listReaders(false, made->listing))
                return PELORIN_READERS_UNSUPPORTED;
            const bool usable = made->listing.problem.empty();
            *list = made.release();
            return usable ? PELORIN_OK : PELORIN_NO_READERS;
        } catch (...) {
            return PELORIN_UNKNOWN_ERROR;
        }
    });
}

int pelorin_reader_list_file(const pelorin_reader_list* list, const char** path, const char** problem)
{
    if (list == nullptr || path == nullptr || problem == nullptr)
        return PELORIN_NULL_ARGUMENT;
    *path = list->listing.file.c_str();
    *problem = list->listing.problem.empty() ? nullptr : list->listing.problem.c_str();
    return PELORIN_OK;
}

int pelorin_reader_list_at(const pelorin_reader_list* list, size_t index, const char** kind, const char** where,
                           int* present)
{
    if (list == nullptr || kind == nullptr || where == nullptr || present == nullptr)
        return PELORIN_NULL_ARGUMENT;
    if (index >= list->listing.readers.size())
        return PELORIN_NO_SUCH_READER;
    const ListedReader& reader = list->listing.readers[index];
    *kind = reader.kind.c_str();
    *where = reader.where.c_str();
    *present = reader.present ? 1 : 0;
    return PELORIN_OK;
}

int pelorin_reader_list_free(pelorin_reader_list* list)
{
    delete list;
    return PELORIN_OK;
}

}  // extern "C"
