#include "ui/preview_box.h"

#include <QPainter>

namespace vm::ui {

PreviewBox::PreviewBox(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setFocusPolicy(Qt::NoFocus);
}

void PreviewBox::setImage(const QImage& image) {
    m_source = image;
    rescale();
}

void PreviewBox::rescale() {
    if (m_source.isNull() || width() <= 0 || height() <= 0) {
        m_scaled = QImage();
    } else {
        const qreal ratio = devicePixelRatioF();
        const QSize target(qRound(width() * ratio), qRound(height() * ratio));
        m_scaled = m_source.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        m_scaled.setDevicePixelRatio(ratio);
    }
    update();
}

void PreviewBox::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    rescale();
}

void PreviewBox::paintEvent(QPaintEvent*) {
    if (m_scaled.isNull()) return;
    QPainter painter(this);
    painter.drawImage(rect(), m_scaled);
}

}  // namespace vm::ui
