#pragma once

#include <optional>
#include <string>

class AnimationDocument;
class FrameRecord;

// Writing the animation as animated WebP, APNG, MP4 or WebM through FFmpeg.
//
// The frames are the pictures the editor shows (ShownPictures). WebP and APNG keep their
// transparency; MP4 and WebM are opaque and show the editor's colours there. Every frame
// keeps its own duration (the delays as played, ExportTiming.h): all four containers
// store a time per frame, here in hundredths of a second. WebP and APNG keep the loop
// count: endless stays endless, a GIF count N (repeats after the first showing) is
// written as N + 1 showings, as those formats count them.
//
// MP4 is H.264 (libx264) when FFmpeg has that encoder, else MPEG-4 part 2. MP4 and WebM
// are 4:2:0, which needs even sides: an odd width or height is padded by one column or
// row that repeats the last one, so nothing is scaled and the picture is whole.
enum class VideoFormat { WebP, Apng, Mp4, WebM };

// The format a file name asks for by its extension (".webp", ".apng", ".mp4", ".webm",
// any case); nullopt for others.
std::optional<VideoFormat> VideoFormatOfPath(const std::string& path);

// Writes the frames from `first` on to a temporary file beside `path` and renames it
// into place, so that a failure leaves no partial file. 0, or -1 after the message
// ("Could not save MP4." and the like, with the reason when one is known) / "Error".
int SaveVideo(AnimationDocument& doc, FrameRecord* first, const std::string& path,
              VideoFormat format);
