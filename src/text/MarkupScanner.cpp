#include "text/MarkupScanner.h"

#include <algorithm>

namespace lumeria::text {

void TextState::apply(const MarkupToken& code)
{
    if (code.kind != MarkupToken::Kind::Code)
        return;
    switch (code.letter) {
    case u'B': bold = true; break;
    case u'b': bold = false; break;
    case u'I': italic = true; break;
    case u'i': italic = false; break;
    case u'U': underline = true; break;
    case u'u': underline = false; break;
    case u'X': strikeOut = true; break;
    case u'x': strikeOut = false; break;
    case u'F':
        if (code.number)
            sizePoints = std::max(*code.number, 1);
        else
            fixedPitch = true;
        break;
    case u'f':
        fixedPitch = false;
        sizePoints = 0;
        break;
    case u'C': centre = true; break;
    case u'c': centre = false; break;
    case u'G': right = true; break;
    case u'g': right = false; break;
    case u'R': reverse = true; break;
    case u'r': reverse = false; break;
    case u'P':
        if (code.number)
            colour = *code.number;
        break;
    case u'p': colour.reset(); break;
    case u'O':
        if (code.number)
            indentTwips = *code.number;
        break;
    case u'o': indentTwips = 0; break;
    default: break;
    }
}

void ScanMode::apply(char16_t letter)
{
    if (inHidden) {
        if (letter == u'm')
            inHidden = false;
        return;
    }
    if (inTarget) {
        if (letter == u'l')
            *this = {};
        return;
    }
    switch (letter) {
    case u'L': inLink = true; break;
    case u'l': *this = {}; break;
    case u'M': inHidden = true; break;
    default: break;
    }
}

MarkupToken MarkupScanner::collectUntil(char16_t closing, MarkupToken::Kind kind)
{
    // Hidden text and link targets end only at their own closing code; any
    // other code inside them is part of what they hold.
    MarkupToken token{kind, {}, 0, std::nullopt};
    while (m_pos < m_text.size()) {
        // Characters up to the next caret go in one piece: appending them one
        // by one made scanning cost more than measuring.
        qsizetype end = m_pos;
        while (end < m_text.size() && m_text[end] != kCaret)
            ++end;
        if (end > m_pos) {
            token.text += m_text.sliced(m_pos, end - m_pos);
            m_pos = end;
            continue;
        }
        const QChar c = m_text[m_pos];
        if (c == kCaret && m_pos + 1 < m_text.size()) {
            const QChar letter = m_text[m_pos + 1];
            if (letter == closing)
                return token;
            if (letter == kCaret) {
                token.text += QChar(kCaret);
                m_pos += 2;
                continue;
            }
        }
        token.text += c;
        ++m_pos;
    }
    return token;
}

MarkupToken MarkupScanner::next()
{
    if (m_mode.inHidden) {
        MarkupToken hidden = collectUntil(u'm', MarkupToken::Kind::Hidden);
        if (!hidden.text.isEmpty() || m_pos >= m_text.size())
            return hidden.text.isEmpty() ? MarkupToken{} : hidden;
    } else if (m_mode.inTarget) {
        MarkupToken target = collectUntil(u'l', MarkupToken::Kind::Target);
        if (!target.text.isEmpty() || m_pos >= m_text.size())
            return target.text.isEmpty() ? MarkupToken{} : target;
    }
    MarkupToken run{MarkupToken::Kind::Run, {}, 0, std::nullopt};
    while (m_pos < m_text.size()) {
        qsizetype end = m_pos;
        while (end < m_text.size() && m_text[end] != kCaret && !(m_text[end] == u'=' && m_mode.inShownLink()))
            ++end;
        if (end > m_pos) {
            run.text += m_text.sliced(m_pos, end - m_pos);
            m_pos = end;
            continue;
        }
        const QChar c = m_text[m_pos];
        if (c == u'=' && m_mode.inShownLink()) {
            if (!run.text.isEmpty())
                return run;
            ++m_pos;
            m_mode.inTarget = true;
            return next();
        }
        if (c != kCaret) {
            run.text += c;
            ++m_pos;
            continue;
        }
        if (m_pos + 1 >= m_text.size()) {
            // A caret that ends the text has no letter and vanishes.
            ++m_pos;
            continue;
        }
        const char16_t letter = m_text[m_pos + 1].unicode();
        if (letter == kCaret) {
            run.text += QChar(kCaret);
            m_pos += 2;
            continue;
        }
        if (!run.text.isEmpty())
            return run;
        m_pos += 2;
        MarkupToken code{MarkupToken::Kind::Code, {}, letter, std::nullopt};
        if (takesNumber(letter, m_form)) {
            const NumberArgument arg = readNumber(m_text, m_pos);
            code.number = arg.value;
            m_pos = arg.end;
        }
        m_mode.apply(letter);
        return code;
    }
    return run.text.isEmpty() ? MarkupToken{} : run;
}

} // namespace lumeria::text
