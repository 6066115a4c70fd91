#pragma once

// Result codes of the GIF reader.
enum GifResult : int {
    kGifOk = 0,
    kGifCannotOpen = 1,       // the file cannot be opened
    kGifNotGif = 2,           // the signature is not "GIF" (or the file is too short)
    kGifUnexpectedBlock = 3,  // neither an extension nor an image where an image was due
    kGifCorruptLzw = 4,       // the image data cannot be decoded
    kGifNoMemory = 5,         // no memory for the image or the code table
    kGifTableOverflow = 7,    // more than 4096 codes without a clear code
};
