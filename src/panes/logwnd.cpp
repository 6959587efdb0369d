#include "panes/logwnd.h"

#include "controls/focusframe.h"
#include "controls/panekeys.h"
#include "platform/contrast.h"
#include "platform/namecodec.h"
#include "platform/strings.h"
#include "platform/textformat.h"
#include "platform/uitext.h"

#include <QContextMenuEvent>
#include <QEvent>
#include <QMenu>
#include <QPointer>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>

namespace {

// Long enough to gather the lines of one multi-line reply, short enough to look immediate.
constexpr int flushDelayMs = 30;

// Where a run's colour meaning is kept in its text format, so that a theme change can recolour it.
constexpr int logColorProperty = QTextFormat::UserProperty + 1;

// The pane that AppendLog currently writes to.
CLogWnd *installedPane = nullptr;

QString statusPrompt(int commandId)
{
    const QString text = loadText(static_cast<TextId>(commandId));
    return text.left(text.indexOf(QLatin1Char('\n')));
}

} // namespace

CLogWnd::CLogWnd(QWidget *parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setUndoRedoEnabled(false);
    setMaximumBlockCount(maxLines);
    colouredFor_ = palette().color(QPalette::Base);

    flushTimer_.setSingleShot(true);
    flushTimer_.setInterval(flushDelayMs);
    connect(&flushTimer_, &QTimer::timeout, this, &CLogWnd::flushPending);

    QPointer<CLogWnd> self(this);
    setLogSink([self](const QString &text, LogColor color) {
        if (self)
            self->appendLog(text, color);
    });
    installedPane = this;
    addContextMenuKeys(this);
    new FocusFrame(this);
}

CLogWnd::~CLogWnd()
{
    // A newer pane may have taken over the log; its link stays.
    if (installedPane == this) {
        setLogSink(nullptr);
        installedPane = nullptr;
    }
}

void CLogWnd::appendLog(const QString &text, LogColor color)
{
    if (text.isEmpty())
        return;
    // A server's CR LF ends one line, not two; any other control character is shown escaped,
    // so that a reply can neither start a line of its own nor put raw bytes on the screen.
    QString cleaned = text.size() > maxCharacters ? text.right(maxCharacters) : text;
    if (cleaned.contains(QLatin1Char('\r')))
        cleaned.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    cleaned = namecodec::escapeControls(cleaned, true);

    pendingCharacters_ += cleaned.size();
    if (!pending_.empty() && pending_.back().color == color)
        pending_.back().text += cleaned;
    else
        pending_.push_back({std::move(cleaned), color});
    // A flood of lines does not wait for the timer: what the history cannot keep is dropped now.
    if (pendingCharacters_ > maxCharacters)
        flushPending();
    else if (!flushTimer_.isActive())
        flushTimer_.start();
}

void CLogWnd::flushPending()
{
    flushTimer_.stop();
    if (pending_.empty())
        return;

    QScrollBar *bar = verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum();

    // A cursor of our own, so that the user's selection survives the append.
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    for (const Run &run : pending_) {
        QTextCharFormat format;
        format.setForeground(shownColor(run.color));
        format.setProperty(logColorProperty, static_cast<int>(run.color));
        cursor.insertText(run.text, format);
    }
    cursor.endEditBlock();
    pending_.clear();
    pendingCharacters_ = 0;
    trimHistory();

    // Follow the end unless the user has scrolled back to read.
    if (atEnd)
        bar->setValue(bar->maximum());
}

void CLogWnd::trimHistory()
{
    // The line bound is kept by the document itself. For the size bound, drop down to three
    // quarters at once, so that a long session trims now and then rather than at every line.
    QTextDocument *doc = document();
    if (doc->characterCount() <= maxCharacters)
        return;
    const int excess = doc->characterCount() - maxCharacters * 3 / 4;
    // Cut at a line start when one is near, inside the line when that line alone is too long.
    const QTextBlock block = doc->findBlock(excess);
    int cut = excess;
    if (block.isValid() && block.position() < excess && block.next().isValid() &&
        block.next().position() <= excess + maxCharacters / 4)
        cut = block.next().position();
    QTextCursor cursor(doc);
    cursor.setPosition(cut, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

void CLogWnd::copySelection()
{
    flushPending();
    copy();
}

void CLogWnd::deleteSelection()
{
    flushPending();
    QTextCursor cursor = textCursor();
    if (!cursor.hasSelection())
        return;
    cursor.removeSelectedText();
    setTextCursor(cursor);
}

void CLogWnd::deleteAll()
{
    // What is still pending was appended before the command and goes with the rest.
    pending_.clear();
    pendingCharacters_ = 0;
    flushTimer_.stop();
    clear();
}

QMenu *CLogWnd::createContextMenu(QWidget *parent)
{
    auto *menu = new QMenu(parent);
    const struct {
        int id;
        const char *text;
        void (CLogWnd::*handler)();
    } commands[] = {
        {copyCommand, QT_TRANSLATE_NOOP("UiText", "Copy"), &CLogWnd::copySelection},
        {deleteCommand, QT_TRANSLATE_NOOP("UiText", "Delete"), &CLogWnd::deleteSelection},
        {deleteAllCommand, QT_TRANSLATE_NOOP("UiText", "Deleta All"), &CLogWnd::deleteAll},
    };
    for (const auto &command : commands) {
        QAction *action = menu->addAction(UiText::tr(command.text));
        action->setData(command.id);
        action->setStatusTip(statusPrompt(command.id));
        connect(action, &QAction::triggered, this, command.handler);
    }
    return menu;
}

QColor CLogWnd::shownColor(LogColor color) const
{
    // Replies are the plain text of the log, so they take the theme's text colour.
    const QColor wanted = color == LogColor::Reply ? palette().color(QPalette::Text) : logColorRgb(color);
    return readableColor(wanted, palette().color(QPalette::Base), minContrast);
}

void CLogWnd::changeEvent(QEvent *event)
{
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange)
        recolour();
}

void CLogWnd::recolour()
{
    // A theme change reaches the pane twice, once for the application and once for the widget.
    const QColor background = palette().color(QPalette::Base);
    if (background == colouredFor_)
        return;
    colouredFor_ = background;
    QTextDocument *doc = document();
    // One format per meaning; fragments are collected first, since changing a format may merge them.
    struct Span {
        int start;
        int length;
        LogColor color;
    };
    std::vector<Span> spans;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QVariant meaning = fragment.charFormat().property(logColorProperty);
            if (meaning.isValid())
                spans.push_back({fragment.position(), fragment.length(), static_cast<LogColor>(meaning.toInt())});
        }
    }
    if (spans.empty())
        return;
    QTextCursor cursor(doc);
    cursor.beginEditBlock();
    for (const Span &span : spans) {
        cursor.setPosition(span.start);
        cursor.setPosition(span.start + span.length, QTextCursor::KeepAnchor);
        QTextCharFormat format;
        format.setForeground(shownColor(span.color));
        cursor.mergeCharFormat(format);
    }
    cursor.endEditBlock();
}

void CLogWnd::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}
