#pragma once

#include <string>
#include <vector>

#include "io/AviImport.h"

class AnimationDocument;

// Where a file to open comes from: the three differ in how they treat extensions that
// are not listed and names without an extension.
enum class DispatchSource { Open, DragDrop, CommandLine };

enum DispatchResult : int {
    kDispatchOk = 0,
    kDispatchCancelled = -1,
    kDispatchFailed = 1,
    kDispatchUnknownType = 2,  // reported by the caller with its own caption
};

// Opens a file into the document by its extension (case-insensitive). Loaders report
// their own failures; an unknown type is left to the caller to report. `avi`: the Load AVI
// dialog and progress window for video files.
int OpenFileByType(AnimationDocument& document, const std::string& path, DispatchSource source,
                   const AviImportOptions& avi = {});

// "Invalid format '*.%s'- only GIF, JPG, JPEG, BMP, DIB, TGA, AVI, MP4, WEBM, MOV, MKV, ICO, CUR
// and ANI files are accepted" (with double quotes for drag and drop).
std::string InvalidFormatText(const std::string& path, DispatchSource source);

// The Open dialog's filters ("description (patterns)"), the first preselected: every
// type OpenFileByType reads, JPEG as .jpg and .jpeg, the videos FFmpeg reads beside AVI.
std::vector<std::string> OpenFileFilters();
