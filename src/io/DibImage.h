#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The small class family for images read from files: a type tag, a valid flag, and a
// device-independent bitmap held as one block in which the 40-byte information header
// and the colour table lie directly in front of the pixel rows.

class TaggedObject {
  public:
    TaggedObject() = default;
    virtual ~TaggedObject() = default;
    TaggedObject(const TaggedObject&) = delete;
    TaggedObject& operator=(const TaggedObject&) = delete;
    int32_t typeTag() const { return typeTag_; }

  protected:
    int32_t typeTag_ = 1;
};

class ValidatedObject : public TaggedObject {
  public:
    ValidatedObject() { typeTag_ = 11; }
    virtual int32_t IsValid() const { return valid_; }
    // A zero result clears the valid flag; returns the flag.
    virtual int32_t UpdateValid(int32_t result) {
        if (result == 0) valid_ = 0;
        return valid_;
    }
    virtual void MarkValid() { valid_ = 1; }

  protected:
    int32_t valid_ = 1;
};

// Rectangle in picture coordinates; right and bottom are exclusive.
struct DibRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

class DibImage : public ValidatedObject {
  public:
    static constexpr int32_t kMaxSide = 2048;
    static constexpr size_t kInfoBytes = 1064;  // 40-byte header + 256 colour entries

    explicit DibImage(const std::string& fileName = std::string());
    ~DibImage() override;

    // Gives an empty in-memory image its geometry and pixel block (contents zero).
    bool Create(int32_t width, int32_t height, int32_t bitsPerPixel, bool topDown,
                int32_t coloursUsed = 0);
    // Writes colour-table entries (0x00RRGGBB) for depths up to 8 bits.
    void SetColour(int index, uint32_t rgb);

    virtual int32_t GetOriginX();
    virtual int32_t GetOriginY();
    virtual int32_t GetWidth();
    virtual int32_t GetHeight();
    virtual int32_t GetBitsPerPixel();
    virtual int32_t IsTopDown();
    virtual uint8_t* GetBits();
    virtual uint8_t* GetBitmapInfo();
    // The picture as this program's pixels: 0x00RRGGBB, rows top-down, as the image
    // looks. Empty when the image has no pixels.
    virtual std::vector<uint32_t> CreateBitmap();
    virtual int32_t GetInfoSize();
    virtual int32_t FillBitmapInfo(uint8_t* target);
    virtual int32_t FillInfoHeader(uint8_t* target);
    // 0x00BBGGRR, or 0xFFFFFFFF without pixels or outside the image.
    virtual uint32_t GetPixel(int32_t x, int32_t y);
    virtual int32_t CropTo(const DibRect& rect);
    virtual int32_t TrimBorder(uint32_t colour);
    virtual void ComputeLayout();
    virtual int32_t AllocatePixels();
    virtual void FreePixels();
    virtual int32_t EnsureHeader();
    virtual int32_t ReloadHeader();
    virtual int32_t EnsurePixels();
    virtual void DiscardPixels();
    virtual uint8_t* AllocBlock();
    virtual void FreeBlock(uint8_t* bits);

    const std::string& fileName() const { return fileName_; }
    int32_t paddedWidth() const { return paddedWidth_; }
    int32_t stride() const { return stride_; }
    int32_t imageSize() const { return imageSize_; }
    int32_t coloursUsed() const { return coloursUsed_; }
    int32_t bytesPerPixel() const { return bytesPerPixel_; }

  protected:
    int32_t TableEntries() const;

    std::string fileName_;
    int32_t hasHeader_ = 0, hasPixels_ = 0, infoFilled_ = 0;
    int32_t originX_ = 0, originY_ = 0, width_ = 0, height_ = 0;
    int32_t paddedWidth_ = 0, bitsPerPixel_ = 0, bytesPerPixel_ = 0, stride_ = 0;
    int32_t topDown_ = 1;
    int32_t coloursUsed_ = 0;
    uint8_t* bits_ = nullptr;
    int32_t imageSize_ = 0;

  private:
    std::vector<uint8_t> block_;
};
