#pragma once

#include <vector>

#include "math/BoundingBox.h"
#include "math/Matrix4x4.h"

class CFileManager;
class CFrustum;
class CMemoryManager;
class CMessageManager;

// One box of the octree. Nodes are stored in depth-first pre-order: a node's children
// follow it and its subtree ends at `skip` (a leaf's skip is its own index).
struct SOctreeNode
{
    CBoundingBox box;
    bool leaf = true;
    unsigned int skip = 0;
    unsigned int firstTriangleSet = 0;
    unsigned int triangleSetsCount = 0;
};

// A flat octree over a model's triangle sets, loaded from or saved to an octree file and
// queried for the sets a frustum or a box touches.
class COctree
{
public:
    static constexpr unsigned int FileVersion = 100;
    static constexpr unsigned int HeaderSize = 13;
    static constexpr unsigned int NodeRecordSize = 37;

    COctree() = default;
    COctree(COctree const& other) { Create(other); }
    COctree& operator=(COctree const& other)
    {
        if (this != &other)
            Create(other);
        return *this;
    }
    ~COctree() { Destroy(); }

    // `nodesCount` default nodes (leaves without sets) and identity matrices.
    void Create(CMessageManager* messageManager, CMemoryManager* memoryManager, CFileManager* fileManager,
                unsigned int const& nodesCount);
    // Reads an octree file; on failure the error is logged, the octree is left empty and
    // false is returned. A file whose nodes do not form a well-ordered tree is rejected.
    bool Create(CMessageManager* messageManager, CMemoryManager* memoryManager, CFileManager* fileManager,
                char const* fileName);
    void Create(COctree const& other);
    void Destroy();
    bool IsFree() const { return m_free; }

    // Written through the file manager (a relative name is under the engine directory).
    bool Save(char const* fileName) const;

    SOctreeNode* GetNode(unsigned int const& index) { return &m_nodes[index]; }
    SOctreeNode const* GetNode(unsigned int const& index) const { return &m_nodes[index]; }
    unsigned int GetNodesCount() const { return static_cast<unsigned int>(m_nodes.size()); }

    // True when every skip lies within [own index, last node] and the leaves together list
    // at most `triangleSetsCount` sets, all below it: then a query never writes more than
    // that many indices, nor an index past the model's sets.
    bool FitsTriangleSets(unsigned int triangleSetsCount) const;

    void SetMatrix(CMatrix4x4 const& matrix);
    CMatrix4x4 const& GetMatrix() const { return m_matrix; }
    // The matrix becomes matrix × current.
    void Transform(CMatrix4x4 const& matrix) { SetMatrix(matrix * m_matrix); }
    void SaveMatrix() { m_savedMatrix = m_matrix; }
    void RestoreMatrix() { SetMatrix(m_savedMatrix); }

    // The sets of the leaves whose boxes are in the frustum, appended to `indices`.
    void GetVisibleTriangleSets(unsigned int* count, unsigned int* indices, CFrustum const& frustum) const;
    // The sets of the leaves whose boxes meet the box.
    void GetIntersectionTriangleSets(unsigned int* count, unsigned int* indices,
                                     CBoundingBox const& box) const;

    void Refresh() {}

private:
    template <typename Test>
    void CollectTriangleSets(unsigned int* count, unsigned int* indices, Test const& isInside) const;
    bool IsWellOrdered() const;
    bool Load(char const* fileName);

    bool m_free = true;
    CMessageManager* m_messageManager = nullptr;
    CMemoryManager* m_memoryManager = nullptr;
    CFileManager* m_fileManager = nullptr;
    std::vector<SOctreeNode> m_nodes;
    CMatrix4x4 m_matrix = CMatrix4x4::GetIdentity();
    CMatrix4x4 m_savedMatrix = CMatrix4x4::GetIdentity();
};
