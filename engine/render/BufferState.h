#pragma once

class CDirect3DSubsystem;
class CMemoryManager;
class CMessageManager;

// The services a geometry buffer is made with; its copies share them.
struct SBufferServices
{
    CMessageManager* messageManager = nullptr;
    CMemoryManager* memoryManager = nullptr;
    CDirect3DSubsystem* direct3DSubsystem = nullptr;
};

// The range of a geometry buffer last written through a lock.
struct SBufferLock
{
    bool locked = false;
    unsigned int start = 0;
    unsigned int count = 0;
};
