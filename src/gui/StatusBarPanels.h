#pragma once

#include <QWidget>

#include <array>

class QLabel;

namespace vh::gui {

// The six panels of the main window's status bar, sized from the window's width (unit = width / 4.8). The
// panels are placed by hand, so their widths never feed back into the window's minimum size.
class StatusBarPanels final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StatusBarPanels)

public:
    static constexpr int PanelCount = 6;

    explicit StatusBarPanels(QWidget* parent = nullptr);

    // Panel 1 to 6.
    QLabel* panel(int number) const { return m_panels.at(std::size_t(number - 1)); }
    // Applies the widths for a window of this width; a width of 0 keeps the panels as they are.
    void setWindowWidth(int windowWidth);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void place();

    std::array<QLabel*, PanelCount> m_panels{};
    std::array<int, PanelCount> m_widths{};
};

} // namespace vh::gui
