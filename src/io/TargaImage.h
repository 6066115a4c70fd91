#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "io/DibImage.h"

class AnimationDocument;

// A Targa (.tga) file as a DIB, read lazily: the header the first time a getter needs
// it, the pixels the first time they are asked for. Reads colour-mapped, true-colour
// and grey images, raw or run-length coded (types 1, 2, 3, 9, 10, 11), skipping the
// identification field, and honours the origin bits.
class TargaImage : public DibImage {
  public:
    explicit TargaImage(const std::string& fileName);

    int32_t EnsureHeader() override;
    int32_t EnsurePixels() override;
    virtual int32_t ReadHeader(const std::vector<uint8_t>& file);
    virtual int32_t ReadPixels(const std::vector<uint8_t>& file);

    // Reads from memory instead of the file (the fuzz target and tests).
    bool LoadFromBytes(const std::vector<uint8_t>& file);

    const std::array<uint8_t, 18>& rawHeader() const { return header_; }

  private:
    bool ReadFile(std::vector<uint8_t>& file);

    std::array<uint8_t, 18> header_{};
    int imageType_ = 0;
    int fileDepth_ = 0;
    bool rightToLeft_ = false;
};

// Open for .tga: adds the picture as a new frame. 0, or -1 after "Couldn't Load Bitmap"
// (or a declined resize).
int LoadTargaFile(AnimationDocument& doc, const std::string& path);
