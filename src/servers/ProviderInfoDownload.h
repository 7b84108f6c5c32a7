#pragma once

#include "base/Checked.h"

#include <QString>

class QNetworkAccessManager;

namespace vh::servers {

struct DownloadLimits
{
    int timeoutMs = 30000;
    qint64 maxBytes = 1024 * 1024;
    int maxRedirects = 5;
};

// Fetches an http(s) address into a file, waiting while pending events run. The file is replaced only when
// the whole answer arrived with a success status, within the time and size limits. Returns the reason of a
// failure, nothing on success.
base::Problems fetchToFileWaiting(QNetworkAccessManager& network, const QString& url, const QString& path,
                                  const DownloadLimits& limits);

} // namespace vh::servers
