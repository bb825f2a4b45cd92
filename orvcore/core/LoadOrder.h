#pragma once
/// \file
/// LoadOrder: the fixed order of the library's process-wide objects.

namespace Orvane {

/// The order in which the library's process-wide objects come into being when
/// the library is loaded. Each object's definition carries
/// ORVCORE_LOAD_ORDER(step); the C++ runtime constructs them step by step,
/// each object registering its destructor in the module's exit list as it is
/// constructed, and runs that list backwards when the library is unloaded, so
/// the last object made is the first destroyed. Several objects of one step
/// are made in the order of their definitions in their file.
///
/// The standard streams are set up by the C++ runtime before any step runs,
/// so the library's stream code never waits on a step of its own. Objects
/// without a step (none hold anything the steps need) come after the last one.
///
/// Steps are spaced so that the library can record what happens just before
/// and just after each of them.
enum class LoadOrder : int {
    /// The framework's registration lists are set aside, so that what the
    /// library registers while it starts is collected apart from the host's.
    SetAsideRegistrations = 1000,
    /// Point2d::origin, iVector, jVector, minimum, maximum.
    Point2dConstants = 1010,
    /// Point3d::origin, zero, iVector, jVector, kVector, minimum, maximum.
    Point3dConstants = 1020,
    /// RandomInteger::m_defaultGenerator, seed 1.
    DefaultRandomGenerator = 1030,
    /// Spline::m_alpha.
    SplineTables = 1040,
    /// UniqueString::m_table.
    UniqueStringTable = 1050,
    /// UniqueStringTable::null.
    UniqueStringNull = 1060,
    /// The library initialises itself as an extension module of the host
    /// framework and attaches to it (AttachCoreDLL).
    InitializeModule = 1070,
};

/// Records of the steps, kept by the library's own objects as they come and
/// go (see LibraryLifecycle). A load step's name must outlive the library.
/// This records a step of loading.
void NoteLoadStep(const char* step);
/// Records of the steps of unloading; see NoteLoadStep.
void NoteUnloadStep(const char* step);

} // namespace Orvane

#if defined(__GNUC__)
/// Gives a process-wide object's definition its place in LoadOrder (GCC and Clang;
/// elsewhere it expands to nothing and the order is that of the linker).
#define ORVCORE_LOAD_ORDER(step) __attribute__((init_priority(static_cast<int>(::Orvane::LoadOrder::step))))
#else
#define ORVCORE_LOAD_ORDER(step)
#endif
