#include "orvcore/spatial/NeighborList.h"

#include "orvcore/core/detail/RunTasks.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <new>
#include <initializer_list>
#include <thread>
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

// The number of threads a call asked for: 0 means one per processor, a
// negative number one; at most 256.
int ThreadCount(int threads)
{
    if (threads == 0)
        threads = static_cast<int>(std::thread::hardware_concurrency());
    return std::max(1, std::min(threads, 256));
}

using detail::RunTasks;

// Splits the points of cells (starts: each cell's first point, then the end)
// into `parts` runs of whole cells with about as many points each: cell
// bounds, parts + 1 of them.
std::vector<std::size_t> SplitCells(const std::vector<int>& starts, int parts)
{
    const std::size_t cells = starts.size() - 1;
    std::vector<std::size_t> bounds(static_cast<std::size_t>(parts) + 1, cells);
    bounds[0] = 0;
    const double total = starts.back();
    for (int n = 1; n < parts; ++n) {
        const int wanted = static_cast<int>(total * n / parts);
        const std::size_t at =
            static_cast<std::size_t>(std::lower_bound(starts.begin(), starts.end() - 1, wanted) - starts.begin());
        bounds[static_cast<std::size_t>(n)] = std::max(bounds[static_cast<std::size_t>(n) - 1], at);
    }
    return bounds;
}

// Appends, for each join, the arrays of its parts in their order to its
// output, on up to `threads` threads: the outputs grow side by side (growing
// fills the new memory, the longest serial step), then every part is copied.
struct Join {
    IntArray* out;
    const std::vector<IntArray>* parts;
};

void AppendParts(std::initializer_list<Join> joins, int threads)
{
    std::vector<std::vector<std::size_t>> at;
    std::vector<std::pair<std::size_t, std::size_t>> copies; // (join, part)
    for (const Join& join : joins) {
        std::vector<std::size_t> starts(join.parts->size() + 1, static_cast<std::size_t>(join.out->GetSize()));
        for (std::size_t n = 0; n < join.parts->size(); ++n) {
            starts[n + 1] = starts[n] + static_cast<std::size_t>((*join.parts)[n].GetSize());
            copies.emplace_back(at.size(), n);
        }
        if (starts.back() > static_cast<std::size_t>(INT_MAX))
            throw std::bad_alloc(); // more than an array indexed by int holds
        at.push_back(std::move(starts));
    }
    const Join* first = joins.begin();
    RunTasks(static_cast<int>(joins.size()), threads,
             [&](int n) { first[n].out->SetSize(static_cast<int>(at[static_cast<std::size_t>(n)].back())); });
    RunTasks(static_cast<int>(copies.size()), threads, [&](int c) {
        const std::size_t join = copies[static_cast<std::size_t>(c)].first, n = copies[static_cast<std::size_t>(c)].second;
        const IntArray& part = (*first[join].parts)[n];
        std::copy(part.GetData(), part.GetData() + part.GetSize(), first[join].out->GetData() + at[join][n]);
    });
}

} // namespace

struct NeighborList::SortedGrid {
    std::vector<int> keys; ///< cell numbers, ascending
    std::vector<int> starts; ///< where each cell's points begin, then the end
    std::vector<VoxelData> points; ///< every cell's points, cell after cell
};

// Pairs appended to two arrays. The arrays grow ahead of the pairs, doubling,
// so that the search can write a whole row of candidates and keep only those
// that qualify; Close cuts them to the pairs written.
class NeighborList::PairSink
{
public:
    PairSink(IntArray& first, IntArray& second)
        : m_first(first), m_second(second), m_firstAt(first.GetSize()), m_secondAt(second.GetSize())
    {
    }
    /// Makes room for `more` pairs after those written.
    void Reserve(int more)
    {
        if (more > m_room - m_written)
            Grow(more);
    }
    /// Where the next pair's first and second index go.
    int* First() { return m_firstData + m_written; }
    int* Second() { return m_secondData + m_written; }
    /// Counts `count` more pairs as written.
    void Wrote(int count) { m_written += count; }
    /// Cuts the arrays to the pairs written.
    void Close()
    {
        m_first.SetSize(m_firstAt + m_written);
        m_second.SetSize(m_secondAt + m_written);
    }

private:
    void Grow(int more)
    {
        const long long limit = INT_MAX - std::max(m_firstAt, m_secondAt);
        if (more > limit - m_written)
            throw std::bad_alloc(); // more than an array indexed by int holds
        const int room = static_cast<int>(
            std::min<long long>(limit, std::max<long long>({2LL * m_room, 1LL * m_written + more, 4096})));
        m_first.SetSize(m_firstAt + room);
        m_second.SetSize(m_secondAt + room);
        m_firstData = m_first.GetData() + m_firstAt;
        m_secondData = m_second.GetData() + m_secondAt;
        m_room = room;
    }

    IntArray& m_first;
    IntArray& m_second;
    const int m_firstAt;
    const int m_secondAt;
    int* m_firstData = nullptr;
    int* m_secondData = nullptr;
    int m_written = 0;
    int m_room = 0;
};

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

int NeighborList::Add(const Point3d* points, int count)
{
    if (count < 0 || count > INT_MAX - m_count || (count > 0 && points == nullptr))
        return -1;
    const int first = m_count;
    if (count < 64) {
        for (int n = 0; n < count; ++n)
            Add(points[n]);
        return first;
    }
    // The points of the grid are filed cell by cell: their cell numbers (in
    // the upper half) and positions, sorted stably by cell number, so that
    // each cell's points come together, in the order of their indices.
    std::vector<std::uint64_t> keyed, spare;
    std::vector<int> outer;
    keyed.reserve(static_cast<std::size_t>(count));
    for (int n = 0; n < count; ++n) {
        const Point3d& p = points[n];
        if (!IsFinite(p))
            continue;
        const Cell c = CellOf(p);
        if (InGrid(c.i, c.j, c.k))
            keyed.push_back(static_cast<std::uint64_t>(GetIndex(c.i, c.j, c.k)) << 32 | static_cast<unsigned>(n));
        else
            outer.push_back(n);
    }
    spare.resize(keyed.size());
    for (int shift = 32; shift < 64; shift += 11) {
        std::size_t bucket[2049] = {};
        for (std::uint64_t k : keyed)
            ++bucket[((k >> shift) & 2047) + 1];
        for (int b = 0; b < 2048; ++b)
            bucket[b + 1] += bucket[b];
        for (std::uint64_t k : keyed)
            spare[bucket[(k >> shift) & 2047]++] = k;
        keyed.swap(spare);
    }
    std::vector<VoxelData> run;
    try {
        for (std::size_t n = 0; n < keyed.size();) {
            const std::uint64_t key = keyed[n] >> 32;
            run.clear();
            for (; n < keyed.size() && keyed[n] >> 32 == key; ++n) {
                const int at = static_cast<int>(keyed[n] & 0xFFFFFFFFu);
                run.push_back(VoxelData{first + at, points[at]});
            }
            m_cells.Add(static_cast<int>(key), run.data(), static_cast<int>(run.size()));
        }
        for (int at : outer) {
            const Cell c = CellOf(points[at]);
            m_outerCells.Add(OuterKey(c.i, c.j, c.k), VoxelData{first + at, points[at]});
        }
    } catch (...) {
        m_count = first + count;
        throw;
    }
    m_count = first + count;
    return first;
}

int NeighborList::GetNeighbors(const Point3d& p, double radius, IntArray& out)
{
    return FindNeighbors(p, radius, out);
}

int NeighborList::FindNeighbors(const Point3d& p, double radius, IntArray& out) const
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

void NeighborList::AddPairsOfCell(const Cell& c, const CellPoints& cell, PairSink& out) const
{
    AddPairs(cell, cell, out);
    for (int n = 0; n < 13; ++n) {
        const int* d = kHalfNeighbourhood[n];
        const CellPoints other = FindCell(c.i + d[0], c.j + d[1], c.k + d[2]);
        if (other.size)
            AddPairs(cell, other, out);
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

int NeighborList::GetNeighbors(const Point3d* queries, int count, double radius, IntArray& out, IntArray& ends,
                               IntArray& nearest, int threads)
{
    const int outAt = out.GetSize(), endsAt = ends.GetSize(), nearestAt = nearest.GetSize();
    if (count <= 0 || queries == nullptr)
        return outAt;
    if (count > INT_MAX - std::max(endsAt, nearestAt))
        throw std::bad_alloc(); // more than an array indexed by int holds
    threads = ThreadCount(threads);
    try {
        ends.SetSize(endsAt + count);
        nearest.SetSize(nearestAt + count);
        if (threads == 1 || count < 256) {
            for (int q = 0; q < count; ++q) {
                nearest[nearestAt + q] = FindNeighbors(queries[q], radius, out);
                ends[endsAt + q] = out.GetSize();
            }
            return out.GetSize();
        }
        // Runs of queries, each appending to an array of its own; ends are
        // counted within the run until the runs are joined.
        const int parts = std::min(count / 64, threads * 16);
        std::vector<IntArray> found(static_cast<std::size_t>(parts));
        auto bound = [&](int part) { return static_cast<int>(static_cast<long long>(count) * part / parts); };
        RunTasks(parts, threads, [&](int part) {
            IntArray& mine = found[static_cast<std::size_t>(part)];
            for (int q = bound(part); q < bound(part + 1); ++q) {
                nearest[nearestAt + q] = FindNeighbors(queries[q], radius, mine);
                ends[endsAt + q] = mine.GetSize();
            }
        });
        AppendParts({{&out, &found}}, threads);
        int base = outAt;
        for (int part = 0; part < parts; ++part) {
            for (int q = bound(part); q < bound(part + 1); ++q)
                ends[endsAt + q] += base;
            base += found[static_cast<std::size_t>(part)].GetSize();
        }
    } catch (...) {
        out.SetSize(outAt);
        ends.SetSize(endsAt);
        nearest.SetSize(nearestAt);
        throw;
    }
    return out.GetSize();
}

void NeighborList::AddGridPairs(const SortedGrid& grid, std::size_t begin, std::size_t end, PairSink& out) const
{
    // The cells are visited in the order of their numbers. The numbers of the
    // cells at each half-neighbourhood offset then grow with the visited
    // cell's, so each offset keeps a cursor that only moves forward through
    // the same sorted list instead of looking cells up.
    if (begin >= end)
        return;
    const std::vector<int>& keys = grid.keys;
    const std::size_t count = keys.size();
    long long step[13];
    std::size_t cursor[13];
    for (int n = 0; n < 13; ++n) {
        const int* d = kHalfNeighbourhood[n];
        step[n] = static_cast<long long>(d[0]) * m_cellsPerPlane + static_cast<long long>(d[1]) * m_cellsPerAxis + d[2];
        const long long wanted = keys[begin] + step[n];
        cursor[n] = static_cast<std::size_t>(
            std::lower_bound(keys.begin(), keys.end(), wanted, [](int key, long long w) { return key < w; }) -
            keys.begin());
    }
    for (std::size_t s = begin; s < end; ++s) {
        const int key = keys[s];
        const CellPoints cell{grid.points.data() + grid.starts[s], grid.starts[s + 1] - grid.starts[s]};
        const Cell c{key / m_cellsPerPlane, key % m_cellsPerPlane / m_cellsPerAxis, key % m_cellsPerAxis};
        const double corner[3] = {m_gridMinimum + c.i * m_cutoff, m_gridMinimum + c.j * m_cutoff,
                                  m_gridMinimum + c.k * m_cutoff};
        AddPairs(cell, cell, out);
        for (int n = 0; n < 13; ++n) {
            const int* d = kHalfNeighbourhood[n];
            const long long wanted = key + step[n];
            std::size_t& at = cursor[n];
            while (at < count && keys[at] < wanted)
                ++at;
            if (InGrid(c.i + d[0], c.j + d[1], c.k + d[2])) {
                if (at < count && keys[at] == wanted) {
                    const CellPoints other{grid.points.data() + grid.starts[at], grid.starts[at + 1] - grid.starts[at]};
                    if (n == 0 || n == 2 || n == 8) // (1, 0, 0), (0, -1, 0), (0, 0, 1): every point can reach
                        AddPairs(cell, other, out);
                    else
                        AddPairsAcross(cell, other, corner, d, out);
                }
            } else {
                const CellPoints other = FindCell(c.i + d[0], c.j + d[1], c.k + d[2]);
                if (other.size)
                    AddPairs(cell, other, out);
            }
        }
    }
}

void NeighborList::AddOuterPairs(PairSink& out) const
{
    for (const OuterCells::Slot* slot : SortedCells(m_outerCells)) {
        const CellPoints cell{slot->items, slot->size};
        AddPairsOfCell(CellOf(cell.points[0].point), cell, out);
    }
}

int NeighborList::GetPairs(IntArray& first, IntArray& second)
{
    return GetPairs(first, second, 1);
}

int NeighborList::GetPairs(IntArray& first, IntArray& second, int threads)
{
    threads = ThreadCount(threads);
    const int firstAt = first.GetSize(), secondAt = second.GetSize();
    try {
        // The grid's cells in the order of their numbers, their points
        // gathered into one block in that order, so that neighbouring cells
        // lie close together in memory.
        SortedGrid grid;
        {
            std::vector<std::pair<int, const GridCells::Slot*>> cells;
            cells.reserve(m_cells.GetCount());
            for (const GridCells::Slot& slot : m_cells)
                if (slot.size != 0)
                    cells.emplace_back(slot.key, &slot);
            // Sorted in as many pieces as there are threads, then merged.
            const auto byKey = [](const std::pair<int, const GridCells::Slot*>& a,
                                  const std::pair<int, const GridCells::Slot*>& b) { return a.first < b.first; };
            const int pieces = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(threads), cells.size() / 4096 + 1));
            const auto piece = [&](int n) { return cells.begin() + static_cast<std::ptrdiff_t>(cells.size() * static_cast<std::size_t>(n) / static_cast<std::size_t>(pieces)); };
            RunTasks(pieces, threads, [&](int n) { std::sort(piece(n), piece(n + 1), byKey); });
            for (int width = 1; width < pieces; width *= 2)
                for (int n = 0; n + width < pieces; n += 2 * width)
                    std::inplace_merge(piece(n), piece(n + width), piece(std::min(n + 2 * width, pieces)), byKey);
            grid.keys.resize(cells.size());
            grid.starts.resize(cells.size() + 1);
            grid.starts[0] = 0;
            for (std::size_t n = 0; n < cells.size(); ++n) {
                grid.keys[n] = cells[n].first;
                grid.starts[n + 1] = grid.starts[n] + cells[n].second->size;
            }
            grid.points.resize(static_cast<std::size_t>(grid.starts.back()));
            const int parts = threads == 1 ? 1 : threads * 4;
            const std::vector<std::size_t> bounds = SplitCells(grid.starts, parts);
            RunTasks(parts, threads, [&](int part) {
                for (std::size_t n = bounds[static_cast<std::size_t>(part)];
                     n < bounds[static_cast<std::size_t>(part) + 1]; ++n)
                    std::copy(cells[n].second->items, cells[n].second->items + cells[n].second->size,
                              grid.points.begin() + grid.starts[n]);
            });
        }
        if (threads == 1) {
            PairSink out(first, second);
            AddGridPairs(grid, 0, grid.keys.size(), out);
            AddOuterPairs(out);
            out.Close();
            return first.GetSize();
        }
        // Runs of cells, each appending to arrays of its own; the pairs of
        // the cells outside the grid come last. Joined in their order, they
        // give the pairs in the order of one thread.
        const int parts = static_cast<int>(std::min<std::size_t>(grid.keys.size(), 16 * static_cast<std::size_t>(threads)));
        const std::vector<std::size_t> bounds = SplitCells(grid.starts, parts);
        std::vector<IntArray> firsts(static_cast<std::size_t>(parts) + 1), seconds(static_cast<std::size_t>(parts) + 1);
        RunTasks(parts + 1, threads, [&](int part) {
            const std::size_t p = static_cast<std::size_t>(part);
            PairSink out(firsts[p], seconds[p]);
            if (part < parts)
                AddGridPairs(grid, bounds[p], bounds[p + 1], out);
            else
                AddOuterPairs(out);
            out.Close();
        });
        AppendParts({{&first, &firsts}, {&second, &seconds}}, threads);
    } catch (...) {
        first.SetSize(firstAt);
        second.SetSize(secondAt);
        throw;
    }
    return first.GetSize();
}

namespace {

// Writes the pair of p (of that index) with each of the count points at b
// as a candidate and counts those closer than the cutoff; returns the count.
// No branch on the distance. Both outputs have room for count indices.
inline int AddRow(const Point3d& p, int index, const NeighborList::VoxelData* b, int count, double cutoff2,
                  int* first, int* second)
{
    const double x = p[0], y = p[1], z = p[2];
    int written = 0;
    for (int n = 0; n < count; ++n) {
        const double dx = static_cast<double>(b[n].point[0]) - x;
        const double dy = static_cast<double>(b[n].point[1]) - y;
        const double dz = static_cast<double>(b[n].point[2]) - z;
        first[written] = index;
        second[written] = b[n].index;
        written += dx * dx + dy * dy + dz * dz < cutoff2;
    }
    return written;
}

} // namespace

void NeighborList::AddPairs(const CellPoints& a, const CellPoints& b, PairSink& out) const
{
    const bool same = a.points == b.points;
    for (int m = 0; m < a.size; ++m) {
        const int from = same ? m + 1 : 0;
        if (from >= b.size)
            continue;
        out.Reserve(b.size - from);
        out.Wrote(AddRow(a.points[m].point, a.points[m].index, b.points + from, b.size - from, m_cutoff2, out.First(),
                         out.Second()));
    }
}

void NeighborList::AddPairsAcross(const CellPoints& a, const CellPoints& b, const double* corner, const int* d,
                                  PairSink& out) const
{
    // A point whose distance from b's cell (along the axes where the cells
    // differ) reaches the cutoff has no partner there. The margin covers the
    // rounding of the cell coordinates, far below it.
    const double reach = m_cutoff2 * (1 + 1e-9);
    for (int m = 0; m < a.size; ++m) {
        const Point3d& p = a.points[m].point;
        double gap2 = 0;
        for (int axis = 0; axis < 3; ++axis) {
            if (d[axis] != 0) {
                const double gap = d[axis] > 0 ? corner[axis] + m_cutoff - p[axis] : p[axis] - corner[axis];
                gap2 += gap > 0 ? gap * gap : 0.0;
            }
        }
        if (gap2 >= reach)
            continue;
        out.Reserve(b.size);
        out.Wrote(AddRow(p, a.points[m].index, b.points, b.size, m_cutoff2, out.First(), out.Second()));
    }
}

} // namespace Orvane
