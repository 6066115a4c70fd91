#include "dialogs/EffectDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

#include "dialogs/ContextHelp.h"
#include "dialogs/PaletteDialog.h"
#include "dialogs/WarningDialog.h"
#include "document/AnimationDocument.h"
#include "document/FrameRecord.h"
#include "app/HelpWindow.h"
#include "app/SettingsStore.h"

namespace {

QString Text(const std::string& s) {
    return QString::fromLocal8Bit(s.data(), qsizetype(s.size()));
}

// The frame's pixels as an image: its working true-colour plane when it has one, else
// its indexes through its palette.
QImage FrameImage(const FrameRecord& frame) {
    QImage image(frame.width, frame.height, QImage::Format_RGB32);
    if (image.isNull()) return image;
    if (std::shared_ptr<TrueColourBuffer> tc = frame.trueColourPlane()) {
        for (int y = 0; y < frame.height; ++y) {
            auto* out = reinterpret_cast<uint32_t*>(image.scanLine(y));
            const uint32_t* in = tc->row(y);
            for (int x = 0; x < frame.width; ++x) out[x] = 0xFF000000u | (in[x] & 0xFFFFFFu);
        }
        return image;
    }
    std::shared_ptr<IndexBuffer> indexes = frame.indexPlane();
    if (!indexes) {
        image.fill(Qt::black);
        return image;
    }
    for (int y = 0; y < frame.height; ++y) {
        auto* out = reinterpret_cast<uint32_t*>(image.scanLine(y));
        const uint8_t* in = indexes->row(y);
        for (int x = 0; x < frame.width; ++x) out[x] = 0xFF000000u | frame.palette[in[x]].rgb();
    }
    return image;
}

QColor EntryColour(const FrameRecord& frame, int index) {
    if (index < 0 || index > 255) return Qt::black;
    return QColor::fromRgb(frame.palette[size_t(index)].rgb());
}

}  // namespace

EffectDialog::EffectDialog(QWidget* parent, AnimationDocument& doc, EffectSession& session,
                           AppSettings& settings)
    : QDialog(parent),
      doc_(doc),
      session_(session),
      settings_(settings),
      selected_(doc.selectedFrame),
      selection_(doc.host, session),
      preview_(doc) {
    setObjectName(QStringLiteral("IDD_EFFECTDLG"));
    build();

    selection_.confirmTransparentColour = [this] {
        return Warn(this, settings_, WarningKind::Transparent);
    };
    // Opening: the logic decides title, mode and the parameter area.
    ready_ = false;
    selection_.Open(selected_);
    setWindowTitle(Text(selection_.title));
    {
        const QSignalBlocker b1(effectList_), b2(transitionList_), b3(effectRadio_),
            b4(transitionRadio_), b5(pingPong_), b6(previewBox_), b7(frameCount_);
        effectList_->setCurrentRow(selection_.effectSelection());
        transitionList_->setCurrentRow(selection_.transitionSelection());
        (selection_.effectMode() ? effectRadio_ : transitionRadio_)->setChecked(true);
        previewAtOpening_ = settings_.preview;
        previewBox_->setChecked(settings_.preview != 0);
    }
    showForm();
    preview_.PrepareSources(selected_, kPreviewWidth, kPreviewHeight);
    recomputePreview();
    ready_ = true;
}

EffectDialog::~EffectDialog() {
    closePreview();
}

bool EffectDialog::Run(QWidget* parent, AnimationDocument& doc, EffectSession& session,
                       AppSettings& settings) {
    EffectDialog dialog(parent, doc, session, settings);
    return dialog.exec() == QDialog::Accepted;
}

void EffectDialog::build() {
    auto* top = new QHBoxLayout;

    // Left: the two lists with their radio buttons.
    auto* left = new QVBoxLayout;
    effectRadio_ = new QRadioButton(QStringLiteral("&Effect"));
    transitionRadio_ = new QRadioButton(QStringLiteral("&Transition"));
    auto* modes = new QButtonGroup(this);
    modes->addButton(effectRadio_);
    modes->addButton(transitionRadio_);
    effectList_ = new QListWidget;
    transitionList_ = new QListWidget;
    for (const RegistryEntry& e : EffectTable()) effectList_->addItem(QString::fromLatin1(e.name));
    for (const RegistryEntry& e : TransitionTable())
        transitionList_->addItem(QString::fromLatin1(e.name));
    for (QListWidget* l : {effectList_, transitionList_}) {
        l->setMinimumWidth(150);
        l->setMinimumHeight(120);
    }
    left->addWidget(effectRadio_);
    left->addWidget(effectList_);
    left->addWidget(transitionRadio_);
    left->addWidget(transitionList_);
    top->addLayout(left);

    // Right: frame count, preview, the parameter area.
    auto* right = new QVBoxLayout;
    auto* countRow = new QHBoxLayout;
    auto* frameCountLabel = new QLabel(QStringLiteral("Number of Frames"));
    countRow->addWidget(frameCountLabel);
    frameCount_ = new QLineEdit;
    frameCount_->setMaximumWidth(60);
    countRow->addWidget(frameCount_);
    pingPong_ = new QCheckBox(QStringLiteral("PingPong"));
    countRow->addWidget(pingPong_);
    countRow->addStretch();
    right->addLayout(countRow);

    auto* previewRow = new QHBoxLayout;
    previewArea_ = new QLabel;
    previewArea_->setFixedSize(kPreviewWidth, kPreviewHeight);
    previewArea_->setFrameShape(QFrame::Box);
    previewArea_->setAutoFillBackground(true);
    previewArea_->setAlignment(Qt::AlignCenter);
    previewRow->addWidget(previewArea_);
    auto* previewSide = new QVBoxLayout;
    previewBox_ = new QCheckBox(QStringLiteral("&Preview"));
    previewSide->addWidget(previewBox_);
    colourLabel_ = new QLabel(QStringLiteral("Color"));
    colourBox_ = new QPushButton;
    colourBox_->setFixedSize(40, 24);
    colourBox_->setObjectName(QStringLiteral("colourBox"));
    previewSide->addWidget(colourLabel_);
    previewSide->addWidget(colourBox_);
    previewSide->addStretch();
    previewRow->addLayout(previewSide);
    right->addLayout(previewRow);

    auto* params = new QGridLayout;
    for (int i = 0; i < 5; ++i) {
        editLabels_[size_t(i)] = new QLabel;
        edits_[size_t(i)] = new QLineEdit;
        edits_[size_t(i)]->setMaximumWidth(70);
        params->addWidget(editLabels_[size_t(i)], i, 0);
        params->addWidget(edits_[size_t(i)], i, 1);
    }
    for (int i = 0; i < 4; ++i) {
        options_[size_t(i)] = new QCheckBox;
        params->addWidget(options_[size_t(i)], i, 2);
    }
    for (int i = 0; i < 2; ++i) {
        listLabels_[size_t(i)] = new QLabel;
        lists_[size_t(i)] = new QComboBox;
        params->addWidget(listLabels_[size_t(i)], 5 + 2 * i, 0, 1, 3);
        params->addWidget(lists_[size_t(i)], 6 + 2 * i, 0, 1, 3);
    }
    right->addLayout(params);
    description_ = new QLabel;
    description_->setWordWrap(true);
    description_->setMinimumHeight(4 * description_->fontMetrics().height());
    description_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    description_->setFrameShape(QFrame::StyledPanel);
    right->addWidget(description_);
    top->addLayout(right, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                                         QDialogButtonBox::Help);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(top);
    outer->addWidget(buttons);

    auto* help = new ContextHelp(this, QStringLiteral("Select Effect/Transition Dialog"));
    help->add(previewArea_, 33);
    help->add(previewBox_, 33);
    help->add(effectRadio_, 34);
    help->add(effectList_, 35);
    help->add(transitionRadio_, 36);
    help->add(transitionList_, 37);
    help->add(pingPong_, 38);
    help->add(colourLabel_, 39);
    help->add(colourBox_, 39);
    help->add(listLabels_[0], 40);
    help->add(lists_[0], 40);
    for (int i = 0; i < 5; ++i) {
        help->add(editLabels_[size_t(i)], 42);
        help->add(edits_[size_t(i)], 42);
    }
    help->add(frameCountLabel, 43);
    help->add(frameCount_, 43);
    for (QCheckBox* option : options_) help->add(option, 44);
    help->add(description_, 45);

    typingTimer_ = new QTimer(this);
    typingTimer_->setSingleShot(true);
    typingTimer_->setInterval(500);
    frameTimer_ = new QTimer(this);
    frameTimer_->setInterval(100);

    connect(buttons, &QDialogButtonBox::accepted, this, &EffectDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &EffectDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, [this] {
        if (!ShowHelp(this, QStringLiteral("Select Effect/Transition Dialog")))
            doc_.host.message("Can't activate Help on 'Select Effect/Transition Dialog'", "Error",
                              MessageIcon::Exclamation);
    });
    connect(effectList_, &QListWidget::currentRowChanged, this, &EffectDialog::onEffectRow);
    connect(transitionList_, &QListWidget::currentRowChanged, this, &EffectDialog::onTransitionRow);
    connect(effectRadio_, &QRadioButton::clicked, this, &EffectDialog::onEffectRadio);
    connect(transitionRadio_, &QRadioButton::clicked, this, &EffectDialog::onTransitionRadio);
    for (int i = 0; i < 2; ++i)
        connect(lists_[size_t(i)], &QComboBox::currentIndexChanged, this,
                [this, i](int line) { onListChanged(i + 1, line); });
    for (int i = 0; i < 4; ++i)
        connect(options_[size_t(i)], &QCheckBox::clicked, this,
                [this, i](bool checked) { onOptionClicked(i + 1, checked); });
    connect(pingPong_, &QCheckBox::clicked, this, &EffectDialog::onPingPong);
    connect(previewBox_, &QCheckBox::clicked, this, &EffectDialog::onPreviewBox);
    connect(colourBox_, &QPushButton::clicked, this, &EffectDialog::onColourBox);
    for (QLineEdit* e : edits_)
        connect(e, &QLineEdit::textEdited, typingTimer_, qOverload<>(&QTimer::start));
    connect(frameCount_, &QLineEdit::textEdited, typingTimer_, qOverload<>(&QTimer::start));
    connect(typingTimer_, &QTimer::timeout, this, &EffectDialog::onEditsSettled);
    connect(frameTimer_, &QTimer::timeout, this, &EffectDialog::showNextPreviewFrame);
}

void EffectDialog::showForm() {
    const ParameterForm& f = selection_.form;
    auto setText = [](QLineEdit* e, const QString& t) {
        if (e->text() != t) e->setText(t);
    };
    for (size_t i = 0; i < 5; ++i) {
        const QSignalBlocker block(edits_[i]);
        editLabels_[i]->setText(Text(f.edits[i].label));
        editLabels_[i]->setEnabled(f.edits[i].enabled);
        setText(edits_[i], Text(f.edits[i].text));
        edits_[i]->setEnabled(f.edits[i].enabled);
    }
    for (size_t i = 0; i < 4; ++i) {
        const QSignalBlocker block(options_[i]);
        options_[i]->setText(Text(f.checks[i].label));
        options_[i]->setChecked(f.checks[i].checked);
        options_[i]->setEnabled(f.checks[i].enabled);
    }
    for (size_t i = 0; i < 2; ++i) {
        const QSignalBlocker block(lists_[i]);
        listLabels_[i]->setText(Text(f.lists[i].label));
        listLabels_[i]->setEnabled(f.lists[i].enabled);
        QStringList lines;
        for (const std::string& line : f.lists[i].lines) lines << Text(line);
        QStringList shown;
        for (int k = 0; k < lists_[i]->count(); ++k) shown << lists_[i]->itemText(k);
        if (shown != lines) {
            lists_[i]->clear();
            lists_[i]->addItems(lines);
        }
        lists_[i]->setCurrentIndex(f.lists[i].selection);
        lists_[i]->setEnabled(f.lists[i].enabled);
    }
    {
        const QSignalBlocker block(pingPong_);
        pingPong_->setEnabled(f.pingPongEnabled);
        pingPong_->setChecked(f.pingPong);
    }
    {
        const QSignalBlocker block(frameCount_);
        setText(frameCount_, Text(f.frameCountText));
    }
    colourLabel_->setEnabled(f.colourEnabled);
    colourBox_->setEnabled(f.colourEnabled && f.colourUsed);
    description_->setText(Text(f.description));
    paintColourBox();
    applyFocus();
}

void EffectDialog::readForm() {
    ParameterForm& f = selection_.form;
    for (size_t i = 0; i < 5; ++i) f.edits[i].text = edits_[i]->text().toLocal8Bit().toStdString();
    f.frameCountText = frameCount_->text().toLocal8Bit().toStdString();
    f.focus = f.selectedText = FormControl::None;
}

void EffectDialog::applyFocus() {
    ParameterForm& f = selection_.form;
    auto widgetOf = [this](FormControl c) -> QLineEdit* {
        if (c == FormControl::FrameCount) return frameCount_;
        if (c >= FormControl::Edit1 && c <= FormControl::Edit5)
            return edits_[size_t(int(c) - int(FormControl::Edit1))];
        return nullptr;
    };
    if (QLineEdit* e = widgetOf(f.focus)) e->setFocus();
    if (QLineEdit* e = widgetOf(f.selectedText)) e->selectAll();
    f.focus = f.selectedText = FormControl::None;
}

void EffectDialog::paintColourBox() {
    const bool used = selection_.form.colourUsed && selected_;
    QPixmap swatch(colourBox_->size() - QSize(8, 8));
    swatch.fill(used ? EntryColour(*selected_, selection_.dialogColour())
                     : palette().color(QPalette::Button));
    colourBox_->setIcon(QIcon(swatch));
    colourBox_->setIconSize(swatch.size());
}

void EffectDialog::recomputePreview() {
    const bool on = previewBox_->isChecked();
    const int fixed = settings_.fixedPreviewFrames ? int(settings_.previewFrames) : 0;
    FrameRecord* chain = preview_.Compute(selection_.PreviewBlock(fixed), on);
    if (chain) {
        frameTimer_->start();
        showNextPreviewFrame();
    } else {
        frameTimer_->stop();
        previewArea_->clear();
    }
}

void EffectDialog::showNextPreviewFrame() {
    FrameRecord* frame = preview_.NextFrame();
    if (!frame) return;
    const QImage image = FrameImage(*frame).scaled(previewArea_->contentsRect().size(),
                                                   Qt::IgnoreAspectRatio, Qt::FastTransformation);
    previewArea_->setPixmap(QPixmap::fromImage(image));
    ++framesShown_;
}

void EffectDialog::onEffectRow(int row) {
    if (!ready_) return;
    readForm();
    const bool shown = selection_.effectMode();
    selection_.SelectEffect(row);
    if (shown) {
        showForm();
        recomputePreview();
    }
}

void EffectDialog::onTransitionRow(int row) {
    if (!ready_) return;
    readForm();
    const bool shown = !selection_.effectMode();
    selection_.SelectTransition(row);
    if (shown) {
        showForm();
        recomputePreview();
    }
}

void EffectDialog::onEffectRadio() {
    if (selection_.effectMode()) return;
    readForm();
    selection_.ChooseEffectMode();
    selection_.SelectEffect(effectList_->currentRow());
    showForm();
    recomputePreview();
}

void EffectDialog::onTransitionRadio() {
    readForm();
    const bool wasEffect = selection_.effectMode();
    if (!selection_.ChooseTransitionMode()) {
        const QSignalBlocker block(effectRadio_);
        effectRadio_->setChecked(true);
        return;
    }
    if (!wasEffect) return;
    selection_.SelectTransition(transitionList_->currentRow());
    showForm();
    recomputePreview();
}

void EffectDialog::onListChanged(int list, int line) {
    readForm();
    if (selection_.ListChanged(list, line)) {
        showForm();
        recomputePreview();
    }
}

void EffectDialog::onOptionClicked(int option, bool checked) {
    readForm();
    if (selection_.OptionClicked(option, checked)) {
        showForm();
        recomputePreview();
    }
}

void EffectDialog::onPingPong(bool checked) {
    readForm();
    const bool changed = selection_.PingPongClicked(checked);
    showForm();
    if (changed) recomputePreview();
}

void EffectDialog::onPreviewBox(bool checked) {
    settings_.preview = checked ? 1 : 0;
    if (checked) {
        readForm();
        recomputePreview();
    } else {
        preview_.Discard();
        frameTimer_->stop();
        previewArea_->clear();
    }
}

void EffectDialog::onColourBox() {
    if (!selection_.form.colourUsed || !selected_) return;
    // The palette dialog in choose mode only reports the entry; the frame keeps its
    // transparent index.
    PaletteRequest request{selected_, 0, 1, selection_.dialogColour()};
    if (!PaletteDialog::Run(this, doc_, request)) return;
    const int chosen = request.resultIndex;
    readForm();
    if (selection_.ChooseColour(chosen)) {
        paintColourBox();
        recomputePreview();
    }
}

void EffectDialog::onEditsSettled() {
    if (!ready_) return;
    readForm();
    const bool recompute = selection_.EditsSettled();
    showForm();
    if (recompute) recomputePreview();
}

void EffectDialog::closePreview() {
    typingTimer_->stop();
    frameTimer_->stop();
    preview_.Close();
}

void EffectDialog::accept() {
    typingTimer_->stop();
    readForm();
    const bool ok = selection_.Ok();
    showForm();
    if (!ok) return;
    closePreview();
    QDialog::accept();
}

void EffectDialog::reject() {
    typingTimer_->stop();
    selection_.Cancel();
    settings_.preview = previewAtOpening_;
    closePreview();
    QDialog::reject();
}
