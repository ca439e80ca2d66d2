#pragma once

#include "core/File.h"

#include <cstdint>

class CEngine;
class CCamera;

// Base class of every aquarium plug-in. The program creates the object through the
// plug-in's CreateObject, then calls Create once, Refresh every frame and Destroy once; the
// other call orders a plug-in must accept (a host's restart, a failed call) are listed in
// docs/plugins.md.
class CLagoonix
{
public:
    static constexpr unsigned int TextLength = 256;

    CLagoonix();
    // Copies the descriptor bytes and texts; the copy's descriptor file is closed, since an
    // open file belongs to one object only.
    CLagoonix(CLagoonix const& other);
    virtual ~CLagoonix();
    CLagoonix& operator=(CLagoonix const& other);

    virtual void Create(CEngine* engine, CCamera* camera) = 0;
    virtual void Destroy() = 0;
    virtual void Refresh() = 0;

    // Opens the descriptor file and reads its two bytes and two texts. Returns the file, still
    // open after the second text, for the plug-in's own data (the caller closes it); null after
    // a file error, which is logged.
    CFile* ReadConfigFile(CEngine* engine, char const* path);

    std::uint8_t GetFirstDescriptorByte() const { return m_firstDescriptorByte; }
    bool IsEnabled() const { return m_enabled != 0; }
    char const* GetFirstText() const { return m_firstText; }
    char const* GetSecondText() const { return m_secondText; }

protected:
    std::uint8_t m_firstDescriptorByte = 0;
    std::uint8_t m_enabled = 0;
    char m_firstText[TextLength] = {};
    char m_secondText[TextLength] = {};
    CFile m_descriptorFile;

private:
    void CopyDescriptor(CLagoonix const& other);
};
