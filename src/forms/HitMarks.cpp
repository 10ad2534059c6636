#include "forms/HitMarks.h"

#include <QEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTimer>

#include "core/Search.h"
#include "text/Cp932.h"

namespace zu {

namespace {

// The colour of a marker pen: apart from the selection's colour, and dark
// text stays readable on it.
const QColor kMarkBackground(255, 238, 0);
const QColor kMarkText(Qt::black);

// Where in the shown text the bytes before `byte` end: `byte` is a character
// boundary, so the decoder's characters end there too.
qsizetype ShownOffset(std::string_view cp932, size_t byte) { return DecodedLength(cp932.substr(0, byte)); }

void AddLineMarks(const QTextBlock& block, std::string_view line, const std::vector<size_t>& at,
                  size_t length, QList<QTextEdit::ExtraSelection>& marks) {
  QTextCharFormat format;
  format.setBackground(kMarkBackground);
  format.setForeground(kMarkText);
  for (const size_t start : at) {
    QTextCursor cursor(block);
    cursor.setPosition(block.position() + static_cast<int>(ShownOffset(line, start)));
    cursor.setPosition(block.position() + static_cast<int>(ShownOffset(line, start + length)),
                       QTextCursor::KeepAnchor);
    marks.append({cursor, format});
  }
}

// The caret goes to the start of the occurrence (no text gets selected), and
// the pane centres it as far as its scroll range allows, down and across.
void BringIntoView(QPlainTextEdit& pane, const QTextBlock& block, int offset) {
  QTextCursor caret(block);
  caret.setPosition(block.position() + offset);
  pane.setTextCursor(caret);
  pane.centerCursor();
}

}  // namespace

bool MarkBodyHits(QPlainTextEdit& pane, const std::vector<std::string>& lines, std::string_view pattern) {
  QList<QTextEdit::ExtraSelection> marks;
  const QTextDocument& document = *pane.document();
  for (size_t j = 0; j < lines.size(); ++j) {
    const std::vector<size_t> at = MatchPositions(lines[j], pattern);
    if (at.empty()) continue;
    const QTextBlock block = document.findBlockByNumber(static_cast<int>(j));
    if (!block.isValid()) break;
    AddLineMarks(block, lines[j], at, pattern.size(), marks);
  }
  pane.setExtraSelections(marks);
  if (marks.isEmpty()) return false;
  const QTextCursor& first = marks.front().cursor;
  BringIntoView(pane, first.block(), first.selectionStart() - first.block().position());
  return true;
}

void ClearBodyMarks(QPlainTextEdit& pane) { pane.setExtraSelections({}); }

FieldMark& FieldMark::SetUp(QLineEdit& field) {
  auto* mark = new FieldMark(field);  // owned by the field
  QPalette colours = field.palette();
  for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    colours.setColor(group, QPalette::Highlight, kMarkBackground);
    colours.setColor(group, QPalette::HighlightedText, kMarkText);
  }
  field.setPalette(colours);
  return *mark;
}

FieldMark::FieldMark(QLineEdit& field) : QObject(&field), field_(field) {
  field.installEventFilter(this);
}

void FieldMark::Mark(std::string_view cp932, std::string_view pattern) {
  const std::vector<size_t> at = MatchPositions(cp932, pattern);
  if (at.empty()) return;
  const qsizetype start = ShownOffset(cp932, at.front());
  start_ = static_cast<int>(start);
  length_ = static_cast<int>(ShownOffset(cp932, at.front() + pattern.size()) - start);
  Apply();
}

void FieldMark::Clear() {
  length_ = 0;
  field_.deselect();
}

bool FieldMark::eventFilter(QObject*, QEvent* event) {
  if (event->type() == QEvent::WindowActivate && length_ > 0) {
    // The field posts its deselection as the activation arrives, after this
    // runs; one more hop puts the mark behind it.
    QTimer::singleShot(0, this, [this] { QTimer::singleShot(0, this, [this] { Apply(); }); });
  }
  return false;
}

void FieldMark::Apply() {
  if (length_ > 0) field_.setSelection(start_, length_);
}

}  // namespace zu
