#pragma once

// Joins the engine's frame cycle; its subsystem fills it in.
class CSoundManager
{
public:
    CSoundManager() = default;
    ~CSoundManager() { Destroy(); }
    CSoundManager(CSoundManager const&) = delete;
    CSoundManager& operator=(CSoundManager const&) = delete;

    template <typename... Arguments>
    void Create(Arguments const&...)
    {
        Destroy();
        m_free = false;
    }
    void Destroy() { m_free = true; }
    bool IsFree() const { return m_free; }
    void Refresh() {}
private:
    bool m_free = true;
};
