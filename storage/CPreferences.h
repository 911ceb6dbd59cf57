#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

class QIODevice;

// The application's store of remembered settings: text, integer and
// byte-block values under keys compared without regard to letter case.
// It reads the file "Karyoquill.pref" when created and writes it back when
// destroyed.
//
// The file is a big-endian block file frame tagged "pref" whose content is
//   int32 n, then n entries: key (1-byte length + UTF-8), int32 code,
//   code 1: int32 value; code 0: int32 k + k bytes UTF-8; code 2: int32 k + k bytes.
// Empty texts and byte blocks are written with length 0 and not read back.
class CPreferences
{
public:
    // Value kinds as stored in the file and reported by KeyType.
    enum Kind { TextKind = 0, IntegerKind = 1, ByteBlockKind = 2, OtherKind = 255 };

    // File storage keeps the store in the preferences file; MemoryOnly
    // neither reads nor writes any file (for callers that only want the
    // dictionary, such as tools that feed RestoreFrom).
    enum class Storage { File, MemoryOnly };

    static const char* const kFileName;  // "Karyoquill.pref"
    static const char* const kFrameTag;  // "pref"

    // Keys used by the program.
    static const char* const kAppInitDir;                // text
    static const char* const kProjWdwSaveInitDir;        // text
    static const char* const kCFileInitDir;              // text
    static const char* const kViewSaveInitDir;           // text
    static const char* const kSaveImageFormat;           // integer
    static const char* const kSaveImageFileType;         // text
    static const char* const kViewPrinterSetting;        // byte block
    static const char* const kViewPrinterSettingCircle;  // byte block
    static const char* const kViewPrinterSettingLinear;  // byte block

    // folder: where the file lives; empty means the user's configuration
    // folder (QStandardPaths::GenericConfigLocation). Restores the file.
    explicit CPreferences(const QString& rootName = QString(), const QString& folder = QString(),
                          Storage storage = Storage::File);
    // Saves the file.
    ~CPreferences();

    CPreferences(const CPreferences&) = delete;
    CPreferences& operator=(const CPreferences&) = delete;

    int Count() const { return static_cast<int>(mData.size()); }
    QString Key(int index) const;
    int KeyType(int index) const;
    int KeyType(const QString& key) const;  // OtherKind when absent
    bool HasKey(const QString& key) const;

    // Values are QString (text), int (integer) or QByteArray (byte block).
    void SetValue(int index, const QVariant& value);
    void SetValue(const QString& key, const QVariant& value);
    QVariant Value(int index) const;
    // Callers ask HasKey first; an absent key gives an invalid QVariant.
    QVariant Value(const QString& key) const;

    // A byte string stored as a byte block of its bytes; reading gives the
    // empty array when the value is not a byte block.
    void SetBinaryString(int index, const QByteArray& bytes);
    void SetBinaryString(const QString& key, const QByteArray& bytes);
    QByteArray BinaryString(int index) const;
    QByteArray BinaryString(const QString& key) const;

    // A real number stored as an 8-byte block, least significant byte first.
    void SetDoubleValue(int index, double value);
    void SetDoubleValue(const QString& key, double value);
    double DoubleValue(int index) const;
    double DoubleValue(const QString& key) const;

    static QByteArray ToMemoryBlock(const QByteArray& bytes);
    static QByteArray ToMemoryBlock(double value);
    // The bytes of a byte-block value, else empty.
    static QByteArray ToString(const QVariant& value);
    // The double in the first 8 bytes of a byte-block value of at least 8
    // bytes, else 0.
    static double ToDouble(const QVariant& value);

    // Reads the preferences file; a missing, unreadable or damaged file gives
    // an empty store. Nothing is reported.
    void Restore();
    // Writes the preferences file safely (the old file is replaced only by a
    // complete new one). False when it could not be written.
    bool Save() const;

    // Replaces the dictionary by what a preferences frame on device holds
    // (empty when the frame is damaged; entries before a bad entry are kept).
    void RestoreFrom(QIODevice& device);
    // Writes the frame to device, which must be open for reading and writing.
    bool SaveTo(QIODevice& device) const;

    QString FilePath() const;
    QString RegistryRoot() const { return mRegistryRoot; }

private:
    struct Entry {
        QString key;
        QVariant value;
    };

    static int KindOf(const QVariant& value);
    int IndexOf(const QString& key) const;

    QList<Entry> mData;
    QString mRegistryRoot;
    QString mFolder;
    Storage mStorage;
};
