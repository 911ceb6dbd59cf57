#pragma once

#include <QString>

// What an image export tells its caller: a message to show (empty on
// success) and, when writing a page failed, which page it was.
struct CImageExportResult
{
    QString mMessage;
    // 0-based page whose file could not be written; -1 when no page write failed.
    int mFailedPage = -1;
    // Pages written before the export ended.
    int mPagesWritten = 0;

    bool Succeeded() const { return mMessage.isEmpty(); }
};
