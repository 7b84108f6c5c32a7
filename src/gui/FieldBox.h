#pragma once

#include <QLineEdit>

namespace vh::gui {

// A detail of the shown entry: read-only and selectable; a text too long for the box is shown elided, with the
// whole text in the tool tip, and in full while the box has the focus (so a selection copies all of it).
class FieldBox final : public QLineEdit
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FieldBox)

public:
    explicit FieldBox(QWidget* parent = nullptr);

    void setFullText(const QString& text);
    const QString& fullText() const { return m_full; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void refresh();

    QString m_full;
};

} // namespace vh::gui
