#pragma once

// Joins the engine's frame cycle; its subsystem fills it in.
class CGUIManager
{
public:
    CGUIManager() = default;
    ~CGUIManager() { Destroy(); }
    CGUIManager(CGUIManager const&) = delete;
    CGUIManager& operator=(CGUIManager const&) = delete;

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
