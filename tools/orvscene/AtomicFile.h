#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace orvscene {

// Output files that appear together or not at all. Each one is written under
// a temporary name beside its final path; Commit renames them all into place
// once every one is complete. Before Commit no final path is touched, and a
// set destroyed without a successful Commit removes its temporaries.
//
//     AtomicFileSet files;
//     if (!files.Write("a.svg", writeSvg, error) || !files.Write("a.glb", writeGlb, error) ||
//         !files.Commit(error))
//         ... report error; neither file was created or changed
//
// Messages name the final path and give the system's reason ("a.svg: cannot
// create the file: Permission denied").
class AtomicFileSet
{
public:
    AtomicFileSet() = default;
    AtomicFileSet(const AtomicFileSet&) = delete;
    AtomicFileSet& operator=(const AtomicFileSet&) = delete;
    ~AtomicFileSet();

    // Writes the file's bytes through `write` into a binary stream on the
    // temporary file. False, with the reason in `error`, when the file cannot
    // be created or written, or when `path` is already in the set.
    bool Write(const std::string& path, const std::function<void(std::ostream&)>& write, std::string& error);

    // For writers that open the file themselves: `write` receives the
    // temporary path and returns false with its reason in `error` (a message
    // without one is completed with the path).
    bool WriteTo(const std::string& path,
                 const std::function<bool(const std::string& tempPath, std::string& error)>& write,
                 std::string& error);

    // Renames every file written into place, in the order written. When a
    // rename fails, the files already renamed are put back as they were (the
    // earlier file restored, or the new one removed) and the temporaries are
    // removed. The set is empty afterwards either way.
    bool Commit(std::string& error);

    // Removes the temporaries written so far.
    void Abandon();

    std::size_t Size() const { return m_entries.size(); }

private:
    struct Entry {
        std::string path;
        std::string temp;
        std::string backup; // a second link to the file that `path` named before, if any
    };
    bool Begin(const std::string& path, std::string& error);
    void RollBack(std::size_t renamed);

    std::vector<Entry> m_entries;
};

// The system's reason for the last failure (strerror of errno), or a generic
// one when errno is not set.
std::string SystemReason();

} // namespace orvscene
