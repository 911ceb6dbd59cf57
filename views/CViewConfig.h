#pragma once

#include "views/CMarkerData.h"
#include "views/Group2D.h"
#include "views/IPrinterGraphics.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

class CBinaryStream;
class IProjectFiles;

class CFileData;
class CPreferences;
class DrawView;
class IPopupMenu;
class ProjectWdw;
class QObject;
class QPainter;

// A view: the definition of one map of a project's data and the owner of the
// vector image built from it. It holds entries (a data file, one class of it,
// the legend text, where it is drawn and in which colour) in six parallel
// vectors, plus title, legend title, genome length and print settings.
// The circular and linear maps derive from it and replace operations by name.
//
// Data files are the project's; a view refers to them without owning them.
class CViewConfig
{
public:
    explicit CViewConfig(const QString& name = QString());
    virtual ~CViewConfig();

    CViewConfig(const CViewConfig&) = delete;
    CViewConfig& operator=(const CViewConfig&) = delete;

    // The application's preferences store, where print settings are kept.
    // Views made while none is set start with the platform's default setup.
    static void SetPreferences(CPreferences* preferences);
    static CPreferences* Preferences();

    // Window and wizard operations. The windows layer provides them; the base
    // class only keeps track of the open window.
    virtual DrawView* Open(ProjectWdw* window);
    virtual QString Edit(ProjectWdw* window);
    // The "view" block of the project file: entries (by file number),
    // titles, flags, genome length and print settings. Restoring resolves
    // the file numbers in the project and drops entries whose file is not
    // there. Messages: empty, or "WriteError"/"ReadError", NUL,
    // "ViewConfig." and the failing step.
    virtual QString Save(CBinaryStream& io);

    int Count() const;
    CFileData* File(int index) const;
    virtual void SetName(const QString& name);
    virtual QString Name() const;
    virtual void SetLegendTitle(const QString& title);
    virtual QString LegendTitle() const;
    virtual void SetDrawTitle(bool draw);
    virtual bool DrawTitle() const;
    virtual bool DrawLegendTitle() const;
    virtual void SetGenomeLength(int32_t length);
    virtual int32_t GenomeLength() const;
    virtual int32_t MaximumLocate() const;
    virtual int32_t LengthUnit() const;
    virtual QString ClassName(int index) const;
    virtual QString LegendName(int index) const;
    virtual int32_t Placement(int index) const;
    virtual void Add(CFileData* file, const QString& className, const QString& legendName, int32_t placement,
                     RgbColor color);
    virtual void SetDrawLegendTitle(bool draw);
    virtual void Set(int index, CFileData* file, const QString& className, const QString& legendName,
                     int32_t placement, RgbColor color);
    virtual void Remove(int index);
    virtual void Copy(const CViewConfig& other);
    std::unique_ptr<CViewConfig> Clone() const;
    virtual bool IsEqual(const CViewConfig& other) const;
    // Entries of the file's number take the new object (after the project replaced an edited file).
    virtual void UpdateFile(CFileData* file);
    virtual void SetDrawColor(int index, RgbColor color);
    virtual RgbColor DrawColor(int index) const;
    virtual QString NewView(ProjectWdw* window);
    virtual std::unique_ptr<CViewConfig> NewConfig() const;
    virtual void SetView(DrawView* view);
    virtual DrawView* View() const;

    virtual QString PlacementName(int index) const;
    virtual int PlacementTypeCount() const;
    virtual QString PlacementTypeStr(int placement) const;
    virtual void SetupPlacementPopup(IPopupMenu& popup) const;
    virtual int32_t DefaultPlacement() const;

    // One marker per data row of each entry that matches its class and lies
    // within the genome length, entry by entry in row order.
    virtual void PickUpMarkerData(std::vector<CMarkerData>& markers) const;
    // Whether the map draws marker names. When it does not, markers are picked
    // up without them: a string per row costs a large map time and memory
    // for text it never shows.
    virtual bool NeedsMarkerNames() const;
    virtual void MakeViewImage();
    // Why no map can be built from these settings (a file may hold values no
    // wizard accepts): the wizard's message, or empty when the map can be
    // built. Building such a view gives an empty picture.
    virtual QString SettingsProblem() const;
    // Draws the image with its origin at (x, y); nothing while it is empty.
    virtual void DrawImage(QPainter& painter, int x, int y);
    virtual int ViewWidth() const;
    virtual int ViewHeight() const;
    virtual Group2DRef GetImage(int page) const;
    virtual void Close();

    virtual int PageCount() const;
    virtual void SetPageWidth(int32_t width);
    virtual void SetPageHeight(int32_t height);
    virtual int32_t PageWidth() const;
    virtual int32_t PageHeight() const;
    virtual int32_t PageLeft(int page) const;
    virtual int32_t PageTop(int page) const;
    // Runs the page set-up; a changed setting is kept here and in the preferences.
    virtual void PrintPageSetup(QObject* window);
    // Runs the print dialog; null when the user cancelled.
    virtual std::unique_ptr<IPrinterGraphics> OpenPrinter(QObject* window);

    virtual void MakePreviewImage();
    virtual void DrawPreviewImage(QPainter& painter, int x, int y);
    virtual QString Restore(CBinaryStream& io, const IProjectFiles& project);

    virtual bool SummaryViewAvailable() const;
    virtual void SetSummaryView(bool summary);
    virtual bool SummaryView() const;

    // The markers and image of the last build, and the last preview.
    const std::vector<CMarkerData>& Markers() const { return mMarker; }
    Group2DRef Image() const { return mGroup2D; }
    Group2DRef Preview() const { return mPreview; }
    QByteArray PrinterSetting() const { return mPrinterSettting; }
    QString PrinterSettingKey() const { return mPref_PrinterSetting; }

    static const char* const kProgramError;       // "Program error occured"
    static const char* const kUserCanceled;       // "User canceled error"

protected:
    // Kinds of view name their preference key for print settings before the
    // common construction runs; an empty key is the shared one.
    CViewConfig(const QString& name, const QString& printerSettingKey);

    std::vector<CFileData*> mFile;
    std::vector<int32_t> mFileNumber;
    std::vector<QString> mClass;
    std::vector<QString> mLegendName;
    std::vector<int32_t> mPlacement;
    QString mTitle;
    bool mDrawTitle = true;
    QString mLegendTitle;
    bool mDrawLegendTitle = true;
    int32_t mGenomeLength = -1;
    int32_t mMaximumLocate = -1;
    int32_t mLengthUnit = 1;
    std::vector<RgbColor> mColor;
    DrawView* mView = nullptr;
    std::vector<CMarkerData> mMarker;
    Group2DRef mGroup2D;
    int32_t mPageWidth = 0;
    int32_t mPageHeight = 0;
    QByteArray mPrinterSettting;
    Group2DRef mPreview;
    CPreferences* mPreferences = nullptr;
    QString mPref_PrinterSetting;
    bool mSummaryView = false;

private:
    void Construct(const QString& name);
    void TakePrinterSettings();
    void RecomputeFileSummary();
    // Keeps a changed setup string here and in the preferences.
    void AdoptPrinterSetup(const class CPrinterSetup& setup);
};
