#pragma once

class CCameraManager;
class CControls;
class CFileManager;
class CMemoryManager;
class CMessageManager;
class CModelManager;
class CShaderManager;
class CSoundManager;
class CTimerManager;
class CWindow;

// The managers every GUI element works with (none owned) and the GUI camera's index.
struct SGUIContext
{
    CMessageManager* messageManager = nullptr;
    CMemoryManager* memoryManager = nullptr;
    CFileManager* fileManager = nullptr;
    CWindow* window = nullptr;
    CTimerManager* timerManager = nullptr;
    CCameraManager* cameraManager = nullptr;
    CShaderManager* shaderManager = nullptr;
    CModelManager* modelManager = nullptr;
    CControls* controls = nullptr;
    CSoundManager* soundManager = nullptr;
    unsigned int cameraIndex = 0;
};
