#include "dialogs/ExportAllDialog.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

#include "dialogs/ContextHelp.h"
#include "io/ExportAll.h"
#include "app/HelpWindow.h"
#include "app/SettingsStore.h"

namespace {

// Advanced numbering is kept between uses.
bool gAdvanced = false;

// Room of the name field and of the indicator field.
constexpr int kPatternChars = 511;
constexpr int kIndicatorChars = 9;

std::string Local(const QString& s) {
    return s.toLocal8Bit().toStdString();
}

}  // namespace

void ExportAllDialog::ResetKeptValues() {
    gAdvanced = false;
}

ExportAllDialog::ExportAllDialog(QWidget* parent, AppSettings& settings, const QString& pattern,
                                 int digits)
    : QDialog(parent), settings_(settings), digits_(digits) {
    setObjectName(QStringLiteral("DIALOG_EXPORTALL"));
    setWindowTitle(QStringLiteral("Export All Images"));

    pattern_ = new QLineEdit(pattern);
    pattern_->setMaxLength(kPatternChars);
    pattern_->setMinimumWidth(300);
    browse_ = new QPushButton(QStringLiteral("&Browse"));
    auto* nameGroup = new QGroupBox(QStringLiteral("File Name"));
    auto* nameLayout = new QHBoxLayout(nameGroup);
    nameLayout->addWidget(pattern_, 1);
    nameLayout->addWidget(browse_);

    normal_ = new QRadioButton(QStringLiteral("&Normal"));
    advanced_ = new QRadioButton(QStringLiteral("&Advanced"));
    indicatorLabel_ = new QLabel(QStringLiteral("Indicator"));
    indicatorEdit_ = new QLineEdit(QStringLiteral("*"));
    indicatorEdit_->setMaxLength(kIndicatorChars);
    indicatorEdit_->setMaximumWidth(40);
    indicatorLabel_->setBuddy(indicatorEdit_);
    info_ = new QLabel;
    info_->setMinimumWidth(160);
    auto* numberGroup = new QGroupBox(QStringLiteral("Numbering"));
    auto* numberLayout = new QGridLayout(numberGroup);
    numberLayout->addWidget(normal_, 0, 0);
    numberLayout->addWidget(advanced_, 1, 0);
    numberLayout->addWidget(indicatorLabel_, 1, 1, Qt::AlignRight);
    numberLayout->addWidget(indicatorEdit_, 1, 2);
    numberLayout->addWidget(info_, 2, 0, 1, 4);
    numberLayout->setColumnStretch(3, 1);

    gif_ = new QRadioButton(QStringLiteral("Gif"));
    jpeg_ = new QRadioButton(QStringLiteral("Jpeg"));
    qualityLabel_ = new QLabel(QStringLiteral("Jpeg Compression"));
    quality_ = new QSlider(Qt::Horizontal);
    quality_->setRange(0, 100);
    quality_->setTickInterval(10);
    quality_->setTickPosition(QSlider::TicksBelow);
    qualityReadOut_ = new QLabel;
    qualityReadOut_->setMinimumWidth(30);
    auto* formatGroup = new QGroupBox(QStringLiteral("Format"));
    auto* formatLayout = new QGridLayout(formatGroup);
    formatLayout->addWidget(gif_, 0, 0);
    formatLayout->addWidget(jpeg_, 1, 0);
    formatLayout->addWidget(qualityLabel_, 0, 1, 1, 2);
    formatLayout->addWidget(quality_, 1, 1);
    formatLayout->addWidget(qualityReadOut_, 1, 2);
    formatLayout->setColumnStretch(1, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                                         QDialogButtonBox::Help);
    help_ = buttons->button(QDialogButtonBox::Help);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(nameGroup);
    auto* middle = new QHBoxLayout;
    middle->addWidget(numberGroup, 1);
    middle->addWidget(formatGroup, 1);
    layout->addLayout(middle);
    layout->addWidget(buttons);

    // Opening.
    (gAdvanced ? advanced_ : normal_)->setChecked(true);
    (settings.exportAsJpg ? jpeg_ : gif_)->setChecked(true);
    quality_->setValue(int(qMin<uint32_t>(settings.jpegCompression, 100)));
    qualityReadOut_->setText(QString::number(quality_->value()));
    updateMode();
    updateFormat();

    connect(advanced_, &QRadioButton::toggled, this, &ExportAllDialog::updateMode);
    connect(jpeg_, &QRadioButton::toggled, this, &ExportAllDialog::updateFormat);
    connect(quality_, &QSlider::valueChanged, this,
            [this](int value) { qualityReadOut_->setText(QString::number(value)); });
    connect(browse_, &QPushButton::clicked, this, &ExportAllDialog::browse);
    connect(buttons, &QDialogButtonBox::accepted, this, &ExportAllDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, [this] {
        if (!ShowHelp(this, QStringLiteral("Export All Images")))
            QMessageBox::warning(this, QStringLiteral("Error"),
                                 QStringLiteral("Can't activate Help on Export All Images"));
    });
    // F1 anywhere in the dialog opens its page, as the Help button does.
    new ContextHelp(this, QStringLiteral("Export All Images"));
}

bool ExportAllDialog::Run(QWidget* parent, AppSettings& settings, int digits, QString& pattern,
                          char& indicator) {
    ExportAllDialog dialog(parent, settings, pattern, digits);
    if (dialog.exec() != QDialog::Accepted) return false;
    pattern = dialog.pattern();
    indicator = dialog.indicator();
    return true;
}

QString ExportAllDialog::pattern() const {
    return accepted_.isEmpty() ? pattern_->text() : accepted_;
}

void ExportAllDialog::updateMode() {
    gAdvanced = advanced_->isChecked();
    indicatorLabel_->setEnabled(gAdvanced);
    indicatorEdit_->setEnabled(gAdvanced);
    info_->setText(QString::fromStdString(ExportIndicatorInfo(gAdvanced, digits_)));
}

void ExportAllDialog::updateFormat() {
    const bool jpeg = jpeg_->isChecked();
    qualityLabel_->setEnabled(jpeg);
    quality_->setEnabled(jpeg);
    qualityReadOut_->setEnabled(jpeg);
}

void ExportAllDialog::browse() {
    QFileDialog dialog(this, QStringLiteral("Select Filename to Export All Images"));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("Gif Image(*.gif) (*.gif)"));
    const QFileInfo start(pattern_->text());
    if (!pattern_->text().isEmpty() && start.absoluteDir().exists()) {
        dialog.setDirectory(start.absolutePath());
        dialog.selectFile(start.fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    pattern_->setText(dialog.selectedFiles().first());
}

void ExportAllDialog::accept() {
    QString name = pattern_->text();
    if (ExportPatternLacksGifExtension(Local(name))) {
        const auto answer = QMessageBox::question(
            this, QStringLiteral("Filename doesn't include extension"),
            QStringLiteral("Shall '.GIF' be added ?'"),
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
        if (answer != QMessageBox::Yes && answer != QMessageBox::No) return;
        if (answer == QMessageBox::Yes) {
            name += QStringLiteral(".GIF");
            pattern_->setText(name);
        }
    }
    if (advanced_->isChecked()) {
        const std::string indicatorText = Local(indicatorEdit_->text());
        const std::string refused = ValidateExportIndicator(Local(name), indicatorText, digits_);
        if (!refused.empty()) {
            QMessageBox::warning(this, QStringLiteral("Problems with Indicator"),
                                 QString::fromLocal8Bit(refused.c_str()));
            return;
        }
        indicator_ = indicatorText[0];
    } else {
        indicator_ = 0;
    }
    accepted_ = name;
    settings_.jpegCompression = uint32_t(quality_->value());
    settings_.exportAsJpg = jpeg_->isChecked() ? 1 : 0;
    QDialog::accept();
}
