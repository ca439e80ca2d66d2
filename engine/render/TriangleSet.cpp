#include "render/TriangleSet.h"

#include "render/Direct3DSubsystem.h"
#include "render/IndexBuffer.h"
#include "render/ShaderDescriptor.h"
#include "render/ShaderManager.h"
#include "render/VertexBuffer.h"

unsigned int TriangleSet::GetPrimitiveCount(TriangleSetType type, unsigned int indexCount)
{
    if (type != TST_LIST)
        return indexCount >= 2 ? indexCount - 2 : 0;
    return indexCount / 3;
}

TriangleSet::TriangleSet(CMessageManager* messageManager, CMemoryManager* memoryManager,
                         CDirect3DSubsystem* direct3DSubsystem, CShaderManager* shaderManager,
                         TriangleSetType type, unsigned int indexCount, VertexBuffer* vertices,
                         unsigned int shaderIndex)
    : m_messageManager(messageManager), m_memoryManager(memoryManager),
      m_direct3DSubsystem(direct3DSubsystem), m_shaderManager(shaderManager), m_type(type),
      m_primitiveType(type == TST_LIST ? D3DPT_TRIANGLELIST : D3DPT_TRIANGLESTRIP),
      m_indexBuffer(new IndexBuffer(messageManager, memoryManager, direct3DSubsystem, indexCount)),
      m_vertexBuffer(vertices), m_primitiveCount(GetPrimitiveCount(type, indexCount)),
      m_shaderIndex(shaderIndex), m_shaderDescriptor(shaderManager->GetShaderDescriptor(shaderIndex))
{}

TriangleSet::TriangleSet(TriangleSet const& other, VertexBuffer* vertices)
    : m_messageManager(other.m_messageManager), m_memoryManager(other.m_memoryManager),
      m_direct3DSubsystem(other.m_direct3DSubsystem), m_shaderManager(other.m_shaderManager),
      m_type(other.m_type), m_primitiveType(other.m_primitiveType),
      m_indexBuffer(new IndexBuffer(*other.m_indexBuffer)), m_vertexBuffer(vertices),
      m_primitiveCount(other.m_primitiveCount),
      m_shaderIndex(m_shaderManager->AddShader(*other.m_shaderDescriptor)),
      m_shaderDescriptor(m_shaderManager->GetShaderDescriptor(m_shaderIndex))
{}

TriangleSet::~TriangleSet()
{
    delete m_indexBuffer;
    m_shaderManager->RemoveShader(m_shaderIndex);
}

void TriangleSet::Refresh()
{
    m_primitiveCount = GetPrimitiveCount(m_type, m_indexBuffer->GetSize());
}

void TriangleSet::ChangeShader(CShaderDescriptor const& descriptor)
{
    unsigned int const oldIndex = m_shaderIndex;
    m_shaderIndex = m_shaderManager->AddShader(descriptor);
    m_shaderDescriptor = m_shaderManager->GetShaderDescriptor(m_shaderIndex);
    m_shaderManager->RemoveShader(oldIndex);
}

void TriangleSet::Draw()
{
    if (m_primitiveCount == 0)
        return;
    if (m_shaderDescriptor &&
        m_shaderDescriptor->GetStagesCount() > m_direct3DSubsystem->GetMaxTextureUnits())
        return;
    m_shaderManager->UseShader(m_shaderIndex);
    IDirect3DDevice8* device = m_direct3DSubsystem->GetDevice();
    IDirect3DVertexBuffer8* vertices = m_vertexBuffer->GetDeviceBuffer();
    IDirect3DIndexBuffer8* indices = vertices ? m_indexBuffer->GetDeviceBuffer() : nullptr;
    HRESULT result = D3D_OK;
    if (vertices && indices) {
        device->SetStreamSource(0, vertices, VertexBuffer::Stride);
        device->SetIndices(indices, 0);
        result =
            device->DrawIndexedPrimitive(m_primitiveType, 0, m_vertexBuffer->GetSize(), 0, m_primitiveCount);
    } else {
        result = device->DrawIndexedPrimitiveUP(
            m_primitiveType, 0, m_vertexBuffer->GetSize(), m_primitiveCount, m_indexBuffer->Get(),
            m_indexBuffer->GetFormat(), m_vertexBuffer->Get(), VertexBuffer::Stride);
    }
    m_direct3DSubsystem->Check("TriangleSet::Draw", result);
}
