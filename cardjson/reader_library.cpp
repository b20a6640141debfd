// SPDX-License-Identifier: Apache-2.0
#include "reader_library.h"

#include <QFileInfo>
#include <dlfcn.h>

QString readerLibraryPath()
{
    void* openPort = dlsym(RTLD_DEFAULT, "KVS_OpenPort");
    Dl_info info{};
    if (openPort == nullptr || dladdr(openPort, &info) == 0 || info.dli_fname == nullptr)
        return QString();
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).canonicalFilePath();
}
