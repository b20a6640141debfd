// SPDX-License-Identifier: Apache-2.0
#include "reader_choice.h"

#include "pelorin_kvs.h"

// Null unless the reader-access library in use is pelorin's.
#pragma weak pelorin_kvs_use_readers
#pragma weak pelorin_kvs_list_readers

namespace {

void fileSeen(void* context, const char* path, const char* problem)
{
    ReaderListing& listing = *static_cast<ReaderListing*>(context);
    listing.file = path;
    listing.problem = problem != nullptr ? problem : "";
}

void readerSeen(void* context, const char* kind, const char* where, int present, int answer, const char* problem)
{
    static_cast<ReaderListing*>(context)->readers.push_back(
        {kind, where, present != 0, answer, problem != nullptr ? problem : ""});
}

}  // namespace

bool useReadersFile(const std::string& path)
{
    if (pelorin_kvs_use_readers == nullptr)
        return false;
    pelorin_kvs_use_readers(path.c_str());
    return true;
}

bool listReaders(bool probe, ReaderListing& listing)
{
    if (pelorin_kvs_list_readers == nullptr)
        return false;
    listing = ReaderListing{};
    pelorin_kvs_list_readers(probe ? 1 : 0, &listing, fileSeen, readerSeen);
    return true;
}
