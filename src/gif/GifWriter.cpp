#include "gif/GifWriter.h"

#include <algorithm>

#include "document/ChainOperations.h"
#include "gif/LzwEncoder.h"
#include "gif/ReplacingFile.h"

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v & 0xFF));
    out.push_back(uint8_t((v >> 8) & 0xFF));
}

void PutColourTable(const Palette& palette, int bitsPerPixel, std::vector<uint8_t>& out) {
    const int entries = 1 << bitsPerPixel;
    for (int i = 0; i < entries; ++i) {
        const PaletteEntry& e = palette[size_t(i)];
        if (!e.used()) {
            out.insert(out.end(), {uint8_t(kUnusedEntrySaved >> 16),
                                   uint8_t(kUnusedEntrySaved >> 8), uint8_t(kUnusedEntrySaved)});
        } else {
            out.insert(out.end(), {uint8_t(e.red), uint8_t(e.green), uint8_t(e.blue)});
        }
    }
}

int BitsOf(const FrameRecord& frame) {
    return std::clamp(int(frame.bitsPerPixel), 1, 8);
}

// The LZW minimum code size: the frame's smaller one when every pixel fits it (a frame
// edited after optimising may no longer fit), else the table's bits.
int CodeSizeOf(const FrameRecord& frame, const IndexBuffer* pixels) {
    const int bits = BitsOf(frame);
    const int smaller = frame.lzwCodeSize;
    if (smaller < 2 || smaller >= bits || !pixels) return bits;
    const uint8_t limit = uint8_t(1u << smaller);
    for (int y = 0; y < pixels->height; ++y) {
        const uint8_t* row = pixels->row(y);
        if (std::any_of(row, row + pixels->width, [limit](uint8_t p) { return p >= limit; }))
            return bits;
    }
    return smaller;
}

bool Fits16(int32_t v) {
    return v >= 0 && v <= 0xFFFF;
}

// Every value the blocks carry in 16 bits must fit, or the file would show something
// else than the document.
bool GeometryFits(const AnimationDocument& doc, const FrameRecord* first) {
    if (!Fits16(doc.screenWidth) || !Fits16(doc.screenHeight)) return false;
    for (const FrameRecord* f = first; f; f = f->next) {
        if (!Fits16(f->left) || !Fits16(f->top) || !Fits16(f->width) || !Fits16(f->height) ||
            f->width == 0 || f->height == 0) {
            return false;
        }
    }
    return true;
}

// Comments, descriptor, local table and LZW data of one frame, whose reduction has ended.
// With lossy > 0 the coder may write colours close to the frame's own.
void WriteImage(FrameRecord& frame, LzwEncoder& encoder, std::vector<uint8_t>& out, int lossy = 0) {
    for (const CommentNode& c : frame.comments) gif_blocks::WriteComment(c.text, out);
    const int bits = BitsOf(frame);
    out.push_back(0x2C);
    Put16(out, uint32_t(frame.left));
    Put16(out, uint32_t(frame.top));
    Put16(out, uint32_t(frame.width));
    Put16(out, uint32_t(frame.height));
    // Rows are always written top to bottom: the interlace bit is never set.
    out.push_back(uint8_t((bits - 1) | (frame.hasLocalPalette ? 0x80 : 0)));
    frame.codeWidth = uint32_t(bits + 1);
    if (frame.hasLocalPalette) PutColourTable(frame.palette, bits, out);
    const std::shared_ptr<IndexBuffer> plane = frame.indexPlane();
    const IndexBuffer* pixels =
        plane && plane->width == frame.width && plane->height == frame.height ? plane.get()
                                                                              : nullptr;
    const int codeSize = CodeSizeOf(frame, pixels);
    LzwChoices choices;
    choices.keepFullTable = frame.lzwKeepsFullTable;
    if (lossy <= 0 || !pixels) {
        encoder.EncodeChoosing(pixels, frame.width, frame.height, codeSize, choices, out, nullptr);
        return;
    }
    const Palette& palette = frame.effectivePalette();
    uint32_t colours[256];
    for (int i = 0; i < 256; ++i) {
        colours[i] =
            i < (1 << bits) && palette[size_t(i)].used() ? palette[size_t(i)].rgb() : kNotAColour;
    }
    if (frame.hasTransparency && frame.transparentIndex < 256)
        colours[frame.transparentIndex] = kNotAColour;
    choices.colours = colours;
    choices.maxError = LossyMaxError(lossy);
    // Lossy strings differ once the table is full: started afresh or kept, the smaller wins.
    std::vector<uint8_t> afresh, kept;
    choices.keepFullTable = false;
    encoder.EncodeChoosing(pixels, frame.width, frame.height, codeSize, choices, afresh, nullptr);
    choices.keepFullTable = true;
    encoder.EncodeChoosing(pixels, frame.width, frame.height, codeSize, choices, kept, nullptr);
    const std::vector<uint8_t>& smaller = kept.size() < afresh.size() ? kept : afresh;
    out.insert(out.end(), smaller.begin(), smaller.end());
}

// Pending bytes go to the file once they pass this size.
constexpr size_t kFlushAt = size_t(1) << 20;

void Drain(ReplacingFile& file, std::vector<uint8_t>& buffer) {
    file.Write(buffer.data(), buffer.size());
    buffer.clear();
}

}  // namespace

namespace gif_blocks {

void WriteHeader(const AnimationDocument& doc, const FrameRecord& first,
                 std::vector<uint8_t>& out) {
    const int bits = BitsOf(first);
    const uint8_t signature[] = {'G', 'I', 'F', '8', '9', 'a'};
    out.insert(out.end(), signature, signature + 6);
    Put16(out, uint32_t(doc.screenWidth));
    Put16(out, uint32_t(doc.screenHeight));
    out.push_back(uint8_t((bits - 1) | (doc.hasGlobalPalette ? 0x80 : 0)));
    out.push_back(doc.backgroundIndex);
    out.push_back(0);
    if (doc.hasGlobalPalette) PutColourTable(doc.globalPalette, bits, out);
}

void WriteLoopBlock(uint16_t loopCount, std::vector<uint8_t>& out) {
    const uint8_t head[] = {0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S',  'C',
                            'A',  'P',  'E',  '2', '.', '0', 0x03, 0x01};
    out.insert(out.end(), head, head + sizeof head);
    Put16(out, loopCount);
    out.push_back(0);
}

void WriteComment(const std::string& text, std::vector<uint8_t>& out) {
    out.push_back(0x21);
    out.push_back(0xFE);
    for (size_t at = 0; at < text.size(); at += 255) {
        const size_t n = std::min<size_t>(255, text.size() - at);
        out.push_back(uint8_t(n));
        out.insert(out.end(), text.begin() + ptrdiff_t(at), text.begin() + ptrdiff_t(at + n));
    }
    out.push_back(0);
}

void WriteGraphicControl(const AnimationDocument& doc, const FrameRecord& frame,
                         std::vector<uint8_t>& out) {
    const uint32_t disposal = uint32_t(doc.effectiveDisposal(frame)) & 7u;
    const uint32_t delay =
        std::min<uint32_t>(doc.useGlobalDelay ? doc.globalDelay : frame.delay, 0xFFFF);
    out.insert(out.end(), {0x21, 0xF9, 0x04});
    out.push_back(uint8_t((frame.hasTransparency ? 1 : 0) | (disposal << 2)));
    Put16(out, delay);
    out.push_back(uint8_t(frame.transparentIndex));
    out.push_back(0);
}

}  // namespace gif_blocks

int SaveAnimation(AnimationDocument& doc, const std::string& path) {
    return SaveAnimation(doc, path, doc.settings.lossy);
}

int SaveAnimation(AnimationDocument& doc, const std::string& path, int lossy) {
    doc.notifier.Notify(kNotifyBatchStarts, kBatchSaving, CountChain(doc.firstFrame));
    FrameRecord* const first = doc.firstFrame;
    if (!first || !GeometryFits(doc, first)) return kSaveCannotWrite;

    ReplacingFile file(path);
    if (!file.Open()) return kSaveCannotWrite;
    std::vector<uint8_t> buffer;
    buffer.reserve(kFlushAt + (kFlushAt >> 2));
    // A pending reduction still changes a frame's palette, its local-table flag and its
    // transparent slot: every frame is waited for before any of its blocks is written.
    first->WaitForReduction();
    gif_blocks::WriteHeader(doc, *first, buffer);
    gif_blocks::WriteLoopBlock(doc.endless ? 0 : doc.loopCount, buffer);

    LzwEncoder encoder;  // one per save: saves never share coder state
    for (FrameRecord* f = first; f; f = f->next) {
        doc.notifier.Notify(kNotifyFrameSaved);
        f->WaitForReduction();
        gif_blocks::WriteGraphicControl(doc, *f, buffer);
        WriteImage(*f, encoder, buffer, lossy);
        if (buffer.size() >= kFlushAt) Drain(file, buffer);
    }
    // The animation's comments go behind the last image: in front of the first one they
    // would read back as that image's comments.
    for (const CommentNode& c : doc.globalComments) gif_blocks::WriteComment(c.text, buffer);
    buffer.push_back(0x3B);
    Drain(file, buffer);
    return file.Commit() ? kSaveOk : kSaveCannotWrite;
}

int SaveSingleGif(AnimationDocument& doc, FrameRecord& frame, const std::string& path) {
    if (!Fits16(doc.screenWidth) || !Fits16(doc.screenHeight) || !Fits16(frame.left) ||
        !Fits16(frame.top) || !Fits16(frame.width) || !Fits16(frame.height) || frame.width == 0 ||
        frame.height == 0) {
        return kSaveCannotWrite;
    }
    ReplacingFile file(path);
    if (!file.Open()) return kSaveCannotWrite;
    std::vector<uint8_t> buffer;
    frame.WaitForReduction();
    gif_blocks::WriteHeader(doc, frame, buffer);
    LzwEncoder encoder;
    WriteImage(frame, encoder, buffer);
    buffer.push_back(0x3B);
    Drain(file, buffer);
    return file.Commit() ? kSaveOk : kSaveCannotWrite;
}
