#include "io/AnimationSave.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "document/AnimationDocument.h"
#include "gif/GifWriter.h"
#include "io/AviExport.h"

bool IsAviPath(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::toupper(c)); });
    return ext == ".AVI";
}

int SaveAnimationByType(AnimationDocument& doc, const std::string& path) {
    if (IsAviPath(path)) return SaveAvi(doc, doc.firstFrame, path) == 0 ? kSaveOk : kSaveAviFailed;
    return SaveAnimation(doc, path);
}
