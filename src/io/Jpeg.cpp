#include "io/Jpeg.h"

// libjpeg's header needs these first.
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstdlib>

#include <jerror.h>
#include <jpeglib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "colour/CreateFrameFromPicture.h"
#include "document/AnimationDocument.h"
#include "document/MemoryBudget.h"
#include "document/PixelPlanes.h"
#include "host/Host.h"
#include "io/BmpDecoder.h"
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

// Warnings are counted and not shown, except that data ending early is a failure: the
// library would fill the missing rows with grey and call the picture complete. It ends
// early when the file does, and when the coded data stops at a marker before every
// block of the picture was read (the size in the header is larger than what follows).
void EmitMessage(j_common_ptr info, int level) {
    if (level >= 0) return;
    const int code = info->err->msg_code;
    if (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER) (*info->err->error_exit)(info);
    info->err->num_warnings++;
}

std::string Format(const char* pattern, const std::string& path) {
    std::string out = pattern;
    const size_t at = out.find("%s");
    if (at != std::string::npos) out.replace(at, 2, path);
    return out;
}

// A decompressor and its error manager, destroyed on every way out.
struct Decompressor {
    jpeg_decompress_struct info{};
    ErrorManager errors{};

    explicit Decompressor(Host& host) {
        info.err = jpeg_std_error(&errors.pub);
        errors.pub.error_exit = FatalExit;
        errors.pub.output_message = SilentOutput;
        errors.pub.emit_message = EmitMessage;
        errors.host = &host;
    }
    ~Decompressor() { jpeg_destroy_decompress(&info); }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;
};

// The library reports errors by a longjmp back to the setjmp of the step that called
// it. Each step is therefore a function of its own whose locals have no destructors, so
// that the jump skips nothing; everything that owns memory lives in the caller.

bool ReadHeaderStep(Decompressor& d, const uint8_t* data, size_t size) {
    if (setjmp(d.errors.jump)) return false;
    jpeg_create_decompress(&d.info);
    jpeg_mem_src(&d.info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&d.info, TRUE);
    // The library converts YCbCr and grey to RGB, and YCCK to CMYK, which we turn into
    // RGB ourselves.
    const bool cmyk = d.info.jpeg_color_space == JCS_CMYK || d.info.jpeg_color_space == JCS_YCCK;
    d.info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_calc_output_dimensions(&d.info);
    return true;
}

// Decodes every row through `ink` (one row of the library's output) into rows of packed
// RGB handed to sink.Row.
bool DecodeRowsStep(Decompressor& d, uint8_t* ink, uint8_t* rgb, JpegRowSink& sink) {
    if (setjmp(d.errors.jump)) return false;
    jpeg_start_decompress(&d.info);
    const bool cmyk = d.info.out_color_space == JCS_CMYK;
    // Adobe writes CMYK inverted (0 = full ink).
    const bool inverted = d.info.saw_Adobe_marker;
    while (d.info.output_scanline < d.info.output_height) {
        const int y = int(d.info.output_scanline);
        JSAMPROW row = cmyk ? ink : rgb;
        if (jpeg_read_scanlines(&d.info, &row, 1) != 1) return false;
        for (size_t x = 0; cmyk && x < d.info.output_width; ++x) {
            const uint8_t* k = ink + 4 * x;
            const unsigned black = inverted ? k[3] : 255u - k[3];
            for (int c = 0; c < 3; ++c) {
                const unsigned colour = inverted ? k[c] : 255u - k[c];
                rgb[3 * x + size_t(c)] = uint8_t((colour * black + 127) / 255);
            }
        }
        sink.Row(y, rgb);
    }
    jpeg_finish_decompress(&d.info);
    return true;
}

// A compressor writing into memory that the library grows, freed on every way out.
struct Compressor {
    jpeg_compress_struct info{};
    ErrorManager errors{};
    unsigned char* memory = nullptr;
    unsigned long memorySize = 0;

    explicit Compressor(Host& host) {
        info.err = jpeg_std_error(&errors.pub);
        errors.pub.error_exit = FatalExit;
        errors.pub.output_message = SilentOutput;
        errors.host = &host;
    }
    ~Compressor() {
        jpeg_destroy_compress(&info);
        std::free(memory);
    }
    Compressor(const Compressor&) = delete;
    Compressor& operator=(const Compressor&) = delete;
};

bool CompressStep(Compressor& c, const uint8_t* source, int width, int height, bool colour,
                  int quality) {
    if (setjmp(c.errors.jump)) return false;
    jpeg_create_compress(&c.info);
    jpeg_mem_dest(&c.info, &c.memory, &c.memorySize);
    c.info.image_width = JDIMENSION(width);
    c.info.image_height = JDIMENSION(height);
    c.info.input_components = colour ? 3 : 1;
    c.info.in_color_space = colour ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&c.info);
    jpeg_set_quality(&c.info, quality, TRUE);
    jpeg_start_compress(&c.info, TRUE);
    const size_t rowBytes = size_t(width) * (colour ? 3 : 1);
    while (c.info.next_scanline < c.info.image_height) {
        JSAMPROW row = const_cast<uint8_t*>(source) + size_t(c.info.next_scanline) * rowBytes;
        jpeg_write_scanlines(&c.info, &row, 1);
    }
    jpeg_finish_compress(&c.info);
    return true;
}

void ReportNoMemory(Host& host) {
    host.message("JpegFile :\nOut of memory", "Jpeg Error", MessageIcon::Error);
}

// Packed RGB rows into one block.
class RgbSink : public JpegRowSink {
  public:
    int64_t BytesFor(int width, int height) const override {
        return int64_t(width) * int64_t(height) * 3;
    }
    bool Begin(int width, int height) override {
        width_ = size_t(width);
        try {
            rgb.resize(size_t(BytesFor(width, height)));
        } catch (const std::bad_alloc&) {
            return false;
        }
        return true;
    }
    void Row(int y, const uint8_t* row) override {
        std::memcpy(rgb.data() + size_t(y) * width_ * 3, row, width_ * 3);
    }

    std::vector<uint8_t> rgb;

  private:
    size_t width_ = 0;
};

// The picture as this program's pixels, sized with the frame it becomes.
class PixelSink : public JpegRowSink {
  public:
    int64_t BytesFor(int width, int height) const override {
        return int64_t(width) * int64_t(height) * 4 + ChainBytes(1, width, height);
    }
    bool Begin(int width, int height) override {
        width_ = size_t(width);
        if (!IsPlaneSizeAcceptable(width, height)) return false;
        // Left uninitialised: every row is written before the picture is used, and a
        // file whose data ends early fails without touching the rest.
        try {
            pixels = std::make_unique_for_overwrite<uint32_t[]>(size_t(width) * size_t(height));
        } catch (const std::bad_alloc&) {
            return false;
        }
        return true;
    }
    void Row(int y, const uint8_t* row) override {
        uint32_t* out = pixels.get() + size_t(y) * width_;
        for (size_t x = 0; x < width_; ++x)
            out[x] =
                (uint32_t(row[3 * x]) << 16) | (uint32_t(row[3 * x + 1]) << 8) | row[3 * x + 2];
    }

    std::unique_ptr<uint32_t[]> pixels;

  private:
    size_t width_ = 0;
};

}  // namespace

bool JpegDecode(Host& host, const uint8_t* data, size_t size, JpegRowSink& sink, int& width,
                int& height) {
    width = height = 0;
    if (!data || size == 0) return false;
    Decompressor d(host);
    if (!ReadHeaderStep(d, data, size)) return false;
    const bool cmyk = d.info.out_color_space == JCS_CMYK;
    if (d.info.output_components != (cmyk ? 4 : 3)) {
        // Only reachable for colour spaces the library cannot turn into RGB.
        host.message("JpegFile :\nUnsupported colour space", "Jpeg Error", MessageIcon::Error);
        return false;
    }
    const int w = int(d.info.output_width), h = int(d.info.output_height);
    // The size comes from the header: it is checked before anything is allocated. A
    // progressive file is held as coefficients (two bytes each) until its last scan.
    const int64_t coefficients = d.info.progressive_mode || d.info.buffered_image
                                     ? int64_t(w) * int64_t(h) * d.info.num_components * 2
                                     : 0;
    if (w <= 0 || h <= 0 || !FitsInMemory(sink.BytesFor(w, h) + coefficients) ||
        !sink.Begin(w, h)) {
        ReportNoMemory(host);
        return false;
    }
    std::vector<uint8_t> ink, rgb;
    try {
        ink.resize(cmyk ? size_t(w) * 4 : 0);
        rgb.resize(size_t(w) * 3);
    } catch (const std::bad_alloc&) {
        ReportNoMemory(host);
        return false;
    }
    if (!DecodeRowsStep(d, ink.data(), rgb.data(), sink)) return false;
    width = w;
    height = h;
    return true;
}

std::vector<uint8_t> JpegRead(Host& host, const std::string& path, int& width, int& height) {
    width = height = 0;
    std::vector<uint8_t> bytes;
    if (!ReadFileBytes(path, bytes, kMaxImageFileBytes)) {
        host.message(Format("JPEG :\nCan't open %s\n", path), "Jpeg Error",
                     MessageIcon::Exclamation);
        return {};
    }
    RgbSink sink;
    if (!JpegDecode(host, bytes.data(), bytes.size(), sink, width, height)) return {};
    return std::move(sink.rgb);
}

int JpegWrite(Host& host, const std::string& path, const uint8_t* rgb, int width, int height,
              bool colour, int quality) {
    if (!rgb || width <= 0 || height <= 0 || width > 65500 || height > 65500) return 0;
    std::vector<uint8_t> grey;
    if (!colour) {
        try {
            grey.resize(size_t(width) * size_t(height));
        } catch (const std::bad_alloc&) {
            host.message("Memory error", "Jpeg Error", MessageIcon::Error);
            return 0;
        }
        for (size_t i = 0; i < grey.size(); ++i) {
            grey[i] = uint8_t((unsigned(rgb[3 * i]) + rgb[3 * i + 1] + rgb[3 * i + 2]) / 3);
        }
    }
    Compressor c(host);
    // Encoded in memory first, so that a failure never leaves a partial file.
    const bool encoded = CompressStep(c, colour ? rgb : grey.data(), width, height, colour,
                                      std::clamp(quality, 0, 100));
    if (!encoded) return 0;
    const std::vector<uint8_t> bytes(c.memory, c.memory + c.memorySize);
    if (!WriteFileReplacing(path, bytes)) {
        host.message(Format("JpegFile :\nCan't open %s\n", path), "Jpeg Error",
                     MessageIcon::Exclamation);
        return 0;
    }
    return 1;
}

int ImportJpeg(AnimationDocument& doc, const std::string& path) {
    std::vector<uint8_t> bytes;
    if (!ReadFileBytes(path, bytes, kMaxImageFileBytes)) {
        doc.host.message(Format("JPEG :\nCan't open %s\n", path), "Jpeg Error",
                         MessageIcon::Exclamation);
        return -1;
    }
    PixelSink sink;
    int width = 0, height = 0;
    if (!JpegDecode(doc.host, bytes.data(), bytes.size(), sink, width, height)) return -1;
    bytes = {};
    return CreateFrameFromPicture(doc, sink.pixels.get(), width, height, false, path, true) == 0
               ? 0
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
