#include "io/VideoExport.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <new>
#include <vector>

#include "document/AnimationDocument.h"
#include "gif/ReplacingFile.h"
#include "host/Host.h"
#include "io/ExportTiming.h"
#include "io/FfmpegHandles.h"
#include "io/FileBytes.h"
#include "io/ShownPictures.h"

namespace {

// Durations are counted in hundredths of a second, the unit of the delays.
constexpr AVRational kTimeBase{1, 100};

struct Option {
    const char* name;
    const char* value;
};

struct FormatSpec {
    VideoFormat format;
    const char* extension;
    const char* name;  // as the messages name it
    const char* muxer;
    std::vector<const char*> encoders;  // the first FFmpeg has is taken
    AVPixelFormat pixels;
    bool evenSides;
    const char* loopOption;  // the muxer's loop count, nullptr when it has none
    std::vector<Option> encoderOptions;
};

const std::vector<FormatSpec>& Specs() {
    static const std::vector<FormatSpec> specs{
        {VideoFormat::WebP,
         ".webp",
         "WebP",
         "webp",
         {"libwebp_anim"},
         AV_PIX_FMT_BGRA,
         false,
         "loop",
         {{"quality", "90"}}},
        {VideoFormat::Apng, ".apng", "APNG", "apng", {"apng"}, AV_PIX_FMT_RGBA, false, "plays", {}},
        {VideoFormat::Mp4,
         ".mp4",
         "MP4",
         "mp4",
         {"libx264", "mpeg4"},
         AV_PIX_FMT_YUV420P,
         true,
         nullptr,
         {{"preset", "medium"}, {"crf", "20"}}},
        {VideoFormat::WebM,
         ".webm",
         "WebM",
         "webm",
         {"libvpx-vp9"},
         AV_PIX_FMT_YUV420P,
         true,
         nullptr,
         {{"crf", "30"}, {"b", "0"}, {"deadline", "good"}, {"cpu-used", "4"}, {"row-mt", "1"}}},
    };
    return specs;
}

const FormatSpec& SpecOf(VideoFormat format) {
    for (const FormatSpec& s : Specs())
        if (s.format == format) return s;
    return Specs().front();
}

struct OutputFree {
    void operator()(AVFormatContext* c) const { avformat_free_context(c); }
};
struct IoFree {
    void operator()(AVIOContext* io) const {
        av_freep(&io->buffer);
        avio_context_free(&io);
    }
};
struct DictionaryFree {
    void operator()(AVDictionary* d) const { av_dict_free(&d); }
};

// FFmpeg writes through the replacing file, going back where a container fills in sizes.
struct FileOutput {
    ReplacingFile file;
    int64_t position = 0, size = 0;

#if LIBAVFORMAT_VERSION_MAJOR >= 61
    static int WritePacket(void* opaque, const uint8_t* data, int length){
#else
    static int WritePacket(void* opaque, uint8_t* data, int length) {
#endif
        auto* self = static_cast<FileOutput*>(opaque);
    self->file.Write(data, size_t(std::max(length, 0)));
    if (!self->file.ok()) return AVERROR(EIO);
    self->position += length;
    self->size = std::max(self->size, self->position);
    return length;
} static int64_t SeekTo(void* opaque, int64_t offset, int whence) {
    auto* self = static_cast<FileOutput*>(opaque);
    whence &= ~AVSEEK_FORCE;
    if (whence == AVSEEK_SIZE) return self->size;
    const int64_t target = whence == SEEK_SET   ? offset
                           : whence == SEEK_CUR ? self->position + offset
                           : whence == SEEK_END ? self->size + offset
                                                : -1;
    if (target < 0) return AVERROR(EINVAL);
    self->file.Seek(target);
    if (!self->file.ok()) return AVERROR(EIO);
    self->position = target;
    return target;
}

explicit FileOutput(const std::string& path) : file(path) {}
};  // namespace

// One encoder feeding one muxer.
class VideoWriter {
  public:
    VideoWriter(const FormatSpec& spec, FileOutput& output) : spec_(spec), output_(output) {}

    // Why the last step failed, for the message; empty when nothing particular is known.
    std::string reason;

    bool Open(int width, int height, int loopCount, uint32_t lastDelay) {
        const AVCodec* codec = nullptr;
        for (const char* name : spec_.encoders)
            if ((codec = avcodec_find_encoder_by_name(name))) break;
        if (!codec) {
            reason = std::string("FFmpeg has no ") + spec_.encoders.front() + " encoder";
            return false;
        }
        width_ = width;
        height_ = height;
        codedWidth_ = spec_.evenSides ? width + (width & 1) : width;
        codedHeight_ = spec_.evenSides ? height + (height & 1) : height;

        AVFormatContext* raw = nullptr;
        if (avformat_alloc_output_context2(&raw, nullptr, spec_.muxer, nullptr) < 0 || !raw)
            return false;
        format_.reset(raw);

        codec_.reset(avcodec_alloc_context3(codec));
        if (!codec_) return false;
        codec_->width = codedWidth_;
        codec_->height = codedHeight_;
        codec_->pix_fmt = spec_.pixels;
        codec_->time_base = kTimeBase;
        codec_->sample_aspect_ratio = AVRational{1, 1};
        // Frames in display order: with reordered frames and uneven delays the decode
        // times no longer add up to the clip's length, and MP4 tracks then end early.
        codec_->max_b_frames = 0;
        if (spec_.pixels == AV_PIX_FMT_YUV420P) {
            // What swscale converts with by default: BT.601, limited range.
            codec_->colorspace = AVCOL_SPC_SMPTE170M;
            codec_->color_range = AVCOL_RANGE_MPEG;
        }
        if (std::string(codec->name) == "mpeg4") {
            // A fixed quantiser: MPEG-4 part 2 has no constant-quality mode of its own.
            codec_->flags |= AV_CODEC_FLAG_QSCALE;
            codec_->global_quality = FF_QP2LAMBDA * 3;
        }
        if (format_->oformat->flags & AVFMT_GLOBALHEADER)
            codec_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        AVDictionary* options = nullptr;
        // Options an encoder does not know stay unused (libx264's under mpeg4).
        for (const Option& o : spec_.encoderOptions) av_dict_set(&options, o.name, o.value, 0);
        const int opened = avcodec_open2(codec_.get(), codec, &options);
        av_dict_free(&options);
        if (opened < 0) {
            reason = std::string("the ") + codec->name + " encoder refused the picture";
            return false;
        }

        AVStream* stream = avformat_new_stream(format_.get(), nullptr);
        if (!stream || avcodec_parameters_from_context(stream->codecpar, codec_.get()) < 0)
            return false;
        stream->time_base = kTimeBase;

        constexpr int kBufferSize = 1 << 16;
        auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferSize));
        if (!buffer) return false;
        AVIOContext* io = avio_alloc_context(buffer, kBufferSize, 1, &output_, nullptr,
                                             &FileOutput::WritePacket, &FileOutput::SeekTo);
        if (!io) {
            av_free(buffer);
            return false;
        }
        io_.reset(io);
        io_->seekable = AVIO_SEEKABLE_NORMAL;
        format_->pb = io_.get();
        format_->flags |= AVFMT_FLAG_CUSTOM_IO;

        AVDictionary* muxerOptions = nullptr;
        if (spec_.loopOption)
            av_dict_set_int(&muxerOptions, spec_.loopOption, int64_t(loopCount), 0);
        // The APNG muxer gives the last frame the delay before it unless told.
        if (spec_.format == VideoFormat::Apng)
            av_dict_set(&muxerOptions, "final_delay", (std::to_string(lastDelay) + "/100").c_str(),
                        0);
        const int header = avformat_write_header(format_.get(), &muxerOptions);
        av_dict_free(&muxerOptions);
        if (header < 0) return false;
        headerWritten_ = true;

        picture_.reset(av_frame_alloc());
        packet_.reset(av_packet_alloc());
        if (!picture_ || !packet_) return false;
        picture_->format = spec_.pixels;
        picture_->width = codedWidth_;
        picture_->height = codedHeight_;
        if (av_frame_get_buffer(picture_.get(), 0) < 0) return false;
        if (spec_.pixels == AV_PIX_FMT_YUV420P) {
            source_.reset(av_frame_alloc());
            if (!source_) return false;
            source_->format = AV_PIX_FMT_BGRA;
            source_->width = codedWidth_;
            source_->height = codedHeight_;
            if (av_frame_get_buffer(source_.get(), 0) < 0) return false;
            scale_.reset(sws_getContext(codedWidth_, codedHeight_, AV_PIX_FMT_BGRA, codedWidth_,
                                        codedHeight_, AV_PIX_FMT_YUV420P, SWS_POINT, nullptr,
                                        nullptr, nullptr));
            if (!scale_) return false;
        }
        return true;
    }

    // One picture (0xAARRGGBB, width x height) shown from `start` for `duration`.
    bool Write(const std::vector<uint32_t>& pixels, int64_t start, int64_t duration) {
        if (av_frame_make_writable(picture_.get()) < 0) return false;
        if (spec_.pixels == AV_PIX_FMT_YUV420P) {
            if (av_frame_make_writable(source_.get()) < 0) return false;
            Fill(*source_, pixels, AV_PIX_FMT_BGRA);
            if (sws_scale(scale_.get(), source_->data, source_->linesize, 0, codedHeight_,
                          picture_->data, picture_->linesize) != codedHeight_)
                return false;
        } else {
            Fill(*picture_, pixels, spec_.pixels);
        }
        picture_->pts = start;
        durations_[start] = duration;
        if (avcodec_send_frame(codec_.get(), picture_.get()) < 0) return false;
        return Drain();
    }

    // Flushes the encoder and ends the file.
    bool Finish() {
        if (avcodec_send_frame(codec_.get(), nullptr) < 0 || !Drain()) return false;
        if (av_write_trailer(format_.get()) < 0) return false;
        headerWritten_ = false;
        avio_flush(io_.get());
        return io_->error == 0 && output_.file.ok();
    }

    ~VideoWriter() {
        // A failed file is thrown away whole; the trailer only ends the muxer's work.
        if (headerWritten_) av_write_trailer(format_.get());
    }

  private:
    // Writes the picture's bytes in the frame's packed order, repeating the last column
    // and row into the padding.
    void Fill(AVFrame& frame, const std::vector<uint32_t>& pixels, AVPixelFormat order) {
        for (int y = 0; y < codedHeight_; ++y) {
            const uint32_t* row = pixels.data() + size_t(std::min(y, height_ - 1)) * size_t(width_);
            uint8_t* out = frame.data[0] + ptrdiff_t(y) * frame.linesize[0];
            for (int x = 0; x < codedWidth_; ++x, out += 4) {
                const uint32_t p = row[std::min(x, width_ - 1)];
                const uint8_t r = uint8_t(p >> 16), g = uint8_t(p >> 8), b = uint8_t(p),
                              a = uint8_t(p >> 24);
                if (order == AV_PIX_FMT_RGBA) {
                    out[0] = r, out[1] = g, out[2] = b, out[3] = a;
                } else {
                    out[0] = b, out[1] = g, out[2] = r, out[3] = a;
                }
            }
        }
    }

    // libwebp's animation encoder, as FFmpeg drives it, is never told when the last frame
    // ends and gives it the average duration; the whole animation arrives as one packet,
    // in which the last frame's duration is set to end the clip on time.
    void EndWebPOnTime(AVPacket& packet) {
        if (av_packet_make_writable(&packet) < 0 || durations_.empty()) return;
        const auto& [lastStart, lastDuration] = *durations_.rbegin();
        const int64_t endMs = (lastStart + lastDuration) * 10;
        uint8_t* data = packet.data;
        const size_t size = size_t(packet.size);
        if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WEBP", 4) != 0)
            return;
        int64_t before = 0;  // the durations of the frames before the last one
        uint8_t* last = nullptr;
        for (size_t at = 12; at + 8 <= size;) {
            const uint32_t length = ReadLe32(data + at + 4);
            if (length > size - at - 8) break;
            if (std::memcmp(data + at, "ANMF", 4) == 0 && length >= 16) {
                if (last) before += ReadLe24(last);
                last = data + at + 8 + 12;  // the 24-bit duration in milliseconds
            }
            at += 8 + size_t(length) + (length & 1u);
        }
        if (!last || endMs <= before) return;
        const uint32_t duration = uint32_t(std::min<int64_t>(endMs - before, 0xFFFFFF));
        last[0] = uint8_t(duration), last[1] = uint8_t(duration >> 8),
        last[2] = uint8_t(duration >> 16);
    }
    static uint32_t ReadLe24(const uint8_t* p) {
        return p[0] | (p[1] << 8) | (uint32_t(p[2]) << 16);
    }

    bool Drain() {
        for (;;) {
            const int got = avcodec_receive_packet(codec_.get(), packet_.get());
            if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) return true;
            if (got < 0) return false;
            // Encoders differ in what they pass on: every packet gets its frame's duration.
            const auto d = durations_.find(packet_->pts);
            if (d != durations_.end()) packet_->duration = d->second;
            packet_->stream_index = 0;
            if (spec_.format == VideoFormat::WebP) EndWebPOnTime(*packet_);
            av_packet_rescale_ts(packet_.get(), codec_->time_base, format_->streams[0]->time_base);
            if (av_interleaved_write_frame(format_.get(), packet_.get()) < 0) return false;
        }
    }

    const FormatSpec& spec_;
    FileOutput& output_;
    int width_ = 0, height_ = 0, codedWidth_ = 0, codedHeight_ = 0;
    std::unique_ptr<AVFormatContext, OutputFree> format_;
    std::unique_ptr<AVIOContext, IoFree> io_;
    std::unique_ptr<AVCodecContext, CodecCloser> codec_;
    std::unique_ptr<AVFrame, FrameFree> picture_, source_;
    std::unique_ptr<AVPacket, PacketFree> packet_;
    std::unique_ptr<SwsContext, ScaleFree> scale_;
    std::map<int64_t, int64_t> durations_;
    bool headerWritten_ = false;
};

bool WriteVideo(AnimationDocument& doc, FrameRecord* first, const FormatSpec& spec,
                FileOutput& output, std::string& reason) {
    const int width = doc.screenWidth, height = doc.screenHeight;
    if (!first || width <= 0 || height <= 0 || !IsPlaneSizeAcceptable(width, height)) return false;
    if (!output.file.Open()) {
        reason = "cannot write the file";
        return false;
    }
    const std::vector<uint32_t> delays = PlayedDelays(doc, first);
    doc.notifier.Notify(kNotifyBatchStarts, kBatchSaving, int(delays.size()));
    VideoWriter writer(spec, output);
    // A GIF's loop count says how often it repeats after the first showing (browsers and
    // ImageMagick play it count + 1 times); WebP and APNG count all showings.
    const int plays = doc.endless || doc.loopCount == 0 ? 0 : std::min(doc.loopCount + 1, 0xFFFF);
    if (!writer.Open(width, height, plays, delays.back())) {
        reason = writer.reason;
        return false;
    }
    ShownPictures shown(doc);
    std::vector<uint32_t> picture;
    int64_t start = 0;
    size_t k = 0;
    for (FrameRecord* f = first; f; f = f->next, ++k) {
        doc.notifier.Notify(kNotifyFrameSaved);
        if (!shown.Next(*f, picture) || !writer.Write(picture, start, delays[k])) {
            reason = writer.reason;
            return false;
        }
        start += delays[k];
    }
    if (!writer.Finish()) {
        reason = output.file.ok() ? writer.reason : "cannot write the file";
        return false;
    }
    return true;
}

}  // namespace

std::optional<VideoFormat> VideoFormatOfPath(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    for (const FormatSpec& s : Specs())
        if (ext == s.extension) return s.format;
    return std::nullopt;
}

int SaveVideo(AnimationDocument& doc, FrameRecord* first, const std::string& path,
              VideoFormat format) {
    const FormatSpec& spec = SpecOf(format);
    // FFmpeg's own chatter is not for users; failures become our messages.
    av_log_set_level(AV_LOG_QUIET);
    std::string reason;
    bool ok = false;
    if (!path.empty()) {
        try {
            FileOutput output(path);
            ok = WriteVideo(doc, first, spec, output, reason) && output.file.Commit();
            if (!ok && reason.empty() && !output.file.ok()) reason = "cannot write the file";
        } catch (const std::bad_alloc&) {
            ok = false;
        }
    }
    if (!ok) {
        const std::string name = spec.name;
        doc.host.message(reason.empty() ? "Could not save " + name + "."
                                        : "Could not save " + name + ": " + reason + ".",
                         "Error", MessageIcon::Exclamation);
        return -1;
    }
    return 0;
}
