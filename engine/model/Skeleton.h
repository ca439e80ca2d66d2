#pragma once

#include "math/BoundingBox.h"
#include "math/Matrix4x4.h"
#include "math/Quaternion.h"
#include "math/Vector.h"

#include <cstdint>

class CMessageManager;
class CMemoryManager;

// One bone of a skeletal model. The loader fills the file fields and the animated
// pose; callers add their own pose on top; Refresh derives the matrices.
struct SBone
{
    static constexpr unsigned int NameLength = 256;

    // 0: the bone's box takes part in the model's bounding box.
    std::uint8_t flag;
    char name[NameLength];
    CBoundingBox box;
    std::uint32_t fileValue;
    // Bones are stored depth first: this bone's subtree is the index range up to here.
    unsigned int lastDescendant;
    CQuaternion animatedRotation;
    CQuaternion additionalRotation;
    CVector3 animatedPosition;
    CVector3 additionalPosition;
    CVector3 animatedScale;
    CMatrix4x4 rotationMatrix;
    CMatrix4x4 boneMatrix;
};

// The bone hierarchy of a skeletal model.
class CSkeleton
{
public:
    CSkeleton() = default;
    CSkeleton(CSkeleton const& other);
    CSkeleton& operator=(CSkeleton const& other);
    ~CSkeleton();

    // Allocates the bones with their additional pose reset; the loader fills the rest.
    void Create(CMessageManager* messageManager, CMemoryManager* memoryManager,
                unsigned int const& bonesCount);
    void Create(CSkeleton const& other);
    void Destroy();
    void SetFree(bool const& free) { m_free = free; }
    bool IsFree() const { return m_free; }

    unsigned int GetBonesCount() const { return m_bonesCount; }
    SBone* GetBone(unsigned int index);
    SBone const* GetBone(unsigned int index) const;
    SBone* GetBone(char const* name);
    // Index of the first bone with exactly this name; -1 when none has it.
    int GetBoneIndexByName(char const* name) const;

    // Turns the bone's subtree by `rotation` about the bone's position.
    void RotateBone(int index, CQuaternion const& rotation);
    void RotateBone(char const* name, CQuaternion const& rotation);
    // Shifts the bone's subtree by `offset`.
    void MoveBone(int index, CVector3 const& offset);
    void MoveBone(char const* name, CVector3 const& offset);
    void ResetAllBonesAdditionalPositionAndRotation();

    // Derives every bone's matrices and transformed box from its two poses.
    void Refresh();

private:
    // Last bone index of the subtree of `index`, kept inside the bone array.
    unsigned int GetSubtreeEnd(unsigned int index) const;
    bool IsBoneIndex(int index) const
    {
        return index >= 0 && static_cast<unsigned int>(index) < m_bonesCount;
    }
    void AllocateBones(unsigned int count);

    bool m_free = true;
    CMessageManager* m_messageManager = nullptr;
    CMemoryManager* m_memoryManager = nullptr;
    unsigned int m_bonesCount = 0;
    SBone* m_bones = nullptr;
};
