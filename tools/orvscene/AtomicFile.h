#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <utility>
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
//
// What a path names decides how it is written. A regular file, or a name
// that does not exist yet, is written under the temporary name and renamed
// into place; a symbolic link is followed, so its target is replaced and the
// link stays. An existing file that is not regular (a device such as
// /dev/null, a FIFO) is never replaced: its bytes are kept in memory and
// written into it directly on Commit, before any rename. "-" is standard
// output, written the same way.
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

    // Writing side by side, from several threads: Reserve each path in
    // turn (false, with the reason, as Write), then Fill each reserved file
    // from a thread of its own (files of different indices at once; false,
    // with the reason, when its temporary cannot be created or written), then
    // Commit, or Cancel from the first index reserved to drop them all.
    // Reserve returns the file's index in `index`.
    bool Reserve(const std::string& path, std::size_t& index, std::string& error);
    bool Fill(std::size_t index, const std::function<void(std::ostream&)>& write, std::string& error);
    void Cancel(std::size_t from);
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
        std::string path;   // as given (for messages)
        std::string target; // where the rename goes: the path, or a link's final target
        std::string temp;
        std::string backup; // a second link to the file that `target` named before, if any
        bool direct = false; // written in place on Commit (standard output, a device, a FIFO)
        bool replaces = false; // a regular file is there already
        std::string bytes;   // a direct output's content
    };
    bool Begin(const std::string& path, std::string& error);
    void RollBack(std::size_t renamed);

    std::vector<Entry> m_entries;
};

// The system's reason for the last failure (strerror of errno), or a generic
// one when errno is not set.
std::string SystemReason();

// Refuses, before anything is written, outputs that would destroy what the
// run needs or another output: two outputs that are one file (the same
// device and inode, or the same path once links and "." / ".." are
// resolved; "-" twice), and an output that is one of the inputs. Throws
// Error with exit status 1 naming both.
void CheckOutputPaths(const std::vector<std::pair<std::string, std::string>>& outputs, // option, path
                      const std::vector<std::string>& inputs);

} // namespace orvscene
