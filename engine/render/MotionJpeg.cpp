#include "render/MotionJpeg.h"

#include "render/JpegErrors.h"

#include <csetjmp>
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

namespace
{
constexpr std::size_t BlockSize = 65536;

struct SDestination
{
    jpeg_destination_mgr base;
    std::vector<unsigned char>* out;
};

void InitDestination(j_compress_ptr info)
{
    auto* destination = reinterpret_cast<SDestination*>(info->dest);
    destination->out->resize(BlockSize);
    destination->base.next_output_byte = destination->out->data();
    destination->base.free_in_buffer = BlockSize;
}

boolean EmptyOutputBuffer(j_compress_ptr info)
{
    auto* destination = reinterpret_cast<SDestination*>(info->dest);
    std::size_t const used = destination->out->size();
    destination->out->resize(used + BlockSize);
    destination->base.next_output_byte = destination->out->data() + used;
    destination->base.free_in_buffer = BlockSize;
    return TRUE;
}

void TermDestination(j_compress_ptr info)
{
    auto* destination = reinterpret_cast<SDestination*>(info->dest);
    destination->out->resize(destination->out->size() - destination->base.free_in_buffer);
}

struct SEncoder
{
    jpeg_compress_struct info{};
    SJpegErrorManager errors{};
    SDestination destination{};
    bool created = false;

    ~SEncoder()
    {
        if (created)
            jpeg_destroy_compress(&info);
    }
};

bool Run(SEncoder* encoder, unsigned char const* pixels, unsigned int width, unsigned int height,
         unsigned int quality, std::vector<unsigned char>* row)
{
    if (setjmp(encoder->errors.jump))
        return false;
    jpeg_compress_struct* info = &encoder->info;
    jpeg_create_compress(info);
    encoder->created = true;
    info->dest = &encoder->destination.base;
    info->image_width = width;
    info->image_height = height;
    info->input_components = 3;
    info->in_color_space = JCS_RGB;
    jpeg_set_defaults(info);
    jpeg_set_quality(info, int(quality), TRUE);
    jpeg_start_compress(info, TRUE);
    std::size_t const stride = std::size_t(width) * 4;
    while (info->next_scanline < info->image_height) {
        unsigned char const* source = pixels + std::size_t(height - 1 - info->next_scanline) * stride;
        for (unsigned int x = 0; x < width; ++x) {
            (*row)[3 * x] = source[4 * x + 2];
            (*row)[3 * x + 1] = source[4 * x + 1];
            (*row)[3 * x + 2] = source[4 * x];
        }
        JSAMPROW rows[1] = {row->data()};
        jpeg_write_scanlines(info, rows, 1);
    }
    jpeg_finish_compress(info);
    return true;
}
} // namespace

namespace MotionJpeg
{
bool Encode(unsigned char const* pixels, unsigned int width, unsigned int height, unsigned int quality,
            std::vector<unsigned char>* out)
{
    if (!pixels || !out || width == 0 || height == 0 || width > JPEG_MAX_DIMENSION ||
        height > JPEG_MAX_DIMENSION)
        return false;
    out->clear();
    std::vector<unsigned char> row(std::size_t(width) * 3);
    SEncoder encoder;
    encoder.info.err = InstallJpegErrorManager(&encoder.errors);
    encoder.destination.base.init_destination = InitDestination;
    encoder.destination.base.empty_output_buffer = EmptyOutputBuffer;
    encoder.destination.base.term_destination = TermDestination;
    encoder.destination.out = out;
    return Run(&encoder, pixels, width, height, quality, &row);
}
} // namespace MotionJpeg
