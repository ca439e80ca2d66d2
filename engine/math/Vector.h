#pragma once

#include "math/VectorFwd.h"

#include <cmath>
#include <type_traits>
#include <utility>

// Small value vectors. Default construction leaves the components unset.
// Comparisons: == tolerates differences below VectorEpsilon per component on
// real vectors and is exact on integer ones; <, <=, >, >= hold only when they
// hold for every component.

inline constexpr float VectorEpsilon = 0.00001f;

namespace vector_detail
{
// The named components, in the order files store them.
template <typename T, int N> struct Components;
template <typename T> struct Components<T, 2>
{
    T x, y;
};
template <typename T> struct Components<T, 3>
{
    T x, y, z;
};
template <typename T> struct Components<T, 4>
{
    T x, y, z, w;
};

// Divisor that scales a vector of length `current` to `wanted`; 0 when the vector
// must stay as it is (too short to scale, or a target length of zero).
inline float LengthDivisor(float current, float wanted)
{
    float const divisor = current / wanted;
    if (!std::isfinite(divisor) || std::fabs(divisor) < VectorEpsilon) {
        return 0.0f;
    }
    return divisor;
}
} // namespace vector_detail

template <typename T, int N> class TVector : public vector_detail::Components<T, N>
{
    static constexpr bool IsReal = std::is_floating_point_v<T>;

public:
    TVector() = default;
    TVector(T nx, T ny) requires(N == 2) { Set(nx, ny); }
    TVector(T nx, T ny, T nz) requires(N == 3) { Set(nx, ny, nz); }
    TVector(T nx, T ny, T nz, T nw) requires(N == 4) { Set(nx, ny, nz, nw); }
    explicit TVector(T value) { Set(value); }
    explicit TVector(T const* values) { Set(values); }
    template <int M>
    requires(M != N) explicit TVector(TVector<T, M> const& v) { Set(v); }

    void Set(T nx, T ny) requires(N == 2)
    {
        this->x = nx;
        this->y = ny;
    }
    void Set(T nx, T ny, T nz) requires(N == 3)
    {
        this->x = nx;
        this->y = ny;
        this->z = nz;
    }
    void Set(T nx, T ny, T nz, T nw) requires(N == 4)
    {
        this->x = nx;
        this->y = ny;
        this->z = nz;
        this->w = nw;
    }
    void Set(T value)
    {
        for (int i = 0; i < N; ++i) {
            Get()[i] = value;
        }
    }
    void Set(T const* values) { CopyComponents(values, Get()); }
    // From a vector of another size: the shared components are copied, a missing
    // z becomes 0 and a missing w becomes 1 (a point).
    template <int M>
    requires(M != N) void Set(TVector<T, M> const& v)
    {
        for (int i = 0; i < N; ++i) {
            Get()[i] = i < M ? v[i] : (i == PointWeightIndex ? T(1) : T(0));
        }
    }
    void Set(unsigned int index, T value) requires(N > 2) { Get()[index] = value; }

    // An index outside the vector reads its last component.
    T Get(int index) const { return Get()[index >= 0 && index < N ? index : N - 1]; }
    T* Get() { return reinterpret_cast<T*>(this); }
    T const* Get() const { return reinterpret_cast<T const*>(this); }
    void Get(T* out) const { CopyComponents(Get(), out); }
    T& operator[](int index) { return Get()[index]; }
    T operator[](int index) const { return Get(index); }
    void Swap(TVector& other) { std::swap(*this, other); }

    TVector operator+(TVector const& v) const
    {
        return Zip(v, [](T a, T b) { return a + b; });
    }
    TVector operator-(TVector const& v) const
    {
        return Zip(v, [](T a, T b) { return a - b; });
    }
    TVector operator-() const
    {
        return Map([](T a) { return -a; });
    }
    TVector operator*(T f) const
    {
        return Map([f](T a) { return a * f; });
    }
    TVector operator/(T f) const
    {
        return Map([f](T a) { return a / f; });
    }
    T operator*(TVector const& v) const
    {
        T sum = Get()[0] * v.Get()[0];
        for (int i = 1; i < N; ++i) {
            sum += Get()[i] * v.Get()[i];
        }
        return sum;
    }
    TVector operator|(TVector const& v) const
    {
        return Zip(v, [](T a, T b) { return a * b; });
    }
    TVector operator/(TVector const& v) const
    {
        return Zip(v, [](T a, T b) { return a / b; });
    }
    TVector operator^(TVector const& v) const requires(N == 3)
    {
        return {this->y * v.z - this->z * v.y, this->z * v.x - this->x * v.z, this->x * v.y - this->y * v.x};
    }
    TVector& operator+=(TVector const& v) { return *this = *this + v; }
    TVector& operator-=(TVector const& v) { return *this = *this - v; }
    TVector& operator*=(T f) { return *this = *this * f; }
    TVector& operator/=(T f) { return *this = *this / f; }
    TVector& operator|=(TVector const& v) { return *this = *this | v; }
    TVector& operator/=(TVector const& v) { return *this = *this / v; }
    TVector& operator^=(TVector const& v) requires(N == 3) { return *this = *this ^ v; }
    friend TVector operator*(T f, TVector const& v) { return v * f; }

    bool operator==(TVector const& v) const
    {
        if constexpr (IsReal) {
            return All(v, [](T a, T b) { return std::fabs(a - b) < VectorEpsilon; });
        } else {
            return All(v, [](T a, T b) { return a == b; });
        }
    }
    bool operator!=(TVector const& v) const { return !(*this == v); }
    bool operator<(TVector const& v) const
    {
        return All(v, [](T a, T b) { return a < b; });
    }
    bool operator<=(TVector const& v) const
    {
        return All(v, [](T a, T b) { return a <= b; });
    }
    bool operator>(TVector const& v) const
    {
        return All(v, [](T a, T b) { return a > b; });
    }
    bool operator>=(TVector const& v) const
    {
        return All(v, [](T a, T b) { return a >= b; });
    }

    T GetLength() const requires IsReal { return std::sqrt(*this * *this); }
    void SetLength(T length) requires IsReal
    {
        if (T const f = vector_detail::LengthDivisor(GetLength(), length); f != T(0)) {
            *this /= f;
        }
    }
    void Normalize() requires IsReal { SetLength(T(1)); }
    TVector GetNormalized() const requires IsReal
    {
        TVector copy = *this;
        copy.Normalize();
        return copy;
    }

private:
    static constexpr int PointWeightIndex = 3;

    static void CopyComponents(T const* from, T* to)
    {
        for (int i = 0; i < N; ++i) {
            to[i] = from[i];
        }
    }
    template <typename Op> TVector Map(Op op) const
    {
        TVector result;
        for (int i = 0; i < N; ++i) {
            result.Get()[i] = op(Get()[i]);
        }
        return result;
    }
    template <typename Op> TVector Zip(TVector const& v, Op op) const
    {
        TVector result;
        for (int i = 0; i < N; ++i) {
            result.Get()[i] = op(Get()[i], v.Get()[i]);
        }
        return result;
    }
    template <typename Test> bool All(TVector const& v, Test test) const
    {
        for (int i = 0; i < N; ++i) {
            if (!test(Get()[i], v.Get()[i])) {
                return false;
            }
        }
        return true;
    }
};
