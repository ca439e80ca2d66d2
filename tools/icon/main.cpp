// coralume-icon OUT: writes OUT/hicolor/<size>x<size>/apps/coralume.png for every size of
// the icon theme the desktop uses.
#include "IconPainter.h"
#include "PngWriter.h"

#include <cstdio>
#include <filesystem>
#include <string>

namespace
{
constexpr unsigned int Sizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: coralume-icon OUTPUT-FOLDER\n");
        return 2;
    }
    for (unsigned int size : Sizes) {
        std::string const side = std::to_string(size);
        std::filesystem::path const folder =
            std::filesystem::path(argv[1]) / "hicolor" / (side + "x" + side) / "apps";
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        std::string const file = (folder / "coralume.png").string();
        if (!WritePng(file, size, size, PaintIcon(size))) {
            std::fprintf(stderr, "coralume-icon: cannot write %s\n", file.c_str());
            return 1;
        }
    }
    return 0;
}
