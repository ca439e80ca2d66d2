// twpak: creates TWPAK pack files from a folder and lists their contents.
#include "PackWriter.h"

#include "core/MessageManager.h"
#include "core/PackFile.h"

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{
void PrintUsage(std::FILE* to)
{
    std::fprintf(to, "Usage:\n"
                     "  twpak create OUT.pak FOLDER   pack every file below FOLDER, named relative to it\n"
                     "  twpak list PAK                list the files of a pack with their sizes\n"
                     "  twpak --help                  show this text\n");
}

int Create(char const* output, char const* folder)
{
    CPackWriter writer;
    std::string error;
    if (!writer.AddFolder(folder, output, &error) || !writer.Write(output, &error)) {
        std::fprintf(stderr, "twpak: %s\n", error.c_str());
        std::remove(output);
        return 1;
    }
    std::printf("%s: %zu files\n", output, writer.GetFilesCount());
    return 0;
}

int List(char const* path)
{
    CMessageManager messages;
    messages.Create("twpak", false, nullptr);
    CPackFile pack;
    std::string absolute = path;
    if (absolute.empty() || absolute[0] != '/') {
        char directory[PATH_MAX];
        absolute = std::string(::getcwd(directory, sizeof(directory)) ? directory : ".") + "/" + absolute;
    }
    if (!pack.Load(&messages, nullptr, absolute.c_str())) {
        std::string reason = "cannot read the pack";
        for (unsigned int i = 0; i < messages.GetMessagesCount(); ++i) {
            if (messages.GetMessageType(i) == MT_ERROR)
                reason = messages.GetMessageText(i);
        }
        while (!reason.empty() && reason.back() == '\n')
            reason.pop_back();
        std::fprintf(stderr, "twpak: %s: %s\n", path, reason.c_str());
        return 1;
    }
    unsigned int count = 0;
    pack.FindFiles("", "*", &count, nullptr);
    std::vector<char> names(static_cast<std::size_t>(count) * CPackFile::NameLength + 1);
    pack.FindFiles("", "*", &count, names.data());
    for (unsigned int i = 0; i < count; ++i) {
        char const* name = names.data() + static_cast<std::size_t>(i) * CPackFile::NameLength;
        unsigned int size = 0;
        pack.GetFileSize(name, &size);
        std::printf("%10u  %s\n", size, name);
    }
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        PrintUsage(stdout);
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "create") == 0)
        return Create(argv[2], argv[3]);
    if (argc == 3 && std::strcmp(argv[1], "list") == 0)
        return List(argv[2]);
    PrintUsage(stderr);
    return 2;
}
