#include "MathExpect.h"

#include <cmath>

TEST(Quaternion, AxisAngleRotation)
{
    ExpectNear(CQuaternion::GetRotation(CVector3(0, 0, 0), 1.0f), {0, 0, 0, 1});
    ExpectNear(CQuaternion::GetRotation(CVector3(0, 0, 1e-6f), 1.0f), {0, 0, 0, 1});
    ExpectNear(CQuaternion::GetRotation(CVector3(0, 0, 4), 2.0f), {0, 0, std::sin(1.0f), std::cos(1.0f)});
    ExpectNear(CQuaternion(CVector3(2, 0, 0), 1.0f), CQuaternion::GetRotationX(1.0f));
    ExpectNear(CQuaternion::GetZero(), {0, 0, 0, 1});
}

TEST(Quaternion, MatrixMatchesTheAxisAngleMatrix)
{
    CVector3 const axis(1, -2, 0.5f);
    ExpectNear(CQuaternion::GetRotation(axis, 0.9f).GetMatrix(), CMatrix4x4::GetRotation(axis, 0.9f));
    ExpectNear(CQuaternion::GetRotationZ(HalfPi).GetMatrix() * CVector3(1, 0, 0), {0, 1, 0});
    // The matrix divides by the norm, so a scaled quaternion gives the same rotation.
    ExpectNear((CQuaternion::GetRotationY(0.4f) * 3.0f).GetMatrix(), CMatrix4x4::GetRotationY(0.4f));
}

TEST(Quaternion, ProductIsTheLeftRotationFollowedByTheRight)
{
    CQuaternion const p = CQuaternion::GetRotationX(HalfPi);
    CQuaternion const q = CQuaternion::GetRotationZ(HalfPi);
    // x about X, then about Z: (0,1,0) -> (0,0,1) -> (0,0,1); (0,0,1) -> (0,-1,0) -> (1,0,0).
    CMatrix4x4 const both = (p * q).GetMatrix();
    ExpectNear(both * CVector3(0, 0, 1), {1, 0, 0});
    ExpectNear(both, q.GetMatrix() * p.GetMatrix());

    CQuaternion r = p;
    r.RotateZ(HalfPi);
    ExpectNear(r, p * q);
    r = p;
    r *= q;
    ExpectNear(r, p * q);
}

TEST(Quaternion, InverseAndConjugate)
{
    CQuaternion const q = CQuaternion::GetRotation({1, 2, 3}, 0.7f) * 2.0f;
    EXPECT_NEAR(q.GetNorm(), 4.0f, 1e-5f);
    EXPECT_NEAR(q.GetLength(), 2.0f, 1e-5f);
    ExpectNear(q.GetConjugated(), {-q.x, -q.y, -q.z, q.w});
    ExpectNear(q * q.GetInversed(), {0, 0, 0, 1});
}

TEST(Quaternion, SlerpBlendsAlongTheArc)
{
    CQuaternion const a = CQuaternion::GetZero();
    CQuaternion const b = CQuaternion::GetRotationZ(HalfPi);
    ExpectNear(CQuaternion::GetSlerp(a, b, 0.0f), a);
    ExpectNear(CQuaternion::GetSlerp(a, b, 1.0f), b);
    ExpectNear(CQuaternion::GetSlerp(a, b, 0.5f), CQuaternion::GetRotationZ(HalfPi / 2));
    // A negated end point is the same rotation and takes the same (shorter) path.
    ExpectNear(CQuaternion::GetSlerp(a, b * -1.0f, 0.25f), CQuaternion::GetSlerp(a, b, 0.25f));
}

TEST(Quaternion, SlerpOfOppositeQuaternionsStaysOnTheFirst)
{
    CQuaternion const a = CQuaternion::GetRotation({1, 1, 0}, 0.6f);
    for (float t : {0.0f, 0.3f, 0.5f, 1.0f}) {
        ExpectNear(CQuaternion::GetSlerp(a, a * -1.0f, t), a);
    }
}

TEST(Quaternion, SlerpOfNearlyIdenticalQuaternionsIsLinearAndFinite)
{
    CQuaternion const a = CQuaternion::GetRotationY(0.5f);
    CQuaternion const b = CQuaternion::GetRotationY(0.5f + 1e-4f);
    CQuaternion const blend = CQuaternion::GetSlerp(a, b, 0.5f);
    EXPECT_TRUE(std::isfinite(blend.x) && std::isfinite(blend.y) && std::isfinite(blend.w));
    EXPECT_NEAR(blend.y, (a.y + b.y) * 0.5f, 1e-6f);
    EXPECT_NEAR(blend.w, (a.w + b.w) * 0.5f, 1e-6f);
    ExpectNear(CQuaternion::GetSlerp(a, a, 0.7f), a);
}

TEST(Quaternion, FromRotationMatrix)
{
    struct Case
    {
        CVector3 axis;
        float angle;
    };
    for (Case const& c :
         {Case{{0, 0, 1}, 0.3f}, Case{{1, 0, 0}, 3.14159265f}, Case{{0, 1, 0}, 3.14159265f},
          Case{{0, 0, 1}, 3.14159265f}, Case{{1, 2, 3}, 2.5f}, Case{{-1, 0.5f, 0.2f}, -2.9f}}) {
        CMatrix4x4 const m = CMatrix4x4::GetRotation(c.axis, c.angle);
        CQuaternion const q(m);
        EXPECT_NEAR(q.GetLength(), 1.0f, 1e-5f);
        ExpectNear(q.GetMatrix(), m, 1e-5f);
    }
}
