#pragma once

#include "platform/gl/Direct3D8.h"

class CDirect3DSubsystem;
class CMemoryManager;
class CMessageManager;
class CShaderDescriptor;
class CShaderManager;
class IndexBuffer;
class VertexBuffer;

enum TriangleSetType : unsigned int
{
    TST_LIST = 0,
    TST_STRIP = 1, // any non-zero value draws a strip
};

// One index buffer (owned) over a shared vertex buffer, drawn with one shader handle.
class TriangleSet
{
public:
    // Takes over the caller's reference to shader handle `shaderIndex`.
    TriangleSet(CMessageManager* messageManager, CMemoryManager* memoryManager,
                CDirect3DSubsystem* direct3DSubsystem, CShaderManager* shaderManager, TriangleSetType type,
                unsigned int indexCount, VertexBuffer* vertices, unsigned int shaderIndex);
    // Copies the indices and adds a reference of its own to the other set's shader.
    TriangleSet(TriangleSet const& other, VertexBuffer* vertices);
    TriangleSet(TriangleSet const&) = delete;
    TriangleSet& operator=(TriangleSet const&) = delete;
    ~TriangleSet();

    // Recomputes the primitive count from the index buffer size.
    void Refresh();
    void ChangeShader(CShaderDescriptor const& descriptor);
    // Nothing is drawn without primitives or when the shader needs more texture units than
    // the device has. The caller sets the vertex format (VertexBuffer::Use) beforehand.
    void Draw();

    TriangleSetType GetType() const { return m_type; }
    D3DPRIMITIVETYPE GetPrimitiveType() const { return m_primitiveType; }
    IndexBuffer* GetIndexBuffer() const { return m_indexBuffer; }
    VertexBuffer* GetVertexBuffer() const { return m_vertexBuffer; }
    unsigned int GetPrimitiveCount() const { return m_primitiveCount; }
    unsigned int GetShaderIndex() const { return m_shaderIndex; }
    CShaderDescriptor* GetShaderDescriptor() const { return m_shaderDescriptor; }

    static unsigned int GetPrimitiveCount(TriangleSetType type, unsigned int indexCount);

private:
    CMessageManager* m_messageManager;
    CMemoryManager* m_memoryManager;
    CDirect3DSubsystem* m_direct3DSubsystem;
    CShaderManager* m_shaderManager;
    TriangleSetType m_type;
    D3DPRIMITIVETYPE m_primitiveType;
    IndexBuffer* m_indexBuffer;
    VertexBuffer* m_vertexBuffer;
    unsigned int m_primitiveCount;
    unsigned int m_shaderIndex;
    CShaderDescriptor* m_shaderDescriptor;
};
