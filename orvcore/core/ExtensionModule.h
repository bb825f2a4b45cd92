#pragma once

#include "orvcore/Export.h"
#include "orvcore/core/Types.h"
/// \file
/// The host framework's extension-module records: module state, runtime-class
/// registrations and the chain of linked modules.

// The host framework's extension modules, reduced to what a module needs
// where the framework itself is absent: one process-wide module state with
// the registration lists of runtime classes and object factories, and the
// chain of extension modules linked into the process.

/// A module's load address.
typedef void* HINSTANCE;

/// A registered runtime class or object factory, chained within its list.
struct CRuntimeClass
{
    const char* m_lpszClassName; ///< The class's name.
    CRuntimeClass* m_pNextClass; ///< The next registration of the same list.
};

/// An extension module's own record, filled when the module is initialised.
struct AFX_EXTENSION_MODULE
{
    BOOL bInitialized; ///< Whether AfxInitExtensionModule has filled the record.
    HINSTANCE hModule; ///< The module's load address.
    /// What the module registered while its statics were constructed.
    CRuntimeClass* pFirstSharedClass;
    CRuntimeClass* pFirstSharedFactory; ///< What the module registered as object factories while its statics were constructed.
};

class CDynLinkLibrary;

/// The process-wide registration lists and chain of linked modules.
struct AFX_MODULE_STATE
{
    /// The registrations being collected.
    CRuntimeClass* m_classList;
    CRuntimeClass* m_factoryList; ///< The object factories being collected.
    /// The lists set aside while a module starts, so that what the module's
    /// statics register is collected apart.
    CRuntimeClass* m_pClassInit;
    CRuntimeClass* m_pFactoryInit; ///< The factories set aside while a module starts.
    /// The linked extension modules, oldest first.
    CDynLinkLibrary* m_libraryList;
};

/// The process-wide module state.
ORVCORE_API AFX_MODULE_STATE* AfxGetModuleState();

/// Fills an extension module's record once: takes what was registered since
/// the lists were set aside as the module's own and puts the set-aside lists
/// back. Fails for a null module address; a second call changes nothing.
ORVCORE_API BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HINSTANCE hModule);

/// A link of an extension module into the process-wide chain: constructing
/// one appends it to the chain, destroying it takes it out. Links are owned by
/// the chain, and AfxReleaseDynLinkLibraries frees them.
///
/// \threadsafety{Made and destroyed while the library loads and unloads, under the loader's lock.}
class ORVCORE_API CDynLinkLibrary
{
public:
    /// Appends a link for the module of `state` to the process-wide chain, with the
    /// module's address and registrations.
    explicit CDynLinkLibrary(AFX_EXTENSION_MODULE& state);
    /// Takes the link out of the chain.
    virtual ~CDynLinkLibrary();

    /// Not copyable.
    ///@{
    CDynLinkLibrary(const CDynLinkLibrary&) = delete;
    CDynLinkLibrary& operator=(const CDynLinkLibrary&) = delete;
    ///@}

    HINSTANCE m_hModule; ///< The module's load address.
    CRuntimeClass* m_classList; ///< The runtime classes the module registered.
    CRuntimeClass* m_factoryList; ///< The object factories the module registered.
    CDynLinkLibrary* m_pNextDLL; ///< The next link of the chain.
};

/// Frees every link of the chain, newest first.
ORVCORE_API void AfxReleaseDynLinkLibraries();
