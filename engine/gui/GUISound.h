#pragma once

class CSoundManager;

// A widget's optional sound: loaded only when a sound manager is running and a name is given;
// it plays centred, at the listener's position.
class CGUISound
{
public:
    CGUISound() = default;
    ~CGUISound() { Release(); }
    CGUISound(CGUISound const&) = delete;
    CGUISound& operator=(CGUISound const&) = delete;

    void Load(CSoundManager* soundManager, char const* fileName);
    void Play();
    void Release();
    bool IsLoaded() const { return m_loaded; }
    unsigned int GetSlot() const { return m_slot; }

private:
    CSoundManager* m_soundManager = nullptr;
    unsigned int m_slot = 0;
    bool m_loaded = false;
};
