#include "math/MathTypes.h"
#include "platform/gl/D3DMatrix.h"

#include <cstring>
#include <gtest/gtest.h>
#include <type_traits>

TEST(MathLayout, ValueTypesAreTriviallyCopyableAndPacked)
{
    EXPECT_TRUE(std::is_trivially_copyable_v<CVector3>);
    EXPECT_TRUE(std::is_trivially_copyable_v<CMatrix4x4>);
    EXPECT_TRUE(std::is_trivially_copyable_v<CQuaternion>);
    EXPECT_EQ(sizeof(CVector2), 2 * sizeof(float));
    EXPECT_EQ(sizeof(CVector3), 3 * sizeof(float));
    EXPECT_EQ(sizeof(CVector4), 4 * sizeof(float));
    EXPECT_EQ(sizeof(vec3i), 3 * sizeof(int));
    EXPECT_EQ(sizeof(CMatrix4x4), 16 * sizeof(float));
    EXPECT_EQ(sizeof(CQuaternion), 4 * sizeof(float));
    EXPECT_EQ(sizeof(D3DMATRIX), 16 * sizeof(float));
}

TEST(MathLayout, VectorComponentsLieInFileOrder)
{
    float stored[4] = {};
    CVector4 const v(1.0f, 2.0f, 3.0f, 4.0f);
    std::memcpy(stored, &v, sizeof v);
    EXPECT_EQ(stored[0], 1.0f);
    EXPECT_EQ(stored[1], 2.0f);
    EXPECT_EQ(stored[2], 3.0f);
    EXPECT_EQ(stored[3], 4.0f);
    int indices[3] = {};
    vec3i const cell(7, 8, 9);
    std::memcpy(indices, &cell, sizeof cell);
    EXPECT_EQ(indices[2], 9);
}
