^C^B^F14~An article that scrolls^b^f^c

An article is a window of formatted text on a page. Its text is laid out once, when the publication is made, with the font and width the article has; the player only paints the lines that are in view, so a long text costs no more than a short one.

Text can be ^Bbold^b, ^Iitalic^i or ^Uunderlined^u, in ^P12~colour^p and in other ^F14~sizes^f. A line can be centred:

^CLike this one.^c

Links run a script, like any button: ^LGo to the buttons page=GO "Buttons"^l. Others jump inside the article itself: ^Ljump to the end of this text=:end^l.

Use the scroll bar at the right, or press Tab until the article wears a dotted frame and use the arrow keys.

The rest of this text is here so that there is something to scroll through. Publications used articles for stories, manuals, catalogues and lessons: anything too long for one page.

One paragraph follows another; each starts on a new line, and long lines wrap at the article's width.

A word too long for a line stands alone on its own line and is cut at the right edge.

Scrolling by one line moves the pixels that were already on screen and paints only the new line.

^Mend^m^BThe end.^b ^LBack to the welcome page=GO "Welcome"^l.
