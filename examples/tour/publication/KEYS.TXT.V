^C^B^F12~Keys of the Lumeria tour^b^f^c

^BPage Down^b, ^BPage Up^b^T16~the next page, the page before
^BHome^b, ^BEnd^b^T16~the first page, the last page
^BF2^b^T16~the contents, from every page
^BF3^b^T16~Find, from every page
^BTab^b, ^BShift+Tab^b^T16~the next button, field or article, the one before
^BEnter^b, ^BSpace^b^T16~press the button with the dotted frame
^BArrow keys^b^T16~scroll the article or picture with the frame
^BMouse wheel^b^T16~scroll the article, picture or window under the pointer
^BEnter^b in a field^T16~the calculator's = and the guest book's Sign
^BF5^b, ^BShift+F5^b, ^BCtrl+F5^b^T16~the key buttons of Button styles
^BEsc^b^T16~leave the tour

^LTurn to the contents=GO "Contents"^l
