// SPDX-License-Identifier: Apache-2.0
// The four functions of the reader-access library, for a real reader reached
// through the frame protocol. One reader is open at a time per process.
#include <cstdio>
#include <memory>
#include <mutex>

#include "kvsdecompose.h"
#include "reader_open.h"
#include "reader_results.h"
#include "reader_session.h"

namespace {

std::mutex g_mutex;
std::unique_ptr<ReaderSession> g_session;

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
        if (std::unique_ptr<ReaderLine> line = openReader(reader, problem)) {
            g_session = std::make_unique<ReaderSession>(std::move(line));
            return reader_result::kOk;
        }
    }
    std::fprintf(stderr, "libkvsdecompose: no reader of %s could be opened (last: %s)\n",
                 file.c_str(), problem.c_str());
    return reader_result::kNoReader;
}

}  // namespace

int KVS_OpenPort(int port)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_session.reset();
    if (port != KVS_PORT)
        return reader_result::kPortNotOpen;
    return openFirstReader();
}

int KVS_FindIDCard(int port)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_session || port != KVS_PORT)
        return reader_result::kPortNotOpen;
    return g_session->findCard();
}

int KVS_ReadIDCard(int port, CardInfoStruct* docInfo, unsigned char* pPHMsg, unsigned int* pPHMsgLen,
                   unsigned char* pFPMsg, unsigned int* pFPMsgLen, int /*flag*/)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_session || port != KVS_PORT)
        return reader_result::kPortNotOpen;
    if (!docInfo || !pPHMsg || !pPHMsgLen || !pFPMsg || !pFPMsgLen)
        return reader_result::kBadArgument;
    return g_session->readCard(*docInfo, pPHMsg, *pPHMsgLen, pFPMsg, *pFPMsgLen);
}

int KVS_ClosePort(int port)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_session || port != KVS_PORT)
        return reader_result::kPortNotOpen;
    g_session.reset();
    return reader_result::kOk;
}
