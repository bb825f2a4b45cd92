#pragma once

/// \file
/// IconLibrary, the registry of icon shapes.
#include "orvcore/Export.h"
#include "orvcore/core/CMap.h"
#include "orvcore/core/CString.h"
#include "orvcore/graphics/scene/DisplayList3D.h"

namespace Orvane {

/// The process-wide registry of icon shapes. Each shape is a display list in
/// icon units (about one unit across, centred on the origin) filed under an
/// icon identifier, which IconPrimitive values name, and under a name. Four
/// icons are built in: 1 "ORV.jack", 2 "ORV.cross", 3 "ORV.triangle",
/// 4 "ORV.diamond". Hosts register their own shapes under identifiers from
/// GetNewIconID through the maps returned here; nothing is ever removed.
/// The registry is built on first use and lives until the library is unloaded.
///
/// \threadsafety{The registry and its identifier counter are process-wide, built on first use and
/// not locked: the icon library is used from one thread at a time.}
class ORVCORE_API IconLibrary
{
public:
    /// Icon identifier to shape.
    typedef CMap<unsigned int, unsigned int, DisplayList3D, DisplayList3D&> IconDefinitionMap;
    /// Icon name to identifier.
    typedef CMap<CString, CString, unsigned int, unsigned int&> IconIndexMap;

    /// Icon identifier to shape.
    static IconDefinitionMap& GetIconDefinitions();
    /// Icon name to identifier.
    static IconIndexMap& GetIconIndex();
    /// A fresh identifier: 5 first, as 1 to 4 are the built-in icons.
    static unsigned int GetNewIconID();

    /// An icon library has no state of its own.
    IconLibrary& operator=(const IconLibrary&) { return *this; }

    /// Null until the registry is first used.
    static IconDefinitionMap* m_pIconDefinitions;
    static IconIndexMap* m_pIconIndex; ///< The name map; null until the registry is first used.
    /// The last identifier handed out: 0 until first use, then 4.
    static unsigned int m_iconID;

private:
    /// Builds the registry and the built-in icons once.
    static void Initialize();
};

} // namespace Orvane
