#include "model/Model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "core/Errors.h"
#include "core/File.h"
#include "core/FileManager.h"
#include "core/MessageManager.h"
#include "math/Angles.h"
#include "platform/gl/D3DMatrix.h"
#include "platform/gl/Direct3D8.h"
#include "render/Camera.h"
#include "render/CameraManager.h"
#include "render/Direct3DSubsystem.h"
#include "render/IndexBuffer.h"
#include "render/LightManager.h"
#include "render/ShaderDescriptor.h"
#include "render/ShaderManager.h"
#include "render/TriangleSet.h"
#include "render/VertexBuffer.h"

namespace
{
constexpr char FreeName[] = "Unknown";
constexpr char ModelsDirectory[] = "data\\models\\";
constexpr float EmptyModelExtent = 10000.0f;
constexpr float BonesBoxStart = 100000.0f;
constexpr float AxisEpsilon = 0.00001f;
constexpr unsigned int BoxCornersCount = 8;
// Clip w is the distance in front of the eye; a corner nearer than this counts as behind it.
constexpr float MinimumClipW = 1e-4f;

void CopyName(char* target, char const* source)
{
    std::snprintf(target, CModel::NameLength, "%s", source ? source : "");
}

// The model path with another extension, e.g. data\models\star.srf beside star.mlf.
void GetSiblingPath(char const* modelPath, char const* extension, char* out)
{
    CopyName(out, modelPath);
    CFileManager::ReplaceFileExtension(out, extension);
}

// Whether `point` (on the triangle's plane) lies inside the triangle a, b, c.
bool IsPointInsideTriangle(CVector3 const& point, CVector3 const& a, CVector3 const& b, CVector3 const& c,
                           CVector3 const& normal)
{
    float const nx = std::fabs(normal.x);
    float const ny = std::fabs(normal.y);
    float const nz = std::fabs(normal.z);
    // The two axes kept after dropping the normal's dominant one.
    int first = 1;
    int second = 2;
    if (nx >= ny - AxisEpsilon && nx >= nz - AxisEpsilon) {
        first = 1;
        second = 2;
    } else if (ny >= nz - AxisEpsilon) {
        first = 0;
        second = 2;
    } else {
        first = 0;
        second = 1;
    }
    float const e1i = b[first] - a[first];
    float const e1j = b[second] - a[second];
    float const e2i = c[first] - a[first];
    float const e2j = c[second] - a[second];
    float const pi = point[first] - a[first];
    float const pj = point[second] - a[second];
    float const determinant = e1i * e2j - e1j * e2i;
    if (determinant == 0.0f)
        return false;
    float const u = (pi * e2j - pj * e2i) / determinant;
    float const v = (e1i * pj - e1j * pi) / determinant;
    return u >= 0.0f && u <= 1.0f && v >= 0.0f && u + v <= 1.0f;
}

unsigned int SetIndex(TriangleSet const& set, unsigned int i)
{
    return set.GetIndexBuffer()->GetIndex(i);
}
} // namespace

CModel::CModel()
{
    CopyName(m_name, FreeName);
}

CModel::CModel(CModel const& other) : CModel()
{
    Create(other);
}

CModel& CModel::operator=(CModel const& other)
{
    if (this != &other)
        Create(other);
    return *this;
}

CModel::~CModel()
{
    Destroy();
}

void CModel::StoreManagers(SModelManagers const& managers)
{
    m_managers = managers;
}

SModelManagers CModel::GetManagers() const
{
    return m_managers;
}

bool CModel::Create(CMessageManager* messageManager, CMemoryManager* memoryManager, CFileManager* fileManager,
                    CTimerManager* timerManager, CDirect3DSubsystem* direct3DSubsystem,
                    CCameraManager* cameraManager, CLightManager* lightManager, CShaderManager* shaderManager,
                    char const* fileName, unsigned int cameraIndex)
{
    Destroy();
    StoreManagers({messageManager, memoryManager, fileManager, timerManager, direct3DSubsystem, cameraManager,
                   lightManager, shaderManager});
    m_free = false;
    std::snprintf(m_name, NameLength, "%s%s", ModelsDirectory, fileName);
    try {
        CFile file;
        fileManager->OpenFile(&file, m_name, FILE_READ_BINARY);
        SModelFile content;
        EModelFileResult const result = ReadModelFile(file, &content);
        file.Close();
        if (result == EModelFileResult::BadFormat) {
            messageManager->WriteError("Incorrect %s file format", fileName);
            Destroy();
            return false;
        }
        if (result == EModelFileResult::BadVersion) {
            messageManager->WriteError("Incorrect %s format version, current is %d", fileName,
                                       static_cast<int>(SModelFile::Version));
            Destroy();
            return false;
        }
        BuildFromFile(content);
    } catch (CFileError const& error) {
        messageManager->WriteError("%s", error.GetText());
        Destroy();
        return false;
    }
    CreateCommon(m_framesCount, m_animationControl ? m_animationControl->GetSpeed() : 0.0f, cameraIndex);
    return true;
}

void CModel::BuildFromFile(SModelFile const& file)
{
    m_properties = file.properties;
    m_framesCount = file.framesCount;
    m_animationControl = std::make_unique<AnimationControl>(
        m_managers.messageManager, m_managers.memoryManager, m_managers.timerManager, m_framesCount);
    m_animationControl->SetSpeed(file.speed);

    if (file.IsSkeletal()) {
        auto const bonesCount = static_cast<unsigned int>(file.bones.size());
        m_skeleton.Create(m_managers.messageManager, m_managers.memoryManager, bonesCount);
        for (unsigned int b = 0; b < bonesCount; ++b) {
            SModelFileBone const& source = file.bones[b];
            SBone* bone = m_skeleton.GetBone(b);
            bone->flag = source.flag;
            std::snprintf(bone->name, SBone::NameLength, "%s", source.name.c_str());
            bone->box.Set(source.min, source.max);
            bone->fileValue = source.fileValue;
            bone->lastDescendant = source.lastDescendant;
            SModelFileKeyframe const first =
                file.keyframes.empty() ? SModelFileKeyframe() : file.keyframes[b];
            bone->animatedPosition = first.position;
            bone->animatedRotation = first.rotation;
            bone->animatedScale = first.scale;
        }
        m_boneKeyframes.resize(file.keyframes.size() * KeyframeFloats);
        float* out = m_boneKeyframes.data();
        for (SModelFileKeyframe const& keyframe : file.keyframes) {
            float const values[KeyframeFloats] = {
                keyframe.position.x, keyframe.position.y, keyframe.position.z, keyframe.rotation.x,
                keyframe.rotation.y, keyframe.rotation.z, keyframe.rotation.w, keyframe.scale.x,
                keyframe.scale.y,    keyframe.scale.z};
            std::memcpy(out, values, sizeof values);
            out += KeyframeFloats;
        }
    }

    unsigned int const bufferVertices = file.GetBufferVerticesCount();
    m_vertexBuffer = std::make_unique<VertexBuffer>(m_managers.messageManager, m_managers.memoryManager,
                                                    m_managers.direct3DSubsystem, bufferVertices);
    if (file.IsMorph())
        m_morphFrames.assign(std::size_t(bufferVertices) * m_framesCount * MorphRecordFloats, 0.0f);
    if (file.IsSkeletal())
        m_skin.assign(bufferVertices, SSkinEntry{0, 0});

    FillTriangleSets(file);

    char octreePath[NameLength];
    GetSiblingPath(m_name, "otf", octreePath);
    auto const setsCount = static_cast<unsigned int>(m_triangleSets.size());
    bool const loaded = m_octree.Create(m_managers.messageManager, m_managers.memoryManager,
                                        m_managers.fileManager, octreePath);
    // A tree without nodes, or one naming sets the model lacks, is replaced like a missing one.
    bool const fits = loaded && m_octree.GetNodesCount() > 0 && m_octree.FitsTriangleSets(setsCount);
    if (loaded && !fits)
        m_managers.messageManager->WriteError("Incorrect %s file format", octreePath);
    if (!fits) {
        CreateSingleLeafOctree(nullptr, nullptr);
        if (file.IsMorph()) {
            Vertex* vertices = m_vertexBuffer->Lock(0, bufferVertices);
            float const* record = m_morphFrames.data();
            for (unsigned int i = 0; i < bufferVertices; ++i, record += MorphRecordFloats) {
                vertices[i].position = {record[0], record[1], record[2]};
                vertices[i].normal = {record[3], record[4], record[5]};
                vertices[i].uv = {record[6], record[7]};
            }
            m_vertexBuffer->Unlock();
        }
        // Skeletal boxes come from the bones every refresh; this is their starting box.
        CalculateOctree();
    }
}

void CModel::FillTriangleSets(SModelFile const& file)
{
    auto const setsCount = static_cast<unsigned int>(file.triangleSets.size());
    m_triangleSets.clear();
    m_triangleSets.resize(setsCount);
    m_visibleTriangleSets.assign(setsCount, 0);
    m_sortScratch.assign(setsCount, 0);
    m_visibleTriangleSetsCount = 0;
    m_detailLevels.Clear();

    bool const morph = file.IsMorph();
    bool const skeletal = file.IsSkeletal();
    unsigned int const bufferVertices = m_vertexBuffer->GetSize();
    Vertex* vertices = morph ? nullptr : m_vertexBuffer->Lock(0, bufferVertices);
    char shaderPath[NameLength];
    GetSiblingPath(m_name, "srf", shaderPath);

    std::size_t offset = 0;
    for (unsigned int s = 0; s < setsCount; ++s) {
        SModelFileTriangleSet const& set = file.triangleSets[s];
        m_detailLevels.AddSet(set.material);
        std::size_t influence = 0;
        for (SModelFileVertex const& record : set.vertices) {
            if (morph) {
                float* out = m_morphFrames.data() + offset * MorphRecordFloats;
                float const values[MorphRecordFloats] = {
                    record.position.x, record.position.y, record.position.z, record.normal.x,
                    record.normal.y,   record.normal.z,   record.u,          record.v};
                std::memcpy(out, values, sizeof values);
            } else {
                Vertex& vertex = vertices[offset];
                vertex.position = record.position;
                vertex.normal = record.normal;
                vertex.uv = {record.u, record.v};
            }
            if (skeletal) {
                auto const count = static_cast<std::uint16_t>(record.tail & 0xFFFFu);
                m_skin[offset] = {count, static_cast<std::uint32_t>(m_influences.size())};
                for (std::uint16_t i = 0; i < count; ++i) {
                    SModelFileInfluence const& source = set.influences[influence++];
                    m_influences.push_back({source.bone, source.weight, source.position, source.normal});
                    m_highestInfluenceBone = std::max(m_highestInfluenceBone, source.bone);
                }
            }
            ++offset;
        }
        unsigned int const shader = m_managers.shaderManager->AddShader(shaderPath, set.shaderNumber);
        auto const indicesCount = static_cast<unsigned int>(set.indices.size());
        // The buffer's capacity sets its index size: a short set that reaches vertices past
        // 16 bits gets the capacity of a 32-bit one and uses only its first indices.
        unsigned int const capacity =
            set.NeedsWideIndices() ? std::max(indicesCount, IndexBuffer::WideIndexThreshold) : indicesCount;
        CreateTriangleSet(s, capacity, shader);
        IndexBuffer* indices = m_triangleSets[s]->GetIndexBuffer();
        indices->SetSize(indicesCount);
        indices->CopyIndices(0, indicesCount, set.indices.data());
        m_triangleSets[s]->Refresh();
    }
    if (vertices)
        m_vertexBuffer->Unlock();
}

void CModel::CreateCommon(unsigned int framesCount, float speed, unsigned int cameraIndex)
{
    m_framesCount = framesCount;
    if (!m_animationControl) {
        m_animationControl = std::make_unique<AnimationControl>(
            m_managers.messageManager, m_managers.memoryManager, m_managers.timerManager, framesCount);
    }
    m_animationControl->SetSpeed(speed);
    SetCameraIndex(cameraIndex);
    m_matrix = CMatrix4x4::GetIdentity();
    m_savedMatrix = m_matrix;
    m_octree.SetMatrix(m_matrix);
    m_trianglesCount = 0;
    m_visibleTrianglesCount = 0;
    m_depthValue = 0.0f;
}

void CModel::CreateSingleLeafOctree(CVector3 const* min, CVector3 const* max)
{
    m_octree.Create(m_managers.messageManager, m_managers.memoryManager, m_managers.fileManager, 1u);
    SOctreeNode* root = m_octree.GetNode(0);
    root->leaf = true;
    root->skip = 0;
    root->firstTriangleSet = 0;
    root->triangleSetsCount = static_cast<unsigned int>(m_triangleSets.size());
    CVector3 const zero(0.0f, 0.0f, 0.0f);
    root->box.Set(min ? *min : zero, max ? *max : zero);
}

void CModel::Create(CMessageManager* messageManager, CMemoryManager* memoryManager, CFileManager* fileManager,
                    CTimerManager* timerManager, CDirect3DSubsystem* direct3DSubsystem,
                    CCameraManager* cameraManager, CLightManager* lightManager, CShaderManager* shaderManager,
                    unsigned int properties, unsigned int triangleSetsCount, unsigned int verticesCount,
                    unsigned int framesCount, unsigned int cameraIndex)
{
    Destroy();
    StoreManagers({messageManager, memoryManager, fileManager, timerManager, direct3DSubsystem, cameraManager,
                   lightManager, shaderManager});
    m_free = false;
    m_properties = properties;
    m_vertexBuffer =
        std::make_unique<VertexBuffer>(messageManager, memoryManager, direct3DSubsystem, verticesCount);
    m_triangleSets.resize(triangleSetsCount);
    m_visibleTriangleSets.assign(triangleSetsCount, 0);
    m_sortScratch.assign(triangleSetsCount, 0);
    CVector3 const min(-EmptyModelExtent, -EmptyModelExtent, -EmptyModelExtent);
    CVector3 const max(EmptyModelExtent, EmptyModelExtent, EmptyModelExtent);
    CreateSingleLeafOctree(&min, &max);
    CreateCommon(framesCount, 0.0f, cameraIndex);
}

void CModel::CreateBox(CMessageManager* messageManager, CMemoryManager* memoryManager,
                       CFileManager* fileManager, CTimerManager* timerManager,
                       CDirect3DSubsystem* direct3DSubsystem, CCameraManager* cameraManager,
                       CLightManager* lightManager, CShaderManager* shaderManager,
                       CShaderDescriptor const& shader, CVector3 const& min, CVector3 const& max,
                       unsigned int cameraIndex)
{
    Create(messageManager, memoryManager, fileManager, timerManager, direct3DSubsystem, cameraManager,
           lightManager, shaderManager, BoxProperties, 1, 24, 1, cameraIndex);
    // Per face: outward normal n and axes s, t with s × t = n; corners (s, t) signs in order.
    struct SFace
    {
        int normalAxis;
        float normalSign;
        int s;
        int t;
    };
    static constexpr SFace Faces[6] = {{0, -1.0f, 2, 1}, {0, 1.0f, 1, 2},  {1, -1.0f, 0, 2},
                                       {1, 1.0f, 2, 0},  {2, -1.0f, 1, 0}, {2, 1.0f, 0, 1}};
    static constexpr float Corners[4][2] = {{1.0f, -1.0f}, {1.0f, 1.0f}, {-1.0f, 1.0f}, {-1.0f, -1.0f}};
    static constexpr float Texture[4][2] = {{1.0f, 0.0f}, {1.0f, 1.0f}, {0.0f, 1.0f}, {0.0f, 0.0f}};
    Vertex* vertices = m_vertexBuffer->Lock(0, 24);
    unsigned int indices[36];
    for (unsigned int k = 0; k < 6; ++k) {
        SFace const& face = Faces[k];
        for (unsigned int c = 0; c < 4; ++c) {
            float signs[3] = {0.0f, 0.0f, 0.0f};
            signs[face.normalAxis] = face.normalSign;
            signs[face.s] = Corners[c][0];
            signs[face.t] = Corners[c][1];
            Vertex& vertex = vertices[4 * k + c];
            for (int axis = 0; axis < 3; ++axis)
                vertex.position[axis] = signs[axis] > 0.0f ? max[axis] : min[axis];
            vertex.normal = {0.0f, 0.0f, 0.0f};
            vertex.normal[face.normalAxis] = face.normalSign;
            vertex.uv = {Texture[c][0], Texture[c][1]};
        }
        static constexpr unsigned int Pattern[6] = {0, 1, 2, 2, 3, 0};
        for (unsigned int i = 0; i < 6; ++i)
            indices[6 * k + i] = 4 * k + Pattern[i];
    }
    m_vertexBuffer->Unlock();
    CreateTriangleSet(0, 36, shaderManager->AddShader(shader));
    m_triangleSets[0]->GetIndexBuffer()->CopyIndices(0, 36, indices);
    m_triangleSets[0]->Refresh();
    CreateSingleLeafOctree(nullptr, nullptr);
    CalculateOctree();
}

void CModel::CreateTorus(CMessageManager* messageManager, CMemoryManager* memoryManager,
                         CFileManager* fileManager, CTimerManager* timerManager,
                         CDirect3DSubsystem* direct3DSubsystem, CCameraManager* cameraManager,
                         CLightManager* lightManager, CShaderManager* shaderManager,
                         CShaderDescriptor const& shader, float majorRadius, float minorRadius,
                         unsigned int rings, unsigned int sides, unsigned int cameraIndex)
{
    rings = std::max(rings, 1u);
    sides = std::max(sides, 1u);
    unsigned int const verticesCount = (rings + 1) * (sides + 1);
    Create(messageManager, memoryManager, fileManager, timerManager, direct3DSubsystem, cameraManager,
           lightManager, shaderManager, BoxProperties, 1, verticesCount, 1, cameraIndex);
    Vertex* vertices = m_vertexBuffer->Lock(0, verticesCount);
    for (unsigned int i = 0; i <= rings; ++i) {
        float const alpha = math::TwoPi * static_cast<float>(i) / static_cast<float>(rings) + 0.1f;
        for (unsigned int j = 0; j <= sides; ++j) {
            float const beta = math::TwoPi * static_cast<float>(j) / static_cast<float>(sides) + 0.1f;
            float const k = majorRadius + minorRadius * std::cos(beta);
            Vertex& vertex = vertices[i * (sides + 1) + j];
            vertex.position = {k * std::cos(alpha), k * std::sin(alpha), minorRadius * std::sin(beta)};
            vertex.normal = {std::cos(alpha) * std::cos(beta), std::sin(alpha) * std::cos(beta),
                             std::sin(beta)};
            vertex.uv = {10.0f * static_cast<float>(i) / static_cast<float>(rings),
                         4.0f * static_cast<float>(j) / static_cast<float>(sides)};
        }
    }
    m_vertexBuffer->Unlock();
    unsigned int const indicesCount = rings * sides * 6;
    CreateTriangleSet(0, indicesCount, shaderManager->AddShader(shader));
    std::vector<unsigned int> list(indicesCount);
    unsigned int* indices = list.data();
    for (unsigned int i = 0; i < rings; ++i) {
        for (unsigned int j = 0; j < sides; ++j) {
            unsigned int const v = i * (sides + 1) + j;
            unsigned int* out = indices + 6 * (i * sides + j);
            out[0] = v;
            out[1] = v + sides + 1;
            out[2] = v + 1;
            out[3] = v + 1;
            out[4] = v + sides + 1;
            out[5] = v + sides + 2;
        }
    }
    m_triangleSets[0]->GetIndexBuffer()->CopyIndices(0, indicesCount, indices);
    m_triangleSets[0]->Refresh();
    CreateSingleLeafOctree(nullptr, nullptr);
    CalculateOctree();
}

void CModel::Create(CModel const& other)
{
    if (&other == this)
        return;
    Destroy();
    if (other.IsFree())
        return;
    m_managers = other.m_managers;
    m_free = false;
    CopyName(m_name, other.m_name);
    m_properties = other.m_properties;
    m_framesCount = other.m_framesCount;
    if (other.m_animationControl)
        m_animationControl = std::make_unique<AnimationControl>(*other.m_animationControl);
    if (!other.m_skeleton.IsFree())
        m_skeleton.Create(other.m_skeleton);
    m_boneKeyframes = other.m_boneKeyframes;
    if (other.m_vertexBuffer)
        m_vertexBuffer = std::make_unique<VertexBuffer>(*other.m_vertexBuffer);
    m_morphFrames = other.m_morphFrames;
    m_skin = other.m_skin;
    m_influences = other.m_influences;
    m_highestInfluenceBone = other.m_highestInfluenceBone;
    m_triangleSets.resize(other.m_triangleSets.size());
    for (std::size_t s = 0; s < other.m_triangleSets.size(); ++s) {
        if (other.m_triangleSets[s])
            m_triangleSets[s] = std::make_unique<TriangleSet>(*other.m_triangleSets[s], m_vertexBuffer.get());
    }
    m_visibleTriangleSets = other.m_visibleTriangleSets;
    m_visibleTriangleSetsCount = other.m_visibleTriangleSetsCount;
    m_sortScratch.assign(m_triangleSets.size(), 0);
    m_detailLevels = other.m_detailLevels;
    m_octree.Create(other.m_octree);
    m_cameraIndex = other.m_cameraIndex;
    m_camera = other.m_camera;
    m_matrix = other.m_matrix;
    m_savedMatrix = other.m_savedMatrix;
    m_depthValue = other.m_depthValue;
    m_trianglesCount = 0;
    m_visibleTrianglesCount = 0;
}

void CModel::Destroy()
{
    if (m_free)
        return;
    // Sets hold shader references and point into the vertex buffer: release them first.
    m_triangleSets.clear();
    m_vertexBuffer.reset();
    m_animationControl.reset();
    m_visibleTriangleSets.clear();
    m_sortScratch.clear();
    m_detailLevels.Clear();
    m_visibleTriangleSetsCount = 0;
    m_skin.clear();
    m_influences.clear();
    m_highestInfluenceBone = 0;
    m_morphFrames.clear();
    m_skeleton.Destroy();
    m_boneKeyframes.clear();
    m_octree.Destroy();
    m_camera = nullptr;
    m_cameraIndex = 0;
    m_matrix = CMatrix4x4::GetIdentity();
    m_savedMatrix = m_matrix;
    m_trianglesCount = 0;
    m_visibleTrianglesCount = 0;
    m_depthValue = 0.0f;
    m_properties = 0;
    m_framesCount = 1;
    CopyName(m_name, FreeName);
    m_free = true;
}

void CModel::CreateTriangleSet(unsigned int index, unsigned int indicesCount, unsigned int shaderIndex)
{
    if (index >= m_triangleSets.size())
        return;
    TriangleSetType const type = (m_properties & MP_TRIANGLE_LISTS) ? TST_LIST : TST_STRIP;
    m_triangleSets[index] = std::make_unique<TriangleSet>(
        m_managers.messageManager, m_managers.memoryManager, m_managers.direct3DSubsystem,
        m_managers.shaderManager, type, indicesCount, m_vertexBuffer.get(), shaderIndex);
}

void CModel::ChangeShader(CShaderDescriptor const& shader)
{
    for (auto& set : m_triangleSets) {
        if (set)
            set->ChangeShader(shader);
    }
}

void CModel::AddProperties(unsigned int properties)
{
    m_properties |= properties;
    if (properties & MP_OPAQUE)
        m_properties &= ~MP_TRANSPARENT;
    else if (properties & MP_TRANSPARENT)
        m_properties &= ~MP_OPAQUE;
}

void CModel::RemoveProperties(unsigned int properties)
{
    if (properties & (MP_OPAQUE | MP_TRANSPARENT))
        m_properties |= MP_OPAQUE | MP_TRANSPARENT;
    m_properties &= ~properties;
}

void CModel::Show(bool visible)
{
    if (visible)
        m_properties |= MP_VISIBLE;
    else
        m_properties &= ~MP_VISIBLE;
}

void CModel::SetMatrix(CMatrix4x4 const& matrix)
{
    m_matrix = matrix;
    m_octree.SetMatrix(m_matrix);
}

void CModel::Transform(CMatrix4x4 const& matrix)
{
    SetMatrix(matrix * m_matrix);
}

void CModel::RestoreMatrix()
{
    SetMatrix(m_savedMatrix);
}

void CModel::SetCameraIndex(unsigned int index)
{
    m_cameraIndex = index;
    m_camera = m_managers.cameraManager ? m_managers.cameraManager->GetCamera(index) : nullptr;
}

void CModel::SetName(char const* name)
{
    CopyName(m_name, name);
}

CBoundingBox const& CModel::GetBoundingBox() const
{
    static CBoundingBox const empty({0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f});
    return m_octree.GetNodesCount() > 0 ? m_octree.GetNode(0)->box : empty;
}

void CModel::CalculateAccurateBoundingBox(CBoundingBox* box) const
{
    CVector3 min(0.0f, 0.0f, 0.0f);
    CVector3 max(0.0f, 0.0f, 0.0f);
    bool any = false;
    if (m_vertexBuffer) {
        Vertex const* vertices = m_vertexBuffer->Get();
        unsigned int const size = m_vertexBuffer->GetSize();
        // The level drawn: the other's vertices do not follow the bones.
        ForEachDrawnTriangleSet([&](TriangleSet const& set) {
            IndexBuffer const* indices = set.GetIndexBuffer();
            unsigned int const count = indices->GetSize();
            for (unsigned int i = 0; i < count; ++i) {
                unsigned int const index = indices->GetIndex(i);
                if (index >= size)
                    continue;
                CVector3 const& p = vertices[index].position;
                if (!any) {
                    min = p;
                    max = p;
                    any = true;
                    continue;
                }
                min = {std::min(min.x, p.x), std::min(min.y, p.y), std::min(min.z, p.z)};
                max = {std::max(max.x, p.x), std::max(max.y, p.y), std::max(max.z, p.z)};
            }
        });
    }
    box->Set(min, max);
}

void CModel::CalculateOctree()
{
    if (m_octree.GetNodesCount() == 0)
        return;
    CBoundingBox& box = m_octree.GetNode(0)->box;
    CalculateAccurateBoundingBox(&box);
    box.SetMatrix(m_octree.GetMatrix());
}

void CModel::Refresh(bool useFrustum)
{
    if (m_free || !IsVisible())
        return;
    bool const morph = (m_properties & MP_KINDS) == MP_MORPH;
    bool const skeletal = (m_properties & MP_KINDS) == MP_SKELETAL;
    unsigned int frameA = 0;
    unsigned int frameB = 0;
    float t = 0.0f;
    if ((morph || skeletal) && m_animationControl) {
        m_animationControl->Refresh();
        unsigned int const lastFrame = m_framesCount > 0 ? m_framesCount - 1 : 0;
        // Cycles set by callers may reach past the model's frames.
        frameA = std::min(m_animationControl->GetStartFrame(), lastFrame);
        frameB = std::min(m_animationControl->GetEndFrame(), lastFrame);
        t = m_animationControl->GetFrameTime();
    }
    if ((m_properties & MP_DYNAMIC_BOUNDING_BOX) && !skeletal)
        CalculateOctree();
    if (skeletal)
        AnimateSkeleton(frameA, frameB, t);

    for (auto& set : m_triangleSets) {
        if (set)
            set->Refresh();
    }
    CollectVisibleTriangleSets(useFrustum);
    if (m_detailLevels.IsUsed()) {
        m_detailLevels.Choose(GetSpanInPixels());
        m_visibleTriangleSetsCount =
            m_detailLevels.Filter(m_visibleTriangleSets.data(), m_visibleTriangleSetsCount);
    }

    m_trianglesCount = 0;
    for (auto const& set : m_triangleSets) {
        if (set)
            m_trianglesCount += set->GetPrimitiveCount();
    }
    m_visibleTrianglesCount = 0;
    for (unsigned int i = 0; i < m_visibleTriangleSetsCount; ++i) {
        TriangleSet const* set = m_triangleSets[m_visibleTriangleSets[i]].get();
        if (set)
            m_visibleTrianglesCount += set->GetPrimitiveCount();
    }
    if (m_visibleTriangleSetsCount == 0)
        return;
    SortVisibleTriangleSets();

    if (!(m_properties & MP_FIXED_DEPTH)) {
        m_depthValue =
            m_camera ? (GetBoundingBox().GetPosition() - m_camera->GetPosition()).GetLength() : 0.0f;
    }
    if (morph)
        BlendMorphFrames(frameA, frameB, t);
    if (skeletal)
        ApplySkin();
}

void CModel::AnimateSkeleton(unsigned int frameA, unsigned int frameB, float t)
{
    unsigned int const bonesCount = m_skeleton.GetBonesCount();
    if (m_skeleton.IsFree() || bonesCount == 0)
        return;
    std::size_t const recordsNeeded = std::size_t(std::max(frameA, frameB) + 1) * bonesCount;
    if (m_boneKeyframes.size() >= recordsNeeded * KeyframeFloats) {
        float const* a = m_boneKeyframes.data() + std::size_t(frameA) * bonesCount * KeyframeFloats;
        float const* b = m_boneKeyframes.data() + std::size_t(frameB) * bonesCount * KeyframeFloats;
        float const s = 1.0f - t;
        for (unsigned int i = 0; i < bonesCount; ++i, a += KeyframeFloats, b += KeyframeFloats) {
            SBone* bone = m_skeleton.GetBone(i);
            bone->animatedPosition = {a[0] * s + b[0] * t, a[1] * s + b[1] * t, a[2] * s + b[2] * t};
            bone->animatedRotation = CQuaternion::GetSlerp(CQuaternion(a[3], a[4], a[5], a[6]),
                                                           CQuaternion(b[3], b[4], b[5], b[6]), t);
            bone->animatedScale = {a[7] * s + b[7] * t, a[8] * s + b[8] * t, a[9] * s + b[9] * t};
        }
    }
    m_skeleton.Refresh();

    CVector3 min(BonesBoxStart, BonesBoxStart, BonesBoxStart);
    CVector3 max(-BonesBoxStart, -BonesBoxStart, -BonesBoxStart);
    for (unsigned int i = 0; i < bonesCount; ++i) {
        SBone const* bone = m_skeleton.GetBone(i);
        if (bone->flag != 0)
            continue;
        CVector3 const& low = bone->box.GetMinPoint();
        CVector3 const& high = bone->box.GetMaxPoint();
        min = {std::min(min.x, low.x), std::min(min.y, low.y), std::min(min.z, low.z)};
        max = {std::max(max.x, high.x), std::max(max.y, high.y), std::max(max.z, high.z)};
    }
    if (m_octree.GetNodesCount() == 0)
        return;
    m_octree.GetNode(0)->box.Set(min, max);
    m_octree.SetMatrix(m_matrix);
}

void CModel::BlendMorphFrames(unsigned int frameA, unsigned int frameB, float t)
{
    if (m_morphFrames.empty() || !m_vertexBuffer)
        return;
    unsigned int const bufferSize = m_vertexBuffer->GetSize();
    std::size_t const records = m_morphFrames.size() / MorphRecordFloats;
    Vertex* vertices = m_vertexBuffer->Lock(0, bufferSize);
    std::size_t offset = 0;
    unsigned int const lastFrame = std::max(frameA, frameB);
    for (unsigned int s = 0; s < m_triangleSets.size(); ++s) {
        TriangleSet* set = m_triangleSets[s].get();
        if (!set)
            continue;
        IndexBuffer* indices = set->GetIndexBuffer();
        unsigned int const first = indices->GetMinUsingVertex();
        unsigned int const count = indices->GetUsingVerticesCount();
        std::size_t const setOffset = offset;
        offset += std::size_t(m_framesCount) * count;
        // Only the sets of the level drawn move.
        if (!m_detailLevels.IsDrawn(s))
            continue;
        // Sets whose records or vertices lie outside the tables are left as they are.
        if (std::size_t(first) + count > bufferSize ||
            setOffset + std::size_t(count) * (lastFrame + 1) > records)
            continue;
        float const* a = m_morphFrames.data() + (setOffset + std::size_t(count) * frameA) * MorphRecordFloats;
        float const* b = m_morphFrames.data() + (setOffset + std::size_t(count) * frameB) * MorphRecordFloats;
        BlendMorphRecords(a, b, t, count, vertices + first);
    }
    m_vertexBuffer->Unlock();
}

void CModel::ApplySkin()
{
    if (m_skin.empty() || !m_vertexBuffer || m_skeleton.IsFree())
        return;
    unsigned int const bonesCount = m_skeleton.GetBonesCount();
    if (!m_influences.empty() && m_highestInfluenceBone >= bonesCount)
        return;
    auto const vertexCount =
        static_cast<unsigned int>(std::min<std::size_t>(m_skin.size(), m_vertexBuffer->GetSize()));
    SBone const* bones = bonesCount > 0 ? m_skeleton.GetBone(0u) : nullptr;
    Vertex* vertices = m_vertexBuffer->Lock(0, vertexCount);
    if (!m_detailLevels.IsUsed()) {
        SkinVertices(m_skin.data(), vertexCount, m_influences.data(), bones, vertices);
    } else {
        // Only the sets of the level drawn move.
        ForEachDrawnTriangleSet([&](TriangleSet const& set) {
            IndexBuffer* indices = set.GetIndexBuffer();
            unsigned int const first = indices->GetMinUsingVertex();
            if (first >= vertexCount)
                return;
            unsigned int const count = std::min(indices->GetUsingVerticesCount(), vertexCount - first);
            SkinVertices(m_skin.data() + first, count, m_influences.data(), bones, vertices + first);
        });
    }
    m_vertexBuffer->Unlock();
}

void CModel::CollectVisibleTriangleSets(bool useFrustum)
{
    auto const setsCount = static_cast<unsigned int>(m_triangleSets.size());
    m_visibleTriangleSetsCount = 0;
    if (useFrustum && m_camera && m_octree.GetNodesCount() > 0 && m_octree.FitsTriangleSets(setsCount)) {
        m_octree.GetVisibleTriangleSets(&m_visibleTriangleSetsCount, m_visibleTriangleSets.data(),
                                        m_camera->GetFrustum());
        return;
    }
    for (unsigned int i = 0; i < setsCount; ++i)
        m_visibleTriangleSets[i] = i;
    m_visibleTriangleSetsCount = setsCount;
}

TriangleSet* CModel::GetDrawnTriangleSet(unsigned int index) const
{
    return m_detailLevels.IsDrawn(index) ? m_triangleSets[index].get() : nullptr;
}

float CModel::GetSpanInPixels() const
{
    // The diagonal of the screen rectangle the bounding box covers: a fish seen head on or a
    // starfish lying flat is as small as it looks. Without a perspective, or with the box
    // reaching behind the eye, the close-up sets are drawn.
    float const closeUp = CDetailLevels::SwitchPixels * 2.0f;
    if (!m_camera || !m_camera->IsPerspective() || !m_managers.direct3DSubsystem)
        return closeUp;
    CBoundingBox const& box = GetBoundingBox();
    CVector3 const& low = box.GetMinPoint();
    CVector3 const& high = box.GetMaxPoint();
    CMatrix4x4 const& clip = m_camera->GetClipMatrix();
    float left = std::numeric_limits<float>::max(), right = -left, bottom = left, top = -left;
    for (unsigned int corner = 0; corner < BoxCornersCount; ++corner) {
        CVector4 const point = clip * CVector4(corner & 1 ? high.x : low.x, corner & 2 ? high.y : low.y,
                                               corner & 4 ? high.z : low.z, 1.0f);
        if (point.w <= MinimumClipW)
            return closeUp;
        left = std::min(left, point.x / point.w);
        right = std::max(right, point.x / point.w);
        bottom = std::min(bottom, point.y / point.w);
        top = std::max(top, point.y / point.w);
    }
    // Clip coordinates run from −1 to 1 across the back buffer.
    D3DPRESENT_PARAMETERS const& present = m_managers.direct3DSubsystem->GetPresentParameters();
    float const width = 0.5f * (right - left) * float(present.BackBufferWidth);
    float const height = 0.5f * (top - bottom) * float(present.BackBufferHeight);
    return std::sqrt(width * width + height * height);
}

void CModel::SortVisibleTriangleSets()
{
    if (m_visibleTriangleSetsCount < 2)
        return;
    // Sets whose shader has property 0x1 go last; the others keep their order.
    auto const isLate = [this](unsigned int index) {
        TriangleSet const* set = m_triangleSets[index].get();
        CShaderDescriptor const* descriptor = set ? set->GetShaderDescriptor() : nullptr;
        return descriptor && (descriptor->GetProperties() & 0x1u) != 0;
    };
    unsigned int early = 0;
    unsigned int late = 0;
    for (unsigned int i = 0; i < m_visibleTriangleSetsCount; ++i) {
        unsigned int const index = m_visibleTriangleSets[i];
        if (isLate(index))
            m_sortScratch[late++] = index;
        else
            m_visibleTriangleSets[early++] = index;
    }
    std::copy(m_sortScratch.begin(), m_sortScratch.begin() + late, m_visibleTriangleSets.begin() + early);
}

void CModel::Draw()
{
    if (m_free || !IsVisible() || m_visibleTriangleSetsCount == 0 || m_visibleTrianglesCount == 0)
        return;
    CDirect3DSubsystem* direct3D = m_managers.direct3DSubsystem;
    if (m_camera)
        m_managers.cameraManager->ApplyCamera(m_camera, (m_properties & MP_Z_BIASED) != 0);
    bool const lighting = (m_properties & MP_LIGHTING) != 0;
    m_managers.lightManager->Enable(lighting, (m_properties & MP_BACKGROUND) != 0);
    direct3D->SetNormalizeNormals(lighting ? 1 : 0);
    CMatrix4x4 world = m_matrix;
    world.Transpose();
    D3DMATRIX worldD3D;
    world.ConvertToMatrixD3D(&worldD3D);
    direct3D->Check("Model::Draw", direct3D->GetDevice()->SetTransform(D3DTS_WORLD, &worldD3D));
    direct3D->SetZEnable((m_properties >> 7) & 1);
    // A blended picture laid on the kept background (a shadow on the sand) leaves the depth
    // buffer as the background made it, so what it lies on can be drawn again under it.
    direct3D->SetZWriteEnable(IsBackgroundDecal() ? 0 : 1);
    m_vertexBuffer->Use();

    auto const drawPass = [this, direct3D](unsigned int cullMode) {
        direct3D->SetCullMode(cullMode);
        for (unsigned int i = 0; i < m_visibleTriangleSetsCount; ++i) {
            TriangleSet* set = m_triangleSets[m_visibleTriangleSets[i]].get();
            if (set)
                set->Draw();
        }
    };
    if ((m_properties & MP_TWO_SIDED) && !(m_properties & MP_OPAQUE)) {
        // See-through: front faces, then back faces, so the order does not change with the view.
        drawPass(D3DCULL_CCW);
        drawPass(D3DCULL_CW);
    } else if (m_properties & MP_TWO_SIDED) {
        // Opaque: the depth test orders both sides, drawn in one pass.
        drawPass(D3DCULL_NONE);
    } else {
        drawPass((m_properties & MP_CULL_CLOCKWISE) ? D3DCULL_CW : D3DCULL_NONE);
    }
}

bool CModel::IsBackgroundDecal() const
{
    if (!(m_properties & MP_BACKGROUND))
        return false;
    for (unsigned int i = 0; i < m_visibleTriangleSetsCount; ++i) {
        TriangleSet const* set = m_triangleSets[m_visibleTriangleSets[i]].get();
        CShaderDescriptor const* shader = set ? set->GetShaderDescriptor() : nullptr;
        if (shader && (shader->GetProperties() & SP_BLENDING))
            return true;
    }
    return false;
}

bool CModel::GetRayIntersection(CRay const& ray, float* distance) const
{
    if (m_free || m_octree.GetNodesCount() == 0 || !GetBoundingBox().GetRayIntersection(ray))
        return false;
    CMatrix4x4 inverse = m_matrix;
    inverse.Invert();
    CRay local = inverse * ray;
    local.Normalize();
    float nearest = NoIntersection;
    bool hit = false;
    Vertex const* vertices = m_vertexBuffer->Get();
    unsigned int const size = m_vertexBuffer->GetSize();
    ForEachDrawnTriangleSet([&](TriangleSet const& set) {
        bool const list = set.GetType() == TST_LIST;
        unsigned int const primitives = set.GetPrimitiveCount();
        unsigned int const indicesCount = set.GetIndexBuffer()->GetSize();
        for (unsigned int k = 0; k < primitives; ++k) {
            unsigned int const first = list ? 3 * k : k;
            if (first + 2 >= indicesCount)
                break;
            unsigned int const i0 = SetIndex(set, first);
            unsigned int const i1 = SetIndex(set, first + 1);
            unsigned int const i2 = SetIndex(set, first + 2);
            if (i0 >= size || i1 >= size || i2 >= size)
                continue;
            CVector3 const& a = vertices[i0].position;
            CVector3 const& b = vertices[i1].position;
            CVector3 const& c = vertices[i2].position;
            CPlane const plane(a, b, c);
            float d = 0.0f;
            if (!plane.GetRayIntersection(local, &d))
                continue;
            if (IsPointInsideTriangle(local.GetEnd(d), a, b, c, plane.GetNormal())) {
                nearest = std::min(nearest, d);
                hit = true;
            }
        }
    });
    *distance = nearest;
    return hit;
}

bool CModel::Save(char const*) const
{
    return false;
}
