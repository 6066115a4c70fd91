#pragma once

#include <string>

class AnimationDocument;

// Opens a file into the document by its type. 0 success, -1 failure or cancelled (the
// engine has told the user already).
int OpenFileByType(AnimationDocument& document, const std::string& path);
