#include "BubbleSound.h"

#include "core/Config.h"
#include "sound/Sound.h"
#include "sound/SoundManager.h"

void CBubbleSound::Create(CSoundManager* sounds, CConfig* config)
{
    Destroy();
    m_sounds = sounds;
    m_config = config;
    m_slot = sounds->AddSound(SoundFile);
    if (CSound* sound = sounds->GetSound(m_slot)) {
        sound->SetLoop(true);
        sound->SetVolume(Volume);
        // At the listener, so the distance model leaves it at full level.
        sound->SetPosition(sounds->GetListenerPosition());
    }
    m_playing = false;
}

void CBubbleSound::Destroy()
{
    if (!m_sounds)
        return;
    if (m_playing)
        m_sounds->StopSound(m_slot);
    m_sounds->RemoveSound(m_slot);
    m_sounds = nullptr;
    m_config = nullptr;
    m_playing = false;
}

void CBubbleSound::Refresh()
{
    if (!m_sounds)
        return;
    bool const wanted = m_config->GetValueAsBoolean(SwitchVariable);
    if (wanted == m_playing)
        return;
    if (wanted)
        m_sounds->PlaySoundA(m_slot);
    else
        m_sounds->StopSound(m_slot);
    m_playing = wanted;
}
