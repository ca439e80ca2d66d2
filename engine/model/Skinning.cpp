#include "model/Skinning.h"

#include "model/Skeleton.h"
#include "render/VertexBuffer.h"

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
            float const* r = bone.rotationMatrix.Get();
            float const w = influence->weight;
            CVector3 const& p = influence->position;
            CVector3 const& n = influence->normal;
            px += w * (m[0] * p.x + m[1] * p.y + m[2] * p.z + m[3]);
            py += w * (m[4] * p.x + m[5] * p.y + m[6] * p.z + m[7]);
            pz += w * (m[8] * p.x + m[9] * p.y + m[10] * p.z + m[11]);
            nx += w * (r[0] * n.x + r[1] * n.y + r[2] * n.z);
            ny += w * (r[4] * n.x + r[5] * n.y + r[6] * n.z);
            nz += w * (r[8] * n.x + r[9] * n.y + r[10] * n.z);
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
