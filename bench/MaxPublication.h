#pragma once

#include <QByteArray>

namespace lumeria::bench {

// The largest publication the model takes: 9999 pages, each with its own
// palette, and 32000 objects (a few on the master page) of every kind, each
// with every key its kind has, as the authoring side writes them.
inline QByteArray maxPublication()
{
    QByteArray palette = "PagePalette=";
    for (int i = 0; i < 256; ++i)
        palette += QByteArray::number(i * 65793) + ' ';
    palette += "\r\n";

    const QByteArray common = "LineColor=0\r\nFillColor=16777215\r\nLineWidth=1\r\nLineStyle=0\r\n"
                              "LineOrigin=0\r\nFillPattern=0\r\nFillMode=0\r\n";
    const QByteArray kinds[] = {
        "ObjectType=3\r\nStyle=0\r\nAlign=1\r\nFont=Arial\r\nFontSize=10\r\nFontStyle=1\r\nTextColor=0\r\n"
        "Text=Next page\r\nKey=34\r\nVarName=\r\nMaxLen=0\r\nInitState=0\r\nOverlayText=No\r\nWordWrap=No\r\n"
        "TransImages=No\r\nUpImage=\r\nDownImage=\r\nAction=GO \"NEXT\"\r\n",
        "ObjectType=8\r\nAlign=0\r\nFont=Times New Roman\r\nFontSize=12\r\nFontStyle=0\r\nTextColor=0\r\n"
        "WordWrap=Yes\r\nText=A paragraph of text on this page, long enough to wrap once or twice.\r\n",
        "ObjectType=4\r\nScale=Yes\r\nAspectRatio=Yes\r\nTransImages=No\r\nFileName=PICTURE.BMP\r\n"
        "WindowFlags=0\r\nVScrollPos=0\r\nHScrollPos=0\r\n",
        "ObjectType=5\r\n",
    };

    QByteArray text = "Title=Largest publication\r\nScreenWidth=640\r\nScreenHeight=480\r\nAllowEsc=Yes\r\n";
    text += "MasterPage\r\n";
    int objects = 0;
    auto addObject = [&](int i) {
        text += kinds[i % 4];
        text += "X1=" + QByteArray::number(i % 600) + "\r\nY1=10\r\nX2=620\r\nY2=40\r\n";
        text += common;
        ++objects;
    };
    for (int i = 0; i < 2; ++i)
        addObject(i);
    for (int page = 0; page < 9999; ++page) {
        text += "NewPage=Page " + QByteArray::number(page) + "\r\nPageColor=16777215\r\nShowMaster=Yes\r\n";
        text += "PageEffect=0\r\nEffectSpeed=0\r\nPageAction=\r\nExitAction=\r\n";
        text += palette;
        // 31998 objects over 9999 pages: three or four a page.
        const int wanted = (page + 1) * 31998 / 9999 - page * 31998 / 9999;
        for (int i = 0; i < wanted; ++i)
            addObject(objects);
    }
    return text;
}

} // namespace lumeria::bench
