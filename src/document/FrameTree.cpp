#include "document/FrameTree.h"

#include <algorithm>
#include <cstring>

bool TreeItem::startsWith(const char* prefix) const {
    return text_.compare(0, std::strlen(prefix), prefix) == 0;
}

FrameTree::FrameTree() : root_(std::make_unique<TreeItem>()) {
    root_->text_ = "Root";
}

void FrameTree::Renumber(TreeItem* parent, int from) {
    for (int i = from; i < parent->childCount(); ++i) parent->children_[size_t(i)]->row_ = i;
}

TreeItem* FrameTree::InsertAfter(TreeItem* parent, TreeItem* after, std::string text) {
    if (!parent) return nullptr;
    const int row = (after && after->parent_ == parent) ? after->row_ + 1 : 0;
    auto item = std::make_unique<TreeItem>();
    item->text_ = std::move(text);
    item->parent_ = parent;
    TreeItem* raw = item.get();
    if (observer_) observer_->beginInsert(parent, row);
    parent->children_.insert(parent->children_.begin() + row, std::move(item));
    Renumber(parent, row);
    if (observer_) observer_->endInsert();
    return raw;
}

TreeItem* FrameTree::Append(TreeItem* parent, std::string text) {
    if (!parent) return nullptr;
    TreeItem* last = parent->childCount() ? parent->child(parent->childCount() - 1) : nullptr;
    return InsertAfter(parent, last, std::move(text));
}

void FrameTree::Remove(TreeItem* item) {
    if (!item || !item->parent_) return;  // the root stays
    TreeItem* parent = item->parent_;
    const int row = item->row_;
    if (observer_) observer_->beginRemove(parent, row);
    // Move the subtree out first so that observers never see a half-removed item; a
    // deep subtree is torn down iteratively.
    std::unique_ptr<TreeItem> doomed = std::move(parent->children_[size_t(row)]);
    parent->children_.erase(parent->children_.begin() + row);
    Renumber(parent, row);
    if (observer_) observer_->endRemove();
    std::vector<std::unique_ptr<TreeItem>> pending;
    pending.push_back(std::move(doomed));
    while (!pending.empty()) {
        std::unique_ptr<TreeItem> node = std::move(pending.back());
        pending.pop_back();
        for (auto& child : node->children_) pending.push_back(std::move(child));
    }
}

void FrameTree::SetText(TreeItem* item, std::string text) {
    if (!item) return;
    item->text_ = std::move(text);
    if (observer_) observer_->textChanged(item);
}

void FrameTree::Clear() {
    if (observer_) observer_->beginReset();
    while (root_->childCount()) {
        std::unique_ptr<TreeItem> doomed = std::move(root_->children_.back());
        root_->children_.pop_back();
        std::vector<std::unique_ptr<TreeItem>> pending;
        pending.push_back(std::move(doomed));
        while (!pending.empty()) {
            std::unique_ptr<TreeItem> node = std::move(pending.back());
            pending.pop_back();
            for (auto& child : node->children_) pending.push_back(std::move(child));
        }
    }
    if (observer_) observer_->endReset();
}

std::vector<FrameTree::Entry> FrameTree::Entries() const {
    std::vector<Entry> entries;
    for (TreeItem* e = NextEntry(root_.get()); e; e = NextEntry(e)) {
        int depth = 0;
        for (const TreeItem* up = e; up->parent_; up = up->parent_) ++depth;
        entries.push_back({depth, e->text_});
    }
    return entries;
}

void FrameTree::Rebuild(const std::vector<Entry>& entries) {
    // One reset for the view instead of a removal and an insert per entry.
    FrameTreeObserver* observer = observer_;
    if (observer) observer->beginReset();
    observer_ = nullptr;
    Clear();
    std::vector<TreeItem*> parents{root_.get()};
    for (const Entry& entry : entries) {
        // A depth deeper than one below the last entry cannot come from Entries().
        const size_t depth =
            std::clamp<size_t>(size_t(std::max(entry.depth, 1)), 1, parents.size());
        parents.resize(depth);
        parents.push_back(Append(parents.back(), entry.text));
    }
    observer_ = observer;
    if (observer) observer->endReset();
}

TreeItem* FrameTree::NextEntry(TreeItem* item) {
    if (!item) return nullptr;
    if (TreeItem* child = item->firstChild()) return child;
    for (TreeItem* up = item; up && up->parent_; up = up->parent_) {
        if (TreeItem* sibling = up->nextSibling()) return sibling;
    }
    return nullptr;
}

TreeItem* FrameTree::NextFrameEntry(TreeItem* item) {
    for (TreeItem* e = NextEntry(item); e; e = NextEntry(e)) {
        if (e->isFrameEntry()) return e;
    }
    return nullptr;
}

bool FrameTree::Contains(const TreeItem* item) const {
    while (item && item->parent_) item = item->parent_;
    return item == root_.get();
}

int FrameTree::size() const {
    int n = 0;
    for (TreeItem* e = root_.get(); e; e = NextEntry(e)) ++n;
    return n;
}

bool FrameTree::IsWithin(const TreeItem* item, const TreeItem* ancestor) {
    for (; item; item = item->parent_) {
        if (item == ancestor) return true;
    }
    return false;
}
