#pragma once

// Joins the engine's frame cycle; its subsystem fills it in.
class CScreenCapture
{
public:
    CScreenCapture() = default;
    ~CScreenCapture() { Destroy(); }
    CScreenCapture(CScreenCapture const&) = delete;
    CScreenCapture& operator=(CScreenCapture const&) = delete;

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
