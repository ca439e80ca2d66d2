#include "MathExpect.h"

TEST(Plane, SettersNormalise)
{
    CPlane const scaled(0, 0, 2, 4);
    ExpectNear(scaled.GetNormal(), {0, 0, 1});
    EXPECT_FLOAT_EQ(scaled.GetD(), 2.0f);

    CPlane const fromPoint(CVector3(0, 3, 0), CVector3(5, 2, 7));
    ExpectNear(fromPoint.GetNormal(), {0, 1, 0});
    EXPECT_FLOAT_EQ(fromPoint.GetD(), -2.0f);

    CPlane const fromPoints(CVector3(0, 0, 1), CVector3(1, 0, 1), CVector3(0, 1, 1));
    ExpectNear(fromPoints.GetNormal(), {0, 0, 1});
    EXPECT_FLOAT_EQ(fromPoints.GetD(), -1.0f);

    CVector3 const points[3] = {{0, 0, 1}, {0, 1, 1}, {1, 0, 1}};
    CPlane const reversed(points);
    ExpectNear(reversed.GetNormal(), {0, 0, -1});
    EXPECT_FLOAT_EQ(reversed.GetD(), 1.0f);
}

TEST(Plane, DegeneratePointsKeepAZeroNormal)
{
    CVector3 const p(1, 2, 3);
    CPlane const plane(p, p, p);
    ExpectNear(plane.GetNormal(), CVector3(0.0f));
    EXPECT_EQ(plane.GetD(), 0.0f);
    EXPECT_EQ(plane.GetA(), 0.0f);
}

TEST(Plane, DistanceAndProjection)
{
    CPlane const plane(CVector3(0, 0, 1), CVector3(0, 0, 2));
    EXPECT_FLOAT_EQ(plane.GetDistance({4, 4, 5}), 3.0f);
    EXPECT_FLOAT_EQ(plane.GetDistance({4, 4, -1}), -3.0f);
    ExpectNear(plane.GetProjectedPoint({4, 5, -1}), {4, 5, 2});
}

TEST(Plane, RayIntersection)
{
    CPlane const plane(CVector3(0, 0, 1), CVector3(0, 0, 2));
    float t = -7.0f;
    EXPECT_TRUE(plane.GetRayIntersection(CRay({1, 1, 0}, {0, 0, 4}), &t));
    EXPECT_FLOAT_EQ(t, 0.5f);

    t = -7.0f;
    EXPECT_FALSE(plane.GetRayIntersection(CRay({1, 1, 0}, {1, 0, 0}), &t));
    EXPECT_EQ(t, -7.0f);

    // Behind the origin: t is written but the ray does not hit.
    EXPECT_FALSE(plane.GetRayIntersection(CRay({0, 0, 3}, {0, 0, 1}), &t));
    EXPECT_FLOAT_EQ(t, -1.0f);
    EXPECT_FALSE(plane.GetRayIntersection(CRay({0, 0, 2}, {0, 0, 1}), &t));
}

TEST(Ray, EndLengthAndNormalisation)
{
    CRay ray({1, 0, 0}, {0, 3, 4});
    ExpectNear(ray.GetEnd(2.0f), {1, 6, 8});
    EXPECT_FLOAT_EQ(ray.GetLength(), 5.0f);
    CRay const unit = ray.GetNormalized();
    EXPECT_FLOAT_EQ(unit.GetLength(), 1.0f);
    EXPECT_FLOAT_EQ(ray.GetLength(), 5.0f);
    ray.Normalize();
    ExpectNear(ray.GetVector(), {0, 0.6f, 0.8f});
    ray.SetOrigin({9, 9, 9});
    ExpectNear(ray.GetOrigin(), {9, 9, 9});
}

TEST(BoundingBox, DerivedDataFromCorners)
{
    CBoundingBox const box(CVector3(-1, 0, 2), CVector3(3, 2, 4));
    ExpectNear(box.GetPosition(), {1, 1, 3});
    ExpectNear(box.GetSize(), {2, 1, 1});
    EXPECT_FLOAT_EQ(box.GetRadius(), std::sqrt(6.0f));
    ExpectNear(box.GetMinPoint(), {-1, 0, 2});
    ExpectNear(box.GetMaxPoint(), {3, 2, 4});
    ExpectNear(box.GetMatrix(), CMatrix4x4::GetIdentity());
}

TEST(BoundingBox, AroundPointsAndBoxes)
{
    CVector3 const points[3] = {{1, 5, -2}, {-3, 0, 0}, {2, 1, 7}};
    CBoundingBox const fromPoints(3, points);
    ExpectNear(fromPoints.GetMinPoint(), {-3, 0, -2});
    ExpectNear(fromPoints.GetMaxPoint(), {2, 5, 7});

    float const coordinates[6] = {1, 5, -2, -3, 0, 0};
    CBoundingBox const fromFloats(2, coordinates);
    ExpectNear(fromFloats.GetMinPoint(), {-3, 0, -2});
    ExpectNear(fromFloats.GetMaxPoint(), {1, 5, 0});

    CBoundingBox boxes[2] = {CBoundingBox(CVector3(0.0f), CVector3(1.0f)),
                             CBoundingBox(CVector3(-1, 0, 0), CVector3(0.5f, 0.5f, 3))};
    boxes[1].SetMatrix(CMatrix4x4::GetTranslation({0, 10, 0}));
    CBoundingBox const around(2, boxes);
    ExpectNear(around.GetMinPoint(), {-1, 0, 0});
    ExpectNear(around.GetMaxPoint(), {1, 10.5f, 3});

    CBoundingBox const empty(0, static_cast<CVector3 const*>(nullptr));
    ExpectNear(empty.GetSize(), CVector3(0.0f));
}

TEST(BoundingBox, RotationGivesTheWorldBoxOfTheRotatedCorners)
{
    CBoundingBox box(CVector3(0, 0, 0), CVector3(2, 1, 1));
    CMatrix4x4 const rotation = CMatrix4x4::GetRotationZ(HalfPi);
    box.SetMatrix(rotation);
    ExpectNear(box.GetMinPoint(), {-1, 0, 0});
    ExpectNear(box.GetMaxPoint(), {0, 2, 1});
    ExpectNear(box.GetPosition(), {-0.5f, 1, 0.5f});
    ExpectNear(box.GetSize(), {0.5f, 1, 0.5f});
    ExpectNear(box.GetLocalMinPoint(), {0, 0, 0});
    ExpectNear(box.GetLocalMaxPoint(), {2, 1, 1});
    ExpectNear(box.GetMatrix(), rotation);

    // 45° widens the world box.
    box.SetMatrix(CMatrix4x4::GetRotationZ(HalfPi / 2));
    float const s = std::sqrt(0.5f);
    ExpectNear(box.GetMinPoint(), {-s, 0, 0});
    ExpectNear(box.GetMaxPoint(), {2 * s, 3 * s, 1});
}

TEST(BoundingBox, TransformSaveAndRestore)
{
    CBoundingBox box(CVector3(0.0f), CVector3(1.0f));
    box.SetMatrix(CMatrix4x4::GetRotationZ(HalfPi));
    box.SaveMatrix();
    box.Transform(CMatrix4x4::GetTranslation({10, 0, 0}));
    // Translation applied after the rotation.
    ExpectNear(box.GetMinPoint(), {9, 0, 0});
    ExpectNear(box.GetMaxPoint(), {10, 1, 1});
    box.RestoreMatrix();
    ExpectNear(box.GetMinPoint(), {-1, 0, 0});

    box.Set(CVector3(0.0f), CVector3(2.0f));
    ExpectNear(box.GetMatrix(), CMatrix4x4::GetIdentity());
    box.RestoreMatrix();
    ExpectNear(box.GetMaxPoint(), {2, 2, 2});
}

TEST(BoundingBox, PointSphereAndBoxTests)
{
    CBoundingBox const box(CVector3(0.0f), CVector3(2.0f));
    EXPECT_TRUE(box.IsPointInside({2, 2, 2}));
    EXPECT_TRUE(box.IsPointInside({0, 1, 0}));
    EXPECT_FALSE(box.IsPointInside({2.001f, 1, 1}));

    EXPECT_TRUE(box.GetSphereIntersection({3, 1, 1}, 1.0f));
    EXPECT_FALSE(box.GetSphereIntersection({3, 3, 1}, 1.0f));
    EXPECT_TRUE(box.GetSphereIntersection({3, 3, 1}, 1.5f));
    EXPECT_TRUE(box.GetSphereIntersection({1, 1, 1}, 0.1f));

    EXPECT_TRUE(box.GetBoundingBoxIntersection(CBoundingBox(CVector3(2, 0, 0), CVector3(3, 1, 1))));
    EXPECT_FALSE(box.GetBoundingBoxIntersection(CBoundingBox(CVector3(2.5f, 0, 0), CVector3(3, 1, 1))));
    EXPECT_TRUE(box.GetBoundingBoxIntersection(CBoundingBox(CVector3(0.5f), CVector3(1.5f))));
}

TEST(BoundingBox, RayIsTreatedAsASegment)
{
    CBoundingBox const box(CVector3(-1.0f), CVector3(1.0f));
    EXPECT_TRUE(box.GetRayIntersection(CRay({-5, 0, 0}, {10, 0, 0})));
    EXPECT_FALSE(box.GetRayIntersection(CRay({-5, 0, 0}, {3, 0, 0})));
    EXPECT_TRUE(box.GetRayIntersection(CRay({-0.5f, 0, 0}, {0.1f, 0, 0})));
    EXPECT_FALSE(box.GetRayIntersection(CRay({-5, 0, 0}, {-10, 0, 0})));
    // Passes the corner diagonally: only a cross-product axis separates it.
    EXPECT_FALSE(box.GetRayIntersection(CRay({-1, 3.5f, 0}, {3.5f, -3.5f, 0})));
    EXPECT_TRUE(box.GetRayIntersection(CRay({-1, 1.5f, 0}, {3, -3, 0})));
}

TEST(BoundingBox, FacePlanesPointInwards)
{
    CBoundingBox const box(CVector3(0, 0, 0), CVector3(2, 4, 6));
    CVector3 const normals[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    float const distances[6] = {1, 1, 2, 2, 3, 3};
    for (unsigned int i = 0; i < 6; ++i) {
        CPlane const face = box.GetPlane(i);
        ExpectNear(face.GetNormal(), normals[i]);
        EXPECT_FLOAT_EQ(face.GetDistance(box.GetPosition()), distances[i]) << "face " << i;
    }
    EXPECT_FLOAT_EQ(box.GetPlane(1).GetDistance({2, 0, 0}), 0.0f);
}

TEST(BoundingBox, ScaledKeepsTheCentre)
{
    CBoundingBox box(CVector3(0.0f), CVector3(2.0f));
    box.SetMatrix(CMatrix4x4::GetTranslation({10, 0, 0}));
    CBoundingBox const scaled = box.GetScaled(2.0f);
    ExpectNear(scaled.GetPosition(), {11, 1, 1});
    ExpectNear(scaled.GetSize(), {2, 2, 2});
    ExpectNear(scaled.GetMatrix(), CMatrix4x4::GetIdentity());
}
