#pragma once

// Joins the engine's frame cycle; its subsystem fills it in.
class CShaderManager
{
public:
    CShaderManager() = default;
    ~CShaderManager() { Destroy(); }
    CShaderManager(CShaderManager const&) = delete;
    CShaderManager& operator=(CShaderManager const&) = delete;

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
