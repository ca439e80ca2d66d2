#include "model/SpriteGroup.h"

#include <algorithm>
#include <cmath>

#include "model/Model.h"
#include "model/ModelManager.h"
#include "render/Camera.h"
#include "render/CameraManager.h"
#include "render/IndexBuffer.h"
#include "render/ShaderManager.h"
#include "render/TriangleSet.h"
#include "render/VertexBuffer.h"

namespace
{
constexpr unsigned int VerticesPerQuad = IndexBuffer::VerticesPerQuad;
constexpr unsigned int IndicesPerQuad = IndexBuffer::IndicesPerQuad;
// Below this the angle counts as zero and the corners are not turned.
constexpr float MinimumAngle = 0.00001f;
} // namespace

CSpriteGroup::CSpriteGroup(CSpriteGroup const& other)
{
    Create(other);
}

CSpriteGroup& CSpriteGroup::operator=(CSpriteGroup const& other)
{
    if (this != &other)
        Create(other);
    return *this;
}

void CSpriteGroup::Create(CMessageManager* messageManager, CMemoryManager* memoryManager,
                          CCameraManager* cameraManager, CShaderManager* shaderManager,
                          CModelManager* modelManager, unsigned int count, CShaderDescriptor const& shader,
                          unsigned int cameraIndex)
{
    Create({messageManager, memoryManager, cameraManager, shaderManager, modelManager}, count, shader,
           cameraIndex);
}

void CSpriteGroup::Create(SSpriteGroupManagers const& managers, unsigned int count,
                          CShaderDescriptor const& shader, unsigned int cameraIndex)
{
    Destroy();
    m_managers = managers;
    m_count = count;
    m_cameraIndex = cameraIndex;

    m_model = m_managers.modelManager->AddModel(ModelProperties, 1, VerticesPerQuad * count, 1, cameraIndex);
    m_model->CreateTriangleSet(0, IndicesPerQuad * count, m_managers.shaderManager->AddShader(shader));
    FillStaticGeometry();

    m_matrix = CMatrix4x4::GetIdentity();
    m_savedMatrix = m_matrix;
    m_sprites.assign(count, SSprite{});
    m_freeSlots.resize(count);
    for (unsigned int i = 0; i < count; ++i)
        m_freeSlots[i] = i;
    m_drawList.clear();
    m_drawList.reserve(count);
    m_center = {0.0f, 0.0f, 0.0f};
    m_depthSort = true;
    m_free = false;
}

void CSpriteGroup::Create(CSpriteGroup const& other)
{
    if (this == &other)
        return;
    if (other.m_free) {
        Destroy();
        return;
    }
    CShaderDescriptor const* shader = other.GetShaderDescriptor();
    CShaderDescriptor fallback;
    if (!shader)
        other.m_managers.shaderManager->CreateShaderDescriptor(&fallback, 0u);
    Create(other.m_managers, other.m_count, shader ? *shader : fallback, other.m_cameraIndex);
    m_sprites = other.m_sprites;
    m_freeSlots = other.m_freeSlots;
    m_depthSort = other.m_depthSort;
    m_matrix = other.m_matrix;
    m_savedMatrix = other.m_savedMatrix;
    m_center = other.m_center;
    m_model->RemoveProperties(m_model->GetProperties() & ~other.m_model->GetProperties());
    m_model->AddProperties(other.m_model->GetProperties());
    m_model->SetDepthValue(other.m_model->GetDepthValue());
}

void CSpriteGroup::Destroy()
{
    if (m_free)
        return;
    if (m_managers.modelManager && m_model)
        m_managers.modelManager->RemoveModel(m_model);
    m_model = nullptr;
    m_sprites.clear();
    m_sprites.shrink_to_fit();
    m_freeSlots.clear();
    m_drawList.clear();
    m_count = 0;
    m_free = true;
}

void CSpriteGroup::FillStaticGeometry()
{
    TriangleSet* set = m_model->GetTriangleSet(0);
    if (!set || m_count == 0)
        return;
    IndexBuffer* indices = set->GetIndexBuffer();
    indices->CopyQuadIndices(m_count);
    // Nothing is drawn until a refresh finds sprites in use.
    indices->SetSize(0);
    set->Refresh();

    VertexBuffer* vertices = m_model->GetVertexBuffer();
    Vertex* vertex = vertices->Lock(0, VerticesPerQuad * m_count);
    static CVector2 const corners[VerticesPerQuad] = {{0.0f, 0.0f}, {0.0f, 1.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}};
    for (unsigned int v = 0; v < VerticesPerQuad * m_count; ++v) {
        vertex[v].position = {0.0f, 0.0f, 0.0f};
        vertex[v].normal = {0.0f, 0.0f, 1.0f};
        vertex[v].uv = corners[v % VerticesPerQuad];
    }
    vertices->Unlock();
}

unsigned int CSpriteGroup::AddSprite(CVector3 const& position, float size, CVector4 const& color)
{
    if (m_free || m_freeSlots.empty())
        return 0;
    unsigned int const index = m_freeSlots.back();
    m_freeSlots.pop_back();
    SSprite& sprite = m_sprites[index];
    sprite.free = false;
    sprite.position = position;
    sprite.size = size;
    sprite.color = color;
    sprite.angle = 0.0f;
    return index;
}

void CSpriteGroup::RemoveSprite(unsigned int index)
{
    if (index >= m_sprites.size() || m_sprites[index].free)
        return;
    m_sprites[index].free = true;
    m_freeSlots.push_back(index);
}

SSprite* CSpriteGroup::GetSprite(unsigned int index)
{
    return index < m_sprites.size() ? &m_sprites[index] : nullptr;
}

void CSpriteGroup::Show(bool visible)
{
    if (m_model)
        m_model->Show(visible);
}

bool CSpriteGroup::IsVisible() const
{
    return m_model && m_model->IsVisible();
}

CShaderDescriptor* CSpriteGroup::GetShaderDescriptor() const
{
    TriangleSet* set = m_model ? m_model->GetTriangleSet(0) : nullptr;
    return set ? set->GetShaderDescriptor() : nullptr;
}

void CSpriteGroup::ChangeShader(CShaderDescriptor const& shader)
{
    TriangleSet* set = m_model ? m_model->GetTriangleSet(0) : nullptr;
    if (set)
        set->ChangeShader(shader);
}

void CSpriteGroup::Refresh()
{
    if (m_free || !IsVisible())
        return;
    CCamera* camera = m_managers.cameraManager->GetCamera(m_cameraIndex);
    if (!camera)
        return;
    // The camera's right and up axes in world space are the first two rows of its view
    // rotation.
    float const* view = camera->GetModelViewMatrix().Get();
    CVector3 const right(view[0], view[1], view[2]);
    CVector3 const up(view[4], view[5], view[6]);
    CVector3 const direction = (right ^ up).GetNormalized();

    // Mean length of the images of the three unit axes: the group's scale whatever its
    // rotation; its translation does not size the sprites.
    CVector3 const origin = m_matrix * CVector3(0.0f, 0.0f, 0.0f);
    float const scale = ((m_matrix * CVector3(1.0f, 0.0f, 0.0f) - origin).GetLength() +
                         (m_matrix * CVector3(0.0f, 1.0f, 0.0f) - origin).GetLength() +
                         (m_matrix * CVector3(0.0f, 0.0f, 1.0f) - origin).GetLength()) /
                        3.0f;

    CollectDrawList(camera->GetPosition());
    BuildQuads(right, up, direction, scale);
}

void CSpriteGroup::CollectDrawList(CVector3 const& cameraPosition)
{
    m_drawList.clear();
    for (SSprite& sprite : m_sprites) {
        if (sprite.free)
            continue;
        if (m_depthSort)
            sprite.distance = (cameraPosition - m_matrix * sprite.position).GetLength();
        m_drawList.push_back(&sprite);
    }
    if (m_depthSort) {
        std::sort(m_drawList.begin(), m_drawList.end(),
                  [](SSprite const* a, SSprite const* b) { return a->distance > b->distance; });
    }
}

void CSpriteGroup::BuildQuads(CVector3 const& right, CVector3 const& up, CVector3 const& direction,
                              float scale)
{
    auto const k = static_cast<unsigned int>(m_drawList.size());
    TriangleSet* set = m_model->GetTriangleSet(0);
    if (k > 0) {
        VertexBuffer* vertices = m_model->GetVertexBuffer();
        Vertex* vertex = vertices->Lock(0, VerticesPerQuad * k);
        CVector3 sum(0.0f, 0.0f, 0.0f);
        for (unsigned int i = 0; i < k; ++i) {
            SSprite const& sprite = *m_drawList[i];
            sum += sprite.position;
            CVector3 const centre = m_matrix * sprite.position;
            float const h = sprite.size * scale;
            CVector3 corners[VerticesPerQuad] = {centre + (-right - up) * h, centre + (-right + up) * h,
                                                 centre + (right - up) * h, centre + (right + up) * h};
            if (std::fabs(sprite.angle) > MinimumAngle) {
                CMatrix4x4 const rotation = CMatrix4x4::GetRotation(direction, sprite.angle);
                for (CVector3& corner : corners)
                    corner = centre + rotation * (corner - centre);
            }
            std::uint32_t const color = PackColor(sprite.color);
            Vertex* quad = vertex + VerticesPerQuad * i;
            for (unsigned int c = 0; c < VerticesPerQuad; ++c) {
                quad[c].position = corners[c];
                quad[c].color = color;
            }
        }
        vertices->Unlock();
        m_center = sum / static_cast<float>(k);
    }
    if (set)
        set->GetIndexBuffer()->SetSize(IndicesPerQuad * k);
}
