// Saves under fault: the helper behind scripts/save-faults.
//   bench_save_faults seed FILE        writes the old content
//   bench_save_faults once FILE        writes the new content once; 1 when the save failed
//   bench_save_faults loop FILE N      N saves, old and new content in turn
//   bench_save_faults check FILE       0 when FILE holds the old or the new content byte for byte
#include "platform/os/FileSystem.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace
{
// A configuration file of the size the program writes, and a larger one, so that a torn
// write of either is visible.
std::string OldContent()
{
    std::string text;
    for (int i = 0; text.size() < 490; ++i)
        text += "g_variable_" + std::to_string(i) + " " + std::to_string(i * 7) + "\n";
    return text.substr(0, 490);
}

std::string NewContent()
{
    std::string text;
    for (int i = 0; text.size() < 8192; ++i)
        text += "v_mode_" + std::to_string(i) + " 1920x1080x32\n";
    return text;
}

bool Save(std::string const& path, std::string const& content)
{
    std::string error;
    if (platform::WriteFileAtomically(path, content.data(), content.size(), &error))
        return true;
    std::fprintf(stderr, "save failed: %s\n", error.c_str());
    return false;
}
} // namespace

int main(int argc, char** argv)
{
    // Writes beyond `ulimit -f` fail with an error instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_save_faults seed|once|loop|check FILE [N]\n");
        return 2;
    }
    std::string const mode = argv[1];
    std::string const path = argv[2];
    if (mode == "seed")
        return Save(path, OldContent()) ? 0 : 1;
    if (mode == "once")
        return Save(path, NewContent()) ? 0 : 1;
    if (mode == "loop") {
        long const count = argc > 3 ? std::atol(argv[3]) : 100;
        for (long i = 0; i < count; ++i) {
            if (!Save(path, i % 2 ? OldContent() : NewContent()))
                return 1;
        }
        return 0;
    }
    if (mode == "check") {
        std::ifstream in(path, std::ios::binary);
        std::string const bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (in && (bytes == OldContent() || bytes == NewContent()))
            return 0;
        std::fprintf(stderr, "%s: torn file of %zu bytes\n", path.c_str(), bytes.size());
        return 1;
    }
    return 2;
}
