/* The giflib side of bench/compare_giflib.sh:
 *   giflib_tool slurp FILE        decode every image (DGifSlurp)
 *   giflib_tool spew FILE OUT     decode, then write it again (EGifSpew) */
#include <gif_lib.h>
#include <stdio.h>
#include <string.h>

int main(int argc, char** argv) {
    int error = 0;
    if (argc < 3) {
        fprintf(stderr, "usage: giflib_tool slurp FILE | spew FILE OUT\n");
        return 2;
    }
    GifFileType* in = DGifOpenFileName(argv[2], &error);
    if (!in || DGifSlurp(in) != GIF_OK) {
        fprintf(stderr, "giflib_tool: cannot read %s\n", argv[2]);
        return 1;
    }
    if (strcmp(argv[1], "slurp") == 0) {
        printf("%d images\n", in->ImageCount);
        DGifCloseFile(in, &error);
        return 0;
    }
    if (argc < 4) return 2;
    GifFileType* out = EGifOpenFileName(argv[3], 0, &error);
    if (!out) return 1;
    out->SWidth = in->SWidth;
    out->SHeight = in->SHeight;
    out->SColorResolution = in->SColorResolution;
    out->SBackGroundColor = in->SBackGroundColor;
    out->SColorMap = in->SColorMap ? GifMakeMapObject(in->SColorMap->ColorCount, in->SColorMap->Colors) : NULL;
    for (int i = 0; i < in->ImageCount; ++i) GifMakeSavedImage(out, &in->SavedImages[i]);
    out->ExtensionBlockCount = in->ExtensionBlockCount;
    out->ExtensionBlocks = in->ExtensionBlocks;
    int result = EGifSpew(out) == GIF_OK ? 0 : 1;
    return result;
}
