#pragma once

// Joins the engine's frame cycle; its subsystem fills it in.
class CConsole
{
public:
    CConsole() = default;
    ~CConsole() { Destroy(); }
    CConsole(CConsole const&) = delete;
    CConsole& operator=(CConsole const&) = delete;

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
