#include "cli/CliDocument.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "document/AnimationDocument.h"
#include "gif/GifWriter.h"
#include "host/Host.h"
#include "import/FileImport.h"
#include "io/AnimationSave.h"
#include "io/AviImport.h"
#include "io/Jpeg.h"

std::string LowerExtension(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return ext;
}

int LoadByExtension(AnimationDocument& doc, const std::string& path) {
    if (!doc.empty()) {
        // Further files go after the last frame.
        doc.selectedFrame = doc.lastFrame();
        doc.selectedItem = doc.EntryOfFrame(doc.selectedFrame);
    }
    // The same table of file types as the editor's, AVI frames by the remembered choices.
    AviImportOptions video;
    video.progress = [&doc](int index, int position, int count) {
        doc.host.showProgress(AviProgressText(index, position, count),
                              count > 0 ? position * 100 / count : -1);
        return true;
    };
    const int result = OpenFileByType(doc, path, DispatchVariant::CommandLine, video);
    if (result != kImportUnknownType) return result == kImportOk ? 0 : 1;
    doc.host.message("Unsupported file type: " + path +
                         " (reads GIF, JPG, JPEG, BMP, DIB, TGA, ICO, CUR, ANI, AVI, MP4, WEBM, "
                         "MOV and MKV files)",
                     "Error", MessageIcon::Exclamation);
    return 1;
}

namespace {

// A JPEG holds one picture: only one-frame documents can be written as one.
int SaveJpegDocument(AnimationDocument& doc, const std::string& path) {
    const int frames = doc.countFrames();
    if (frames != 1) {
        doc.host.message("A JPEG holds one frame; the document has " + std::to_string(frames) +
                             " (use export-all --jpeg for one file per frame)",
                         "Error", MessageIcon::Exclamation);
        return 1;
    }
    FrameRecord& frame = *doc.firstFrame;
    if (!ToTrueColour(frame, false) || !frame.trueColourPlane()) return 1;
    return ExportJpeg(doc, *frame.trueColourPlane(), path, true) == 0 ? 0 : 1;
}

}  // namespace

int SaveByExtension(AnimationDocument& doc, const std::string& path) {
    const std::string ext = LowerExtension(path);
    if (ext == ".jpg" || ext == ".jpeg") return SaveJpegDocument(doc, path);
    if (ext != ".gif" && IsGifPath(path)) {
        doc.host.message("Unsupported file type: " + path +
                             " (writes GIF, AVI, WEBP, APNG, MP4, WEBM, JPG and JPEG files)",
                         "Error", MessageIcon::Exclamation);
        return 1;
    }
    const int result = SaveAnimationByType(doc, path);
    if (result == 0) return 0;
    doc.host.message("while saving animation", "Error...", MessageIcon::Exclamation);
    return 1;
}
