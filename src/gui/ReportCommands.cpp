#include "gui/ReportCommands.h"

#include "app/AppCore.h"

#include <QMessageBox>
#include <QWidget>

namespace vh::gui {

ReportCommands::ReportCommands(QWidget* parent, app::AppCore& core) : QObject(parent), m_window(parent), m_core(core)
{
    connect(&m_core.aasaReport(), &report::AasaReport::warnResponsibility, this,
            [this](const QString& title, const QString& text) {
                QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, m_window);
                box.setObjectName(QStringLiteral("ReportWarning"));
                box.exec();
            });
}

void ReportCommands::createReport(int entryIndex)
{
    m_core.aasaReport().MnuCreateAASAreport(entryIndex);
}

void ReportCommands::uploadToAci(int entryIndex)
{
    m_core.aciUpload().uploadEntry(entryIndex);
}

void ReportCommands::showHtmlForServer(int serverIndex)
{
    const servers::ServerList& list = m_core.serverDiscovery().servers();
    if (serverIndex < 0 || serverIndex >= list.ServerCount() || list.at(serverIndex).PageURL.isEmpty())
        return;
    m_core.browser().StartNewBrowser(list.at(serverIndex).PageURL);
}

} // namespace vh::gui
