#include "orvcore/spatial/NeighborList.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <limits>
#include <utility>
#include <vector>

namespace Orvane {

namespace {

// Cells per axis: the cube root of 2^31 - 1, truncated, so that every cell
// number of the grid is a non-negative int.
const int kCellsPerAxis = static_cast<int>(std::pow(2147483647.0, 1.0 / 3.0));
const int kHalfCells = kCellsPerAxis / 2;

// The full neighbourhood searched by the radius query (27 offsets), then the
// half neighbourhood walked by the pair search (13 offsets: one of each pair
// of opposite non-zero offsets).
const int kOffsets[27 + 13][3] = {
    {0, 0, 0},   {-1, 0, 0},  {1, 0, 0},   {0, 1, 0},   {-1, 1, 0},  {1, 1, 0},   {0, -1, 0},
    {-1, -1, 0}, {1, -1, 0},  {0, 1, -1},  {-1, 1, -1}, {1, 1, -1},  {0, 0, -1},  {-1, 0, -1},
    {1, 0, -1},  {0, -1, -1}, {-1, -1, -1}, {1, -1, -1}, {0, 1, 1},  {-1, 1, 1},  {1, 1, 1},
    {0, 0, 1},   {-1, 0, 1},  {1, 0, 1},   {0, -1, 1},  {-1, -1, 1}, {1, -1, 1},

    {1, 0, 0},   {-1, -1, 0}, {0, -1, 0},  {1, -1, 0},  {-1, 1, 1},  {0, 1, 1},   {1, 1, 1},
    {-1, 0, 1},  {0, 0, 1},   {1, 0, 1},   {-1, -1, 1}, {0, -1, 1},  {1, -1, 1},
};
const int (*const kFullNeighbourhood)[3] = kOffsets;
const int (*const kHalfNeighbourhood)[3] = kOffsets + 27;

bool IsFinite(const Point3d& p)
{
    return std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]);
}

inline double SquaredDistance(const Point3d& a, const Point3d& b)
{
    const double dx = static_cast<double>(a[0]) - static_cast<double>(b[0]);
    const double dy = static_cast<double>(a[1]) - static_cast<double>(b[1]);
    const double dz = static_cast<double>(a[2]) - static_cast<double>(b[2]);
    return dx * dx + dy * dy + dz * dz;
}

} // namespace

NeighborList::NeighborList(double cutoff, int buckets)
    : m_count(0),
      m_cutoff(cutoff),
      m_inverseCutoff(1.0 / cutoff),
      m_cutoff2(cutoff * cutoff),
      m_gridMinimum(-(cutoff * kHalfCells)),
      m_gridHalfExtent(cutoff * kHalfCells),
      m_cellsPerAxis(kCellsPerAxis),
      m_cellsPerPlane(kCellsPerAxis * kCellsPerAxis),
      m_cells(static_cast<std::size_t>(buckets > 0 ? buckets : 1)),
      m_outerCells(1) // cells outside the grid are rare
{
}

NeighborList::~NeighborList() = default;

int NeighborList::GetSubIndex(double v) const
{
    const double c = std::floor((v - m_gridMinimum) * m_inverseCutoff);
    if (!(c > -kOuterLimit)) // also a NaN (a zero or non-finite cutoff)
        return std::isnan(c) ? 0 : -kOuterLimit;
    if (c > kOuterLimit)
        return kOuterLimit;
    return static_cast<int>(c);
}

int NeighborList::GetIndex(int i, int j, int k) const
{
    // Exact for cells of the grid (below 1290^3 < 2^31); computed wide so
    // that other arguments cannot overflow.
    return static_cast<int>(k + static_cast<long long>(i) * m_cellsPerPlane +
                            static_cast<long long>(j) * m_cellsPerAxis);
}

int NeighborList::GetIndex(const Point3d& p) const
{
    const Cell c = CellOf(p);
    return InGrid(c.i, c.j, c.k) ? GetIndex(c.i, c.j, c.k) : -1;
}

NeighborList::Cell NeighborList::CellOf(const Point3d& p) const
{
    return Cell{GetSubIndex(p[0]), GetSubIndex(p[1]), GetSubIndex(p[2])};
}

bool NeighborList::InGrid(int i, int j, int k) const
{
    const unsigned n = static_cast<unsigned>(m_cellsPerAxis);
    return static_cast<unsigned>(i) < n && static_cast<unsigned>(j) < n && static_cast<unsigned>(k) < n;
}

long long NeighborList::OuterKey(int i, int j, int k)
{
    // Each coordinate lies within +-(kOuterLimit + 1) and takes 21 bits.
    const long long bias = 1 << 20;
    return ((i + bias) << 42) | ((j + bias) << 21) | (k + bias);
}

NeighborList::CellPoints NeighborList::FindCell(int i, int j, int k) const
{
    if (InGrid(i, j, k)) {
        const GridCells::Slot* slot = m_cells.Find(GetIndex(i, j, k));
        return slot ? CellPoints{slot->items, slot->size} : CellPoints{nullptr, 0};
    }
    const OuterCells::Slot* slot = m_outerCells.Find(OuterKey(i, j, k));
    return slot ? CellPoints{slot->items, slot->size} : CellPoints{nullptr, 0};
}

void NeighborList::PrefetchCell(int i, int j, int k) const
{
    if (InGrid(i, j, k))
        m_cells.Prefetch(GetIndex(i, j, k));
    else
        m_outerCells.Prefetch(OuterKey(i, j, k));
}

int NeighborList::Add(const Point3d& p)
{
    const int index = m_count++;
    if (!IsFinite(p))
        return index; // keeps its index; never reported
    const Cell c = CellOf(p);
    const VoxelData v{index, p};
    if (InGrid(c.i, c.j, c.k))
        m_cells.Add(GetIndex(c.i, c.j, c.k), v);
    else
        m_outerCells.Add(OuterKey(c.i, c.j, c.k), v);
    return index;
}

int NeighborList::GetNeighbors(const Point3d& p, double radius, IntArray& out)
{
    if (!IsFinite(p))
        return -1;
    const double r2 = radius * radius;
    double best = std::numeric_limits<double>::infinity();
    int result = -1;
    const Cell c = CellOf(p);
    // Squared gaps, in cell edges, from p to the cells before, at and after
    // its own along each axis; a cell whose box lies farther than the radius
    // cannot hold a neighbour and is not looked up. (Cells clamped far
    // outside the grid have no such box: there every cell is searched.)
    double gap[3][3];
    const int at[3] = {c.i, c.j, c.k};
    const bool boxes = std::abs(c.i) < kOuterLimit - 1 && std::abs(c.j) < kOuterLimit - 1 &&
                       std::abs(c.k) < kOuterLimit - 1;
    for (int axis = 0; axis < 3; ++axis) {
        const double f = (p[axis] - m_gridMinimum) * m_inverseCutoff - at[axis];
        gap[axis][0] = boxes ? f * f : 0.0;
        gap[axis][1] = 0.0;
        gap[axis][2] = boxes ? (1 - f) * (1 - f) : 0.0;
    }
    // Rounding of the cell coordinates is far below this margin.
    const double reach = (r2 + 1e-9 * m_cutoff2) / m_cutoff2;

    // The memory of every cell is asked for before any is read, in two
    // rounds: the table slots, then the points they lead to; so the accesses
    // of the cells overlap instead of waiting for each other.
    bool near[27];
    for (int n = 0; n < 27; ++n) {
        const int* d = kFullNeighbourhood[n];
        near[n] = gap[0][d[0] + 1] + gap[1][d[1] + 1] + gap[2][d[2] + 1] <= reach;
        if (near[n])
            PrefetchCell(c.i + d[0], c.j + d[1], c.k + d[2]);
    }
    CellPoints cells[27];
    for (int n = 0; n < 27; ++n) {
        const int* d = kFullNeighbourhood[n];
        cells[n] = near[n] ? FindCell(c.i + d[0], c.j + d[1], c.k + d[2]) : CellPoints{nullptr, 0};
        if (cells[n].size) {
            __builtin_prefetch(cells[n].points);
            __builtin_prefetch(cells[n].points + cells[n].size - 1);
        }
    }
    for (const CellPoints& cell : cells) {
        const VoxelData* v = cell.points;
        for (int m = 0; m < cell.size; ++m) {
            const double d2 = SquaredDistance(p, v[m].point);
            if (d2 < r2) {
                out.Add(v[m].index);
                if (d2 < best) {
                    best = d2;
                    result = v[m].index;
                }
            }
        }
    }
    return result;
}

int NeighborList::GetNeighbors(const Point3d& p, IntArray& out)
{
    return GetNeighbors(p, m_cutoff, out);
}

void NeighborList::AddPairsOfCell(const Cell& c, const CellPoints& cell, IntArray& first, IntArray& second) const
{
    AddPairs(cell, cell, first, second);
    for (int n = 0; n < 13; ++n) {
        const int* d = kHalfNeighbourhood[n];
        const CellPoints other = FindCell(c.i + d[0], c.j + d[1], c.k + d[2]);
        if (other.size)
            AddPairs(cell, other, first, second);
    }
}

// The occupied cells of a table, sorted by key.
template <class Table>
std::vector<const typename Table::Slot*> SortedCells(const Table& table)
{
    std::vector<const typename Table::Slot*> out;
    out.reserve(table.GetCount());
    for (const typename Table::Slot& slot : table)
        if (slot.size != 0)
            out.push_back(&slot);
    std::sort(out.begin(), out.end(),
              [](const typename Table::Slot* a, const typename Table::Slot* b) { return a->key < b->key; });
    return out;
}

int NeighborList::GetPairs(IntArray& first, IntArray& second)
{
    // The cells of the grid are visited in the order of their numbers. The
    // numbers of the cells at each half-neighbourhood offset then grow with
    // the visited cell's, so each offset keeps a cursor that only moves
    // forward through the same sorted list instead of looking cells up.
    const std::vector<const GridCells::Slot*> cells = SortedCells(m_cells);
    long long step[13];
    std::size_t cursor[13];
    for (int n = 0; n < 13; ++n) {
        const int* d = kHalfNeighbourhood[n];
        step[n] = static_cast<long long>(d[0]) * m_cellsPerPlane + static_cast<long long>(d[1]) * m_cellsPerAxis + d[2];
        cursor[n] = 0;
    }
    const std::size_t count = cells.size();
    for (const GridCells::Slot* slot : cells) {
        const CellPoints cell{slot->items, slot->size};
        const Cell c = CellOf(cell.points[0].point);
        AddPairs(cell, cell, first, second);
        for (int n = 0; n < 13; ++n) {
            const int* d = kHalfNeighbourhood[n];
            const long long wanted = slot->key + step[n];
            std::size_t& at = cursor[n];
            while (at < count && cells[at]->key < wanted)
                ++at;
            if (InGrid(c.i + d[0], c.j + d[1], c.k + d[2])) {
                if (at < count && cells[at]->key == wanted)
                    AddPairs(cell, CellPoints{cells[at]->items, cells[at]->size}, first, second);
            } else {
                const CellPoints other = FindCell(c.i + d[0], c.j + d[1], c.k + d[2]);
                if (other.size)
                    AddPairs(cell, other, first, second);
            }
        }
    }
    for (const OuterCells::Slot* slot : SortedCells(m_outerCells)) {
        const CellPoints cell{slot->items, slot->size};
        AddPairsOfCell(CellOf(cell.points[0].point), cell, first, second);
    }
    return first.GetSize();
}

void NeighborList::AddPairs(const CellPoints& a, const CellPoints& b, IntArray& first, IntArray& second) const
{
    const bool same = a.points == b.points;
    for (int m = 0; m < a.size; ++m) {
        const Point3d& p = a.points[m].point;
        for (int n = same ? m + 1 : 0; n < b.size; ++n) {
            if (SquaredDistance(p, b.points[n].point) < m_cutoff2) {
                first.Add(a.points[m].index);
                second.Add(b.points[n].index);
            }
        }
    }
}

} // namespace Orvane
