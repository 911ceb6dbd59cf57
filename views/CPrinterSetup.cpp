#include "views/CPrinterSetup.h"

namespace {

CPrinterSetup::Factory& InstalledFactory()
{
    static CPrinterSetup::Factory factory;
    return factory;
}

}  // namespace

std::unique_ptr<CPrinterSetup> CPrinterSetup::Create()
{
    if (InstalledFactory())
        return InstalledFactory()();
    return std::make_unique<CPrinterSetup>();
}

void CPrinterSetup::SetFactory(Factory factory)
{
    InstalledFactory() = std::move(factory);
}

void CPrinterSetup::SetMaximumResolution(int, int)
{
}

bool CPrinterSetup::RunPageSetupDialog(QObject*)
{
    return false;
}

std::unique_ptr<IPrinterGraphics> CPrinterSetup::RunPrintDialog(QObject*)
{
    return nullptr;
}
