#include "fuzz/MFuzzInput.h"

#include <QGuiApplication>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // Views measure text when they are read back; that needs a font system.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MFuzzInput::RestoreProject(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    return 0;
}
