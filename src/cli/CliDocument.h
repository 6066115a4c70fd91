#pragma once

#include <string>

class AnimationDocument;

// Loading and saving for the command-line tool, chosen by the file's extension
// (case-insensitive). Loaders for further formats join LoadByExtension as they arrive.

// Loads into the document: the whole animation when it is empty, else after the last
// frame. Returns 0, or non-zero after the loader (or this function) has said why.
int LoadByExtension(AnimationDocument& doc, const std::string& path);

// Saves by extension (".gif", ".avi", ".webp", ".apng", ".mp4", ".webm", ".jpg" for a
// one-frame document). Returns 0, or non-zero after saying why.
int SaveByExtension(AnimationDocument& doc, const std::string& path);

// The lower-case extension with its dot (".gif"), or "".
std::string LowerExtension(const std::string& path);
