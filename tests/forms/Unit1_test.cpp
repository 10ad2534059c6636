// The main window as it opens: its components, sizes, texts, menus, fonts
// and focus, checked on the real window offscreen.
#include <QFontInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QToolButton>

#include "Unit1Harness.h"

namespace zu::testing {
namespace {

using WindowFormTest = MainWindowTest;

TEST_F(WindowFormTest, CaptionClientSizeAndPlace) {
  EXPECT_EQ(window->windowTitle(), QStringLiteral("ZU_Kirdo for Windows95 Ver2.0"));
  EXPECT_EQ(window->centralWidget()->size(), QSize(681, 451));
  EXPECT_FALSE(window->windowIcon().isNull());
  const QRect screen = window->screen()->availableGeometry();
  const QRect frame = window->frameGeometry();
  EXPECT_GE(frame.left(), 0);
  EXPECT_GE(frame.top(), 0);
  // Centred: the space left and right (above and below) differs by at most a pixel.
  EXPECT_LE(std::abs((frame.left() - screen.left()) - (screen.right() - frame.right())), 1);
  EXPECT_LE(std::abs((frame.top() - screen.top()) - (screen.bottom() - frame.bottom())), 1);
}

// Shown again, the window stays where the user left it.
TEST_F(WindowFormTest, CentredTheFirstTimeOnly) {
  window->move(30, 40);
  window->hide();
  window->show();
  EXPECT_EQ(window->pos(), QPoint(30, 40));
}

TEST_F(WindowFormTest, ClientAreaLayout) {
  EXPECT_EQ(window->Panel1->geometry(), QRect(0, 0, 681, 41));
  EXPECT_EQ(window->TV_Log->geometry(), QRect(0, 41, 217, 410));
  EXPECT_EQ(window->Panel2->geometry(), QRect(217, 41, 3, 410));
  EXPECT_EQ(window->MM_Text->geometry(), QRect(220, 41, 461, 410));
  EXPECT_EQ(window->Panel2->cursor().shape(), Qt::SplitHCursor);
  EXPECT_EQ(window->Panel1->frameShadow(), QFrame::Raised);
}

TEST_F(WindowFormTest, ToolbarButtons) {
  struct Row {
    QToolButton* button;
    const char* name;
    int left;
    const char* hint;
  };
  const Row rows[] = {
      {window->SB_File_Open, "SB_File_Open", 8, "ファイルを開く"},
      {window->SB_File_Print, "SB_File_Print", 32, "印刷"},
      {window->SB_File_Exit, "SB_File_Exit", 56, "ZU_Kirdoの終了"},
      {window->SB_Edit_Copy, "SB_Edit_Copy", 88, "コピー"},
      {window->SB_Edit_Search, "SB_Edit_Search", 112, "検索開始"},
      {window->SB_Edit_SearchSet, "SB_Edit_SearchSet", 136, "検索条件を設定"},
      {window->SB_Info_Help, "SB_Info_Help", 168, "ヘルプファイルを開く"},
      {window->SB_Info_Info, "SB_Info_Info", 192, "バージョン情報を表示"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.button->objectName(), QString::fromLatin1(row.name));
    EXPECT_EQ(row.button->parentWidget(), window->Panel1);
    EXPECT_EQ(row.button->geometry(), QRect(row.left, 8, 25, 25));
    EXPECT_EQ(row.button->toolTip(), QString::fromUtf8(row.hint));
    EXPECT_EQ(row.button->focusPolicy(), Qt::NoFocus);
    EXPECT_FALSE(row.button->autoRaise());
    EXPECT_TRUE(row.button->isEnabled());
    EXPECT_TRUE(row.button->text().isEmpty() || row.button->toolButtonStyle() == Qt::ToolButtonIconOnly);
    // The picture's left half is the enabled image, its right half the
    // disabled one, and they differ.
    const auto image = [&](QIcon::Mode mode) {
      return row.button->icon().pixmap(16, mode).toImage().convertToFormat(QImage::Format_ARGB32);
    };
    const QImage picture = QImage(QStringLiteral(":/zu_kirdo/%1.xpm").arg(QString::fromLatin1(row.name + 3).toLower()))
                               .convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(picture.size(), QSize(32, 16));
    EXPECT_EQ(image(QIcon::Normal), picture.copy(0, 0, 16, 16));
    EXPECT_EQ(image(QIcon::Disabled), picture.copy(16, 0, 16, 16));
    EXPECT_NE(image(QIcon::Normal), image(QIcon::Disabled));
    const QImage normal = image(QIcon::Normal);
    EXPECT_EQ(normal.pixelColor(0, 15).alpha(), 0) << "the background is transparent";
  }
}

TEST_F(WindowFormTest, MessageFieldBar) {
  struct Row {
    QLabel* label;
    const char* caption;
    QLineEdit* field;
    QRect geometry;
  };
  const Row rows[] = {
      {window->Label4, "発言番号", window->Ed_Number, QRect(224, 16, 81, 20)},
      {window->Label1, "発信者名", window->Ed_Name, QRect(312, 16, 105, 20)},
      {window->Label2, "発信者ID", window->Ed_ID, QRect(424, 16, 105, 20)},
      {window->Label3, "発信日時", window->Ed_DateTime, QRect(536, 16, 105, 20)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.caption);
    EXPECT_EQ(row.label->text(), QString::fromUtf8(row.caption));
    EXPECT_EQ(row.label->pos(), QPoint(row.geometry.left(), 3));
    EXPECT_EQ(row.field->geometry(), row.geometry);
    EXPECT_TRUE(row.field->isReadOnly());
    EXPECT_FALSE(row.field->isEnabled()) << "takes no focus, clicks or input";
    EXPECT_EQ(row.field->cursor().shape(), Qt::ArrowCursor);
    // Disabled, yet readable: the text colour stands out from the ground.
    const QPalette& colours = row.field->palette();
    EXPECT_NE(colours.color(QPalette::Disabled, QPalette::Text),
              colours.color(QPalette::Disabled, QPalette::Base));
    // The 12-pixel text fits the 20-pixel field.
    EXPECT_LE(QFontMetrics(row.field->font()).height(), row.field->contentsRect().height());
  }
  // Ed_Number writes in the window colour.
  EXPECT_EQ(window->Ed_Number->palette().color(QPalette::Disabled, QPalette::Text),
            window->palette().color(QPalette::Active, QPalette::Base));
}

TEST_F(WindowFormTest, TreeAndTextPane) {
  QTreeWidget& tree = *window->TV_Log;
  EXPECT_TRUE(tree.isHeaderHidden());
  EXPECT_EQ(tree.indentation(), 19);
  EXPECT_TRUE(tree.rootIsDecorated());
  EXPECT_EQ(tree.editTriggers(), QAbstractItemView::NoEditTriggers);
  EXPECT_EQ(tree.selectionMode(), QAbstractItemView::SingleSelection);
  // The selection keeps its colour while the tree has no focus.
  EXPECT_EQ(tree.palette().color(QPalette::Inactive, QPalette::Highlight),
            tree.palette().color(QPalette::Active, QPalette::Highlight));

  QPlainTextEdit& pane = *window->MM_Text;
  EXPECT_TRUE(pane.isReadOnly());
  EXPECT_EQ(pane.lineWrapMode(), QPlainTextEdit::NoWrap);
  EXPECT_EQ(pane.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(pane.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  // Fixed pitch as the eye sees it (IPAGothic is not marked monospace):
  // every half-width character one width, a full-width one two.
  const QFontMetrics pitch(pane.font());
  EXPECT_EQ(pitch.horizontalAdvance(QLatin1Char('i')), pitch.horizontalAdvance(QLatin1Char('W')));
  EXPECT_EQ(pitch.horizontalAdvance(QChar(0x3042)), 2 * pitch.horizontalAdvance(QLatin1Char('W')));
  EXPECT_EQ(QFontInfo(pane.font()).pixelSize(), 12);
  EXPECT_EQ(QFontInfo(window->font()).pixelSize(), 12);
  // Both faces can show Japanese text.
  EXPECT_TRUE(QFontMetrics(pane.font()).inFont(QChar(0x767A)));   // 発
  EXPECT_TRUE(QFontMetrics(window->font()).inFont(QChar(0x767A)));
}

TEST_F(WindowFormTest, FocusStartsInTreeAndTabsToPaneOnly) {
  EXPECT_EQ(QApplication::focusWidget(), window->TV_Log);
  QTest::keyClick(window->TV_Log, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), window->MM_Text);
  // The read-only pane hands Tab on too (it never inserts one).
  QTest::keyClick(window->MM_Text, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), window->TV_Log);
}

TEST_F(WindowFormTest, MenusCaptionsShortcutsAndFirstStates) {
  const QList<QAction*> bar = window->MN_Menu->actions();
  ASSERT_EQ(bar.size(), 3);
  EXPECT_EQ(bar[0]->menu(), window->MN_File);
  EXPECT_EQ(bar[1]->menu(), window->MN_Edit);
  EXPECT_EQ(bar[2]->menu(), window->MN_Info);
  EXPECT_EQ(window->MN_File->title(), QStringLiteral("ファイル(&F)"));
  EXPECT_EQ(window->MN_Edit->title(), QStringLiteral("編集(&E)"));
  EXPECT_EQ(window->MN_Info->title(), QStringLiteral("情報(&H)"));

  struct Row {
    QAction* item;
    const char* caption;  // null for a separator
    QKeySequence shortcut;
    bool enabled;
  };
  const std::vector<std::vector<Row>> menus = {
      {{window->MN_File_Open, "ログファイルを開く", {}, true},
       {window->N1, nullptr, {}, true},
       {window->MN_File_Print, "印刷", {}, true},
       {window->N2, nullptr, {}, true},
       {window->MN_File_Exit, "ZU_Kirdoの終了", {}, true}},
      {{window->MN_Edit_Copy, "コピー", QKeySequence(Qt::CTRL | Qt::Key_C), true},
       {window->N3, nullptr, {}, true},
       {window->MN_Edit_Search, "検索", QKeySequence(Qt::Key_F3), true},
       {window->MN_Edit_SearchSet, "検索条件設定", QKeySequence(Qt::CTRL | Qt::Key_F), true}},
      {{window->MN_Info_Help, "ヘルプ", QKeySequence(Qt::Key_F1), false},
       {window->N4, nullptr, {}, true},
       {window->MN_Info_Info, "情報", {}, true}},
  };
  const QMenu* owners[] = {window->MN_File, window->MN_Edit, window->MN_Info};
  for (size_t m = 0; m < menus.size(); ++m) {
    const QList<QAction*> items = owners[m]->actions();
    ASSERT_EQ(items.size(), static_cast<qsizetype>(menus[m].size()));
    for (size_t i = 0; i < menus[m].size(); ++i) {
      const Row& row = menus[m][i];
      SCOPED_TRACE(row.item->objectName().toStdString());
      EXPECT_EQ(items[static_cast<qsizetype>(i)], row.item);
      EXPECT_EQ(row.item->isSeparator(), row.caption == nullptr);
      if (row.caption != nullptr) {
        EXPECT_EQ(row.item->text(), QString::fromUtf8(row.caption));
      }
      EXPECT_EQ(row.item->shortcut(), row.shortcut);
      EXPECT_EQ(row.item->isEnabled(), row.enabled);
    }
  }
}

}  // namespace
}  // namespace zu::testing
