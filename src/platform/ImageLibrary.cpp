#include "platform/ImageLibrary.h"

#ifdef Q_OS_WIN
#include <QDir>
#include <QProcess>
#include <QSettings>
#endif

namespace vh::platform {

bool registerImageLibrary(const QString& baseFolder)
{
#ifdef Q_OS_WIN
    const QString dll = QDir::toNativeSeparators(baseFolder + QStringLiteral("/paintx.dll"));
    const QSettings key(QStringLiteral("HKEY_CLASSES_ROOT\\CLSID\\{B69FE5D3-9F53-11D2-B13F-444553540000}"
                                       "\\InProcServer32"),
                        QSettings::NativeFormat);
    if (key.value(QStringLiteral("Default")).toString().toLower() == dll.toLower())
        return false;
    QProcess::execute(QStringLiteral("regsvr32"), {QStringLiteral("/s"), dll});
    return true;
#else
    Q_UNUSED(baseFolder);
    return false;
#endif
}

} // namespace vh::platform
