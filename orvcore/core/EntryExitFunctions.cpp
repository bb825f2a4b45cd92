#include "orvcore/core/EntryExitFunctions.h"

namespace Orvane {

EntryFunction::EntryFunction(LifetimeFunction function) : m_function(function)
{
    if (m_function)
        m_function();
}

EntryFunction::~EntryFunction() = default;

ExitFunction::ExitFunction(LifetimeFunction function) : m_function(function)
{
}

ExitFunction::~ExitFunction()
{
    if (m_function)
        m_function();
}

ExitFunctionList::ExitFunctionList() = default;

ExitFunctionList::~ExitFunctionList()
{
    // A function that adds to the list while it runs extends it past the
    // point reached, so the new entry is not called.
    for (int i = m_functions.GetSize(); i-- > 0;)
        m_functions[i]();
}

void ExitFunctionList::AddFunction(LifetimeFunction function)
{
    if (function)
        m_functions.Add(function);
}

} // namespace Orvane
