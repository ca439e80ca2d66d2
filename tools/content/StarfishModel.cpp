#include "StarfishModel.h"
#include "math/Angles.h"

#include <algorithm>
#include <cmath>

namespace content
{

namespace
{

// How finely the star is cut: rings out from the centre and points around.
struct SStarGrid
{
    int rings, around;

    // Vertex layout of one frame: top centre, top rings, bottom centre, bottom rings.
    std::uint32_t TopIndex(int ring, int j) const
    {
        return ring == 0 ? 0u : static_cast<std::uint32_t>(1 + (ring - 1) * around + (j % around));
    }

    std::uint32_t BottomIndex(int ring, int j) const
    {
        std::uint32_t const base = 1 + rings * around;
        return ring == 0 ? base : static_cast<std::uint32_t>(base + 1 + (ring - 1) * around + (j % around));
    }

    std::uint32_t GetFrameVertices() const { return 2 * (1 + rings * around); }
};

// Close up the full cut; from afar (a star spanning under about 160 pixels) a coarser one.
constexpr SStarGrid CloseUpGrid = {6, 50};
constexpr SStarGrid FarGrid = {4, 30};

CVector3 Normalized(CVector3 v)
{
    float const length = v.GetLength();
    return length > 1e-8f ? v / length : CVector3(0.0f, 0.0f, 1.0f);
}

std::vector<std::uint32_t> BuildIndices(SStarGrid const& grid)
{
    std::vector<std::uint32_t> indices;
    for (int ring = 0; ring < grid.rings; ++ring) {
        for (int j = 0; j < grid.around; ++j) {
            // Top faces point up (+z), bottom faces down.
            std::uint32_t const a = grid.TopIndex(ring, j), b = grid.TopIndex(ring + 1, j),
                                c = grid.TopIndex(ring + 1, j + 1), d = grid.TopIndex(ring, j + 1);
            std::uint32_t const e = grid.BottomIndex(ring, j), f = grid.BottomIndex(ring + 1, j),
                                g = grid.BottomIndex(ring + 1, j + 1), h = grid.BottomIndex(ring, j + 1);
            if (ring == 0) {
                indices.insert(indices.end(), {a, b, c});
                indices.insert(indices.end(), {e, g, f});
            } else {
                indices.insert(indices.end(), {a, b, c, a, c, d});
                indices.insert(indices.end(), {e, g, f, e, h, g});
            }
        }
    }
    return indices;
}

CVector3 SurfacePoint(float rho, float theta, float phase, bool top)
{
    float const radius = CStarfishModelBuilder::GetOutlineRadius(theta) * rho;
    float const armness = (radius - CStarfishModelBuilder::CentreRadius * rho) /
                          (CStarfishModelBuilder::ArmRadius - CStarfishModelBuilder::CentreRadius);
    // The arm tips lift and sway in a wave that runs round the star.
    float const reach = radius / CStarfishModelBuilder::ArmRadius;
    float const lift = 0.16f * reach * reach * (0.5f + 0.5f * std::sin(phase - theta));
    float const sway = 0.05f * reach * reach * std::sin(phase * 1.0f - theta + 1.3f);
    float const angle = theta + sway;
    float const thickness = 0.2f * (1.0f - 0.55f * reach) * std::pow(std::max(0.0f, 1.0f - rho * rho), 0.5f) *
                            (0.75f + 0.25f * std::max(0.0f, armness));
    float const rim = rho * rho * rho * rho;
    float const z = (top ? 0.03f + thickness : 0.03f * rim) + lift;
    return CVector3(radius * std::cos(angle), radius * std::sin(angle), z);
}

} // namespace

float CStarfishModelBuilder::GetOutlineRadius(float theta)
{
    float const arm = std::pow(0.5f + 0.5f * std::cos(5.0f * theta - math::Pi * 0.5f), 1.7f);
    return CentreRadius + (ArmRadius - CentreRadius) * arm;
}

namespace
{
// One cut of the star, every frame of it; its indices start at `firstVertex` in the buffer.
SModelTriangleSet BuildStarSet(SStarGrid const& grid, char const* material, std::uint32_t firstVertex)
{
    SModelTriangleSet set;
    set.material = material;
    set.shader = 0;
    set.indices = BuildIndices(grid);
    for (std::uint32_t& index : set.indices) {
        index += firstVertex;
    }
    std::uint32_t const frameVertices = grid.GetFrameVertices();
    for (unsigned int frame = 0; frame < CStarfishModelBuilder::Frames; ++frame) {
        float const phase = 2.0f * math::Pi *
                            static_cast<float>(frame % (CStarfishModelBuilder::Frames - 1)) /
                            static_cast<float>(CStarfishModelBuilder::Frames - 1);
        std::vector<SModelVertex> vertices(frameVertices);
        for (int top = 1; top >= 0; --top) {
            for (int ring = 0; ring <= grid.rings; ++ring) {
                int const count = ring == 0 ? 1 : grid.around;
                for (int j = 0; j < count; ++j) {
                    float const rho = static_cast<float>(ring) / grid.rings;
                    float const theta = 2.0f * math::Pi * static_cast<float>(j) / grid.around;
                    SModelVertex& vertex = vertices[top ? grid.TopIndex(ring, j) : grid.BottomIndex(ring, j)];
                    vertex.position = SurfacePoint(rho, theta, phase, top != 0);
                    vertex.u = 0.5f + vertex.position.x / (2.1f * CStarfishModelBuilder::ArmRadius);
                    vertex.v = 0.5f + vertex.position.y / (2.1f * CStarfishModelBuilder::ArmRadius);
                }
            }
        }
        std::vector<CVector3> normals(frameVertices, CVector3(0.0f));
        for (std::size_t i = 0; i < set.indices.size(); i += 3) {
            std::uint32_t const a = set.indices[i] - firstVertex, b = set.indices[i + 1] - firstVertex,
                                c = set.indices[i + 2] - firstVertex;
            CVector3 const n =
                (vertices[b].position - vertices[a].position) ^ (vertices[c].position - vertices[a].position);
            normals[a] += n;
            normals[b] += n;
            normals[c] += n;
        }
        for (std::uint32_t k = 0; k < frameVertices; ++k) {
            vertices[k].normal = Normalized(normals[k]);
            set.vertices.push_back(vertices[k]);
        }
    }
    return set;
}
} // namespace

SModelData CStarfishModelBuilder::BuildStar()
{
    SModelData model;
    model.flags = MP_MORPH | MP_TRIANGLE_LISTS | MP_LIGHTING | MP_DEPTH_TEST | MP_OPAQUE | MP_VISIBLE |
                  MP_CULL_CLOCKWISE;
    model.frames = Frames;
    model.speed = 1.5f;
    model.sets.push_back(BuildStarSet(CloseUpGrid, "starfish:near", 0));
    model.sets.push_back(BuildStarSet(FarGrid, "starfish:far", CloseUpGrid.GetFrameVertices()));
    model.octreeName = "octree";
    return model;
}

SModelData CStarfishModelBuilder::BuildShadow()
{
    SModelData model;
    model.flags = MP_STATIC | MP_TRIANGLE_LISTS | MP_LIGHTING | MP_DEPTH_TEST | MP_TRANSPARENT | MP_VISIBLE;
    SModelTriangleSet set;
    set.material = "shadow";
    set.shader = 0;
    float const half = ArmRadius * 1.35f;
    float const corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (auto const& corner : corners) {
        SModelVertex vertex;
        vertex.position = CVector3(corner[0] * half + 0.08f, corner[1] * half - 0.08f, 0.004f);
        vertex.normal = CVector3(0.0f, 0.0f, 1.0f);
        vertex.u = 0.5f + 0.5f * corner[0];
        vertex.v = 0.5f + 0.5f * corner[1];
        set.vertices.push_back(vertex);
    }
    set.indices = {0, 1, 2, 0, 2, 3};
    model.sets.push_back(std::move(set));
    model.octreeName = "octree";
    return model;
}

void CStarfishModelBuilder::GetBoundingBox(SModelData const& model, CVector3* min, CVector3* max)
{
    *min = CVector3(1e9f);
    *max = CVector3(-1e9f);
    for (auto const& set : model.sets) {
        for (auto const& vertex : set.vertices) {
            CVector3 const& p = vertex.position;
            *min = CVector3(std::min(min->x, p.x), std::min(min->y, p.y), std::min(min->z, p.z));
            *max = CVector3(std::max(max->x, p.x), std::max(max->y, p.y), std::max(max->z, p.z));
        }
    }
}

} // namespace content
