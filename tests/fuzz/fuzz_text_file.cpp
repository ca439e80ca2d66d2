// Random bytes as a text or binary-string file: every reader must stay inside the
// data and its own buffers, and reach the end.
#include "core/Errors.h"
#include "core/File.h"
#include "math/Vector.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern "C" void FuzzSeedInputs(std::vector<std::vector<std::uint8_t>>& seeds)
{
    auto const add = [&seeds](std::string const& text) { seeds.emplace_back(text.begin(), text.end()); };
    add("v_mode 800x600x16 // comment\r\nr_gamma 1.0\n");
    add("// only a comment\n//\n   word 12 -3.5 1 2 3\n//tail");
    add(std::string(300, 'w') + "\n" + std::string(300, '/'));
    add(std::string("\x04"
                    "abc\0\x01\0\xff",
                    8));
}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size)
{
    if (size == 0)
        return 0;
    unsigned int const length = static_cast<unsigned int>(size);
    std::uint8_t const selector = data[0];

    CFile file;
    file.Open(nullptr, nullptr, "fuzz", FILE_READ_TEXT, true, length, data);
    if (selector & 1)
        file.AddState(FILE_INVERTED);

    char text[CFile::TextLength] = {};
    // Every call consumes at least one byte until the end, so this bound is never reached.
    for (unsigned int step = 0; !file.IsEndOfFile(); ++step) {
        if (step > length + 1)
            std::abort();
        unsigned int const before = file.GetPosition();
        try {
            switch ((selector >> 1) % 5) {
            case 0:
                file.ReadTextWord(text);
                break;
            case 1:
                file.ReadTextString(text);
                break;
            case 2:
                file.ReadTextVector3();
                break;
            case 3:
                file.ReadBinaryString(text);
                break;
            default:
                file.ReadTextInt();
                file.ReadTextString(text);
                break;
            }
        } catch (CFileError const&) {
            // A string whose length runs past the end: the rest of the file is consumed.
        }
        if (std::strlen(text) >= CFile::TextLength || (file.GetPosition() == before && !file.IsEndOfFile()))
            std::abort();
    }
    return 0;
}
