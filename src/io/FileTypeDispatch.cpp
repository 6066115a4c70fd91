#include "io/FileTypeDispatch.h"

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

std::string FileExtensionOf(const std::string& path) {
    // Only the file name counts: a dot in a folder name is no extension.
    const std::string name = std::filesystem::path(path).filename().string();
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

FileKind KindOfPath(const std::string& path, DispatchVariant variant) {
    std::string ext = FileExtensionOf(path);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::toupper(c)); });
    if (ext == "GIF") return FileKind::Gif;
    if (ext == "BMP" || ext == "DIB") return FileKind::Bitmap;
    if (ext == "TGA") return FileKind::Targa;
    if (ext == "ICO") return FileKind::Icon;
    if (ext == "CUR" || ext == "ANI") return FileKind::Cursor;
    if (ext == "AVI" || ext == "MP4" || ext == "WEBM" || ext == "MOV" || ext == "MKV")
        return FileKind::Avi;
    if (ext == "JPG" || ext == "JPEG") return FileKind::Jpeg;
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

int LoadFileByType(AnimationDocument& doc, const std::string& path, const LoadOptions& options) {
    switch (KindOfPath(path, options.variant)) {
        case FileKind::Gif:
            return LoadGifIntoDocument(doc, path) == 0 ? 0 : -1;
        case FileKind::Bitmap:
            return LoadBitmapFile(doc, path);
        case FileKind::Targa:
            return LoadTargaFile(doc, path);
        case FileKind::Icon:
            return LoadIconFile(doc, path);
        case FileKind::Cursor:
            return LoadCursorFile(doc, path);
        case FileKind::Avi:
            return ImportAvi(doc, path, options.avi);
        case FileKind::Jpeg:
            return ImportJpeg(doc, path);
        case FileKind::Unknown:
            break;
    }
    doc.host.message(InvalidFormatMessage(options.variant, FileExtensionOf(path)),
                     InvalidFormatCaption(options.variant), MessageIcon::Exclamation);
    return kLoadUnknownType;
}
