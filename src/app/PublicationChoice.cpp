#include "app/PublicationChoice.h"

#include "container/PublicationFinder.h"
#include "popups/QueryForm.h"

#include <QFileInfo>

#include <iostream>

namespace lumeria {

PublicationChoice choosePublicationIn(const QString& folder)
{
    const QList<FoundPublication> found = findPublications(folder);
    if (found.isEmpty())
        return {{}, QStringLiteral("Aucune publication sur ce disque.")};
    if (found.size() == 1)
        return {found.front().path, {}};

    // One button a publication, by its title and its file, and one to give
    // up: a box the keyboard and the mouse both answer, and automation too.
    QStringList buttons;
    const qsizetype shown = std::min<qsizetype>(found.size(), TQueryForm::kMaxButtons - 1);
    for (qsizetype i = 0; i < shown; ++i) {
        const QString file = QFileInfo(found[i].path).fileName();
        buttons.append(found[i].title.isEmpty() ? file
                                                : found[i].title + QStringLiteral(" (") + file + QLatin1Char(')'));
        std::cerr << "lumeria: " << folder.toStdString() << ": " << (i + 1) << ": " << found[i].path.toStdString()
                  << '\n';
    }
    buttons.append(QStringLiteral("Annuler"));
    TQueryForm box(QStringLiteral("Lumeria"),
                   QStringLiteral("Ce disque contient plusieurs publications.|Laquelle voulez-vous lire ?"), buttons);
    const int answer = box.ask();
    if (answer < 1 || answer > shown)
        return {{}, QStringLiteral("Aucune publication choisie.")};
    return {found[answer - 1].path, {}};
}

} // namespace lumeria
