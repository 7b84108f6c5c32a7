#include "gui/StatusBarPanels.h"

#include "review/StatusBarLayout.h"

#include <QLabel>

#include <algorithm>

namespace vh::gui {

StatusBarPanels::StatusBarPanels(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("StatusBar1Panels"));
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    for (std::size_t i = 0; i < m_panels.size(); ++i) {
        m_panels[i] = new QLabel(this);
        m_panels[i]->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(i + 1));
        m_panels[i]->setFrameShape(QFrame::StyledPanel);
        m_panels[i]->setFrameShadow(QFrame::Sunken);
    }
}

void StatusBarPanels::setWindowWidth(int windowWidth)
{
    if (!review::statusPanelWidths(windowWidth, m_widths))
        return;
    place();
}

void StatusBarPanels::place()
{
    int x = 0;
    for (std::size_t i = 0; i < m_panels.size(); ++i) {
        // rounding may add a pixel or two; the last panel ends where the bar does
        const int w = i + 1 == m_panels.size() ? std::max(0, width() - x) : m_widths[i];
        m_panels[i]->setGeometry(x, 0, w, height());
        x += w;
    }
}

void StatusBarPanels::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // the bar's own width: the window's would push the sixth panel past the bar's margins
    setWindowWidth(width());
}

QSize StatusBarPanels::sizeHint() const
{
    int total = 0;
    for (int w : m_widths)
        total += w;
    return {total, minimumSizeHint().height()};
}

QSize StatusBarPanels::minimumSizeHint() const
{
    // one line of text in a sunken frame, whether or not a panel holds text yet
    return {0, fontMetrics().height() + 2 * m_panels[0]->frameWidth() + 2};
}

} // namespace vh::gui
