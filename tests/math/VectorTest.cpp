#include "MathExpect.h"

TEST(Vector, SetLengthScalesToTheWantedLength)
{
    CVector3 v(3.0f, 0.0f, 4.0f);
    v.SetLength(10.0f);
    ExpectNear(v, {6.0f, 0.0f, 8.0f});

    CVector4 w(1.0f, 1.0f, 1.0f, 1.0f);
    EXPECT_FLOAT_EQ(w.GetLength(), 2.0f);
    w.Normalize();
    ExpectNear(w, CVector4(0.5f));
}

TEST(Vector, SetLengthLeavesZeroAndUnscalableVectorsAlone)
{
    CVector3 zero(0.0f, 0.0f, 0.0f);
    zero.Normalize();
    EXPECT_EQ(zero.x, 0.0f);
    EXPECT_EQ(zero.y, 0.0f);
    EXPECT_EQ(zero.z, 0.0f);

    CVector3 v(1.0f, 2.0f, 3.0f);
    v.SetLength(0.0f);
    EXPECT_EQ(v.x, 1.0f);
    EXPECT_EQ(v.y, 2.0f);
    EXPECT_EQ(v.z, 3.0f);

    CVector2 tiny(1e-6f, 0.0f);
    tiny.Normalize();
    EXPECT_EQ(tiny.x, 1e-6f);

    CVector3 negative(0.0f, 2.0f, 0.0f);
    negative.SetLength(-1.0f);
    ExpectNear(negative, {0.0f, -1.0f, 0.0f});
}

TEST(Vector, GetNormalizedLeavesTheOriginal)
{
    CVector3 const v(0.0f, 5.0f, 0.0f);
    ExpectNear(v.GetNormalized(), {0.0f, 1.0f, 0.0f});
    EXPECT_EQ(v.y, 5.0f);
}

TEST(Vector, EqualityToleratesLessThanTheEpsilon)
{
    EXPECT_TRUE(CVector3(1, 2, 3) == CVector3(1.000009f, 2, 3));
    EXPECT_FALSE(CVector3(1, 2, 3) == CVector3(1.00001f, 2, 3));
    EXPECT_TRUE(CVector3(1, 2, 3) != CVector3(1, 2, 3.1f));
    EXPECT_TRUE(CVector4(0.0f) == CVector4(0, 0, 0, 0.000009f));
    EXPECT_FALSE(CVector2(0.0f) == CVector2(0.0f, -0.00002f));
    EXPECT_FALSE(vec3i(1, 2, 3) == vec3i(1, 2, 4));
}

TEST(Vector, RelationsHoldOnlyWhenEveryComponentAgrees)
{
    EXPECT_FALSE(CVector2(1, 1) < CVector2(2, 0));
    EXPECT_FALSE(CVector2(2, 0) < CVector2(1, 1));
    EXPECT_TRUE(CVector3(0, 0, 0) < CVector3(1, 1, 1));
    EXPECT_FALSE(CVector3(1, 0, 0) < CVector3(1, 1, 1));
    EXPECT_TRUE(CVector3(1, 0, 0) <= CVector3(1, 1, 1));
    EXPECT_TRUE(CVector4(2.0f) > CVector4(1.0f));
    EXPECT_FALSE(CVector4(2, 2, 2, 1) >= CVector4(1, 1, 1, 2));
    EXPECT_TRUE(vec2i(3, 3) >= vec2i(3, 2));
}

TEST(Vector, ProductsAndQuotients)
{
    CVector3 const a(1, 2, 3), b(4, 5, 6);
    EXPECT_FLOAT_EQ(a * b, 32.0f);
    ExpectNear(a ^ b, {-3.0f, 6.0f, -3.0f});
    ExpectNear(CVector3(1, 0, 0) ^ CVector3(0, 1, 0), {0, 0, 1});
    ExpectNear(a | b, {4, 10, 18});
    ExpectNear(b / a, {4.0f, 2.5f, 2.0f});
    ExpectNear(a * 2.0f, {2, 4, 6});
    ExpectNear(2.0f * a, {2, 4, 6});
    ExpectNear(b / 2.0f, {2.0f, 2.5f, 3.0f});
    ExpectNear(-a, {-1, -2, -3});

    CVector3 c = a;
    c ^= b;
    ExpectNear(c, a ^ b);
    c = a;
    c |= b;
    c /= b;
    c += a;
    c -= CVector3(1.0f);
    c *= 3.0f;
    ExpectNear(c, {3, 9, 15});

    EXPECT_EQ(vec3i(1, 0, 0) ^ vec3i(0, 1, 0), vec3i(0, 0, 1));
    EXPECT_EQ(vec2i(2, 3) * vec2i(4, 5), 23);
    EXPECT_EQ(vec2i(7, 9) / vec2i(2, 3), vec2i(3, 3));
    EXPECT_EQ(vec3i(1, 2, 3) | vec3i(2, 2, 2), vec3i(2, 4, 6));
}

TEST(Vector, ConversionsDropOrFillComponents)
{
    CVector4 const fromTwo(CVector2(1, 2));
    ExpectNear(fromTwo, {1, 2, 0, 1});
    CVector4 const fromThree(CVector3(1, 2, 3));
    ExpectNear(fromThree, {1, 2, 3, 1});
    CVector3 const fromTwo3(CVector2(1, 2));
    ExpectNear(fromTwo3, {1, 2, 0});
    CVector3 const fromFour(CVector4(1, 2, 3, 4));
    ExpectNear(fromFour, {1, 2, 3});
    CVector2 const fromFour2(CVector4(1, 2, 3, 4));
    EXPECT_TRUE(fromFour2 == CVector2(1, 2));

    EXPECT_EQ(vec3i(vec2i(5, 6)), vec3i(5, 6, 0));
    EXPECT_EQ(vec2i(vec3i(5, 6, 7)), vec2i(5, 6));

    CVector4 setter(9.0f);
    setter.Set(CVector2(1, 2));
    ExpectNear(setter, {1, 2, 0, 1});
    setter.Set(CVector3(3, 4, 5));
    ExpectNear(setter, {3, 4, 5, 1});
}

TEST(Vector, ComponentAccess)
{
    float const values[4] = {1, 2, 3, 4};
    CVector3 v(values);
    EXPECT_EQ(v.Get(2), 3.0f);
    // Indices outside the vector read the last component.
    EXPECT_EQ(v.Get(5), 3.0f);
    EXPECT_EQ(v.Get(-1), 3.0f);
    v.Set(1u, 7.0f);
    EXPECT_EQ(v.y, 7.0f);
    EXPECT_EQ(v.Get(), &v.x);
    EXPECT_EQ(v.Get()[2], 3.0f);

    float out[3] = {};
    v.Get(out);
    EXPECT_EQ(out[1], 7.0f);

    CVector3 other(0.0f);
    v.Swap(other);
    ExpectNear(v, CVector3(0.0f));
    ExpectNear(other, {1, 7, 3});

    CVector4 const w(values);
    EXPECT_EQ(w.Get(3), 4.0f);
    EXPECT_EQ(w[0], 1.0f);
}
