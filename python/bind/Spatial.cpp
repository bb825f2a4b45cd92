// NeighborList: points in from numpy arrays in one call, pairs and batches of
// neighbours out as int32 arrays without copies, the long searches without
// the GIL and, when asked, on several threads.

#include "Bindings.h"

#include "orvcore/spatial/NeighborList.h"

#include <cmath>
#include <memory>

using namespace Orvane;

namespace orvpy {

namespace {

// An int32 array that takes over a library array of ints.
py::array_t<std::int32_t> ToNumpy(IntArray&& values)
{
    const py::ssize_t n = values.GetSize();
    if (n == 0)
        return py::array_t<std::int32_t>(0);
    auto* owner = new IntArray(std::move(values));
    py::capsule release(owner, [](void* p) { delete static_cast<IntArray*>(p); });
    return py::array_t<std::int32_t>({n}, owner->GetData(), release);
}

// Adds one point, or every row of an (n, 3) array; returns the index, or the
// range of indices given to the rows.
py::object AddPoints(NeighborList& list, const py::object& points)
{
    if (py::isinstance<Point3d>(points))
        return py::int_(list.Add(points.cast<const Point3d&>()));
    const FloatRows rows = FloatRows::ensure(points);
    if (!rows)
        throw py::type_error("Add takes a point or an (n, 3) array of points");
    if (rows.ndim() == 1 && rows.shape(0) == 3)
        return py::int_(list.Add(Point3d(rows.at(0), rows.at(1), rows.at(2))));
    CheckRows(rows, 3, "points");
    const int first = list.GetNumPoints();
    const py::ssize_t n = rows.shape(0);
    if (n > 0x7FFFFFFF - first)
        throw py::value_error("more points than a neighbour list indexes");
    const Point3d::Array stored = ToPointArray(rows, "points");
    {
        py::gil_scoped_release released;
        list.Add(stored.GetData(), stored.GetSize());
    }
    return py::module_::import("builtins").attr("range")(first, first + n);
}

// The thread count of a call: 0 for one per processor, else at least 1.
int CheckThreads(int threads)
{
    if (threads < 0)
        throw py::value_error("threads must be 0 (one per processor) or more");
    return threads;
}

// The neighbours of one point, (nearest, indices); or of every row of an
// (n, 3) array, (nearest, indices, offsets) with row q's neighbours at
// indices[offsets[q]:offsets[q + 1]].
py::tuple FindNeighbors(NeighborList& list, const py::object& points, std::optional<double> radius, int threads)
{
    if (radius) {
        // The search covers the 27 cells around a point, whose edge is the cutoff: a larger radius would miss
        // points, a negative one would search its absolute value.
        if (!(*radius >= 0.0))
            throw py::value_error("the radius must be at least 0, not " + py::repr(py::float_(*radius)).cast<std::string>());
        if (*radius > list.GetCutoff())
            throw py::value_error("the radius " + py::repr(py::float_(*radius)).cast<std::string>() +
                                  " exceeds the list's cutoff " + py::repr(py::float_(list.GetCutoff())).cast<std::string>() +
                                  ": the search covers only the cells within one cutoff of the point");
    }
    const double r = radius ? *radius : list.GetCutoff();
    threads = CheckThreads(threads);
    if (!py::isinstance<Point3d>(points)) {
        const FloatRows rows = FloatRows::ensure(points);
        if (rows && rows.ndim() == 2) {
            const Point3d::Array queries = ToPointArray(rows, "points");
            IntArray out, offsets, nearest;
            offsets.Add(0);
            {
                py::gil_scoped_release released;
                list.GetNeighbors(queries.GetData(), queries.GetSize(), r, out, offsets, nearest, threads);
            }
            return py::make_tuple(ToNumpy(std::move(nearest)), ToNumpy(std::move(out)), ToNumpy(std::move(offsets)));
        }
    }
    Point3d p;
    try {
        p = points.cast<Point3d>();
    } catch (const py::cast_error&) {
        throw py::type_error("GetNeighbors takes a point or an (n, 3) array of points");
    }
    IntArray out;
    const int nearest = list.GetNeighbors(p, r, out);
    return py::make_tuple(nearest, ToNumpy(std::move(out)));
}

} // namespace

void BindSpatial(py::module_& m)
{
    py::class_<NeighborList> c(m, "NeighborList",
                               "Finds the stored points near a query point and the pairs of stored points closer than "
                               "a fixed cutoff, on a sparse cubic grid whose cell edge is the cutoff. Points take "
                               "consecutive indices in the order they are added; a point with a non-finite "
                               "coordinate takes an index but is never reported.");
    c.def(py::init([](double cutoff, int buckets) {
              if (!(cutoff > 0.0) || !std::isfinite(cutoff))
                  throw py::value_error("the cutoff must be finite and above 0");
              if (buckets < 1)
                  throw py::value_error("buckets must be at least 1");
              return std::make_unique<NeighborList>(cutoff, buckets);
          }),
          "cutoff"_a, "buckets"_a = 65536,
          "A list with the pair cutoff (and cell edge) and the hash-table size of its cell map.");
    c.def("Add", &AddPoints, "points"_a,
          "Stores a point and returns its index, or every row of an (n, 3) array in one call and returns the range "
          "of their indices.");
    c.def("GetNeighbors", &FindNeighbors, "p"_a, "radius"_a = py::none(), "threads"_a = 1,
          "(nearest, indices): the stored points closer to p than the radius (the cutoff when not given), searched in "
          "the 27 cells around p, as an int32 array, and the nearest one's index or -1. Given an (n, 3) array of "
          "points, (nearest, indices, offsets) for all of them, shared among `threads` threads (0: one per "
          "processor) without the GIL: row q's neighbours are indices[offsets[q]:offsets[q + 1]], its nearest "
          "nearest[q], the same for every thread count. ValueError for a radius below 0 or above the cutoff (the cells "
          "searched could not hold every point within it).");
    c.def(
        "GetPairs",
        [](NeighborList& list, int threads) {
            threads = CheckThreads(threads);
            IntArray first, second;
            {
                py::gil_scoped_release released;
                list.GetPairs(first, second, threads);
            }
            return py::make_tuple(ToNumpy(std::move(first)), ToNumpy(std::move(second)));
        },
        "threads"_a = 1,
        "Every pair of stored points closer than the cutoff as two int32 arrays (first, second), one index of each "
        "pair in each; the search is shared among `threads` threads (0: one per processor) without the GIL, and "
        "gives the same pairs in the same order for every thread count.");
    c.def("GetNumPoints", &NeighborList::GetNumPoints, "The number of points stored.");
    c.def("__len__", &NeighborList::GetNumPoints, "The number of points stored.");
    c.def("GetCutoff", &NeighborList::GetCutoff, "The pair cutoff.");
    c.def("__repr__", [](const NeighborList& l) {
        return "NeighborList(cutoff=" + std::to_string(l.GetCutoff()) + ", " + std::to_string(l.GetNumPoints()) +
               " points)";
    });
}

} // namespace orvpy
