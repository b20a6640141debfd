// SPDX-License-Identifier: Apache-2.0
#include "readers_file.h"

#include <cstdlib>
#include <dlfcn.h>
#include <mutex>
#include <unistd.h>

namespace {

std::mutex g_mutex;
std::string g_chosen;

// The readers file beside this library's own file, by its whole path so that
// a later change of directory does not lose it; empty when there is none.
std::string besideThisLibrary()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&readersFile), &info) == 0 || info.dli_fname == nullptr)
        return {};
    const std::string library = info.dli_fname;
    const size_t slash = library.rfind('/');
    const std::string file =
        (slash == std::string::npos ? std::string() : library.substr(0, slash + 1)) + kBesideLibraryReadersFile;
    char* whole = realpath(file.c_str(), nullptr);
    if (whole == nullptr)
        return {};
    const std::string found = whole;
    std::free(whole);
    return found;
}

std::string absolute(const std::string& path)
{
    if (path.empty() || path[0] == '/')
        return path;
    char* directory = getcwd(nullptr, 0);
    if (directory == nullptr)
        return path;
    const std::string whole = std::string(directory) + "/" + path;
    std::free(directory);
    return whole;
}

}  // namespace

std::string readersFile()
{
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (!g_chosen.empty())
            return g_chosen;
    }
    const char* named = std::getenv(kReadersFileVariable);
    if (named != nullptr && *named != '\0')
        return named;
    const std::string beside = besideThisLibrary();
    return beside.empty() ? kSystemReadersFile : beside;
}

void chooseReadersFile(const std::string& path)
{
    const std::string chosen = absolute(path);
    std::lock_guard<std::mutex> lock(g_mutex);
    g_chosen = chosen;
}
