// SPDX-License-Identifier: Apache-2.0
// The four functions of the reader-access library, for the readers of the
// readers file: real readers through the frame protocol, or the simulated
// reader. One reader is open at a time per process. And the library's own
// two: the readers file of the process, and its readers.
#include <cstdio>
#include <memory>
#include <mutex>

#include "call_trace.h"
#include "kvsdecompose.h"
#include "pelorin_kvs.h"
#include "reader_open.h"
#include "reader_results.h"
#include "readers_file.h"

namespace {

std::mutex g_mutex;
std::unique_ptr<OpenReader> g_reader;

// The first configured reader that opens, or the reason none did.
int openFirstReader()
{
    const std::string file = readersFile();
    std::vector<ConfiguredReader> readers;
    std::string problem;
    if (!loadReaders(file, readers, problem)) {
        std::fprintf(stderr, "libkvsdecompose: %s\n", problem.c_str());
        return reader_result::kConfiguration;
    }
    for (const ConfiguredReader& reader : readers) {
        if (std::unique_ptr<OpenReader> opened = openReader(reader, problem)) {
            g_reader = std::move(opened);
            return reader_result::kOk;
        }
    }
    std::fprintf(stderr, "libkvsdecompose: no reader of %s could be opened (last: %s)\n",
                 file.c_str(), problem.c_str());
    return reader_result::kNoReader;
}

int openPort(int port)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_reader.reset();
    if (port != KVS_PORT)
        return reader_result::kPortNotOpen;
    return openFirstReader();
}

int findCard(int port)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_reader || port != KVS_PORT)
        return reader_result::kPortNotOpen;
    return g_reader->findCard();
}

int readCard(int port, CardInfoStruct* docInfo, unsigned char* photo, unsigned int* photoLength,
             unsigned char* fingerprints, unsigned int* fingerprintLength)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_reader || port != KVS_PORT)
        return reader_result::kPortNotOpen;
    if (!docInfo || !photo || !photoLength || !fingerprints || !fingerprintLength)
        return reader_result::kBadArgument;
    return g_reader->readCard(*docInfo, photo, *photoLength, fingerprints, *fingerprintLength);
}

int closePort(int port)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_reader || port != KVS_PORT)
        return reader_result::kPortNotOpen;
    g_reader.reset();
    return reader_result::kOk;
}

// Opens a reader that is there and asks it for a card; 0 when it is absent.
int probeReader(const ConfiguredReader& reader, std::string& problem)
{
    std::unique_ptr<OpenReader> opened = openReader(reader, problem);
    return opened ? opened->findCard() : 0;
}

}  // namespace

int KVS_OpenPort(int port)
{
    const int result = openPort(port);
    traceCall("open", result);
    return result;
}

int KVS_FindIDCard(int port)
{
    const int result = findCard(port);
    traceCall("find", result);
    return result;
}

int KVS_ReadIDCard(int port, CardInfoStruct* docInfo, unsigned char* pPHMsg, unsigned int* pPHMsgLen,
                   unsigned char* pFPMsg, unsigned int* pFPMsgLen, int /*flag*/)
{
    const int result = readCard(port, docInfo, pPHMsg, pPHMsgLen, pFPMsg, pFPMsgLen);
    traceCall("read", result);
    return result;
}

int KVS_ClosePort(int port)
{
    const int result = closePort(port);
    traceCall("close", result);
    return result;
}

int pelorin_kvs_use_readers(const char* path)
{
    chooseReadersFile(path != nullptr ? path : "");
    return reader_result::kOk;
}

int pelorin_kvs_list_readers(int probe, void* context, pelorin_kvs_file_seen file, pelorin_kvs_reader_seen reader)
{
    if (file == nullptr || reader == nullptr)
        return reader_result::kBadArgument;
    const std::string path = readersFile();
    std::vector<ConfiguredReader> readers;
    std::string problem;
    const bool loaded = loadReaders(path, readers, problem);
    file(context, path.c_str(), loaded ? nullptr : problem.c_str());
    if (!loaded)
        return reader_result::kConfiguration;
    // Probes take the lock of the reader calls: a reader is not opened twice at once.
    std::unique_lock<std::mutex> lock(g_mutex, std::defer_lock);
    if (probe)
        lock.lock();
    for (const ConfiguredReader& configured : readers) {
        const bool present = configured.present();
        problem.clear();
        const int answer = probe && present ? probeReader(configured, problem) : 0;
        reader(context, configured.kindName(), configured.where().c_str(), present, answer,
               problem.empty() ? nullptr : problem.c_str());
    }
    return reader_result::kOk;
}
