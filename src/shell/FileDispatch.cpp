#include "shell/FileDispatch.h"

#include "document/AnimationDocument.h"
#include "host/Host.h"

int OpenFileByType(AnimationDocument& document, const std::string& path) {
    // The readers arrive with the GIF and import work; until then nothing opens.
    document.host.message("Unknown file type: " + path, "Error", MessageIcon::Exclamation);
    return -1;
}
