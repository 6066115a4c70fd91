#pragma once

#include <string>
#include <vector>

#include "io/AviImport.h"

class AnimationDocument;

// Opening a file by its type, for the editor and velmora-cli alike. Three entries differ
// in what they do with extensions that are not listed: Open (and the recent files) read
// them as GIF, drag and drop reads only files without extension as GIF, the command-line
// hand-over reads neither.
enum class DispatchVariant { Open, DragDrop, CommandLine };

enum class FileKind { Gif, Bitmap, Targa, Icon, Cursor, Avi, Jpeg, Unknown };

// One type of file that can be opened: its extensions (upper case, no dot), the loader
// and the Open dialog's filter ("description (patterns)").
struct FileType {
    std::vector<std::string> extensions;
    FileKind kind;
    std::string filter;
};

// Every type that can be opened, in the Open dialog's order. Video files other than AVI
// that FFmpeg reads (.mp4, .webm, .mov, .mkv) go to the AVI import too.
const std::vector<FileType>& FileTypes();

enum ImportResult : int {
    kImportOk = 0,
    kImportCancelled = -1,  // or the loader has reported the failure already
    kImportFailed = 1,
    kImportUnknownType = 2,  // not reported: the caller does with its own caption
};

// Returned by LoadFileByType for a type the variant does not accept (after the message).
constexpr int kLoadUnknownType = kImportUnknownType;

struct LoadOptions {
    DispatchVariant variant = DispatchVariant::Open;
    AviImportOptions avi;  // dialog and progress of the AVI import
};

// The loader a path goes to, by its extension (case-insensitive).
FileKind KindOfPath(const std::string& path, DispatchVariant variant);

// The extension without its dot, as typed ("Png"), or "". A dot in a folder name is none.
std::string FileExtensionOf(const std::string& path);

// The message and caption for an extension the variant does not accept.
std::string InvalidFormatMessage(DispatchVariant variant, const std::string& extension);
std::string InvalidFormatCaption(DispatchVariant variant);

// Opens the file into the document with the loader of its type. Returns an ImportResult;
// an unknown type is left to the caller to report. `avi`: the Load AVI dialog and
// progress window for video files.
int OpenFileByType(AnimationDocument& doc, const std::string& path, DispatchVariant variant,
                   const AviImportOptions& avi = {});

// As OpenFileByType, but reports an unknown type itself (InvalidFormatMessage). Returns
// 0, -1 failed or cancelled (the loader has told the user), or kLoadUnknownType.
int LoadFileByType(AnimationDocument& doc, const std::string& path,
                   const LoadOptions& options = {});

// The Open dialog's filters, the first preselected: every type in FileTypes, then all.
std::vector<std::string> OpenFileFilters();
