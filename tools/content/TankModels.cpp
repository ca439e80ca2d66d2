#include "TankModels.h"

#include "Noise.h"
#include "Random.h"
#include "TankLayout.h"
#include "math/Angles.h"

#include <algorithm>
#include <cmath>

namespace content
{

namespace
{

constexpr std::uint32_t SceneryFlags = MP_TRIANGLE_LISTS | MP_DEPTH_TEST | MP_OPAQUE | MP_VISIBLE;

CVector3 Normalized(CVector3 v)
{
    float const length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return length > 1e-8f ? CVector3(v.x / length, v.y / length, v.z / length) : CVector3(0.0f, 0.0f, 1.0f);
}

// Smooth normals of one frame's vertices (`first` ... `first` + `count`) from the set's triangles.
void ComputeNormals(SModelTriangleSet& set, std::size_t first, std::size_t count)
{
    std::vector<CVector3> normals(count, CVector3(0.0f));
    for (std::size_t i = 0; i + 2 < set.indices.size(); i += 3) {
        std::uint32_t const a = set.indices[i], b = set.indices[i + 1], c = set.indices[i + 2];
        CVector3 const& pa = set.vertices[first + a].position;
        CVector3 const n = (set.vertices[first + b].position - pa) ^ (set.vertices[first + c].position - pa);
        normals[a] += n;
        normals[b] += n;
        normals[c] += n;
    }
    for (std::size_t k = 0; k < count; ++k)
        set.vertices[first + k].normal = Normalized(normals[k]);
}

// Indices of a grid of (columns + 1) × (rows + 1) vertices, counter-clockwise seen from the
// side the grid's normal points to when columns run along the first axis.
void AddGridIndices(std::vector<std::uint32_t>& indices, std::uint32_t base, unsigned int columns,
                    unsigned int rows)
{
    for (unsigned int j = 0; j < rows; ++j) {
        for (unsigned int i = 0; i < columns; ++i) {
            std::uint32_t const a = base + j * (columns + 1) + i;
            std::uint32_t const b = a + 1, c = a + columns + 1, d = c + 1;
            indices.insert(indices.end(), {a, b, d, a, d, c});
        }
    }
}

// Texture v runs up from the picture's bottom row: v = 1 is the picture's top row.
SModelVertex MakeVertex(CVector3 const& position, float u, float v)
{
    SModelVertex vertex;
    vertex.position = position;
    vertex.u = u;
    vertex.v = v;
    return vertex;
}

// One plant blade: a ribbon from its root up along a bent stem, tapering to the tip.
struct SBlade
{
    CVector3 root;
    float height;
    float width;
    float heading;   // direction the blade leans to, radians about z
    float lean;      // how far the tip leans out, as a share of the height
    float swayPhase; // radians
    float sway;      // amplitude at the tip
};

constexpr unsigned int BladeSegments = 4;

void AddBladeIndices(std::vector<std::uint32_t>& indices, std::uint32_t base)
{
    AddGridIndices(indices, base, 1, BladeSegments);
}

// The blade's vertices for animation phase `phase`.
void AddBladeVertices(std::vector<SModelVertex>& vertices, SBlade const& blade, float phase)
{
    CVector3 const out(std::cos(blade.heading), std::sin(blade.heading), 0.0f);
    CVector3 const side(-out.y, out.x, 0.0f);
    for (unsigned int s = 0; s <= BladeSegments; ++s) {
        float const t = static_cast<float>(s) / BladeSegments;
        float const bend = blade.lean * t * t;
        float const swing = blade.sway * t * t * std::sin(phase + blade.swayPhase - t * 1.4f);
        float const cross = blade.sway * 0.35f * t * t * std::cos(phase * 1.0f + blade.swayPhase * 1.7f);
        CVector3 const centre = blade.root + out * ((bend + swing) * blade.height) +
                                side * (cross * blade.height) +
                                CVector3(0.0f, 0.0f, blade.height * t * (1.0f - 0.25f * bend));
        float const halfWidth = blade.width * 0.5f * (1.0f - 0.85f * t) * (s == 0 ? 0.8f : 1.0f);
        vertices.push_back(MakeVertex(centre - side * halfWidth, 0.0f, t));
        vertices.push_back(MakeVertex(centre + side * halfWidth, 1.0f, t));
    }
}

SModelData BuildPlant(std::vector<SBlade> const& blades, char const* material)
{
    SModelData model;
    model.flags = MP_MORPH | SceneryFlags | MP_LIGHTING | MP_TWO_SIDED;
    model.frames = CTankModelBuilder::PlantFrames;
    model.speed = CTankModelBuilder::PlantSpeed;
    SModelTriangleSet set;
    set.material = material;
    std::uint32_t const bladeVertices = 2 * (BladeSegments + 1);
    for (std::size_t b = 0; b < blades.size(); ++b)
        AddBladeIndices(set.indices, static_cast<std::uint32_t>(b) * bladeVertices);
    std::size_t const frameVertices = blades.size() * bladeVertices;
    for (unsigned int frame = 0; frame < model.frames; ++frame) {
        float const phase =
            2.0f * math::Pi * static_cast<float>(frame % (model.frames - 1)) / (model.frames - 1);
        std::size_t const first = set.vertices.size();
        for (SBlade const& blade : blades)
            AddBladeVertices(set.vertices, blade, phase);
        ComputeNormals(set, first, frameVertices);
    }
    model.sets.push_back(std::move(set));
    model.octreeName = "octree";
    return model;
}

} // namespace

SModelData CTankModelBuilder::Backdrop()
{
    SModelData model;
    model.flags = MP_STATIC | SceneryFlags | MP_TWO_SIDED;
    SModelTriangleSet set;
    set.material = "water";
    // Three panels: the sides reach down to the bottom, the middle only to where the sand hides
    // it. The picture is laid over the whole wall whatever the panel.
    struct SPanel
    {
        float left, right, bottom;
    };
    SPanel const panels[] = {
        {-tank::BackdropHalfWidth, tank::FloorMinX, tank::BackdropBottom},
        {tank::FloorMinX, tank::FloorMaxX, tank::BackdropHiddenBelow},
        {tank::FloorMaxX, tank::BackdropHalfWidth, tank::BackdropBottom},
    };
    constexpr unsigned int Columns = 2, Rows = 4;
    for (SPanel const& panel : panels) {
        std::uint32_t const base = static_cast<std::uint32_t>(set.vertices.size());
        for (unsigned int j = 0; j <= Rows; ++j) {
            float const z = panel.bottom + (tank::BackdropTop - panel.bottom) * static_cast<float>(j) / Rows;
            float const v = (z - tank::BackdropBottom) / (tank::BackdropTop - tank::BackdropBottom);
            for (unsigned int i = 0; i <= Columns; ++i) {
                float const x = panel.left + (panel.right - panel.left) * static_cast<float>(i) / Columns;
                float const u = (x - tank::BackdropPictureStart) / tank::BackdropPictureWidth;
                SModelVertex vertex = MakeVertex(CVector3(x, tank::BackdropY, z), u, v);
                vertex.normal = CVector3(0.0f, -1.0f, 0.0f);
                set.vertices.push_back(vertex);
            }
        }
        AddGridIndices(set.indices, base, Columns, Rows);
    }
    model.sets.push_back(std::move(set));
    model.octreeName = "octree";
    return model;
}

SModelData CTankModelBuilder::Sand()
{
    SModelData model;
    model.flags = MP_STATIC | SceneryFlags | MP_LIGHTING | MP_CULL_CLOCKWISE;
    SModelTriangleSet set;
    set.material = "sand";
    // One grid: columns of one unit between the inner sides, wider ones beyond, where the sand
    // is only seen from afar by wide views.
    constexpr unsigned int InnerColumns = 40, OuterColumns = 40, Rows = 24;
    constexpr unsigned int Columns = InnerColumns + 2 * OuterColumns;
    auto const columnX = [](unsigned int i) {
        if (i < OuterColumns)
            return tank::FloorMinX +
                   (tank::FloorInnerMinX - tank::FloorMinX) * static_cast<float>(i) / OuterColumns;
        if (i <= OuterColumns + InnerColumns)
            return tank::FloorInnerMinX + (tank::FloorInnerMaxX - tank::FloorInnerMinX) *
                                              static_cast<float>(i - OuterColumns) / InnerColumns;
        return tank::FloorInnerMaxX + (tank::FloorMaxX - tank::FloorInnerMaxX) *
                                          static_cast<float>(i - OuterColumns - InnerColumns) / OuterColumns;
    };
    for (unsigned int j = 0; j <= Rows; ++j) {
        float const y = tank::FloorMinY + (tank::FloorMaxY - tank::FloorMinY) * static_cast<float>(j) / Rows;
        for (unsigned int i = 0; i <= Columns; ++i) {
            float const x = columnX(i);
            set.vertices.push_back(
                MakeVertex(CVector3(x, y, tank::GetRippledFloorHeight(x, y)), x / 3.0f, -y / 3.0f));
        }
    }
    AddGridIndices(set.indices, 0, Columns, Rows);
    ComputeNormals(set, 0, set.vertices.size());
    model.sets.push_back(std::move(set));
    model.octreeName = "octree";
    return model;
}

SModelData CTankModelBuilder::Rock(unsigned int shape)
{
    // Below this height (the sand's ripples reach at most 0.035 down) a rock is under the sand.
    constexpr float RockBuriedBelow = -0.08f;
    SModelData model;
    model.flags = MP_STATIC | SceneryFlags | MP_LIGHTING | MP_CULL_CLOCKWISE;
    SModelTriangleSet set;
    set.material = "rock";
    constexpr unsigned int Around = 22, Rings = 14;
    std::uint32_t const seed = 5150u + shape * 101u;
    float const squash[3] = {0.62f, 0.85f, 0.48f};
    float const stretch[3] = {1.15f, 0.8f, 1.45f};
    for (unsigned int ring = 0; ring <= Rings; ++ring) {
        float const polar = math::Pi * static_cast<float>(ring) / Rings; // 0 at the top
        for (unsigned int j = 0; j <= Around; ++j) {
            float const azimuth = 2.0f * math::Pi * static_cast<float>(j % Around) / Around;
            CVector3 const direction(std::sin(polar) * std::cos(azimuth), std::sin(polar) * std::sin(azimuth),
                                     std::cos(polar));
            float const bumps = noise::Fractal(direction.x * 1.6f + 5.0f + direction.z * 0.7f,
                                               direction.y * 1.6f + 5.0f - direction.z * 0.5f, 4, seed);
            float const facets =
                std::floor(noise::Value(direction.x * 2.4f + 9.0f,
                                        direction.y * 2.4f + direction.z * 2.0f + 9.0f, seed + 1u) *
                           4.0f) /
                4.0f;
            float const radius = 0.75f + 0.35f * bumps + 0.08f * facets;
            // The base sinks a little into the sand.
            CVector3 const position(direction.x * radius * stretch[shape % 3], direction.y * radius,
                                    direction.z * radius * squash[shape % 3] + 0.1f);
            set.vertices.push_back(MakeVertex(position, static_cast<float>(j) / Around * 2.0f,
                                              static_cast<float>(ring) / Rings));
        }
    }
    // Rings run top to bottom and the azimuth counter-clockwise, so quads face outwards. Quads
    // wholly under the sand are left out: nobody sees them, and drawn they would only cost.
    auto buried = [&set](std::uint32_t index) { return set.vertices[index].position.z < RockBuriedBelow; };
    for (unsigned int ring = 0; ring < Rings; ++ring) {
        for (unsigned int j = 0; j < Around; ++j) {
            std::uint32_t const a = ring * (Around + 1) + j, b = a + 1, c = a + Around + 1, d = c + 1;
            if (buried(a) && buried(b) && buried(c) && buried(d))
                continue;
            set.indices.insert(set.indices.end(), {a, c, d, a, d, b});
        }
    }
    ComputeNormals(set, 0, set.vertices.size());
    model.sets.push_back(std::move(set));
    model.octreeName = "octree";
    return model;
}

SModelData CTankModelBuilder::Grass()
{
    CRandom random(8080u);
    std::vector<SBlade> blades;
    for (int b = 0; b < 11; ++b) {
        SBlade blade;
        float const angle = random.Between(0.0f, 2.0f * math::Pi), distance = random.Between(0.0f, 0.45f);
        blade.root = CVector3(std::cos(angle) * distance, std::sin(angle) * distance, -0.05f);
        blade.height = random.Between(2.2f, 4.0f);
        blade.width = random.Between(0.16f, 0.26f);
        blade.heading = angle + random.Between(-0.6f, 0.6f);
        blade.lean = random.Between(0.05f, 0.25f);
        blade.swayPhase = random.Between(0.0f, 1.2f);
        blade.sway = random.Between(0.08f, 0.14f);
        blades.push_back(blade);
    }
    return BuildPlant(blades, "grass");
}

SModelData CTankModelBuilder::Bush()
{
    CRandom random(9090u);
    std::vector<SBlade> blades;
    for (int b = 0; b < 16; ++b) {
        SBlade blade;
        float const angle = 2.0f * math::Pi * static_cast<float>(b) / 16.0f + random.Between(-0.2f, 0.2f);
        blade.root = CVector3(std::cos(angle) * 0.08f, std::sin(angle) * 0.08f, -0.05f);
        blade.height = random.Between(0.7f, 1.3f);
        blade.width = random.Between(0.3f, 0.42f);
        blade.heading = angle;
        blade.lean = random.Between(0.45f, 0.8f);
        blade.swayPhase = random.Between(0.0f, 2.0f);
        blade.sway = random.Between(0.06f, 0.1f);
        blades.push_back(blade);
    }
    return BuildPlant(blades, "bush");
}

void CTankModelBuilder::GetBoundingBox(SModelData const& model, CVector3* min, CVector3* max)
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
