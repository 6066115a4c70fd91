#include "dialogs/CommentDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStringDecoder>
#include <QVBoxLayout>
#include <algorithm>

#include "dialogs/ContextHelp.h"
#include "document/AnimationDocument.h"
#include "document/DocumentCommands.h"
#include "document/FrameTree.h"

namespace {

// At most `limit` bytes of UTF-8 text, never ending inside a character.
std::string CutUtf8(const std::string& text, size_t limit) {
    if (text.size() <= limit) return text;
    size_t end = limit;
    while (end > 0 && (uint8_t(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

}  // namespace

QString CommentText(const std::string& bytes) {
    const QByteArrayView view(bytes.data(), qsizetype(bytes.size()));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(view);
    if (!utf8.hasError()) return text;
    // Older files: one byte per character.
    return QString::fromLatin1(view);
}

CommentTarget CommentTarget::ForSelection(AnimationDocument& doc) {
    CommentTarget t;
    TreeItem* item = doc.selectedItem;
    if (!item) return t;
    switch (KindOfItem(doc, item)) {
        case ItemKind::FrameComment: {
            FrameRecord* frame = item->parent() ? doc.GetGif(item->parent()) : nullptr;
            if (!frame) return t;
            t.list = &frame->comments;
            t.frameItem = item->parent();
            const int p = item->row();
            t.node = p < int(frame->comments.size()) ? p : -1;
            return t;
        }
        case ItemKind::GlobalComment: {
            t.list = &doc.globalComments;
            t.global = true;
            if (!doc.globalComments.empty())
                t.node = std::min(item->row(), int(doc.globalComments.size()) - 1);
            return t;
        }
        case ItemKind::Root:
            t.list = &doc.globalComments;
            t.global = true;
            return t;
        case ItemKind::Image: {
            FrameRecord* frame = doc.GetGif(item);
            if (!frame) return t;
            t.list = &frame->comments;
            t.frameItem = item;
            return t;
        }
        default:
            return t;
    }
}

bool ApplyComment(AnimationDocument& doc, const CommentTarget& target, const std::string& text) {
    if (!target.list) return false;
    if (!target.adding()) {
        std::string& old = (*target.list)[size_t(target.node)].text;
        if (text == old) return false;
        // An edit keeps at most the limit, or the old length when that was longer.
        old = CutUtf8(text, std::max(kCommentLimit, old.size()));
        doc.MarkChanged();
        return true;
    }
    doc.MarkChanged();
    target.list->push_back(CommentNode{CutUtf8(text, kCommentLimit)});
    if (target.global) {
        doc.hasGlobalComments = true;
        doc.RebuildGlobalCommentEntries();
    } else if (target.frameItem) {
        const int m = target.frameItem->childCount();
        doc.tree.Append(target.frameItem, "Comment [" + std::to_string(m + 1) + "]");
    }
    return true;
}

CommentDialog::CommentDialog(QWidget* parent, AnimationDocument& doc)
    : QDialog(parent), doc_(doc), target_(CommentTarget::ForSelection(doc)) {
    setObjectName(QStringLiteral("IDD_COMMENTDLG"));
    setWindowTitle(QStringLiteral("Comments"));
    field_ = new QPlainTextEdit;
    (new ContextHelp(this, QStringLiteral("Comment Dialog")))->add(field_, 97);
    field_->setMinimumSize(320, 160);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Enter your Comments in the field below")));
    layout->addWidget(field_);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CommentDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    if (target_.list && !target_.adding()) {
        const std::string& text = (*target_.list)[size_t(target_.node)].text;
        field_->setPlainText(CommentText(text));
    }
    shown_ = field_->toPlainText();
    field_->setFocus();
}

bool CommentDialog::Run(QWidget* parent, AnimationDocument& doc) {
    CommentDialog dialog(parent, doc);
    if (!dialog.target().list) return false;
    return dialog.exec() == QDialog::Accepted;
}

void CommentDialog::accept() {
    // The field turns CR LF into LF; an untouched field stands for the comment as it was.
    const QString text = field_->toPlainText();
    if (!target_.adding() && text == shown_) {
        QDialog::accept();
        return;
    }
    // What the user typed, in any script.
    ApplyComment(doc_, target_, text.toUtf8().toStdString());
    QDialog::accept();
}
