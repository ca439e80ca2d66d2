#pragma once

// Joins the engine's frame cycle; its subsystem fills it in.
class CModelManager
{
public:
    CModelManager() = default;
    ~CModelManager() { Destroy(); }
    CModelManager(CModelManager const&) = delete;
    CModelManager& operator=(CModelManager const&) = delete;

    template <typename... Arguments>
    void Create(Arguments const&...)
    {
        Destroy();
        m_free = false;
    }
    void Destroy() { m_free = true; }
    bool IsFree() const { return m_free; }
    void BeginFrame() {}
    void FinishFrame() {}
private:
    bool m_free = true;
};
