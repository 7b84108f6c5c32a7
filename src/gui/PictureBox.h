#pragma once

#include <QImage>
#include <QWidget>

namespace vh::gui {

// The view of the screenshot (Picture1): shows the picture the display mode made for it, 1:1, and reports
// mouse presses for the slideshow and the picture menu.
class PictureBox final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PictureBox)

public:
    explicit PictureBox(QWidget* parent = nullptr);

    void setImage(const QImage& image);
    const QImage& image() const { return m_image; }
    QSize sizeHint() const override;

Q_SIGNALS:
    void pressed(Qt::MouseButton button, const QPoint& globalPosition);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QImage m_image;
};

} // namespace vh::gui
