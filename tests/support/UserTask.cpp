#include "support/UserTask.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "io/FileBytes.h"

namespace testing_support {

TempFolder::TempFolder() {
    std::string pattern = testing::TempDir();
    if (pattern.empty() || pattern.back() != '/') pattern += '/';
    pattern += "velmora-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data())) {
        ADD_FAILURE() << "cannot make a temporary folder from " << pattern;
        return;
    }
    path_ = buffer.data();
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

std::string ShellQuote(const std::string& word) {
    std::string quoted = "'";
    for (const char c : word) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

ToolResult RunTool(const std::string& command, int addressSpaceMiB) {
    const TempFolder outputs;
    const std::string out = outputs.file("out"), err = outputs.file("err");
    std::string line;
    // The sanitizers reserve terabytes of address space for their shadow memory; under
    // a limit the program could not even start.
    if (addressSpaceMiB > 0 && SmallMachineMiB() > 0)
        line = "ulimit -v " + std::to_string(addressSpaceMiB * 1024) + "; ";
    line += "{ " + command + "; } </dev/null >" + ShellQuote(out) + " 2>" + ShellQuote(err);
    const int status = std::system(("/bin/sh -c " + ShellQuote(line)).c_str());
    ToolResult result;
    if (WIFEXITED(status)) {
        // The shell reports a program ended by a signal as 128 + the signal.
        const int code = WEXITSTATUS(status);
        if (code > 128 && code < 128 + 65)
            result.signal = code - 128;
        else
            result.status = code;
    } else if (WIFSIGNALED(status)) {
        result.signal = WTERMSIG(status);
    }
    const std::vector<uint8_t> outBytes = ReadBytes(out), errBytes = ReadBytes(err);
    result.out.assign(outBytes.begin(), outBytes.end());
    result.err.assign(errBytes.begin(), errBytes.end());
    return result;
}

ToolResult RunCli(const std::string& args, int addressSpaceMiB) {
    return RunTool(ShellQuote(VELMORA_CLI_PATH) + " " + args, addressSpaceMiB);
}

namespace {
// Runs a peer tool that makes an input; fails the test with its message when it cannot.
std::string Made(const std::string& command, const std::string& path) {
    const ToolResult r = RunTool(command);
    if (r.status != 0 || !std::filesystem::exists(path)) {
        ADD_FAILURE() << "could not make " << path << ": " << command << "\n" << r.err;
        return "";
    }
    return path;
}

std::string Size(int w, int h) {
    return std::to_string(w) + "x" + std::to_string(h);
}

// An FFmpeg input for one of the generators at w x h.
std::string VideoSource(const std::string& source, int w, int h, int fps) {
    const std::string size = Size(w, h), rate = std::to_string(fps);
    if (source == "pan") {
        // A slow pan across ImageMagick's built-in photo, enlarged to twice the frame.
        return "-f lavfi -i " +
               ShellQuote("color=c=black:s=" + size + ":r=" + rate + "[bg];movie=rose.png," +
                          "scale=" + std::to_string(2 * w) + ":" + std::to_string(2 * h) +
                          "[p];[bg][p]overlay=x=-t*" + std::to_string(w / 4 + 1) + ":y=-t*" +
                          std::to_string(h / 6 + 1) + ":shortest=0");
    }
    return "-f lavfi -i " + ShellQuote(source + "=s=" + size + ":r=" + rate);
}

// The start of an FFmpeg command line for a source; the pan's movie source reads the
// photo from the folder the command runs in. Empty when that photo cannot be made.
std::string FfmpegStart(const TempFolder& folder, const std::string& source) {
    std::string start = "ffmpeg -v error -nostdin -y ";
    if (source != "pan") return start;
    if (MakePhoto(folder, "rose.png", 70, 46).empty()) return "";
    return "cd " + ShellQuote(folder.path()) + " && " + start;
}
}  // namespace

std::string MakePhoto(const TempFolder& folder, const std::string& name, int w, int h) {
    const std::string path = folder.file(name);
    return Made("convert rose: -resize " + Size(w, h) + "! " + ShellQuote(path), path);
}

std::string MakePhotoGif(const TempFolder& folder, const std::string& name, int w, int h,
                         int frames) {
    return MakeTimedPhotoGif(folder, name, w, h, std::vector<int>(size_t(std::max(frames, 0)), 8),
                             -1);
}

std::string MakeTimedPhotoGif(const TempFolder& folder, const std::string& name, int w, int h,
                              const std::vector<int>& delays, int iterations) {
    // Frames of the photo moved and lit differently, so neighbours differ everywhere.
    std::string command = "convert";
    if (iterations >= 0) command += " -loop " + std::to_string(iterations);
    for (size_t k = 0; k < delays.size(); ++k) {
        const int i = int(k);
        command += " -delay " + std::to_string(delays[k]) + " \\( rose: -resize " + Size(w, h) +
                   "! -modulate " + std::to_string(80 + (i * 37) % 45) + "," +
                   std::to_string(70 + (i * 53) % 60) + " -roll +" +
                   std::to_string(i * 3 % std::max(1, w)) + "+" +
                   std::to_string(i * 2 % std::max(1, h)) + " \\)";
    }
    const std::string path = folder.file(name);
    command += " -colors 256 +map " + ShellQuote(path);
    return Made(command, path);
}

std::string MakeVideo(const TempFolder& folder, const std::string& name, const std::string& source,
                      int w, int h, int frames, int fps) {
    const std::string path = folder.file(name), start = FfmpegStart(folder, source);
    if (start.empty()) return "";
    const std::string ext = std::filesystem::path(name).extension().string();
    std::string codec = "-c:v mpeg4 -q:v 3";
    if (ext == ".webm") codec = "-c:v libvpx-vp9 -b:v 0 -crf 40 -deadline realtime";
    if (ext == ".mp4" || ext == ".mov" || ext == ".mkv") codec += " -pix_fmt yuv420p";
    return Made(start + VideoSource(source, w, h, fps) + " -frames:v " + std::to_string(frames) +
                    " " + codec + " " + ShellQuote(path),
                path);
}

std::string MakeVideoGif(const TempFolder& folder, const std::string& name,
                         const std::string& source, int w, int h, int frames, bool wholeFrames) {
    const std::string path = folder.file(name), start = FfmpegStart(folder, source);
    if (start.empty()) return "";
    const std::string flags = wholeFrames ? " -gifflags -offsetting-transdiff " : " ";
    return Made(start + VideoSource(source, w, h, 25) + " -frames:v " + std::to_string(frames) +
                    flags + ShellQuote(path),
                path);
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<uint8_t> IconFileBytes(
    uint16_t type, const std::vector<std::pair<int, std::vector<uint8_t>>>& images) {
    std::vector<uint8_t> v;
    for (uint32_t word : {0u, uint32_t(type), uint32_t(images.size())}) PutLe16(v, word);
    uint32_t offset = uint32_t(6 + 16 * images.size());
    for (const auto& [side, image] : images) {
        v.insert(v.end(), {uint8_t(side), uint8_t(side), 0, 0});
        PutLe16(v, 1);
        PutLe16(v, type == 2 ? 1 : 32);
        PutLe32(v, uint32_t(image.size()));
        PutLe32(v, offset);
        offset += uint32_t(image.size());
    }
    for (const auto& [side, image] : images) v.insert(v.end(), image.begin(), image.end());
    return v;
}

std::vector<uint8_t> AniFileBytes(const AniParts& p) {
    auto chunk = [](std::vector<uint8_t>& out, const char* id, const std::vector<uint8_t>& data) {
        out.insert(out.end(), id, id + 4);
        PutLe32(out, uint32_t(data.size()));
        out.insert(out.end(), data.begin(), data.end());
        if (data.size() & 1) out.push_back(0);
    };
    auto words = [](const std::vector<uint32_t>& values) {
        std::vector<uint8_t> v;
        for (uint32_t x : values) PutLe32(v, x);
        return v;
    };
    std::vector<uint8_t> body{'A', 'C', 'O', 'N'};
    chunk(body, "anih",
          words({36u, uint32_t(p.frames.size()), p.steps, p.width, p.height, p.bits, 1u,
                 p.displayRate, p.flags | (p.sequence.empty() ? 0u : 2u)}));
    if (!p.rates.empty()) chunk(body, "rate", words(p.rates));
    if (!p.sequence.empty()) chunk(body, "seq ", words(p.sequence));
    std::vector<uint8_t> list{'f', 'r', 'a', 'm'};
    for (const auto& f : p.frames) chunk(list, "icon", f);
    chunk(body, "LIST", list);
    std::vector<uint8_t> file;
    chunk(file, "RIFF", body);
    return file;
}

int SmallMachineMiB() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return 0;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
    return 0;
#endif
#endif
    return 2560;
}

std::string ShellWords(std::initializer_list<std::string> words) {
    std::string out;
    for (const std::string& word : words) out += (out.empty() ? "" : " ") + ShellQuote(word);
    return out;
}

ToolResult RunCli(std::initializer_list<std::string> words, int addressSpaceMiB) {
    return RunCli(ShellWords(words), addressSpaceMiB);
}

namespace {
bool Succeeded(const std::string& command, const ToolResult& r) {
    if (r.status == 0) return true;
    ADD_FAILURE() << command << "\nexit status " << r.status << ", signal " << r.signal << "\n"
                  << r.err;
    return false;
}
}  // namespace

bool CliSucceeds(std::initializer_list<std::string> words) {
    return CliSucceeds(ShellWords(words));
}

bool CliSucceeds(const std::string& args) {
    return Succeeded("velmora-cli " + args, RunCli(args));
}

bool ToolSucceeds(const std::string& command) {
    return Succeeded(command, RunTool(command));
}

int EntriesIn(const std::string& folder) {
    std::error_code ignored;
    return int(std::distance(std::filesystem::directory_iterator(folder, ignored),
                             std::filesystem::directory_iterator()));
}

std::string TestNameOf(const std::string& label) {
    std::string name;
    bool upper = true;
    for (const char c : label) {
        const bool alnum = std::isalnum(static_cast<unsigned char>(c)) != 0;
        if (alnum) name += upper ? char(std::toupper(static_cast<unsigned char>(c))) : c;
        upper = !alnum;
    }
    return name;
}

}  // namespace testing_support
