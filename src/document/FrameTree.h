#pragma once

#include <memory>
#include <string>
#include <vector>

// One entry of the frame tree. The text alone carries the kind of the entry.
class TreeItem {
  public:
    const std::string& text() const { return text_; }
    TreeItem* parent() const { return parent_; }
    int row() const { return row_; }
    int childCount() const { return int(children_.size()); }
    TreeItem* child(int row) const {
        return row >= 0 && row < childCount() ? children_[size_t(row)].get() : nullptr;
    }
    TreeItem* firstChild() const { return child(0); }
    TreeItem* nextSibling() const { return parent_ ? parent_->child(row_ + 1) : nullptr; }
    TreeItem* previousSibling() const { return parent_ ? parent_->child(row_ - 1) : nullptr; }
    // The label begins with `prefix` (case-sensitive).
    bool startsWith(const char* prefix) const;
    bool isFrameEntry() const { return startsWith("Gif"); }

  private:
    friend class FrameTree;
    std::string text_;
    TreeItem* parent_ = nullptr;
    int row_ = 0;
    std::vector<std::unique_ptr<TreeItem>> children_;
};

// Told about every change, so that a view can follow the tree.
class FrameTreeObserver {
  public:
    virtual ~FrameTreeObserver() = default;
    virtual void beginInsert(TreeItem* parent, int row) = 0;
    virtual void endInsert() = 0;
    virtual void beginRemove(TreeItem* parent, int row) = 0;
    virtual void endRemove() = 0;
    virtual void textChanged(TreeItem* item) = 0;
    virtual void beginReset() = 0;
    virtual void endReset() = 0;
    // The engine asks the view to select an entry or scroll it into view.
    virtual void selectRequested(TreeItem*) {}
    virtual void ensureVisible(TreeItem*) {}
};

// The frame tree: one "Root" entry; under it global comment entries, then frame
// entries ("Gif ...") and group entries whose children are frame entries. The n-th
// entry whose text begins with "Gif" in pre-order is the n-th frame of the document.
class FrameTree {
  public:
    FrameTree();
    FrameTree(const FrameTree&) = delete;
    FrameTree& operator=(const FrameTree&) = delete;

    TreeItem* root() const { return root_.get(); }

    // Inserts a new entry under parent right after `after` (a child of parent), or as
    // the first child when `after` is nullptr.
    TreeItem* InsertAfter(TreeItem* parent, TreeItem* after, std::string text);
    TreeItem* Append(TreeItem* parent, std::string text);
    // Removes the entry with everything under it.
    void Remove(TreeItem* item);
    void SetText(TreeItem* item, std::string text);
    // Back to a lone root (New).
    void Clear();

    // The entries under the root in pre-order, each with its depth (1 = child of the
    // root); Rebuild puts such a list back (the view is told of one reset).
    struct Entry {
        int depth = 1;
        std::string text;
        bool operator==(const Entry&) const = default;
    };
    std::vector<Entry> Entries() const;
    void Rebuild(const std::vector<Entry>& entries);

    // Pre-order successor: first child, else next sibling, else the next sibling of the
    // nearest ancestor that has one; nullptr at the end.
    static TreeItem* NextEntry(TreeItem* item);
    // NextEntry repeated up to the next entry whose text begins with "Gif".
    static TreeItem* NextFrameEntry(TreeItem* item);
    // True when item is root or lies under it.
    bool Contains(const TreeItem* item) const;
    // Number of entries, root included.
    int size() const;

    void RequestSelect(TreeItem* item) {
        if (observer_) observer_->selectRequested(item);
    }
    void EnsureVisible(TreeItem* item) {
        if (observer_) observer_->ensureVisible(item);
    }
    // True when item is `ancestor` or lies under it.
    static bool IsWithin(const TreeItem* item, const TreeItem* ancestor);

    void setObserver(FrameTreeObserver* observer) { observer_ = observer; }

  private:
    static void Renumber(TreeItem* parent, int from);
    std::unique_ptr<TreeItem> root_;
    FrameTreeObserver* observer_ = nullptr;
};
