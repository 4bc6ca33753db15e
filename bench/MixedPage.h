#pragma once

// The page of 100 mixed objects the drawing and transition benchmarks share.
#include "container/TextSource.h"
#include "document/Parser.h"
#include "document/Settings.h"
#include "render/PaintContext.h"

#include <QByteArray>

namespace lumeria::bench {

inline constexpr int kPageWidth = 640;
inline constexpr int kPageHeight = 480;

// Rectangles, ellipses, lines, texts that wrap, and buttons of every style,
// spread over the page so that they overlap as pages do.
inline QByteArray mixedPageText()
{
    QByteArray text = "ScreenWidth=640\r\nScreenHeight=480\r\nNewPage=1\r\nPageColor=16777215\r\n";
    for (int i = 0; i < 100; ++i) {
        const int x = (i * 37) % 560, y = (i * 53) % 420;
        QByteArray rect = "X1=" + QByteArray::number(x) + "\r\nY1=" + QByteArray::number(y) +
                          "\r\nX2=" + QByteArray::number(x + 80) + "\r\nY2=" + QByteArray::number(y + 40) +
                          "\r\nLineColor=0\r\nLineWidth=1\r\nFillColor=" + QByteArray::number(i * 167772 % 16777215) +
                          "\r\nFillPattern=0\r\n";
        switch (i % 6) {
        case 0: text += "ObjectType=5\r\n" + rect; break;
        case 1: text += "ObjectType=6\r\n" + rect; break;
        case 2: text += "ObjectType=7\r\n" + rect; break;
        case 3:
            text += "ObjectType=8\r\n" + rect +
                    "Font=Arial\r\nFontSize=10\r\nWordWrap=Yes\r\nText=A short paragraph that wraps in its box\r\n";
            break;
        case 4:
            text += "ObjectType=3\r\n" + rect + "Style=" + QByteArray::number((i / 6) % 4) +
                    "\r\nFont=Arial\r\nFontSize=9\r\nText=Button " + QByteArray::number(i) + "\r\n";
            break;
        default:
            text += "ObjectType=8\r\n" + rect + "Font=Times New Roman\r\nFontSize=12\r\nFontStyle=1\r\nText=Title\r\n";
            break;
        }
    }
    return text;
}

// The page loaded, with a context that draws texts as they are.
struct MixedPage {
    Publication pub;
    PaintContext context;
    MixedPage()
    {
        MemorySource source(mixedPageText());
        TextSource lines(source);
        loadPublication(lines, pub, defaultPalette256());
        context.substitute = [](const QString& text) { return text; };
    }
    Page_Rec& page() { return *pub.document.pages().front(); }
};

} // namespace lumeria::bench
