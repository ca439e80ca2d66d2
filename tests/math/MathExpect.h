#pragma once

#include "math/MathTypes.h"

#include <gtest/gtest.h>

inline constexpr float Tolerance = 1e-5f;
inline constexpr float HalfPi = 1.57079632679f;

inline void ExpectNear(CVector3 const& actual, CVector3 const& expected, float tolerance = Tolerance)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

inline void ExpectNear(CVector4 const& actual, CVector4 const& expected, float tolerance = Tolerance)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
    EXPECT_NEAR(actual.w, expected.w, tolerance);
}

inline void ExpectNear(CQuaternion const& actual, CQuaternion const& expected, float tolerance = Tolerance)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
    EXPECT_NEAR(actual.w, expected.w, tolerance);
}

inline void ExpectNear(CMatrix4x4 const& actual, CMatrix4x4 const& expected, float tolerance = Tolerance)
{
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(actual[i], expected[i], tolerance) << "element " << i;
    }
}
