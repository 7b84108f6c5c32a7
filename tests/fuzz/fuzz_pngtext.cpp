// A downloaded screenshot: PNG decoding, then reading the five text lines out of the pixels.
#include "FuzzInput.h"
#include "database/ScreenshotEntry.h"
#include "detect/GlyphTable.h"
#include "detect/ScreenTextReader.h"
#include "platform/PngDecoder.h"
#include "review/cDIBSection.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const vh::detect::GlyphTable* const glyphs = [] {
        auto* table = new vh::detect::GlyphTable;
        table->LoadGlyphTable();
        return table;
    }();
    const vh::platform::Checked<QImage> decoded = vh::platform::PngDecoder::decode(fuzzBytes(data, size));
    if (!decoded.ok())
        return 0;
    vh::review::cDIBSection bitmap;
    bitmap.CreateFromPicture(decoded.value);
    if (bitmap.isEmpty())
        return 0;
    vh::database::ScreenshotEntry slot;
    vh::detect::ScreenTextReader(*glyphs).ReadScreenText(bitmap, slot);
    return 0;
}
