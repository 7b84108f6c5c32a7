#pragma once

#include <QString>

namespace vh::base {

// A synchronous fetch of one address into one file, with the caption the download status shows meanwhile.
// The banlist update fetches its lists through it without knowing the download pool that does the work.
class FileFetcher
{
public:
    virtual ~FileFetcher() = default;

    // Returns when the transfer has ended, also when it failed; a failed fetch leaves no file or a partial one.
    virtual void FetchToFile(const QString& url, const QString& file) = 0;
    // The download status caption; an empty text clears it.
    virtual void setStatusText(const QString& text) = 0;

protected:
    FileFetcher() = default;
    FileFetcher(const FileFetcher&) = default;
    FileFetcher& operator=(const FileFetcher&) = default;
};

} // namespace vh::base
