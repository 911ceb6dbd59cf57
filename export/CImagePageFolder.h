#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class QTemporaryDir;

// The folder that receives the pages of a map of several pages. It never
// deletes anything of the user's: an existing folder is used only when it is
// empty or holds nothing but pages of an earlier export (P001.png and the
// like), and an existing file of the folder's name is replaced only after
// every page has been written, into a temporary folder beside it.
class CImagePageFolder
{
public:
    CImagePageFolder();
    ~CImagePageFolder();
    CImagePageFolder(const CImagePageFolder&) = delete;
    CImagePageFolder& operator=(const CImagePageFolder&) = delete;

    // Makes the folder ready; returns a message when it cannot be used.
    QString Prepare(const QString& path);

    // Where to write the page file of that name.
    QString PagePath(const QString& fileName) const;

    // After every page has been written: moves a temporary folder into place
    // and removes earlier pages that this export did not write again.
    // Returns a message when the folder could not be put in place.
    QString Commit(const QStringList& writtenNames);

    // After a failed page: pages written into the folder stay, a temporary
    // folder is removed (the file it was to replace stays).
    void Abandon();

    // Whether a name is one this export gives its page files ("P" and at
    // least three digits, then an image extension).
    static bool IsPageFileName(const QString& name);

private:
    QString mPath;
    QString mWorkingPath;
    std::unique_ptr<QTemporaryDir> mTemporary;
    QStringList mEarlierPages;
};
