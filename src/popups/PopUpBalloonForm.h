#pragma once

#include <QWidget>

namespace lumeria {

class TLumeriaBalloon;

// The balloon pop-up: one balloon filling the form, sized to its text.
class TPopUpBalloonForm : public QWidget {
    Q_OBJECT
public:
    explicit TPopUpBalloonForm(QWidget* owner = nullptr);

    TLumeriaBalloon* textBalloon() const { return m_textBalloon; }

    // Sets the text and sizes the form to it: the text's label size plus the
    // margins on both sides and the stem's band.
    void setText(const QString& text);

private:
    TLumeriaBalloon* m_textBalloon = nullptr;
};

} // namespace lumeria
