#include "dialogs/OptionsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>

#include "app/HelpWindow.h"
#include "app/SettingsStore.h"
#include "dialogs/ContextHelp.h"
#include "effects/ParameterForm.h"

namespace {

// A horizontal slider from `low` to `high` with a tick every `step` below it.
QSlider* TickedSlider(int low, int high, int step) {
    auto* slider = new QSlider(Qt::Horizontal);
    slider->setRange(low, high);
    slider->setTickInterval(step);
    slider->setTickPosition(QSlider::TicksBelow);
    return slider;
}

// Slider positions 1-5 and their names; 0 for a mask that is none of the five.
constexpr const char* kLevelNames[5] = {"Highest Quality", "High Quality", "Medium", "Small Size",
                                        "Smallest Size"};

int LevelOfMask(uint32_t mask) {
    for (int i = 0; i < 5; ++i)
        if (AppSettings::kGifCompressionMasks[i] == mask) return i + 1;
    return 0;
}

// Whole numbers up to `top`: a key that would go past it is refused as it is typed
// (QIntValidator lets "5000" through as unfinished input under 1000).
class BoundedCount : public QIntValidator {
  public:
    BoundedCount(int top, QObject* parent) : QIntValidator(0, top, parent) {}
    State validate(QString& input, int& pos) const override {
        const State state = QIntValidator::validate(input, pos);
        bool ok = false;
        const int n = input.toInt(&ok);
        if (state == Intermediate && ok && n > top()) return Invalid;
        return state;
    }
};

}  // namespace

OptionsDialog::OptionsDialog(QWidget* parent, AppSettings& settings)
    : QDialog(parent), settings_(settings) {
    setObjectName(QStringLiteral("IDD_OPTIONDLG"));
    setWindowTitle(QStringLiteral("Options"));

    confirmDelete_ = new QCheckBox(QStringLiteral("Confirm image &removal from list"));
    multiInstance_ = new QCheckBox(QStringLiteral("Allow multiple program &Instances"));
    reactivate_ = new QPushButton(QStringLiteral("Reactivate all &Warnings"));
    auto* general = new QGroupBox(QStringLiteral("General"));
    auto* generalLayout = new QVBoxLayout(general);
    generalLayout->addWidget(confirmDelete_);
    generalLayout->addWidget(multiInstance_);
    generalLayout->addWidget(reactivate_, 0, Qt::AlignLeft);

    preview_ = new QCheckBox(QStringLiteral("Preview Active"));
    currentFrames_ = new QRadioButton(QStringLiteral("Use current Number of Frames"));
    fixedFrames_ = new QRadioButton(QStringLiteral("Always use "));
    previewFrames_ = new QLineEdit;
    previewFrames_->setMaximumWidth(60);
    // No more than the settings keep: a larger count would come back as the default.
    previewFrames_->setValidator(new BoundedCount(AppSettings::kMaxPreviewFrames, previewFrames_));
    auto* previewGroup = new QGroupBox(QStringLiteral("Effect Preview"));
    auto* previewLayout = new QGridLayout(previewGroup);
    previewLayout->addWidget(preview_, 0, 0, 1, 3);
    previewLayout->addWidget(currentFrames_, 1, 0, 1, 3);
    previewLayout->addWidget(fixedFrames_, 2, 0);
    previewLayout->addWidget(previewFrames_, 2, 1);
    previewLayout->addWidget(new QLabel(QStringLiteral("Frames")), 2, 2);

    jpegSlider_ = TickedSlider(0, 100, 10);
    jpegReadOut_ = new QLabel;
    jpegReadOut_->setMinimumWidth(30);
    keepTrueColour_ = new QCheckBox(QStringLiteral("Keep Truecolor data for Jpeg export"));
    auto* jpegGroup = new QGroupBox(QStringLiteral("Jpeg Compression"));
    auto* jpegLayout = new QGridLayout(jpegGroup);
    jpegLayout->addWidget(jpegSlider_, 0, 0);
    jpegLayout->addWidget(jpegReadOut_, 0, 1);
    jpegLayout->addWidget(keepTrueColour_, 1, 0, 1, 2);

    gifSlider_ = TickedSlider(1, 5, 1);
    gifName_ = new QLabel;
    gifName_->setMinimumWidth(100);
    auto* gifGroup = new QGroupBox(QStringLiteral("Gif Optimization"));
    lossySlider_ = TickedSlider(0, 200, 20);
    lossyReadOut_ = new QLabel;
    lossyReadOut_->setMinimumWidth(30);
    auto* gifLayout = new QGridLayout(gifGroup);
    gifLayout->addWidget(new QLabel(QStringLiteral("Quality/Size:")), 0, 0);
    gifLayout->addWidget(gifSlider_, 0, 1);
    gifLayout->addWidget(gifName_, 0, 2);
    gifLayout->addWidget(new QLabel(QStringLiteral("Lossy:")), 1, 0);
    gifLayout->addWidget(lossySlider_, 1, 1);
    gifLayout->addWidget(lossyReadOut_, 1, 2);

    reduction_ = new QComboBox;
    reduction_->addItems({QStringLiteral("Exact"), QStringLiteral("Quality")});
    ditherSlider_ = TickedSlider(0, 100, 10);
    ditherReadOut_ = new QLabel;
    ditherReadOut_->setMinimumWidth(30);
    auto* reductionGroup = new QGroupBox(QStringLiteral("Colour Reduction"));
    auto* reductionLayout = new QGridLayout(reductionGroup);
    reductionLayout->addWidget(new QLabel(QStringLiteral("Colour reduction:")), 0, 0);
    reductionLayout->addWidget(reduction_, 0, 1, 1, 2);
    reductionLayout->addWidget(new QLabel(QStringLiteral("Dither:")), 1, 0);
    reductionLayout->addWidget(ditherSlider_, 1, 1);
    reductionLayout->addWidget(ditherReadOut_, 1, 2);
    sharedPalette_ = new QCheckBox(QStringLiteral("Shared palette for similar video frames"));
    reductionLayout->addWidget(sharedPalette_, 2, 0, 1, 3);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                                         QDialogButtonBox::Help);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(general);
    layout->addWidget(previewGroup);
    layout->addWidget(jpegGroup);
    layout->addWidget(gifGroup);
    layout->addWidget(reductionGroup);
    layout->addWidget(buttons);

    auto* help = new ContextHelp(this, QStringLiteral("Options Dialog"));
    help->add(confirmDelete_, 29);
    help->add(currentFrames_, 30);
    help->add(fixedFrames_, 31);
    help->add(previewFrames_, 32);
    help->add(jpegSlider_, 59);
    help->add(jpegReadOut_, 60);
    help->add(gifSlider_, 96);
    help->add(gifName_, 96);
    help->add(reactivate_, 93);
    help->add(preview_, 95);

    // Opening.
    workingQuality_ = settings.jpegCompression;
    workingMask_ = settings.gifCompression;
    jpegSlider_->setValue(int(workingQuality_));
    jpegReadOut_->setText(QString::number(workingQuality_));
    const int level = LevelOfMask(workingMask_);
    gifSlider_->setValue(level < 1 ? 1 : level);  // the slider cannot show 0
    gifName_->setText(level >= 1 ? QString::fromLatin1(kLevelNames[level - 1]) : QString());
    lossySlider_->setValue(int(std::min<uint32_t>(settings.gifLossy, 200)));
    lossyReadOut_->setText(QString::number(lossySlider_->value()));
    reduction_->setCurrentIndex(settings.colourReduction ? 1 : 0);
    ditherSlider_->setValue(int(std::min<uint32_t>(settings.dither, 100)));
    ditherReadOut_->setText(QString::number(ditherSlider_->value()));
    // Only the quality palette dithers.
    ditherSlider_->setEnabled(reduction_->currentIndex() == 1);
    sharedPalette_->setChecked(settings.sharedPalette != 0);
    sharedPalette_->setEnabled(reduction_->currentIndex() == 1);
    confirmDelete_->setChecked(settings.confirmDelete != 0);
    multiInstance_->setChecked(settings.multiInst != 0);
    keepTrueColour_->setChecked(settings.keepTrueColorInfo != 0);
    preview_->setChecked(settings.preview != 0);
    (settings.fixedPreviewFrames ? fixedFrames_ : currentFrames_)->setChecked(true);
    previewFrames_->setText(QString::number(settings.previewFrames));

    connect(jpegSlider_, &QSlider::valueChanged, this, [this](int value) {
        workingQuality_ = uint32_t(value);
        jpegReadOut_->setText(QString::number(value));
    });
    connect(gifSlider_, &QSlider::valueChanged, this, [this](int value) {
        if (value < 1 || value > 5) return;
        workingMask_ = AppSettings::kGifCompressionMasks[value - 1];
        gifName_->setText(QString::fromLatin1(kLevelNames[value - 1]));
    });
    connect(lossySlider_, &QSlider::valueChanged, this,
            [this](int value) { lossyReadOut_->setText(QString::number(value)); });
    connect(ditherSlider_, &QSlider::valueChanged, this,
            [this](int value) { ditherReadOut_->setText(QString::number(value)); });
    connect(reduction_, &QComboBox::currentIndexChanged, this, [this](int index) {
        ditherSlider_->setEnabled(index == 1);
        sharedPalette_->setEnabled(index == 1);
    });
    connect(reactivate_, &QPushButton::clicked, this, [this] {
        settings_.transparentWarning = settings_.optimizeWarning = settings_.unOptimizeWarning =
            settings_.resizeWarning = settings_.localPalWarning = settings_.globalPalWarning = 0;
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &OptionsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, [] {
        if (!ShowHelp(nullptr, QStringLiteral("Options Dialog")))
            QMessageBox::warning(nullptr, QStringLiteral("Error"),
                                 QStringLiteral("Can't activate Help on OptionsDialog"));
    });
}

bool OptionsDialog::Run(QWidget* parent, AppSettings& settings) {
    OptionsDialog dialog(parent, settings);
    return dialog.exec() == QDialog::Accepted;
}

void OptionsDialog::accept() {
    const int n = ParseDialogInt(previewFrames_->text().toStdString());
    const bool fixed = !currentFrames_->isChecked();
    if (fixed && n < 1) {
        QMessageBox::warning(this, QStringLiteral("Invalid Option Parameter"),
                             QStringLiteral("Number of Frames must be larger than Zero"));
        previewFrames_->setFocus();
        previewFrames_->selectAll();
        return;
    }
    // Every preview computes this many frames; the settings keep no more than this.
    if (fixed && n > AppSettings::kMaxPreviewFrames) {
        QMessageBox::warning(this, QStringLiteral("Invalid Option Parameter"),
                             QStringLiteral("Number of Frames must not be larger than %1")
                                 .arg(AppSettings::kMaxPreviewFrames));
        previewFrames_->setFocus();
        previewFrames_->selectAll();
        return;
    }
    settings_.confirmDelete = confirmDelete_->isChecked() ? 1 : 0;
    settings_.multiInst = multiInstance_->isChecked() ? 1 : 0;
    settings_.preview = preview_->isChecked() ? 1 : 0;
    settings_.keepTrueColorInfo = keepTrueColour_->isChecked() ? 1 : 0;
    settings_.gifCompression = workingMask_;
    settings_.gifLossy = uint32_t(lossySlider_->value());
    settings_.jpegCompression = workingQuality_;
    settings_.colourReduction = reduction_->currentIndex() == 1 ? 1 : 0;
    settings_.dither = uint32_t(ditherSlider_->value());
    settings_.sharedPalette = sharedPalette_->isChecked() ? 1 : 0;
    // A DWORD: never a wrapped negative, never more than the settings keep.
    settings_.previewFrames = uint32_t(std::clamp(n, 0, AppSettings::kMaxPreviewFrames));
    settings_.fixedPreviewFrames = fixed ? 1 : 0;
    QDialog::accept();
}
