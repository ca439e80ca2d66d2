#include "model/Skinning.h"

#include "model/Skeleton.h"
#include "render/VertexBuffer.h"

#include <cmath>

namespace
{
// The normal `n` carried by the 3 × 3 part of the row-major matrix `m`: the inverse
// transpose's direction (taken from the cofactors, so a flattened axis needs no division),
// at the length `n` had. A non-uniform scale tilts normals the way it tilts the surface.
CVector3 TransformNormal(float const* m, CVector3 const& n)
{
    float const c00 = m[5] * m[10] - m[6] * m[9];
    float const c01 = m[6] * m[8] - m[4] * m[10];
    float const c02 = m[4] * m[9] - m[5] * m[8];
    float const c10 = m[2] * m[9] - m[1] * m[10];
    float const c11 = m[0] * m[10] - m[2] * m[8];
    float const c12 = m[1] * m[8] - m[0] * m[9];
    float const c20 = m[1] * m[6] - m[2] * m[5];
    float const c21 = m[2] * m[4] - m[0] * m[6];
    float const c22 = m[0] * m[5] - m[1] * m[4];
    CVector3 const t(c00 * n.x + c01 * n.y + c02 * n.z, c10 * n.x + c11 * n.y + c12 * n.z,
                     c20 * n.x + c21 * n.y + c22 * n.z);
    float const length = t.GetLength();
    if (length == 0.0f)
        return t;
    float const determinant = m[0] * c00 + m[1] * c01 + m[2] * c02;
    float const factor = (determinant < 0.0f ? -1.0f : 1.0f) * n.GetLength() / length;
    return t * factor;
}
} // namespace

void SkinVertices(SSkinEntry const* entries, unsigned int count, SSkinInfluence const* influences,
                  SBone const* bones, Vertex* vertices)
{
    for (unsigned int v = 0; v < count; ++v) {
        SSkinEntry const entry = entries[v];
        float px = 0.0f, py = 0.0f, pz = 0.0f;
        float nx = 0.0f, ny = 0.0f, nz = 0.0f;
        SSkinInfluence const* influence = influences + entry.firstInfluence;
        for (unsigned int i = 0; i < entry.influencesCount; ++i, ++influence) {
            SBone const& bone = bones[influence->bone];
            float const* m = bone.boneMatrix.Get();
            float const w = influence->weight;
            CVector3 const& p = influence->position;
            CVector3 const n = TransformNormal(m, influence->normal);
            px += w * (m[0] * p.x + m[1] * p.y + m[2] * p.z + m[3]);
            py += w * (m[4] * p.x + m[5] * p.y + m[6] * p.z + m[7]);
            pz += w * (m[8] * p.x + m[9] * p.y + m[10] * p.z + m[11]);
            nx += w * n.x;
            ny += w * n.y;
            nz += w * n.z;
        }
        Vertex& out = vertices[v];
        out.position.x = px;
        out.position.y = py;
        out.position.z = pz;
        out.normal.x = nx;
        out.normal.y = ny;
        out.normal.z = nz;
    }
}

void BlendMorphRecords(float const* a, float const* b, float t, unsigned int count, Vertex* vertices)
{
    float const s = 1.0f - t;
    for (unsigned int k = 0; k < count; ++k, a += MorphRecordFloats, b += MorphRecordFloats) {
        Vertex& out = vertices[k];
        out.position.x = a[0] * s + b[0] * t;
        out.position.y = a[1] * s + b[1] * t;
        out.position.z = a[2] * s + b[2] * t;
        out.normal.x = a[3] * s + b[3] * t;
        out.normal.y = a[4] * s + b[4] * t;
        out.normal.z = a[5] * s + b[5] * t;
        out.uv.x = a[6] * s + b[6] * t;
        out.uv.y = a[7] * s + b[7] * t;
    }
}
