#include "forms/HitMarks.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>

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

// The caret goes to the start of the line (it was at the top; no text gets
// selected), and the pane centres it as far as its scroll range allows.
void BringLineIntoView(QPlainTextEdit& pane, const QTextBlock& block) {
  pane.setTextCursor(QTextCursor(block));
  pane.centerCursor();
}

}  // namespace

bool MarkBodyHits(QPlainTextEdit& pane, const std::vector<std::string>& lines, std::string_view pattern) {
  QList<QTextEdit::ExtraSelection> marks;
  QTextBlock first;
  const QTextDocument& document = *pane.document();
  for (size_t j = 0; j < lines.size(); ++j) {
    const std::vector<size_t> at = MatchPositions(lines[j], pattern);
    if (at.empty()) continue;
    const QTextBlock block = document.findBlockByNumber(static_cast<int>(j));
    if (!block.isValid()) break;
    if (!first.isValid()) first = block;
    AddLineMarks(block, lines[j], at, pattern.size(), marks);
  }
  pane.setExtraSelections(marks);
  if (!first.isValid()) return false;
  BringLineIntoView(pane, first);
  return true;
}

void ClearBodyMarks(QPlainTextEdit& pane) { pane.setExtraSelections({}); }

void MarkFieldHit(QLineEdit& field, std::string_view cp932, std::string_view pattern) {
  const std::vector<size_t> at = MatchPositions(cp932, pattern);
  if (at.empty()) return;
  const qsizetype start = ShownOffset(cp932, at.front());
  field.setSelection(static_cast<int>(start),
                     static_cast<int>(ShownOffset(cp932, at.front() + pattern.size()) - start));
}

void SetUpFieldMarks(QLineEdit& field) {
  QPalette colours = field.palette();
  for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    colours.setColor(group, QPalette::Highlight, kMarkBackground);
    colours.setColor(group, QPalette::HighlightedText, kMarkText);
  }
  field.setPalette(colours);
}

}  // namespace zu
