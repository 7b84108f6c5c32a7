#include "gui/HuntModeLauncher.h"

#include "app/AppCore.h"
#include "base/Paths.h"
#include "gui/frmHuntMode.h"
#include "hunt/PreyList.h"

#include <QLineEdit>

namespace vh::gui {

HuntModeLauncher::HuntModeLauncher(app::AppCore& core, QWidget& mainWindow, QLineEdit* completionField, QObject* parent)
    : QObject(parent), m_core(core), m_mainWindow(mainWindow), m_completionField(completionField)
{
}

frmHuntMode* HuntModeLauncher::window() const
{
    // defined here: the conversion needs the complete window class, which the header only declares
    return m_window;
}

frmHuntMode* HuntModeLauncher::open()
{
    if (m_window) {
        m_window->raise();
        return m_window;
    }
    if (m_completionField)
        m_completionField->clear();
    // no parent: a child window would be disabled along with the main window
    m_window = new frmHuntMode(m_core, m_completionField);
    m_window->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_window, &QDialog::finished, this, &HuntModeLauncher::finished);
    m_window->show();
    m_mainWindow.setEnabled(false);
    return m_window;
}

void HuntModeLauncher::finished()
{
    // the window writes its completion word as it closes; without it the main window stays locked
    if (m_completionField && m_completionField->text() != frmHuntMode::CompletionWord)
        return;
    m_mainWindow.setEnabled(true);
    if (m_completionField)
        m_completionField->clear();
}

void HuntModeLauncher::addGuid(const QString& guid)
{
    if (guid.isEmpty())
        return;
    for (const QString& problem : hunt::AddPrayToFile(m_core.path(base::Paths::PreyFile), guid.toLatin1()))
        m_core.Log(QStringLiteral("Problems in Adding Pray, error:") + problem);
}

} // namespace vh::gui
