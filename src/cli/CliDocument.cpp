#include "cli/CliDocument.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "document/AnimationDocument.h"
#include "gif/GifWriter.h"
#include "gif/LoadGif.h"
#include "host/Host.h"

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
    const std::string ext = LowerExtension(path);
    if (ext == ".gif") return LoadGifIntoDocument(doc, path) == 0 ? 0 : 1;
    doc.host.message("Unsupported file type: " + path, "Error", MessageIcon::Exclamation);
    return 1;
}

int SaveByExtension(AnimationDocument& doc, const std::string& path) {
    const std::string ext = LowerExtension(path);
    if (ext != ".gif" && ext != ".avi") {
        doc.host.message("Unsupported file type: " + path, "Error", MessageIcon::Exclamation);
        return 1;
    }
    const int result = SaveAnimation(doc, path);
    if (result == 0) return 0;
    if (result != -1)
        doc.host.message("while saving animation", "Error...", MessageIcon::Exclamation);
    return 1;
}
