#pragma once

#include "Jobs.h"
#include "Molecule.h"
#include "SceneBuilder.h"
#include "SceneDocument.h"
#include "SceneView.h"

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>

namespace orvscene {

// The interactive page of a scene: one self-contained HTML file that draws
// the scene with three.js (embedded at build time, nothing fetched when the
// page opens), turns it with the mouse and picks atoms through the scene's
// pick dots. The scene travels as compact binary arrays (positions quantised
// to 16 bits over the scene's box, colours and radii as palette indices,
// deflated and in base64) beside a small JSON header.
class HtmlPage
{
public:
    // Gathers the scene of the document through the scene walk, its pick
    // targets and its atoms; the page opens in the view's orientation.
    // With `atoms` (the structure the document was built from), the page's
    // atom data is taken from their fields: name, element, residue, number
    // with insertion code, chain, segment, alternate location, occupancy and
    // B-factor; without (a loaded document), from the document's labels.
    // With the structure itself too (and the options the scene was built
    // with), the page carries every atom (hydrogens too) with its fields and
    // bonds, draws the molecule from them and can restyle, recolour and
    // filter it; without, it draws the scene as it is. `facts` are the
    // structure's as the scene was built (found again when not given).
    HtmlPage(const SceneDocument& document, const View& view, const SceneAtoms* atoms = nullptr,
             const Molecule* molecule = nullptr, const SceneOptions* options = nullptr,
             const StructureFacts* facts = nullptr);
    // An empty page, for Make.
    HtmlPage();
    ~HtmlPage();

    // Makes the page in steps, for making it beside other work: the page is
    // complete once the work handed back has all run. Everything given must
    // stay as it is until then.
    Work Make(const SceneDocument& document, const View& view, const SceneAtoms* atoms = nullptr,
              const Molecule* molecule = nullptr, const SceneOptions* options = nullptr,
              const StructureFacts* facts = nullptr);

    // Whether this build embedded the three.js module (false when the
    // JavaScript packages were not installed at configure time).
    static bool Available();

    void Write(std::ostream& out) const;

    int AtomCount() const { return m_atoms; }
    int PickDotCount() const { return m_pickDots; }
    // The library's pick dots of the scene (what the page's dots are made from).
    std::size_t LibraryPickDotCount() const { return m_libraryPickDots; }

private:
    struct Parts;
    void Finish(const SceneDocument& document, const View& view, const SceneAtoms* atoms, const Molecule* molecule);

    std::unique_ptr<Parts> m_parts; // while the page is being made
    std::string m_header;  // JSON: title, palettes, box, counts, labels, section sizes
    std::string m_payload; // the binary sections, deflated
    int m_atoms = 0;
    int m_pickDots = 0;
    std::size_t m_libraryPickDots = 0;
};

// The name a scene goes by in a page's title and a glTF scene: the entry's
// ID and title when the structure gives them, else the file's base name,
// never its directories.
std::string SceneTitle(const SceneDocument& document, const Molecule* molecule = nullptr);

// Deflates bytes in the zlib format (what the browser's DecompressionStream
// reads as "deflate"); false when the build has no zlib.
bool Deflate(const std::string& bytes, std::string& deflated);
std::string Base64(const std::string& bytes);

} // namespace orvscene
