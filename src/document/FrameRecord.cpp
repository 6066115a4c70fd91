#include "document/FrameRecord.h"

#include <new>

#include "document/AnimationDocument.h"
#include "host/Host.h"

uint64_t NextPictureVersion() {
    static std::atomic<uint64_t> counter{0};
    return counter.fetch_add(1, std::memory_order_relaxed) + 1;
}

FrameRecord::FrameRecord(AnimationDocument& doc)
    : document(doc), pictureVersion(NextPictureVersion()) {
    delay = doc.globalDelay;
}

FrameData FrameRecord::data() const {
    std::lock_guard lock(paletteLock);
    return static_cast<const FrameData&>(*this);
}

void FrameRecord::setData(const FrameData& data) {
    std::lock_guard lock(paletteLock);
    static_cast<FrameData&>(*this) = data;
}

std::unique_ptr<FrameRecord> FrameRecord::Construct(AnimationDocument& document, FrameRecord* prev,
                                                    FrameRecord* next) {
    std::unique_ptr<FrameRecord> frame(new (std::nothrow) FrameRecord(document));
    if (!frame) return nullptr;
    frame->prev = prev;
    frame->next = next;
    // The neighbour's delay is a good guess; its palette arrangement is not: this frame
    // gets its colours in its own palette, and a save must not write the neighbour's flag.
    if (prev) frame->delay = prev->delay;
    return frame;
}

FrameRecord::~FrameRecord() {
    alive = 0;
    // A pending reduction is stopped; a queued one never starts.
    if (const JobHandle job = reduceThread) {
        abortReduce = 1;
        if (!document.jobs().Cancel(job)) document.jobs().Wait(job);
        std::lock_guard lock(paletteLock);
        reduceThread.reset();
        reduceFinished = 1;
    }
    JobHandle composition, viewJob;
    {
        std::lock_guard lock(composeLock);
        composition = std::move(composeThread);
        viewJob = std::move(pictureJob);
    }
    if (composition && !document.jobs().Cancel(composition)) document.jobs().Wait(composition);
    if (viewJob && !document.jobs().Cancel(viewJob)) document.jobs().Wait(viewJob);
    {
        // A composition run synchronously by another thread may still be on its way.
        std::unique_lock lock(composeLock);
        compositionEnded.wait(lock, [this] { return !composing; });
        composedBitmap.reset();
    }
    document.composedCache.Forget(*this);
    if (!document.closing && !IsPaletteValid()) document.notifier.Notify(kNotifyReductionDropped);
}

bool FrameRecord::CreateIndexBuffer(int w, int h) {
    width = w;
    height = h;
    std::shared_ptr<IndexBuffer> plane = IndexBuffer::Create(this, w, h);
    if (!plane) return false;
    ReplaceIndexPlane(std::move(plane));
    return true;
}

bool FrameRecord::CreateTrueColourBuffer() {
    std::shared_ptr<TrueColourBuffer> plane = TrueColourBuffer::Create(width, height);
    std::lock_guard lock(paletteLock);
    bGifPal = 0;
    if (!plane) return false;
    ppTC = std::move(plane);
    return true;
}

void FrameRecord::SetPaletteValid(bool valid) {
    std::lock_guard lock(paletteLock);
    bGifPal = valid ? 1 : 0;
}

bool FrameRecord::IsPaletteValid() const {
    std::lock_guard lock(paletteLock);
    return bGifPal != 0;
}

std::shared_ptr<IndexBuffer> FrameRecord::indexPlane() const {
    std::lock_guard lock(paletteLock);
    return indexBuffer;
}

std::shared_ptr<TrueColourBuffer> FrameRecord::trueColourPlane() const {
    std::lock_guard lock(paletteLock);
    return ppTC;
}

void FrameRecord::ReplaceIndexPlane(std::shared_ptr<IndexBuffer> plane) {
    std::shared_ptr<IndexBuffer> old;
    std::lock_guard lock(paletteLock);
    old = std::move(indexBuffer);
    indexBuffer = std::move(plane);
}

void FrameRecord::ReplaceTrueColourPlane(std::shared_ptr<TrueColourBuffer> plane) {
    std::shared_ptr<TrueColourBuffer> old;
    std::lock_guard lock(paletteLock);
    old = std::move(ppTC);
    ppTC = std::move(plane);
}

void FrameRecord::WaitForReduction() {
    const JobHandle job = reduceThread;  // only the window thread starts reductions
    if (!job) return;
    Host& host = document.host;
    host.waitCursor(true);
    document.jobs().SetPriority(job, JobPriority::Boost);
    document.waiterCount += 1;
    // Waiting for the job itself (rather than for a "palette ready" signal) cannot be
    // satisfied by an earlier reduction's signal, and also returns after an abort.
    document.jobs().Wait(job);
    document.waiterCount -= 1;
    {
        std::lock_guard lock(paletteLock);
        if (reduceThread == job) reduceThread.reset();
    }
    host.waitCursor(false);
}

const Palette& FrameRecord::effectivePalette() const {
    return hasLocalPalette ? palette : document.globalPalette;
}

bool FrameRecord::coversScreen() const {
    return left == 0 && top == 0 && width == document.screenWidth &&
           height == document.screenHeight;
}

bool ToTrueColour(FrameRecord& frame, bool keepValid) {
    if (keepValid) frame.SetPaletteValid(false);
    if (frame.trueColourPlane()) return true;
    frame.WaitForReduction();
    // Fill the new plane before publishing it, so that a composition of the next frame
    // never reads half-filled pixels.
    std::shared_ptr<TrueColourBuffer> plane = TrueColourBuffer::Create(frame.width, frame.height);
    if (!plane) {
        if (!keepValid) frame.SetPaletteValid(true);
        return false;
    }
    const std::shared_ptr<IndexBuffer> indexes = frame.indexPlane();
    const Palette& colours = frame.effectivePalette();
    for (int y = 0; y < frame.height; ++y) {
        uint32_t* out = plane->row(y);
        const uint8_t* in = indexes ? indexes->row(y) : nullptr;
        for (int x = 0; x < frame.width; ++x) {
            const uint8_t i = in ? in[x] : 0;
            uint32_t pixel = colours[i].rgb();
            if (frame.hasTransparency && i == frame.transparentIndex) pixel |= kTransparentMarker;
            out[x] = pixel;
        }
    }
    {
        std::lock_guard lock(frame.paletteLock);
        frame.ppTC = std::move(plane);
        frame.bGifPal = keepValid ? 0 : 1;
    }
    return true;
}

std::string FitFileName(const std::string& name) {
    return name.size() > kMaxFileNameLength ? name.substr(0, kMaxFileNameLength) : name;
}

std::string CopyName(const std::string& sourceName) {
    if (sourceName.compare(0, 7, "Copy of") == 0) return sourceName;
    return FitFileName("Copy of " + sourceName);
}

int CopyInto(FrameRecord& source, FrameRecord* destination, bool withTrueColour) {
    if (!destination) return -1;
    FrameRecord& d = *destination;
    // A pending reduction still changes the transparency fields and the palette.
    source.WaitForReduction();
    d.left = source.left;
    d.top = source.top;
    d.width = source.width;
    d.height = source.height;
    d.delay = source.delay;
    d.transparentIndex = source.transparentIndex;
    d.hasTransparency = source.hasTransparency;
    d.transparencyActive = source.transparencyActive.load();
    d.interlaced = source.interlaced;
    d.bitsPerPixel = source.bitsPerPixel;
    d.fileName = CopyName(source.fileName);

    std::shared_ptr<IndexBuffer> indexes = IndexBuffer::Create(&d, source.width, source.height);
    if (!indexes) return 5;
    const std::shared_ptr<IndexBuffer> from = source.indexPlane();
    if (from) {
        for (int y = 0; y < source.height; ++y) {
            std::copy(from->row(y), from->row(y) + source.width, indexes->row(y));
        }
    }
    d.ReplaceIndexPlane(std::move(indexes));

    const std::shared_ptr<TrueColourBuffer> sourceColours = source.trueColourPlane();
    if (sourceColours && withTrueColour) {
        std::shared_ptr<TrueColourBuffer> plane = TrueColourBuffer::Create(d.width, d.height);
        if (!plane) return 5;
        std::copy(sourceColours->data(), sourceColours->data() + size_t(d.width) * size_t(d.height),
                  plane->data());
        std::lock_guard lock(d.paletteLock);
        d.bGifPal = 0;
        d.ppTC = std::move(plane);
    }
    d.palette = source.palette;
    d.hasLocalPalette = source.hasLocalPalette;
    d.reservedColours = source.reservedColours;
    return 0;
}
