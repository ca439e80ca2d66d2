#pragma once

// Names of the small value vectors, for headers that only pass them around.

template <typename T, int N> class TVector;

using CVector2 = TVector<float, 2>;
using CVector3 = TVector<float, 3>;
using CVector4 = TVector<float, 4>;
using vec2i = TVector<int, 2>;
using vec3i = TVector<int, 3>;
