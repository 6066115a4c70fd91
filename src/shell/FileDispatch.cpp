#include "shell/FileDispatch.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "document/AnimationDocument.h"
#include "host/Host.h"
#include "import/LoadGif.h"
#include "io/FileTypeDispatch.h"

namespace {

// The text after the last '.' of the file name (never of a folder name); "" for none.
std::string ExtensionOf(const std::string& path) {
    const std::string name = std::filesystem::path(path).filename().string();
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos) return {};
    std::string ext = name.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::toupper(c)); });
    return ext;
}

// Loaders answer 0, -1 when the user cancelled (or they reported already), or a code.
int FromLoader(int result) {
    if (result == 0) return kDispatchOk;
    return result == -1 ? kDispatchCancelled : kDispatchFailed;
}

}  // namespace

std::string InvalidFormatText(const std::string& path, DispatchSource source) {
    std::string ext = std::filesystem::path(path).filename().string();
    const size_t dot = ext.rfind('.');
    ext = dot == std::string::npos ? std::string() : ext.substr(dot + 1);
    const char* quote = source == DispatchSource::DragDrop ? "\"" : "'";
    return std::string("Invalid format ") + quote + "*." + ext + quote +
           "- only GIF, JPG, JPEG, BMP, DIB, TGA, AVI, MP4, WEBM, MOV, MKV, ICO, CUR and ANI files "
           "are accepted";
}

int OpenFileByType(AnimationDocument& document, const std::string& path, DispatchSource source,
                   const AviImportOptions& avi) {
    const std::string ext = ExtensionOf(path);
    if (ext == "GIF") return FromLoader(LoadGifIntoDocument(document, path));
    static const char* const kOtherTypes[] = {"BMP", "DIB",  "TGA", "ICO", "CUR",  "ANI", "AVI",
                                              "JPG", "JPEG", "MP4", "MOV", "WEBM", "MKV"};
    const bool listed =
        std::find(std::begin(kOtherTypes), std::end(kOtherTypes), ext) != std::end(kOtherTypes);
    if (listed) {
        // The importers report their own failures.
        LoadOptions options;
        options.avi = avi;
        options.variant = source == DispatchSource::Open       ? DispatchVariant::Open
                          : source == DispatchSource::DragDrop ? DispatchVariant::DragDrop
                                                               : DispatchVariant::CommandLine;
        return FromLoader(LoadFileByType(document, path, options));
    }
    const bool asGif =
        source == DispatchSource::Open || (source == DispatchSource::DragDrop && ext.empty());
    if (!asGif) return kDispatchUnknownType;
    return FromLoader(LoadGifIntoDocument(document, path));
}

std::vector<std::string> OpenFileFilters() {
    return {
        "All Images (*.jpg *.jpeg *.gif *.bmp *.dib *.tga *.ico *.cur *.ani *.avi *.mp4 "
        "*.webm *.mov *.mkv)",
        "Gif Images(*.gif) (*.gif)",
        "Bitmaps(*.bmp) (*.bmp)",
        "DIBitmaps(*.dib) (*.dib)",
        "JPEG(*.jpg;*.jpeg) (*.jpg *.jpeg)",
        "Truevision Targa(*.tga) (*.tga)",
        "AVI Files(*.avi) (*.avi)",
        "Videos(*.mp4;*.webm;*.mov;*.mkv) (*.mp4 *.webm *.mov *.mkv)",
        "Icons(*.ico) (*.ico)",
        "Cursors(*.cur) (*.cur)",
        "Animated Cursors(*.ani) (*.ani)",
        "All(*.*) (*)"};
}
