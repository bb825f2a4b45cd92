#include "AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <unistd.h>

namespace orvscene {

namespace {

// Temporary names are unique per process and per file, so that two runs, or
// two outputs of one run, never write the same temporary.
std::string TemporaryName(const std::string& path, const char* kind)
{
    static unsigned counter = 0;
    return path + "." + kind + "." + std::to_string(static_cast<long>(::getpid())) + "." +
           std::to_string(++counter);
}

} // namespace

std::string SystemReason()
{
    return errno ? std::strerror(errno) : "unknown error";
}

AtomicFileSet::~AtomicFileSet()
{
    Abandon();
}

bool AtomicFileSet::Begin(const std::string& path, std::string& error)
{
    for (const Entry& e : m_entries)
        if (e.path == path) {
            error = path + ": given for two outputs";
            return false;
        }
    m_entries.push_back({path, TemporaryName(path, "tmp"), std::string()});
    return true;
}

bool AtomicFileSet::Write(const std::string& path, const std::function<void(std::ostream&)>& write,
                          std::string& error)
{
    return WriteTo(path,
                   [&](const std::string& temp, std::string& reason) {
                       errno = 0;
                       std::ofstream file(temp, std::ios::binary | std::ios::trunc);
                       if (!file) {
                           reason = path + ": cannot create the file: " + SystemReason();
                           return false;
                       }
                       write(file);
                       errno = 0;
                       file.close();
                       if (!file) {
                           reason = path + ": write failed: " + SystemReason();
                           return false;
                       }
                       return true;
                   },
                   error);
}

bool AtomicFileSet::WriteTo(const std::string& path,
                            const std::function<bool(const std::string& tempPath, std::string& error)>& write,
                            std::string& error)
{
    if (!Begin(path, error))
        return false;
    const std::string temp = m_entries.back().temp;
    bool ok = false;
    try {
        ok = write(temp, error);
    } catch (...) {
        std::remove(temp.c_str());
        m_entries.pop_back();
        throw;
    }
    if (!ok) {
        std::remove(temp.c_str());
        m_entries.pop_back();
        if (error.empty())
            error = path + ": cannot write the file";
        else if (error.compare(0, path.size(), path) != 0)
            error = path + ": " + error;
    }
    return ok;
}

bool AtomicFileSet::Commit(std::string& error)
{
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        Entry& e = m_entries[i];
        // A second link keeps the file being replaced, so that a later
        // failure can put it back. Without one (no earlier file, or a file
        // system without hard links) a roll-back removes the new file.
        std::string backup = TemporaryName(e.path, "old");
        if (::link(e.path.c_str(), backup.c_str()) == 0)
            e.backup = backup;
        errno = 0;
        if (std::rename(e.temp.c_str(), e.path.c_str()) != 0) {
            error = e.path + ": cannot put the file in place: " + SystemReason();
            if (!e.backup.empty())
                std::remove(e.backup.c_str());
            e.backup.clear();
            RollBack(i);
            return false;
        }
    }
    for (const Entry& e : m_entries)
        if (!e.backup.empty())
            std::remove(e.backup.c_str());
    m_entries.clear();
    return true;
}

void AtomicFileSet::RollBack(std::size_t renamed)
{
    for (std::size_t i = 0; i < renamed; ++i) {
        const Entry& e = m_entries[i];
        if (e.backup.empty())
            std::remove(e.path.c_str());
        else
            std::rename(e.backup.c_str(), e.path.c_str());
    }
    m_entries.erase(m_entries.begin(), m_entries.begin() + static_cast<std::ptrdiff_t>(renamed));
    Abandon();
}

void AtomicFileSet::Abandon()
{
    for (const Entry& e : m_entries)
        std::remove(e.temp.c_str());
    m_entries.clear();
}

} // namespace orvscene
