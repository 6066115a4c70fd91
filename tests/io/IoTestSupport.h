#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "io/FileBytes.h"

namespace io_test {

// A fresh folder for one test's files. Tests run as parallel processes, so the folder
// carries the process id: no test removes another's files.
inline std::string TempDir(const std::string& name) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("velmora-io-" + name + "-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}

inline int Shell(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str());
}

// Standard output of a command.
inline std::string Capture(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r")) {
        char buffer[256];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
        pclose(pipe);
    }
    return out;
}

inline std::vector<uint8_t> Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// Packed RGB as 0x00RRGGBB.
inline std::vector<uint32_t> FromRgb(const std::vector<uint8_t>& rgb) {
    std::vector<uint32_t> out(rgb.size() / 3);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = (uint32_t(rgb[3 * i]) << 16) | (uint32_t(rgb[3 * i + 1]) << 8) | rgb[3 * i + 2];
    return out;
}

// The picture as ImageMagick reads it (first image), as 0x00RRGGBB top-down.
inline std::vector<uint32_t> MagickPixels(const std::string& path) {
    const std::string out = path + ".magick.rgb";
    if (Shell("convert '" + path + "[0]' -depth 8 rgb:'" + out + "'") != 0) return {};
    return FromRgb(Bytes(out));
}

// The picture as FFmpeg decodes it (first image), as 0x00RRGGBB top-down. FFmpeg
// honours the Targa origin bits; ImageMagick keeps them as an orientation tag instead.
inline std::vector<uint32_t> FfmpegPixels(const std::string& path) {
    const std::string out = path + ".ffmpeg.rgb";
    if (Shell("ffmpeg -y -i '" + path + "' -frames:v 1 -f rawvideo -pix_fmt rgb24 '" + out + "'") !=
        0)
        return {};
    return FromRgb(Bytes(out));
}

// Little-endian byte builders for hand-made files.
inline void Le16(std::vector<uint8_t>& v, uint32_t x) {
    PutLe16(v, x);
}
inline void Le32(std::vector<uint8_t>& v, uint32_t x) {
    PutLe32(v, x);
}

// A 40-byte information header.
inline void InfoHeader(std::vector<uint8_t>& v, int32_t w, int32_t h, int bits,
                       uint32_t compression, uint32_t coloursUsed, uint32_t imageSize = 0) {
    Le32(v, 40);
    Le32(v, uint32_t(w));
    Le32(v, uint32_t(h));
    Le16(v, 1);
    Le16(v, uint32_t(bits));
    Le32(v, compression);
    Le32(v, imageSize);
    Le32(v, 0);
    Le32(v, 0);
    Le32(v, coloursUsed);
    Le32(v, 0);
}

// A .bmp file around an information header + table + pixels.
inline std::vector<uint8_t> BmpFile(const std::vector<uint8_t>& dib, uint32_t pixelOffsetInDib) {
    std::vector<uint8_t> v{'B', 'M'};
    Le32(v, uint32_t(14 + dib.size()));
    Le32(v, 0);
    Le32(v, 14 + pixelOffsetInDib);
    v.insert(v.end(), dib.begin(), dib.end());
    return v;
}

}  // namespace io_test
