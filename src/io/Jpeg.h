#pragma once

#include <cstdint>
#include <string>
#include <vector>

class AnimationDocument;
class Host;
class TrueColourBuffer;

// Largest picture a JPEG may decode to (pixels); the size comes from the file header
// and is checked before anything is allocated.
constexpr uint64_t kMaxJpegPixels = uint64_t(1) << 28;

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
