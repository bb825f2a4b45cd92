// NeighborList: points in from numpy arrays in one call, pairs out as int32
// arrays without copies, the long searches without the GIL.

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
    const float* data = rows.data();
    {
        py::gil_scoped_release released;
        for (py::ssize_t i = 0; i < n; ++i)
            list.Add(Point3d(data + 3 * i));
    }
    return py::module_::import("builtins").attr("range")(first, first + n);
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
    c.def(
        "GetNeighbors",
        [](NeighborList& list, const Point3d& p, std::optional<double> radius) {
            CheckFinite(p, "the query point");
            IntArray out;
            int nearest;
            if (radius) {
                // The search covers the 27 cells around p, whose edge is the cutoff: a larger radius would
                // miss points, a negative one would search its absolute value.
                if (!(*radius >= 0.0))
                    throw py::value_error("the radius must be at least 0, not " +
                                          py::repr(py::float_(*radius)).cast<std::string>());
                if (*radius > list.GetCutoff())
                    throw py::value_error("the radius " + py::repr(py::float_(*radius)).cast<std::string>() +
                                          " exceeds the list's cutoff " +
                                          py::repr(py::float_(list.GetCutoff())).cast<std::string>() +
                                          ": the search covers only the cells within one cutoff of the point");
                nearest = list.GetNeighbors(p, *radius, out);
            } else {
                nearest = list.GetNeighbors(p, out);
            }
            return py::make_tuple(nearest, ToNumpy(std::move(out)));
        },
        "p"_a, "radius"_a = py::none(),
        "(nearest, indices): the stored points closer to p than the radius (the cutoff when not given), searched in "
        "the 27 cells around p, as an int32 array, and the nearest one's index or -1. ValueError for a radius "
        "below 0 or above the cutoff (the cells searched could not hold every point within it) and for a point "
        "that is not finite.");
    c.def(
        "GetPairs",
        [](NeighborList& list) {
            IntArray first, second;
            {
                py::gil_scoped_release released;
                list.GetPairs(first, second);
            }
            return py::make_tuple(ToNumpy(std::move(first)), ToNumpy(std::move(second)));
        },
        "Every pair of stored points closer than the cutoff as two int32 arrays (first, second), one index of each "
        "pair in each.");
    c.def("GetNumPoints", &NeighborList::GetNumPoints, "The number of points stored.");
    c.def("__len__", &NeighborList::GetNumPoints, "The number of points stored.");
    c.def("GetCutoff", &NeighborList::GetCutoff, "The pair cutoff.");
    c.def("__repr__", [](const NeighborList& l) {
        return "NeighborList(cutoff=" + std::to_string(l.GetCutoff()) + ", " + std::to_string(l.GetNumPoints()) +
               " points)";
    });
}

} // namespace orvpy
