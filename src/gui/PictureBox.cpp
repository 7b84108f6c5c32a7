#include "gui/PictureBox.h"

#include <QMouseEvent>
#include <QPainter>

namespace vh::gui {

PictureBox::PictureBox(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Picture1"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::setImage(const QImage& image)
{
    m_image = image;
    resize(m_image.isNull() ? QSize(1, 1) : m_image.size());
    update();
}

QSize PictureBox::sizeHint() const
{
    return m_image.isNull() ? QSize(1, 1) : m_image.size();
}

void PictureBox::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().window());
    if (!m_image.isNull())
        painter.drawImage(QPoint(0, 0), m_image);
}

void PictureBox::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    Q_EMIT pressed(event->button(), event->globalPosition().toPoint());
    event->accept();
}

} // namespace vh::gui
