#pragma once

#include "base/Settings.h"

#include <QWidget>

#include <functional>
#include <map>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QSlider;

namespace vh::app {
class AppCore;
}

namespace vh::gui {

// The Preferences window: one control per stored setting. It reads the settings when it is shown, writes
// them back and saves the file when it closes, and then puts its completion word into the main window.
class frmOptions final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmOptions)

public:
    static const QString CompletionWord;

    // completionField receives "prefdone" on closing; mainWindow is brought to the front then.
    frmOptions(app::AppCore& core, QLineEdit* completionField, QWidget* mainWindow, QWidget* parent = nullptr);

    // The name of the system's default browser, put into Text15 while the own browser is not used; the
    // desktop's handler for .html files unless replaced.
    void setBrowserNameSource(std::function<QString()> source) { m_browserName = std::move(source); }

    // Copies every control into its settings slot and applies the discovery switch to its timer.
    void ReadPreferences();

Q_SIGNALS:
    // The window closed and its completion word is in place; the settings file has been written.
    void finished();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    QCheckBox* addCheck(const QString& name, base::Setting setting, const QString& caption);
    QLineEdit* addText(const QString& name, base::Setting setting);
    void copySettingsIntoControls();
    void wireInterlocks();
    void putDefaultBrowserName();

    app::AppCore& m_core;
    QLineEdit* m_completionField;
    QWidget* m_mainWindow;
    std::function<QString()> m_browserName;
    std::map<base::Setting, QCheckBox*> m_checks;
    std::map<base::Setting, QLineEdit*> m_texts;
    QButtonGroup* m_displayMode = nullptr;
    QSlider* m_threads = nullptr;
    QSlider* m_slideshow = nullptr;
    QLabel* m_threadsLabel = nullptr;
    bool m_closed = false;
};

} // namespace vh::gui
