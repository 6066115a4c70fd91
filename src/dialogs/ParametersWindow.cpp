#include "dialogs/ParametersWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>
#include <vector>

#include "app/HelpWindow.h"
#include "dialogs/ContextHelp.h"
#include "dialogs/PaletteDialog.h"
#include "dialogs/Recompose.h"
#include "dialogs/WarningDialog.h"
#include "document/AnimationDocument.h"
#include "document/FrameRecord.h"
#include "document/PaletteChoice.h"
#include "host/Host.h"

namespace {

// Both disposal lists; the position is the GIF disposal method.
const char* const kDisposalNames[] = {"Not specified", "Do Not Dispose", "Restore Backgr Color",
                                      "Restore to Previous"};

// Every control the user can change (disabled while the document is empty).
const int kEditableIds[] = {1010, 1011, 1005, 1003, 1007, 1000, 1004, 1008,
                            1024, 1020, 1013, 1023, 1025, 1026, 1027};

const char* const kPaletteBusy =
    "Please wait until the palette is reduced to 256 colors by the threads";

QColor Colour(const PaletteEntry& e) {
    if (!e.used()) return Qt::white;
    return QColor(std::clamp(e.red, 0, 255), std::clamp(e.green, 0, 255),
                  std::clamp(e.blue, 0, 255));
}

}  // namespace

ParametersWindow::ParametersWindow(QWidget* owner, AnimationDocument& doc, AppSettings& settings)
    : QDialog(owner), doc_(doc), settings_(settings), owner_(owner) {
    setObjectName(QStringLiteral("IDD_PARAMDLG"));
    setWindowTitle(QStringLiteral("Parameters"));
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);
    build();

    initialising_ = true;
    for (int id : {1025, 1026}) {
        const QSignalBlocker block(list(id));
        list(id)->setCurrentIndex(0);
    }
    if (!doc_.empty()) {
        fill();
        enabled_ = true;
        if (FrameRecord* f = frame()) shownTransparent_ = int(f->transparentIndex);
    } else {
        enableAll(false);
        enabled_ = false;
    }
    computePreviousDelay();
    initialising_ = false;
    updateSwatches();

    if (owner_) {
        ownerPos_ = owner_->pos();
        ownerSize_ = owner_->size();
        owner_->installEventFilter(this);
    }
}

ParametersWindow::~ParametersWindow() {
    // A field losing the focus while the window goes would call back into it.
    for (QWidget* w : std::as_const(controls_)) w->disconnect(this);
}

void ParametersWindow::build() {
    auto add = [this](int id, QWidget* w) {
        w->setObjectName(QString::number(id));
        controls_.insert(id, w);
        return w;
    };
    auto readOnly = [&](int id) {
        auto* e = new QLineEdit;
        e->setReadOnly(true);
        e->setMaximumWidth(70);
        e->setFocusPolicy(Qt::NoFocus);
        add(id, e);
        return e;
    };
    auto number = [&](int id) {
        auto* e = new QLineEdit;
        e->setMaxLength(50);
        e->setMaximumWidth(70);
        add(id, e);
        return e;
    };
    auto check = [&](int id, const char* text) {
        auto* b = new QCheckBox(QString::fromLatin1(text));
        add(id, b);
        return b;
    };
    auto disposalList = [&](int id) {
        auto* c = new QComboBox;
        for (const char* name : kDisposalNames) c->addItem(QString::fromLatin1(name));
        add(id, c);
        return c;
    };
    auto swatchAt = [&](int id) {
        auto* s = new ColourSwatch;
        add(id, s);
        return s;
    };
    auto label = [](const char* text) { return new QLabel(QString::fromLatin1(text)); };

    // Global parameters.
    auto* global = new QGroupBox(QStringLiteral("Global"));
    auto* g = new QGridLayout(global);
    g->addWidget(label("Width"), 0, 0);
    g->addWidget(readOnly(1001), 0, 1);
    g->addWidget(label("Height"), 0, 2);
    g->addWidget(readOnly(1002), 0, 3);
    g->addWidget(check(1003, "Use Global Palette"), 1, 0, 1, 2);
    auto* editGlobal = new QPushButton(QStringLiteral("Edit Palette"));
    g->addWidget(add(1004, editGlobal), 1, 2, 1, 2);
    g->addWidget(label("Background Color"), 2, 0, 1, 2);
    g->addWidget(swatchAt(1000), 2, 2, 1, 2);
    g->addWidget(check(1005, "Use Global Delay"), 3, 0, 1, 2);
    g->addWidget(label("Global Delay"), 3, 2);
    g->addWidget(number(1007), 3, 3);
    g->addWidget(label("Nr. of Loops"), 4, 0);
    g->addWidget(number(1010), 4, 1);
    g->addWidget(check(1011, "Infinite Looping"), 4, 2, 1, 2);
    g->addWidget(check(1027, "Use Global Diposal"), 5, 0, 1, 2);
    g->addWidget(disposalList(1026), 5, 2, 1, 2);

    // Parameters of the selected frame.
    auto* local = new QGroupBox(QStringLiteral("Local"));
    auto* l = new QGridLayout(local);
    l->addWidget(label("Width"), 0, 0);
    l->addWidget(readOnly(1021), 0, 1);
    l->addWidget(label("Height"), 0, 2);
    l->addWidget(readOnly(1022), 0, 3);
    l->addWidget(label("x-Offset"), 1, 0);
    l->addWidget(readOnly(1006), 1, 1);
    l->addWidget(label("y-Offset"), 1, 2);
    l->addWidget(readOnly(1012), 1, 3);
    l->addWidget(label("Local Delay"), 2, 0);
    l->addWidget(number(1024), 2, 1);
    auto* interlaced = check(1019, "Interlaced");
    interlaced->setEnabled(false);  // shown, not edited
    l->addWidget(interlaced, 2, 2, 1, 2);
    l->addWidget(check(1008, "Use Local Palette"), 3, 0, 1, 2);
    auto* editLocal = new QPushButton(QStringLiteral("Edit Palette"));
    l->addWidget(add(1023, editLocal), 3, 2, 1, 2);
    l->addWidget(check(1020, "TransparentColor"), 4, 0, 1, 2);
    l->addWidget(swatchAt(1013), 4, 2, 1, 2);
    l->addWidget(label("Disposal"), 5, 0);
    l->addWidget(disposalList(1025), 5, 1, 1, 3);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Help);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(global);
    layout->addWidget(local);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // Enter in a number field must not press a button of this window.
    for (QPushButton* b : findChildren<QPushButton*>()) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }

    connect(buttons, &QDialogButtonBox::helpRequested, this, [this] {
        if (!ShowHelp(this, QStringLiteral("Parameters Dialog")))
            doc_.host.message("Can't activate Help on the Parameters Dialog", "Error",
                              MessageIcon::Exclamation);
    });
    connect(box(1003), &QCheckBox::toggled, this, &ParametersWindow::onGlobalPalette);
    connect(button(1004), &QPushButton::clicked, this, &ParametersWindow::onEditGlobalPalette);
    connect(swatch(1000), &ColourSwatch::clicked, this, &ParametersWindow::onBackground);
    connect(box(1005), &QCheckBox::toggled, this, &ParametersWindow::onUseGlobalDelay);
    connect(field(1007), &QLineEdit::textEdited, this, &ParametersWindow::onGlobalDelay);
    connect(field(1024), &QLineEdit::textEdited, this, &ParametersWindow::onLocalDelay);
    connect(field(1010), &QLineEdit::textEdited, this, &ParametersWindow::onLoops);
    connect(box(1008), &QCheckBox::toggled, this, &ParametersWindow::onLocalPalette);
    connect(button(1023), &QPushButton::clicked, this, &ParametersWindow::onEditLocalPalette);
    connect(swatch(1013), &ColourSwatch::clicked, this, &ParametersWindow::onTransparentSwatch);
    connect(box(1020), &QCheckBox::toggled, this, &ParametersWindow::onTransparency);
    connect(box(1011), &QCheckBox::toggled, this, &ParametersWindow::onInfinite);
    connect(list(1025), &QComboBox::currentIndexChanged, this, &ParametersWindow::onLocalDisposal);
    connect(list(1026), &QComboBox::currentIndexChanged, this, &ParametersWindow::onGlobalDisposal);
    connect(box(1027), &QCheckBox::toggled, this, &ParametersWindow::onUseGlobalDisposal);
    // F1 on a control, or What's This on one that takes no focus (the read-only fields,
    // the swatches), opens its topic.
    auto* help = new ContextHelp(this, QStringLiteral("Parameters Dialog"));
    for (auto it = controls_.cbegin(); it != controls_.cend(); ++it) {
        if (const int topic = HelpTopic(it.key())) help->add(it.value(), topic);
    }
    // A field left empty shows its value again.
    for (int id : {1007, 1024, 1010}) {
        connect(field(id), &QLineEdit::editingFinished, this, [this, id] {
            if (!field(id)->text().trimmed().isEmpty()) return;
            const FrameRecord* f = frame();
            const uint32_t value = id == 1007   ? doc_.globalDelay
                                   : id == 1010 ? doc_.loopCount
                                   : f          ? f->delay
                                                : 0;
            field(id)->setText(QString::number(value));
        });
    }
}

QLineEdit* ParametersWindow::field(int id) const {
    return qobject_cast<QLineEdit*>(control(id));
}
QCheckBox* ParametersWindow::box(int id) const {
    return qobject_cast<QCheckBox*>(control(id));
}
QComboBox* ParametersWindow::list(int id) const {
    return qobject_cast<QComboBox*>(control(id));
}
QPushButton* ParametersWindow::button(int id) const {
    return qobject_cast<QPushButton*>(control(id));
}
ColourSwatch* ParametersWindow::swatch(int id) const {
    return qobject_cast<ColourSwatch*>(control(id));
}

FrameRecord* ParametersWindow::frame() const {
    return doc_.empty() ? nullptr : doc_.selectedFrame;
}

int ParametersWindow::HelpTopic(int id) {
    static const QMap<int, int> topics = {
        {1000, 50}, {1001, 47}, {1002, 48}, {1003, 51}, {1004, 49}, {1023, 49},
        {1005, 52}, {1006, 65}, {1007, 53}, {1008, 67}, {1010, 55}, {1011, 54},
        {1012, 66}, {1013, 69}, {1019, 71}, {1020, 68}, {1021, 63}, {1022, 64},
        {1024, 70}, {1025, 46}, {1026, 46}, {1027, 56}};
    return topics.value(id, 0);
}

void ParametersWindow::fill() {
    const bool wasInitialising = initialising_;
    initialising_ = true;
    std::vector<std::unique_ptr<QSignalBlocker>> blockers;
    for (QWidget* w : controls_) blockers.push_back(std::make_unique<QSignalBlocker>(w));

    field(1001)->setText(QString::number(doc_.screenWidth));
    field(1002)->setText(QString::number(doc_.screenHeight));

    if (doc_.loopCount == 0) doc_.endless = true;
    field(1010)->setText(QString::number(doc_.loopCount));
    box(1011)->setChecked(doc_.endless);
    field(1010)->setEnabled(!doc_.endless);

    field(1007)->setText(QString::number(doc_.globalDelay));
    list(1026)->setCurrentIndex(std::clamp(doc_.globalDisposal, 0, 3));
    box(1027)->setChecked(doc_.useGlobalDisposal);
    list(1026)->setEnabled(doc_.useGlobalDisposal);
    list(1025)->setEnabled(!doc_.useGlobalDisposal);

    box(1005)->setChecked(doc_.useGlobalDelay);
    field(1007)->setEnabled(doc_.useGlobalDelay);
    field(1024)->setEnabled(!doc_.useGlobalDelay);

    FrameRecord* f = frame();
    if (doc_.hasGlobalPalette) {
        box(1003)->setChecked(true);
        button(1004)->setEnabled(true);
    } else {
        box(1003)->setChecked(false);
        button(1004)->setEnabled(false);
    }
    // A frame still being reduced gets a palette of its own when the reduction ends; its
    // flag is read only once the palette is published.
    const bool local = f && (!f->IsPaletteValid() || f->hasLocalPalette);
    box(1008)->setChecked(local);
    button(1023)->setEnabled(local);

    for (int id : {1021, 1022, 1006, 1012, 1024}) field(id)->setText(QString());
    if (f) {
        field(1021)->setText(QString::number(f->width));
        field(1022)->setText(QString::number(f->height));
        field(1006)->setText(QString::number(f->left));
        field(1012)->setText(QString::number(f->top));
        box(1019)->setChecked(f->interlaced != 0);
        field(1024)->setText(QString::number(f->delay));
        box(1020)->setChecked(f->hasTransparency != 0);
        swatch(1013)->setEnabled(f->hasTransparency != 0);
        list(1025)->setCurrentIndex(std::clamp(f->disposal, 0, 3));
    }
    // Without a selected frame there is nothing local to edit.
    for (int id : {1024, 1008, 1023, 1020, 1013, 1025}) {
        if (!f) control(id)->setEnabled(false);
    }
    if (f) {
        box(1008)->setEnabled(true);
        box(1020)->setEnabled(true);
    }
    computePreviousDelay();
    initialising_ = wasInitialising;
}

void ParametersWindow::enableAll(bool on) {
    for (int id : kEditableIds) control(id)->setEnabled(on);
}

void ParametersWindow::Refresh() {
    initialising_ = true;
    if (!enabled_ && !doc_.empty()) {
        enableAll(true);
        fill();
        enabled_ = true;
    } else if (enabled_ && doc_.empty()) {
        enableAll(false);
        enabled_ = false;
    } else if (enabled_) {
        fill();
    }
    if (FrameRecord* f = frame()) shownTransparent_ = int(f->transparentIndex);
    computePreviousDelay();
    initialising_ = false;
    updateSwatches();
    update();
    done();
}

void ParametersWindow::ShowFrameAgain() {
    if (!enabled_ || doc_.empty()) return;
    initialising_ = true;
    fill();
    if (FrameRecord* f = frame()) shownTransparent_ = int(f->transparentIndex);
    initialising_ = false;
    updateSwatches();
    update();
}

void ParametersWindow::updateSwatches() {
    FrameRecord* f = frame();
    std::optional<QColor> transparent;
    // Only a finished palette is read; while it is computed the swatch shows the cross.
    if (f && f->hasTransparency && shownTransparent_ >= 0 && shownTransparent_ <= 255 &&
        f->IsPaletteValid()) {
        transparent = Colour(f->effectivePalette()[size_t(shownTransparent_)]);
    }
    swatch(1013)->setColour(transparent);
    if (doc_.empty())
        swatch(1000)->setColour(palette().color(QPalette::Window));
    else
        swatch(1000)->setColour(Colour(doc_.globalPalette[doc_.backgroundIndex]));
}

void ParametersWindow::computePreviousDelay() {
    if (doc_.useGlobalDelay)
        previousDelay_ = int(doc_.globalDelay);
    else if (FrameRecord* f = frame())
        previousDelay_ = int(f->delay);
    else
        previousDelay_ = -1;
}

std::optional<DocumentEdit> ParametersWindow::change(const char* field, bool typed,
                                                     const FrameRecord* frame) {
    // Filling the fields from the document changes nothing.
    if (initialising_) return std::nullopt;
    // Typing into one field (of one frame) makes one step.
    std::string key;
    if (typed) key = std::string(field) + "@" + std::to_string(reinterpret_cast<uintptr_t>(frame));
    return std::optional<DocumentEdit>(std::in_place, doc_, std::string("Change ") + field, key);
}

void ParametersWindow::markModified() {
    if (initialising_) return;
    doc_.MarkChanged();
    emit documentChanged();
}

void ParametersWindow::done() {
    emit treeFocusWanted();
}

std::optional<int> ParametersWindow::readNumber(QLineEdit* edit, const char* what, int current) {
    const QString text = edit->text().trimmed();
    if (text.isEmpty()) return std::nullopt;  // the user is about to type a new number
    bool ok = text.size() <= 50;
    for (QChar c : text) ok = ok && c.isDigit() && c.unicode() < 128;
    const int value = ok ? text.toInt(&ok) : -1;
    if (!ok || value < 0 || value > 65535) {
        // GIF stores these in 16 bits: anything else would be written wrapped.
        doc_.host.message(std::string(what) + " must be a number from 0 to 65535.",
                          "Parameter out of Range", MessageIcon::Exclamation);
        edit->setText(QString::number(current));
        return std::nullopt;
    }
    return value;
}

// --- global parameters ---

void ParametersWindow::onGlobalPalette(bool on) {
    const auto edit = change("Global Palette");
    if (doc_.empty()) return;
    if (!on && !Warn(this, settings_, WarningKind::GlobalPal)) {
        // Nothing changes.
        const QSignalBlocker block(box(1003));
        box(1003)->setChecked(true);
        done();
        return;
    }
    SetUseGlobalPalette(doc_, on);
    button(1004)->setEnabled(on);
    if (!on && frame()) {
        const QSignalBlocker block(box(1008));
        box(1008)->setChecked(true);
        button(1023)->setEnabled(true);
    }
    emit documentChanged();
    RecomposeAll(doc_);
    emit pictureChanged();
    done();
}

void ParametersWindow::onEditGlobalPalette() {
    const auto edit = change("Global Palette");
    PaletteRequest request{nullptr, 1, 0, 0};
    if (PaletteDialog::Run(this, doc_, request)) {
        markModified();
        updateSwatches();
        emit pictureChanged();
    }
    done();
}

void ParametersWindow::onBackground() {
    const auto edit = change("Background");
    if (doc_.empty()) return;
    PaletteRequest request{nullptr, 0, 0, 0};
    if (PaletteDialog::Run(this, doc_, request)) {
        markModified();
        updateSwatches();
        emit pictureChanged();
    }
    done();
}

void ParametersWindow::onUseGlobalDelay(bool on) {
    const auto edit = change("Delay");
    doc_.useGlobalDelay = on;
    fill();
    markModified();
    emit delayInForceChanged();
    done();
}

void ParametersWindow::onGlobalDelay() {
    const auto edit = change("Delay", true, nullptr);
    const std::optional<int> value = readNumber(field(1007), "The delay", int(doc_.globalDelay));
    if (!value) return;
    doc_.globalDelay = uint32_t(*value);
    if (doc_.useGlobalDelay && *value != previousDelay_) {
        previousDelay_ = *value;
        emit delayInForceChanged();
    }
    markModified();
}

void ParametersWindow::onLoops() {
    const auto edit = change("Loops", true, nullptr);
    const std::optional<int> value =
        readNumber(field(1010), "The number of loops", int(doc_.loopCount));
    if (!value) return;
    doc_.loopCount = uint16_t(*value);
    markModified();
}

void ParametersWindow::onInfinite(bool on) {
    const auto edit = change("Loops");
    doc_.endless = on;
    markModified();
    if (on) {
        field(1010)->setEnabled(false);
        doc_.loopCount = 0;
        field(1010)->setText(QStringLiteral("0"));
    } else {
        field(1010)->setEnabled(true);
    }
    done();
}

void ParametersWindow::onGlobalDisposal(int index) {
    const auto edit = change("Disposal");
    if (index < 0) return;
    const bool changed = doc_.globalDisposal != index;
    {
        AnimationDocument::StructureWriteLock structure(doc_);
        doc_.globalDisposal = index;
    }
    if (changed && !initialising_) {
        markModified();
        RecomposeAll(doc_);
        emit pictureChanged();
    }
    done();
}

void ParametersWindow::onUseGlobalDisposal(bool on) {
    const auto edit = change("Disposal");
    if (doc_.useGlobalDisposal == on) return;
    {
        AnimationDocument::StructureWriteLock structure(doc_);
        doc_.useGlobalDisposal = on;
        doc_.globalDisposal = std::max(list(1026)->currentIndex(), 0);
    }
    list(1026)->setEnabled(on);
    list(1025)->setEnabled(!on && frame());
    if (!initialising_) {
        markModified();
        RecomposeAll(doc_);
        emit pictureChanged();
    }
    done();
}

// --- the selected frame ---

void ParametersWindow::onLocalDelay() {
    const auto edit = change("Delay", true, frame());
    FrameRecord* f = frame();
    if (!f) return;
    const std::optional<int> value = readNumber(field(1024), "The delay", int(f->delay));
    if (!value) return;
    {
        AnimationDocument::StructureWriteLock structure(doc_);
        f->delay = uint32_t(*value);
    }
    if (!doc_.useGlobalDelay && *value != previousDelay_) {
        computePreviousDelay();
        emit delayInForceChanged();
    }
    markModified();
}

void ParametersWindow::onLocalPalette(bool on) {
    const auto edit = change("Palette");
    FrameRecord* f = frame();
    if (!f) return;
    if (!on && !doc_.hasGlobalPalette && !Warn(this, settings_, WarningKind::LocalPal)) {
        const QSignalBlocker block(box(1008));
        box(1008)->setChecked(true);
        button(1023)->setEnabled(true);
        done();
        return;
    }
    if (SetUseLocalPalette(doc_, *f, on)) {
        const QSignalBlocker block(box(1003));
        box(1003)->setChecked(true);
        button(1004)->setEnabled(true);
    }
    button(1023)->setEnabled(on);
    emit documentChanged();
    RecomposeFrom(f);
    updateSwatches();
    emit pictureChanged();
    done();
}

void ParametersWindow::onEditLocalPalette() {
    const auto edit = change("Palette");
    FrameRecord* f = frame();
    if (!f) return;
    if (!f->IsPaletteValid()) {
        doc_.host.message(kPaletteBusy, "Can't display local palette now",
                          MessageIcon::Information);
        done();
        return;
    }
    PaletteRequest request{f, 1, 0, 0};
    if (PaletteDialog::Run(this, doc_, request)) {
        markModified();
        updateSwatches();
        emit pictureChanged();
    }
    done();
}

void ParametersWindow::onTransparentSwatch() {
    const auto edit = change("Transparency");
    FrameRecord* f = frame();
    if (!f) return;
    if (!f->IsPaletteValid()) {
        doc_.host.message(kPaletteBusy, "Can't select transparent color now",
                          MessageIcon::Information);
        done();
        return;
    }
    PaletteRequest request{f, 0, 0, 0};
    if (PaletteDialog::Run(this, doc_, request)) {
        shownTransparent_ = int(f->transparentIndex);
        if (!f->transparencyActive) {
            f->transparencyActive = 1;
            RecomposeFrom(f);
        }
        markModified();
        updateSwatches();
        emit pictureChanged();
    }
    done();
}

void ParametersWindow::onTransparency(bool on) {
    const auto edit = change("Transparency");
    FrameRecord* f = frame();
    if (!f) return;
    // A running reduction writes these fields when it ends: the edit comes after it.
    f->WaitForReduction();
    {
        AnimationDocument::StructureWriteLock structure(doc_);
        f->hasTransparency = on ? 1 : 0;
        if (on && f->transparentIndex > 255) f->transparentIndex = 0;
        f->transparencyActive = on ? 1 : 0;
    }
    swatch(1013)->setEnabled(on);
    shownTransparent_ = int(f->transparentIndex);
    markModified();
    updateSwatches();
    RecomposeFrom(f);
    emit pictureChanged();
    done();
}

void ParametersWindow::onLocalDisposal(int index) {
    const auto edit = change("Disposal");
    FrameRecord* f = frame();
    if (!f || index < 0) return;
    const int old = f->disposal;
    {
        AnimationDocument::StructureWriteLock structure(doc_);
        f->disposal = index;
    }
    // Every change counts, "Not specified" too: the saved file differs.
    if (!initialising_ && index != old) {
        markModified();
        RecomposeFrom(f);
        emit pictureChanged();
    }
    done();
}

// --- window ---

WindowPlacement ParametersWindow::placement() const {
    WindowPlacement p;
    const QPoint at = pos();
    p.fields = {44, 0, 1, 0, 0, 0, 0, at.x(), at.y(), at.x() + width(), at.y() + height()};
    return p;
}

void ParametersWindow::recordPlacement() {
    settings_.paramPlacement = placement();
}

void ParametersWindow::restorePlacement() {
    const WindowPlacement& p = settings_.paramPlacement;
    if (p.length() == 0) return;
    const QRect wanted(QPoint(p.left(), p.top()), size());
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen->availableGeometry().intersects(wanted)) {
            move(wanted.topLeft());
            return;
        }
    }
}

void ParametersWindow::reject() {
    // Escape does not close the tool window; its close box does.
}

void ParametersWindow::closeEvent(QCloseEvent* event) {
    recordPlacement();
    settings_.toolWindows = 0;
    emit closedByUser();
    event->accept();
}

bool ParametersWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == owner_ && event->type() == QEvent::Move) {
        // Follow the main window; a move that came with a resize (dragging its left or
        // top edge) is followed vertically only.
        QPoint delta = owner_->pos() - ownerPos_;
        if (owner_->size() != ownerSize_) delta.setX(0);
        ownerPos_ = owner_->pos();
        ownerSize_ = owner_->size();
        if (!delta.isNull() && isVisible()) {
            move(pos() + delta);
            recordPlacement();
        }
    }
    return QDialog::eventFilter(watched, event);
}
