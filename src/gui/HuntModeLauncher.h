#pragma once

#include <QObject>
#include <QPointer>

class QLineEdit;
class QWidget;

namespace vh::app {
class AppCore;
}

namespace vh::gui {

class frmHuntMode;

// Opens Hunt Mode from the main window: the main window is disabled while Hunt Mode is open and enabled
// again once Hunt Mode has written "huntdone" and closed. Also the main window's "Add GUID to Huntmode".
class HuntModeLauncher final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HuntModeLauncher)

public:
    HuntModeLauncher(app::AppCore& core, QWidget& mainWindow, QLineEdit* completionField, QObject* parent = nullptr);

    // "HuntMode": shows the window without blocking; a second request raises the open one.
    frmHuntMode* open();
    frmHuntMode* window() const;

    // "Add GUID to Huntmode": appends the GUID to data/Pray.dat; failures go to the activity log.
    void addGuid(const QString& guid);

private:
    void finished();

    app::AppCore& m_core;
    QWidget& m_mainWindow;
    QLineEdit* m_completionField;
    QPointer<frmHuntMode> m_window;
};

} // namespace vh::gui
