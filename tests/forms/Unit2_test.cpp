// The search conditions dialog, driven offscreen as a user would drive it.
#include "forms/Unit2.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>
#include <string>
#include <vector>

#include "core/Search.h"
#include "forms/WindowDialogs.h"
#include "support/OffscreenApp.h"
#include "text/Cp932.h"

namespace zu {
namespace {

// Records every warning instead of showing it, so that nothing blocks.
class ScriptedDialogs : public WindowDialogs {
 public:
  void Warning(QWidget*, const QString& text) override { warnings.push_back(text); }
  void Stop(QWidget*, const QString& text) override { stops.push_back(text); }
  std::vector<QString> warnings;
  std::vector<QString> stops;
};

const QString NoText = QStringLiteral("検索文字を入力してください");
const QString NoField = QStringLiteral("検索条件を設定してください");

class SearchDialogTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::EnsureOffscreenApplication(); }

  void SetUp() override {
    SetDialogs(&dialogs_);
    SetConditions("", 1, FieldBody);  // the conditions at program start
  }
  void TearDown() override { SetDialogs(nullptr); }

  static void SetConditions(const std::string& text, int32_t direction, int32_t fields) {
    SearchText = text;
    SearchDirection = direction;
    SearchFields = fields;
    SearchAccepted = 0;
  }

  template <typename W>
  W* Child(const char* name) {
    W* w = dialog_.findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  QLineEdit* Text() { return Child<QLineEdit>("Ed_String"); }
  QCheckBox* Box(const char* name) { return Child<QCheckBox>(name); }
  void Press(const char* button) { Child<QPushButton>(button)->click(); }

  void Type(const QString& text) { Text()->setText(text); }
  void CheckOnly(const std::vector<const char*>& names) {
    for (const char* box : {"CB_Number", "CB_Name", "CB_ID", "CB_Title", "CB_Text"}) {
      Box(box)->setChecked(false);
    }
    for (const char* box : names) Box(box)->setChecked(true);
  }

  ScriptedDialogs dialogs_;
  TFrm_Search dialog_;
};

TEST_F(SearchDialogTest, FirstShowingShowsTheStartConditions) {
  SearchAccepted = 1;  // a showing always clears it
  dialog_.show();
  EXPECT_EQ(Text()->text(), QString());
  EXPECT_TRUE(Child<QRadioButton>("RB_Down")->isChecked());
  EXPECT_FALSE(Child<QRadioButton>("RB_Up")->isChecked());
  EXPECT_FALSE(Box("CB_Number")->isChecked());
  EXPECT_FALSE(Box("CB_Name")->isChecked());
  EXPECT_FALSE(Box("CB_ID")->isChecked());
  EXPECT_FALSE(Box("CB_Title")->isChecked());
  EXPECT_TRUE(Box("CB_Text")->isChecked());
  EXPECT_EQ(SearchAccepted, 0);
  EXPECT_EQ(dialog_.focusWidget(), Text());
}

TEST_F(SearchDialogTest, ShowingReflectsEveryStoredCondition) {
  struct Row {
    int32_t fields;
    std::vector<bool> boxes;  // Number, Name, ID, Title, Text
  };
  const Row rows[] = {
      {FieldNumber, {true, false, false, false, false}},
      {FieldName | FieldTitle, {false, true, false, true, false}},
      {FieldID, {false, false, true, false, false}},
      {31, {true, true, true, true, true}},
      {0, {false, false, false, false, false}},
  };
  for (const Row& row : rows) {
    SetConditions("\x8c\x9f\x8d\xf5", 2, row.fields);  // 検索
    dialog_.show();
    EXPECT_EQ(Text()->text(), QStringLiteral("検索"));
    EXPECT_TRUE(Child<QRadioButton>("RB_Up")->isChecked());
    const char* names[] = {"CB_Number", "CB_Name", "CB_ID", "CB_Title", "CB_Text"};
    for (size_t i = 0; i < 5; ++i) {
      EXPECT_EQ(Box(names[i])->isChecked(), row.boxes[i]) << names[i] << " fields " << row.fields;
    }
    dialog_.hide();
  }
}

TEST_F(SearchDialogTest, UnknownDirectionLeavesTheRadioGroupAsItWas) {
  SetConditions("a", 2, FieldBody);
  dialog_.show();
  dialog_.hide();
  SetConditions("a", 7, FieldBody);
  dialog_.show();
  EXPECT_TRUE(Child<QRadioButton>("RB_Up")->isChecked());
}

TEST_F(SearchDialogTest, AcceptingStoresTheTypedConditions) {
  struct Row {
    QString typed;
    std::vector<const char*> boxes;
    bool upwards;
    std::string text;  // CP932 bytes stored
    int32_t fields;
    int32_t direction;
  };
  const Row rows[] = {
      {QStringLiteral("abc"), {"CB_Text"}, false, "abc", FieldBody, 1},
      {QStringLiteral("   "), {"CB_Name"}, false, "   ", FieldName, 1},  // blanks only are a text
      {QStringLiteral(" 検索 "), {"CB_Number", "CB_ID"}, true, " \x8c\x9f\x8d\xf5 ", 5, 2},
      {QStringLiteral("ｶﾅ"), {"CB_Title"}, true, "\xb6\xc5", FieldTitle, 2},
      {QStringLiteral("x"), {"CB_Number", "CB_Name", "CB_ID", "CB_Title", "CB_Text"}, false, "x", 31, 1},
  };
  for (const Row& row : rows) {
    SetConditions("old", 1, FieldBody);
    dialog_.show();
    Type(row.typed);
    CheckOnly(row.boxes);
    Child<QRadioButton>(row.upwards ? "RB_Up" : "RB_Down")->setChecked(true);
    Press("Btn_Search");
    EXPECT_TRUE(dialogs_.warnings.empty()) << row.typed.toStdString();
    EXPECT_EQ(SearchText, row.text);
    EXPECT_EQ(SearchFields, row.fields);
    EXPECT_EQ(SearchDirection, row.direction);
    EXPECT_EQ(SearchAccepted, 1);
    EXPECT_FALSE(dialog_.isVisible());
    EXPECT_EQ(dialog_.result(), QDialog::Accepted);
  }
}

TEST_F(SearchDialogTest, RefusedTextsStoreNothingAndKeepTheDialogOpen) {
  const QString tooLong = QStringLiteral("検索文字が長すぎます（半角255文字、全角127文字まで）");
  const QString notSjis = QStringLiteral("検索文字にShift-JISで表せない文字があります");
  struct Row {
    QString typed;
    std::vector<const char*> boxes;
    QString warning;
  };
  const Row rows[] = {
      {QString(), {}, NoText},  // the text is tested before the boxes: one warning only
      {QString(), {"CB_Text"}, NoText},
      {QStringLiteral("abc"), {}, NoField},
      {QString(128, QChar(0x6F22)), {"CB_Text"}, tooLong},    // 128 kanji: 256 bytes
      {QString(256, QLatin1Char('a')), {"CB_Text"}, tooLong},
      {QString(127, QChar(0x6F22)) + QStringLiteral("ab"), {"CB_Text"}, tooLong},  // 256 bytes
      {QStringLiteral("abc\U0001F600"), {"CB_Text"}, notSjis},  // an emoji has no CP932 form
      {QStringLiteral("한국"), {"CB_Text"}, notSjis},
      {QStringLiteral("\U0001F600"), {}, notSjis},  // the text's faults come before the boxes
  };
  for (const Row& row : rows) {
    dialogs_.warnings.clear();
    SetConditions("old", 2, FieldTitle);
    dialog_.show();
    Child<QRadioButton>("RB_Down")->setChecked(true);
    Type(row.typed);
    CheckOnly(row.boxes);
    Press("Btn_Search");
    ASSERT_EQ(dialogs_.warnings.size(), 1u) << row.typed.size();
    EXPECT_EQ(dialogs_.warnings[0], row.warning);
    EXPECT_EQ(SearchText, "old");
    EXPECT_EQ(SearchDirection, 2);
    EXPECT_EQ(SearchFields, FieldTitle);
    EXPECT_EQ(SearchAccepted, 0);
    EXPECT_TRUE(dialog_.isVisible());
    dialog_.hide();
  }
}

TEST_F(SearchDialogTest, TheLongestTextsThatFitAreAccepted) {
  const QString rows[] = {
      QString(255, QLatin1Char('a')),
      QString(127, QChar(0x6F22)) + QStringLiteral("a"),  // 254 + 1 bytes
      QString(255, QChar(0xFF71)),                         // half-width katakana: 1 byte each
  };
  for (const QString& typed : rows) {
    dialog_.show();
    Type(typed);
    Press("Btn_Search");
    EXPECT_TRUE(dialogs_.warnings.empty());
    EXPECT_EQ(SearchText.size(), 255u);
    EXPECT_EQ(FromCp932(SearchText), typed);
    EXPECT_EQ(SearchAccepted, 1);
  }
}

TEST_F(SearchDialogTest, CancelKeepsTheOldConditionsForTheNextShowing) {
  SetConditions("old", 1, FieldBody);
  dialog_.show();
  Type(QStringLiteral("new"));
  CheckOnly({"CB_Name"});
  Child<QRadioButton>("RB_Up")->setChecked(true);
  Press("Btn_Cansel");
  EXPECT_FALSE(dialog_.isVisible());
  EXPECT_EQ(dialog_.result(), QDialog::Rejected);
  EXPECT_EQ(SearchAccepted, 0);
  EXPECT_EQ(SearchText, "old");
  EXPECT_EQ(SearchFields, FieldBody);
  EXPECT_EQ(SearchDirection, 1);

  dialog_.show();
  EXPECT_EQ(Text()->text(), QStringLiteral("old"));
  EXPECT_TRUE(Box("CB_Text")->isChecked());
  EXPECT_FALSE(Box("CB_Name")->isChecked());
  EXPECT_TRUE(Child<QRadioButton>("RB_Down")->isChecked());
}

TEST_F(SearchDialogTest, UpwardsIsStoredAndShownAgain) {
  dialog_.show();
  Type(QStringLiteral("abc"));
  Child<QRadioButton>("RB_Up")->setChecked(true);
  Press("Btn_Search");
  EXPECT_EQ(SearchDirection, 2);
  Child<QRadioButton>("RB_Down")->setChecked(true);  // changes in a closed dialog do not last
  dialog_.show();
  EXPECT_TRUE(Child<QRadioButton>("RB_Up")->isChecked());
}

TEST_F(SearchDialogTest, TitleBarCloseLeavesTheDialogNotAccepted) {
  SetConditions("old", 1, FieldBody);
  dialog_.show();
  Type(QStringLiteral("new"));
  EXPECT_TRUE(dialog_.close());
  EXPECT_FALSE(dialog_.isVisible());
  EXPECT_EQ(SearchAccepted, 0);
  EXPECT_EQ(SearchText, "old");
}

TEST_F(SearchDialogTest, EnterAndEscapeInTheFieldPressNeitherButton) {
  dialog_.show();
  Type(QStringLiteral("abc"));
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
    QTest::keyClick(Text(), key);
    EXPECT_TRUE(dialog_.isVisible()) << key;
    EXPECT_EQ(SearchAccepted, 0) << key;
    EXPECT_EQ(SearchText, "") << key;
  }
  EXPECT_TRUE(dialogs_.warnings.empty());
  QTest::keyClick(Box("CB_Name"), Qt::Key_Return);
  EXPECT_TRUE(dialog_.isVisible());
  EXPECT_FALSE(Child<QPushButton>("Btn_Search")->isDefault());
  EXPECT_FALSE(Child<QPushButton>("Btn_Search")->autoDefault());
  EXPECT_FALSE(Child<QPushButton>("Btn_Cansel")->isDefault());
  EXPECT_FALSE(Child<QPushButton>("Btn_Cansel")->autoDefault());
}

TEST_F(SearchDialogTest, EnterOrSpacePressesTheFocusedButton) {
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Space}) {
    dialog_.show();
    Type(QStringLiteral("abc"));
    QPushButton* search = Child<QPushButton>("Btn_Search");
    search->setFocus();
    QTest::keyClick(search, key);
    EXPECT_FALSE(dialog_.isVisible()) << key;
    EXPECT_EQ(SearchAccepted, 1) << key;
  }
}

TEST_F(SearchDialogTest, ControlsStandWhereTheFormPlacesThem) {
  struct Row {
    const char* name;
    QString caption;
    QRect geometry;
  };
  const Row rows[] = {
      {"Label1", QStringLiteral("検索文字"), {144, 8, 48, 12}},
      {"Ed_String", QString(), {144, 24, 153, 20}},
      {"RG_Direction", QStringLiteral("検索方向"), {144, 56, 153, 49}},
      {"GroupBox1", QStringLiteral("検索条件"), {16, 8, 113, 137}},
      {"CB_Number", QStringLiteral("発言番号"), {16, 16, 81, 17}},
      {"CB_Name", QStringLiteral("発信者名"), {16, 40, 73, 17}},
      {"CB_ID", QStringLiteral("発信者ＩＤ"), {16, 64, 81, 17}},
      {"CB_Title", QStringLiteral("タイトル"), {16, 88, 73, 17}},
      {"CB_Text", QStringLiteral("文中"), {16, 112, 73, 17}},
      {"Btn_Search", QStringLiteral("検索"), {144, 120, 75, 25}},
      {"Btn_Cansel", QStringLiteral("キャンセル"), {224, 120, 75, 25}},
      {"RB_Down", QStringLiteral("下方向に検索"), {}},
      {"RB_Up", QStringLiteral("上方向に検索"), {}},
  };
  dialog_.show();
  for (const Row& row : rows) {
    QWidget* w = Child<QWidget>(row.name);
    ASSERT_NE(w, nullptr);
    if (!row.geometry.isNull()) {
      EXPECT_EQ(w->geometry(), row.geometry) << row.name;
    }
    QString caption;
    if (auto* b = qobject_cast<QAbstractButton*>(w)) caption = b->text();
    if (auto* g = qobject_cast<QGroupBox*>(w)) caption = g->title();
    if (auto* l = qobject_cast<QLabel*>(w)) caption = l->text();
    EXPECT_EQ(caption, row.caption) << row.name;
  }
  // The check boxes lie in the conditions group, the radio buttons in the direction group.
  EXPECT_EQ(Box("CB_ID")->parentWidget(), Child<QGroupBox>("GroupBox1"));
  EXPECT_EQ(Child<QWidget>("RB_Up")->parentWidget(), Child<QGroupBox>("RG_Direction"));
  // The direction items sit one below the other inside the group.
  const QRect down = Child<QWidget>("RB_Down")->geometry();
  const QRect up = Child<QWidget>("RB_Up")->geometry();
  EXPECT_LT(down.bottom(), up.top() + 1);
  EXPECT_LE(up.bottom(), 49);
}

TEST_F(SearchDialogTest, TabOrderFollowsTheForm) {
  dialog_.show();
  std::vector<QString> order;
  QWidget* w = Text();
  do {
    if ((w->focusPolicy() & Qt::TabFocus) != 0 && w->isEnabled()) order.push_back(w->objectName());
    w = w->nextInFocusChain();
  } while (w != Text());
  const std::vector<QString> expected = {
      QStringLiteral("Ed_String"), QStringLiteral("Btn_Search"), QStringLiteral("Btn_Cansel"),
      QStringLiteral("CB_Number"), QStringLiteral("CB_Name"),    QStringLiteral("CB_ID"),
      QStringLiteral("CB_Title"),  QStringLiteral("CB_Text"),    QStringLiteral("RB_Down"),
      QStringLiteral("RB_Up")};
  EXPECT_EQ(order, expected);
}

TEST_F(SearchDialogTest, FixedSizeCentredDialogWithOnlyACloseBox) {
  dialog_.show();
  EXPECT_EQ(dialog_.windowTitle(), QStringLiteral("検索"));
  EXPECT_EQ(dialog_.size(), QSize(311, 151));
  EXPECT_EQ(dialog_.minimumSize(), dialog_.maximumSize());
  const Qt::WindowFlags flags = dialog_.windowFlags();
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(flags & Qt::WindowContextHelpButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  // Every control is drawn in the dialog's Japanese face, 12 pixels high.
  for (const QWidget* w : dialog_.findChildren<QWidget*>()) {
    const QFontInfo face(w->font());
    EXPECT_TRUE(face.family() == QStringLiteral("ＭＳ Ｐゴシック") ||
                face.family() == QStringLiteral("IPAPGothic"))
        << w->objectName().toStdString() << ": " << face.family().toStdString();
    EXPECT_EQ(face.pixelSize(), 12) << w->objectName().toStdString();
  }

  // Centred at every showing, wherever it was left.
  const QPoint centre = dialog_.screen()->availableGeometry().center();
  for (int showing = 0; showing < 2; ++showing) {
    EXPECT_LE((dialog_.frameGeometry().center() - centre).manhattanLength(), 2) << showing;
    dialog_.move(10, 10);
    dialog_.hide();
    dialog_.show();
  }
}

}  // namespace
}  // namespace zu
