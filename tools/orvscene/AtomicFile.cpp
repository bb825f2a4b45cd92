#include "AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace orvscene {

bool WriteFileAtomically(const std::string& path, const std::function<bool(const std::string& tempPath)>& write,
                         std::string& error)
{
    std::string temp = path + ".tmp." + std::to_string(static_cast<long>(::getpid()));
    bool ok = false;
    try {
        ok = write(temp);
    } catch (...) {
        std::remove(temp.c_str());
        throw;
    }
    if (!ok) {
        std::remove(temp.c_str());
        if (error.empty())
            error = "cannot write " + path;
        return false;
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        error = "cannot rename " + temp + " to " + path + ": " + std::strerror(errno);
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

} // namespace orvscene
