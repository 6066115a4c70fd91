#include "dialogs/BannerDialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

#include "banner/BannerGenerator.h"
#include "dialogs/ContextHelp.h"
#include "document/AnimationDocument.h"
#include "effects/ParameterForm.h"
#include "app/HelpWindow.h"
#include "textcanvas/QtTextCanvas.h"

namespace {

constexpr int kPreviewPause = 400;  // ms after the last change

QColor ToColour(uint32_t rgb) {
    return QColor(int((rgb >> 16) & 0xFF), int((rgb >> 8) & 0xFF), int(rgb & 0xFF));
}

uint32_t FromColour(const QColor& c) {
    return (uint32_t(c.red()) << 16) | (uint32_t(c.green()) << 8) | uint32_t(c.blue());
}

// Short "what is this" texts of the controls (the help page has the long ones).
const QMap<int, QString>& ControlHelp() {
    static const QMap<int, QString> help{
        {1018, QStringLiteral("The line of text that scrolls through the banner.")},
        {1019, QStringLiteral("Chooses the colour of the text.")},
        {1020, QStringLiteral("Chooses the colour behind the text.")},
        {1021, QStringLiteral("Draws a soft shadow behind the text.")},
        {1022, QStringLiteral("How far right of the text the shadow lies (-200 to 200).")},
        {1023, QStringLiteral("How far below the text the shadow lies (-200 to 200).")},
        {1024, QStringLiteral("How far the shadow blurs out (0 to 20; 0 is a hard shadow).")},
        {1025, QStringLiteral("How dark the shadow is, from the background colour (0) to the "
                              "shadow colour (100).")},
        {1026, QStringLiteral("How many images the text takes to cross the banner (1 to 1000; "
                              "one image shows the text centred).")},
        {1027, QStringLiteral("Draws the preview now.")},
        {1028, QStringLiteral("The width of the banner images (1 to 2048).")},
        {1029, QStringLiteral("How the text looks in the middle of its way.")},
        {1030, QStringLiteral("The height of the banner images (1 to 2048).")},
        {1031, QStringLiteral("Chooses the font of the text.")},
        {1032, QStringLiteral("Draws a sunken edge around every image.")},
        {1033, QStringLiteral("Moves the text down (or up, when negative) from the middle "
                              "(-3000 to 3000).")},
        {1034, QStringLiteral("Chooses the colour the shadow fades into.")},
    };
    return help;
}

}  // namespace

// --- preview ---

BannerPreview::BannerPreview(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Banner Preview Class"));
    setCursor(Qt::ArrowCursor);
    setMinimumSize(360, 150);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void BannerPreview::showSettings(const BannerSettings& settings) {
    shown_ = settings;
    ++updates_;
    update();
}

void BannerPreview::paintEvent(QPaintEvent*) {
    QtTextCanvas canvas;
    if (!canvas.Begin(width(), height())) return;
    PaintBannerPreview(canvas, shown_, width(), height());
    QPainter painter(this);
    painter.drawImage(0, 0, canvas.image());
}

// --- dialog ---

BannerSettings& BannerDialog::Settings() {
    static BannerSettings settings;
    return settings;
}

int BannerDialog::Run(QWidget* parent, AnimationDocument& doc, BannerBlock& block) {
    block.confirmed = 0;
    BannerDialog dialog(parent, &doc, block);
    dialog.exec();
    return 1;
}

QLineEdit* BannerDialog::addField(int id, int32_t BannerSettings::*member) {
    auto* edit = new QLineEdit(QString::number(Settings().*member));
    edit->setObjectName(QString::number(id));
    edit->setWhatsThis(ControlHelp().value(id));
    edit->setMaximumWidth(70);
    fields_.insert(id, edit);
    members_.insert(id, member);
    connect(edit, &QLineEdit::textChanged, this,
            [this, id, member](const QString& text) { fieldEdited(id, member, text); });
    return edit;
}

BannerDialog::BannerDialog(QWidget* parent, AnimationDocument* doc, BannerBlock& block)
    : QDialog(parent), block_(block), saved_(Settings()) {
    setObjectName(QStringLiteral("999"));
    setWindowTitle(QStringLiteral("Banner"));
    BannerSettings& s = Settings();
    if (doc && !doc->empty()) {
        s.width = doc->screenWidth;
        s.height = doc->screenHeight;
    }

    timer_ = new QTimer(this);
    timer_->setSingleShot(true);
    timer_->setInterval(kPreviewPause);
    connect(timer_, &QTimer::timeout, this, &BannerDialog::repaintPreview);

    // Text.
    auto* text = new QLineEdit(QString::fromStdString(s.text));
    text->setObjectName(QStringLiteral("1018"));
    text->setMaxLength(kMaxBannerTextLength);
    text->setWhatsThis(ControlHelp().value(1018));
    fields_.insert(1018, text);
    connect(text, &QLineEdit::textChanged, this, [this](const QString& t) {
        Settings().text = t.toStdString();
        restartTimer();
    });
    auto* textRow = new QHBoxLayout;
    textRow->addWidget(new QLabel(QStringLiteral("Text")));
    textRow->addWidget(text, 1);

    // Colours and font.
    auto* colours = new QGroupBox(QStringLiteral("Colors"));
    auto* colourLayout = new QVBoxLayout(colours);
    const std::pair<int, const char*> colourIds[] = {
        {1019, "&Text"}, {1020, "&Background"}, {1034, "&Shadow"}};
    for (const auto& [id, label] : colourIds) {
        auto* button = new QPushButton(QString::fromLatin1(label));
        button->setObjectName(QString::number(id));
        button->setWhatsThis(ControlHelp().value(id));
        colourButtons_.insert(id, button);
        connect(button, &QPushButton::clicked, this, [this, id = id] { chooseColour(id); });
        colourLayout->addWidget(button);
    }
    auto* font = new QPushButton(QStringLiteral("Choose &Font"));
    font->setObjectName(QStringLiteral("1031"));
    font->setWhatsThis(ControlHelp().value(1031));
    connect(font, &QPushButton::clicked, this, &BannerDialog::chooseFont);
    colourLayout->addWidget(font);
    colourLayout->addStretch(1);
    refreshColourButtons();

    // Shadow.
    auto* shadowGroup = new QGroupBox(QStringLiteral("Shadow"));
    auto* shadowGrid = new QGridLayout(shadowGroup);
    shadow_ = new QCheckBox(QStringLiteral("&Enable Shadow"));
    shadow_->setObjectName(QStringLiteral("1021"));
    shadow_->setWhatsThis(ControlHelp().value(1021));
    shadow_->setChecked(s.shadowEnabled != 0);
    shadowGrid->addWidget(shadow_, 0, 0, 1, 2);
    shadowGrid->addWidget(new QLabel(QStringLiteral("Shadow X Offset")), 1, 0);
    shadowGrid->addWidget(addField(1022, &BannerSettings::shadowX), 1, 1);
    shadowGrid->addWidget(new QLabel(QStringLiteral("Shadow Y Offset")), 2, 0);
    shadowGrid->addWidget(addField(1023, &BannerSettings::shadowY), 2, 1);
    shadowGrid->addWidget(new QLabel(QStringLiteral("Shadow Thickness")), 3, 0);
    shadowGrid->addWidget(addField(1024, &BannerSettings::thickness), 3, 1);
    shadowGrid->addWidget(new QLabel(QStringLiteral("Shadow Intensity")), 4, 0);
    intensity_ = new QSlider(Qt::Horizontal);
    intensity_->setObjectName(QStringLiteral("1025"));
    intensity_->setWhatsThis(ControlHelp().value(1025));
    intensity_->setRange(0, 100);
    intensity_->setValue(std::clamp(int(s.intensity), 0, 100));
    intensity_->setMinimumWidth(90);
    // The slider alone does not say where it stands.
    intensityValue_ = new QLabel(QString::number(intensity_->value()));
    intensityValue_->setMinimumWidth(intensityValue_->fontMetrics().horizontalAdvance("100"));
    auto* intensityRow = new QHBoxLayout;
    intensityRow->addWidget(intensity_, 1);
    intensityRow->addWidget(intensityValue_);
    shadowGrid->addLayout(intensityRow, 4, 1);
    connect(intensity_, &QSlider::valueChanged, this, [this](int v) {
        Settings().intensity = v;
        intensityValue_->setText(QString::number(v));
        restartTimer();
    });
    connect(shadow_, &QCheckBox::toggled, this, &BannerDialog::shadowToggled);

    // Image.
    auto* imageGroup = new QGroupBox(QStringLiteral("Image"));
    auto* imageGrid = new QGridLayout(imageGroup);
    imageGrid->addWidget(new QLabel(QStringLiteral("Nr. of Frames")), 0, 0);
    imageGrid->addWidget(addField(1026, &BannerSettings::frames), 0, 1);
    imageGrid->addWidget(new QLabel(QStringLiteral("Image Width")), 1, 0);
    imageGrid->addWidget(addField(1028, &BannerSettings::width), 1, 1);
    imageGrid->addWidget(new QLabel(QStringLiteral("Image Height")), 2, 0);
    imageGrid->addWidget(addField(1030, &BannerSettings::height), 2, 1);
    imageGrid->addWidget(new QLabel(QStringLiteral("Text Y Offset")), 3, 0);
    imageGrid->addWidget(addField(1033, &BannerSettings::textYOffset), 3, 1);
    border_ = new QCheckBox(QStringLiteral("&Draw Border"));
    border_->setObjectName(QStringLiteral("1032"));
    border_->setWhatsThis(ControlHelp().value(1032));
    border_->setChecked(s.border != 0);
    imageGrid->addWidget(border_, 4, 0, 1, 2);
    connect(border_, &QCheckBox::toggled, this, [this](bool on) {
        Settings().border = on ? 1 : 0;
        repaintPreview();
    });

    auto* settingsRow = new QHBoxLayout;
    settingsRow->addWidget(colours);
    settingsRow->addWidget(shadowGroup);
    settingsRow->addWidget(imageGroup);

    // Preview.
    preview_ = new BannerPreview;
    preview_->setWhatsThis(ControlHelp().value(1029));
    update_ = new QPushButton(QStringLiteral("&U p d a t e   P r e v i e w"));
    update_->setObjectName(QStringLiteral("1027"));
    update_->setWhatsThis(ControlHelp().value(1027));
    update_->setAutoDefault(false);
    connect(update_, &QPushButton::clicked, this, &BannerDialog::repaintPreview);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                                         QDialogButtonBox::Help);
    connect(buttons, &QDialogButtonBox::accepted, this, &BannerDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &BannerDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, &BannerDialog::showHelp);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(textRow);
    layout->addLayout(settingsRow);
    layout->addWidget(preview_, 1);
    layout->addWidget(update_, 0, Qt::AlignHCenter);
    layout->addWidget(buttons);


    // F1 (or What's This) on a control opens its part of the banner page. The controls are
    // looked up by name, so only once the layout has made them the dialog's children.
    auto* help = new ContextHelp(this, QStringLiteral("Banner Dialog"));
    const std::pair<int, int> topics[] = {{1018, 78}, {1031, 79}, {1019, 90}, {1020, 91},
                                          {1034, 92}, {1021, 80}, {1022, 81}, {1023, 82},
                                          {1024, 83}, {1025, 85}, {1026, 87}, {1028, 88},
                                          {1030, 89}, {1032, 84}, {1033, 86}, {1027, 77}};
    for (const auto& [id, topic] : topics)
        help->add(findChild<QWidget*>(QString::number(id)), topic);
    help->add(intensityValue_, 85);
    help->add(preview_, 76);

    shadowToggled(s.shadowEnabled != 0);
    preview_->showSettings(s);
}

void BannerDialog::fieldEdited(int id, int32_t BannerSettings::*member, const QString& text) {
    Settings().*member = ParseDialogInt(text.toStdString());
    // The number of frames does not change the picture.
    if (id != 1026) restartTimer();
}

void BannerDialog::restartTimer() {
    timer_->start();
}

void BannerDialog::repaintPreview() {
    timer_->stop();
    preview_->showSettings(Settings());
}

void BannerDialog::setColour(int buttonId, uint32_t rgb) {
    BannerSettings& s = Settings();
    if (buttonId == 1019) s.textColour = rgb;
    if (buttonId == 1020) s.backgroundColour = rgb;
    if (buttonId == 1034) s.shadowColour = rgb;
    refreshColourButtons();
    repaintPreview();
}

void BannerDialog::chooseColour(int buttonId) {
    const BannerSettings& s = Settings();
    const uint32_t current = buttonId == 1019   ? s.textColour
                             : buttonId == 1020 ? s.backgroundColour
                                                : s.shadowColour;
    const QColor chosen = QColorDialog::getColor(ToColour(current), this);
    if (chosen.isValid()) setColour(buttonId, FromColour(chosen));
}

void BannerDialog::chooseFont() {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, QtTextCanvas::FontFor(Settings().font), this);
    if (!ok) return;
    Settings().font = QtTextCanvas::LogicalFontOf(chosen);
    repaintPreview();
}

void BannerDialog::shadowToggled(bool on) {
    Settings().shadowEnabled = on ? 1 : 0;
    for (int id : {1022, 1023, 1024}) fields_.value(id)->setEnabled(on);
    intensity_->setEnabled(on);
    intensityValue_->setEnabled(on);
    repaintPreview();
}

void BannerDialog::refreshColourButtons() {
    const BannerSettings& s = Settings();
    for (auto it = colourButtons_.cbegin(); it != colourButtons_.cend(); ++it) {
        const uint32_t rgb = it.key() == 1019   ? s.textColour
                             : it.key() == 1020 ? s.backgroundColour
                                                : s.shadowColour;
        QPixmap swatch(16, 16);
        swatch.fill(ToColour(rgb));
        {
            QPainter frame(&swatch);
            frame.setPen(Qt::black);
            frame.drawRect(0, 0, 15, 15);
        }
        it.value()->setIcon(QIcon(swatch));
    }
}

void BannerDialog::showHelp() {
    if (!ShowHelp(this, QStringLiteral("Banner Dialog")))
        QMessageBox::critical(this, QStringLiteral("Error"),
                              QStringLiteral("Can't activate Help on BannerDialog"));
}

void BannerDialog::accept() {
    BannerSettings& s = Settings();
    if (s.text.empty() && block_.checkEmptyText) {
        const auto answer = QMessageBox::question(this, QString::fromLatin1(kNoBannerTextCaption),
                                                  QString::fromLatin1(kNoBannerTextQuestion),
                                                  QMessageBox::Yes | QMessageBox::No);
        if (answer != QMessageBox::Yes) return;
    }
    std::string message;
    if (const BannerRange* range = CheckBannerRanges(s, message)) {
        QMessageBox::information(this, QStringLiteral("Information"),
                                 QString::fromStdString(message));
        // The field whose value was clamped shows the bound it now holds.
        for (auto it = members_.cbegin(); it != members_.cend(); ++it) {
            if (it.value() != range->field) continue;
            QLineEdit* edit = fields_.value(it.key());
            edit->setText(QString::number(s.*range->field));
            edit->setFocus();
            edit->selectAll();
        }
        return;
    }
    block_.settings = s;
    block_.confirmed = 1;
    block_.valid = 1;
    QDialog::accept();
}

void BannerDialog::reject() {
    Settings() = saved_;
    QDialog::reject();
}
