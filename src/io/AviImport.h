#pragma once

#include <functional>
#include <string>

class AnimationDocument;

// What the Load AVI dialog shows: the video stream's first index and frame count.
struct AviStreamInfo {
    int first = 0;
    int length = 0;
    int width = 0;
    int height = 0;
    double framesPerSecond = 0;  // the stream's own rate (0 when it states none)
};

// The choices of the Load AVI dialog, kept between imports.
struct AviLoadChoices {
    bool loadAll = true;
    bool reverse = false;
    long long count = 0;       // frames to load when not loadAll
    long long firstIndex = 0;  // index to begin with when not loadAll
    // Frames per second to keep, picked by their time; 0: the video's own rate, up to
    // kMaxImportRate. A kept frame shows until the next kept one.
    double framesPerSecond = 0;
    // The size of the frames of a new document, scaled smoothly; 0 for one side keeps the
    // video's proportions, 0 for both its size.
    int width = 0;
    int height = 0;
};
constexpr double kMaxImportRate = 50;

// The program-wide remembered choices (initially: all frames, forward).
AviLoadChoices& RememberedAviChoices();

// "This AVI contains %d Frames where the first frame has index %d and the last frame
// has index %d."
std::string AviInfoText(const AviStreamInfo& info);

// The dialog's check on OK: "" when the choices are acceptable, else the message to
// show (caption "Error"). The rate and size are checked whatever is loaded.
std::string ValidateAviChoices(const AviStreamInfo& info, const AviLoadChoices& choices);

// The size frames of a video of `info` get in a new document under `choices`.
void AviTargetSize(const AviStreamInfo& info, const AviLoadChoices& choices, int& width,
                   int& height);

// The frames a valid choice loads, in loading order.
struct AviLoadPlan {
    int start = 0;
    int count = 0;
    bool forward = true;
    int IndexAt(int k) const { return forward ? start + k : start - k; }
};
AviLoadPlan PlanAviLoad(const AviStreamInfo& info, const AviLoadChoices& choices);

// "Loading Frame %d [%d of %d]"
std::string AviProgressText(int index, int position, int count);

struct AviImportOptions {
    // The Load AVI dialog: shows the stream, edits the choices (validating them with
    // ValidateAviChoices); false = cancelled. Without it the remembered choices are
    // used, and invalid ones are reported.
    std::function<bool(const AviStreamInfo&, AviLoadChoices&)> choose;
    // Called before each frame is read; false cancels the load.
    std::function<bool(int index, int position, int count)> progress;
    // Called once the frames are read or the load stopped, before any message about the
    // outcome (the progress window goes here).
    std::function<void()> finished;
    // The editor: more frames than memory holds are offered as a shorter load, and a load
    // that stops early keeps its frames after a warning. Otherwise (the command line) both
    // fail, so that a run never delivers less than was asked.
    bool interactive = false;
};

// Opens the video stream of an AVI (or any other video file FFmpeg reads), lets the
// caller choose the frames and adds them after the selected frame with labels
// "Gif :<file name> [<index>]". Palettised streams keep their own palettes; other
// streams are reduced to palettes. Each frame's delay is its display time taken from the
// video's timestamps. A cancelled load keeps the frames read so far. 0 when frames were
// added, -1 otherwise (the user has been told, or cancelled before the first frame).
int ImportAvi(AnimationDocument& doc, const std::string& path,
              const AviImportOptions& options = {});

// Opens the video stream and counts its frames. False when it is no readable video.
bool ProbeVideo(const std::string& path, AviStreamInfo& info);
