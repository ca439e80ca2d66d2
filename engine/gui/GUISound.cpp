#include "gui/GUISound.h"

#include "sound/Sound.h"
#include "sound/SoundManager.h"

void CGUISound::Load(CSoundManager* soundManager, char const* fileName)
{
    Release();
    if (!soundManager || soundManager->IsFree() || !fileName || !*fileName)
        return;
    m_soundManager = soundManager;
    m_slot = soundManager->AddSound(fileName);
    m_loaded = true;
    // On the listener, so that both channels carry it alike.
    if (CSound* sound = soundManager->GetSound(m_slot))
        sound->SetPosition(soundManager->GetListenerPosition());
}

void CGUISound::Play()
{
    if (m_loaded && !m_soundManager->IsFree())
        m_soundManager->PlaySoundA(m_slot);
}

void CGUISound::Release()
{
    if (m_loaded && !m_soundManager->IsFree())
        m_soundManager->RemoveSound(m_slot);
    m_loaded = false;
    m_soundManager = nullptr;
}
