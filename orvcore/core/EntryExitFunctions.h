#pragma once

#include "orvcore/Export.h"
#include "orvcore/core/CArray.h"
/// \file
/// EntryFunction, ExitFunction and ExitFunctionList: functions run as a module starts and ends.

namespace Orvane {

/// A function taking and returning nothing.
typedef void (*LifetimeFunction)();

/// Runs a function when it is constructed. Declared as a static object of a
/// module, the function runs while the module's statics are constructed.
///
/// \threadsafety{Made with the module's static objects, under the loader's lock.}
class ORVCORE_API EntryFunction
{
public:
    /// Calls `function` at once unless it is null.
    explicit EntryFunction(LifetimeFunction function);
    /// Nothing to do: the function ran at construction.
    virtual ~EntryFunction();

    /// Not copyable.
    ///@{
    EntryFunction(const EntryFunction&) = delete;
    EntryFunction& operator=(const EntryFunction&) = delete;
    ///@}

private:
    LifetimeFunction m_function;
};

/// Runs a function when it is destroyed. Declared as a static object of a
/// module, the function runs while the module's statics are destroyed.
///
/// \threadsafety{Destroyed with the module's static objects, under the loader's lock.}
class ORVCORE_API ExitFunction
{
public:
    /// Keeps `function` to call on destruction.
    explicit ExitFunction(LifetimeFunction function);
    /// Calls the function unless it is null.
    virtual ~ExitFunction();

    /// Not copyable.
    ///@{
    ExitFunction(const ExitFunction&) = delete;
    ExitFunction& operator=(const ExitFunction&) = delete;
    ///@}

private:
    LifetimeFunction m_function;
};

/// Functions run when the list is destroyed, the last added first.
///
/// \threadsafety{Functions are added by one thread at a time; the list runs them as the module's
/// static objects are destroyed, under the loader's lock.}
class ORVCORE_API ExitFunctionList
{
public:
    /// An empty list.
    ExitFunctionList();
    /// Calls the functions, the last added first.
    virtual ~ExitFunctionList();

    /// Not copyable.
    ///@{
    ExitFunctionList(const ExitFunctionList&) = delete;
    ExitFunctionList& operator=(const ExitFunctionList&) = delete;
    ///@}

    /// Appends a function; a null function is not added, as there would be
    /// nothing to call.
    void AddFunction(LifetimeFunction function);

private:
    CArray<LifetimeFunction, LifetimeFunction> m_functions;
};

} // namespace Orvane
