#include "math/MathTypes.h"
#include "platform/gl/D3DMatrix.h"

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
