#include "platform/spell/linemarks.h"

#include <QEvent>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QStyleOptionFrame>

#include "platform/spell/engine.h"

namespace spell {

namespace {

// The line edit's cursor rectangle begins this far left of the cursor's place in the text.
constexpr int kCursorRectLead = 5;

// The text as the edit shows it: control characters are drawn as blanks.
QString shownText(const QString& text) {
    QString shown = text;
    for (QChar& c : shown)
        if ((c.unicode() < 0x20 && c.unicode() != 0x09) || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    return shown;
}

// The area in which the edit draws its text.
QRect textArea(const QLineEdit* edit) {
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.rect = edit->contentsRect();
    option.lineWidth = edit->hasFrame()
                           ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit)
                           : 0;
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    option.features = QStyleOptionFrame::None;
    return edit->style()
        ->subElementRect(QStyle::SE_LineEditContents, &option, edit)
        .marginsRemoved(edit->textMargins());
}

void drawWave(QPainter& painter, qreal from, qreal to, qreal y) {
    constexpr qreal kStep = 2.0;
    constexpr qreal kAmplitude = 1.0;
    QPainterPath path;
    path.moveTo(from, y + kAmplitude);
    bool up = true;
    for (qreal x = from + kStep; x < to + kStep; x += kStep, up = !up)
        path.lineTo(qMin(x, to), up ? y - kAmplitude : y + kAmplitude);
    painter.drawPath(path);
}

}  // namespace

LineMarks::LineMarks(QLineEdit* edit, Engine* engine)
    : QWidget(edit), m_edit(edit), m_engine(engine) {
    setObjectName(QStringLiteral("spellMarks"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(edit->rect());
    edit->installEventFilter(this);
    connect(edit, &QLineEdit::textChanged, this, &LineMarks::check);
    connect(engine, &Engine::opened, this, &LineMarks::check);
    connect(engine, &Engine::wordsAccepted, this, &LineMarks::dropAccepted);
    check();
    show();
}

void LineMarks::check() {
    QList<WordSpan> marks;
    if (m_engine && m_engine->isOpen()) marks = m_engine->misspelt(m_edit->text());
    if (marks == m_marks) return;
    m_marks = marks;
    update();
}

void LineMarks::dropAccepted() {
    if (!m_engine) return;
    const QList<WordSpan> kept = m_engine->stillMisspelt(m_edit->text(), m_marks);
    if (kept.size() == m_marks.size()) return;
    m_marks = kept;
    update();
}

bool LineMarks::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_edit) {
        switch (event->type()) {
            case QEvent::Resize:
                setGeometry(m_edit->rect());
                break;
            case QEvent::InputMethod:
                // The edit shows the text being composed inside its own; the marks wait.
                m_composing = !static_cast<QInputMethodEvent*>(event)->preeditString().isEmpty();
                update();
                break;
            case QEvent::FontChange:
                update();
                break;
            default:
                break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

const QTextLine& LineMarks::line() const {
    const QString text = shownText(m_edit->text());
    if (!m_line.isValid() || text != m_layoutText || m_edit->font() != m_layoutFont) {
        m_layoutText = text;
        m_layoutFont = m_edit->font();
        m_layout.setText(text);
        m_layout.setFont(m_layoutFont);
        QTextOption option = m_layout.textOption();
        option.setTextDirection(m_edit->layoutDirection());
        option.setFlags(QTextOption::IncludeTrailingSpaces);
        m_layout.setTextOption(option);
        m_layout.beginLayout();
        m_line = m_layout.createLine();
        m_layout.endLayout();
    }
    return m_line;
}

QLineF LineMarks::underline(const WordSpan& mark) const {
    const QTextLine& text = line();
    if (!text.isValid()) return {};
    // The edit places its text by its scrolling, which only its cursor rectangle tells.
    const QRect cursor = m_edit->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    const qreal origin =
        cursor.left() + kCursorRectLead - qRound(text.cursorToX(m_edit->cursorPosition()));
    const qreal a = origin + text.cursorToX(mark.start);
    const qreal b = origin + text.cursorToX(mark.end());
    const QFontMetricsF metrics(m_edit->font());
    const qreal y = cursor.top() + metrics.ascent() + qMax<qreal>(1.5, metrics.underlinePos());
    return QLineF(qMin(a, b), y, qMax(a, b), y);
}

void LineMarks::paintEvent(QPaintEvent*) {
    if (m_marks.isEmpty() || m_composing || m_edit->echoMode() != QLineEdit::Normal) return;
    QPainter painter(this);
    painter.setClipRect(textArea(m_edit));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(Qt::red), 1.0));
    for (const WordSpan& mark : m_marks) {
        const QLineF stretch = underline(mark);
        drawWave(painter, stretch.x1(), stretch.x2(), stretch.y1());
    }
}

}  // namespace spell
