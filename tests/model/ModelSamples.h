#pragma once

#include "model/ModelFile.h"

// Small model files of each kind for the tests.
namespace model_samples
{
constexpr unsigned int DrawnProperties = MP_TRIANGLE_LISTS | MP_VISIBLE | MP_OPAQUE | MP_DEPTH_TEST;

inline SModelFileVertex MakeVertex(float x, float y, float z, float u = 0.0f, float v = 0.0f)
{
    SModelFileVertex vertex;
    vertex.position = {x, y, z};
    vertex.normal = {0.0f, 0.0f, 1.0f};
    vertex.u = u;
    vertex.v = v;
    return vertex;
}

// Two list sets: a unit quad at z = 0 (vertices 0-3) and a triangle at z = −1 (4-6).
inline SModelFile MakeStatic()
{
    SModelFile model;
    model.properties = MP_STATIC | DrawnProperties;
    model.verticesCount = 7;
    SModelFileTriangleSet quad;
    quad.indices = {0, 1, 2, 2, 3, 0};
    quad.vertices = {MakeVertex(-1, -1, 0, 0, 0), MakeVertex(1, -1, 0, 1, 0), MakeVertex(1, 1, 0, 1, 1),
                     MakeVertex(-1, 1, 0, 0, 1)};
    quad.material = "quad";
    quad.shaderNumber = 0;
    SModelFileTriangleSet triangle;
    triangle.indices = {4, 5, 6};
    triangle.vertices = {MakeVertex(2, 0, -1), MakeVertex(3, 0, -1), MakeVertex(2, 1, -1)};
    triangle.material = "triangle";
    triangle.shaderNumber = 1;
    model.triangleSets = {quad, triangle};
    model.octreeName = "sample.otf";
    return model;
}

// One triangle in two frames: z = 0 in frame 0, z = 2 in frame 1.
inline SModelFile MakeMorph()
{
    SModelFile model;
    model.properties = MP_MORPH | DrawnProperties;
    model.framesCount = 2;
    model.speed = 1.0f;
    model.verticesCount = 6;
    SModelFileTriangleSet set;
    set.indices = {0, 1, 2};
    set.vertices = {MakeVertex(0, 0, 0, 0, 0), MakeVertex(1, 0, 0, 1, 0), MakeVertex(0, 1, 0, 0, 1),
                    MakeVertex(0, 0, 2, 0, 1), MakeVertex(1, 0, 2, 1, 1), MakeVertex(0, 1, 2, 1, 1)};
    model.triangleSets = {set};
    return model;
}

// A root bone at the origin and a child at (1, 0, 0); a quad "arm" from x = 1 to x = 2
// skinned wholly to the child, given in the child's space.
inline SModelFile MakeSkeletal()
{
    SModelFile model;
    model.properties = MP_SKELETAL | DrawnProperties;
    model.framesCount = 1;
    model.speed = 0.0f;
    SModelFileBone root;
    root.name = "root";
    root.min = {-0.1f, -0.1f, -0.1f};
    root.max = {0.1f, 0.1f, 0.1f};
    root.lastDescendant = 1;
    SModelFileBone child;
    child.name = "arm";
    child.min = {0.0f, -0.25f, -0.1f};
    child.max = {1.0f, 0.25f, 0.1f};
    child.lastDescendant = 1;
    model.bones = {root, child};
    SModelFileKeyframe rootKey;
    SModelFileKeyframe childKey;
    childKey.position = {1.0f, 0.0f, 0.0f};
    model.keyframes = {rootKey, childKey};
    model.verticesCount = 4;
    SModelFileTriangleSet set;
    set.indices = {0, 1, 2, 2, 3, 0};
    float const corners[4][2] = {{0.0f, -0.25f}, {1.0f, -0.25f}, {1.0f, 0.25f}, {0.0f, 0.25f}};
    for (auto const& corner : corners) {
        SModelFileVertex vertex = MakeVertex(corner[0] + 1.0f, corner[1], 0.0f);
        vertex.tail = 1;
        set.vertices.push_back(vertex);
        SModelFileInfluence influence;
        influence.bone = 1;
        influence.weight = 1.0f;
        influence.position = {corner[0], corner[1], 0.0f};
        influence.normal = {0.0f, 0.0f, 1.0f};
        set.influences.push_back(influence);
    }
    model.triangleSets = {set};
    return model;
}
} // namespace model_samples
