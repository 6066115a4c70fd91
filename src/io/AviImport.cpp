#include "io/AviImport.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

#include "colour/StreamedReduction.h"
#include "document/AnimationDocument.h"
#include "document/ChainOperations.h"
#include "document/MemoryBudget.h"
#include "host/Host.h"
#include "io/FfmpegHandles.h"

namespace {

// More frames than this is no animation we can hold.
constexpr long long kMaxVideoFrames = 100000;

struct FormatCloser {
    void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};

std::string Printf(const char* pattern, long long a, long long b = 0, long long c = 0) {
    char text[256];
    std::snprintf(text, sizeof text, pattern, a, b, c);
    return text;
}

struct ImageFree {
    void operator()(uint8_t* p) const { av_free(p); }
};

// One open video stream with its decoder, and what one pass over its packets tells:
// each frame's presentation time (in display order) and which frames are key frames.
class VideoReader {
  public:
    bool Open(const std::string& path) {
        path_ = path;
        return OpenDecoder();
    }

    // Reads every packet of the stream once, without decoding. False when the stream
    // has no frames or more than we can hold.
    bool Scan() {
        std::vector<int64_t> keyTimes;
        std::vector<std::pair<int64_t, int64_t>> durations;  // time, duration
        timesKnown_ = timeBase_.num > 0 && timeBase_.den > 0;
        int64_t n = 0;
        while (av_read_frame(format_.get(), packet_.get()) >= 0) {
            if (packet_->stream_index == stream_) {
                if (++n > kMaxVideoFrames) {
                    av_packet_unref(packet_.get());
                    return false;
                }
                int64_t t = packet_->pts != AV_NOPTS_VALUE ? packet_->pts : packet_->dts;
                // Far-off times are damage; they would overflow the arithmetic below.
                if (t == AV_NOPTS_VALUE || t < -kTimeLimit || t > kTimeLimit) timesKnown_ = false;
                t = timesKnown_ ? t : n - 1;
                times_.push_back(t);
                durations.emplace_back(t, std::clamp<int64_t>(packet_->duration, 0, kTimeLimit));
                if (packet_->flags & AV_PKT_FLAG_KEY) keyTimes.push_back(t);
            }
            av_packet_unref(packet_.get());
        }
        if (times_.empty()) return false;
        std::sort(times_.begin(), times_.end());
        if (std::adjacent_find(times_.begin(), times_.end()) != times_.end()) timesKnown_ = false;
        if (!timesKnown_) {
            for (size_t i = 0; i < times_.size(); ++i) times_[i] = int64_t(i);
        } else {
            // A palette change holds until the next one: palettised streams are read from
            // their start.
            if (!palettised_)
                for (const int64_t t : keyTimes) keys_.push_back(IndexOfTime(t));
            std::sort(keys_.begin(), keys_.end());
            // The last frame shows for its packet's duration, else for the average step.
            int64_t last = 0;
            for (const auto& [t, d] : durations)
                if (t == times_.back()) last = d;
            if (last <= 0 && times_.size() > 1)
                last = (times_.back() - times_.front()) / int64_t(times_.size() - 1);
            end_ = times_.back() + last;
        }
        // Decoding starts afresh, so that the demuxer hands over the stream's palette.
        lastIndex_ = -1;
        return OpenDecoder();
    }

    int64_t frameCount() const { return int64_t(times_.size()); }

    // The display time, in hundredths of a second, of frame `from` when it shows until
    // frame `to` comes (or the clip ends): each frame's start is rounded on the whole
    // clip's clock, so that rounding errors do not add up.
    uint32_t DelayBetween(int from, int to) const {
        int64_t delay = 10 * int64_t(to - from);
        if (timesKnown_ && end_ > times_.back()) {
            const int64_t until = size_t(to) < times_.size() ? times_[size_t(to)] : end_;
            delay = Hundredths(until) - Hundredths(times_[size_t(from)]);
        } else if (hasRate()) {
            // Without usable timestamps the stream's nominal rate is the clock.
            auto start = [this](int64_t k) {
                return av_rescale_rnd(k, int64_t(frameRate_.den) * 100, frameRate_.num,
                                      AV_ROUND_NEAR_INF);
            };
            delay = start(to) - start(from);
        }
        return uint32_t(std::clamp<int64_t>(delay, 0, 0xFFFF));
    }

    // When frame `index` is due, in seconds from the first frame.
    double SecondsOf(int index) const {
        if (timesKnown_) return double(times_[size_t(index)] - times_.front()) * av_q2d(timeBase_);
        return hasRate() ? index / av_q2d(frameRate_) : index * 0.1;
    }

    // The stream's nominal frame rate, 0 when it states none.
    double rate() const { return hasRate() ? av_q2d(frameRate_) : 0; }

    // Positions the reader so that Next() continues from the key frame at or before
    // `index` (from the start when the stream cannot seek).
    bool Rewind(int index) {
        const int key = KeyAtOrBefore(index);
        draining_ = false;
        if (timesKnown_ && !palettised_ &&
            av_seek_frame(format_.get(), stream_, times_[size_t(key)], AVSEEK_FLAG_BACKWARD) >= 0) {
            avcodec_flush_buffers(codec_.get());
            lastIndex_ = key - 1;
            return true;
        }
        lastIndex_ = -1;
        return OpenDecoder();
    }

    // The next decoded frame in display order and its index, or nullptr at the end or
    // on an error.
    AVFrame* Next(int& index) {
        AVFrame* picture = Decode();
        if (!picture) return nullptr;
        index = lastIndex_ + 1;
        const int64_t t = picture->best_effort_timestamp;
        if (timesKnown_ && t != AV_NOPTS_VALUE) {
            const auto at = std::lower_bound(times_.begin(), times_.end(), t);
            if (at != times_.end() && *at == t) index = int(at - times_.begin());
        }
        lastIndex_ = index;
        return picture;
    }

    // The key frame at or before `index` (0 when none is known).
    int KeyAtOrBefore(int index) const {
        const auto after = std::upper_bound(keys_.begin(), keys_.end(), index);
        return after == keys_.begin() ? 0 : *(after - 1);
    }

    int width() const { return width_; }
    int height() const { return height_; }

  private:
    static constexpr int64_t kTimeLimit = int64_t(1) << 52;

    bool hasRate() const { return frameRate_.num > 0 && frameRate_.den > 0; }

    bool OpenDecoder() {
        format_.reset();
        codec_.reset();
        draining_ = false;
        AVFormatContext* raw = nullptr;
        if (avformat_open_input(&raw, path_.c_str(), nullptr, nullptr) < 0) return false;
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
        timeBase_ = raw->streams[stream_]->time_base;
        frameRate_ = raw->streams[stream_]->avg_frame_rate;
        if (frameRate_.num <= 0 || frameRate_.den <= 0)
            frameRate_ = raw->streams[stream_]->r_frame_rate;
        codec_.reset(avcodec_alloc_context3(codec));
        if (!codec_ || avcodec_parameters_to_context(codec_.get(), par) < 0) return false;
        codec_->thread_count = 1;
        if (avcodec_open2(codec_.get(), codec, nullptr) < 0) return false;
        palettised_ = codec_->pix_fmt == AV_PIX_FMT_PAL8 ||
                      (par->bits_per_coded_sample > 0 && par->bits_per_coded_sample <= 8);
        packet_.reset(av_packet_alloc());
        frame_.reset(av_frame_alloc());
        return packet_ && frame_;
    }

    int IndexOfTime(int64_t t) const {
        return int(std::lower_bound(times_.begin(), times_.end(), t) - times_.begin());
    }

    int64_t Hundredths(int64_t t) const {
        return av_rescale_q_rnd(t - times_.front(), timeBase_, AVRational{1, 100},
                                AVRounding(AV_ROUND_NEAR_INF));
    }

    AVFrame* Decode() {
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

    std::string path_;
    std::unique_ptr<AVFormatContext, FormatCloser> format_;
    std::unique_ptr<AVCodecContext, CodecCloser> codec_;
    std::unique_ptr<AVPacket, PacketFree> packet_;
    std::unique_ptr<AVFrame, FrameFree> frame_;
    int stream_ = -1;
    int width_ = 0, height_ = 0;
    AVRational timeBase_{0, 1};
    AVRational frameRate_{0, 1};
    bool draining_ = false;
    std::vector<int64_t> times_;  // presentation times, display order
    std::vector<int> keys_;       // indexes of key frames, ascending
    bool timesKnown_ = false;
    bool palettised_ = false;
    int64_t end_ = 0;  // when the last frame stops showing
    int lastIndex_ = -1;
};

// Converts with the matrix and range the stream declares (most HD clips are BT.709);
// libswscale assumes BT.601 and, except for the JPEG formats, the limited range.
void UsePicturesColourMatrix(SwsContext& scale, const AVFrame& picture) {
    int* inverse = nullptr;
    int* table = nullptr;
    int sourceRange = 0, targetRange = 0, brightness = 0, contrast = 0, saturation = 0;
    if (sws_getColorspaceDetails(&scale, &inverse, &sourceRange, &table, &targetRange, &brightness,
                                 &contrast, &saturation) < 0) {
        return;  // not a conversion from YUV
    }
    if (picture.color_range == AVCOL_RANGE_JPEG) sourceRange = 1;
    sws_setColorspaceDetails(&scale, sws_getCoefficients(picture.colorspace), sourceRange, table,
                             targetRange, brightness, contrast, saturation);
}

// Builds a frame record of the target size from one decoded picture: palettised
// pictures keep their palette and indexes (scaled by nearest neighbour), others become
// true colour for the colour reduction. nullptr when the picture is unusable.
std::unique_ptr<FrameRecord> MakeFrame(AnimationDocument& doc, const AVFrame& picture,
                                       int streamWidth, int streamHeight, int targetWidth,
                                       int targetHeight, bool smooth, const std::string& name) {
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
    // Accurate rounding: the fast converter is off by up to three levels, a tint that shows
    // on the flat areas of screen recordings. Whole chroma rows make it exact at full size;
    // when scaling they would shift the colours half a pixel against the brightness.
    const bool scaling = targetWidth != streamWidth || targetHeight != streamHeight;
    const int flags =
        (smooth ? SWS_AREA : SWS_POINT) | SWS_ACCURATE_RND | (scaling ? 0 : SWS_FULL_CHR_H_INT);
    std::unique_ptr<SwsContext, ScaleFree> scale(
        sws_getContext(streamWidth, streamHeight, AVPixelFormat(picture.format), targetWidth,
                       targetHeight, AV_PIX_FMT_BGR0, flags, nullptr, nullptr, nullptr));
    if (!scale) return nullptr;
    UsePicturesColourMatrix(*scale, picture);
    // libswscale's vector code writes whole blocks past the end of a row: it gets a
    // picture laid out by FFmpeg's own rules, and the rows are copied from there.
    uint8_t* scaled[4] = {};
    int scaledStride[4] = {};
    if (av_image_alloc(scaled, scaledStride, targetWidth, targetHeight, AV_PIX_FMT_BGR0, 64) < 0)
        return nullptr;
    const std::unique_ptr<uint8_t, ImageFree> scaledOwner(scaled[0]);
    if (sws_scale(scale.get(), picture.data, picture.linesize, 0, streamHeight, scaled,
                  scaledStride) != targetHeight) {
        return nullptr;
    }
    TrueColourBuffer& plane = *frame->trueColourPlane();
    for (int y = 0; y < targetHeight; ++y) {
        const auto* in =
            reinterpret_cast<const uint32_t*>(scaled[0] + ptrdiff_t(y) * scaledStride[0]);
        uint32_t* out = plane.row(y);
        for (int x = 0; x < targetWidth; ++x) out[x] = in[x] & kRgbMask;
    }
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
    if (!(choices.framesPerSecond >= 0 && choices.framesPerSecond <= 1000))
        return "Frames per second must be a number from 0 to 1000.";
    int width = 0, height = 0;
    AviTargetSize(info, choices, width, height);
    if (choices.width < 0 || choices.height < 0 || width > 65535 || height > 65535 ||
        !IsPlaneSizeAcceptable(width, height))
        return "The frame size must be from 1 to 65535 pixels a side.";
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

void AviTargetSize(const AviStreamInfo& info, const AviLoadChoices& choices, int& width,
                   int& height) {
    width = info.width;
    height = info.height;
    if (choices.width <= 0 && choices.height <= 0) return;
    const auto scaled = [](int side, int to, int from) {
        return int(std::max<int64_t>(1, (int64_t(side) * to + from / 2) / std::max(from, 1)));
    };
    width = choices.width > 0 ? choices.width : scaled(info.width, choices.height, info.height);
    height = choices.height > 0 ? choices.height : scaled(info.height, choices.width, info.width);
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

namespace {

using LoadedFrames = std::vector<std::pair<int, std::unique_ptr<FrameRecord>>>;

bool OpenVideo(VideoReader& reader, const std::string& path, AviStreamInfo& info) {
    info = AviStreamInfo{};
    if (!reader.Open(path) || !reader.Scan()) return false;
    info.first = 0;
    info.length = int(reader.frameCount());
    info.width = reader.width();
    info.height = reader.height();
    info.framesPerSecond = reader.rate();
    return true;
}

// Which frames of the plan's range are kept at `rate` frames per second: the first, then
// each frame due at or after the next tick of that rate. next[index - low] is where a
// kept frame stops showing (the next kept frame, or the end of the range); -1 for a frame
// left out.
struct FramePick {
    int low = 0;
    std::vector<int> next;
    int kept = 0;
    bool keeps(int index) const { return next[size_t(index - low)] >= 0; }
    int until(int index) const { return next[size_t(index - low)]; }
};

FramePick PickFrames(const VideoReader& reader, const AviLoadPlan& plan, double rate) {
    FramePick pick;
    pick.low = plan.forward ? plan.start : plan.start - plan.count + 1;
    const int high = pick.low + plan.count - 1;
    pick.next.assign(size_t(plan.count), -1);
    // Two milliseconds of slack: containers keep times in whole milliseconds, where a
    // 30 fps clock falls a third of one early.
    constexpr double kSlack = 0.002;
    const double step = rate > 0 ? 1.0 / rate : 0;
    const double origin = reader.SecondsOf(pick.low);
    double tick = 0;
    int previous = -1;
    for (int index = pick.low; index <= high; ++index) {
        const double at = reader.SecondsOf(index) - origin;
        if (index != pick.low && at + kSlack < tick) continue;
        if (previous >= 0) pick.next[size_t(previous - pick.low)] = index;
        pick.next[size_t(index - pick.low)] = high + 1;
        previous = index;
        ++pick.kept;
        // The next tick after this frame; a frame late by more than a step skips ticks.
        while (step > 0 && tick <= at + kSlack) tick += step;
    }
    return pick;
}

// Bytes of n frames of w x h when at most `inColour` of them are in true colour at once:
// the rest hold their indexes only.
int64_t LoadBytes(int64_t n, int64_t w, int64_t h, int64_t inColour) {
    const int64_t all = ChainBytes(n, w, h);
    if (inColour >= n || all == std::numeric_limits<int64_t>::max()) return all;
    return all - (n - inColour) * w * h * 4;
}

// The most frames of w x h, up to `count`, that the memory budget allows.
int FramesThatFit(int count, int w, int h, int inColour) {
    int low = 0, high = count;
    while (low < high) {
        const int middle = low + (high - low + 1) / 2;
        if (FitsInMemory(LoadBytes(middle, w, h, inColour)))
            low = middle;
        else
            high = middle - 1;
    }
    return low;
}

// Gives the document the palette of the longest run of frames from `first` to `last`
// that share one as its global palette; those frames then carry none of their own.
void UseLongestRunAsGlobal(AnimationDocument& doc, FrameRecord* first, FrameRecord* last) {
    const auto same = [](const FrameRecord* a, const FrameRecord* b) {
        return a->IsPaletteValid() && b->IsPaletteValid() && a->palette == b->palette &&
               a->transparentIndex == b->transparentIndex;
    };
    FrameRecord* best = nullptr;
    int bestLength = 0;
    for (FrameRecord* start = first; start != last->next;) {
        int length = 1;
        FrameRecord* f = start->next;
        while (f != last->next && same(start, f)) {
            ++length;
            f = f->next;
        }
        if (length > bestLength && start->IsPaletteValid()) {
            best = start;
            bestLength = length;
        }
        start = f;
    }
    if (bestLength < 2) return;
    doc.hasGlobalPalette = true;
    doc.globalPalette = best->palette;
    for (FrameRecord* f = best; f != last->next && same(best, f); f = f->next)
        f->hasLocalPalette = 0;
}

// Reads the plan's frames in loading order into `loaded`, reporting each before it is
// read. Stops at the first frame that cannot be had; false when the user cancelled.
class FrameLoader {
  public:
    FrameLoader(AnimationDocument& doc, VideoReader& reader, const AviLoadPlan& plan,
                const FramePick& pick, const AviImportOptions& options, int targetWidth,
                int targetHeight, bool smooth, const std::string& name,
                StreamedReduction& reduction)
        : doc_(doc),
          reader_(reader),
          plan_(plan),
          pick_(pick),
          options_(options),
          targetWidth_(targetWidth),
          targetHeight_(targetHeight),
          smooth_(smooth),
          name_(name),
          reduction_(reduction) {}

    bool Run(LoadedFrames& loaded) { return plan_.forward ? Forward(loaded) : Backward(loaded); }

  private:
    bool Report(int index) {
        const int place = ++reported_;
        doc_.host.showProgress(AviProgressText(index, place, pick_.kept),
                               place * 100 / std::max(pick_.kept, 1));
        return !options_.progress || options_.progress(index, place, pick_.kept);
    }

    std::unique_ptr<FrameRecord> Make(const AVFrame& picture, int index) {
        std::unique_ptr<FrameRecord> frame =
            MakeFrame(doc_, picture, reader_.width(), reader_.height(), targetWidth_, targetHeight_,
                      smooth_, name_);
        if (frame) frame->delay = reader_.DelayBetween(index, pick_.until(index));
        return frame;
    }

    // Decodes from `from` (a key frame's index or less) up to `to`; the frames from
    // `from` on go to `out` in display order. Those before `from` are skipped without a
    // report: they are no more than one key frame's distance.
    template <typename Each>
    void Decode(int from, int to, Each each) {
        if (!reader_.Rewind(from)) return;
        int index = 0;
        for (AVFrame* picture = reader_.Next(index); picture; picture = reader_.Next(index)) {
            if (index < from) continue;
            if (index > to || !each(*picture, index)) return;
        }
    }

    bool Forward(LoadedFrames& loaded) {
        bool cancelled = false;
        int expected = plan_.start;
        const int last = plan_.start + plan_.count - 1;
        Decode(plan_.start, last, [&](const AVFrame& picture, int index) {
            if (index != expected) return false;  // a frame is missing
            if (pick_.keeps(index)) {
                if (!Report(index)) {
                    cancelled = true;
                    return false;
                }
                // The decoder waits while the window of frames in true colour is full.
                reduction_.WaitForRoom();
                std::unique_ptr<FrameRecord> frame = Make(picture, index);
                if (!frame) return false;
                reduction_.Add(*frame);
                loaded.emplace_back(index, std::move(frame));
            }
            return ++expected <= last;
        });
        return !cancelled;
    }

    // Backwards the decoder still runs forwards: from the key frame before each part of
    // the range to its end, which is then handed over from its last frame down.
    bool Backward(LoadedFrames& loaded) {
        const int lowest = plan_.start - plan_.count + 1;
        int top = plan_.start;
        while (top >= lowest) {
            const int from = std::max(lowest, reader_.KeyAtOrBefore(top));
            LoadedFrames part;
            Decode(from, top, [&](const AVFrame& picture, int index) {
                if (index != from + int(part.size())) return false;
                // A frame left out holds its place without a picture.
                std::unique_ptr<FrameRecord> frame;
                if (pick_.keeps(index)) {
                    frame = Make(picture, index);
                    if (!frame) return false;
                }
                part.emplace_back(index, std::move(frame));
                return index < top;
            });
            // Only a part that reaches `top` continues the frames loaded so far.
            while (!part.empty() && part.back().first == top) {
                if (part.back().second) {
                    if (!Report(top)) return false;
                    reduction_.Add(*part.back().second);
                    loaded.push_back(std::move(part.back()));
                }
                part.pop_back();
                --top;
            }
            if (top >= from) return true;  // a frame could not be had
        }
        return true;
    }

    AnimationDocument& doc_;
    VideoReader& reader_;
    const AviLoadPlan& plan_;
    const FramePick& pick_;
    const AviImportOptions& options_;
    const int targetWidth_, targetHeight_;
    const bool smooth_;
    const std::string& name_;
    StreamedReduction& reduction_;
    int reported_ = 0;
};

}  // namespace

bool ProbeVideo(const std::string& path, AviStreamInfo& info) {
    VideoReader reader;
    return OpenVideo(reader, path, info);
}

int ImportAvi(AnimationDocument& doc, const std::string& path, const AviImportOptions& options) {
    av_log_set_level(AV_LOG_QUIET);
    AviStreamInfo info;
    VideoReader reader;
    if (!OpenVideo(reader, path, info)) {
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
    AviTargetSize(info, choices, targetWidth, targetHeight);
    // A size asked for is scaled smoothly; fitting the document's frames keeps pixels.
    bool smooth = targetWidth != info.width || targetHeight != info.height;
    if (!wasEmpty) {
        smooth = false;
        targetWidth = doc.firstFrame->width;
        targetHeight = doc.firstFrame->height;
        if ((targetWidth != info.width || targetHeight != info.height) && !doc.host.askResize())
            return -1;
    }

    AviLoadPlan plan = PlanAviLoad(info, choices);
    const double own = info.framesPerSecond > 0 ? info.framesPerSecond : kMaxImportRate;
    const double wanted =
        choices.framesPerSecond > 0 ? choices.framesPerSecond : std::min(own, kMaxImportRate);
    // Every frame when the rate asked for is the video's own or more.
    const double rate = wanted < own * 0.999 ? wanted : 0;
    FramePick pick = PickFrames(reader, plan, rate);
    const int asked = pick.kept;
    // Frames are reduced while the clip is decoded: without their true colour kept, only
    // the window's frames are held in true colour at once (backwards, a key frame's
    // distance more).
    StreamedReduction reduction(doc, doc.settings.sharedPalette);
    const int inColour = doc.settings.keepTrueColorInfo || !plan.forward
                             ? std::numeric_limits<int>::max()
                             : reduction.window();
    if (!FitsInMemory(LoadBytes(pick.kept, targetWidth, targetHeight, inColour))) {
        const int fitting = FramesThatFit(pick.kept, targetWidth, targetHeight, inColour);
        const std::string need =
            Printf("%lld frames of %lld x %lld pixels need more memory than this computer has",
                   pick.kept, targetWidth, targetHeight);
        if (!options.interactive || fitting < 1) {
            doc.host.message(need + ".", "Error", MessageIcon::Exclamation);
            return -1;
        }
        if (doc.host.ask(need + Printf("; load the first %lld frames only?", fitting), "Warning",
                         Buttons::YesNo, MessageIcon::Exclamation) != Answer::Yes)
            return -1;
        // The range up to the last frame that fits.
        int keptSoFar = 0, span = 0;
        while (span < plan.count && keptSoFar < fitting) {
            if (pick.keeps(plan.IndexAt(span))) ++keptSoFar;
            ++span;
        }
        plan.count = span;
        pick = PickFrames(reader, plan, rate);
    }
    const std::string name = std::filesystem::path(path).filename().string();

    LoadedFrames ordered;
    const bool cancelled = !FrameLoader(doc, reader, plan, pick, options, targetWidth, targetHeight,
                                        smooth, name, reduction)
                                .Run(ordered);
    reduction.Finish();
    doc.host.showProgress("", 0);
    if (options.finished) options.finished();
    if (ordered.empty()) {
        if (!cancelled) doc.host.message("Could not load AVI.", "Error", MessageIcon::Exclamation);
        return -1;
    }
    if (!cancelled && int(ordered.size()) < asked) {
        const std::string shortText =
            Printf("Only %lld of %lld frames could be loaded.", (long long)ordered.size(), asked);
        if (!options.interactive) {
            doc.host.message(shortText, "Error", MessageIcon::Exclamation);
            return -1;
        }
        if (int(ordered.size()) < pick.kept)
            doc.host.message(shortText, "Warning", MessageIcon::Exclamation);
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
            doc.screenWidth = targetWidth;
            doc.screenHeight = targetHeight;
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
    if (!wasEmpty) doc.MarkChanged();

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

    // The palette shared by the most frames is saved once, as the global colour table.
    if (wasEmpty && reduction.runs() > 0) UseLongestRunAsGlobal(doc, first, last);
    // Frames reduced on the way are composed (unless the document holds that back); any
    // whose reduction failed is tried again.
    std::vector<FrameRecord*> unreduced;
    for (FrameRecord* f = first; f != last->next; f = f->next) {
        if (f->IsPaletteValid()) {
            if (!doc.busy) StartComposition(*f);
        } else if (f->trueColourPlane())
            unreduced.push_back(f);
    }
    if (!unreduced.empty())
        doc.notifier.Notify(kNotifyBatchStarts, kBatchReduction, int(unreduced.size()));
    for (FrameRecord* f : unreduced) StartReduction(*f);
    return 0;
}
