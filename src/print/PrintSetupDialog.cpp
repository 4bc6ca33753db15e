#include "print/PrintSetupDialog.h"

#include <QScreen>

namespace lumeria {

TPrintSetupDialog::TPrintSetupDialog(QPrinter& printer, QWidget* parent) : QPrintDialog(&printer, parent)
{
    setOption(QAbstractPrintDialog::PrintToFile, true);
}

void TPrintSetupDialog::showEvent(QShowEvent* event)
{
    QPrintDialog::showEvent(event);
    const QScreen* where = screen();
    if (!where)
        return;
    const QRect area = where->geometry();
    const QSize size = frameGeometry().size();
    move(area.left() + (area.width() - size.width()) / 2, area.top() + (area.height() - size.height()) / 3);
}

} // namespace lumeria
