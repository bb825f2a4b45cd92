#include "AtomicFile.h"

#include "Error.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <fcntl.h>
#include <sys/stat.h>
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

// The path with every symbolic link followed (as far as the links exist),
// for writing through a link.
std::string FollowLinks(const std::string& path)
{
    std::string at = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info;
        if (::lstat(at.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return at;
        std::vector<char> buffer(static_cast<std::size_t>(PATH_MAX) + 1);
        const ssize_t n = ::readlink(at.c_str(), buffer.data(), buffer.size() - 1);
        if (n < 0)
            return at;
        std::string link(buffer.data(), static_cast<std::size_t>(n));
        if (!link.empty() && link[0] == '/') {
            at = link;
        } else {
            const std::size_t slash = at.rfind('/');
            at = (slash == std::string::npos ? std::string() : at.substr(0, slash + 1)) + link;
        }
    }
    return at;
}

// The absolute path with links, "." and ".." resolved; for a name that does
// not exist yet, its directory resolved and the name appended.
std::string Resolved(const std::string& path)
{
    if (char* real = ::realpath(path.c_str(), nullptr)) {
        std::string out = real;
        std::free(real);
        return out;
    }
    const std::string followed = FollowLinks(path);
    const std::size_t slash = followed.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : followed.substr(0, slash == 0 ? 1 : slash);
    const std::string name = slash == std::string::npos ? followed : followed.substr(slash + 1);
    if (char* real = ::realpath(dir.c_str(), nullptr)) {
        std::string out = real;
        std::free(real);
        return out + (out == "/" ? "" : "/") + name;
    }
    return followed;
}

struct FileIdentity {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    std::string resolved;
};

FileIdentity Identify(const std::string& path)
{
    FileIdentity id;
    if (path == "-") {
        id.resolved = "-";
        return id;
    }
    struct stat info;
    if (::stat(path.c_str(), &info) == 0) {
        id.exists = true;
        id.device = info.st_dev;
        id.inode = info.st_ino;
    }
    id.resolved = Resolved(path);
    return id;
}

bool SameFile(const FileIdentity& a, const FileIdentity& b)
{
    if (a.exists && b.exists)
        return a.device == b.device && a.inode == b.inode;
    return a.resolved == b.resolved;
}

} // namespace

void CheckOutputPaths(const std::vector<std::pair<std::string, std::string>>& outputs,
                      const std::vector<std::string>& inputs)
{
    std::vector<FileIdentity> ids;
    for (const auto& output : outputs)
        ids.push_back(Identify(output.second));
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j)
            if (SameFile(ids[i], ids[j]))
                throw Error(std::string(), 0L,
                            outputs[j].first + " " + outputs[j].second + " and " + outputs[i].first + " " +
                                outputs[i].second + " are the same file: give each output its own file",
                            1);
        for (const std::string& input : inputs) {
            if (input == "-" || outputs[i].second == "-")
                continue; // standard input and standard output are different streams
            if (SameFile(ids[i], Identify(input)))
                throw Error(std::string(), 0L,
                            outputs[i].first + " " + outputs[i].second + " is the input " + input +
                                ": it would be overwritten",
                            1);
        }
    }
}

namespace {

// Starts writing a finished file's pages to the disk without waiting for
// them. Some file systems (ext4 among them) do this inside the rename that
// puts a file in the place of another, and the renames of a commit run one
// after another; started here, on the thread that wrote the file, that work
// is shared among the threads making the outputs.
void StartWriteBack(const std::string& path)
{
#ifdef __linux__
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    ::close(fd);
#else
    (void)path;
#endif
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
    Entry entry;
    entry.path = path;
    struct stat info;
    if (path == "-") {
        entry.direct = true;
    } else if (::stat(path.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            error = path + ": is a directory";
            return false;
        }
        entry.direct = !S_ISREG(info.st_mode);
        entry.replaces = !entry.direct;
    }
    entry.target = entry.direct ? path : FollowLinks(path);
    if (!entry.direct)
        entry.temp = TemporaryName(entry.target, "tmp");
    m_entries.push_back(entry);
    return true;
}

bool AtomicFileSet::Write(const std::string& path, const std::function<void(std::ostream&)>& write,
                          std::string& error)
{
    std::size_t index;
    if (!Reserve(path, index, error))
        return false;
    bool ok = false;
    try {
        ok = Fill(index, write, error);
    } catch (...) {
        Cancel(index);
        throw;
    }
    if (!ok)
        Cancel(index);
    return ok;
}

bool AtomicFileSet::Reserve(const std::string& path, std::size_t& index, std::string& error)
{
    if (!Begin(path, error))
        return false;
    index = m_entries.size() - 1;
    return true;
}

bool AtomicFileSet::Fill(std::size_t index, const std::function<void(std::ostream&)>& write, std::string& error)
{
    Entry& e = m_entries.at(index);
    if (e.direct) {
        std::ostringstream bytes;
        write(bytes);
        e.bytes = bytes.str();
        return true;
    }
    errno = 0;
    std::ofstream file(e.temp, std::ios::binary | std::ios::trunc);
    if (!file) {
        error = e.path + ": cannot create the file: " + SystemReason();
        return false;
    }
    errno = 0;
    write(file);
    file.close();
    if (!file) {
        error = e.path + ": write failed: " + SystemReason();
        return false;
    }
    if (e.replaces)
        StartWriteBack(e.temp);
    return true;
}

void AtomicFileSet::Cancel(std::size_t from)
{
    for (std::size_t i = from; i < m_entries.size(); ++i)
        if (!m_entries[i].direct)
            std::remove(m_entries[i].temp.c_str());
    if (from < m_entries.size())
        m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(from), m_entries.end());
}

bool AtomicFileSet::WriteTo(const std::string& path,
                            const std::function<bool(const std::string& tempPath, std::string& error)>& write,
                            std::string& error)
{
    std::size_t index;
    if (!Reserve(path, index, error))
        return false;
    if (m_entries[index].direct) {
        Cancel(index);
        error = path + ": not a regular file; this output can only be written to one";
        return false;
    }
    bool ok = false;
    try {
        ok = write(m_entries[index].temp, error);
    } catch (...) {
        Cancel(index);
        throw;
    }
    if (!ok) {
        Cancel(index);
        if (error.empty())
            error = path + ": cannot write the file";
        else if (error.compare(0, path.size(), path) != 0)
            error = path + ": " + error;
    }
    return ok;
}

bool AtomicFileSet::Commit(std::string& error)
{
    // Outputs written in place go first: when one fails, nothing is renamed.
    for (Entry& e : m_entries) {
        if (!e.direct)
            continue;
        errno = 0;
        bool ok;
        if (e.path == "-") {
            std::cout.write(e.bytes.data(), static_cast<std::streamsize>(e.bytes.size()));
            std::cout.flush();
            ok = static_cast<bool>(std::cout);
        } else {
            std::FILE* file = std::fopen(e.path.c_str(), "wb");
            ok = file && std::fwrite(e.bytes.data(), 1, e.bytes.size(), file) == e.bytes.size();
            ok = file && std::fflush(file) == 0 && ok;
            if (file && std::fclose(file) != 0)
                ok = false;
        }
        if (!ok) {
            error = e.path + ": write failed: " + SystemReason();
            Abandon();
            return false;
        }
        e.bytes.clear();
    }
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        Entry& e = m_entries[i];
        if (e.direct)
            continue;
        // A second link keeps the file being replaced, so that a later
        // failure can put it back. Without one (no earlier file, or a file
        // system without hard links) a roll-back removes the new file.
        std::string backup = TemporaryName(e.target, "old");
        if (::link(e.target.c_str(), backup.c_str()) == 0)
            e.backup = backup;
        errno = 0;
        if (std::rename(e.temp.c_str(), e.target.c_str()) != 0) {
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
        if (e.direct)
            continue;
        if (e.backup.empty())
            std::remove(e.target.c_str());
        else
            std::rename(e.backup.c_str(), e.target.c_str());
    }
    m_entries.erase(m_entries.begin(), m_entries.begin() + static_cast<std::ptrdiff_t>(renamed));
    Abandon();
}

void AtomicFileSet::Abandon()
{
    Cancel(0);
}

} // namespace orvscene
