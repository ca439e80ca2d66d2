#include "render/Octree.h"

#include <cstdint>
#include <cstring>

#include "core/Errors.h"
#include "core/File.h"
#include "core/FileManager.h"
#include "core/MessageManager.h"
#include "render/Frustum.h"

namespace
{
constexpr char Magic[5] = {'T', 'W', 'O', 'T', 'F'};

std::uint32_t ReadUnsigned(CFile& file)
{
    unsigned char bytes[4];
    file.Read(bytes, 4);
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

float ReadFloat(CFile& file)
{
    std::uint32_t const bits = ReadUnsigned(file);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

CVector3 ReadVector(CFile& file)
{
    float const x = ReadFloat(file);
    float const y = ReadFloat(file);
    float const z = ReadFloat(file);
    return {x, y, z};
}

void WriteUnsigned(CFile& file, std::uint32_t value)
{
    unsigned char const bytes[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                                    static_cast<unsigned char>(value >> 16),
                                    static_cast<unsigned char>(value >> 24)};
    file.Write(bytes, 4);
}

void WriteFloat(CFile& file, float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    WriteUnsigned(file, bits);
}

void WriteVector(CFile& file, CVector3 const& vector)
{
    WriteFloat(file, vector.x);
    WriteFloat(file, vector.y);
    WriteFloat(file, vector.z);
}

void OpenFile(CFileManager* fileManager, CMessageManager* messageManager, CMemoryManager* memoryManager,
              CFile* file, char const* name, unsigned int mode)
{
    if (fileManager)
        fileManager->OpenFile(file, name, mode);
    else
        file->Open(messageManager, memoryManager, name, mode);
}
} // namespace

void COctree::Create(CMessageManager* messageManager, CMemoryManager* memoryManager,
                     CFileManager* fileManager, unsigned int const& nodesCount)
{
    Destroy();
    m_messageManager = messageManager;
    m_memoryManager = memoryManager;
    m_fileManager = fileManager;
    m_nodes.assign(nodesCount, SOctreeNode{});
    for (unsigned int i = 0; i < nodesCount; ++i) {
        m_nodes[i].box.Set(CVector3(0.0f), CVector3(0.0f));
        m_nodes[i].skip = i;
    }
    m_matrix.SetIdentity();
    m_savedMatrix.SetIdentity();
    m_free = false;
}

bool COctree::Create(CMessageManager* messageManager, CMemoryManager* memoryManager,
                     CFileManager* fileManager, char const* fileName)
{
    Destroy();
    m_messageManager = messageManager;
    m_memoryManager = memoryManager;
    m_fileManager = fileManager;
    m_matrix.SetIdentity();
    m_savedMatrix.SetIdentity();
    m_free = false;
    if (Load(fileName))
        return true;
    m_nodes.clear();
    return false;
}

bool COctree::Load(char const* fileName)
{
    try {
        CFile file;
        OpenFile(m_fileManager, m_messageManager, m_memoryManager, &file, fileName, FILE_READ_BINARY);
        std::uint32_t const storedSize = ReadUnsigned(file);
        char magic[5];
        file.Read(magic, 5);
        if (std::memcmp(magic, Magic, 5) != 0 || storedSize != file.GetSize()) {
            m_messageManager->WriteError("Incorrect %s file format", fileName);
            return false;
        }
        std::uint32_t const version = ReadUnsigned(file);
        if (version != FileVersion) {
            m_messageManager->WriteError("Incorrect %s format version, current is %d", fileName,
                                         static_cast<int>(FileVersion));
            return false;
        }
        std::uint32_t const nodesCount = ReadUnsigned(file);
        // The count must match the records the file holds before anything is allocated.
        unsigned int const remaining = file.GetSize() - file.GetPosition();
        if (nodesCount > remaining / NodeRecordSize) {
            m_messageManager->WriteError("Incorrect %s file format", fileName);
            return false;
        }
        m_nodes.assign(nodesCount, SOctreeNode{});
        for (SOctreeNode& node : m_nodes) {
            CVector3 const first = ReadVector(file);
            CVector3 const second = ReadVector(file);
            node.box.Set(first, second);
            unsigned char leaf = 0;
            file.Read(&leaf, 1);
            node.leaf = leaf != 0;
            node.skip = ReadUnsigned(file);
            node.firstTriangleSet = ReadUnsigned(file);
            node.triangleSetsCount = ReadUnsigned(file);
        }
        if (!IsWellOrdered()) {
            m_messageManager->WriteError("Incorrect %s file format", fileName);
            return false;
        }
    } catch (CFileError const& error) {
        m_messageManager->WriteError("%s", error.GetText());
        return false;
    }
    return true;
}

void COctree::Create(COctree const& other)
{
    if (this == &other)
        return;
    Destroy();
    if (other.m_free)
        return;
    m_messageManager = other.m_messageManager;
    m_memoryManager = other.m_memoryManager;
    m_fileManager = other.m_fileManager;
    m_nodes = other.m_nodes;
    m_matrix = other.m_matrix;
    m_savedMatrix = other.m_savedMatrix;
    m_free = false;
}

void COctree::Destroy()
{
    if (m_free)
        return;
    m_nodes.clear();
    m_free = true;
}

bool COctree::Save(char const* fileName) const
{
    try {
        CFile file;
        OpenFile(m_fileManager, m_messageManager, m_memoryManager, &file, fileName, FILE_WRITE_BINARY);
        auto writeHeader = [&file](std::uint32_t size) {
            WriteUnsigned(file, size);
            file.Write(Magic, 5);
            WriteUnsigned(file, FileVersion);
        };
        writeHeader(0);
        WriteUnsigned(file, GetNodesCount());
        for (SOctreeNode const& node : m_nodes) {
            WriteVector(file, node.box.GetLocalMinPoint());
            WriteVector(file, node.box.GetLocalMaxPoint());
            unsigned char const leaf = node.leaf ? 1 : 0;
            file.Write(&leaf, 1);
            WriteUnsigned(file, node.skip);
            WriteUnsigned(file, node.firstTriangleSet);
            WriteUnsigned(file, node.triangleSetsCount);
        }
        std::uint32_t const size = file.GetPosition();
        file.Seek(FSO_BEGIN, 0);
        writeHeader(size);
        file.Close();
    } catch (CFileError const& error) {
        if (m_messageManager)
            m_messageManager->WriteError("%s", error.GetText());
        return false;
    }
    return true;
}

bool COctree::IsWellOrdered() const
{
    unsigned int const count = GetNodesCount();
    for (unsigned int i = 0; i < count; ++i) {
        SOctreeNode const& node = m_nodes[i];
        if (node.skip < i || node.skip >= count)
            return false;
        if (node.leaf && node.firstTriangleSet > UINT32_MAX - node.triangleSetsCount)
            return false;
    }
    return true;
}

bool COctree::FitsTriangleSets(unsigned int triangleSetsCount) const
{
    if (!IsWellOrdered())
        return false;
    std::uint64_t listed = 0;
    for (SOctreeNode const& node : m_nodes) {
        if (!node.leaf)
            continue;
        if (static_cast<std::uint64_t>(node.firstTriangleSet) + node.triangleSetsCount > triangleSetsCount)
            return false;
        listed += node.triangleSetsCount;
    }
    return listed <= triangleSetsCount;
}

void COctree::SetMatrix(CMatrix4x4 const& matrix)
{
    m_matrix = matrix;
    for (SOctreeNode& node : m_nodes)
        node.box.SetMatrix(matrix);
}

template <typename Test>
void COctree::CollectTriangleSets(unsigned int* count, unsigned int* indices, Test const& isInside) const
{
    *count = 0;
    unsigned int const nodesCount = GetNodesCount();
    for (unsigned int i = 0; i < nodesCount; ++i) {
        SOctreeNode const& node = m_nodes[i];
        if (isInside(node.box)) {
            if (node.leaf) {
                for (unsigned int k = 0; k < node.triangleSetsCount; ++k)
                    indices[(*count)++] = node.firstTriangleSet + k;
            }
        } else if (!node.leaf && node.skip > i) {
            i = node.skip;
        }
    }
}

void COctree::GetVisibleTriangleSets(unsigned int* count, unsigned int* indices,
                                     CFrustum const& frustum) const
{
    CollectTriangleSets(count, indices,
                        [&frustum](CBoundingBox const& box) { return frustum.IsInFrustum(box); });
}

void COctree::GetIntersectionTriangleSets(unsigned int* count, unsigned int* indices,
                                          CBoundingBox const& box) const
{
    CollectTriangleSets(count, indices, [&box](CBoundingBox const& nodeBox) {
        return nodeBox.GetBoundingBoxIntersection(box);
    });
}
