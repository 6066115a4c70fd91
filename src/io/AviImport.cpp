#include "io/AviImport.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>

#include "document/AnimationDocument.h"
#include "document/ChainOperations.h"
#include "host/Host.h"

namespace {

// More frames than this is no animation we can hold.
constexpr long long kMaxVideoFrames = 100000;

struct FormatCloser {
    void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
struct CodecCloser {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameFree {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFree {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct ScaleFree {
    void operator()(SwsContext* c) const { sws_freeContext(c); }
};

std::string Printf(const char* pattern, long long a, long long b = 0, long long c = 0) {
    char text[256];
    std::snprintf(text, sizeof text, pattern, a, b, c);
    return text;
}

// One open video stream with its decoder.
class VideoReader {
  public:
    bool Open(const std::string& path) {
        AVFormatContext* raw = nullptr;
        if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) return false;
        format_.reset(raw);
        if (avformat_find_stream_info(raw, nullptr) < 0) return false;
        const AVCodec* codec = nullptr;
        stream_ = av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
        if (stream_ < 0 || !codec) return false;
        const AVCodecParameters* par = raw->streams[stream_]->codecpar;
        if (par->width <= 0 || par->height <= 0 || !IsPlaneSizeAcceptable(par->width, par->height))
            return false;
        width_ = par->width;
        height_ = par->height;
        codec_.reset(avcodec_alloc_context3(codec));
        if (!codec_ || avcodec_parameters_to_context(codec_.get(), par) < 0) return false;
        codec_->thread_count = 1;
        if (avcodec_open2(codec_.get(), codec, nullptr) < 0) return false;
        packet_.reset(av_packet_alloc());
        frame_.reset(av_frame_alloc());
        return packet_ && frame_;
    }

    // Counts the stream's packets (one per frame) without decoding.
    long long CountFrames() {
        long long n = 0;
        while (n <= kMaxVideoFrames && av_read_frame(format_.get(), packet_.get()) >= 0) {
            if (packet_->stream_index == stream_) ++n;
            av_packet_unref(packet_.get());
        }
        return n;
    }

    // The next decoded frame in display order, or nullptr at the end or on an error.
    AVFrame* Next() {
        av_frame_unref(frame_.get());
        for (;;) {
            const int got = avcodec_receive_frame(codec_.get(), frame_.get());
            if (got == 0) return frame_.get();
            if (got != AVERROR(EAGAIN)) return nullptr;
            if (draining_) return nullptr;
            int read = 0;
            while ((read = av_read_frame(format_.get(), packet_.get())) >= 0 &&
                   packet_->stream_index != stream_) {
                av_packet_unref(packet_.get());
            }
            if (read < 0) {
                draining_ = true;
                avcodec_send_packet(codec_.get(), nullptr);
                continue;
            }
            const int sent = avcodec_send_packet(codec_.get(), packet_.get());
            av_packet_unref(packet_.get());
            if (sent < 0 && sent != AVERROR(EAGAIN)) return nullptr;
        }
    }

    int width() const { return width_; }
    int height() const { return height_; }

  private:
    std::unique_ptr<AVFormatContext, FormatCloser> format_;
    std::unique_ptr<AVCodecContext, CodecCloser> codec_;
    std::unique_ptr<AVPacket, PacketFree> packet_;
    std::unique_ptr<AVFrame, FrameFree> frame_;
    int stream_ = -1;
    int width_ = 0, height_ = 0;
    bool draining_ = false;
};

// Builds a frame record of the target size from one decoded picture: palettised
// pictures keep their palette and indexes (scaled by nearest neighbour), others become
// true colour for the colour reduction. nullptr when the picture is unusable.
std::unique_ptr<FrameRecord> MakeFrame(AnimationDocument& doc, const AVFrame& picture,
                                       int streamWidth, int streamHeight, int targetWidth,
                                       int targetHeight, const std::string& name) {
    // A picture must be what the stream promised.
    if (picture.width != streamWidth || picture.height != streamHeight || !picture.data[0]) {
        return nullptr;
    }
    std::unique_ptr<FrameRecord> frame = FrameRecord::Construct(doc, nullptr, nullptr);
    if (!frame || !frame->CreateIndexBuffer(targetWidth, targetHeight)) return nullptr;
    frame->left = frame->top = 0;
    frame->fileName = FitFileName(name);
    frame->bitsPerPixel = 8;
    frame->hasLocalPalette = 1;
    if (picture.format == AV_PIX_FMT_PAL8 && picture.data[1]) {
        const auto* colours = reinterpret_cast<const uint32_t*>(picture.data[1]);
        frame->palette = UnusedPalette();
        for (int i = 0; i < 256; ++i)
            frame->palette[size_t(i)] = PaletteEntry::FromRgb(colours[i] & 0xFFFFFFu);
        IndexBuffer& out = *frame->indexPlane();
        for (int y = 0; y < targetHeight; ++y) {
            const int sy = int(int64_t(y) * streamHeight / targetHeight);
            const uint8_t* in = picture.data[0] + int64_t(sy) * picture.linesize[0];
            uint8_t* row = out.row(y);
            for (int x = 0; x < targetWidth; ++x)
                row[x] = in[int64_t(x) * streamWidth / targetWidth];
        }
        frame->hasTransparency = 0;
        frame->SetPaletteValid(true);
        return frame;
    }
    if (!frame->CreateTrueColourBuffer()) return nullptr;
    std::unique_ptr<SwsContext, ScaleFree> scale(
        sws_getContext(streamWidth, streamHeight, AVPixelFormat(picture.format), targetWidth,
                       targetHeight, AV_PIX_FMT_BGR0, SWS_POINT, nullptr, nullptr, nullptr));
    if (!scale) return nullptr;
    const std::shared_ptr<TrueColourBuffer> plane = frame->trueColourPlane();
    uint8_t* destination[4] = {reinterpret_cast<uint8_t*>(plane->data()), nullptr, nullptr,
                               nullptr};
    int destinationStride[4] = {targetWidth * 4, 0, 0, 0};
    if (sws_scale(scale.get(), picture.data, picture.linesize, 0, streamHeight, destination,
                  destinationStride) != targetHeight) {
        return nullptr;
    }
    for (size_t i = 0; i < size_t(targetWidth) * size_t(targetHeight); ++i)
        plane->data()[i] &= kRgbMask;
    frame->indexPlane()->fill(0);
    frame->palette = UnusedPalette();
    return frame;
}

TreeItem* InsertEntryAfter(AnimationDocument& doc, TreeItem* after, const std::string& label,
                           bool atFront) {
    FrameTree& tree = doc.tree;
    if (after) return tree.InsertAfter(after->parent(), after, label);
    if (atFront || !doc.selectedItem || !doc.selectedItem->parent()) {
        TreeItem* last = nullptr;
        for (TreeItem* c = tree.root()->firstChild(); c && c->startsWith("GlobalComment");
             c = c->nextSibling()) {
            last = c;
        }
        return tree.InsertAfter(tree.root(), last, label);
    }
    return tree.InsertAfter(doc.selectedItem->parent(), doc.selectedItem, label);
}

}  // namespace

AviLoadChoices& RememberedAviChoices() {
    static AviLoadChoices choices;
    return choices;
}

std::string AviInfoText(const AviStreamInfo& info) {
    return Printf(
        "This AVI contains %lld Frames where the first frame has index %lld and the last "
        "frame has index %lld.",
        info.length, info.first, (long long)info.first + info.length - 1);
}

std::string ValidateAviChoices(const AviStreamInfo& info, const AviLoadChoices& choices) {
    if (choices.loadAll) return {};
    const long long s = info.first, n = info.length, c = choices.count, f = choices.firstIndex;
    if (c < 1) return "The number of Frames must be greater than 0.";
    if (c > n) return Printf("The AVI contains only %lld frames.", n);
    if (f < s || f >= s + n)
        return Printf("The AVI-frame indizes range from %lld to %lld.", s, s + n - 1);
    if (choices.reverse && f - c + 1 < s)
        return "The first frame index is too small or the number of frames is too high.";
    if (!choices.reverse && f + c > s + n)
        return "The first frame index is too high or the number of frames is too high.";
    return {};
}

AviLoadPlan PlanAviLoad(const AviStreamInfo& info, const AviLoadChoices& choices) {
    AviLoadPlan plan;
    plan.forward = !choices.reverse;
    if (choices.loadAll) {
        plan.count = info.length;
        plan.start = plan.forward ? info.first : info.first + info.length - 1;
    } else {
        plan.count = int(choices.count);
        plan.start = int(choices.firstIndex);
    }
    return plan;
}

std::string AviProgressText(int index, int position, int count) {
    return Printf("Loading Frame %lld [%lld of %lld]", index, position, count);
}

bool ProbeVideo(const std::string& path, AviStreamInfo& info) {
    info = AviStreamInfo{};
    VideoReader reader;
    if (!reader.Open(path)) return false;
    const long long n = reader.CountFrames();
    if (n < 1 || n > kMaxVideoFrames) return false;
    info.first = 0;
    info.length = int(n);
    info.width = reader.width();
    info.height = reader.height();
    return true;
}

int ImportAvi(AnimationDocument& doc, const std::string& path, const AviImportOptions& options) {
    av_log_set_level(AV_LOG_QUIET);
    AviStreamInfo info;
    if (!ProbeVideo(path, info)) {
        doc.host.message("Could not open AVI.", "Error", MessageIcon::Exclamation);
        return -1;
    }
    AviLoadChoices& choices = RememberedAviChoices();
    if (options.choose) {
        if (!options.choose(info, choices)) return -1;
    }
    const std::string invalid = ValidateAviChoices(info, choices);
    if (!invalid.empty()) {
        doc.host.message(invalid, "Error", MessageIcon::Exclamation);
        return -1;
    }
    const bool wasEmpty = doc.empty();
    int targetWidth = info.width, targetHeight = info.height;
    if (!wasEmpty) {
        targetWidth = doc.firstFrame->width;
        targetHeight = doc.firstFrame->height;
        if ((targetWidth != info.width || targetHeight != info.height) && !doc.host.askResize())
            return -1;
    }

    const AviLoadPlan plan = PlanAviLoad(info, choices);
    const int lowest = plan.forward ? plan.start : plan.start - plan.count + 1;
    const int highest = lowest + plan.count - 1;
    const std::string name = std::filesystem::path(path).filename().string();

    // Decoding runs forward through the stream; the chosen frames are kept by index and
    // linked in loading order afterwards.
    VideoReader reader;
    std::map<int, std::unique_ptr<FrameRecord>> loaded;
    bool cancelled = false;
    if (reader.Open(path)) {
        int position = 0;
        for (int index = 0; index <= highest; ++index) {
            AVFrame* picture = reader.Next();
            if (!picture) break;
            if (index < lowest) continue;
            ++position;
            const int place = std::abs(index - plan.start) + 1;
            doc.host.showProgress(AviProgressText(index, place, plan.count),
                                  position * 100 / std::max(plan.count, 1));
            if (options.progress && !options.progress(index, place, plan.count)) {
                cancelled = true;
                break;
            }
            std::unique_ptr<FrameRecord> frame =
                MakeFrame(doc, *picture, info.width, info.height, targetWidth, targetHeight, name);
            if (!frame) break;
            loaded.emplace(index, std::move(frame));
        }
    }
    doc.host.showProgress("", 0);
    if (options.finished) options.finished();
    // Keep the frames up to the first one missing in loading order.
    std::vector<std::pair<int, std::unique_ptr<FrameRecord>>> ordered;
    for (int k = 0; k < plan.count; ++k) {
        auto found = loaded.find(plan.IndexAt(k));
        if (found == loaded.end()) break;
        ordered.emplace_back(found->first, std::move(found->second));
    }
    loaded.clear();
    if (ordered.empty()) {
        if (!cancelled) doc.host.message("Could not load AVI.", "Error", MessageIcon::Exclamation);
        return -1;
    }
    if (!cancelled && int(ordered.size()) < plan.count) {
        doc.host.message(Printf("Only %lld of %lld frames could be loaded.",
                                (long long)ordered.size(), plan.count),
                         "Warning", MessageIcon::Exclamation);
    }

    // Link the chain and splice it in.
    FrameRecord* first = AnimationDocument::Adopt(std::move(ordered[0].second));
    FrameRecord* last = first;
    for (size_t k = 1; k < ordered.size(); ++k) {
        FrameRecord* f = AnimationDocument::Adopt(std::move(ordered[k].second));
        f->prev = last;
        last->next = f;
        last = f;
    }
    const bool atFront = !wasEmpty && (doc.selectedItem == doc.tree.root() || !doc.selectedItem ||
                                       !doc.selectedFrame);
    {
        AnimationDocument::StructureWriteLock structure(doc);
        if (wasEmpty) {
            doc.screenWidth = info.width;
            doc.screenHeight = info.height;
            doc.firstFrame = first;
        } else if (atFront) {
            last->next = doc.firstFrame;
            doc.firstFrame->prev = last;
            doc.firstFrame = first;
        } else {
            FrameRecord* after = doc.selectedFrame;
            last->next = after->next;
            if (after->next) after->next->prev = last;
            after->next = first;
            first->prev = after;
        }
        doc.frameCount += int(ordered.size());
    }
    if (!wasEmpty) doc.modified = true;

    TreeItem* previous = nullptr;
    TreeItem* firstEntry = nullptr;
    for (size_t k = 0; k < ordered.size(); ++k) {
        previous = InsertEntryAfter(doc, previous,
                                    "Gif :" + name + " [" + std::to_string(ordered[k].first) + "]",
                                    atFront || wasEmpty);
        doc.tree.EnsureVisible(previous);
        if (!firstEntry) firstEntry = previous;
    }
    doc.selectedItem = firstEntry;
    doc.selectedFrame = first;
    doc.tree.RequestSelect(firstEntry);

    StartReduction(first, int(ordered.size()));
    for (FrameRecord* f = first; f != last->next; f = f->next) {
        if (!f->trueColourPlane()) StartComposition(*f);
    }
    return 0;
}
