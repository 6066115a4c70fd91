#include "shell/FrameThumbnails.h"

#include <QMetaObject>
#include <QPainter>
#include <QTimer>
#include <algorithm>

#include "document/AnimationDocument.h"
#include "document/Composition.h"

namespace {

QSize FitInto(int width, int height, int size) {
    if (width <= 0 || height <= 0) return {size, size};
    if (width >= height) return {size, std::max(1, int(int64_t(height) * size / width))};
    return {std::max(1, int(int64_t(width) * size / height)), size};
}

void PaintCheckerboard(QImage& image) {
    QPainter painter(&image);
    const int cell = 4;
    for (int y = 0; y < image.height(); y += cell) {
        for (int x = 0; x < image.width(); x += cell) {
            const bool light = ((x / cell) + (y / cell)) % 2 == 0;
            painter.fillRect(x, y, cell, cell, light ? QColor(0xcc, 0xcc, 0xcc) : Qt::white);
        }
    }
}

}  // namespace

QImage MakeThumbnail(int width, int height, const uint32_t* pixels, const uint8_t* seeThrough,
                     int size) {
    if (width <= 0 || height <= 0 || !pixels) return {};
    QImage screen(width, height, QImage::Format_ARGB32);
    if (screen.isNull()) return {};
    for (int y = 0; y < height; ++y) {
        auto* out = reinterpret_cast<uint32_t*>(screen.scanLine(y));
        const size_t row = size_t(y) * size_t(width);
        for (int x = 0; x < width; ++x) {
            const bool none = seeThrough && seeThrough[row + size_t(x)] != 0;
            out[x] = none ? 0u : (pixels[row + size_t(x)] | 0xFF000000u);
        }
    }
    const QSize target = FitInto(width, height, size);
    const QImage scaled = screen.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QImage thumb(target, QImage::Format_ARGB32_Premultiplied);
    PaintCheckerboard(thumb);
    QPainter painter(&thumb);
    painter.drawImage(0, 0, scaled);
    return thumb;
}

FrameThumbnails::FrameThumbnails(AnimationDocument& doc, int size, QObject* parent)
    : QObject(parent), doc_(doc), size_(size) {}

FrameThumbnails::~FrameThumbnails() {
    // A job still on its way would post to this object: cancel or finish them first.
    for (FrameRecord* f = doc_.firstFrame; f; f = f->next) {
        JobHandle job;
        {
            std::lock_guard lock(f->composeLock);
            job = f->pictureJob;
        }
        if (job && !doc_.jobs().Cancel(job)) doc_.jobs().Wait(job);
    }
    doc_.composedCache.AddDerived(-held_);
}

FrameRecord* FrameThumbnails::frameOf(const TreeItem* item) const {
    if (!item || !item->isFrameEntry()) return nullptr;
    // Entries and frames in step, as the tree indexes the list.
    FrameRecord* f = doc_.firstFrame;
    for (TreeItem* e = FrameTree::NextFrameEntry(doc_.tree.root()); e && f;
         e = FrameTree::NextFrameEntry(e), f = f->next) {
        if (e == item) return f;
    }
    return nullptr;
}

QImage FrameThumbnails::placeholder() {
    const QSize box = FitInto(doc_.screenWidth, doc_.screenHeight, size_);
    if (placeholder_.size() != box) {
        placeholder_ = QImage(box, QImage::Format_ARGB32_Premultiplied);
        placeholder_.fill(QColor(0xe8, 0xe8, 0xe8));
        QPainter painter(&placeholder_);
        painter.setPen(QColor(0xb0, 0xb0, 0xb0));
        painter.drawRect(0, 0, box.width() - 1, box.height() - 1);
    }
    return placeholder_;
}

QImage FrameThumbnails::thumbnail(const TreeItem* item) {
    FrameRecord* frame = frameOf(item);
    if (!frame) return {};
    const uint64_t version = frame->pictureVersion;
    auto it = entries_.find(frame);
    if (it != entries_.end() && it->second.version == version) {
        order_.splice(order_.begin(), order_, it->second.order);
        return it->second.image;
    }
    request(*frame, version);
    return placeholder();
}

bool FrameThumbnails::ready(const TreeItem* item) const {
    const FrameRecord* frame = frameOf(item);
    if (!frame) return false;
    auto it = entries_.find(frame);
    return it != entries_.end() && it->second.version == frame->pictureVersion;
}

QString FrameThumbnails::delayText(const TreeItem* item) const {
    const FrameRecord* frame = frameOf(item);
    if (!frame) return {};
    const uint32_t delay = doc_.useGlobalDelay ? doc_.globalDelay : frame->delay;
    return QStringLiteral("%1.%2 s").arg(delay / 100).arg(delay % 100, 2, 10, QLatin1Char('0'));
}

void FrameThumbnails::request(FrameRecord& frame, uint64_t version) {
    if (pending_.count(&frame)) return;
    const int size = size_;
    const FrameRecord* key = &frame;
    auto use = [this, key, version, size](std::shared_ptr<const ComposedPicture> picture) {
        QImage image;
        if (picture && !picture->pixels.empty()) {
            image = MakeThumbnail(
                picture->width, picture->height, picture->pixels.data(),
                picture->seeThrough.empty() ? nullptr : picture->seeThrough.data(), size);
        }
        QMetaObject::invokeMethod(
            this, [this, key, version, image] { arrived(key, version, image); },
            Qt::QueuedConnection);
    };
    if (StartPictureJob(frame, std::move(use), JobPriority::BelowNormal)) pending_.insert(&frame);
}

void FrameThumbnails::arrived(const FrameRecord* frame, uint64_t version, const QImage& image) {
    pending_.erase(frame);
    if (image.isNull()) {
        // No picture yet (colours still being reduced, or a save holds compositions
        // back): ask again a little later rather than at once.
        if (!retryQueued_) {
            retryQueued_ = true;
            QTimer::singleShot(200, this, [this] {
                retryQueued_ = false;
                emit changed();
            });
        }
        return;
    }
    auto it = entries_.find(frame);
    if (it != entries_.end()) drop(it);
    const int64_t bytes = image.sizeInBytes();
    order_.push_front(frame);
    entries_[frame] = Entry{version, image, order_.begin()};
    held_ += bytes;
    doc_.composedCache.AddDerived(bytes);
    // A share of the composed pictures' budget; the least recently shown go first.
    const int64_t cap = std::max<int64_t>(doc_.composedCache.budget() / 16, bytes);
    while (held_ > cap && order_.size() > 1) drop(entries_.find(order_.back()));
    emit changed();
}

void FrameThumbnails::drop(std::unordered_map<const FrameRecord*, Entry>::iterator it) {
    const int64_t bytes = it->second.image.sizeInBytes();
    held_ -= bytes;
    doc_.composedCache.AddDerived(-bytes);
    order_.erase(it->second.order);
    entries_.erase(it);
}
