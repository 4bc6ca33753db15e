#include "automation/AutomationLog.h"

namespace lumeria::AutomationLog {

namespace {

// The body of a quoted text; listEntry also protects the '|' separator.
QString escaped(const QString& text, bool listEntry)
{
    QString out;
    out.reserve(text.size() + 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        switch (c.unicode()) {
        case '\\': out += QLatin1String("\\\\"); break;
        case '"': out += QLatin1String("\\\""); break;
        case '\t': out += QLatin1String("\\t"); break;
        case '\r':
            // CR LF is one break, written once.
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n')) {
                ++i;
            }
            out += QLatin1String("\\n");
            break;
        case '\n': out += QLatin1String("\\n"); break;
        case '|': out += listEntry ? QLatin1String("\\|") : QLatin1String("|"); break;
        default:
            if (c.unicode() < 0x20 || c.unicode() == 0x7f) {
                out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
            } else {
                out += c;
            }
        }
    }
    return out;
}

} // namespace

// Every line is built with one multi-argument arg() so a "%1" inside a
// publication's text is never taken for a placeholder.
QString quoted(const QString& text)
{
    return QLatin1Char('"') + escaped(text, false) + QLatin1Char('"');
}

QString quotedList(const QStringList& entries)
{
    QStringList parts;
    parts.reserve(entries.size());
    for (const QString& entry : entries) {
        parts.append(escaped(entry, true));
    }
    return QLatin1Char('"') + parts.join(QLatin1Char('|')) + QLatin1Char('"');
}

QString dialog(const QString& title, const QString& message, const QStringList& buttons, int answer)
{
    return QStringLiteral("dialog %1 %2 %3 -> %4")
        .arg(quoted(title), quoted(message), quotedList(buttons), QString::number(answer));
}

QString menu(int x, int y, const QStringList& items, int answer)
{
    return QStringLiteral("menu %1 %2 %3 -> %4")
        .arg(QString::number(x), QString::number(y), quotedList(items), QString::number(answer));
}

QString balloon(int x, int y, const QString& text)
{
    return QStringLiteral("balloon %1 %2 %3").arg(QString::number(x), QString::number(y), quoted(text));
}

QString note(int x, int y, int displayTime, const QString& text)
{
    return QStringLiteral("note %1 %2 %3 %4")
        .arg(QString::number(x), QString::number(y), QString::number(displayTime), quoted(text));
}

QString popup(int x, int y, int displayTime, const QString& file)
{
    return QStringLiteral("popup %1 %2 %3 %4")
        .arg(QString::number(x), QString::number(y), QString::number(displayTime), quoted(file));
}

QString screenshot(const QString& path)
{
    return QStringLiteral("screenshot ") + quoted(path);
}

QString screenshotFailed(const QString& reason)
{
    return QStringLiteral("screenshot-failed ") + quoted(reason);
}

QString speak(const QString& text)
{
    return QStringLiteral("speak %1").arg(quoted(text));
}

QString speakStop()
{
    return QStringLiteral("speak-stop");
}

} // namespace lumeria::AutomationLog
