#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include <optional>

class QLabel;
class QPushButton;

namespace lumeria {

// What the player shows when it has nothing to play: a publication to
// pick, a disc's folder, the tour when one came with the player, or
// nothing. What is picked plays as if the command line had named it.
class StartWindow : public QDialog {
    Q_OBJECT
public:
    // The choices in the order of their buttons, numbered from 1 for
    // whoever answers boxes in the reader's place (automation).
    enum Choice { kOpenFile = 1, kOpenFolder = 2, kPlayTour = 3, kQuit = 4 };

    // Where the buttons lie in the window, which has no layout of its own
    // to follow: the player's boxes keep the classic fixed places.
    static constexpr QSize kSize{460, 276};
    static constexpr QRect kOpenFileButton{20, 112, 200, 28};
    static constexpr QRect kOpenFolderButton{20, 148, 200, 28};
    static constexpr QRect kTourButton{20, 184, 200, 28};
    static constexpr QRect kQuitButton{350, 232, 90, 28};

    // tour: the tour's file, empty when none was found.
    explicit StartWindow(const QString& tour, QWidget* parent = nullptr);

    // Waits for the reader's choice: the file or folder to play, nothing
    // when they quit. While TQueryForm has an answerer, it answers instead
    // and nothing shows: the open dialogs then count as closed without
    // taking an answer of their own, and a button that cannot be pressed
    // leaves the window waiting, as a reader's click on it would.
    std::optional<QString> ask();

    static QStringList captions();
    QString message() const;

    // For tests: the laid-out parts.
    QPushButton* button(Choice choice) const;
    QLabel* tourNote() const { return m_tourNote; }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void choose(const QString& path);
    void openFile();
    void openFolder();
    // The open dialog of either kind: the path picked, empty when none.
    QString askForPath(bool folder);

    QString m_tour;
    QLabel* m_heading = nullptr;
    QLabel* m_text = nullptr;
    QLabel* m_tourNote = nullptr;
    QPushButton* m_buttons[4] = {};
    std::optional<QString> m_chosen;
};

} // namespace lumeria
