// The picture pane looked at closely: zoom by keys, sharp enlarged pixels, the
// checkerboard under see-through pixels, and the status bar's report of the pixel under
// the mouse.

#include <QLabel>
#include <QRegularExpression>
#include <QScrollBar>

#include "shell/ImagePane.h"
#include "support/GifBuilder.h"
#include "support/PeerReaders.h"
#include "support/qt/EditorTestSupport.h"

using namespace editor_testing;
using namespace testing_support;

namespace {

constexpr QRgb kLight = 0xFFFFFF, kDark = 0xCCCCCC;  // the checkerboard's squares

class PicturePaneTest : public EditorTest {
  protected:
    PicturePaneTest() { window().resize(1300, 800); }
    ImagePane& pane() { return *window().imagePane(); }
    QImage shot() {
        QApplication::processEvents();
        return pane().grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    // The smallest rectangle holding every pixel that is not the pane's background.
    QRect drawnBox(const QImage& image) {
        const QRgb background = pane().viewport()->palette().color(QPalette::Window).rgb();
        int left = image.width(), top = image.height(), right = -1, bottom = -1;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixel(x, y) == background) continue;
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
        return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
    }
    QString statusOf(const char* name) {
        QApplication::processEvents();
        auto* label = window().findChild<QLabel*>(QString::fromLatin1(name));
        return label ? label->text() : QStringLiteral("(no label)");
    }
    void key(int k) { QTest::keyClick(&window(), Qt::Key(k), Qt::ControlModifier); }
    // Picture pixels whose screen block (`zoom` x `zoom` pixels from `corner`) is not all
    // the expected colour: the peer's, or a checkerboard square where it is see-through.
    int wrongBlocks(const QImage& image, QPoint corner, int zoom,
                    const testing_support::ComposedPicture& peer) {
        int wrong = 0;
        for (int y = 0; y < peer.height; ++y) {
            for (int x = 0; x < peer.width; ++x) {
                const uint32_t want = peer.pixels[size_t(y) * size_t(peer.width) + size_t(x)];
                const bool clear = (want >> 24) == 0;
                const QRgb first =
                    image.pixel(corner.x() + x * zoom, corner.y() + y * zoom) & 0xFFFFFF;
                bool ok = clear ? (first == kLight || first == kDark) : first == (want & 0xFFFFFF);
                for (int dy = 0; dy < zoom && ok; ++dy) {
                    for (int dx = 0; dx < zoom && ok; ++dx) {
                        ok = (image.pixel(corner.x() + x * zoom + dx, corner.y() + y * zoom + dy) &
                              0xFFFFFF) == first;
                    }
                }
                if (!ok) ++wrong;
            }
        }
        return wrong;
    }
    // A 21 x 13 GIF of three colours ((x + y) % 3) with a see-through hole (index 3) at
    // x 5..14, y 3..8.
    QString holeGif() {
        std::vector<uint8_t> pixels;
        for (int y = 0; y < 13; ++y) {
            for (int x = 0; x < 21; ++x) {
                const bool hole = x >= 5 && x < 15 && y >= 3 && y < 9;
                pixels.push_back(uint8_t(hole ? 3 : (x + y) % 3));
            }
        }
        const std::string path = folder.file("hole.gif");
        gif_test::GifBuilder()
            .Header()
            .Screen(21, 13, {0xC03020, 0x20A040, 0x2040E0, 0x000000})
            .Control(1, 10, 3)
            .Descriptor(0, 0, 21, 13)
            .Pixels(2, pixels)
            .Trailer()
            .WriteTo(path);
        return QString::fromStdString(path);
    }
};

// From fit through 1:1, zoom steps and back, with the keys a user presses; the size
// drawn is measured on the grabbed pane.
TEST_F(PicturePaneTest, KeysZoomThePhotoAndEnlargedPixelsStaySharp) {
    const std::string gif = MakePhotoGif(folder, "rose.gif", 97, 61, 2);
    ASSERT_TRUE(editor.open(QString::fromStdString(gif)));
    const auto peer = PeerComposedPictures(gif);
    ASSERT_TRUE(peer && !peer->empty());
    ASSERT_TRUE(Activate(window()));
    EXPECT_EQ(statusOf("zoomStatus"), "Fit (100%)");

    struct Step {
        int key;  // with Ctrl; 0: none
        const char* zoom;
        int width, height;  // of the drawn picture
        int sharpBlocks;    // > 0: every picture pixel is a block of this side, exactly
    };
    const Step steps[] = {
        {0, "Fit (100%)", 97, 61, 1},         {Qt::Key_1, "100%", 97, 61, 1},
        {Qt::Key_Plus, "200%", 194, 122, 2},  {Qt::Key_Equal, "300%", 291, 183, 3},
        {Qt::Key_Plus, "400%", 388, 244, 4},  {Qt::Key_Minus, "300%", 291, 183, 3},
        {Qt::Key_0, "Fit (100%)", 97, 61, 1}, {Qt::Key_Minus, "50%", 49, 31, 0},
        {Qt::Key_Minus, "25%", 24, 15, 0},    {Qt::Key_1, "100%", 97, 61, 1},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.zoom);
        if (s.key) key(s.key);
        EXPECT_EQ(statusOf("zoomStatus"), s.zoom);
        const QImage image = shot();
        const QRect box = drawnBox(image);
        EXPECT_EQ(box.size(), QSize(s.width, s.height));
        if (s.sharpBlocks > 0) {
            EXPECT_EQ(wrongBlocks(image, box.topLeft(), s.sharpBlocks, peer->front()), 0);
        }
        EXPECT_FALSE(pane().horizontalScrollBar()->isVisible());
    }
}

// A picture larger than the pane is shrunk to fit; 1:1 shows it at its size with scroll
// bars. No two of the window's keys clash.
TEST_F(PicturePaneTest, ALargePictureFitsAndNoTwoKeysClash) {
    const std::string gif = MakePhotoGif(folder, "large.gif", 1203, 807, 1);
    ASSERT_TRUE(editor.open(QString::fromStdString(gif)));
    ASSERT_TRUE(Activate(window()));
    const QRegularExpression fit(QStringLiteral("^Fit \\((\\d+)%\\)$"));
    const QRegularExpressionMatch m = fit.match(statusOf("zoomStatus"));
    ASSERT_TRUE(m.hasMatch()) << statusOf("zoomStatus").toStdString();
    const int percent = m.captured(1).toInt();
    EXPECT_LT(percent, 100);
    const QRect box = drawnBox(shot());
    EXPECT_TRUE(box.width() == pane().viewport()->width() ||
                box.height() == pane().viewport()->height());
    key(Qt::Key_1);
    QApplication::processEvents();
    EXPECT_EQ(statusOf("zoomStatus"), "100%");
    EXPECT_TRUE(pane().horizontalScrollBar()->isVisible());
    EXPECT_TRUE(pane().verticalScrollBar()->isVisible());
    EXPECT_EQ(pane().horizontalScrollBar()->maximum(), 1203 - pane().viewport()->width());
    // No two actions of the window share a key.
    QMap<QString, QString> owners;
    for (QAction* a : window().actions()) {
        for (const QKeySequence& k : a->shortcuts()) {
            const QString name = k.toString();
            EXPECT_FALSE(owners.contains(name))
                << name.toStdString() << " is taken by " << owners.value(name).toStdString();
            owners.insert(name, a->text());
        }
    }
}

// See-through pixels show the checkerboard at 1:1 and enlarged, the others their colour
// as ImageMagick composes it; the status bar names the pixel under the mouse.
TEST_F(PicturePaneTest, CheckerboardUnderTransparencyAndThePixelUnderTheMouse) {
    const QString gif = holeGif();
    ASSERT_TRUE(editor.open(gif));
    const auto peer = PeerComposedPictures(gif.toStdString());
    ASSERT_TRUE(peer && peer->size() == 1u);
    ASSERT_TRUE(Activate(window()));
    key(Qt::Key_1);
    QImage image = shot();
    QRect box = drawnBox(image);
    ASSERT_EQ(box.size(), QSize(21, 13));
    EXPECT_EQ(wrongBlocks(image, box.topLeft(), 1, peer->front()), 0);
    // 8-pixel squares from the picture's corner, the first one dark: (6, 4) lies in a
    // dark square, (9, 4) in a light one.
    EXPECT_EQ(image.pixel(box.left() + 6, box.top() + 4) & 0xFFFFFF, kDark);
    EXPECT_EQ(image.pixel(box.left() + 9, box.top() + 4) & 0xFFFFFF, kLight);

    for (int i = 0; i < 3; ++i) key(Qt::Key_Plus);
    ASSERT_EQ(statusOf("zoomStatus"), "400%");
    image = shot();
    box = drawnBox(image);
    ASSERT_EQ(box.size(), QSize(84, 52));
    EXPECT_EQ(wrongBlocks(image, box.topLeft(), 4, peer->front()), 0);

    // The mouse over pixels of known index and colour, off the picture, and away.
    QWidget* viewport = pane().viewport();
    const QPoint origin = viewport->mapFrom(&pane(), box.topLeft());
    const struct {
        QPoint at;  // viewport point
        const char* text;
    } points[] = {
        {origin + QPoint(2 * 4 + 1, 1 * 4 + 2), "x 2, y 1  index 0  #C03020"},
        {origin + QPoint(20 * 4 + 3, 12 * 4 + 3), "x 20, y 12  index 2  #2040E0"},
        {origin + QPoint(4 * 4, 0), "x 4, y 0  index 1  #20A040"},
        {origin + QPoint(6 * 4 + 2, 4 * 4 + 2), "x 6, y 4  index 3  transparent"},
        {origin + QPoint(-3, 5), ""},
        {origin + QPoint(21 * 4, 5), ""},
    };
    for (const auto& p : points) {
        SCOPED_TRACE(p.text);
        QTest::mouseMove(viewport, p.at);
        EXPECT_EQ(statusOf("pixelStatus"), p.text);
    }
    QTest::mouseMove(viewport, origin + QPoint(9, 9));
    EXPECT_EQ(statusOf("pixelStatus"), "x 2, y 2  index 1  #20A040");
    // Moving onto the frame tree leaves the pane: nothing is named.
    QTest::mouseMove(window().treeView()->viewport(), QPoint(5, 5));
    EXPECT_EQ(statusOf("pixelStatus"), "");
}

}  // namespace
