#pragma once

#include <QColor>
#include <QWidget>
#include <optional>

// A colour field that can be clicked; without a colour it shows a red cross.
class ColourSwatch : public QWidget {
    Q_OBJECT
  public:
    explicit ColourSwatch(QWidget* parent = nullptr);
    void setColour(std::optional<QColor> colour);
    std::optional<QColor> colour() const { return colour_; }
    QSize sizeHint() const override { return {48, 22}; }

  signals:
    void clicked();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    std::optional<QColor> colour_;
};
