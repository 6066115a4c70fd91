#include "io/Jpeg.h"

// libjpeg's header needs these first.
#include <csetjmp>
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include <algorithm>
#include <memory>
#include <new>

#include "colour/CreateFrameFromPicture.h"
#include "document/AnimationDocument.h"
#include "document/PixelPlanes.h"
#include "host/Host.h"
#include "io/FileBytes.h"

namespace {

// The standard error manager with a fatal exit that shows the library's message and
// jumps back into the wrapper.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    Host* host;
};

void FatalExit(j_common_ptr info) {
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    char text[JMSG_LENGTH_MAX + 1] = {};
    (*info->err->format_message)(info, text);
    manager->host->message(text, "JPEG Fatal Error", MessageIcon::Error);
    std::longjmp(manager->jump, 1);
}

void SilentOutput(j_common_ptr) {}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

std::string Format(const char* pattern, const std::string& path) {
    std::string out = pattern;
    const size_t at = out.find("%s");
    if (at != std::string::npos) out.replace(at, 2, path);
    return out;
}

}  // namespace

std::vector<uint8_t> JpegRead(Host& host, const std::string& path, int& width, int& height) {
    width = height = 0;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        host.message(Format("JPEG :\nCan't open %s\n", path), "Jpeg Error",
                     MessageIcon::Exclamation);
        return {};
    }
    // Everything that must survive a longjmp lives in this block or on the heap.
    auto result = std::make_unique<std::vector<uint8_t>>();
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    info.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = FatalExit;
    errors.pub.output_message = SilentOutput;
    errors.host = &host;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return {};
    }
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file.get());
    jpeg_read_header(&info, TRUE);
    // The library converts YCbCr and grey to RGB, and YCCK to CMYK, which we turn into
    // RGB ourselves.
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    // Adobe writes CMYK inverted (0 = full ink).
    const bool inverted = info.saw_Adobe_marker;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_calc_output_dimensions(&info);
    const uint64_t pixels = uint64_t(info.output_width) * uint64_t(info.output_height);
    if (pixels == 0 || pixels > kMaxJpegPixels || info.output_width > 65535 ||
        info.output_height > 65535) {
        host.message("JpegFile :\nOut of memory", "Jpeg Error", MessageIcon::Error);
        jpeg_destroy_decompress(&info);
        return {};
    }
    try {
        result->resize(size_t(pixels) * 3);
    } catch (const std::bad_alloc&) {
        host.message("JpegFile :\nOut of memory", "Jpeg Error", MessageIcon::Error);
        jpeg_destroy_decompress(&info);
        return {};
    }
    jpeg_start_decompress(&info);
    if (info.output_components != (cmyk ? 4 : 3)) {
        // Only reachable for colour spaces the library cannot turn into RGB.
        host.message("JpegFile :\nUnsupported colour space", "Jpeg Error", MessageIcon::Error);
        jpeg_destroy_decompress(&info);
        return {};
    }
    const size_t rowBytes = size_t(info.output_width) * 3;
    auto inkRow = std::make_unique<std::vector<uint8_t>>(cmyk ? size_t(info.output_width) * 4 : 0);
    while (info.output_scanline < info.output_height) {
        uint8_t* out = result->data() + size_t(info.output_scanline) * rowBytes;
        JSAMPROW row = cmyk ? inkRow->data() : out;
        if (jpeg_read_scanlines(&info, &row, 1) != 1) break;
        for (size_t x = 0; cmyk && x < info.output_width; ++x) {
            const uint8_t* ink = inkRow->data() + 4 * x;
            for (int c = 0; c < 3; ++c) {
                const unsigned colour = inverted ? ink[c] : 255u - ink[c];
                const unsigned black = inverted ? ink[3] : 255u - ink[3];
                out[3 * x + size_t(c)] = uint8_t((colour * black + 127) / 255);
            }
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    width = int(info.output_width);
    height = int(info.output_height);
    return std::move(*result);
}

int JpegWrite(Host& host, const std::string& path, const uint8_t* rgb, int width, int height,
              bool colour, int quality) {
    if (!rgb || width <= 0 || height <= 0 || width > 65500 || height > 65500) return 0;
    auto grey = std::make_unique<std::vector<uint8_t>>();
    if (!colour) {
        try {
            grey->resize(size_t(width) * size_t(height));
        } catch (const std::bad_alloc&) {
            host.message("Memory error", "Jpeg Error", MessageIcon::Error);
            return 0;
        }
        for (size_t i = 0; i < grey->size(); ++i) {
            (*grey)[i] = uint8_t((unsigned(rgb[3 * i]) + rgb[3 * i + 1] + rgb[3 * i + 2]) / 3);
        }
    }
    unsigned char* memory = nullptr;
    unsigned long memorySize = 0;
    jpeg_compress_struct info{};
    ErrorManager errors{};
    info.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = FatalExit;
    errors.pub.output_message = SilentOutput;
    errors.host = &host;
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&info);
        std::free(memory);
        return 0;
    }
    jpeg_create_compress(&info);
    // Encoded in memory first, so that a failure never leaves a partial file.
    jpeg_mem_dest(&info, &memory, &memorySize);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = colour ? 3 : 1;
    info.in_color_space = colour ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, std::clamp(quality, 0, 100), TRUE);
    jpeg_start_compress(&info, TRUE);
    const size_t rowBytes = size_t(width) * (colour ? 3 : 1);
    const uint8_t* source = colour ? rgb : grey->data();
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<uint8_t*>(source) + size_t(info.next_scanline) * rowBytes;
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<uint8_t> bytes(memory, memory + memorySize);
    std::free(memory);
    if (!WriteFileReplacing(path, bytes)) {
        host.message(Format("JpegFile :\nCan't open %s\n", path), "Jpeg Error",
                     MessageIcon::Exclamation);
        return 0;
    }
    return 1;
}

int ImportJpeg(AnimationDocument& doc, const std::string& path) {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb = JpegRead(doc.host, path, width, height);
    if (rgb.empty()) return -1;
    std::vector<uint32_t> pixels;
    try {
        pixels.resize(size_t(width) * size_t(height));
    } catch (const std::bad_alloc&) {
        doc.host.message("Couldn't create Bitmap", "Error", MessageIcon::Exclamation);
        return -1;
    }
    for (size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = (uint32_t(rgb[3 * i]) << 16) | (uint32_t(rgb[3 * i + 1]) << 8) | rgb[3 * i + 2];
    }
    rgb = {};
    return CreateFrameFromPicture(doc, pixels.data(), width, height, false, path, true) == 0 ? 0
                                                                                             : -1;
}

int ExportJpeg(AnimationDocument& doc, const TrueColourBuffer& buffer, const std::string& path,
               bool colour) {
    std::vector<uint8_t> rgb;
    try {
        rgb.resize(size_t(buffer.width) * size_t(buffer.height) * 3);
    } catch (const std::bad_alloc&) {
        return -1;
    }
    const uint32_t* p = buffer.data();
    for (size_t i = 0; i < size_t(buffer.width) * size_t(buffer.height); ++i) {
        rgb[3 * i] = uint8_t(p[i] >> 16);
        rgb[3 * i + 1] = uint8_t(p[i] >> 8);
        rgb[3 * i + 2] = uint8_t(p[i]);
    }
    if (!JpegWrite(doc.host, path, rgb.data(), buffer.width, buffer.height, colour,
                   doc.settings.jpegCompression.load())) {
        doc.host.message("Couldn't write jpeg", "Error", MessageIcon::Exclamation);
        return 1;
    }
    return 0;
}
