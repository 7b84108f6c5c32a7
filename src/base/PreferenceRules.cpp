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

Checked<int> wholeNumber(const QString& slot)
{
    bool ok = false;
    const double value = slot.trimmed().toDouble(&ok);
    if (!ok)
        return Checked<int>::failed(TypeMismatch);
    return Checked<int>::good(int(qRound(value)));
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

Checked<int> checkStateFromSlot(const QString& slot)
{
    const Checked<int> n = wholeNumber(slot);
    if (n.ok() && (n.value < 0 || n.value > 2))
        return Checked<int>::failed(InvalidValue);
    return n;
}

Checked<int> sliderValueFromSlot(const QString& slot, int minimum, int maximum)
{
    const Checked<int> n = wholeNumber(slot);
    if (n.ok() && (n.value < minimum || n.value > maximum))
        return Checked<int>::failed(InvalidValue);
    return n;
}

} // namespace vh::base::PreferenceRules
