#include "JpegWriter.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include <jpeglib.h>

namespace content
{

namespace
{

struct SErrorManager
{
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void OnError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<SErrorManager*>(info->err)->jump, 1);
}

// Collects the coded bytes in a growing vector.
struct SDestination
{
    jpeg_destination_mgr base;
    std::vector<std::uint8_t>* bytes;
    std::uint8_t block[4096];
};

void InitDestination(j_compress_ptr info)
{
    auto* destination = reinterpret_cast<SDestination*>(info->dest);
    destination->base.next_output_byte = destination->block;
    destination->base.free_in_buffer = sizeof destination->block;
}

boolean EmptyBuffer(j_compress_ptr info)
{
    auto* destination = reinterpret_cast<SDestination*>(info->dest);
    destination->bytes->insert(destination->bytes->end(), destination->block,
                               destination->block + sizeof destination->block);
    destination->base.next_output_byte = destination->block;
    destination->base.free_in_buffer = sizeof destination->block;
    return TRUE;
}

void TermDestination(j_compress_ptr info)
{
    auto* destination = reinterpret_cast<SDestination*>(info->dest);
    std::size_t const used = sizeof destination->block - destination->base.free_in_buffer;
    destination->bytes->insert(destination->bytes->end(), destination->block, destination->block + used);
}

} // namespace

std::vector<std::uint8_t> CJpegWriter::Write(SPicture const& picture, int quality)
{
    if (!picture.IsValid() || (picture.channels != 1 && picture.channels != 3)) {
        throw std::invalid_argument("JPEG pictures are grey or RGB");
    }
    std::vector<std::uint8_t> bytes;
    jpeg_compress_struct info{};
    SErrorManager error{};
    SDestination destination{};
    info.err = jpeg_std_error(&error.base);
    error.base.error_exit = OnError;
    if (setjmp(error.jump) != 0) {
        jpeg_destroy_compress(&info);
        throw std::runtime_error("JPEG coding failed");
    }
    jpeg_create_compress(&info);
    destination.base.init_destination = InitDestination;
    destination.base.empty_output_buffer = EmptyBuffer;
    destination.base.term_destination = TermDestination;
    destination.bytes = &bytes;
    info.dest = &destination.base;
    info.image_width = picture.width;
    info.image_height = picture.height;
    info.input_components = static_cast<int>(picture.channels);
    info.in_color_space = picture.channels == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(picture.At(0, info.next_scanline));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return bytes;
}

} // namespace content
