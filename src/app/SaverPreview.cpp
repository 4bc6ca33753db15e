#include "app/SaverPreview.h"

#include "app/PlayerSession.h"
#include "render/PageRenderer.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QWidget>
#include <QWindow>

#include <memory>

namespace lumeria {

namespace {

class PreviewWidget : public QWidget {
public:
    explicit PreviewWidget(QImage page) : m_page(std::move(page))
    {
        setObjectName(QStringLiteral("LumeriaScreenSaverPreview"));
        setWindowTitle(QStringLiteral("ScreenSaver"));
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::black);
        if (m_page.isNull())
            return;
        const QSize fitted = m_page.size().scaled(size(), Qt::KeepAspectRatio);
        const QRect target(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, m_page);
    }

private:
    QImage m_page;
};

} // namespace

int runSaverPreview(PlayerSession& session, qulonglong hostWindow)
{
    if (hostWindow == 0 || QGuiApplication::platformName() != QLatin1String("xcb"))
        return 0;
    std::unique_ptr<QWindow> host(QWindow::fromWinId(WId(hostWindow)));
    if (!host)
        return 0;

    const Publication& pub = session.publication();
    QImage page;
    if (const Page_Rec* first = pub.document.pages().empty() ? nullptr : pub.document.pages().front().get()) {
        const PageRenderer renderer(pub.document, session.paintContext(),
                                    QSize(pub.settings.ScreenWidth, pub.settings.ScreenHeight));
        gdi::Surface surface = renderer.renderOffScreen(*first);
        if (!surface.isNull())
            page = surface.image().copy();
    }

    PreviewWidget preview(page);
    preview.winId();
    preview.windowHandle()->setParent(host.get());
    preview.setGeometry(QRect(QPoint(0, 0), host->geometry().size().expandedTo(QSize(1, 1))));
    preview.show();
    // The host ends the preview by destroying its window or the process.
    QObject::connect(preview.windowHandle(), &QWindow::visibleChanged, qApp, [](bool visible) {
        if (!visible)
            QCoreApplication::quit();
    });
    return QApplication::exec();
}

} // namespace lumeria
