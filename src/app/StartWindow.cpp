#include "app/StartWindow.h"

#include "app/OtherPublication.h"
#include "popups/QueryForm.h"

#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>

namespace lumeria {

namespace {

const QString kTitle = QStringLiteral("Lumeria");
const QString kHeading = QStringLiteral("Que voulez-vous lire ?");
const QString kWhatPlays =
    QStringLiteral("Lumeria lit les publications multimédias compilées : un fichier .lum, le programme (.exe) ou "
                   "l'économiseur d'écran (.scr) Windows d'une publication, le dossier d'un CD-ROM ou son image disque "
                   "(.iso, .cue, .bin, .img). Vous pouvez aussi déposer l'un d'eux sur cette fenêtre.");
const QString kNoTour = QStringLiteral("La visite n'est pas installée avec ce lecteur.");

const QRect kHeadingPlace(20, 16, 420, 18);
const QRect kTextPlace(20, 40, 420, 60);
const QRect kTourNotePlace(232, 184, 208, 28);

// Qt's own dialog, not the desktop's: it matches CD-ROM names in capitals
// against the filters as well (a disc's ATLAS.EXE), looks like the
// player's other boxes, and takes French words.
QFileDialog* openDialog(QWidget* parent, bool folder)
{
    auto* dialog = new QFileDialog(parent, folder ? QStringLiteral("Ouvrir un dossier")
                                                  : QStringLiteral("Ouvrir une publication"));
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    if (folder) {
        dialog->setFileMode(QFileDialog::Directory);
        dialog->setOption(QFileDialog::ShowDirsOnly);
        // The one type a folder dialog lists has no label of its own to set.
        if (auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")); types && types->count() == 1)
            types->setItemText(0, QStringLiteral("Dossiers"));
    } else {
        dialog->setFileMode(QFileDialog::ExistingFile);
        dialog->setNameFilters({
            QStringLiteral("Publications (*.lum *.exe *.scr *.iso *.cue *.bin *.img)"),
            QStringLiteral("Publications Lumeria (*.lum)"),
            QStringLiteral("Programmes et économiseurs d'écran Windows (*.exe *.scr)"),
            QStringLiteral("Images disque (*.iso *.cue *.bin *.img)"),
            QStringLiteral("Tous les fichiers (*)"),
        });
    }
    dialog->setLabelText(QFileDialog::LookIn, QStringLiteral("Regarder dans :"));
    dialog->setLabelText(QFileDialog::FileName, folder ? QStringLiteral("Dossier :") : QStringLiteral("Fichier :"));
    dialog->setLabelText(QFileDialog::FileType, QStringLiteral("Type :"));
    dialog->setLabelText(QFileDialog::Accept, QStringLiteral("Ouvrir"));
    dialog->setLabelText(QFileDialog::Reject, QStringLiteral("Annuler"));
    return dialog;
}

} // namespace

QStringList StartWindow::captions()
{
    return {QStringLiteral("Ouvrir une publication…"), QStringLiteral("Ouvrir un dossier…"),
            QStringLiteral("Jouer la visite"), QStringLiteral("Quitter")};
}

StartWindow::StartWindow(const QString& tour, QWidget* parent) : QDialog(parent), m_tour(tour)
{
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(kTitle);
    setFont(TQueryForm::dialogFont());
    setAcceptDrops(true);
    setFixedSize(kSize);

    m_heading = new QLabel(kHeading, this);
    QFont bold = font();
    bold.setBold(true);
    m_heading->setFont(bold);
    m_heading->setGeometry(kHeadingPlace);
    // Held together: a line broken after "CD-" reads as two words.
    m_text = new QLabel(QString(kWhatPlays).replace(QStringLiteral("CD-ROM"), QStringLiteral("CD-\u2060ROM")), this);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(true);
    m_text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_text->setGeometry(kTextPlace);

    const QStringList texts = captions();
    const QRect places[] = {kOpenFileButton, kOpenFolderButton, kTourButton, kQuitButton};
    for (int i = 0; i < 4; ++i) {
        m_buttons[i] = new QPushButton(texts[i], this);
        m_buttons[i]->setGeometry(places[i]);
        m_buttons[i]->setAutoDefault(false);
    }
    m_buttons[0]->setDefault(true);
    m_buttons[0]->setFocus();
    connect(m_buttons[0], &QPushButton::clicked, this, &StartWindow::openFile);
    connect(m_buttons[1], &QPushButton::clicked, this, &StartWindow::openFolder);
    connect(m_buttons[2], &QPushButton::clicked, this, [this] { choose(m_tour); });
    connect(m_buttons[3], &QPushButton::clicked, this, &QDialog::reject);

    m_tourNote = new QLabel(kNoTour, this);
    m_tourNote->setWordWrap(true);
    m_tourNote->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_tourNote->setGeometry(kTourNotePlace);
    m_tourNote->setVisible(m_tour.isEmpty());
    m_buttons[2]->setEnabled(!m_tour.isEmpty());

    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->geometry();
        move(area.center().x() - kSize.width() / 2, area.center().y() - kSize.height() / 2);
    }
}

QPushButton* StartWindow::button(Choice choice) const
{
    return m_buttons[choice - 1];
}

QString StartWindow::message() const
{
    QString text = kHeading + QLatin1Char('|') + kWhatPlays;
    if (m_tour.isEmpty())
        text += QLatin1Char('|') + kNoTour;
    return text;
}

std::optional<QString> StartWindow::ask()
{
    m_chosen.reset();
    // The application's name follows every title on some desktops, and the
    // player's is that of an untitled publication until one is open.
    const QString shownName = QGuiApplication::applicationDisplayName();
    QGuiApplication::setApplicationDisplayName(kTitle);
    for (;;) {
        const std::optional<int> answer = TQueryForm::answerFor(windowTitle(), message(), captions());
        if (!answer) {
            exec();
            break;
        }
        // Nobody is there to pick a file in the open dialogs: they count as
        // closed without showing, and the window waits again.
        if (*answer == kOpenFile || *answer == kOpenFolder)
            continue;
        if (*answer == kPlayTour && !m_tour.isEmpty())
            m_chosen = m_tour;
        if (*answer != kPlayTour || m_chosen)
            break;
    }
    QGuiApplication::setApplicationDisplayName(shownName);
    return m_chosen;
}

void StartWindow::choose(const QString& path)
{
    if (path.isEmpty())
        return;
    m_chosen = path;
    accept();
}

void StartWindow::openFile()
{
    choose(askForPath(false));
}

void StartWindow::openFolder()
{
    choose(askForPath(true));
}

QString StartWindow::askForPath(bool folder)
{
    QFileDialog* dialog = openDialog(this, folder);
    QString path;
    if (dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty())
        path = dialog->selectedFiles().front();
    delete dialog;
    return path;
}

// The moves that follow keep the answer of the enter, so the file is
// looked into once per drag.
void StartWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (droppedPublication(*event->mimeData()))
        event->acceptProposedAction();
}

void StartWindow::dropEvent(QDropEvent* event)
{
    const std::optional<DroppedPublication> dropped = droppedPublication(*event->mimeData());
    if (!dropped)
        return;
    event->acceptProposedAction();
    reportPassedOver(*dropped);
    choose(dropped->path);
}

} // namespace lumeria
