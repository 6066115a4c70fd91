#include "dialogs/AviLoadDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>
#include <optional>

#include "dialogs/AviProgressDialog.h"

namespace {

// An unsigned decimal number as the dialog's fields take it: digits only (surrounding
// blanks allowed); nothing for an empty field, a sign, other characters or a value
// beyond 32 bits.
std::optional<long long> ParseUnsigned(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 10) return std::nullopt;
    long long value = 0;
    for (const QChar c : t) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
    }
    if (value > 0xFFFFFFFFLL) return std::nullopt;
    return value;
}

// The progress window of one import: made when the first frame is about to load and
// gone when the import's hooks are.
struct ProgressHolder {
    QPointer<QWidget> parent;
    std::unique_ptr<AviProgressDialog> dialog;

    bool Step(int index, int position, int count) {
        if (!dialog) dialog = std::make_unique<AviProgressDialog>(parent);
        return dialog->Step(index, position, count);
    }
};

}  // namespace

AviLoadDialog::AviLoadDialog(QWidget* parent, const AviStreamInfo& info, AviLoadChoices& choices)
    : QDialog(parent), stream_(info), choices_(choices) {
    setObjectName(QStringLiteral("AVILOADDLG"));
    setWindowTitle(QStringLiteral("Load AVI"));

    info_ = new QLabel(QString::fromStdString(AviInfoText(info)));
    info_->setWordWrap(true);
    info_->setMinimumWidth(340);
    loadAll_ = new QCheckBox(QStringLiteral("&Load all Frames"));
    reverse_ = new QCheckBox(QStringLiteral("&Reverse Animation"));
    count_ = new QLineEdit(QString::number(info.length));
    first_ = new QLineEdit(QString::number(info.first));
    for (QLineEdit* e : {count_, first_}) {
        e->setMaxLength(10);
        e->setMaximumWidth(70);
    }
    countLabel_ = new QLabel(QStringLiteral("Load"));
    firstLabel_ = new QLabel(QStringLiteral("Frames beginning with Index"));
    countLabel_->setBuddy(count_);
    firstLabel_->setBuddy(first_);

    auto* range = new QHBoxLayout;
    range->addWidget(countLabel_);
    range->addWidget(count_);
    range->addWidget(firstLabel_);
    range->addWidget(first_);
    range->addStretch(1);
    // The rate and size a clip is shared at: by default the clip's own (up to 50 frames
    // a second), a smaller rate picks frames by their time, a size scales smoothly.
    const double ownRate =
        info.framesPerSecond > 0 ? std::min(info.framesPerSecond, kMaxImportRate) : kMaxImportRate;
    defaultRate_ = QString::number(ownRate, 'g', 4);
    fps_ = new QLineEdit(choices.framesPerSecond > 0 ? QString::number(choices.framesPerSecond)
                                                     : defaultRate_);
    int width = 0, height = 0;
    AviTargetSize(info, choices, width, height);
    width_ = new QLineEdit(QString::number(width));
    height_ = new QLineEdit(QString::number(height));
    for (QLineEdit* e : {fps_, width_, height_}) {
        e->setMaxLength(8);
        e->setMaximumWidth(70);
    }
    auto* fpsLabel = new QLabel(QStringLiteral("&Frames per second"));
    fpsLabel->setBuddy(fps_);
    auto* sizeLabel = new QLabel(QStringLiteral("&Size"));
    sizeLabel->setBuddy(width_);
    auto* shape = new QHBoxLayout;
    shape->addWidget(fpsLabel);
    shape->addWidget(fps_);
    shape->addSpacing(12);
    shape->addWidget(sizeLabel);
    shape->addWidget(width_);
    shape->addWidget(new QLabel(QStringLiteral("x")));
    shape->addWidget(height_);
    shape->addStretch(1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(info_);
    layout->addSpacing(6);
    layout->addWidget(loadAll_);
    layout->addLayout(range);
    layout->addWidget(reverse_);
    layout->addLayout(shape);
    layout->addSpacing(6);
    layout->addWidget(buttons);

    loadAll_->setChecked(choices.loadAll);
    reverse_->setChecked(choices.reverse);
    updateEnabling();

    connect(loadAll_, &QCheckBox::toggled, this, &AviLoadDialog::updateEnabling);
    connect(buttons, &QDialogButtonBox::accepted, this, &AviLoadDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

bool AviLoadDialog::Run(QWidget* parent, const AviStreamInfo& info, AviLoadChoices& choices) {
    AviLoadDialog dialog(parent, info, choices);
    return dialog.exec() == QDialog::Accepted;
}

AviImportOptions AviLoadDialog::ImportOptions(QWidget* parent) {
    AviImportOptions options;
    const QPointer<QWidget> owner(parent);
    options.choose = [owner](const AviStreamInfo& info, AviLoadChoices& choices) {
        return Run(owner, info, choices);
    };
    auto progress = std::make_shared<ProgressHolder>();
    progress->parent = owner;
    options.progress = [progress](int index, int position, int count) {
        return progress->Step(index, position, count);
    };
    options.finished = [progress] { progress->dialog.reset(); };
    options.interactive = true;
    return options;
}

void AviLoadDialog::updateEnabling() {
    const bool some = !loadAll_->isChecked();
    count_->setEnabled(some);
    first_->setEnabled(some);
}

void AviLoadDialog::accept() {
    // Both boxes are kept even when the numbers are refused.
    choices_.loadAll = loadAll_->isChecked();
    choices_.reverse = reverse_->isChecked();
    AviLoadChoices trial = choices_;
    // A count that is no number counts as none; a first index that is no number lies
    // outside every stream rather than standing for index 0.
    trial.count = ParseUnsigned(count_->text()).value_or(0);
    trial.firstIndex = ParseUnsigned(first_->text()).value_or(-1);
    // The rate and size shown at first stand for "the clip's own", so that the next clip
    // gets its own too; a field that is no number is refused by the check.
    bool rateOk = false;
    const QString rate = fps_->text().trimmed();
    trial.framesPerSecond = rate == defaultRate_ ? 0 : rate.toDouble(&rateOk);
    if (rate != defaultRate_ && !rateOk) trial.framesPerSecond = -1;
    const auto side = [](const QLineEdit* e) {
        if (e->text().trimmed().isEmpty()) return 0;
        return int(std::min<long long>(ParseUnsigned(e->text()).value_or(-1), 1 << 20));
    };
    trial.width = side(width_);
    trial.height = side(height_);
    if (trial.width == stream_.width && trial.height == stream_.height)
        trial.width = trial.height = 0;
    if (trial.loadAll) trial.count = 0;
    const std::string refused = ValidateAviChoices(stream_, trial);
    if (!refused.empty()) {
        QMessageBox::warning(this, QStringLiteral("Error"), QString::fromStdString(refused));
        return;
    }
    choices_ = trial;
    QDialog::accept();
}
