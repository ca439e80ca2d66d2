#include "ContentBuilder.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

namespace
{

void PrintUsage()
{
    std::printf("Usage: coralume-content OUTDIR [--pack]\n"
                "Writes the aquarium's installation data into OUTDIR: Data (models, shaders,\n"
                "octrees, textures, font, sounds, fish packs), the plug-in descriptors in\n"
                "Plugins and the configuration file Data/Coralume.ini. Every file is generated;\n"
                "two runs give the same bytes.\n"
                "  --pack  also store the Data folder as the pack Data\\coralume.pak\n");
}

} // namespace

int main(int argc, char** argv)
{
    std::string outDirectory;
    bool pack = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            PrintUsage();
            return 0;
        }
        if (std::strcmp(argv[i], "--pack") == 0) {
            pack = true;
        } else if (outDirectory.empty()) {
            outDirectory = argv[i];
        } else {
            PrintUsage();
            return 2;
        }
    }
    if (outDirectory.empty()) {
        PrintUsage();
        return 2;
    }
    try {
        content::CContentBuilder builder;
        builder.Build(outDirectory, pack);
        std::printf("coralume-content: %zu files written to %s\n", builder.GetWrittenFilesCount(),
                    outDirectory.c_str());
    } catch (std::exception const& error) {
        std::fprintf(stderr, "coralume-content: %s\n", error.what());
        return 1;
    }
    return 0;
}
