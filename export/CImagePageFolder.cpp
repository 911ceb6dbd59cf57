#include "export/CImagePageFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

CImagePageFolder::CImagePageFolder() = default;
CImagePageFolder::~CImagePageFolder() = default;

bool CImagePageFolder::IsPageFileName(const QString& name)
{
    // We write "P" in capitals; extensions are matched in any case.
    static const QRegularExpression pattern(QStringLiteral("^P[0-9]{3,}\\.(?i:png|pct|pict|pic|svg|pdf)$"));
    return pattern.match(name).hasMatch();
}

QString CImagePageFolder::Prepare(const QString& path)
{
    mPath = QFileInfo(path).absoluteFilePath();
    const QFileInfo info(mPath);
    if (info.isDir() && !info.isSymLink()) {
        const QFileInfoList entries =
            QDir(mPath).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        for (const QFileInfo& entry : entries) {
            if (!IsPageFileName(entry.fileName())) {
                return QStringLiteral("The folder \"%1\" holds files other than earlier image pages. "
                                      "Choose an empty folder or a new name.")
                    .arg(mPath);
            }
            mEarlierPages.append(entry.fileName());
        }
        mWorkingPath = mPath;
        return {};
    }
    if (info.exists() || info.isSymLink()) {
        // A file of that name is replaced only once the pages are all written.
        mTemporary = std::make_unique<QTemporaryDir>(info.absolutePath() + "/." + info.fileName() + "-XXXXXX");
        if (!mTemporary->isValid())
            return QStringLiteral("Could not create a folder beside \"%1\".").arg(mPath);
        mWorkingPath = mTemporary->path();
        return {};
    }
    if (!QDir().mkdir(mPath))
        return QStringLiteral("Could not create the folder \"%1\".").arg(mPath);
    mWorkingPath = mPath;
    return {};
}

QString CImagePageFolder::PagePath(const QString& fileName) const
{
    Q_ASSERT(!mWorkingPath.isEmpty());
    return mWorkingPath + '/' + fileName;
}

QString CImagePageFolder::Commit(const QStringList& writtenNames)
{
    if (mTemporary) {
        // Set the old item aside, move the pages in, and only then let the old item go.
        const QFileInfo info(mPath);
        const QString setAside = info.absolutePath() + "/." + info.fileName() + ".replaced";
        QFile::remove(setAside);
        if (!QFile::rename(mPath, setAside))
            return QStringLiteral("Could not replace \"%1\" by the images folder.").arg(mPath);
        if (!QDir().rename(mTemporary->path(), mPath)) {
            QFile::rename(setAside, mPath);
            return QStringLiteral("Could not replace \"%1\" by the images folder.").arg(mPath);
        }
        mTemporary->setAutoRemove(false);
        mTemporary.reset();
        QFile::remove(setAside);
        return {};
    }
    // Pages of a longer earlier export would otherwise pass for pages of this one.
    for (const QString& name : std::as_const(mEarlierPages)) {
        if (!writtenNames.contains(name))
            QFile::remove(PagePath(name));
    }
    return {};
}

void CImagePageFolder::Abandon()
{
    mTemporary.reset();
}
