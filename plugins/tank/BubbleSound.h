#pragma once

class CConfig;
class CSoundManager;

// The looping bubble sound, playing only while "g_play_bubles_sound" is on.
class CBubbleSound
{
public:
    static constexpr char const* SoundFile = "bubbles.ogg";
    static constexpr char const* SwitchVariable = "g_play_bubles_sound";
    static constexpr float Volume = 0.6f;

    CBubbleSound() = default;
    ~CBubbleSound() { Destroy(); }
    CBubbleSound(CBubbleSound const&) = delete;
    CBubbleSound& operator=(CBubbleSound const&) = delete;

    // Adds the sound (silent until the first Refresh finds the switch on).
    void Create(CSoundManager* sounds, CConfig* config);
    void Destroy();
    bool IsFree() const { return m_sounds == nullptr; }

    // Starts or stops the loop when the switch has changed.
    void Refresh();
    bool IsPlaying() const { return m_playing; }

private:
    CSoundManager* m_sounds = nullptr;
    CConfig* m_config = nullptr;
    unsigned int m_slot = 0;
    bool m_playing = false;
};
