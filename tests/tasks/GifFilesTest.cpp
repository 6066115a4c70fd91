// GIF files as users have them, opened and saved the way the editor and velmora-cli do:
// other programs' files, bad images, images far off screen, links, modes and owners.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "document/AnimationDocument.h"
#include "document/Composition.h"
#include "import/LoadGif.h"
#include "support/GifBuilder.h"
#include "support/PeerReaders.h"
#include "support/TestSupport.h"
#include "support/UserTask.h"

namespace ts = testing_support;
using gif_test::GifBuilder;

namespace {

using ts::PrintTo;

// A document that opened `path` as the editor does; the host records what it was told.
struct OpenedGif {
    explicit OpenedGif(const std::string& path) : result(LoadGifIntoDocument(doc, path)) {
        for (FrameRecord* f = doc.firstFrame; f; f = f->next) frames.push_back(f);
    }
    RecordingHost host;
    AnimationDocument doc{host, 1};
    int result = -1;
    std::vector<FrameRecord*> frames;
};

// The photo animation as giflib reads it, to rebuild its images in other ways.
ts::PeerFile Photo(const ts::TempFolder& folder, int w, int h, int frames) {
    const auto peer = ts::GiflibDecode(ts::MakePhotoGif(folder, "photo-source.gif", w, h, frames));
    EXPECT_TRUE(peer) << "giflib cannot read the photo";
    return peer.value_or(ts::PeerFile{});
}

// Files other programs write: every image is read as giflib reads it, and the pictures
// are ImageMagick's, except after disposal 2 or 3 (composed from the background colour).
struct PeerMadeGif {
    const char* label;
    // $P the photo animation ($P[0] its first frame), $S a still photo, $O the file made;
    // "": the photo itself, "video": a GIF FFmpeg made from a video.
    const char* command;
    bool compareComposed;
};

const PeerMadeGif kPeerMade[] = {
    {"ImageMagick photo on one global table", "", true},
    {"ImageMagick, interlaced", "convert $P -interlace GIF $O", true},
    {"ImageMagick, a local table per frame", "convert $P -coalesce -colors 48 $O", true},
    {"ImageMagick, frames optimised to the changed part with transparency",
     "convert $P -layers OptimizeTransparency $O", true},
    {"gifsicle -O3", "gifsicle -O3 $P -o $O", true},
    {"gifsicle, interlaced and reduced", "gifsicle --interlace --colors 64 $P -o $O", true},
    {"FFmpeg from a video", "video", true},
    {"disposal 3 over a photo",
     "convert -delay 9 -dispose None $P[0] -dispose Previous -page +20+10 $S -page +70+50 $S "
     "-loop 0 $O",
     false},
};

std::string MakePeerGif(const ts::TempFolder& folder, const std::string& photo,
                        std::string command) {
    if (command.empty()) return photo;
    if (command == "video") return ts::MakeVideoGif(folder, "video.gif", "testsrc2", 96, 64, 6);
    const std::string out = folder.file("peer-made.gif");
    const std::string still =
        command.find("$S") == std::string::npos ? "" : ts::MakePhoto(folder, "small.png", 40, 30);
    for (const auto& [key, value] : {std::pair<std::string, std::string>{"$P[0]", photo + "[0]"},
                                     {"$P", photo},
                                     {"$S", still},
                                     {"$O", out}}) {
        for (size_t at; (at = command.find(key)) != std::string::npos;)
            command.replace(at, key.size(), ts::ShellQuote(value));
    }
    ts::ToolSucceeds(command);
    return out;
}

class PeerMadeFiles : public testing::TestWithParam<PeerMadeGif> {};

TEST_P(PeerMadeFiles, OpenAsGiflibAndImageMagickShowThem) {
    const ts::TempFolder folder;
    const std::string photo = ts::MakePhotoGif(folder, "photo.gif", 150, 100, 4);
    const std::string path = MakePeerGif(folder, photo, GetParam().command);
    const auto peer = ts::GiflibDecode(path);
    ASSERT_TRUE(peer.has_value()) << path;
    ASSERT_GT(peer->images.size(), 1u);
    const auto pictures = ts::PeerComposedPictures(path);
    ASSERT_TRUE(pictures.has_value());
    ASSERT_EQ(pictures->size(), peer->images.size());

    const OpenedGif opened(path);
    ASSERT_EQ(opened.result, 0);
    ASSERT_EQ(opened.frames.size(), peer->images.size());
    for (size_t i = 0; i < opened.frames.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "frame " << i);
        const ts::PeerImage& image = peer->images[i];
        FrameRecord& f = *opened.frames[i];
        EXPECT_EQ(std::vector<int>({f.left, f.top, f.width, f.height}),
                  std::vector<int>({image.left, image.top, image.width, image.height}));
        EXPECT_EQ(gif_test::FramePixels(f), image.indexes);
        EXPECT_EQ(gif_test::FrameColours(f, image.colours.size()), image.colours);
        if (image.delay >= 0) {
            EXPECT_EQ(f.disposal, image.disposal);
        }
        if (!GetParam().compareComposed) continue;
        const auto ours = GetComposedBitmap(f);
        ASSERT_TRUE(ours);
        const ts::ComposedPicture& theirs = (*pictures)[i];
        ASSERT_EQ(std::make_pair(ours->width, ours->height),
                  std::make_pair(theirs.width, theirs.height));
        int differing = 0;
        for (size_t p = 0; p < theirs.pixels.size(); ++p) {
            if ((theirs.pixels[p] >> 24) == 0) continue;  // nothing shown there yet
            differing += (ours->pixels[p] & 0xFFFFFFu) != (theirs.pixels[p] & 0xFFFFFFu);
        }
        EXPECT_EQ(differing, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Makers, PeerMadeFiles, testing::ValuesIn(kPeerMade), ts::ByLabel());

// The photo's three images written the way other encoders write them, or with a bad image
// before the second or the first one, which is skipped with a message naming it.
struct WrittenGif {
    const char* label;
    int frozenCodes;  // codes sent on a full table before the clear code; -1 never
    std::vector<uint8_t> afterEnd;
    void (*bad)(GifBuilder& b, int w, int h) = nullptr;
};

const WrittenGif kWritten[] = {
    {"a full table stays frozen to the end", -1, {}},
    {"a full table stays frozen for 700 codes, then a clear", 700, {}},
    // Codes of all ones after the end code would be corrupt (or overflow the table) if
    // they were decoded.
    {"bytes after the end code", 0, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x3B}},
    {"frozen table and bytes after the end code", -1, {0xFF, 0xFE}},
    {"a bad image with no pixels (0x0)",
     0,
     {},
     [](GifBuilder& b, int, int) { b.Descriptor(0, 0, 0, 0).Pixels(8, {1}); }},
    {"a bad image with data far too short for its size",
     0,
     {},
     [](GifBuilder& b, int w, int h) {
         b.Descriptor(0, 0, w, h).Pixels(8, {1, 2, 3});
     }},
    {"a bad image with a code beyond the table half way",
     0,
     {},
     [](GifBuilder& b, int w, int h) {
         // A clear code before every pixel, so that the data is long enough for the size.
         std::vector<std::pair<int, int>> codes;
         for (int i = 0; i < w * h; ++i) {
             codes.push_back({256, 9});
             codes.push_back({i == w * h / 2 ? 400 : (i * 13) & 255, 9});
         }
         codes.push_back({257, 9});
         b.Descriptor(0, 0, w, h).Codes(8, codes);
     }},
};

class WrittenFiles : public testing::TestWithParam<WrittenGif> {};

TEST_P(WrittenFiles, OpenWithThePhotosPixels) {
    const ts::TempFolder folder;
    const WrittenGif& c = GetParam();
    const ts::PeerFile photo = Photo(folder, 160, 120, 3);
    ASSERT_EQ(photo.images.size(), 3u);
    const int w = photo.screenWidth, h = photo.screenHeight;
    for (const size_t bad : c.bad ? std::vector<size_t>{1, 0} : std::vector<size_t>{3}) {
        SCOPED_TRACE(testing::Message() << "bad image before image " << bad + 1);
        GifBuilder b;
        b.Header().Screen(w, h, photo.globalColours).Loop(0);
        for (size_t i = 0; i < 3; ++i) {
            if (i == bad) {
                b.Comment("belongs to the bad image").Control(0x09, 50, 3);
                c.bad(b, w, h);
            }
            b.Control(0x04, 8, 0).Descriptor(0, 0, w, h);
            b.Compressed(8, photo.images[i].indexes, c.frozenCodes, c.afterEnd);
        }
        const std::string path = b.Trailer().WriteTo(folder.file("written.gif"));
        if (!c.bad) {
            // The peers read the file, with the photo's pixels: it is a valid GIF.
            const auto peer = ts::GiflibDecode(path);
            ASSERT_TRUE(peer && peer->images.size() == 3u) << "giflib refuses the test file";
            for (size_t i = 0; i < 3; ++i)
                ASSERT_EQ(peer->images[i].indexes, photo.images[i].indexes) << i;
            const ts::ToolResult gifsicle = ts::RunTool("gifsicle --info " + ts::ShellQuote(path));
            EXPECT_EQ(gifsicle.status, 0) << gifsicle.err;
            EXPECT_EQ(gifsicle.err, "");
        }

        const OpenedGif opened(path);
        ASSERT_EQ(opened.result, 0);
        ASSERT_EQ(opened.frames.size(), 3u);
        for (size_t i = 0; i < 3; ++i) {
            const FrameRecord& f = *opened.frames[i];
            EXPECT_EQ(gif_test::FramePixels(*opened.frames[i]), photo.images[i].indexes) << i;
            EXPECT_EQ(std::make_tuple(f.delay, f.comments.size(), f.hasTransparency),
                      std::make_tuple(8u, size_t(0), 0u))
                << i;
        }
        const std::string badNumber = c.bad ? "image " + std::to_string(bad + 1) + " " : "";
        const auto messages = opened.host.messages();
        ASSERT_EQ(messages.size(), c.bad ? 1u : 0u);
        const ts::ToolResult info = ts::RunCli({"info", path});
        EXPECT_NE(info.out.find("frames: 3\n"), std::string::npos) << info.out;
        EXPECT_NE(info.err.find(badNumber), std::string::npos) << info.err;
        if (!c.bad) continue;
        EXPECT_EQ(messages[0].caption, "Loading Gif");
        EXPECT_NE(messages[0].text.find(badNumber), std::string::npos) << messages[0].text;
        const std::string out = folder.file("saved.gif");
        const ts::ToolResult convert = ts::RunCli({"convert", path, "-o", out});
        EXPECT_EQ(convert.status, 0) << convert.err;
        EXPECT_NE(convert.err.find("left out"), std::string::npos) << convert.err;
        const auto saved = ts::GiflibDecode(out);
        ASSERT_TRUE(saved.has_value());
        EXPECT_EQ(saved->images.size(), 3u);
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, WrittenFiles, testing::ValuesIn(kWritten), ts::ByLabel());

struct FarImage {
    const char* label;
    int left, top, width, height;
    bool opens;  // the screen it makes is one that fits
};

const FarImage kFarImages[] = {
    {"1x1 at (65534, 65534)", 65534, 65534, 1, 1, false},
    {"1x1 at (65534, 0): a long strip", 65534, 0, 1, 1, true},
    {"1x1 at (8000, 8000): a large screen that fits", 8000, 8000, 1, 1, true},
};

class FarImages : public testing::TestWithParam<FarImage> {};

TEST_P(FarImages, AreRefusedWithAMessageOrOpenNeverACrash) {
    const ts::TempFolder folder;
    const FarImage& far = GetParam();
    std::vector<uint8_t> pixels(48 * 32);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t((i * 7 + i / 48) & 15);
    std::vector<uint8_t> farPixels(size_t(far.width) * size_t(far.height), 5);
    GifBuilder b;
    b.Header().Screen(48, 32, 4).Descriptor(0, 0, 48, 32).Compressed(4, pixels);
    b.Descriptor(far.left, far.top, far.width, far.height).Compressed(4, farPixels).Trailer();
    ASSERT_LT(b.bytes().size(), 1024u);
    const std::string path = b.WriteTo(folder.file("far.gif"));
    const std::string out = folder.file("out.gif");

    // An effect says the screen does not fit, or works; info and convert still work: a
    // status and a message, never a signal, within a small machine's address space.
    const std::pair<std::string, int> runs[] = {
        // status -1: 0, or 1 with a message
        {ts::ShellWords({"effect", "Invert", path, "-o", out}), far.opens ? 0 : 1},
        {ts::ShellWords({"info", path}), 0},
        {ts::ShellWords({"convert", path, "-o", out}), -1}};
    for (const auto& [command, status] : runs) {
        SCOPED_TRACE(command);
        const ts::ToolResult r = ts::RunCli(command, 2560);
        EXPECT_EQ(r.signal, 0) << r.err;
        if (status >= 0) {
            EXPECT_EQ(r.status, status) << r.err;
        }
        if (status == 1) {
            EXPECT_NE(r.err.find("memory"), std::string::npos) << r.err;
        }
        EXPECT_TRUE(r.status == 0 || (r.status == 1 && !r.err.empty()));
    }
    const OpenedGif opened(path);
    EXPECT_EQ(opened.result, far.opens ? 0 : 1);
    EXPECT_EQ(opened.doc.empty(), !far.opens);
}

INSTANTIATE_TEST_SUITE_P(Places, FarImages, testing::ValuesIn(kFarImages), ts::ByLabel());

mode_t ModeOf(const std::string& path) {
    struct stat s {};
    return stat(path.c_str(), &s) == 0 ? s.st_mode & 07777 : 0;
}

TEST(SavingOverFiles, KeepsModeLinkAndOwnerAndNeverTouchesTheUmask) {
    const ts::TempFolder folder;
    const std::string photo = ts::MakePhotoGif(folder, "photo.gif", 80, 60, 2);
    ASSERT_FALSE(photo.empty());
    const std::string cli = ts::ShellQuote(VELMORA_CLI_PATH) + " ";

    // A file of its own mode keeps it; a link stays a link, and the file it names gets the
    // new contents and keeps its mode, with no temporary file left beside it.
    const std::string shared = folder.file("shared.gif"), real = folder.file("real/target.gif");
    const std::string link = folder.file("link.gif");
    std::filesystem::create_directory(folder.file("real"));
    std::filesystem::create_symlink("real/target.gif", link);
    for (const auto& [target, file, mode] : {std::make_tuple(shared, shared, mode_t(0604)),
                                             std::make_tuple(link, real, mode_t(0640))}) {
        SCOPED_TRACE(target);
        std::filesystem::copy_file(photo, file);
        ASSERT_EQ(chmod(file.c_str(), mode), 0);
        ASSERT_TRUE(ts::CliSucceeds({"convert", photo, photo, "-o", target}));
        EXPECT_EQ(ModeOf(file), mode);
        EXPECT_EQ(ts::GiflibDecode(file)->images.size(), 4u);
    }
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ts::EntriesIn(folder.file("real")), 1) << "no temporary file is left";

    // A new file gets what the umask allows, also with the standard input closed, when the
    // temporary file may get descriptor 0.
    const std::string fresh = folder.file("fresh.gif");
    ASSERT_TRUE(ts::ToolSucceeds("umask 027; " + cli +
                                 ts::ShellWords({"convert", photo, "-o", fresh}) + " 0<&-"));
    EXPECT_EQ(ModeOf(fresh), mode_t(0640));

    // The owner stays, where the process may give files away.
    if (geteuid() == 0) {
        ASSERT_EQ(chown(shared.c_str(), 4321, 4322), 0);
        ASSERT_TRUE(ts::CliSucceeds({"convert", photo, "-o", shared}));
        struct stat s {};
        ASSERT_EQ(stat(shared.c_str(), &s), 0);
        EXPECT_EQ(std::make_tuple(s.st_uid, s.st_gid, s.st_mode & 07777),
                  std::make_tuple(uid_t(4321), gid_t(4322), mode_t(0604)));
    }

    // Saving never changes the process's umask, which other threads rely on while they
    // create files. (LeakSanitizer cannot run under a tracer.)
    if (ts::RunTool("strace -V").status == 0) {
        const std::string trace = folder.file("trace");
        ASSERT_TRUE(ts::ToolSucceeds(
            "env \"ASAN_OPTIONS=$ASAN_OPTIONS:detect_leaks=0\" strace -f -qq -e trace=umask -o " +
            ts::ShellQuote(trace) + " " + cli +
            ts::ShellWords({"convert", photo, "-o", folder.file("traced.gif")})));
        const std::vector<uint8_t> calls = ts::ReadBytes(trace);
        EXPECT_EQ(std::string(calls.begin(), calls.end()).find("umask("), std::string::npos);
    }
}

}  // namespace
