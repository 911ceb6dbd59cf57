#pragma once

class QPainter;

// An open printer: where pages are drawn and which pages the user chose.
class IPrinterGraphics
{
public:
    virtual ~IPrinterGraphics() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    // Page numbers count from 1, as the print dialog shows them.
    virtual int FirstPage() const = 0;
    virtual int LastPage() const = 0;
    virtual QPainter& Painter() = 0;
    virtual void NewPage() = 0;
};
