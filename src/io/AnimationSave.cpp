#include "io/AnimationSave.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "document/AnimationDocument.h"
#include "gif/GifWriter.h"
#include "io/AviExport.h"
#include "io/VideoExport.h"

bool IsAviPath(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::toupper(c)); });
    return ext == ".AVI";
}

bool IsGifPath(const std::string& path) {
    return !IsAviPath(path) && !VideoFormatOfPath(path);
}

int SaveAnimationByType(AnimationDocument& doc, const std::string& path) {
    if (IsAviPath(path)) return SaveAvi(doc, doc.firstFrame, path) == 0 ? kSaveOk : kSaveAviFailed;
    if (const auto format = VideoFormatOfPath(path))
        return SaveVideo(doc, doc.firstFrame, path, *format) == 0 ? kSaveOk : kSaveVideoFailed;
    return SaveAnimation(doc, path);
}
