#include "io/ExportAll.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "document/AnimationDocument.h"
#include "gif/GifWriter.h"
#include "host/Host.h"
#include "io/Jpeg.h"

namespace {

// Holds the busy flag for the length of the export, whatever way it ends.
class BusyScope {
  public:
    explicit BusyScope(AnimationDocument& doc) : doc_(doc) { doc_.busy = true; }
    ~BusyScope() { doc_.busy = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

  private:
    AnimationDocument& doc_;
};

size_t FileNameStart(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? 0 : slash + 1;
}

}  // namespace

int ExportDigits(int frames) {
    if (frames < 9) return 1;
    if (frames < 99) return 2;
    if (frames < 999) return 3;
    if (frames < 9999) return 4;
    return 5;
}

std::string ExportFileName(const std::string& pattern, int k, int digits, char indicator) {
    if (indicator == 0) {
        std::string number = std::to_string(k);
        if (int(number.size()) < digits) number.insert(0, size_t(digits) - number.size(), '0');
        const size_t nameStart = FileNameStart(pattern);
        const size_t dot = pattern.rfind('.');
        if (dot == std::string::npos || dot < nameStart) return pattern + number;
        return pattern.substr(0, dot) + number + pattern.substr(dot);
    }
    std::string out = pattern;
    int i = 0;
    for (char& c : out) {
        if (c != indicator || i >= digits) continue;
        int divisor = 1;
        for (int p = 0; p < digits - 1 - i; ++p) divisor *= 10;
        c = char('0' + (k / divisor) % 10);
        ++i;
    }
    return out;
}

bool ExportPatternLacksGifExtension(const std::string& pattern) {
    if (pattern.empty()) return false;
    const size_t dot = pattern.find('.', FileNameStart(pattern));
    if (dot == std::string::npos) return true;
    std::string tail = pattern.substr(dot);
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return char(std::toupper(c)); });
    return tail != ".GIF";
}

std::string ValidateExportIndicator(const std::string& pattern, const std::string& indicatorText,
                                    int digits) {
    if (indicatorText.size() != 1)
        return "Please specify exactly one character to be used as the indicator";
    const long found = std::count(pattern.begin(), pattern.end(), indicatorText[0]);
    if (found == 0) return "Can't find Indicator in FileName";
    if (found != digits) {
        char text[128];
        std::snprintf(text, sizeof text,
                      "Found indicator %ld times, but only %d occurrences allowed", found, digits);
        return text;
    }
    return {};
}

std::string ExportIndicatorInfo(bool advanced, int digits) {
    if (!advanced) return "No Indicator needed";
    return "Need " + std::to_string(digits) + " Indicator" + (digits >= 2 ? "s" : "") + " in Name";
}

int ExportAllImages(AnimationDocument& doc, const ExportAllRequest& request,
                    const std::function<void(int k, int total)>& progress) {
    if (doc.empty()) return 2;
    BusyScope busy(doc);
    const int total = doc.countFrames();
    const int digits = ExportDigits(total);
    int k = 0, failed = 0;
    for (FrameRecord* frame = doc.firstFrame; frame; frame = frame->next, ++k) {
        if (progress) progress(k, total);
        const std::string name = ExportFileName(request.pattern, k, digits, request.indicator);
        bool ok = false;
        if (request.asJpeg) {
            ok = ToTrueColour(*frame, false) && frame->trueColourPlane() &&
                 ExportJpeg(doc, *frame->trueColourPlane(), name, true) == 0;
        } else {
            frame->WaitForReduction();
            ok = SaveSingleGif(doc, *frame, name) == kSaveOk;
        }
        if (!ok) {
            ++failed;
            const std::string text =
                std::string(request.asJpeg ? "Error exporting as Jpg" : "Error exporting as Gif") +
                name;
            if (doc.host.ask(text, "Continue Anyway ?", Buttons::YesNo, MessageIcon::Question) ==
                Answer::No) {
                return 1;
            }
        }
    }
    // Only a complete export is reported as a success.
    if (failed > 0) return 3;
    doc.host.message("Export of all images successful", "Status", MessageIcon::None);
    return 0;
}
