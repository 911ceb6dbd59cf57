#include "views/CViewConfig.h"

#include "core/CFileData.h"
#include "core/CTable.h"
#include "core/MTextFile.h"
#include "storage/CPreferences.h"
#include "views/CPrinterSetup.h"
#include "views/CSceneRenderer.h"
#include "views/IPopupMenu.h"
#include "views/MViewRules.h"

#include <QPainter>
#include <QtGlobal>

#include <algorithm>
#include <limits>
#include "storage/CBinaryFileTool.h"
#include "storage/CBinaryStream.h"
#include "storage/MColorExt.h"
#include "storage/MTextFileCodec.h"
#include "views/IProjectFiles.h"

const char* const CViewConfig::kProgramError = "Program error occured";
const char* const CViewConfig::kUserCanceled = "User canceled error";

namespace {

CPreferences* gPreferences = nullptr;

int32_t ClampedTo32Bits(qint64 value)
{
    return static_cast<int32_t>(std::clamp<qint64>(value, std::numeric_limits<int32_t>::min(),
                                                   std::numeric_limits<int32_t>::max()));
}

// value * factor without leaving the 64-bit range.
qint64 SaturatingProduct(qint64 value, qint64 factor)
{
    if (factor == 1)
        return value;
    if (value > std::numeric_limits<qint64>::max() / factor)
        return std::numeric_limits<qint64>::max();
    if (value < std::numeric_limits<qint64>::min() / factor)
        return std::numeric_limits<qint64>::min();
    return value * factor;
}

int32_t DirectionOf(QByteArrayView cell)
{
    if (cell == "0" || cell == "+")
        return 0;
    if (cell == "1" || cell == "-")
        return 1;
    return -1;
}

bool SameText(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

}  // namespace

CViewConfig::CViewConfig(const QString& name) : CViewConfig(name, QString())
{
}

CViewConfig::CViewConfig(const QString& name, const QString& printerSettingKey)
    : mPref_PrinterSetting(printerSettingKey)
{
    Construct(name);
}

CViewConfig::~CViewConfig() = default;

void CViewConfig::Construct(const QString& name)
{
    mView = nullptr;
    mTitle = name;
    mDrawTitle = true;
    mDrawLegendTitle = true;
    mLegendTitle = QStringLiteral("Legend");
    mLengthUnit = 1;
    mFile.clear();
    mFileNumber.clear();
    mClass.clear();
    mLegendName.clear();
    mPlacement.clear();
    mColor.clear();
    mGenomeLength = -1;
    mMaximumLocate = -1;
    TakePrinterSettings();
    mSummaryView = false;
}

void CViewConfig::TakePrinterSettings()
{
    mPreferences = gPreferences;
    if (mPref_PrinterSetting.isEmpty())
        mPref_PrinterSetting = QString::fromLatin1(CPreferences::kViewPrinterSetting);

    std::unique_ptr<CPrinterSetup> setup = CPrinterSetup::Create();
    if (mPreferences) {
        const QString shared = QString::fromLatin1(CPreferences::kViewPrinterSetting);
        if (mPreferences->HasKey(mPref_PrinterSetting))
            setup->SetSetupString(mPreferences->BinaryString(mPref_PrinterSetting));
        else if (mPreferences->HasKey(shared))
            setup->SetSetupString(mPreferences->BinaryString(shared));
    }
    setup->SetMaximumResolution(-1, -1);
    mPageWidth = setup->PageWidth();
    mPageHeight = setup->PageHeight();
    mPrinterSettting = setup->SetupString();
    // No usable page size: an upright page, which is all the paging needs.
    if (mPageWidth < 1 || mPageHeight < 1) {
        mPageWidth = 2;
        mPageHeight = 3;
    }
}

void CViewConfig::SetPreferences(CPreferences* preferences)
{
    gPreferences = preferences;
}

CPreferences* CViewConfig::Preferences()
{
    return gPreferences;
}

DrawView* CViewConfig::Open(ProjectWdw*)
{
    return mView;
}

QString CViewConfig::Edit(ProjectWdw*)
{
    return QString::fromLatin1(kProgramError);
}

int CViewConfig::Count() const
{
    return static_cast<int>(mFile.size());
}

CFileData* CViewConfig::File(int index) const
{
    return mFile.at(size_t(index));
}

void CViewConfig::SetName(const QString& name)
{
    mTitle = name;
}

QString CViewConfig::Name() const
{
    return mTitle;
}

void CViewConfig::SetLegendTitle(const QString& title)
{
    mLegendTitle = title;
}

QString CViewConfig::LegendTitle() const
{
    return mLegendTitle;
}

void CViewConfig::SetDrawTitle(bool draw)
{
    mDrawTitle = draw;
}

bool CViewConfig::DrawTitle() const
{
    return mDrawTitle;
}

bool CViewConfig::DrawLegendTitle() const
{
    return mDrawLegendTitle;
}

void CViewConfig::SetGenomeLength(int32_t length)
{
    mGenomeLength = length;
}

int32_t CViewConfig::GenomeLength() const
{
    return mGenomeLength;
}

int32_t CViewConfig::MaximumLocate() const
{
    return mMaximumLocate;
}

int32_t CViewConfig::LengthUnit() const
{
    return mLengthUnit;
}

QString CViewConfig::ClassName(int index) const
{
    return mClass.at(size_t(index));
}

QString CViewConfig::LegendName(int index) const
{
    return mLegendName.at(size_t(index));
}

int32_t CViewConfig::Placement(int index) const
{
    return mPlacement.at(size_t(index));
}

void CViewConfig::Add(CFileData* file, const QString& className, const QString& legendName, int32_t placement,
                      RgbColor color)
{
    Q_ASSERT(file);
    mFile.push_back(file);
    mFileNumber.push_back(file->FileNumber());
    mClass.push_back(className);
    mLegendName.push_back(legendName);
    mPlacement.push_back(placement);
    mColor.push_back(color);
    if (mLengthUnit == 1 && file->Unit() == CFileData::kUnitBp)
        mLengthUnit = 0;
    const int32_t fileMaximum = ClampedTo32Bits(file->MaximumLocate());
    if (mMaximumLocate < fileMaximum)
        mMaximumLocate = fileMaximum;
}

void CViewConfig::SetDrawLegendTitle(bool draw)
{
    mDrawLegendTitle = draw;
}

void CViewConfig::Set(int index, CFileData* file, const QString& className, const QString& legendName,
                      int32_t placement, RgbColor color)
{
    Q_ASSERT(file);
    const size_t i = size_t(index);
    if (mFile.at(i) != file) {
        mFile[i] = file;
        mFileNumber[i] = file->FileNumber();
        RecomputeFileSummary();
    }
    mClass[i] = className;
    mLegendName[i] = legendName;
    mPlacement[i] = placement;
    mColor[i] = color;
}

void CViewConfig::RecomputeFileSummary()
{
    mMaximumLocate = 0;
    mLengthUnit = 1;
    for (const CFileData* file : mFile) {
        mMaximumLocate = std::max(mMaximumLocate, ClampedTo32Bits(file->MaximumLocate()));
        if (file->Unit() == CFileData::kUnitBp)
            mLengthUnit = 0;
    }
}

void CViewConfig::Remove(int index)
{
    const auto at = [index](auto& vector) { vector.erase(vector.begin() + index); };
    Q_ASSERT(index >= 0 && index < Count());
    at(mFile);
    at(mFileNumber);
    at(mClass);
    at(mLegendName);
    at(mPlacement);
    at(mColor);
}

void CViewConfig::Copy(const CViewConfig& other)
{
    if (&other == this)
        return;
    mFile = other.mFile;
    mFileNumber = other.mFileNumber;
    mClass = other.mClass;
    mLegendName = other.mLegendName;
    mPlacement = other.mPlacement;
    mColor = other.mColor;
    mTitle = other.mTitle;
    mDrawTitle = other.mDrawTitle;
    mLegendTitle = other.mLegendTitle;
    mDrawLegendTitle = other.mDrawLegendTitle;
    mGenomeLength = other.mGenomeLength;
    mLengthUnit = other.mLengthUnit;
    mMaximumLocate = other.mMaximumLocate;
}

std::unique_ptr<CViewConfig> CViewConfig::Clone() const
{
    std::unique_ptr<CViewConfig> copy = NewConfig();
    copy->Copy(*this);
    return copy;
}

bool CViewConfig::IsEqual(const CViewConfig& other) const
{
    if (Count() != other.Count() || !SameText(mTitle, other.mTitle) || mDrawTitle != other.mDrawTitle
        || !SameText(mLegendTitle, other.mLegendTitle) || mDrawLegendTitle != other.mDrawLegendTitle
        || mGenomeLength != other.mGenomeLength)
        return false;
    for (size_t i = 0; i < mFile.size(); ++i) {
        if (mFileNumber[i] != other.mFileNumber[i] || !SameText(mClass[i], other.mClass[i])
            || !SameText(mLegendName[i], other.mLegendName[i]) || mPlacement[i] != other.mPlacement[i])
            return false;
    }
    return true;
}

void CViewConfig::UpdateFile(CFileData* file)
{
    Q_ASSERT(file);
    for (size_t i = 0; i < mFile.size(); ++i) {
        if (mFileNumber[i] == file->FileNumber())
            mFile[i] = file;
    }
}

void CViewConfig::SetDrawColor(int index, RgbColor color)
{
    mColor.at(size_t(index)) = color & 0xFFFFFFu;
}

RgbColor CViewConfig::DrawColor(int index) const
{
    return mColor.at(size_t(index));
}

QString CViewConfig::NewView(ProjectWdw*)
{
    return QString::fromLatin1(kProgramError);
}

std::unique_ptr<CViewConfig> CViewConfig::NewConfig() const
{
    return std::make_unique<CViewConfig>(QString());
}

void CViewConfig::SetView(DrawView* view)
{
    mView = view;
}

DrawView* CViewConfig::View() const
{
    return mView;
}

QString CViewConfig::PlacementName(int index) const
{
    const int32_t placement = mPlacement.at(size_t(index));
    if (placement < PlacementTypeCount())
        return PlacementTypeStr(placement);
    return QString();
}

int CViewConfig::PlacementTypeCount() const
{
    return 0;
}

QString CViewConfig::PlacementTypeStr(int) const
{
    return QString();
}

void CViewConfig::SetupPlacementPopup(IPopupMenu& popup) const
{
    popup.DeleteAllRows();
    const int count = PlacementTypeCount();
    for (int p = 0; p < count; ++p)
        popup.AddRow(PlacementTypeStr(p));
    popup.SetListIndex(DefaultPlacement());
}

int32_t CViewConfig::DefaultPlacement() const
{
    return 0;
}

void CViewConfig::PickUpMarkerData(std::vector<CMarkerData>& markers) const
{
    markers.clear();
    // Room for every row of the entries' classes (counted without letter case,
    // so never too few): a large map then fills one block instead of growing.
    size_t rowsOfClasses = 0;
    for (size_t entry = 0; entry < mFile.size(); ++entry) {
        if (mFile[entry])
            rowsOfClasses += size_t(std::max(0, mFile[entry]->CountSpecifiedClass(mClass[entry])));
    }
    markers.reserve(rowsOfClasses);
    const qint64 genomeLength = mGenomeLength;
    for (size_t entry = 0; entry < mFile.size(); ++entry) {
        const CFileData* file = mFile[entry];
        const CTable* table = file ? file->Table() : nullptr;
        if (!table)
            continue;
        const int classColumn = file->Config(CFileData::kRoleClass);
        const int startColumn = file->Config(CFileData::kRoleStart);
        const int endColumn = file->Config(CFileData::kRoleEnd);
        const int nameColumn = file->Config(CFileData::kRoleName);
        const int directionColumn = file->Config(CFileData::kRoleDirection);
        const int columns = table->ColumnCount();
        const auto usable = [columns](int column) { return column >= 0 && column < columns; };
        // Without its required columns a file has no markers.
        if (!usable(classColumn) || !usable(startColumn) || !usable(endColumn))
            continue;
        const bool hasName = usable(nameColumn) && NeedsMarkerNames();
        const bool hasDirection = usable(directionColumn);
        // Locations of a kbp file are brought to bp, the unit of the genome length.
        const qint64 factor = file->Unit() == CFileData::kUnitKbp ? 1000 : 1;
        const QByteArray wantedClass = mClass[entry].toUtf8();
        const int32_t placement = mPlacement[entry];
        const RgbColor color = mColor[entry];

        const int firstRow = file->FirstDataRow();
        const int lastRow = table->RowCount();
        for (int row = firstRow; row < lastRow; ++row) {
            const CTableRecord& record = table->Row(row);
            if (record.ItemUtf8(classColumn) != QByteArrayView(wantedClass))
                continue;
            const qint64 start = SaturatingProduct(MTextFile::LeadingInteger(record.ItemUtf8(startColumn)), factor);
            const qint64 end = SaturatingProduct(MTextFile::LeadingInteger(record.ItemUtf8(endColumn)), factor);
            if (start > genomeLength || end > genomeLength)
                continue;
            CMarkerData& marker = markers.emplace_back();
            marker.Placement = placement;
            marker.DrawColor = color;
            marker.StartLocation = ClampedTo32Bits(start);
            marker.EndLocation = ClampedTo32Bits(end);
            if (hasName)
                marker.Name = QString::fromUtf8(record.ItemUtf8(nameColumn));
            if (hasDirection)
                marker.Direction = DirectionOf(record.ItemUtf8(directionColumn));
        }
    }
}

bool CViewConfig::NeedsMarkerNames() const
{
    return true;
}

void CViewConfig::MakeViewImage()
{
    mGroup2D = std::make_shared<Group2D>();
    PickUpMarkerData(mMarker);
}

QString CViewConfig::SettingsProblem() const
{
    if (mGenomeLength < 1)
        return QString::fromUtf8(MViewRules::kGenomeLengthInvalid);
    return QString();
}

void CViewConfig::DrawImage(QPainter& painter, int x, int y)
{
    // The one scene renderer serves every output; there is no older renderer to switch to.
    if (mGroup2D && mGroup2D->Count() > 0)
        CSceneRenderer::DrawObject(painter, *mGroup2D, x, y);
}

int CViewConfig::ViewWidth() const
{
    return 0;
}

int CViewConfig::ViewHeight() const
{
    return 0;
}

Group2DRef CViewConfig::GetImage(int) const
{
    return mGroup2D;
}

void CViewConfig::Close()
{
}

int CViewConfig::PageCount() const
{
    return 1;
}

void CViewConfig::SetPageWidth(int32_t width)
{
    mPageWidth = width;
}

void CViewConfig::SetPageHeight(int32_t height)
{
    mPageHeight = height;
}

int32_t CViewConfig::PageWidth() const
{
    return ViewWidth();
}

int32_t CViewConfig::PageHeight() const
{
    return ViewHeight();
}

int32_t CViewConfig::PageLeft(int) const
{
    return 0;
}

int32_t CViewConfig::PageTop(int) const
{
    return 0;
}

void CViewConfig::AdoptPrinterSetup(const CPrinterSetup& setup)
{
    const QByteArray settings = setup.SetupString();
    if (settings == mPrinterSettting)
        return;
    mPrinterSettting = settings;
    SetPageWidth(setup.PageWidth());
    SetPageHeight(setup.PageHeight());
    if (mPreferences) {
        mPreferences->SetBinaryString(mPref_PrinterSetting, settings);
        mPreferences->SetBinaryString(QString::fromLatin1(CPreferences::kViewPrinterSetting), settings);
    }
}

void CViewConfig::PrintPageSetup(QObject* window)
{
    std::unique_ptr<CPrinterSetup> setup = CPrinterSetup::Create();
    setup->SetSetupString(mPrinterSettting);
    setup->SetMaximumResolution(-1, -1);
    if (setup->RunPageSetupDialog(window))
        AdoptPrinterSetup(*setup);
}

std::unique_ptr<IPrinterGraphics> CViewConfig::OpenPrinter(QObject* window)
{
    std::unique_ptr<CPrinterSetup> setup = CPrinterSetup::Create();
    setup->SetSetupString(mPrinterSettting);
    setup->SetMaximumResolution(-1, -1);
    std::unique_ptr<IPrinterGraphics> printer = setup->RunPrintDialog(window);
    if (printer)
        AdoptPrinterSetup(*setup);
    return printer;
}

void CViewConfig::MakePreviewImage()
{
    mPreview = std::make_shared<Group2D>();
}

void CViewConfig::DrawPreviewImage(QPainter& painter, int x, int y)
{
    MakePreviewImage();
    if (mPreview && mPreview->Count() > 0)
        CSceneRenderer::DrawObject(painter, *mPreview, x, y);
}

bool CViewConfig::SummaryViewAvailable() const
{
    return false;
}

void CViewConfig::SetSummaryView(bool summary)
{
    if (summary == mSummaryView)
        return;
    mSummaryView = summary;
    MakeViewImage();
}

bool CViewConfig::SummaryView() const
{
    return mSummaryView;
}

namespace {

const QString kViewTag = QStringLiteral("view");
// The least a stored entry takes: two empty strings, colour, file number
// and placement.
constexpr qint64 kSmallestStoredEntry = 5 * 4;

QString ViewWriteError(const char* step)
{
    return CBinaryFileTool::WriteErrorMessage(QStringLiteral("ViewConfig.") + QLatin1String(step));
}

QString ViewReadError(const char* step)
{
    return CBinaryFileTool::ReadErrorMessage(QStringLiteral("ViewConfig.") + QLatin1String(step));
}

}  // namespace

QString CViewConfig::Save(CBinaryStream& io)
{
    CBinaryFileTool tool(io, CBinaryFileTool::WriteMode);
    if (!tool.BeginBlock(kViewTag))
        return ViewWriteError("00");
    io.WriteInt32(0);  // reserved
    io.WriteInt32(Count());
    if (io.Error())
        return ViewWriteError("11");
    for (size_t i = 0; i < mFile.size(); ++i) {
        MTextFile::WriteUTF8(mClass[i], io);
        if (io.Error())
            return ViewWriteError("12");
        MColorExt::Write(mColor[i], io);
        if (io.Error())
            return ViewWriteError("13");
        io.WriteInt32(mFileNumber[i]);
        if (io.Error())
            return ViewWriteError("14");
        MTextFile::WriteUTF8(mLegendName[i], io);
        if (io.Error())
            return ViewWriteError("15");
        io.WriteInt32(mPlacement[i]);
        if (io.Error())
            return ViewWriteError("16");
    }
    io.WriteBoolean(mDrawLegendTitle);
    if (io.Error())
        return ViewWriteError("21");
    io.WriteBoolean(mDrawTitle);
    if (io.Error())
        return ViewWriteError("22");
    io.WriteInt32(mGenomeLength);
    if (io.Error())
        return ViewWriteError("23");
    MTextFile::WriteUTF8(mLegendTitle, io);
    if (io.Error())
        return ViewWriteError("24");
    io.WriteInt32(mLengthUnit);
    if (io.Error())
        return ViewWriteError("25");
    io.WriteInt32(CViewConfig::MaximumLocate());
    if (io.Error())
        return ViewWriteError("26");
    io.WriteInt32(mPageHeight);
    if (io.Error())
        return ViewWriteError("27");
    io.WriteInt32(mPageWidth);
    if (io.Error())
        return ViewWriteError("28");
    MTextFile::WriteBinary(mPrinterSettting, io);
    if (io.Error())
        return ViewWriteError("29");
    MTextFile::WriteUTF8(mTitle, io);
    if (io.Error())
        return ViewWriteError("2A");
    if (tool.EndBlock() < 0)
        return ViewWriteError("99");
    return QString();
}

QString CViewConfig::Restore(CBinaryStream& io, const IProjectFiles& project)
{
    CBinaryFileTool tool(io, CBinaryFileTool::ReadMode);
    if (!tool.BeginBlock(kViewTag))
        return ViewReadError("00");
    io.ReadInt32();  // reserved

    // What was built from the old state is rebuilt when the view opens.
    mGroup2D.reset();
    mPreview.reset();
    mMarker.clear();
    if (mView)
        Close();
    mView = nullptr;

    const qint32 count = io.ReadInt32();
    if (io.Error() || !io.FitsInBytesLeft(count, kSmallestStoredEntry))
        return ViewReadError("11");
    mFile.assign(size_t(count), nullptr);
    mFileNumber.assign(size_t(count), 0);
    mClass.assign(size_t(count), QString());
    mLegendName.assign(size_t(count), QString());
    mPlacement.assign(size_t(count), 0);
    mColor.assign(size_t(count), 0);
    for (size_t i = 0; i < size_t(count); ++i) {
        mClass[i] = MTextFile::ReadUTF8(io);
        if (io.Error())
            return ViewReadError("12");
        quint32 color = 0;
        MColorExt::Read(color, io);
        if (io.Error())
            return ViewReadError("13");
        mColor[i] = color & 0xFFFFFFu;
        mFileNumber[i] = io.ReadInt32();
        if (io.Error())
            return ViewReadError("14");
        mFile[i] = project.FileByFileNumber(mFileNumber[i]);
        mLegendName[i] = MTextFile::ReadUTF8(io);
        if (io.Error())
            return ViewReadError("15");
        mPlacement[i] = io.ReadInt32();
        if (io.Error())
            return ViewReadError("16");
    }
    // Only entries whose data file is in the project stay.
    for (size_t i = mFile.size(); i-- > 0;) {
        if (!mFile[i]) {
            mFile.erase(mFile.begin() + qsizetype(i));
            mFileNumber.erase(mFileNumber.begin() + qsizetype(i));
            mClass.erase(mClass.begin() + qsizetype(i));
            mLegendName.erase(mLegendName.begin() + qsizetype(i));
            mPlacement.erase(mPlacement.begin() + qsizetype(i));
            mColor.erase(mColor.begin() + qsizetype(i));
        }
    }

    mDrawLegendTitle = io.ReadBoolean();
    if (io.Error())
        return ViewReadError("21");
    mDrawTitle = io.ReadBoolean();
    if (io.Error())
        return ViewReadError("22");
    mGenomeLength = io.ReadInt32();
    if (io.Error())
        return ViewReadError("23");
    mLegendTitle = MTextFile::ReadUTF8(io);
    if (io.Error())
        return ViewReadError("24");
    mLengthUnit = io.ReadInt32();
    if (io.Error())
        return ViewReadError("25");
    mMaximumLocate = io.ReadInt32();
    if (io.Error())
        return ViewReadError("26");
    mPageHeight = io.ReadInt32();
    if (io.Error())
        return ViewReadError("27");
    mPageWidth = io.ReadInt32();
    if (io.Error())
        return ViewReadError("28");
    // Paging divides by these and scales the map to the page's shape: a page
    // without size, or of a shape no paper has, becomes the upright page
    // views start with when no printer gives one.
    constexpr qint64 kMostPageSides = 100;
    if (mPageWidth < 1 || mPageHeight < 1 || qint64(mPageHeight) > kMostPageSides * mPageWidth
        || qint64(mPageWidth) > kMostPageSides * mPageHeight) {
        mPageWidth = 2;
        mPageHeight = 3;
    }
    mPrinterSettting = MTextFile::ReadBinary(io);
    if (io.Error())
        return ViewReadError("29");
    mTitle = MTextFile::ReadUTF8(io);
    if (io.Error())
        return ViewReadError("2A");
    if (tool.EndBlock() != 0)
        return ViewReadError("99");
    return QString();
}
