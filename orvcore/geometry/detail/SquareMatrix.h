#pragma once

#include "orvcore/core/CArchive.h"

#include <cmath>
#include <cstddef>
#include <iomanip>
#include <istream>
#include <ostream>
#include <utility>

namespace Orvane {
namespace detail {

// The operations that Matrix3x3 and Matrix4x4 share, on N x N row-major
// arrays of doubles.
template <int N>
struct SquareMatrix
{
    static constexpr int kSize = N * N;
    // The same count as an array bound.
    static constexpr std::size_t kArray = N * N;

    static void SetIdentity(double* m)
    {
        for (int i = 0; i < kSize; ++i)
            m[i] = i % (N + 1) == 0 ? 1.0 : 0.0;
    }

    static void SetNull(double* m)
    {
        for (int i = 0; i < kSize; ++i)
            m[i] = 0.0;
    }

    static void Copy(const double* from, double* to)
    {
        for (int i = 0; i < kSize; ++i)
            to[i] = from[i];
    }

    static void Add(double* m, const double* other, double sign)
    {
        for (int i = 0; i < kSize; ++i)
            m[i] += sign * other[i];
    }

    static void Scale(double* m, double s)
    {
        for (int i = 0; i < kSize; ++i)
            m[i] *= s;
    }

    // Division by zero is skipped.
    static void Divide(double* m, double s)
    {
        if (s == 0.0)
            return;
        for (int i = 0; i < kSize; ++i)
            m[i] /= s;
    }

    // m = m * other (other applied after m).
    static void Multiply(double* m, const double* other)
    {
        double product[kArray];
        for (int r = 0; r < N; ++r) {
            for (int k = 0; k < N; ++k) {
                double sum = 0.0;
                for (int i = 0; i < N; ++i)
                    sum += m[N * r + i] * other[N * i + k];
                product[N * r + k] = sum;
            }
        }
        Copy(product, m);
    }

    static void Transpose(double* m)
    {
        for (int r = 0; r < N; ++r)
            for (int k = r + 1; k < N; ++k)
                std::swap(m[N * r + k], m[N * k + r]);
    }

    // Gauss-Jordan elimination with partial pivoting (the upper row wins a
    // tie). Only an exactly zero pivot counts as singular; then m is left
    // unchanged and false is returned.
    static bool Invert(double* m)
    {
        double work[kArray];
        double inverse[kArray];
        Copy(m, work);
        SetIdentity(inverse);
        for (int i = 0; i < N; ++i) {
            int pivotRow = i;
            double largest = std::fabs(work[N * i + i]);
            for (int r = i + 1; r < N; ++r) {
                if (std::fabs(work[N * r + i]) > largest) {
                    largest = std::fabs(work[N * r + i]);
                    pivotRow = r;
                }
            }
            if (largest == 0.0)
                return false;
            if (pivotRow != i) {
                for (int k = i; k < N; ++k)
                    std::swap(work[N * i + k], work[N * pivotRow + k]);
                for (int k = 0; k < N; ++k)
                    std::swap(inverse[N * i + k], inverse[N * pivotRow + k]);
            }
            const double pivot = work[N * i + i];
            if (pivot != 1.0) {
                work[N * i + i] = 1.0;
                for (int k = i + 1; k < N; ++k)
                    work[N * i + k] /= pivot;
                for (int k = 0; k < N; ++k)
                    inverse[N * i + k] /= pivot;
            }
            for (int j = 0; j < N; ++j) {
                const double f = work[N * j + i];
                if (j == i || f == 0.0)
                    continue;
                for (int k = i + 1; k < N; ++k)
                    work[N * j + k] -= f * work[N * i + k];
                for (int k = 0; k < N; ++k)
                    inverse[N * j + k] -= f * inverse[N * i + k];
            }
        }
        Copy(inverse, m);
        return true;
    }

    static void Store(CArchive& ar, const double* m)
    {
        for (int i = 0; i < kSize; ++i)
            ar << m[i];
    }

    // Reads into a temporary first, so a short archive leaves m as it was.
    static void Load(CArchive& ar, double* m)
    {
        double read[kArray];
        for (int i = 0; i < kSize; ++i)
            ar >> read[i];
        Copy(read, m);
    }

    // With a field width set on entry, every element is written in a field
    // of that width; otherwise each element is followed by one space.
    static void Write(std::ostream& os, const double* m)
    {
        const std::streamsize width = os.width();
        for (int i = 0; i < kSize; ++i) {
            if (width != 0) {
                os.width(width);
                os << m[i];
            } else {
                os << m[i] << ' ';
            }
        }
    }

    // Reads N * N numbers; m changes only when every one was read.
    static void Read(std::istream& is, double* m)
    {
        double read[kArray];
        for (int i = 0; i < kSize; ++i) {
            is >> read[i];
            if (is.fail())
                return;
        }
        Copy(read, m);
    }

    static void Print(std::ostream& os, const double* m)
    {
        os << std::fixed;
        for (int r = 0; r < N; ++r) {
            for (int k = 0; k < N; ++k)
                os << std::setw(10) << m[N * r + k];
            os << '\n';
        }
    }
};

} // namespace detail
} // namespace Orvane
