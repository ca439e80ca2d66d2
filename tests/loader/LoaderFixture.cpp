#include "LoaderFixture.h"

#include "platform/os/FileSystem.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace
{
// Messages carry line breaks around them; the tests compare the bare text.
std::string Trim(std::string text)
{
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    std::size_t const start = text.find_first_not_of('\n');
    return start == std::string::npos ? std::string() : text.substr(start);
}
} // namespace

void LoaderFixture::SetUp()
{
    char pattern[] = "/tmp/coralume-loader-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_installPath = pattern;
    ASSERT_TRUE(platform::MakeDirectory(m_installPath + "/Plugins"));
    std::snprintf(m_installPathVariable, sizeof(m_installPathVariable), "%s", m_installPath.c_str());

    CMessageManager* messages = m_engine.GetMessageManager();
    messages->Create("LoaderTest", false, nullptr);
    m_engine.GetMemoryManager()->Create(messages);
    m_engine.GetFileManager()->Create(messages, m_engine.GetMemoryManager(), m_installPath.c_str(), nullptr);
    m_engine.GetConfig()->Create(messages, m_engine.GetMemoryManager(), m_engine.GetFileManager(), nullptr,
                                 "LoaderTest", "desktop");
    m_engine.GetConfig()->CreateCommand("g_install_path", CCT_STRING, true, false, m_installPathVariable,
                                        m_installPath.c_str());
    messages->ClearMessagesBuffer();
}

void LoaderFixture::TearDown()
{
    m_engine.GetConfig()->Destroy();
    m_engine.GetFileManager()->Destroy();
    m_engine.GetMemoryManager()->Destroy();
    m_engine.GetMessageManager()->Destroy();
    platform::RemoveTree(m_installPath);
}

std::string LoaderFixture::PluginPath(std::string const& fileName) const
{
    return m_installPath + "\\Plugins\\" + fileName;
}

void LoaderFixture::InstallPlugin(char const* name, std::string fileName)
{
    if (fileName.empty())
        fileName = std::string(name) + ".so";
    ASSERT_TRUE(platform::CopyFile(std::string(CORALUME_TEST_PLUGIN_DIR) + "/" + name + ".so",
                                   m_installPath + "/Plugins/" + fileName));
}

void LoaderFixture::WriteDescriptor(std::string const& base, std::vector<std::uint8_t> const& bytes)
{
    std::FILE* file = std::fopen((m_installPath + "/Plugins/" + base + ".dat").c_str(), "wb");
    ASSERT_NE(file, nullptr);
    if (!bytes.empty())
        std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

std::vector<std::uint8_t> LoaderFixture::Descriptor(bool enabled, char const* first, char const* second)
{
    std::vector<std::uint8_t> bytes{0x01, static_cast<std::uint8_t>(enabled ? 1 : 0)};
    for (char const* text : {first, second}) {
        std::string const s = text;
        bytes.push_back(static_cast<std::uint8_t>(s.size() + 1));
        bytes.insert(bytes.end(), s.begin(), s.end());
        bytes.push_back(0);
    }
    return bytes;
}

std::vector<std::string> LoaderFixture::TakeMessages()
{
    CMessageManager* messages = m_engine.GetMessageManager();
    std::vector<std::string> texts;
    for (unsigned int i = 0; i < messages->GetMessagesCount(); ++i) {
        texts.push_back(Trim(messages->GetMessageText(i)));
    }
    messages->ClearMessagesBuffer();
    return texts;
}

std::vector<std::string> LoaderFixture::TakeMessages(EMessageType type)
{
    CMessageManager* messages = m_engine.GetMessageManager();
    std::vector<std::string> texts;
    for (unsigned int i = 0; i < messages->GetMessagesCount(); ++i) {
        if (messages->GetMessageType(i) != type)
            continue;
        texts.push_back(Trim(messages->GetMessageText(i)));
    }
    messages->ClearMessagesBuffer();
    return texts;
}
