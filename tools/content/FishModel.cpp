#include "FishModel.h"

#include "math/Angles.h"
#include "math/Matrix4x4.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>

namespace content
{

namespace
{

// How finely a fish is cut: body rings and points around, fin cells along and across.
struct SFishDetail
{
    int rings, around;
    int tailColumns, tailRows;
    int medianColumns, medianRows;
    int pectoralColumns, pectoralRows;
};

// Close up the full cut; from afar (a fish spanning under about 160 pixels) a coarser one.
constexpr SFishDetail CloseUpDetail = {14, 18, 5, 6, 6, 3, 3, 3};
constexpr SFishDetail FarDetail = {9, 12, 3, 4, 4, 2, 2, 2};

struct SMeshVertex
{
    CVector3 position;
    CVector3 normal;
    float u = 0, v = 0;
    bool pectoral = false;
    float pectoralA = 0, pectoralB = 0;
};

struct SMesh
{
    std::vector<SMeshVertex> vertices;
    std::vector<std::uint32_t> indices;
};

float SignedPower(float value, float exponent)
{
    return std::copysign(std::pow(std::fabs(value), exponent), value);
}

CVector3 Normalized(CVector3 v)
{
    float const length = v.GetLength();
    return length > 1e-8f ? v / length : CVector3(0.0f, 0.0f, 1.0f);
}

void ComputeNormals(SMesh* mesh, std::size_t firstVertex, std::size_t firstIndex)
{
    std::vector<CVector3> sums(mesh->vertices.size() - firstVertex, CVector3(0.0f));
    for (std::size_t i = firstIndex; i + 2 < mesh->indices.size(); i += 3) {
        std::uint32_t const a = mesh->indices[i], b = mesh->indices[i + 1], c = mesh->indices[i + 2];
        CVector3 const n = (mesh->vertices[b].position - mesh->vertices[a].position) ^
                           (mesh->vertices[c].position - mesh->vertices[a].position);
        for (std::uint32_t k : {a, b, c}) {
            sums[k - firstVertex] += n;
        }
    }
    for (std::size_t k = 0; k < sums.size(); ++k) {
        mesh->vertices[firstVertex + k].normal = Normalized(sums[k]);
    }
}

SMesh BuildBody(CFishBody const& body, SFishDetail const& detail)
{
    SFishSpecies const& species = body.GetSpecies();
    int const Rings = detail.rings, Around = detail.around;
    float const exponent = 2.0f / species.roundness;
    SMesh mesh;
    auto ringPoint = [&](float s, int j) {
        float const theta = 2.0f * math::Pi * static_cast<float>(j) / Around;
        float const y = body.GetHalfWidth(s) * SignedPower(std::sin(theta), exponent);
        float const z = body.GetCentreZ(s) + body.GetHalfHeight(s) * SignedPower(std::cos(theta), exponent);
        return CVector3(body.GetX(s), y, z);
    };
    for (int i = 0; i < Rings; ++i) {
        float const t = static_cast<float>(i) / Rings;
        float const s = 1.0f - std::pow(1.0f - t, 1.2f); // denser towards the tail base
        for (int j = 0; j < Around; ++j) {
            mesh.vertices.push_back({ringPoint(s, j), {}, 0, 0});
        }
    }
    std::uint32_t const nose = static_cast<std::uint32_t>(mesh.vertices.size());
    mesh.vertices.push_back({CVector3(body.GetX(1.0f), 0.0f, body.GetCentreZ(1.0f)), {}, 0, 0});
    std::uint32_t const tailCentre = static_cast<std::uint32_t>(mesh.vertices.size());
    mesh.vertices.push_back({CVector3(body.GetX(0.0f), 0.0f, body.GetCentreZ(0.0f)), {}, 0, 0});
    auto at = [Around](int i, int j) { return static_cast<std::uint32_t>(i * Around + (j % Around)); };
    for (int i = 0; i + 1 < Rings; ++i) {
        for (int j = 0; j < Around; ++j) {
            std::uint32_t const a = at(i, j), b = at(i + 1, j), c = at(i + 1, j + 1), d = at(i, j + 1);
            mesh.indices.insert(mesh.indices.end(), {a, b, c, a, c, d});
        }
    }
    for (int j = 0; j < Around; ++j) {
        mesh.indices.insert(mesh.indices.end(), {at(Rings - 1, j), nose, at(Rings - 1, j + 1)});
        mesh.indices.insert(mesh.indices.end(), {tailCentre, at(0, j), at(0, j + 1)});
    }
    ComputeNormals(&mesh, 0, 0);
    return mesh;
}

struct SFinGrid
{
    EFin fin;
    int columns, rows; // along a and b
    std::function<CVector3(float a, float b)> position;
    float bFrom, bTo;
    // Maps (a, b) to the painting attributes.
    std::function<void(float a, float b, float* ray, float* reach)> attributes;
};

void AddFin(SFinGrid const& grid, SMesh* mesh, std::vector<SFinTriangle>* triangles,
            std::vector<std::array<float, 2>>* paint)
{
    for (int side = 0; side < 2; ++side) {
        std::size_t const first = mesh->vertices.size();
        std::size_t const firstIndex = mesh->indices.size();
        for (int i = 0; i <= grid.columns; ++i) {
            for (int j = 0; j <= grid.rows; ++j) {
                float const a = static_cast<float>(i) / grid.columns;
                float const b = grid.bFrom + (grid.bTo - grid.bFrom) * static_cast<float>(j) / grid.rows;
                SMeshVertex vertex;
                vertex.position = grid.position(a, b);
                vertex.pectoral = grid.fin == EFin::Pectoral;
                vertex.pectoralA = a;
                vertex.pectoralB = (b - grid.bFrom) / (grid.bTo - grid.bFrom);
                mesh->vertices.push_back(vertex);
                float ray = 0, reach = 0;
                grid.attributes(a, b, &ray, &reach);
                paint->push_back({ray, reach});
            }
        }
        auto at = [&](int i, int j) { return static_cast<std::uint32_t>(first + i * (grid.rows + 1) + j); };
        for (int i = 0; i < grid.columns; ++i) {
            for (int j = 0; j < grid.rows; ++j) {
                std::uint32_t const a = at(i, j), b = at(i + 1, j), c = at(i + 1, j + 1), d = at(i, j + 1);
                if (side == 0) {
                    mesh->indices.insert(mesh->indices.end(), {a, b, c, a, c, d});
                } else {
                    mesh->indices.insert(mesh->indices.end(), {a, c, b, a, d, c});
                }
            }
        }
        ComputeNormals(mesh, first, firstIndex);
        for (std::size_t k = first; k < mesh->vertices.size(); ++k) {
            mesh->vertices[k].position += mesh->vertices[k].normal * 0.002f;
        }
        if (side == 0) {
            for (std::size_t i = firstIndex; i < mesh->indices.size(); i += 3) {
                SFinTriangle triangle{grid.fin, {}, {}, {}, {}};
                for (int k = 0; k < 3; ++k) {
                    std::uint32_t const index = mesh->indices[i + k];
                    triangle.ray[k] = (*paint)[index][0];
                    triangle.reach[k] = (*paint)[index][1];
                }
                // Texture coordinates are filled once the side mapping is known; keep the
                // vertex indices in the u slots meanwhile.
                for (int k = 0; k < 3; ++k) {
                    triangle.u[k] = static_cast<float>(mesh->indices[i + k]);
                }
                triangles->push_back(triangle);
            }
        }
    }
}

SMesh BuildFins(CFishBody const& body, SFishDetail const& detail, std::vector<SFinTriangle>* triangles)
{
    SFishSpecies const& species = body.GetSpecies();
    SMesh mesh;
    std::vector<std::array<float, 2>> paint;

    float const rootS = 0.03f;
    float const rootX = body.GetX(rootS);
    float const rootZ = body.GetCentreZ(rootS);
    float const rootHalf = body.GetHalfHeight(rootS) * 0.9f;
    float const tipHalf = species.tailSpan * species.bodyHeight;
    AddFin({EFin::Tail, detail.tailColumns, detail.tailRows,
            [=](float a, float b) {
                float const half = rootHalf + (tipHalf - rootHalf) * std::pow(a, 0.8f);
                float const length =
                    species.tailLength * (1.0f - species.tailFork * (1.0f - std::pow(std::fabs(b), 1.5f)));
                return CVector3(rootX - a * length, 0.0f, rootZ + b * half);
            },
            -1.0f, 1.0f,
            [](float a, float b, float* ray, float* reach) {
                *ray = b;
                *reach = a;
            }},
           &mesh, triangles, &paint);

    auto addMedianFin = [&](EFin fin, float start, float end, float height, float sweep, float up) {
        AddFin({fin, detail.medianColumns, detail.medianRows,
                [=, &body](float a, float b) {
                    float const s = end + (start - end) * a; // a runs from the front to the rear
                    float const baseZ = body.GetCentreZ(s) + up * body.GetHalfHeight(s) * 0.92f;
                    float const peak = 0.3f;
                    float const profile =
                        a < peak ? std::pow(a / peak, 0.6f) : std::pow((1.0f - a) / (1.0f - peak), 0.45f);
                    float const h = height * (0.08f + 0.92f * profile);
                    return CVector3(body.GetX(s) - b * sweep * h * 1.6f, 0.0f, baseZ + up * b * h);
                },
                0.0f, 1.0f,
                [](float a, float b, float* ray, float* reach) {
                    *ray = a;
                    *reach = b;
                }},
               &mesh, triangles, &paint);
    };
    addMedianFin(EFin::Dorsal, species.dorsalStart, species.dorsalEnd, species.dorsalHeight,
                 species.dorsalSweep, 1.0f);
    addMedianFin(EFin::Anal, species.analStart, species.analEnd, species.analHeight, species.analSweep,
                 -1.0f);

    for (float side : {1.0f, -1.0f}) {
        float const s = 0.7f;
        CVector3 const root(body.GetX(s), side * body.GetHalfWidth(s) * 0.85f,
                            body.GetCentreZ(s) - 0.3f * body.GetHalfHeight(s));
        CVector3 const along = Normalized(CVector3(-1.0f, side * 0.55f, -0.35f));
        CVector3 const across = Normalized(CVector3(0.0f, 0.0f, 1.0f) - along * along.z);
        float const length = species.pectoralLength;
        AddFin({EFin::Pectoral, detail.pectoralColumns, detail.pectoralRows,
                [=](float a, float b) {
                    float const width =
                        length * 0.4f * (0.3f + 1.4f * std::sqrt(a * (1.0f - a))) * (1.0f - 0.25f * a);
                    CVector3 const bend = CVector3(0.0f, side, 0.0f) * (0.08f * length * a * a);
                    return root + along * (a * length) + across * (b * width) + bend;
                },
                -1.0f, 1.0f,
                [](float a, float b, float* ray, float* reach) {
                    *ray = b;
                    *reach = a;
                }},
               &mesh, triangles, &paint);
    }
    return mesh;
}

} // namespace

SFishGeometry CFishModelBuilder::Build(SFishSpecies const& species)
{
    CFishBody const body(species);
    SFishGeometry geometry;
    SMesh bodyMesh = BuildBody(body, CloseUpDetail);
    SMesh finMesh = BuildFins(body, CloseUpDetail, &geometry.finTriangles);
    // The coarse cut shares the close-up one's texture: its fins are not painted from.
    std::vector<SFinTriangle> farFinTriangles;
    SMesh farBodyMesh = BuildBody(body, FarDetail);
    SMesh farFinMesh = BuildFins(body, FarDetail, &farFinTriangles);

    // Side mapping over everything but the pectoral fins.
    SFishSideMapping& mapping = geometry.mapping;
    mapping.xMin = mapping.zMin = 1e9f;
    mapping.xMax = mapping.zMax = -1e9f;
    geometry.boxMin = CVector3(1e9f);
    geometry.boxMax = CVector3(-1e9f);
    for (SMesh const* mesh : {&bodyMesh, &finMesh}) {
        for (auto const& vertex : mesh->vertices) {
            CVector3 const& p = vertex.position;
            geometry.boxMin = CVector3(std::min(geometry.boxMin.x, p.x), std::min(geometry.boxMin.y, p.y),
                                       std::min(geometry.boxMin.z, p.z));
            geometry.boxMax = CVector3(std::max(geometry.boxMax.x, p.x), std::max(geometry.boxMax.y, p.y),
                                       std::max(geometry.boxMax.z, p.z));
            if (vertex.pectoral) {
                continue;
            }
            mapping.xMin = std::min(mapping.xMin, p.x);
            mapping.xMax = std::max(mapping.xMax, p.x);
            mapping.zMin = std::min(mapping.zMin, p.z);
            mapping.zMax = std::max(mapping.zMax, p.z);
        }
    }
    auto assignUv = [&mapping](SMeshVertex* vertex) {
        if (vertex->pectoral) {
            vertex->u = SFishSideMapping::PectoralU0 +
                        vertex->pectoralA * (SFishSideMapping::PectoralU1 - SFishSideMapping::PectoralU0);
            vertex->v = SFishSideMapping::PectoralV0 +
                        vertex->pectoralB * (SFishSideMapping::PectoralV1 - SFishSideMapping::PectoralV0);
        } else {
            vertex->u = mapping.GetU(vertex->position.x);
            vertex->v = mapping.GetV(vertex->position.z);
        }
    };
    for (SMesh* mesh : {&bodyMesh, &finMesh, &farBodyMesh, &farFinMesh}) {
        for (auto& vertex : mesh->vertices) {
            assignUv(&vertex);
        }
    }
    for (auto& triangle : geometry.finTriangles) {
        for (int k = 0; k < 3; ++k) {
            SMeshVertex const& vertex = finMesh.vertices[static_cast<std::size_t>(triangle.u[k])];
            triangle.u[k] = vertex.u;
            triangle.v[k] = vertex.v;
        }
    }

    // Skeleton: a chain from the head to the tail base.
    static constexpr std::array<float, BonesCount> BoneS = {0.8f, 0.62f, 0.44f, 0.26f, 0.08f};
    std::array<CVector3, BonesCount> bonePositions;
    SModelData& model = geometry.model;
    model.flags = MP_SKELETAL | MP_TRIANGLE_LISTS | MP_LIGHTING | MP_DEPTH_TEST | MP_OPAQUE | MP_VISIBLE |
                  MP_CULL_CLOCKWISE;
    model.frames = SwimFrames;
    model.speed = AnimationSpeed;
    for (unsigned int b = 0; b < BonesCount; ++b) {
        bonePositions[b] = CVector3(body.GetX(BoneS[b]), 0.0f, body.GetCentreZ(BoneS[b]));
        SModelBone bone;
        char name[16];
        std::snprintf(name, sizeof name, "Bone%02u", b + 1);
        bone.name = name;
        bone.lastDescendant = BonesCount - 1;
        bone.boxMin = CVector3(1e9f);
        bone.boxMax = CVector3(-1e9f);
        model.bones.push_back(bone);
    }

    auto skin = [&](SMeshVertex const& source) {
        SModelVertex vertex;
        vertex.position = source.position;
        vertex.normal = source.normal;
        vertex.u = source.u;
        vertex.v = source.v;
        float const x = source.position.x;
        unsigned int front = 0, back = 0;
        float weightBack = 0.0f;
        if (x >= bonePositions[0].x) {
            front = back = 0;
        } else if (x <= bonePositions[BonesCount - 1].x) {
            front = back = BonesCount - 1;
        } else {
            for (unsigned int b = 0; b + 1 < BonesCount; ++b) {
                if (x <= bonePositions[b].x && x > bonePositions[b + 1].x) {
                    front = b;
                    back = b + 1;
                    weightBack = (bonePositions[b].x - x) / (bonePositions[b].x - bonePositions[b + 1].x);
                }
            }
        }
        auto influence = [&](unsigned int bone, float weight) {
            vertex.influences.push_back({bone, weight, source.normal, source.position - bonePositions[bone]});
        };
        if (front == back || weightBack <= 0.0f) {
            influence(front, 1.0f);
        } else {
            influence(front, 1.0f - weightBack);
            influence(back, weightBack);
        }
        unsigned int const dominant = weightBack > 0.5f ? back : front;
        CVector3 const local = source.position - bonePositions[dominant];
        SModelBone& bone = model.bones[dominant];
        bone.boxMin = CVector3(std::min(bone.boxMin.x, local.x), std::min(bone.boxMin.y, local.y),
                               std::min(bone.boxMin.z, local.z));
        bone.boxMax = CVector3(std::max(bone.boxMax.x, local.x), std::max(bone.boxMax.y, local.y),
                               std::max(bone.boxMax.z, local.z));
        return vertex;
    };

    // Indices are absolute in the model's buffer, where the sets' vertices follow one another.
    std::uint32_t firstVertex = 0;
    auto addSet = [&](SMesh const& mesh, char const* material, unsigned int shader) {
        SModelTriangleSet set;
        set.material = material;
        set.shader = shader;
        for (auto const& vertex : mesh.vertices) {
            set.vertices.push_back(skin(vertex));
        }
        for (std::uint32_t index : mesh.indices) {
            set.indices.push_back(index + firstVertex);
        }
        firstVertex += static_cast<std::uint32_t>(mesh.vertices.size());
        model.sets.push_back(std::move(set));
    };
    addSet(bodyMesh, "body:near", 0);
    addSet(finMesh, "fins:near", 1);
    addSet(farBodyMesh, "body:far", 0);
    addSet(farFinMesh, "fins:far", 1);
    for (auto& bone : model.bones) {
        if (bone.boxMin.x > bone.boxMax.x) {
            bone.boxMin = CVector3(-0.01f);
            bone.boxMax = CVector3(0.01f);
        }
    }

    // Swim cycle: a travelling wave down the spine, growing towards the tail.
    static constexpr std::array<float, BonesCount> Amplitude = {0.035f, 0.05f, 0.08f, 0.12f, 0.17f};
    for (unsigned int f = 0; f < SwimFrames; ++f) {
        unsigned int const cycleFrame = f % (SwimFrames - 1);
        float const phase =
            2.0f * math::Pi * static_cast<float>(cycleFrame) / static_cast<float>(SwimFrames - 1);
        CQuaternion rotation = CQuaternion::GetZero();
        CVector3 position = bonePositions[0];
        for (unsigned int b = 0; b < BonesCount; ++b) {
            if (b > 0) {
                position = position + rotation.GetMatrix() * (bonePositions[b] - bonePositions[b - 1]);
            }
            float const angle =
                Amplitude[b] * species.swimAmplitude * std::sin(phase - 0.8f * static_cast<float>(b));
            rotation = rotation * CQuaternion::GetRotationZ(angle);
            model.keys.push_back({position, rotation, CVector3(1.0f)});
        }
    }
    model.octreeName = "octree";
    return geometry;
}

} // namespace content
