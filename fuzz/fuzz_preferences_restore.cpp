#include "fuzz/MFuzzInput.h"

#include <QCoreApplication>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MFuzzInput::RestorePreferences(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    return 0;
}
