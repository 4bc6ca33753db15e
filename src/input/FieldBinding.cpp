// Buttons bound to variables, and texts that show variables or the clock.
#include "input/InputController.h"

#include <unordered_set>
#include <vector>

namespace lumeria {

namespace {

template <class F>
void forEachObject(Document& document, F&& f)
{
    for (auto& o : document.master().Objects)
        f(*o);
    for (const auto& page : document.pages())
        for (auto& o : page->Objects)
            f(*o);
}

QString bareName(QString name)
{
    name.remove(QLatin1Char('['));
    name.remove(QLatin1Char(']'));
    return name;
}

const QString* displayedText(const Object_Rec& o)
{
    if (const Button_Rec* b = o.button())
        return &b->Text;
    if (const Text_Rec* t = o.text())
        return &t->Text;
    return nullptr;
}

} // namespace

void InputController::initialiseFieldStates()
{
    indexBoundButtons();
    // Collected first: setting a variable runs the refresh, which walks the
    // same lists.
    std::vector<std::pair<QString, QString>> writes;
    forEachObject(m_host.publication().document, [&](Object_Rec& o) {
        Button_Rec* b = o.button();
        if (!b)
            return;
        switch (ButtonStyle(b->Style)) {
        case ButtonStyle::EditField:
            b->EditText = b->Text;
            if (!b->VarName.isEmpty())
                writes.emplace_back(b->VarName, b->Text);
            break;
        case ButtonStyle::CheckBox:
            b->State = b->InitState;
            if (b->InitState == 1 && !b->VarName.isEmpty())
                writes.emplace_back(b->VarName, QStringLiteral("Checked"));
            break;
        case ButtonStyle::RadioButton:
            b->State = b->InitState;
            if (b->InitState == 1 && !b->VarName.isEmpty())
                writes.emplace_back(b->VarName, b->Text);
            break;
        default: break;
        }
    });
    for (const auto& [name, value] : writes)
        m_host.setVariable(name, value);
}

void InputController::indexBoundButtons()
{
    Document& document = m_host.publication().document;
    m_bound.clear();
    forEachObject(document, [&](Object_Rec& o) {
        const Button_Rec* b = o.button();
        if (b && !b->VarName.isEmpty())
            m_bound[bareName(b->VarName).toCaseFolded()].push_back(&o);
    });
    m_boundVersion = document.shapeVersion();
}

const std::vector<Object_Rec*>& InputController::boundButtons(const QString& bare)
{
    static const std::vector<Object_Rec*> kNone;
    if (m_boundVersion != m_host.publication().document.shapeVersion())
        indexBoundButtons();
    const auto it = m_bound.find(bare.toCaseFolded());
    return it == m_bound.end() ? kNone : it->second;
}

void InputController::refreshBoundObjects(const QString& name)
{
    const QString bare = bareName(name);

    // Step one brings every bound button in line before anything is drawn,
    // so a group member deselected by a later one is not drawn selected.
    std::unordered_set<const Object_Rec*> changed;
    if (!bare.isEmpty()) {
        const std::vector<Object_Rec*>& bound = boundButtons(bare);
        // Most variables, a loop's counter among them, are bound to nothing.
        const QString value = bound.empty() ? QString() : m_host.variable(bare);
        for (Object_Rec* o : bound) {
            Button_Rec* b = o->button();
            switch (ButtonStyle(b->Style)) {
            case ButtonStyle::RadioButton:
                if (b->State == 0) {
                    // An emptied variable deselects the group; it must not
                    // select a member that happens to have no Text. The
                    // group is the exact VarName, so all of it is among
                    // the buttons bound to this name.
                    if (!value.isEmpty() && b->Text.compare(value, Qt::CaseInsensitive) == 0) {
                        b->State = 1;
                        for (Object_Rec* other : bound) {
                            Button_Rec* ob = other->button();
                            if (other != o && ob->VarName == b->VarName && ob->State == 1)
                                ob->State = 0;
                        }
                    }
                } else if (b->State == 1 && value.isEmpty()) {
                    b->State = 0;
                }
                break;
            case ButtonStyle::CheckBox:
                b->State = value.compare(QLatin1String("CHECKED"), Qt::CaseInsensitive) == 0 ? 1 : 0;
                break;
            case ButtonStyle::EditField:
                b->EditText = value;
                if (m_editActive && m_focus.object == o && m_edit)
                    m_edit->setText(value);
                break;
            default: break;
            }
            changed.insert(o);
        }
    }

    const PageObjects shown = view();
    QString marker; // made at the first text that may mention the name
    std::unordered_map<const Object_Rec*, QString> texts;
    std::vector<const Object_Rec*> redraw;
    for (const Page_Rec* list : {shown.master(), shown.page()}) {
        if (!list)
            continue;
        for (const auto& o : list->Objects) {
            const QString* text = displayedText(*o);
            if (!text)
                continue;
            bool draw = changed.contains(o.get());
            // The mention of a name and a reference both start with '[': a
            // text without one, most of them, is passed over at memchr speed
            // rather than searched case-insensitively at every write.
            const bool bracket = text->contains(QLatin1Char('['));
            if (!draw && bracket && !bare.isEmpty()) {
                if (marker.isEmpty())
                    marker = QLatin1Char('[') + bare + QLatin1Char(']');
                draw = text->contains(marker, Qt::CaseInsensitive);
            }
            if (bracket) {
                QString now = m_host.substitute(*text);
                const auto before = m_shownTexts.find(o.get());
                if (!draw && before != m_shownTexts.end() && before->second != now)
                    draw = true;
                texts.emplace(o.get(), std::move(now));
            }
            if (draw)
                redraw.push_back(o.get());
        }
    }
    m_shownTexts = std::move(texts);
    for (const Object_Rec* o : redraw)
        m_host.redrawObject(*o, refreshRedraw(*o));
}

} // namespace lumeria
