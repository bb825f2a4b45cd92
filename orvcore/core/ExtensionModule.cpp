#include "orvcore/core/ExtensionModule.h"

namespace {

// Zero until the first module starts: no code is needed to set it up.
AFX_MODULE_STATE s_moduleState = {};

} // namespace

AFX_MODULE_STATE* AfxGetModuleState()
{
    return &s_moduleState;
}

BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HINSTANCE hModule)
{
    if (!hModule)
        return FALSE;
    if (state.bInitialized)
        return TRUE;
    AFX_MODULE_STATE* moduleState = AfxGetModuleState();
    state.hModule = hModule;
    state.pFirstSharedClass = moduleState->m_classList;
    state.pFirstSharedFactory = moduleState->m_factoryList;
    moduleState->m_classList = moduleState->m_pClassInit;
    moduleState->m_factoryList = moduleState->m_pFactoryInit;
    moduleState->m_pClassInit = nullptr;
    moduleState->m_pFactoryInit = nullptr;
    state.bInitialized = TRUE;
    return TRUE;
}

CDynLinkLibrary::CDynLinkLibrary(AFX_EXTENSION_MODULE& state)
    : m_hModule(state.hModule),
      m_classList(state.pFirstSharedClass),
      m_factoryList(state.pFirstSharedFactory),
      m_pNextDLL(nullptr)
{
    CDynLinkLibrary** tail = &AfxGetModuleState()->m_libraryList;
    while (*tail)
        tail = &(*tail)->m_pNextDLL;
    *tail = this;
}

CDynLinkLibrary::~CDynLinkLibrary()
{
    for (CDynLinkLibrary** link = &AfxGetModuleState()->m_libraryList; *link; link = &(*link)->m_pNextDLL) {
        if (*link == this) {
            *link = m_pNextDLL;
            break;
        }
    }
}

void AfxReleaseDynLinkLibraries()
{
    CDynLinkLibrary*& head = AfxGetModuleState()->m_libraryList;
    while (head) {
        CDynLinkLibrary* newest = head;
        while (newest->m_pNextDLL)
            newest = newest->m_pNextDLL;
        delete newest;
    }
}
