#pragma once

#include "views/IPrinterGraphics.h"

#include <QByteArray>

#include <functional>
#include <memory>

class QObject;

// The platform's printer setup as views need it: an opaque settings string,
// the page size it reports, and the page-setup and print dialogs.
//
// The printing code installs a factory for its own setup with SetFactory.
// Until then (and in tests) Create gives this base setup, which has no
// printer: it keeps the string, reports no page size, so views fall back to
// a 2 by 3 page, and its dialogs confirm nothing.
class CPrinterSetup
{
public:
    using Factory = std::function<std::unique_ptr<CPrinterSetup>()>;

    virtual ~CPrinterSetup() = default;

    static std::unique_ptr<CPrinterSetup> Create();
    // An empty factory restores the base setup.
    static void SetFactory(Factory factory);

    virtual QByteArray SetupString() const { return mSetupString; }
    virtual void SetSetupString(const QByteArray& settings) { mSetupString = settings; }
    // -1 means no cap.
    virtual void SetMaximumResolution(int horizontal, int vertical);
    virtual int PageWidth() const { return 0; }
    virtual int PageHeight() const { return 0; }

    // True when the user confirmed the page set-up.
    virtual bool RunPageSetupDialog(QObject* window);
    // The opened printer, or null when the user cancelled.
    virtual std::unique_ptr<IPrinterGraphics> RunPrintDialog(QObject* window);

private:
    QByteArray mSetupString;
};
