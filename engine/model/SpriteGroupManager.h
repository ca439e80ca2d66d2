#pragma once

// Joins the engine's frame cycle; its subsystem fills it in.
class CSpriteGroupManager
{
public:
    CSpriteGroupManager() = default;
    ~CSpriteGroupManager() { Destroy(); }
    CSpriteGroupManager(CSpriteGroupManager const&) = delete;
    CSpriteGroupManager& operator=(CSpriteGroupManager const&) = delete;

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
