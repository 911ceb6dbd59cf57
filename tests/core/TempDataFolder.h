#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// A temporary folder for the data files a test writes.
class TempDataFolder
{
public:
    TempDataFolder() { EXPECT_TRUE(mDir.isValid()); }

    // Writes `bytes` to a file of that name and returns its absolute path.
    QString Write(const QString& name, const QByteArray& bytes) const
    {
        const QString path = Path(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        EXPECT_EQ(file.write(bytes), bytes.size());
        return path;
    }

    QString Path(const QString& name) const { return mDir.filePath(name); }
    QString Folder() const { return mDir.path(); }

private:
    QTemporaryDir mDir;
};
