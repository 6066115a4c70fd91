#pragma once

#include <string>

#include "io/AviImport.h"

class AnimationDocument;

// Opening a file by its type. Three entries differ in what they do with extensions
// that are not listed: Open (and the recent files) read them as GIF, drag and drop
// reads only files without extension as GIF, the command-line hand-over reads neither.
enum class DispatchVariant { Open, DragDrop, CommandLine };

enum class FileKind { Gif, Bitmap, Targa, Icon, Cursor, Avi, Jpeg, Unknown };

// Returned by LoadFileByType for a type the variant does not accept (after the message).
constexpr int kLoadUnknownType = 2;

struct LoadOptions {
    DispatchVariant variant = DispatchVariant::Open;
    AviImportOptions avi;  // dialog and progress of the AVI import
};

// The loader a path goes to. Video files other than AVI that FFmpeg reads (.mp4,
// .webm, .mov, .mkv) go to the AVI import too.
FileKind KindOfPath(const std::string& path, DispatchVariant variant);

// The extension without its dot, as typed ("Png"), or "".
std::string FileExtensionOf(const std::string& path);

// The message and caption for an extension the variant does not accept.
std::string InvalidFormatMessage(DispatchVariant variant, const std::string& extension);
std::string InvalidFormatCaption(DispatchVariant variant);

// Loads the file with the loader of its type. 0 success, -1 failed or cancelled (the
// loader has told the user), kLoadUnknownType for an extension that the variant
// refuses (after InvalidFormatMessage).
int LoadFileByType(AnimationDocument& doc, const std::string& path,
                   const LoadOptions& options = {});
