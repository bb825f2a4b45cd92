#pragma once

/// \file
/// NeighborList, a neighbour search on a sparse voxel grid.
#include "orvcore/Export.h"
#include "orvcore/core/Arrays.h"
#include "orvcore/core/CArray.h"
#include "orvcore/core/CMap.h"
#include "orvcore/geometry/Point3d.h"
#include "orvcore/spatial/CellTable.h"

namespace Orvane {

/// Finds the stored points near a query point and the pairs of stored points
/// closer than a fixed cutoff, on a sparse cubic grid whose cell edge is the
/// cutoff. Points receive consecutive indices in the order they are added.
///
/// The grid has 1290 cells per axis and covers [-645 * cutoff, 645 * cutoff)
/// on x, y and z; its occupied cells are kept in a hash table from the cell
/// number k + i * 1290^2 + j * 1290, each cell's points in one block. Points
/// beyond that extent are kept too, in cells of the same size continuing the
/// grid outwards (held in a second table), so queries and pairs stay complete
/// for any finite coordinate. A point with a non-finite coordinate takes an
/// index but is never reported.
class ORVCORE_API NeighborList
{
public:
    /// One stored point.
    struct VoxelData {
        int index; ///< The index Add gave the point.
        Point3d point; ///< The point.
    };
    /// The points of one cell.
    typedef CArray<VoxelData, VoxelData&> VoxelArray;

    /// cutoff: the pair distance and the cell edge; buckets: how many
    /// occupied cells the hash table is first made for (it grows as needed).
    NeighborList(double cutoff, int buckets);
    /// Frees the cells.
    virtual ~NeighborList();
    /// Not copyable.
    ///@{
    NeighborList(const NeighborList&) = delete;
    NeighborList& operator=(const NeighborList&) = delete;
    ///@}

    /// Stores p under the next index and returns that index.
    int Add(const Point3d& p);
    /// Stores the count points at points under the next count indices, as
    /// count calls of Add in their order would, and returns the first of
    /// those indices; faster than single calls for many points. Returns -1
    /// and stores nothing when count is negative or the indices would pass
    /// the int range. Should memory run out (std::bad_alloc), the indices are
    /// taken but the points not yet stored are never reported.
    int Add(const Point3d* points, int count);
    /// Appends to out every stored point closer to p than radius, searching
    /// the 27 cells around p's cell; returns the nearest one's index or -1.
    /// A radius above the cutoff can therefore miss points beyond those cells.
    int GetNeighbors(const Point3d& p, double radius, IntArray& out);
    /// The same with the cutoff as the radius.
    int GetNeighbors(const Point3d& p, IntArray& out);
    /// Radius queries of count points at once, shared among `threads`
    /// threads (0: one per processor; 1, or below 0: the calling thread
    /// only). For each query in turn, appends to out what
    /// GetNeighbors(query, radius, out) would, to ends the size of out after
    /// that query's neighbours and to nearest its nearest neighbour or -1.
    /// The results are the same for every thread count. Returns the size of
    /// out afterwards.
    int GetNeighbors(const Point3d* queries, int count, double radius, IntArray& out, IntArray& ends,
                     IntArray& nearest, int threads = 1);
    /// Appends every pair of stored points closer than the cutoff, one index
    /// to each array; returns the size of first afterwards. The cells are
    /// visited in the order of their numbers (those outside the grid last),
    /// each cell's pairs among its own points coming before those with its
    /// neighbours.
    int GetPairs(IntArray& first, IntArray& second);
    /// GetPairs shared among `threads` threads (0: one per processor; 1, or
    /// below 0: the calling thread only): the same pairs in the same order
    /// for every thread count.
    int GetPairs(IntArray& first, IntArray& second, int threads);

    /// Number of points added.
    int GetNumPoints() const { return m_count; }
    /// The cutoff given at construction.
    double GetCutoff() const { return m_cutoff; }

protected:
    /// Cell coordinate of one coordinate value: 0 to 1289 inside the grid,
    /// below 0 or above 1289 outside it (bounded by +-kOuterLimit).
    int GetSubIndex(double v) const;
    /// Cell number of cell coordinates inside the grid.
    int GetIndex(int i, int j, int k) const;
    /// Cell number of the cell holding p, or -1 when p lies outside the grid.
    int GetIndex(const Point3d& p) const;

    /// Cell coordinates outside the grid are clamped to this bound; clamping
    /// keeps any two points within the cutoff in the same or adjacent cells.
    static const int kOuterLimit = (1 << 20) - 2;

private:
    struct Cell {
        int i, j, k;
    };

    Cell CellOf(const Point3d& p) const;
    bool InGrid(int i, int j, int k) const;
    /// The points of one occupied cell, in the order they were added.
    struct CellPoints {
        const VoxelData* points;
        int size;
    };
    typedef CellTable<int, VoxelData> GridCells;
    typedef CellTable<long long, VoxelData> OuterCells;

    /// The grid's occupied cells in the order of their numbers, their points
    /// gathered in that order into one block.
    struct SortedGrid;
    /// Where the pair search writes its pairs.
    class PairSink;

    /// The points of cell (i, j, k); none when the cell is empty.
    CellPoints FindCell(int i, int j, int k) const;
    /// The radius query behind both forms of GetNeighbors.
    int FindNeighbors(const Point3d& p, double radius, IntArray& out) const;
    /// Appends the pairs of the sorted grid cells begin to end, each with its
    /// neighbours, to first and second.
    void AddGridPairs(const SortedGrid& grid, std::size_t begin, std::size_t end, PairSink& out) const;
    /// Appends the pairs of the cells outside the grid.
    void AddOuterPairs(PairSink& out) const;
    /// Asks for the memory where the search for cell (i, j, k) begins.
    void PrefetchCell(int i, int j, int k) const;
    static long long OuterKey(int i, int j, int k);
    void AddPairs(const CellPoints& a, const CellPoints& b, PairSink& out) const;
    /// AddPairs for a cell of the grid whose lowest corner is at `corner` and
    /// its neighbour b at offset d, skipping the points of a that lie at
    /// least the cutoff away from b's cell.
    void AddPairsAcross(const CellPoints& a, const CellPoints& b, const double* corner, const int* d,
                        PairSink& out) const;
    void AddPairsOfCell(const Cell& c, const CellPoints& cell, PairSink& out) const;

    int m_count;
    double m_cutoff;
    double m_inverseCutoff;
    double m_cutoff2;
    double m_gridMinimum;
    [[maybe_unused]] double m_gridHalfExtent; ///< part of the grid's layout; the search reads only the minimum
    int m_cellsPerAxis;
    int m_cellsPerPlane;
    GridCells m_cells;
    OuterCells m_outerCells;
};


/// \class NeighborList
/// \threadsafety{Add, GetNeighbors and GetPairs are not const: one list is used
/// by one thread at a time, and distinct lists may be used on different threads
/// at once. The calls that take a thread count start their own threads, share
/// the work among them and join them before returning; their results, and
/// their order, are the same for every thread count.}
} // namespace Orvane
