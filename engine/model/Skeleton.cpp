#include "model/Skeleton.h"

#include "core/MemoryManager.h"
#include "core/MessageManager.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

CSkeleton::CSkeleton(CSkeleton const& other)
{
    Create(other);
}

CSkeleton& CSkeleton::operator=(CSkeleton const& other)
{
    if (this != &other)
        Create(other);
    return *this;
}

CSkeleton::~CSkeleton()
{
    Destroy();
}

void CSkeleton::AllocateBones(unsigned int count)
{
    m_bonesCount = 0;
    if (count == 0)
        return;
    if (count > 0xFFFFFFFFu / sizeof(SBone))
        m_messageManager->WriteFatalError("Skeleton: %u bones do not fit in memory", count);
    m_bonesCount = count;
    void* block = m_memoryManager->Allocate(count * static_cast<unsigned int>(sizeof(SBone)), false);
    m_bones = static_cast<SBone*>(block);
    std::uninitialized_default_construct_n(m_bones, count);
}

void CSkeleton::Create(CMessageManager* messageManager, CMemoryManager* memoryManager,
                       unsigned int const& bonesCount)
{
    Destroy();
    m_messageManager = messageManager;
    m_memoryManager = memoryManager;
    AllocateBones(bonesCount);
    // Neutral values until the loader fills the bones.
    for (unsigned int i = 0; i < m_bonesCount; ++i) {
        SBone& bone = m_bones[i];
        bone.flag = 0;
        std::memset(bone.name, 0, SBone::NameLength);
        bone.box.Set(CVector3(0.0f), CVector3(0.0f));
        bone.fileValue = 0;
        bone.lastDescendant = i;
        bone.animatedRotation = CQuaternion(0.0f, 0.0f, 0.0f, 1.0f);
        bone.animatedPosition = CVector3(0.0f);
        bone.animatedScale = CVector3(1.0f);
        bone.rotationMatrix = CMatrix4x4::GetIdentity();
        bone.boneMatrix = CMatrix4x4::GetIdentity();
    }
    ResetAllBonesAdditionalPositionAndRotation();
    m_free = false;
}

void CSkeleton::Create(CSkeleton const& other)
{
    if (this == &other)
        return;
    Destroy();
    if (other.IsFree())
        return;
    m_messageManager = other.m_messageManager;
    m_memoryManager = other.m_memoryManager;
    AllocateBones(other.m_bonesCount);
    std::copy_n(other.m_bones, m_bonesCount, m_bones);
    m_free = false;
}

void CSkeleton::Destroy()
{
    if (m_free)
        return;
    if (m_bones) {
        std::destroy_n(m_bones, m_bonesCount);
        m_memoryManager->Free(m_bones);
    }
    m_bones = nullptr;
    m_bonesCount = 0;
    m_free = true;
}

SBone* CSkeleton::GetBone(unsigned int index)
{
    return index < m_bonesCount ? &m_bones[index] : nullptr;
}

SBone const* CSkeleton::GetBone(unsigned int index) const
{
    return index < m_bonesCount ? &m_bones[index] : nullptr;
}

SBone* CSkeleton::GetBone(char const* name)
{
    int const index = GetBoneIndexByName(name);
    return index < 0 ? nullptr : &m_bones[index];
}

int CSkeleton::GetBoneIndexByName(char const* name) const
{
    if (!name)
        return -1;
    for (unsigned int i = 0; i < m_bonesCount; ++i) {
        if (std::strncmp(m_bones[i].name, name, SBone::NameLength) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

unsigned int CSkeleton::GetSubtreeEnd(unsigned int index) const
{
    return std::min(m_bones[index].lastDescendant, m_bonesCount - 1);
}

void CSkeleton::RotateBone(int index, CQuaternion const& rotation)
{
    if (!IsBoneIndex(index))
        return;
    unsigned int const root = static_cast<unsigned int>(index);
    unsigned int const last = GetSubtreeEnd(root);
    for (unsigned int j = root; j <= last; ++j)
        m_bones[j].additionalRotation = m_bones[j].additionalRotation * rotation;

    CVector3 const pivot = m_bones[root].animatedPosition + m_bones[root].additionalPosition;
    CMatrix4x4 const turn = rotation.GetMatrix();
    for (unsigned int j = root + 1; j <= last; ++j) {
        SBone& bone = m_bones[j];
        CVector3 const position = bone.animatedPosition + bone.additionalPosition;
        CVector3 const turned = pivot + turn * (position - pivot);
        bone.additionalPosition = turned - bone.animatedPosition;
    }
}

void CSkeleton::RotateBone(char const* name, CQuaternion const& rotation)
{
    RotateBone(GetBoneIndexByName(name), rotation);
}

void CSkeleton::MoveBone(int index, CVector3 const& offset)
{
    if (!IsBoneIndex(index))
        return;
    unsigned int const root = static_cast<unsigned int>(index);
    unsigned int const last = GetSubtreeEnd(root);
    for (unsigned int j = root; j <= last; ++j)
        m_bones[j].additionalPosition += offset;
}

void CSkeleton::MoveBone(char const* name, CVector3 const& offset)
{
    MoveBone(GetBoneIndexByName(name), offset);
}

void CSkeleton::ResetAllBonesAdditionalPositionAndRotation()
{
    for (unsigned int i = 0; i < m_bonesCount; ++i) {
        m_bones[i].additionalPosition = CVector3(0.0f, 0.0f, 0.0f);
        m_bones[i].additionalRotation = CQuaternion(0.0f, 0.0f, 0.0f, 1.0f);
    }
}

void CSkeleton::Refresh()
{
    for (unsigned int i = 0; i < m_bonesCount; ++i) {
        SBone& bone = m_bones[i];
        bone.rotationMatrix = (bone.animatedRotation * bone.additionalRotation).GetMatrix();
        bone.boneMatrix = CMatrix4x4::GetTranslation(bone.animatedPosition + bone.additionalPosition) *
                          bone.rotationMatrix * CMatrix4x4::GetScale(bone.animatedScale);
        bone.box.SetMatrix(bone.boneMatrix);
    }
}
