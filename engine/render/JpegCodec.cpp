#include "render/JpegCodec.h"

#include "core/Errors.h"
#include "core/File.h"
#include "render/Image.h"
#include "render/JpegErrors.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

#include <jerror.h>

// Error paths leave through longjmp: the functions between a setjmp below and the
// library's error exit hold no objects with destructors.
namespace
{
constexpr unsigned int BlockSize = 4096;
constexpr unsigned int ScanlinesPerRead = 8;
// The decoder's whole-picture buffers (coefficients of progressive files) take two bytes per
// sample; this many bytes per output sample, and a little for its tables, is all it may use.
constexpr unsigned long long DecoderBytesPerSample = 3;
constexpr unsigned long long DecoderBaseMemory = 4ull << 20;

// Past the end of the file the source repeats an end marker, so a file that lacks only
// its end marker decodes; a bounded number of them keeps broken files from looping.
constexpr unsigned int MaximumInsertedEnds = 65536;

struct SFileSource
{
    jpeg_source_mgr base;
    CFile* file;
    unsigned int insertedEnds;
    JOCTET buffer[BlockSize];
};

void InitSource(j_decompress_ptr)
{}

boolean FillInputBuffer(j_decompress_ptr info)
{
    SFileSource* source = reinterpret_cast<SFileSource*>(info->src);
    unsigned int done = 0;
    try {
        source->file->Read(source->buffer, BlockSize, &done);
    } catch (CError const&) {
        done = 0;
    }
    if (done == 0) {
        if (++source->insertedEnds > MaximumInsertedEnds)
            ERREXIT(info, JERR_INPUT_EOF);
        source->buffer[0] = 0xFF;
        source->buffer[1] = JPEG_EOI;
        done = 2;
    }
    source->base.next_input_byte = source->buffer;
    source->base.bytes_in_buffer = done;
    return TRUE;
}

void SkipInputData(j_decompress_ptr info, long count)
{
    if (count <= 0)
        return;
    jpeg_source_mgr* source = info->src;
    while (count > static_cast<long>(source->bytes_in_buffer)) {
        count -= static_cast<long>(source->bytes_in_buffer);
        FillInputBuffer(info);
    }
    source->next_input_byte += count;
    source->bytes_in_buffer -= static_cast<size_t>(count);
}

void TermSource(j_decompress_ptr)
{}

struct SDecoder
{
    jpeg_decompress_struct info;
    SJpegErrorManager errors;
    SFileSource source;
};

bool Decode(SDecoder* decoder, CMessageManager* messageManager, CMemoryManager* memoryManager, CImage* image,
            SImageSizeLimit const& limit)
{
    jpeg_decompress_struct* info = &decoder->info;
    info->err = InstallJpegErrorManager(&decoder->errors);
    if (setjmp(decoder->errors.jump)) {
        jpeg_destroy_decompress(info);
        return false;
    }
    jpeg_create_decompress(info);
    info->mem->max_memory_to_use = static_cast<long>(CImage::MaximumDataSize);

    SFileSource* source = &decoder->source;
    source->base.init_source = InitSource;
    source->base.fill_input_buffer = FillInputBuffer;
    source->base.skip_input_data = SkipInputData;
    source->base.resync_to_restart = jpeg_resync_to_restart;
    source->base.term_source = TermSource;
    source->base.next_input_byte = nullptr;
    source->base.bytes_in_buffer = 0;
    info->src = &source->base;

    jpeg_read_header(info, TRUE);
    unsigned long long const pictureWidth = info->image_width;
    unsigned long long const pictureHeight = info->image_height;
    if (!limit.Check(messageManager, decoder->source.file->GetName(), pictureWidth, pictureHeight)) {
        jpeg_destroy_decompress(info);
        return false;
    }
    unsigned long long const samples =
        pictureWidth * pictureHeight * static_cast<unsigned long long>(std::max(info->num_components, 1));
    info->mem->max_memory_to_use = static_cast<long>(
        std::min(CImage::MaximumDataSize, DecoderBaseMemory + samples * DecoderBytesPerSample));
    jpeg_start_decompress(info);

    unsigned int const width = info->output_width;
    unsigned int const height = info->output_height;
    unsigned int const components = static_cast<unsigned int>(info->output_components);
    unsigned long long const dataSize = static_cast<unsigned long long>(width) * height * components;
    if (width == 0 || height == 0 || (components != 1 && components != 3 && components != 4) ||
        dataSize > CImage::MaximumDataSize) {
        jpeg_destroy_decompress(info);
        return false;
    }

    image->Create(messageManager, memoryManager, width, height, 8 * components);
    unsigned int const rowSize = width * components;
    JSAMPROW rows[ScanlinesPerRead];
    while (info->output_scanline < height) {
        unsigned int const first = info->output_scanline;
        unsigned int const count = std::min(ScanlinesPerRead, height - first);
        // Decoded rows come top first; the image stores the bottom row first.
        for (unsigned int i = 0; i < count; ++i)
            rows[i] = image->GetData() + static_cast<unsigned long long>(height - 1 - (first + i)) * rowSize;
        jpeg_read_scanlines(info, rows, count);
    }
    jpeg_finish_decompress(info);
    jpeg_destroy_decompress(info);
    return true;
}

struct SFileDestination
{
    jpeg_destination_mgr base;
    CFile* file;
    JOCTET buffer[BlockSize];
};

bool WriteBlock(SFileDestination* destination, unsigned int count)
{
    unsigned int done = 0;
    try {
        destination->file->Write(destination->buffer, count, &done);
    } catch (CError const&) {
        return false;
    }
    return done == count;
}

void InitDestination(j_compress_ptr info)
{
    SFileDestination* destination = reinterpret_cast<SFileDestination*>(info->dest);
    destination->base.next_output_byte = destination->buffer;
    destination->base.free_in_buffer = BlockSize;
}

boolean EmptyOutputBuffer(j_compress_ptr info)
{
    SFileDestination* destination = reinterpret_cast<SFileDestination*>(info->dest);
    if (!WriteBlock(destination, BlockSize))
        ERREXIT(info, JERR_FILE_WRITE);
    destination->base.next_output_byte = destination->buffer;
    destination->base.free_in_buffer = BlockSize;
    return TRUE;
}

void TermDestination(j_compress_ptr info)
{
    SFileDestination* destination = reinterpret_cast<SFileDestination*>(info->dest);
    unsigned int const count = BlockSize - static_cast<unsigned int>(destination->base.free_in_buffer);
    if (count > 0 && !WriteBlock(destination, count))
        ERREXIT(info, JERR_FILE_WRITE);
}

struct SEncoder
{
    jpeg_compress_struct info;
    SJpegErrorManager errors;
    SFileDestination destination;
};

bool Encode(SEncoder* encoder, CImage const& image, int quality)
{
    jpeg_compress_struct* info = &encoder->info;
    info->err = InstallJpegErrorManager(&encoder->errors);
    if (setjmp(encoder->errors.jump)) {
        jpeg_destroy_compress(info);
        return false;
    }
    jpeg_create_compress(info);

    SFileDestination* destination = &encoder->destination;
    destination->base.init_destination = InitDestination;
    destination->base.empty_output_buffer = EmptyOutputBuffer;
    destination->base.term_destination = TermDestination;
    info->dest = &destination->base;

    bool const grey = image.GetBPP() == 8;
    info->image_width = image.GetWidth();
    info->image_height = image.GetHeight();
    info->input_components = grey ? 1 : 3;
    info->in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(info);
    info->input_gamma = 1.0;
    jpeg_set_quality(info, quality, FALSE);
    jpeg_start_compress(info, TRUE);

    unsigned int const height = image.GetHeight();
    unsigned int const rowSize = image.GetWidth() * (grey ? 1 : 3);
    while (info->next_scanline < height) {
        // Top row first: the stored rows in reverse order.
        JSAMPROW row = const_cast<JSAMPROW>(
            image.GetData() + static_cast<unsigned long long>(height - 1 - info->next_scanline) * rowSize);
        jpeg_write_scanlines(info, &row, 1);
    }
    jpeg_finish_compress(info);
    jpeg_destroy_compress(info);
    return true;
}
} // namespace

bool JpegCodec::Read(CFile& file, CMessageManager* messageManager, CMemoryManager* memoryManager,
                     CImage* image, SImageSizeLimit const& limit)
{
    SDecoder decoder;
    std::memset(&decoder, 0, sizeof decoder);
    decoder.source.file = &file;
    return Decode(&decoder, messageManager, memoryManager, image, limit);
}

bool JpegCodec::Write(CFile& file, CImage const& image, unsigned int quality)
{
    if (image.GetBPP() != 8 && image.GetBPP() != 24)
        return false;
    SEncoder encoder;
    std::memset(&encoder, 0, sizeof encoder);
    encoder.destination.file = &file;
    return Encode(&encoder, image, static_cast<int>(std::min(quality, 100u)));
}
