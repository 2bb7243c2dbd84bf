#pragma once
// The preview of an opened picture: stretched to fill its box, as the picture
// itself has any size. Scaled once when set, not on every paint.

#include <QImage>
#include <QWidget>

namespace vm::ui {

class PreviewBox : public QWidget {
    Q_OBJECT
  public:
    explicit PreviewBox(QWidget* parent = nullptr);

    // A null image empties the box.
    void setImage(const QImage& image);
    bool isEmpty() const { return m_scaled.isNull(); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void rescale();

    QImage m_source;
    QImage m_scaled;
};

}  // namespace vm::ui
