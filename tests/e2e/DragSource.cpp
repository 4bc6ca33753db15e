// A window to drag files from, for tests that drop them on the player
// through the X server's drag and drop protocol, as a file manager would:
// a press on it starts the drag of the URLs given as arguments, and how the
// drag ended is written to standard output ("copied" or "refused"). It
// stays a while after, for the target to fetch what was dropped.
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <cstdio>

namespace {

class DragSource : public QWidget {
public:
    explicit DragSource(QList<QUrl> urls) : m_urls(std::move(urls))
    {
        setWindowTitle(QStringLiteral("drag source"));
        resize(120, 80);
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), Qt::darkGreen); }

    // At once on the press: the test's pointer then moves with the button
    // held, and no drag distance is to be crossed first.
    void mousePressEvent(QMouseEvent*) override
    {
        auto* drag = new QDrag(this);
        auto* data = new QMimeData;
        data->setUrls(m_urls);
        drag->setMimeData(data);
        const Qt::DropAction done = drag->exec(Qt::CopyAction);
        std::printf("%s\n", done == Qt::CopyAction ? "copied" : "refused");
        std::fflush(stdout);
        // The drag ends when the drop is sent; the target asks for the data
        // after that, from this window's selection, which must still be here.
        QTimer::singleShot(10000, qApp, &QApplication::quit);
    }

private:
    QList<QUrl> m_urls;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // The title alone, which the test looks the window up by.
    QGuiApplication::setApplicationDisplayName(QStringLiteral("drag source"));
    QList<QUrl> urls;
    for (int i = 1; i < argc; ++i)
        urls << QUrl(QString::fromLocal8Bit(argv[i]));
    DragSource source(urls);
    source.move(0, 0);
    source.show();
    return app.exec();
}
