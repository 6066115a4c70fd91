#pragma once

// What the tests that do what users do share: a private temporary folder, one way to
// run velmora-cli and peer tools, and realistic inputs made at test time by FFmpeg
// and ImageMagick.

#include <cstdint>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

namespace testing_support {

// A folder of its own under the test's temporary directory (never a fixed name in
// /tmp), removed with everything in it when the object goes.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }
    // The path of `name` inside the folder (the file is not created).
    std::string file(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

struct ToolResult {
    int status = -1;  // exit status; -1 when the program did not exit by itself
    int signal = 0;   // the signal that ended it, 0 when it exited
    std::string out, err;
};

// Runs a shell command with no standard input, capturing both outputs, under an
// address-space limit when addressSpaceMiB > 0 (not in sanitizer builds, whose programs
// cannot start under one).
ToolResult RunTool(const std::string& command, int addressSpaceMiB = 0);
// Runs velmora-cli with the given shell-quoted arguments, or words each quoted here.
ToolResult RunCli(const std::string& args, int addressSpaceMiB = 0);
ToolResult RunCli(std::initializer_list<std::string> words, int addressSpaceMiB = 0);
// A word quoted for the shell, and words quoted and joined by spaces.
std::string ShellQuote(const std::string& word);
std::string ShellWords(std::initializer_list<std::string> words);

// Realistic inputs, written into `folder`: the path, or "" after failing the test when
// the peer tool could not make it.
// A photo-like animation: ImageMagick's rose resized to w x h, as `frames` frames that
// drift and change brightness, on one global 256-colour table; with a delay (hundredths)
// for each frame and ImageMagick's -loop (-1 leaves its default).
std::string MakePhotoGif(const TempFolder& folder, const std::string& name, int w, int h,
                         int frames);
std::string MakeTimedPhotoGif(const TempFolder& folder, const std::string& name, int w, int h,
                              const std::vector<int>& delays, int iterations);
// A clip from FFmpeg's generators ("testsrc", "testsrc2", "mandelbrot", or "pan" over a
// photo) in the container of the file's extension (.avi, .mp4, .mkv, .webm, .mov).
std::string MakeVideo(const TempFolder& folder, const std::string& name, const std::string& source,
                      int w, int h, int frames, int fps);
// A GIF FFmpeg converted from such a clip: images after the first cropped to their
// changes, or with wholeFrames every image the whole screen.
std::string MakeVideoGif(const TempFolder& folder, const std::string& name,
                         const std::string& source, int w, int h, int frames,
                         bool wholeFrames = false);
// A still photo in any format ImageMagick writes (chosen by the extension).
std::string MakePhoto(const TempFolder& folder, const std::string& name, int w, int h);

// A file's bytes (empty when it cannot be read), and a file written with the given bytes.
std::vector<uint8_t> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// Icon (type 1) and cursor (type 2) files around the given images (bitmap or PNG bytes),
// each with the side its directory entry claims; an animated cursor's parts and file.
std::vector<uint8_t> IconFileBytes(uint16_t type,
                                   const std::vector<std::pair<int, std::vector<uint8_t>>>& images);
struct AniParts {
    std::vector<std::vector<uint8_t>> frames;
    uint32_t steps = 0;
    uint32_t flags = 1;  // 1: frames are icon files; 0: raw bitmaps
    uint32_t width = 0, height = 0, bits = 0;
    uint32_t displayRate = 6;
    std::vector<uint32_t> rates, sequence;
};
std::vector<uint8_t> AniFileBytes(const AniParts& parts);

// The address space (MiB, for RunCli) of a small machine, which a run should not need
// to exceed; 0 (no limit) in sanitizer builds, whose shadow memory needs far more.
int SmallMachineMiB();

}  // namespace testing_support

namespace testing_support {

// Runs velmora-cli or a peer tool and fails the current test with the command and its
// messages unless it exits with 0; whether it did.
bool CliSucceeds(std::initializer_list<std::string> words);
bool CliSucceeds(const std::string& args);
bool ToolSucceeds(const std::string& command);
// How many entries a folder holds.
int EntriesIn(const std::string& folder);
// A test case's label as a test name ("a full table" -> "AFullTable").
std::string TestNameOf(const std::string& label);
// Prints a test case as its label: a test file's namespace takes it in with
// `using testing_support::PrintTo;`.
template <class Case>
requires requires(const Case& c, std::ostream& os) {
    os << c.label;
}
void PrintTo(const Case& c, std::ostream* os) {
    *os << c.label;
}
// Names the cases of a parameterised test after their `label`.
struct ByLabel {
    template <class Info>
    std::string operator()(const Info& info) const {
        return TestNameOf(info.param.label);
    }
};

}  // namespace testing_support
