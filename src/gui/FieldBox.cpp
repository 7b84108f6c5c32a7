#include "gui/FieldBox.h"

#include <QFocusEvent>
#include <QStyle>

namespace vh::gui {

FieldBox::FieldBox(QWidget* parent) : QLineEdit(parent)
{
    setReadOnly(true);
    setFrame(false);
    setContextMenuPolicy(Qt::CustomContextMenu);
}

void FieldBox::setFullText(const QString& text)
{
    m_full = text;
    refresh();
}

QSize FieldBox::sizeHint() const
{
    return {fontMetrics().averageCharWidth() * 30, QLineEdit::sizeHint().height()};
}

QSize FieldBox::minimumSizeHint() const
{
    return {fontMetrics().averageCharWidth() * 8, QLineEdit::minimumSizeHint().height()};
}

void FieldBox::refresh()
{
    if (hasFocus()) {
        if (text() != m_full)
            setText(m_full);
        return;
    }
    const int room = contentsRect().width() - 2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth) - 4;
    const QString shown = fontMetrics().elidedText(m_full, Qt::ElideRight, std::max(room, 0));
    setText(shown);
    setCursorPosition(0);
    setToolTip(shown == m_full ? QString() : m_full);
}

void FieldBox::resizeEvent(QResizeEvent* event)
{
    QLineEdit::resizeEvent(event);
    refresh();
}

void FieldBox::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    refresh();
}

void FieldBox::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    refresh();
}

} // namespace vh::gui
