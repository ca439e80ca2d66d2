#pragma once

#include <cmath>
#include <utility>

// Small value vectors. Default construction leaves the components unset.
// Comparisons: == tolerates differences below VectorEpsilon per component;
// <, <=, >, >= hold only when they hold for every component.

inline constexpr float VectorEpsilon = 0.00001f;

class CVector3;
class CVector4;
class vec3i;

class CVector2
{
public:
    float x, y;

    CVector2() = default;
    CVector2(float nx, float ny) : x(nx), y(ny) {}
    explicit CVector2(float value) : x(value), y(value) {}
    explicit CVector2(float const* values) : x(values[0]), y(values[1]) {}
    explicit CVector2(CVector3 const& v);
    explicit CVector2(CVector4 const& v);

    void Set(float nx, float ny)
    {
        x = nx;
        y = ny;
    }
    void Set(float value) { Set(value, value); }
    void Set(float const* values) { Set(values[0], values[1]); }
    void Set(CVector3 const& v);
    void Set(CVector4 const& v);

    float Get(int index) const { return index == 0 ? x : y; }
    float* Get() { return reinterpret_cast<float*>(this); }
    float const* Get() const { return reinterpret_cast<float const*>(this); }
    void Get(float* out) const
    {
        out[0] = x;
        out[1] = y;
    }
    float& operator[](int index) { return Get()[index]; }
    float operator[](int index) const { return Get(index); }
    void Swap(CVector2& other) { std::swap(*this, other); }

    CVector2 operator+(CVector2 const& v) const { return {x + v.x, y + v.y}; }
    CVector2 operator-(CVector2 const& v) const { return {x - v.x, y - v.y}; }
    CVector2 operator-() const { return {-x, -y}; }
    CVector2 operator*(float f) const { return {x * f, y * f}; }
    CVector2 operator/(float f) const { return {x / f, y / f}; }
    float operator*(CVector2 const& v) const { return x * v.x + y * v.y; }
    CVector2 operator|(CVector2 const& v) const { return {x * v.x, y * v.y}; }
    CVector2 operator/(CVector2 const& v) const { return {x / v.x, y / v.y}; }
    CVector2& operator+=(CVector2 const& v) { return *this = *this + v; }
    CVector2& operator-=(CVector2 const& v) { return *this = *this - v; }
    CVector2& operator*=(float f) { return *this = *this * f; }
    CVector2& operator/=(float f) { return *this = *this / f; }
    CVector2& operator|=(CVector2 const& v) { return *this = *this | v; }
    CVector2& operator/=(CVector2 const& v) { return *this = *this / v; }

    bool operator==(CVector2 const& v) const
    {
        return std::fabs(x - v.x) < VectorEpsilon && std::fabs(y - v.y) < VectorEpsilon;
    }
    bool operator!=(CVector2 const& v) const { return !(*this == v); }
    bool operator<(CVector2 const& v) const { return x < v.x && y < v.y; }
    bool operator<=(CVector2 const& v) const { return x <= v.x && y <= v.y; }
    bool operator>(CVector2 const& v) const { return x > v.x && y > v.y; }
    bool operator>=(CVector2 const& v) const { return x >= v.x && y >= v.y; }

    float GetLength() const { return std::sqrt(x * x + y * y); }
    void SetLength(float length);
    void Normalize() { SetLength(1.0f); }
    CVector2 GetNormalized() const
    {
        CVector2 copy = *this;
        copy.Normalize();
        return copy;
    }
};

class CVector3
{
public:
    float x, y, z;

    CVector3() = default;
    CVector3(float nx, float ny, float nz) : x(nx), y(ny), z(nz) {}
    explicit CVector3(float value) : x(value), y(value), z(value) {}
    explicit CVector3(float const* values) : x(values[0]), y(values[1]), z(values[2]) {}
    explicit CVector3(CVector2 const& v) : x(v.x), y(v.y), z(0.0f) {}
    explicit CVector3(CVector4 const& v);

    void Set(float nx, float ny, float nz)
    {
        x = nx;
        y = ny;
        z = nz;
    }
    void Set(float value) { Set(value, value, value); }
    void Set(float const* values) { Set(values[0], values[1], values[2]); }
    void Set(CVector2 const& v) { Set(v.x, v.y, 0.0f); }
    void Set(CVector4 const& v);
    void Set(unsigned int index, float value) { Get()[index] = value; }

    float Get(int index) const { return index == 0 ? x : index == 1 ? y : z; }
    float* Get() { return reinterpret_cast<float*>(this); }
    float const* Get() const { return reinterpret_cast<float const*>(this); }
    void Get(float* out) const
    {
        out[0] = x;
        out[1] = y;
        out[2] = z;
    }
    float& operator[](int index) { return Get()[index]; }
    float operator[](int index) const { return Get(index); }
    void Swap(CVector3& other) { std::swap(*this, other); }

    CVector3 operator+(CVector3 const& v) const { return {x + v.x, y + v.y, z + v.z}; }
    CVector3 operator-(CVector3 const& v) const { return {x - v.x, y - v.y, z - v.z}; }
    CVector3 operator-() const { return {-x, -y, -z}; }
    CVector3 operator*(float f) const { return {x * f, y * f, z * f}; }
    CVector3 operator/(float f) const { return {x / f, y / f, z / f}; }
    float operator*(CVector3 const& v) const { return x * v.x + y * v.y + z * v.z; }
    CVector3 operator|(CVector3 const& v) const { return {x * v.x, y * v.y, z * v.z}; }
    CVector3 operator/(CVector3 const& v) const { return {x / v.x, y / v.y, z / v.z}; }
    CVector3 operator^(CVector3 const& v) const
    {
        return {y * v.z - z * v.y, z * v.x - x * v.z, x * v.y - y * v.x};
    }
    CVector3& operator+=(CVector3 const& v) { return *this = *this + v; }
    CVector3& operator-=(CVector3 const& v) { return *this = *this - v; }
    CVector3& operator*=(float f) { return *this = *this * f; }
    CVector3& operator/=(float f) { return *this = *this / f; }
    CVector3& operator|=(CVector3 const& v) { return *this = *this | v; }
    CVector3& operator/=(CVector3 const& v) { return *this = *this / v; }
    CVector3& operator^=(CVector3 const& v) { return *this = *this ^ v; }

    bool operator==(CVector3 const& v) const
    {
        return std::fabs(x - v.x) < VectorEpsilon && std::fabs(y - v.y) < VectorEpsilon &&
               std::fabs(z - v.z) < VectorEpsilon;
    }
    bool operator!=(CVector3 const& v) const { return !(*this == v); }
    bool operator<(CVector3 const& v) const { return x < v.x && y < v.y && z < v.z; }
    bool operator<=(CVector3 const& v) const { return x <= v.x && y <= v.y && z <= v.z; }
    bool operator>(CVector3 const& v) const { return x > v.x && y > v.y && z > v.z; }
    bool operator>=(CVector3 const& v) const { return x >= v.x && y >= v.y && z >= v.z; }

    float GetLength() const { return std::sqrt(x * x + y * y + z * z); }
    void SetLength(float length);
    void Normalize() { SetLength(1.0f); }
    CVector3 GetNormalized() const
    {
        CVector3 copy = *this;
        copy.Normalize();
        return copy;
    }
};

class CVector4
{
public:
    float x, y, z, w;

    CVector4() = default;
    CVector4(float nx, float ny, float nz, float nw) : x(nx), y(ny), z(nz), w(nw) {}
    explicit CVector4(float value) : x(value), y(value), z(value), w(value) {}
    explicit CVector4(float const* values) : x(values[0]), y(values[1]), z(values[2]), w(values[3]) {}
    explicit CVector4(CVector2 const& v) : x(v.x), y(v.y), z(0.0f), w(1.0f) {}
    explicit CVector4(CVector3 const& v) : x(v.x), y(v.y), z(v.z), w(1.0f) {}

    void Set(float nx, float ny, float nz, float nw)
    {
        x = nx;
        y = ny;
        z = nz;
        w = nw;
    }
    void Set(float value) { Set(value, value, value, value); }
    void Set(float const* values) { Set(values[0], values[1], values[2], values[3]); }
    void Set(CVector2 const& v) { Set(v.x, v.y, 0.0f, 1.0f); }
    void Set(CVector3 const& v) { Set(v.x, v.y, v.z, 1.0f); }
    void Set(unsigned int index, float value) { Get()[index] = value; }

    float Get(int index) const { return index == 0 ? x : index == 1 ? y : index == 2 ? z : w; }
    float* Get() { return reinterpret_cast<float*>(this); }
    float const* Get() const { return reinterpret_cast<float const*>(this); }
    void Get(float* out) const
    {
        out[0] = x;
        out[1] = y;
        out[2] = z;
        out[3] = w;
    }
    float& operator[](int index) { return Get()[index]; }
    float operator[](int index) const { return Get(index); }
    void Swap(CVector4& other) { std::swap(*this, other); }

    CVector4 operator+(CVector4 const& v) const { return {x + v.x, y + v.y, z + v.z, w + v.w}; }
    CVector4 operator-(CVector4 const& v) const { return {x - v.x, y - v.y, z - v.z, w - v.w}; }
    CVector4 operator-() const { return {-x, -y, -z, -w}; }
    CVector4 operator*(float f) const { return {x * f, y * f, z * f, w * f}; }
    CVector4 operator/(float f) const { return {x / f, y / f, z / f, w / f}; }
    float operator*(CVector4 const& v) const { return x * v.x + y * v.y + z * v.z + w * v.w; }
    CVector4 operator|(CVector4 const& v) const { return {x * v.x, y * v.y, z * v.z, w * v.w}; }
    CVector4 operator/(CVector4 const& v) const { return {x / v.x, y / v.y, z / v.z, w / v.w}; }
    CVector4& operator+=(CVector4 const& v) { return *this = *this + v; }
    CVector4& operator-=(CVector4 const& v) { return *this = *this - v; }
    CVector4& operator*=(float f) { return *this = *this * f; }
    CVector4& operator/=(float f) { return *this = *this / f; }
    CVector4& operator|=(CVector4 const& v) { return *this = *this | v; }
    CVector4& operator/=(CVector4 const& v) { return *this = *this / v; }

    bool operator==(CVector4 const& v) const
    {
        return std::fabs(x - v.x) < VectorEpsilon && std::fabs(y - v.y) < VectorEpsilon &&
               std::fabs(z - v.z) < VectorEpsilon && std::fabs(w - v.w) < VectorEpsilon;
    }
    bool operator!=(CVector4 const& v) const { return !(*this == v); }
    bool operator<(CVector4 const& v) const { return x < v.x && y < v.y && z < v.z && w < v.w; }
    bool operator<=(CVector4 const& v) const { return x <= v.x && y <= v.y && z <= v.z && w <= v.w; }
    bool operator>(CVector4 const& v) const { return x > v.x && y > v.y && z > v.z && w > v.w; }
    bool operator>=(CVector4 const& v) const { return x >= v.x && y >= v.y && z >= v.z && w >= v.w; }

    float GetLength() const { return std::sqrt(x * x + y * y + z * z + w * w); }
    void SetLength(float length);
    void Normalize() { SetLength(1.0f); }
    CVector4 GetNormalized() const
    {
        CVector4 copy = *this;
        copy.Normalize();
        return copy;
    }
};

class vec2i
{
public:
    int x, y;

    vec2i() = default;
    vec2i(int nx, int ny) : x(nx), y(ny) {}
    explicit vec2i(int value) : x(value), y(value) {}
    explicit vec2i(int const* values) : x(values[0]), y(values[1]) {}
    explicit vec2i(vec3i const& v);

    void Set(int nx, int ny)
    {
        x = nx;
        y = ny;
    }
    void Set(int value) { Set(value, value); }
    void Set(int const* values) { Set(values[0], values[1]); }
    void Set(vec3i const& v);

    int Get(int index) const { return index == 0 ? x : y; }
    int* Get() { return reinterpret_cast<int*>(this); }
    int const* Get() const { return reinterpret_cast<int const*>(this); }
    void Get(int* out) const
    {
        out[0] = x;
        out[1] = y;
    }
    int& operator[](int index) { return Get()[index]; }
    int operator[](int index) const { return Get(index); }
    void Swap(vec2i& other) { std::swap(*this, other); }

    vec2i operator+(vec2i const& v) const { return {x + v.x, y + v.y}; }
    vec2i operator-(vec2i const& v) const { return {x - v.x, y - v.y}; }
    vec2i operator-() const { return {-x, -y}; }
    vec2i operator*(int f) const { return {x * f, y * f}; }
    vec2i operator/(int f) const { return {x / f, y / f}; }
    int operator*(vec2i const& v) const { return x * v.x + y * v.y; }
    vec2i operator|(vec2i const& v) const { return {x * v.x, y * v.y}; }
    vec2i operator/(vec2i const& v) const { return {x / v.x, y / v.y}; }
    vec2i& operator+=(vec2i const& v) { return *this = *this + v; }
    vec2i& operator-=(vec2i const& v) { return *this = *this - v; }
    vec2i& operator*=(int f) { return *this = *this * f; }
    vec2i& operator/=(int f) { return *this = *this / f; }
    vec2i& operator|=(vec2i const& v) { return *this = *this | v; }
    vec2i& operator/=(vec2i const& v) { return *this = *this / v; }

    bool operator==(vec2i const& v) const { return x == v.x && y == v.y; }
    bool operator!=(vec2i const& v) const { return !(*this == v); }
    bool operator<(vec2i const& v) const { return x < v.x && y < v.y; }
    bool operator<=(vec2i const& v) const { return x <= v.x && y <= v.y; }
    bool operator>(vec2i const& v) const { return x > v.x && y > v.y; }
    bool operator>=(vec2i const& v) const { return x >= v.x && y >= v.y; }
};

class vec3i
{
public:
    int x, y, z;

    vec3i() = default;
    vec3i(int nx, int ny, int nz) : x(nx), y(ny), z(nz) {}
    explicit vec3i(int value) : x(value), y(value), z(value) {}
    explicit vec3i(int const* values) : x(values[0]), y(values[1]), z(values[2]) {}
    explicit vec3i(vec2i const& v) : x(v.x), y(v.y), z(0) {}

    void Set(int nx, int ny, int nz)
    {
        x = nx;
        y = ny;
        z = nz;
    }
    void Set(int value) { Set(value, value, value); }
    void Set(int const* values) { Set(values[0], values[1], values[2]); }
    void Set(vec2i const& v) { Set(v.x, v.y, 0); }
    void Set(unsigned int index, int value) { Get()[index] = value; }

    int Get(int index) const { return index == 0 ? x : index == 1 ? y : z; }
    int* Get() { return reinterpret_cast<int*>(this); }
    int const* Get() const { return reinterpret_cast<int const*>(this); }
    void Get(int* out) const
    {
        out[0] = x;
        out[1] = y;
        out[2] = z;
    }
    int& operator[](int index) { return Get()[index]; }
    int operator[](int index) const { return Get(index); }
    void Swap(vec3i& other) { std::swap(*this, other); }

    vec3i operator+(vec3i const& v) const { return {x + v.x, y + v.y, z + v.z}; }
    vec3i operator-(vec3i const& v) const { return {x - v.x, y - v.y, z - v.z}; }
    vec3i operator-() const { return {-x, -y, -z}; }
    vec3i operator*(int f) const { return {x * f, y * f, z * f}; }
    vec3i operator/(int f) const { return {x / f, y / f, z / f}; }
    int operator*(vec3i const& v) const { return x * v.x + y * v.y + z * v.z; }
    vec3i operator|(vec3i const& v) const { return {x * v.x, y * v.y, z * v.z}; }
    vec3i operator/(vec3i const& v) const { return {x / v.x, y / v.y, z / v.z}; }
    vec3i operator^(vec3i const& v) const
    {
        return {y * v.z - z * v.y, z * v.x - x * v.z, x * v.y - y * v.x};
    }
    vec3i& operator+=(vec3i const& v) { return *this = *this + v; }
    vec3i& operator-=(vec3i const& v) { return *this = *this - v; }
    vec3i& operator*=(int f) { return *this = *this * f; }
    vec3i& operator/=(int f) { return *this = *this / f; }
    vec3i& operator|=(vec3i const& v) { return *this = *this | v; }
    vec3i& operator/=(vec3i const& v) { return *this = *this / v; }
    vec3i& operator^=(vec3i const& v) { return *this = *this ^ v; }

    bool operator==(vec3i const& v) const { return x == v.x && y == v.y && z == v.z; }
    bool operator!=(vec3i const& v) const { return !(*this == v); }
    bool operator<(vec3i const& v) const { return x < v.x && y < v.y && z < v.z; }
    bool operator<=(vec3i const& v) const { return x <= v.x && y <= v.y && z <= v.z; }
    bool operator>(vec3i const& v) const { return x > v.x && y > v.y && z > v.z; }
    bool operator>=(vec3i const& v) const { return x >= v.x && y >= v.y && z >= v.z; }
};

inline CVector2::CVector2(CVector3 const& v) : x(v.x), y(v.y)
{}
inline CVector2::CVector2(CVector4 const& v) : x(v.x), y(v.y)
{}
inline void CVector2::Set(CVector3 const& v)
{
    Set(v.x, v.y);
}
inline void CVector2::Set(CVector4 const& v)
{
    Set(v.x, v.y);
}
inline CVector3::CVector3(CVector4 const& v) : x(v.x), y(v.y), z(v.z)
{}
inline void CVector3::Set(CVector4 const& v)
{
    Set(v.x, v.y, v.z);
}
inline vec2i::vec2i(vec3i const& v) : x(v.x), y(v.y)
{}
inline void vec2i::Set(vec3i const& v)
{
    Set(v.x, v.y);
}

namespace vector_detail
{
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

inline void CVector2::SetLength(float length)
{
    if (float const f = vector_detail::LengthDivisor(GetLength(), length); f != 0.0f) {
        *this /= f;
    }
}
inline void CVector3::SetLength(float length)
{
    if (float const f = vector_detail::LengthDivisor(GetLength(), length); f != 0.0f) {
        *this /= f;
    }
}
inline void CVector4::SetLength(float length)
{
    if (float const f = vector_detail::LengthDivisor(GetLength(), length); f != 0.0f) {
        *this /= f;
    }
}

inline CVector2 operator*(float f, CVector2 const& v)
{
    return v * f;
}
inline CVector3 operator*(float f, CVector3 const& v)
{
    return v * f;
}
inline CVector4 operator*(float f, CVector4 const& v)
{
    return v * f;
}
inline vec2i operator*(int f, vec2i const& v)
{
    return v * f;
}
inline vec3i operator*(int f, vec3i const& v)
{
    return v * f;
}
