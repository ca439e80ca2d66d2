#include "MathExpect.h"
#include "platform/gl/D3DMatrix.h"

TEST(Matrix, StorageIsRowMajorWithTranslationInTheLastColumn)
{
    CMatrix4x4 const t = CMatrix4x4::GetTranslation({1, 2, 3});
    EXPECT_EQ(t[3], 1.0f);
    EXPECT_EQ(t[7], 2.0f);
    EXPECT_EQ(t[11], 3.0f);
    EXPECT_EQ(t[12], 0.0f);
    EXPECT_EQ(t.Get(1, 3), 2.0f);
    ExpectNear(t * CVector3(1, 1, 1), {2, 3, 4});

    CMatrix4x4 const s = CMatrix4x4::GetScale({2, 3, 4});
    ExpectNear(s * CVector3(1, 1, 1), {2, 3, 4});
    EXPECT_EQ(s[15], 1.0f);
}

TEST(Matrix, AxisRotationsTurnCounterClockwiseOnColumnVectors)
{
    ExpectNear(CMatrix4x4::GetRotationZ(HalfPi) * CVector3(1, 0, 0), {0, 1, 0});
    ExpectNear(CMatrix4x4::GetRotationX(HalfPi) * CVector3(0, 1, 0), {0, 0, 1});
    ExpectNear(CMatrix4x4::GetRotationY(HalfPi) * CVector3(0, 0, 1), {1, 0, 0});
    CMatrix4x4 const z = CMatrix4x4::GetRotationZ(0.3f);
    EXPECT_FLOAT_EQ(z[1], -std::sin(0.3f));
    EXPECT_FLOAT_EQ(z[4], std::sin(0.3f));
}

TEST(Matrix, AxisAngleRotationNormalisesTheAxis)
{
    ExpectNear(CMatrix4x4::GetRotation({0, 0, 5}, 0.7f), CMatrix4x4::GetRotationZ(0.7f));
    ExpectNear(CMatrix4x4::GetRotation({3, 0, 0}, -1.1f), CMatrix4x4::GetRotationX(-1.1f));
    ExpectNear(CMatrix4x4::GetRotation({0, 2, 0}, 2.0f), CMatrix4x4::GetRotationY(2.0f));
    // A turn of 120° about the diagonal cycles the axes.
    CMatrix4x4 const cycle = CMatrix4x4::GetRotation({1, 1, 1}, 2.0943951f);
    ExpectNear(cycle * CVector3(1, 0, 0), {0, 1, 0});
}

TEST(Matrix, ProductAppliesTheRightOperandFirst)
{
    CMatrix4x4 const t = CMatrix4x4::GetTranslation({10, 0, 0});
    CMatrix4x4 const r = CMatrix4x4::GetRotationZ(HalfPi);
    ExpectNear((t * r) * CVector3(1, 0, 0), {10, 1, 0});
    ExpectNear((r * t) * CVector3(1, 0, 0), {0, 11, 0});

    CMatrix4x4 built = t;
    built.RotateZ(HalfPi);
    ExpectNear(built, t * r);
    built = CMatrix4x4::GetIdentity();
    built.Translate({10, 0, 0});
    built.Scale({2, 2, 2});
    ExpectNear(built * CVector3(1, 1, 1), {12, 2, 2});

    CMatrix4x4 compound = r;
    compound *= t;
    ExpectNear(compound, r * t);
}

TEST(Matrix, VectorAndRayTransforms)
{
    float elements[16];
    for (int i = 0; i < 16; ++i) {
        elements[i] = static_cast<float>(i + 1);
    }
    CMatrix4x4 const m(elements);
    // Points ignore the last row: no division by w.
    ExpectNear(m * CVector3(1, 0, 0), {1 + 4, 5 + 8, 9 + 12});
    ExpectNear(m * CVector4(1, 0, 0, 1), {5, 13, 21, 29});

    CMatrix4x4 const transform = CMatrix4x4::GetTranslation({5, 0, 0}) * CMatrix4x4::GetScale({2, 2, 2});
    CRay const moved = transform * CRay({1, 0, 0}, {0, 3, 0});
    ExpectNear(moved.GetOrigin(), {7, 0, 0});
    ExpectNear(moved.GetVector(), {0, 6, 0});

    ExpectNear(m * 2.0f * CVector4(0, 0, 0, 1), {8, 16, 24, 32});
}

TEST(Matrix, InverseUndoesGeneralMatrices)
{
    CMatrix4x4 affine = CMatrix4x4::GetTranslation({3, -2, 7});
    affine.Rotate({1, 2, 3}, 0.8f);
    affine.Scale({2, 0.5f, 3});
    CMatrix4x4 inverse = affine;
    inverse.Invert();
    ExpectNear(affine * inverse, CMatrix4x4::GetIdentity());
    ExpectNear(inverse * (affine * CVector3(1, 2, 3)), {1, 2, 3}, 1e-4f);

    // A perspective-like matrix with a non-trivial last row.
    float const elements[16] = {1.5f, 0, 0.2f, 0, 0, 2, 0.1f, 0, 0, 0, -1.002f, -0.2f, 0, 0, -1, 0};
    CMatrix4x4 const projection(elements);
    CMatrix4x4 projectionInverse = projection;
    projectionInverse.Invert();
    ExpectNear(projectionInverse * projection, CMatrix4x4::GetIdentity(), 1e-4f);
}

TEST(Matrix, TransposeAndSwap)
{
    CMatrix4x4 m = CMatrix4x4::GetTranslation({1, 2, 3});
    m.Transpose();
    EXPECT_EQ(m[12], 1.0f);
    EXPECT_EQ(m[13], 2.0f);
    EXPECT_EQ(m[14], 3.0f);
    EXPECT_EQ(m[3], 0.0f);
    m.MatrixSwap(3, 0);
    EXPECT_EQ(m[3], 1.0f);
    EXPECT_EQ(m[12], 0.0f);
}

TEST(Matrix, PlaneProjectionAndReflection)
{
    CPlane const plane(CVector3(0, 0, 1), CVector3(0, 0, 2)); // z = 2
    CMatrix4x4 const projection = CMatrix4x4::GetProjection(plane);
    ExpectNear(projection * CVector3(1, 2, 9), {1, 2, 2});
    CMatrix4x4 const reflection = CMatrix4x4::GetReflection(plane);
    ExpectNear(reflection * CVector3(1, 2, 5), {1, 2, -1});
    ExpectNear(reflection * reflection, CMatrix4x4::GetIdentity());

    CPlane const slanted(CVector3(1, 1, 0), CVector3(1, 0, 0));
    CVector3 const onPlane = CMatrix4x4::GetProjection(slanted) * CVector3(4, 5, 6);
    EXPECT_NEAR(slanted.GetDistance(onPlane), 0.0f, Tolerance);
    EXPECT_EQ(CMatrix4x4::GetProjection(slanted)[15], 1.0f);
}

TEST(Matrix, DeviceCopyKeepsStorageOrder)
{
    CMatrix4x4 const t = CMatrix4x4::GetTranslation({1, 2, 3});
    D3DMATRIX device;
    t.ConvertToMatrixD3D(&device);
    EXPECT_EQ(device._14, 1.0f);
    EXPECT_EQ(device._24, 2.0f);
    EXPECT_EQ(device._34, 3.0f);
    EXPECT_EQ(device._41, 0.0f);
    EXPECT_EQ(device.m[0][3], 1.0f);
    EXPECT_EQ(device._44, 1.0f);
}

TEST(Matrix, ZeroAndIdentity)
{
    CMatrix4x4 m = CMatrix4x4::GetIdentity();
    m.SetZero();
    ExpectNear(m * CVector4(1, 2, 3, 4), CVector4(0.0f));
    m.SetIdentity();
    ExpectNear(m * CVector4(1, 2, 3, 4), {1, 2, 3, 4});
}
