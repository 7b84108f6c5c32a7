#pragma once

#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class QLineEdit;
class QListWidget;
class QRadioButton;

namespace vh::app {
class AppCore;
}

namespace vh::gui {

// The Provider-Managment window: edits the providers, their index-page paths and IP ranges, and the
// discovery method. The discovery timer rests while it is open; closing it saves and reloads the ranges and
// writes "Providerdone" into the main window's completion field.
class frmProvider final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmProvider)

public:
    // Asks for a text (title, prompt, proposal); nothing when the user cancels.
    using Prompt = std::function<std::optional<QString>(const QString&, const QString&, const QString&)>;

    static inline const QString CompletionWord = QStringLiteral("Providerdone");

    frmProvider(app::AppCore& core, QLineEdit* completionField, QWidget* parent = nullptr);

    // Tests answer the input boxes themselves.
    void setPrompt(Prompt prompt) { m_prompt = std::move(prompt); }

Q_SIGNALS:
    // The window closed, the ranges are saved and reloaded and its completion word is in place.
    void finished();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refreshProviders(int select);
    void refreshRanges(int selectRange);
    void showRange();
    int selectedProvider() const;
    int selectedRange() const;

    void addProvider();
    void editProviderName();
    void editProviderPath();
    void deleteProvider();
    void addRange();
    void deleteRange();
    void applyChange();
    void closeWithMethod();

    app::AppCore& m_core;
    QLineEdit* m_completionField;
    Prompt m_prompt;
    QListWidget* m_providerList = nullptr;
    QListWidget* m_rangeList = nullptr;
    std::array<QLineEdit*, 4> m_from{};
    std::array<QLineEdit*, 4> m_to{};
    std::array<QRadioButton*, 3> m_method{};
    bool m_closed = false;
};

} // namespace vh::gui
