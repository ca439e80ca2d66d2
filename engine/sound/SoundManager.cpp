#include "sound/SoundManager.h"

#include "core/Config.h"
#include "core/MessageManager.h"
#include "sound/OpenALError.h"
#include "sound/Sound.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>
#include <AL/alut.h>

#include <algorithm>
#include <string>

CSoundManager::CSoundManager() = default;

CSoundManager::~CSoundManager()
{
    Destroy();
}

void CSoundManager::Create(CMessageManager* messageManager, CMemoryManager* memoryManager,
                           CFileManager* fileManager, CConfig* config)
{
    Destroy();
    m_messageManager = messageManager;
    m_memoryManager = memoryManager;
    m_fileManager = fileManager;
    m_config = config;
    if (!OpenDevice()) {
        Destroy();
        return;
    }
    WriteDeviceStrings();
    WriteExtensions();

    m_bufferManager.Create(m_messageManager, m_memoryManager, m_fileManager);
    SetVolume(GetVolume());
    SetListenerPosition(CVector3(0.0f, 0.0f, 0.0f));
    SetListenerOrientation(CVector3(0.0f, 0.0f, -1.0f), CVector3(0.0f, 1.0f, 0.0f));
    m_nextSlot = 0;
    m_free = false;
}

void CSoundManager::Destroy()
{
    // A failed start leaves a device or context behind; a free manager may still hold
    // the silent placeholders AddSound gives out.
    bool const started = !m_free || m_device;
    if (started && m_messageManager)
        m_messageManager->Write("OpenAL Subsystem destroying:");
    m_occupied.clear();
    m_sounds.clear();
    m_freeSlots.clear();
    m_nextSlot = 0;
    if (!started)
        return;
    m_bufferManager.Destroy();
    if (m_context) {
        // The WAV loader's toolkit may have been started on this context.
        alutExit();
        alutGetError();
        if (m_messageManager)
            m_messageManager->Write("...Releasing device context...");
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(m_context);
        m_context = nullptr;
    }
    if (m_device) {
        if (m_messageManager)
            m_messageManager->Write("...Releasing device...");
        alcCloseDevice(m_device);
        m_device = nullptr;
    }
    m_free = true;
}

void CSoundManager::SuspendDevice(bool suspend)
{
    if (!m_device || !alcIsExtensionPresent(m_device, "ALC_SOFT_pause_device"))
        return;
    char const* const name = suspend ? "alcDevicePauseSOFT" : "alcDeviceResumeSOFT";
    auto const call = reinterpret_cast<LPALCDEVICEPAUSESOFT>(alcGetProcAddress(m_device, name));
    if (call)
        call(m_device);
}

void CSoundManager::BeginOpeningDevice()
{
    if (m_free && !m_device) {
        m_opening.Begin();
    }
}

bool CSoundManager::OpenDevice()
{
    CMessageManager* log = m_messageManager;
    if (log) {
        log->Write("\nInitialization of OpenAL Subsystem...");
        log->Write("...Creating a OpenAL device...");
    }
    CSoundDeviceOpening::SResult const opened =
        m_opening.HasBegun() ? m_opening.Take() : CSoundDeviceOpening::Open();
    m_device = opened.device;
    m_context = opened.context;
    if (!m_device) {
        if (log)
            log->WriteError("...Failed to create an OpenAL device...");
        return false;
    }

    if (log)
        log->Write("...Creating a OpenAL device context...");
    if (!m_context) {
        if (log)
            log->WriteError("...Failed to create an OpenAL device context...");
        return false;
    }

    if (log)
        log->Write("...Activating the OpenAL device context...");
    alcGetError(m_device);
    if (!alcMakeContextCurrent(m_context) || alcGetError(m_device) != ALC_NO_ERROR) {
        if (log)
            log->WriteError("...Failed to activate an OpenAL device context...");
        return false;
    }
    return true;
}

void CSoundManager::WriteDeviceStrings()
{
    if (!m_messageManager)
        return;
    auto const text = [](ALenum name) {
        char const* value = alGetString(name);
        return value ? value : "";
    };
    std::string const dots(56, '.');
    m_messageManager->Write("%s", dots.c_str());
    m_messageManager->Write("...Vendor: %s", text(AL_VENDOR));
    m_messageManager->Write("...Renderer: %s", text(AL_RENDERER));
    m_messageManager->Write("...Version: %s", text(AL_VERSION));
    m_messageManager->Write("%s", dots.c_str());
}

void CSoundManager::WriteExtensions()
{
    if (!m_messageManager)
        return;
    char const* extensions = alGetString(AL_EXTENSIONS);
    std::string const list = extensions ? extensions : "";
    // One extension a line, written without the log's own line ends.
    m_messageManager->SetNewLineMode(false);
    m_messageManager->Write("...Supported OpenAL extensions:");
    std::string::size_type at = 0;
    while (at < list.size()) {
        std::string::size_type const end = std::min(list.find(' ', at), list.size());
        if (end > at)
            m_messageManager->Write("\n......%s", list.substr(at, end - at).c_str());
        at = end + 1;
    }
    m_messageManager->SetNewLineMode(true);
    m_messageManager->Write("%s", "");
}

unsigned int CSoundManager::AddSound(std::string const& fileName)
{
    // Without a device the slot holds a sound that never plays.
    auto sound = std::make_unique<CSound>();
    if (!m_free)
        sound->Create(m_messageManager, m_memoryManager, &m_bufferManager, fileName);
    return PlaceSound(std::move(sound));
}

unsigned int CSoundManager::AddSound(CSound const& sound)
{
    auto copy = std::make_unique<CSound>();
    if (!m_free)
        copy->Create(sound);
    return PlaceSound(std::move(copy));
}

unsigned int CSoundManager::TakeSlot()
{
    if (!m_freeSlots.empty()) {
        unsigned int const slot = m_freeSlots.back();
        m_freeSlots.pop_back();
        return slot;
    }
    return m_nextSlot++;
}

unsigned int CSoundManager::PlaceSound(std::unique_ptr<CSound> sound)
{
    unsigned int const slot = TakeSlot();
    if (slot >= m_sounds.size())
        m_sounds.resize(slot + 1);
    m_sounds[slot] = std::move(sound);
    m_occupied.push_back(slot);
    return slot;
}

void CSoundManager::RemoveSound(unsigned int const& slot)
{
    // An empty slot must not reach the free list twice.
    if (!GetSound(slot))
        return;
    m_sounds[slot].reset();
    m_freeSlots.push_back(slot);
    m_occupied.remove(slot);
}

void CSoundManager::PlaySoundA(unsigned int const& slot)
{
    CSound* sound = GetSound(slot);
    if (!sound || sound->Play())
        return;
    for (unsigned int const occupied : m_occupied) {
        CSound* candidate = m_sounds[occupied].get();
        if (!candidate->GetLoop() && candidate->HasSource()) {
            candidate->Stop();
            sound->Play();
            return;
        }
    }
}

void CSoundManager::PauseSound(unsigned int const& slot)
{
    if (CSound* sound = GetSound(slot))
        sound->Pause();
}

void CSoundManager::StopSound(unsigned int const& slot)
{
    if (CSound* sound = GetSound(slot))
        sound->Stop();
}

CSound* CSoundManager::GetSound(unsigned int const& slot)
{
    return slot < m_sounds.size() ? m_sounds[slot].get() : nullptr;
}

unsigned int CSoundManager::GetOccupiedSoundIndex(unsigned int const& index) const
{
    auto at = m_occupied.begin();
    for (unsigned int i = 0; i < index && at != m_occupied.end(); ++i)
        ++at;
    return at == m_occupied.end() ? 0 : *at;
}

void CSoundManager::SetVolume(float const& volume)
{
    // Also turns a NaN into silence.
    float const clamped = volume >= 0.0f ? std::min(volume, 1.0f) : 0.0f;
    if (m_config)
        m_config->GetMainSettings()->s_sound_volume = clamped;
    if (m_context)
        alListenerf(AL_GAIN, clamped);
}

float CSoundManager::GetVolume() const
{
    return m_config ? m_config->GetMainSettings()->s_sound_volume : 1.0f;
}

void CSoundManager::SetListenerPosition(CVector3 const& position)
{
    m_listenerPosition = position;
    if (m_context)
        alListener3f(AL_POSITION, position.x, position.y, position.z);
}

void CSoundManager::SetListenerOrientation(CVector3 const& at, CVector3 const& up)
{
    m_listenerAt = at;
    m_listenerUp = up;
    if (m_context) {
        ALfloat const orientation[6] = {at.x, at.y, at.z, up.x, up.y, up.z};
        alListenerfv(AL_ORIENTATION, orientation);
    }
}

void CSoundManager::Refresh()
{
    if (m_free)
        return;
    SetVolume(GetVolume());
    for (unsigned int const slot : m_occupied)
        m_sounds[slot]->Refresh();
    sound::ReportOpenALError(m_messageManager);
}
