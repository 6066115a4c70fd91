#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class AnimationDocument;
class Host;
class TrueColourBuffer;

// Where decoded rows go. BytesFor tells what the picture will take, checked against the
// memory budget with the decoder's own needs; Begin then allocates (false when it
// cannot); Row gets each row top-down as packed RGB.
class JpegRowSink {
  public:
    virtual ~JpegRowSink() = default;
    virtual int64_t BytesFor(int width, int height) const = 0;
    virtual bool Begin(int width, int height) = 0;
    virtual void Row(int y, const uint8_t* rgb) = 0;
};

// Decodes a JPEG held in memory. Every colour space the library knows is converted to
// RGB; data that ends early is a failure, and the size is checked against the
// memory budget before anything is allocated. False after a message; width and height are
// set only on success.
bool JpegDecode(Host& host, const uint8_t* data, size_t size, JpegRowSink& sink, int& width,
                int& height);

// Reads a JPEG file into packed RGB (rows top-down, no padding). Every colour space the
// library knows is converted to RGB. Empty (after a message) on failure; width and
// height are set to 0 first.
std::vector<uint8_t> JpegRead(Host& host, const std::string& path, int& width, int& height);

// Writes packed RGB as a baseline JPEG; colour = false writes it as greyscale. The file
// is replaced only by a complete image. 1 success, 0 failure (after a message).
int JpegWrite(Host& host, const std::string& path, const uint8_t* rgb, int width, int height,
              bool colour, int quality);

// Open for .jpg: the picture becomes a new frame. 0, or -1 (the user has been told).
int ImportJpeg(AnimationDocument& doc, const std::string& path);

// Writes a true-colour plane as a JPEG with the document's "Jpeg Compression" quality.
// 0 success, 1 write failure ("Couldn't write jpeg"), -1 no memory.
int ExportJpeg(AnimationDocument& doc, const TrueColourBuffer& buffer, const std::string& path,
               bool colour);
