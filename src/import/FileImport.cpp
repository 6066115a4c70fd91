#include "import/FileImport.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "document/AnimationDocument.h"
#include "host/Host.h"
#include "import/LoadGif.h"
#include "io/BmpDecoder.h"
#include "io/IconCursor.h"
#include "io/Jpeg.h"
#include "io/TargaImage.h"

namespace {

std::string UpperCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::toupper(c)); });
    return text;
}

// Loaders answer 0, -1 when the user cancelled (or they reported already), or a code.
int FromLoader(int result) {
    if (result == 0) return kImportOk;
    return result == -1 ? kImportCancelled : kImportFailed;
}

}  // namespace

const std::vector<FileType>& FileTypes() {
    static const std::vector<FileType> types = {
        {{"GIF"}, FileKind::Gif, "Gif Images(*.gif) (*.gif)"},
        {{"BMP"}, FileKind::Bitmap, "Bitmaps(*.bmp) (*.bmp)"},
        {{"DIB"}, FileKind::Bitmap, "DIBitmaps(*.dib) (*.dib)"},
        {{"JPG", "JPEG"}, FileKind::Jpeg, "JPEG(*.jpg;*.jpeg) (*.jpg *.jpeg)"},
        {{"TGA"}, FileKind::Targa, "Truevision Targa(*.tga) (*.tga)"},
        {{"AVI"}, FileKind::Avi, "AVI Files(*.avi) (*.avi)"},
        {{"MP4", "WEBM", "MOV", "MKV"},
         FileKind::Avi,
         "Videos(*.mp4;*.webm;*.mov;*.mkv) (*.mp4 *.webm *.mov *.mkv)"},
        {{"ICO"}, FileKind::Icon, "Icons(*.ico) (*.ico)"},
        {{"CUR"}, FileKind::Cursor, "Cursors(*.cur) (*.cur)"},
        {{"ANI"}, FileKind::Cursor, "Animated Cursors(*.ani) (*.ani)"},
    };
    return types;
}

std::string FileExtensionOf(const std::string& path) {
    const std::string name = std::filesystem::path(path).filename().string();
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

FileKind KindOfPath(const std::string& path, DispatchVariant variant) {
    const std::string ext = UpperCase(FileExtensionOf(path));
    for (const FileType& type : FileTypes()) {
        if (std::find(type.extensions.begin(), type.extensions.end(), ext) != type.extensions.end())
            return type.kind;
    }
    switch (variant) {
        case DispatchVariant::Open:
            return FileKind::Gif;
        case DispatchVariant::DragDrop:
            return ext.empty() ? FileKind::Gif : FileKind::Unknown;
        case DispatchVariant::CommandLine:
            return FileKind::Unknown;
    }
    return FileKind::Unknown;
}

std::string InvalidFormatMessage(DispatchVariant variant, const std::string& extension) {
    const char* quote = variant == DispatchVariant::DragDrop ? "\"" : "'";
    return std::string("Invalid format ") + quote + "*." + extension + quote +
           "- only GIF, JPG, JPEG, BMP, DIB, TGA, AVI, MP4, WEBM, MOV, MKV, ICO, CUR and ANI files "
           "are accepted";
}

std::string InvalidFormatCaption(DispatchVariant variant) {
    return variant == DispatchVariant::DragDrop ? "Drag & Drop  Error" : "CommandLine Error";
}

int OpenFileByType(AnimationDocument& doc, const std::string& path, DispatchVariant variant,
                   const AviImportOptions& avi) {
    // The loaders report their own failures.
    switch (KindOfPath(path, variant)) {
        case FileKind::Gif:
            return FromLoader(LoadGifIntoDocument(doc, path));
        case FileKind::Bitmap:
            return FromLoader(LoadBitmapFile(doc, path));
        case FileKind::Targa:
            return FromLoader(LoadTargaFile(doc, path));
        case FileKind::Icon:
            return FromLoader(LoadIconFile(doc, path));
        case FileKind::Cursor:
            return FromLoader(LoadCursorFile(doc, path));
        case FileKind::Avi:
            return FromLoader(ImportAvi(doc, path, avi));
        case FileKind::Jpeg:
            return FromLoader(ImportJpeg(doc, path));
        case FileKind::Unknown:
            break;
    }
    return kImportUnknownType;
}

int LoadFileByType(AnimationDocument& doc, const std::string& path, const LoadOptions& options) {
    const int result = OpenFileByType(doc, path, options.variant, options.avi);
    if (result == kImportOk) return 0;
    if (result != kImportUnknownType) return -1;
    doc.host.message(InvalidFormatMessage(options.variant, FileExtensionOf(path)),
                     InvalidFormatCaption(options.variant), MessageIcon::Exclamation);
    return kLoadUnknownType;
}

std::vector<std::string> OpenFileFilters() {
    // "All Images" lists the patterns in an order of its own.
    std::vector<std::string> filters = {
        "All Images (*.jpg *.jpeg *.gif *.bmp *.dib *.tga *.ico *.cur *.ani *.avi *.mp4 "
        "*.webm *.mov *.mkv)"};
    for (const FileType& type : FileTypes()) filters.push_back(type.filter);
    filters.push_back("All(*.*) (*)");
    return filters;
}
