#include "base/PreferenceRules.h"

namespace vh::base::PreferenceRules {

namespace {
const QString TypeMismatch = QStringLiteral("Type mismatch");
const QString InvalidValue = QStringLiteral("Invalid property value");

QString clamp(const QString& text, double minimum, std::optional<double> maximum)
{
    if (text.trimmed().isEmpty())
        return QString::number(minimum);
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok)
        return text;
    if (value < minimum)
        return QString::number(minimum);
    if (maximum && value > *maximum)
        return QString::number(*maximum);
    return text;
}

std::optional<int> wholeNumber(const QString& slot, QString* error)
{
    bool ok = false;
    const double value = slot.trimmed().toDouble(&ok);
    if (!ok) {
        if (error)
            *error = TypeMismatch;
        return std::nullopt;
    }
    return int(qRound(value));
}
} // namespace

QString validateBanlistInterval(const QString& text)
{
    return clamp(text, 10, 120);
}

QString validatePerServerLimit(const QString& text)
{
    return clamp(text, 10, std::nullopt);
}

QString threadsCaption(int value)
{
    return QStringLiteral("Used treads for downloading Screenshots: ") + QString::number(value) +
           QStringLiteral(" (1 to 40)");
}

std::optional<int> checkStateFromSlot(const QString& slot, QString* error)
{
    const std::optional<int> n = wholeNumber(slot, error);
    if (n && (*n < 0 || *n > 2)) {
        if (error)
            *error = InvalidValue;
        return std::nullopt;
    }
    return n;
}

std::optional<int> sliderValueFromSlot(const QString& slot, int minimum, int maximum, QString* error)
{
    const std::optional<int> n = wholeNumber(slot, error);
    if (n && (*n < minimum || *n > maximum)) {
        if (error)
            *error = InvalidValue;
        return std::nullopt;
    }
    return n;
}

} // namespace vh::base::PreferenceRules
