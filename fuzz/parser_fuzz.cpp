// Feeds arbitrary bytes to the publication parser as RUNTIME.PUB.
#include "container/TextSource.h"
#include "document/Parser.h"

#include <QByteArray>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    lumeria::MemorySource source(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    lumeria::TextSource lines(source);
    lumeria::Publication pub;
    const int status = lumeria::loadPublication(lines, pub, lumeria::defaultPalette256());
    // Whatever the text, the model must stay inside its limits and findable.
    if (pub.document.pageCount() > lumeria::Document::kMaxPages ||
        pub.document.objectCount() > lumeria::Document::kMaxObjects || (status != 0 && status != 8))
        __builtin_trap();
    for (const auto& page : pub.document.pages()) {
        if (pub.document.findPage(page->Name) == nullptr)
            __builtin_trap();
    }
    return 0;
}
