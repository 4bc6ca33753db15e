#include "script/ScriptEngine.h"

#include "script/Conversions.h"
#include "script/FileCommands.h"
#include "script/LocaleCache.h"
#include "script/MathEvaluator.h"

namespace lumeria {

namespace {

const QString kBreak = QStringLiteral("\r\r");

// A script runs inside the one that showed its page, so two pages whose
// entry scripts go to each other before they end would nest without end and
// overflow the stack. Far deeper than any publication's chain of pages.
constexpr int kMaxNesting = 200;

// "Cette action nécessite 1 paramètre!" / "... 4 paramètres!"
QString countMessage(const CommandInfo& info)
{
    return QString::fromLatin1(info.longName.data(), qsizetype(info.longName.size())) + kBreak +
           QStringLiteral("Cette action nécessite ") + QString::number(info.args) + QStringLiteral(" paramètre") +
           (info.args == 1 ? QString() : QStringLiteral("s")) + QStringLiteral("!");
}

} // namespace

ScriptEngine::ScriptEngine(ScriptHost& host, MediaHost& media, Publication& publication)
    : m_host(host), m_media(media), m_pub(publication), m_files(std::make_unique<FileCommands>(*this)),
      m_random(std::random_device{}() ^ uint32_t(std::chrono::high_resolution_clock::now().time_since_epoch().count()))
{
}

ScriptEngine::~ScriptEngine() = default;

void ScriptEngine::reset()
{
    m_nesting = 0;
    m_abort = false;
    m_pageJumpEndsScript = false;
    m_deferred.reset();
    m_stopped = false;
}

bool ScriptEngine::userStop()
{
    if (m_nesting <= 0)
        return false;
    m_host.beep();
    m_nesting = 0;
    m_deferred.reset();
    m_pageJumpEndsScript = false;
    m_stopped = true;
    return true;
}

void ScriptEngine::reportError(const QString& message)
{
    m_host.messageDialog(caption(LanguageElement::L_ERRORTITLE), message, {caption(LanguageElement::L_OK)});
    m_abort = true;
}

QString ScriptEngine::substitute(const QString& text, SubstitutionMode mode) const
{
    return lumeria::substitute(text, m_variables, *this, mode);
}

QString ScriptEngine::pageTitle() const
{
    const Page_Rec* page = m_pub.document.currentPage();
    return page ? page->Name : QString();
}

QString ScriptEngine::pageNumber() const
{
    const Page_Rec* page = m_pub.document.currentPage();
    return page ? QString::number(m_pub.document.pageNumber(page)) : QString();
}

void ScriptEngine::letEventsRun()
{
    // Asking for events costs far more than a script line; between lines it
    // is enough to ask once per interval for input to stay responsive. Even
    // reading the clock costs a good part of a line, so with an interval it
    // is read every few lines only.
    constexpr int kLinesPerClockReading = 8;
    if (m_eventInterval.count() > 0 && ++m_linesSinceClock < kLinesPerClockReading)
        return;
    m_linesSinceClock = 0;
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastEvents < m_eventInterval)
        return;
    m_lastEvents = now;
    if (m_runawayLimit.count() > 0 && now - m_runningSince >= m_runawayLimit) {
        askAboutRunaway();
        // Stopped: the runs leave the stack before any event runs, or a
        // click that comes meanwhile would find them still unwinding and
        // be lost.
        if (m_stopped)
            return;
    }
    m_host.recordActivity();
    m_host.processEvents();
}

void ScriptEngine::readerWaitBegins()
{
    ++m_readerWaits;
    m_runningSince = std::chrono::steady_clock::now();
}

void ScriptEngine::readerWaitEnds()
{
    if (m_readerWaits > 0)
        --m_readerWaits;
    m_runningSince = std::chrono::steady_clock::now();
}

void ScriptEngine::askAboutRunaway()
{
    // A script started while the question is up (a timer's) must not put
    // a second one over it.
    if (m_askingAboutRunaway)
        return;
    m_askingAboutRunaway = true;
    const int answer = m_host.messageDialog(m_host.systemValues().windowCaption,
                                            QStringLiteral("Ce script ne répond plus. L'arrêter ?"),
                                            {caption(LanguageElement::L_YES), caption(LanguageElement::L_NO)});
    m_askingAboutRunaway = false;
    // Closing the box decides nothing: the script goes on, as after No.
    m_runningSince = std::chrono::steady_clock::now();
    if (answer == 1)
        userStop();
}

void ScriptEngine::run(const QString& script, Page_Rec* targetPage)
{
    // A script that the reader or a timer starts while no other runs, or
    // while another waits, is a script of its own; one started by a running
    // script (a page it shows, the page after it that it chained to) is
    // part of it and shares its time.
    if (m_depth == 0 || m_readerWaits > 0)
        m_runningSince = std::chrono::steady_clock::now();
    for (;;) {
        // The reader stopped the runs still on the stack: nothing starts
        // inside them while they unwind, or a page change on the way out
        // would begin a fresh chain that no stop could ever end.
        if (m_stopped)
            return;
        if (m_nesting == 0) {
            m_abort = false;
            m_pageJumpEndsScript = false;
        } else if (m_pageJumpEndsScript) {
            // The page command that caused this run was the last command of
            // its script: this run takes that script's place when it ends.
            if (!m_deferred)
                m_deferred = Deferred{script, targetPage};
            m_pageJumpEndsScript = false;
            return;
        }

        // A reset zeroes the nesting count while runs may still be on the
        // stack; the real depth is what the stack holds.
        if (m_nesting >= kMaxNesting || m_depth >= kMaxNesting) {
            reportError(QStringLiteral("Trop de scripts imbriqués : les scripts en cours sont arrêtés."));
            return;
        }
        ++m_nesting;
        ++m_depth;
        Deferred current{script, targetPage};
        if (m_deferred) {
            current = std::move(*m_deferred);
            m_deferred.reset();
        }
        const std::shared_ptr<const ScriptText> parsed = parse(current.script);
        const ScriptText& text = *parsed;
        Frame f;
        f.text = &text;
        f.target = current.target;

        while (!m_abort) {
            letEventsRun();
            // A stop among the events ends the run before the line: the line
            // is often the page command that would carry the chain on.
            if (m_stopped)
                break;
            ++f.line;
            const ScriptLine* line = text.line(f.line);
            if (f.skip >= 1) {
                f.line += f.skip;
                f.skip = 0;
            }
            if (!line)
                break;
            if (line->command == Command::None) {
                keyword(f, *line);
            } else if (f.mode == Mode::SkipIf || f.mode == Mode::SkipElse) {
                if (line->command == Command::If)
                    ++f.ifDepth;
            } else if (f.mode == Mode::SkipWhile) {
                if (line->command == Command::While)
                    ++f.whileDepth;
            } else {
                execute(f, *line);
            }
            if (m_nesting == 0 || m_abort || m_deferred)
                break;
        }

        --m_depth;
        if (m_nesting >= 1)
            --m_nesting;
        const bool stopped = m_stopped;
        if (m_depth == 0)
            m_stopped = false;
        if (m_deferred && !m_abort && !stopped)
            continue;
        m_deferred.reset();
        // A stopped exit script leaves the page where it is, as a failed one
        // does: showing its target would run that page's entry script.
        if (!m_abort && !stopped && f.target && f.target != m_pub.document.currentPage())
            m_host.showPage(f.target);
        return;
    }
}

std::shared_ptr<const ScriptText> ScriptEngine::parse(const QString& script)
{
    // The same scripts run again and again (a button pressed, a page entered
    // anew); what a script text means depends on nothing but the text.
    constexpr qsizetype kMaxParsed = 256;
    if (const auto it = m_parsed.constFind(script); it != m_parsed.cend())
        return *it;
    if (m_parsed.size() >= kMaxParsed)
        m_parsed.clear();
    auto text = std::make_shared<const ScriptText>(script);
    m_parsed.insert(script, text);
    return text;
}

void ScriptEngine::keyword(Frame& f, const ScriptLine& line)
{
    switch (line.kind) {
    case LineKind::Else:
        if (f.mode == Mode::Executing)
            f.mode = Mode::SkipElse;
        else if (f.mode == Mode::SkipIf && f.ifDepth == 0)
            f.mode = Mode::Executing;
        break;
    case LineKind::EndIf:
        if (f.mode == Mode::SkipIf || f.mode == Mode::SkipElse) {
            if (f.ifDepth == 0)
                f.mode = Mode::Executing;
            else
                --f.ifDepth;
        }
        break;
    case LineKind::EndWhile:
        if (f.mode == Mode::Executing) {
            endWhile(f);
        } else if (f.mode == Mode::SkipWhile) {
            if (f.whileDepth == 0)
                f.mode = Mode::Executing;
            else
                --f.whileDepth;
        }
        break;
    case LineKind::Unknown:
        // Reported in every mode, also in a branch being skipped.
        reportError(line.text + kBreak + QStringLiteral("Je ne comprends pas cette commande !"));
        break;
    default: break;
    }
}

void ScriptEngine::endWhile(Frame& f)
{
    int nested = 0;
    for (int n = f.line - 1; n >= 1; --n) {
        const ScriptLine* line = f.text->line(n);
        if (line->kind == LineKind::EndWhile) {
            ++nested;
        } else if (line->command == Command::While) {
            if (nested > 0) {
                --nested;
            } else {
                f.line = n - 1; // the While runs next and tests again
                return;
            }
        }
    }
}

bool ScriptEngine::takeArguments(const ScriptLine& line, Command command, ScriptArguments& args)
{
    const CommandInfo& info = commandInfo(command);
    for (int i = 0; i < line.arguments.count; ++i) {
        const int plan = line.planOf[size_t(i)];
        args.values[size_t(i)] =
            plan < 0 ? line.arguments.values[size_t(i)]
                     : line.plans[size_t(plan)].apply(m_variables, *this,
                                                      i + 1 == info.numericArg ? SubstitutionMode::Numeric
                                                                               : SubstitutionMode::Text);
    }
    args.count = line.arguments.count;
    if (!line.countOk) {
        reportError(countMessage(info));
        return false;
    }
    return true;
}

const QString& ScriptEngine::argument(const ScriptLine& line, int i, SubstitutionMode mode, QString& substituted) const
{
    const int plan = line.planOf[size_t(i)];
    if (plan < 0)
        return line.arguments.values[size_t(i)];
    substituted = line.plans[size_t(plan)].apply(m_variables, *this, mode);
    return substituted;
}

// The commands loops are made of read their arguments where the line holds
// them, substituting only those with a reference, instead of copying all of
// them first. Substitution changes nothing, so the count is checked first.
void ScriptEngine::executeInPlace(Frame& f, const ScriptLine& line)
{
    if (!line.countOk) {
        reportError(countMessage(commandInfo(line.command)));
        return;
    }
    switch (line.command) {
    case Command::If:
    case Command::While: condition(f, line); return;
    case Command::Math: math(line); return;
    case Command::SetVar: {
        QString value;
        m_variables.set(line.result, argument(line, 1, SubstitutionMode::Text, value));
        return;
    }
    default: return;
    }
}

QStringView ScriptEngine::argumentView(const ScriptLine& line, int i, QString& substituted) const
{
    const int plan = line.planOf[size_t(i)];
    if (plan < 0)
        return line.arguments.values[size_t(i)];
    return line.plans[size_t(plan)].view(m_variables, *this, SubstitutionMode::Text, substituted);
}

void ScriptEngine::condition(Frame& f, const ScriptLine& line)
{
    // Nothing changes the variables while the three are read and compared.
    QString left, op, right;
    if (evaluateCondition(argumentView(line, 0, left), argumentView(line, 1, op), argumentView(line, 2, right)))
        return;
    f.mode = line.command == Command::If ? Mode::SkipIf : Mode::SkipWhile;
}

void ScriptEngine::math(const ScriptLine& line)
{
    QString decimals;
    const int places = scriptInteger(argument(line, 1, SubstitutionMode::Text, decimals));
    // The expression is read straight from the substituted pieces: any
    // bracket left in it makes it an error, reduced or not.
    std::optional<double> value;
    SubstitutionPlan::Buffer text;
    const int plan = line.planOf[0];
    if (plan >= 0 && line.plans[size_t(plan)].appendUnreduced(text, m_variables, *this, SubstitutionMode::Numeric)) {
        value = evaluateExpression(QStringView(text.constData(), text.size()));
    } else {
        QString expression;
        value = evaluateExpression(argument(line, 0, SubstitutionMode::Numeric, expression));
    }
    MathText result;
    formatMathResult(value, places, result);
    m_variables.set(line.result, QStringView(result.constData(), result.size()));
}

void ScriptEngine::gotoLine(Frame& f, const QString& target)
{
    const QString separator = systemLocale().decimalPoint();
    bool isNumber = true;
    for (QChar c : target) {
        if (c != QLatin1Char(' ') && c != QLatin1Char('+') && c != QLatin1Char('-') &&
            !(c >= QLatin1Char('0') && c <= QLatin1Char('9')) && !separator.contains(c)) {
            isNumber = false;
            break;
        }
    }
    if (isNumber) {
        // Line 0, a negative line or one past the end ends the script.
        f.line = std::max(0, scriptInteger(target)) - 1;
        return;
    }
    QString label = upperCased(trimmed(target));
    if (!label.startsWith(QLatin1Char(':')))
        label.prepend(QLatin1Char(':'));
    for (int n = 1; n <= f.text->lineCount(); ++n) {
        if (upperCased(f.text->line(n)->text) == label) {
            f.line = n;
            return;
        }
    }
    reportError(QStringLiteral("Impossible de trouver: \"") + label + QStringLiteral("\"") + kBreak +
                QStringLiteral("GotoLine La commande fait référence à une étiquette qui n'existe pas."));
}

void ScriptEngine::menu(Frame& f, Command c, const ScriptArguments& a)
{
    const SystemValues values = m_host.systemValues();
    int x = scriptInteger(a.values[0]);
    int y = scriptInteger(a.values[1]);
    if (x == -1)
        x = values.pageWidth / 2;
    if (y == -1)
        y = values.pageHeight / 2;
    const QStringList items = a.values[2].split(QLatin1Char('|'));
    const int chosen = m_host.popupMenu(x, y, items);
    m_host.processEvents();
    if (c == Command::MenuEx) {
        m_variables.set(a.values[3], QString::number(chosen));
        return;
    }
    // The lines after a Menu are its branches: item k runs line M + k, and
    // the skip then passes over the other branches.
    const int n = int(items.size());
    if (chosen >= 1) {
        f.line = f.line + chosen - 1;
        f.skip = n;
    } else {
        f.line = f.line + n;
    }
}

Page_Rec* ScriptEngine::pageTarget(Command c, const ScriptArguments& a)
{
    Document& doc = m_pub.document;
    Page_Rec* current = doc.currentPage();
    const int number = doc.pageNumber(current);
    switch (c) {
    case Command::GotoPage: {
        Page_Rec* page = doc.findPage(a.values[0]);
        if (!page)
            reportError(QStringLiteral("\"") + a.values[0] + QStringLiteral("\"") + kBreak +
                        QStringLiteral("Impossible de localiser cette page !"));
        return page;
    }
    case Command::GotoFirstPage: return doc.pages().empty() ? nullptr : doc.pages().front().get();
    case Command::GotoLastPage: return doc.lastPage();
    case Command::GotoPrevPage: return number >= 2 ? doc.pages()[size_t(number - 2)].get() : nullptr;
    case Command::GotoNextPage:
        return number >= 1 && number < doc.pageCount() ? doc.pages()[size_t(number)].get() : nullptr;
    case Command::ReturnToPage: return current ? current->CameFrom : nullptr;
    default: return nullptr;
    }
}

void ScriptEngine::pageCommand(Frame& f, const ScriptLine& line, Page_Rec* page)
{
    if (f.target) {
        reportError(line.text + kBreak + QStringLiteral("Cannot use GotoPage actions in page exit script."));
        return;
    }
    // When nothing but labels, comments and keywords follow, the new page's
    // script replaces this one instead of running inside it.
    m_pageJumpEndsScript = true;
    for (int n = f.line + 1; n <= f.text->lineCount(); ++n) {
        if (f.text->line(n)->command != Command::None) {
            m_pageJumpEndsScript = false;
            break;
        }
    }
    m_host.goToPage(page);
}

} // namespace lumeria
